// Every failure code has Russian words, with every value of the failure in them.
#include <gtest/gtest.h>

#include <cerrno>
#include <regex>

#include "kiwi/core/KiwiErrors.h"
#include "kiwi/core/RussianFailureTexts.h"
#include "kiwi/io/WholeRead.h"

namespace {

// The value names a form uses ("{file}" gives "file").
std::vector<std::string> namesIn(std::string_view form) {
    std::vector<std::string> names;
    const std::string text(form);
    const std::regex name("\\{([A-Za-z]+)\\}");
    for (auto it = std::sregex_iterator(text.begin(), text.end(), name); it != std::sregex_iterator(); ++it)
        names.push_back((*it)[1]);
    return names;
}

} // namespace

TEST(RussianFailureTexts, EveryCodeIsToldInRussianWithItsValues) {
    for (const FailureCode code : AllFailureCodes()) {
        if (code == FailureCode::None) continue;
        const std::string name(FailureCodeName(code));
        EXPECT_FALSE(RussianForm(code).empty()) << name << " has no Russian text";
        // Each value the English tells is marked, and the Russian tells each mark.
        std::vector<FailureValue> values;
        for (const std::string& value : namesIn(EnglishForm(code)))
            if (value == "cause")
                values.emplace_back(value, Failure::Words("<cause>"));
            else
                values.emplace_back(value, "<" + value + ">");
        const QString russian = RussianText(Failure(code, values));
        for (const FailureValue& value : values)
            EXPECT_TRUE(russian.contains(QString::fromStdString("<" + value.name + ">")))
                << name << ": " << russian.toStdString() << " lacks " << value.name;
        EXPECT_FALSE(russian.contains(QString::fromStdString(std::string(EnglishForm(code))))) << name;
    }
}

TEST(RussianFailureTexts, NestedReasonsAndTheSystemsWordsAreToldInRussian) {
    const Failure damaged(
        FailureCode::Refused,
        Failure(FailureCode::SourceDamaged,
                Failure(FailureCode::TableOverHeader,
                        {{"table", Failure(FailureCode::BlockSetTableOfLevel, {{"level", 1}})},
                         {"size", 10},
                         {"offset", 64},
                         {"other", Failure(FailureCode::HeaderAndLevelRecords)}})));
    EXPECT_EQ(damaged.English(),
              "Refused: the source's main map management data is damaged: level 1: its block set "
              "table (10 bytes at 64) lies over the main map management header and level records");
    EXPECT_EQ(RussianText(damaged),
              QStringLiteral(
                  "Управляющие данные основной карты в исходной карте повреждены: таблица наборов блоков "
                  "уровня 1 (10 байт по смещению 64) лежит поверх: заголовок управляющих данных основной "
                  "карты и записи уровней"));
    const Failure full(FailureCode::StreamWriteFailed, Failure::System(ENOSPC), {{"file", "/out/A.part"}});
    EXPECT_EQ(full.English(), "Stream write error: No space left on device");
    EXPECT_EQ(RussianText(full), QStringLiteral("Ошибка записи файла /out/A.part: на диске нет места"));
    // A failure from below of no known class keeps its words and names its file.
    EXPECT_EQ(RussianText(FailureOf(std::runtime_error("odd thing"), "/src/ALLDATA.KWI")),
              QStringLiteral("Ошибка: odd thing (файл /src/ALLDATA.KWI)"));
}

TEST(RussianFailureTexts, AReadersShortReadKeepsItsEnglishAndIsToldInRussianInTheTree) {
    const EShortRead cut({"PARAMDAT.KWI", "Number of Records 3", 4, 60, 0, true});
    EXPECT_STREQ(cut.what(), "PARAMDAT.KWI, byte 4: Number of Records 3, the file holds 0 of their 60 bytes");
    EXPECT_EQ(
        RussianReason(FailureOf(cut)),
        QStringLiteral("PARAMDAT.KWI, байт 4: Number of Records 3 — в файле 0 из 60 байт этих записей"));
    // Words from below stay as they are beside the row's own "Ошибка".
    EXPECT_EQ(RussianReason(FailureOf(std::runtime_error("odd thing"))), QStringLiteral("odd thing"));
}
