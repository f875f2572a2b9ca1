// Generated maps, well-formed and malformed, imported and compared byte for byte with the bytes the
// generator wrote from its grid; the file path (with a small read buffer, so lines straddle reads) and
// the in-memory path agree.
#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <cstdio>

#include "converter/import/MpImporter.h"
#include "support/converter/MpGenerator.h"

using namespace mp_import;

namespace {

struct ImportRun {
    std::vector<uint8_t> data;
    MpImporter::FileResult result;
    int errors = 0;
};

ImportRun importGenerated(const mpgen::Plan& plan, const std::string& text, const std::string& path = {}) {
    ImportRun run;
    ImportSettings settings;
    settings.cityAreaLevel = plan.cityAreaLevel;
    settings.readBufferSize = 4096;
    MpImporter importer(run.data, settings);
    importer.onMemo = [&](const MemoEvent& e) { run.errors += e.text.rfind("ERROR : ", 0) == 0; };
    run.result = path.empty() ? importer.ImportText(text, "g.mp", true) : importer.ImportFile(path, true);
    return run;
}

} // namespace

TEST(GeneratedImport, EveryPlanGivesTheBytesWrittenFromTheGrid) {
    const struct {
        uint32_t seed;
        int cityLevel;
        bool malformed;
        bool utf8;
        bool crlf;
    } plans[] = {
        {1, 0, false, false, true}, {2, 1, false, false, false}, {3, 2, false, true, true},
        {4, 0, true, false, true},  {5, 2, true, true, false},   {6, 1, true, false, true},
    };
    for (const auto& p : plans) {
        mpgen::Plan plan;
        plan.seed = p.seed;
        plan.objects = 400;
        plan.cityAreaLevel = p.cityLevel;
        plan.malformed = p.malformed;
        plan.utf8 = p.utf8;
        plan.crlf = p.crlf;
        std::string text;
        const mpgen::Expected expected = mpgen::GenerateText(plan, text);
        const ImportRun run = importGenerated(plan, text);
        ASSERT_EQ(run.result.outcome, MpImporter::Outcome::Done);
        EXPECT_EQ(run.data, expected.data) << "seed " << p.seed;
        EXPECT_EQ(run.result.counters.buildings, expected.buildings) << "seed " << p.seed;
        EXPECT_EQ(run.result.counters.cities, expected.cities) << "seed " << p.seed;
        EXPECT_EQ(run.result.counters.numbers, expected.numbers) << "seed " << p.seed;
        EXPECT_EQ(run.result.counters.records, expected.records) << "seed " << p.seed;
        EXPECT_EQ(run.errors, expected.errorLines) << "seed " << p.seed;
        if (p.malformed) {
            EXPECT_GT(expected.errorLines, 0);
        }
    }
}

TEST(GeneratedImport, TheFileAndTheTextGiveTheSameBytes) {
    mpgen::Plan plan;
    plan.seed = 11;
    plan.malformed = true;
    plan.targetBytes = 300000;
    QTemporaryDir dir;
    const std::string path = dir.filePath("g.mp").toStdString();
    const mpgen::Expected expected = mpgen::GenerateFile(plan, path);
    const ImportRun fromFile = importGenerated(plan, {}, path);
    ASSERT_EQ(fromFile.result.outcome, MpImporter::Outcome::Done);
    EXPECT_EQ(fromFile.data, expected.data);
    EXPECT_EQ(fromFile.errors, expected.errorLines);
}

TEST(GeneratedImport, GridTextsAreExactDegrees) {
    EXPECT_EQ(mpgen::GridText(55 * 3200), "55.0000000");
    EXPECT_EQ(mpgen::GridText(55 * 3200 + 2400), "55.7500000");
    EXPECT_EQ(mpgen::GridText(-1), "-0.0003125");
}

TEST(GeneratedImport, ALineLongerThanAnyBufferIsSkippedAndTheRestRead) {
    QTemporaryDir dir;
    const std::string path = dir.filePath("long.mp").toStdString();
    const std::string polygon =
        "[POLYGON]\nType=0x13\nData0=(55.75,37.6),(55.75,37.6002),(55.75015,37.6002)\n[END]\n";
    {
        std::FILE* file = std::fopen(path.c_str(), "wb");
        ASSERT_NE(file, nullptr);
        const std::string junk = "Comment=" + std::string(40000, 'x') + "\n";
        const std::string text = polygon + junk + polygon + junk + junk;
        std::fwrite(text.data(), 1, text.size(), file);
        std::fclose(file);
    }
    std::vector<uint8_t> data;
    ImportSettings settings;
    settings.readBufferSize = 4096;
    settings.maxLineBytes = 16384;
    MpImporter importer(data, settings);
    std::vector<std::string> errors;
    importer.onMemo = [&](const MemoEvent& e) {
        if (e.text.rfind("ERROR : ", 0) == 0) errors.push_back(e.text);
    };
    const MpImporter::FileResult result = importer.ImportFile(path, true);
    ASSERT_EQ(result.outcome, MpImporter::Outcome::Done);
    EXPECT_EQ(result.counters.records, 2);
    ASSERT_EQ(errors.size(), 3u);
    EXPECT_EQ(errors[0], "ERROR : line 5 is too long");
    EXPECT_EQ(errors[1], "ERROR : line 10 is too long");
    EXPECT_EQ(errors[2], "ERROR : line 11 is too long");
}
