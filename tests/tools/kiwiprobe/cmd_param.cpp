// kiwiprobe param and gen-param: the parameters part as its reader sees it, and its fixture files.
#include <QImage>
#include <cstdio>

#include "ProbeCommand.h"
#include "kiwi/cmp/OpenKiwiFile.h"
#include "kiwi/parts/ParamManager.h"
#include "support/fixtures/FixtureWriter.h"
#include "support/fixtures/ParamFixture.h"

namespace {

void printImages(const TLN_LandmarkImageList& list) {
    std::printf("images count=%d key=%06X palette=%d truncated=%d\n", int(list.Images.size()),
                list.TransparentColor & 0xFFFFFF, list.HasPalette, list.Truncated);
    for (int i = 0; i < list.Images.size(); ++i) {
        const QImage& image = list.Images[i];
        std::printf("image %d id=0x%04X %dx%d depth=%d\n", i, list.Identifiers[i], image.width(),
                    image.height(), image.depth());
        for (int y = 0; y < image.height(); ++y) {
            std::printf("  row %d:", y);
            for (int x = 0; x < image.width(); ++x)
                std::printf(" %08X", image.pixel(x, y));
            std::printf("\n");
        }
    }
}

void printTable(const TLN_LandmarkPatternTable& t, int index) {
    std::printf("table %d layout=%d @%lld size=%lld flags=0x%04X format=%d offsetflag=%d bpp=%u x=%d y=%d "
                "day=%d night=%d patterns=%zu/%d table=@%lld size=%lld use=%d\n",
                index, t.Layout, (long long)t.Position, (long long)t.Size, t.Flags, t.FormatFlag,
                t.PatternOffsetFlag, t.BitsPerPixel, t.SizeX, t.SizeY, t.DayPalette, t.NightPalette,
                t.Patterns.size(), t.NumberOfPatterns, (long long)t.PatternTablePosition,
                (long long)t.PatternTableSize, t.UseCode);
    if (t.Layout == 3)
        std::printf("  display %d %d %d %d %d %d\n", t.DisplayValues[0], t.DisplayValues[1],
                    t.DisplayValues[2], t.DisplayValues[3], t.DisplayValues[4], t.DisplayValues[5]);
    for (size_t i = 0; i < t.Patterns.size(); ++i)
        std::printf("  pattern %zu id=0x%04X @%lld\n", i, t.Patterns[i].Identifier,
                    (long long)t.Patterns[i].Position);
}

void printLandmarks(const TLN_ParamManager& reader, int64_t l, int layout,
                    const TLN_DrawingParamHeader* palettes) {
    TLN_LandmarkDataFrame frame;
    const bool found = reader.ReadLandmarkDataFrame(l, frame);
    std::printf("landmark @%lld found=%d size=%lld categories=%d tables=%d located=%zu complete=%d "
                "names=%lld/%lld@%lld\n",
                (long long)l, found, (long long)frame.Size, frame.NumberOfCategoryCodes,
                frame.NumberOfPatternTables, frame.TablePositions.size(), frame.Complete,
                (long long)frame.NameAndReadingInfoSize, (long long)frame.NameAndReadingListSize,
                (long long)frame.NameAndReadingListPosition);
    for (int i = 0; i < int(frame.TablePositions.size()); ++i) {
        if (layout == 2) {
            TLN_LandmarkPatternTable2 t;
            reader.ReadLandmarkPatternTable2(i, l, t);
            std::printf(
                "table %d layout=2 @%lld size=%lld flags=0x%04X format=%d bpp=%u day=%d night=%d groups=%d "
                "table=@%lld size=%lld\n",
                i, (long long)t.Position, (long long)t.Size, t.Flags, t.FormatFlag, t.BitsPerPixel,
                t.DayPalette, t.NightPalette, t.NumberOfPatternGroups, (long long)t.PatternTablePosition,
                (long long)t.PatternTableSize);
            continue;
        }
        TLN_LandmarkPatternTable t;
        if (layout == 3)
            reader.ReadLandmarkPatternTable3(i, l, t);
        else
            reader.ReadLandmarkPatternTable(i, l, t);
        printTable(t, i);
        if (palettes) printImages(reader.LoadLandmarkImages(*palettes, t));
    }
}

int paramCommand(const probe::Args& args) {
    const auto& files = args.words();
    if (!probe::oneArgument(files, "param: give FILE [--offset N]")) return 2;
    const int64_t offset = args.number("--offset", 0, 0);
    TLN_ParamManager reader(OpenKiwiFile(files[0]), offset);
    std::printf("param valid=%d header=%lld records=%d\n", reader.IsValid(), (long long)reader.HeaderSize(),
                reader.NumberOfRecords());
    if (!reader.IsValid()) return 0;
    TLN_DrawingParamHeader drawing;
    bool haveDrawing = false;
    for (int i = 0; i < reader.PointerCount(); ++i) {
        const TLN_ParamManagementPointer& p = reader.GetManagementPointer(i);
        std::printf(
            "pointer %d lat=%d lon=%d floor=%d date=0x%04X code=%d record=@%lld size=%lld frame=@%lld "
            "size=%lld linestyles=%d elements=%d\n",
            i, p.Point.Y, p.Point.X, p.Point.ByteValue, p.Point.WordValue, p.DataClassificationCode,
            (long long)p.RecordPosition, (long long)p.RecordSize, (long long)p.DataFramePosition,
            (long long)p.DataFrameSize, p.LineStylePaletteTableExists, p.MapElementParametersExist);
        const int code = p.DataClassificationCode;
        if (code == 4609 || code == 4612) {
            TLN_DrawingParamHeader h;
            const bool found = reader.ReadManagementRecord(p.DataFramePosition, h);
            std::printf(
                "drawing found=%d header=%lld palettes=@%lld colors=%d count=%d linestyles=@%lld size=%lld "
                "count=%d elements=@%lld size=%lld landmark=@%lld size=%lld\n",
                found, (long long)h.HeaderSize, (long long)h.ColorPaletteTablePosition, h.ColorsPerPalette,
                h.NumberOfPalettes, (long long)h.LineStylePaletteTablePosition,
                (long long)h.LineStylePaletteSize, h.NumberOfLineStylePalettes,
                (long long)h.MapElementPosition, (long long)h.MapElementSize,
                (long long)h.LandmarkFramePosition, (long long)h.LandmarkFrameSize);
            for (int k = 0; k < h.NumberOfPalettes && k < 16; ++k) {
                const QVector<QRgb> palette =
                    reader.CreateColorPalette(k, h.ColorsPerPalette, h.ColorPaletteTablePosition);
                std::printf("palette %d:", k);
                for (QRgb c : palette)
                    std::printf(" %06X", c & 0xFFFFFF);
                std::printf("\n");
            }
            if (!haveDrawing) drawing = h, haveDrawing = true;
            printLandmarks(reader, h.LandmarkFramePosition, 1, &drawing);
        } else if (code == 4610 || code == 4613 || code == 4611 || code == 4614) {
            TLN_FrameReference f;
            const bool found = reader.ReadFrameReference(p.DataFramePosition, f);
            std::printf("reference found=%d header=%lld landmark=@%lld size=%lld\n", found,
                        (long long)f.HeaderSize, (long long)f.FramePosition, (long long)f.FrameSize);
            const bool symbol = code == 4610 || code == 4613;
            printLandmarks(reader, f.FramePosition, symbol ? 2 : 3, haveDrawing ? &drawing : nullptr);
        }
    }
    return 0;
}

int generateCommand(const probe::Args& args) {
    if (!probe::oneArgument(args.words(), "gen-param: give DIR")) return 2;
    const fixture::ParamPartPlan plan = fixture::standardParamPlan();
    const std::string dir = args.words()[0];
    fixture::writeFile(dir + "/PARAM.KWI", fixture::buildParamPart(plan));
    fixture::writeFile(dir + "/PARAMOFS.KWI", fixture::buildParamPart(plan, 64));
    return 0;
}

probe::Register reg("param", "FILE [--offset N]", "The parameter records at N.", paramCommand);
probe::Register gen("gen-param", "DIR", "Writes the parameter test files into DIR.", generateCommand);

} // namespace
