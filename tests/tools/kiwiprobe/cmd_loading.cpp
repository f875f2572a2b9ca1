// kiwiprobe loading / coverage: what the LOADING.KWI and COVERAGE.BIN readers see.
#include <QImage>
#include <cstdio>

#include "ProbeCommand.h"
#include "ProbeText.h"
#include "kiwi/core/FileNames.h"
#include "kiwi/disc/FileManager.h"
#include "kiwi/parts/Coverage.h"
#include "kiwi/parts/Loading.h"

namespace {
int loadingCommand(const probe::Args& args) {
    const auto& files = args.words();
    if (!probe::oneArgument(files, "loading: give LOADING.KWI")) return 2;
    const long long position = args.number("--id", -1, 0);
    if (!probe::mountImageOption(args, "loading")) return probe::kImageNotMounted;
    const TLN_Loading loading(files[0]);
    std::printf("loading %s valid %d systems %d\n", fileNamePart(files[0]).c_str(), loading.IsValid(),
                loading.SystemCount());
    for (size_t s = 0; s < loading.Systems().size(); ++s) {
        const TLN_System_Identification_Info& system = loading.Systems()[s];
        std::printf("system %zu at %lld maker %s lat %d lon %d floor %u date 0x%04X units %u\n", s,
                    (long long)system.Position, probe::quoted(system.MakerName).c_str(), system.Point.Y,
                    system.Point.X, system.Point.ByteValue, system.Point.WordValue, system.UnitCount);
        for (const TLN_Unit_Record_AISIN& unit : system.Units) {
            std::printf("unit %d at %lld number %u name %s id %s\n", unit.Index, (long long)unit.UnitPosition,
                        unit.UnitNumber, probe::quoted(unit.UnitName).c_str(),
                        probe::quoted(unit.UnitIdentifier).c_str());
            std::printf("module at %lld words 0x%04X 0x%04X name %s address 0x%08X position %lld sectors %u "
                        "first-entry %d truncated %d files %zu\n",
                        (long long)unit.ModulePosition, unit.ModuleWord1, unit.ModuleWord2,
                        probe::quoted(unit.ModuleName).c_str(), unit.ModuleAddressValue,
                        (long long)unit.ModuleAddress, unit.ModuleSize, unit.HasFirstEntry,
                        unit.FileListTruncated, unit.Files.size());
            for (const TLN_Module_Info& file : unit.Files)
                std::printf("file %s offset 0x%08X position %lld size 0x%08X\n",
                            probe::quoted(file.Name).c_str(), file.WordOffset, (long long)file.Position,
                            file.Size);
        }
    }
    if (args.has("--id")) {
        TLN_Unit_Identification id;
        if (!loading.ReadIdentification(position, id)) {
            std::printf("identification at %lld none\n", position);
        } else {
            std::printf(
                "identification at %lld name %s version %s date %s copyright %s ram 0x%08X size 0x%08X "
                "checksum 0x%08X\n",
                position, probe::quoted(id.Name).c_str(), probe::quoted(id.Version).c_str(),
                probe::quoted(id.Date).c_str(), probe::quoted(id.Copyright).c_str(), id.RamOffset, id.Size,
                id.Checksum);
        }
    }
    return 0;
}

int coverageCommand(const probe::Args& args) {
    const auto& files = args.words();
    if (!probe::oneArgument(files, "coverage: give COVERAGE.BIN")) return 2;
    if (!probe::mountImageOption(args, "coverage")) return probe::kImageNotMounted;
    const TLN_Coverage coverage(files[0]);
    std::printf("coverage %s valid %d items %d truncated %d\n", fileNamePart(files[0]).c_str(),
                coverage.IsValid(), coverage.Count(), coverage.IsTruncated());
    for (int i = 0; i < coverage.Count(); ++i) {
        const TLN_CoverageBMP item = coverage.GetItem(i);
        QImage picture;
        std::printf("item %d code 0x%04X name %s picture ", i, item.Code, probe::quoted(item.Name).c_str());
        if (coverage.LoadPicture(item.Name, picture))
            std::printf("%dx%d first #%06X last #%06X\n", picture.width(), picture.height(),
                        picture.pixel(0, 0) & 0xFFFFFF,
                        picture.pixel(picture.width() - 1, picture.height() - 1) & 0xFFFFFF);
        else
            std::printf("none\n");
    }
    return 0;
}

probe::Register loadingReg("loading", "LOADING.KWI [--id POSITION] [--image IMAGE]",
                           "The systems and modules of a loading file; --id reads one module.",
                           loadingCommand);
probe::Register coverageReg("coverage", "COVERAGE.BIN [--image IMAGE]", "The items of a coverage file.",
                            coverageCommand);
} // namespace
