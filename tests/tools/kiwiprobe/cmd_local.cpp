// kiwiprobe local, manager21, filecon and gen-local: the localisation frame, the Manager21 header and
// FILECON.MNG as their readers see them, and their fixture files.
#include <QString>
#include <QStringList>
#include <cstdio>
#include <optional>

#include "ProbeCommand.h"
#include "ProbeOutput.h"
#include "kiwi/cmp/OpenKiwiFile.h"
#include "kiwi/parts/FileConManager.h"
#include "kiwi/parts/LocalManager.h"
#include "kiwi/parts/Manager21.h"
#include "support/fixtures/FileConFixture.h"
#include "support/fixtures/FixtureWriter.h"
#include "support/fixtures/LocalFixture.h"

namespace {

bool fileAndOffset(const probe::Args& args, const char* name, std::string& file, int64_t& offset) {
    const auto& files = args.words();
    if (files.size() != 1) {
        std::fprintf(stderr, "%s: give FILE [--offset N]\n", name);
        return false;
    }
    file = files[0];
    offset = args.number("--offset", 0, 0);
    return true;
}

int localCommand(const probe::Args& args) {
    std::string file;
    int64_t offset = 0;
    if (!fileAndOffset(args, "local", file, offset)) return 2;
    TLN_LocalManager reader(OpenKiwiFile(file), offset);
    std::printf("local valid=%d header=%lld center=%d,%d recordsize=%d areas=%d/%d languages=%d/%d\n",
                reader.IsValid(), (long long)reader.ManagementHeaderSize(), reader.MainMapCentralPoint().Y,
                reader.MainMapCentralPoint().X, reader.AreaRecordSize(), reader.AreaCount(),
                reader.NumberOfAreas(), reader.LanguageCount(), reader.NumberOfLanguages());
    for (int i = 0; i < reader.LanguageCount(); ++i)
        std::printf("language %d %s\n", i, reader.GetLanguageName(i).c_str());
    for (int i = 0; i < reader.AreaCount(); ++i) {
        const TLN_Area& a = reader.GetArea(i);
        std::printf("area %d code=%d toponym=%s name=%s property1=0x%08X city=%d,%d property2=0x%04X "
                    "property3=0x%02X language=%s\n",
                    i, a.AreaCode, a.Toponym.c_str(), reader.GetAreaName(a.AreaCode).c_str(), a.Property1,
                    a.MainCity.Y, a.MainCity.X, a.Property2, a.Property3, a.Language.c_str());
    }
    return 0;
}

int manager21Command(const probe::Args& args) {
    std::string file;
    int64_t offset = 0;
    if (!fileAndOffset(args, "manager21", file, offset)) return 2;
    TLN_Manager21 r(OpenKiwiFile(file), offset);
    std::printf(
        "manager21 valid=%d header=%lld lowerleft=%d,%d upperright=%d,%d level=0x%04X bits=%d bytes=%d "
        "records=%d\n",
        r.IsValid(), (long long)r.HeaderSize(), r.CoverageLowerLeft().Y, r.CoverageLowerLeft().X,
        r.CoverageUpperRight().Y, r.CoverageUpperRight().X, r.LevelCode(), r.BitMaskBits(), r.BitMaskBytes(),
        r.MainTableRecordCount());
    std::printf("tables main=@%lld size=%lld second=@%lld size=%lld\n", (long long)r.MainTablePosition(),
                (long long)r.MainTableSize(), (long long)r.SecondTablePosition(),
                (long long)r.SecondTableSize());
    std::printf("properties");
    for (int i = 0; i < 6; ++i)
        std::printf(" 0x%04X", r.Property(i));
    std::printf("\n");
    return 0;
}

void printFileCon(const TLN_FileConManager& r) {
    std::printf("filecon valid=%d header=%d value=0x%08X count=%d truncated=%d\n", r.IsValid(),
                r.HeaderSize(), r.HeaderValue(), r.Count(), r.Truncated());
    for (int i = 0; i < r.Count(); ++i) {
        const TLN_FileConRecord& record = r.GetRecord(i);
        std::printf("record %d number=%d physical=%s logical=%s size=%u\n", i, record.Number,
                    record.PhysicalName.c_str(), record.LogicalName.c_str(), record.FileSize);
    }
}

// One --insert value, P:NUMBER:PHYSICAL:LOGICAL:SIZE: a u8 number, names of at most 12 bytes, a u32 size.
std::pair<int, TLN_FileConRecord> insertedRecord(const std::string& value) {
    const QStringList f = QString::fromStdString(value).split(':');
    if (f.size() != 5) throw probe::UsageError("--insert " + value + ": not P:NUMBER:PHYSICAL:LOGICAL:SIZE");
    try {
        for (const QString& name : {f[2], f[3]})
            if (name.toStdString().size() > 12)
                throw probe::UsageError(name.toStdString() + ": over 12 bytes");
        return {int(probe::parseNumber(f[0].toStdString(), 0, INT_MAX)),
                TLN_FileConRecord{uint8_t(probe::parseNumber(f[1].toStdString(), 0, UINT8_MAX)),
                                  f[3].toStdString(), f[2].toStdString(),
                                  uint32_t(probe::parseNumber(f[4].toStdString(), 0, UINT32_MAX))}};
    } catch (const probe::UsageError& error) {
        throw probe::UsageError("--insert " + value + ": " + error.what());
    }
}

// filecon FILE [--delete P]... [--insert P:NUMBER:PHYSICAL:LOGICAL:SIZE]... [--save OUT]: edits apply in
// order.
int fileconCommand(const probe::Args& args) {
    const auto& files = args.words();
    if (!probe::oneArgument(files, "filecon: give FILE")) return 2;
    std::vector<std::pair<int, std::optional<TLN_FileConRecord>>> edits;
    for (const auto& [option, value] : args.given()) {
        try {
            if (option == "--delete")
                edits.emplace_back(int(probe::parseNumber(value, 0, INT_MAX)), std::nullopt);
        } catch (const probe::UsageError& error) {
            throw probe::UsageError("--delete " + std::string(error.what()));
        }
        if (option == "--insert") edits.push_back(insertedRecord(value));
    }
    TLN_FileConManager reader(files[0]);
    // Every position is checked against the count the earlier edits leave before any edit is made: a wrong
    // one is refused with nothing done.
    int count = reader.Count();
    for (const auto& [position, inserted] : edits) {
        const int last = inserted ? count : count - 1;
        if (position > last)
            throw probe::UsageError(std::string(inserted ? "--insert at " : "--delete ") +
                                    std::to_string(position) + ": beyond the " + std::to_string(count) +
                                    " records the list holds by then");
        count += inserted ? 1 : -1;
    }
    for (const auto& [position, inserted] : edits)
        inserted ? reader.Insert(position, *inserted) : reader.Delete(position);
    printFileCon(reader);
    const std::string out = args.value("--save");
    if (out.empty()) return 0;
    // Never over the list being edited: the edits would replace the only copy of what they started from.
    const QByteArray bytes = reader.Serialize();
    return probe::writeOutput("filecon", out, bytes.constData(), size_t(bytes.size()), args) ? 0 : 1;
}

// Writes LOCAL.KWI (frame at 0), LOCALOFS.KWI (at 33), M21_44.KWI, M21_46.KWI and FILECON files with
// header sizes 16, 8 and 4 and 99 and 100 records.
int generateCommand(const probe::Args& args) {
    if (!probe::oneArgument(args.words(), "gen-local: give DIR")) return 2;
    const std::string dir = args.words()[0];
    fixture::writeFile(dir + "/LOCAL.KWI", fixture::buildLocalPart(fixture::standardLocalPlan()));
    fixture::writeFile(dir + "/LOCALOFS.KWI", fixture::buildLocalPart(fixture::standardLocalPlan(), 33));
    fixture::writeFile(dir + "/M21_44.KWI", fixture::buildManager21Part(44));
    fixture::writeFile(dir + "/M21_46.KWI", fixture::buildManager21Part(46));
    for (auto [name, headerSize, count] : {std::tuple{"FC16.MNG", 16, 3},
                                           {"FC8.MNG", 8, 3},
                                           {"FC4.MNG", 4, 3},
                                           {"FC99.MNG", 16, 99},
                                           {"FC100.MNG", 16, 100}}) {
        fixture::FileConPlan plan;
        plan.headerSize = uint16_t(headerSize);
        plan.entries = fixture::fileConEntries(count);
        fixture::writeFile(dir + "/" + name, fixture::buildFileCon(plan));
    }
    // The expected result of "--delete 0 --insert 1:0:ALLDATA1.KWI:ALLDATA.KWI:4096" on FC16.MNG.
    fixture::FileConPlan edited;
    const auto entries = fixture::fileConEntries(3);
    edited.entries = {entries[1], {0, "ALLDATA1.KWI", "ALLDATA.KWI", 4096}, entries[2]};
    fixture::writeFile(dir + "/FC16_EDITED.MNG", fixture::buildFileCon(edited));
    return 0;
}

probe::Register local("local", "FILE [--offset N]", "The localisation frame at N: languages and areas.",
                      localCommand);
probe::Register m21("manager21", "FILE [--offset N]", "The Manager21 header at N.", manager21Command);
probe::Register filecon("filecon", "FILE [--delete P] [--insert P:NUMBER:PHYSICAL:LOGICAL:SIZE] [--save OUT]",
                        "The records of FILECON.MNG after the edits, applied in the order given.",
                        fileconCommand);
probe::Register gen("gen-local", "DIR", "Writes the localisation, Manager21 and FILECON test files into DIR.",
                    generateCommand);

} // namespace
