// Offset histories: order, moving a repeated value up, the limit of ten, values not kept, the 80-byte
// stored form and its round trip through a settings store.
#include <gtest/gtest.h>
#include <vector>

#include "TempSettings.h"
#include "hexview/dialogs/model/OffsetHistory.h"

using hexdialogstest::offsetBytes;
using hexdialogstest::TempSettings;

namespace {
std::vector<int64_t> slotValues(const OffsetHistory& history) {
    return {history.Slots().begin(), history.Slots().end()};
}
} // namespace

TEST(OffsetHistory, NewestFirstAndTheEleventhDropsTheOldest) {
    OffsetHistory history;
    for (int64_t v = 1; v <= 11; ++v)
        history.Insert(v, 100);
    EXPECT_EQ(slotValues(history), (std::vector<int64_t>{11, 10, 9, 8, 7, 6, 5, 4, 3, 2}));
}

TEST(OffsetHistory, ARepeatedValueMovesToTheTop) {
    OffsetHistory history;
    for (int64_t v : {5, 6, 7, 8})
        history.Insert(v, 100);
    history.Insert(6, 100);
    EXPECT_EQ(history.Listed(), (std::vector<int64_t>{6, 8, 7, 5}));
    history.Insert(6, 100);
    EXPECT_EQ(history.Listed(), (std::vector<int64_t>{6, 8, 7, 5}));
    // The oldest of a full list moves up without anything dropping out.
    for (int64_t v = 20; v < 26; ++v)
        history.Insert(v, 100);
    history.Insert(5, 100);
    EXPECT_EQ(slotValues(history), (std::vector<int64_t>{5, 25, 24, 23, 22, 21, 20, 6, 8, 7}));
}

TEST(OffsetHistory, ZeroNegativeAndBeyondTheSizeAreNotKept) {
    OffsetHistory history;
    history.Insert(0, 100);
    history.Insert(-1, 100);
    history.Insert(101, 100);
    EXPECT_TRUE(history.Listed().empty());
    history.Insert(100, 100);
    EXPECT_EQ(history.Listed(), std::vector<int64_t>{100});
}

TEST(OffsetHistory, StoredAsEightyLittleEndianBytes) {
    OffsetHistory history;
    history.Insert(0x0102030405, int64_t(1) << 40);
    history.Insert(0x63, 100);
    const QByteArray bytes = history.Serialize();
    ASSERT_EQ(bytes.size(), 80);
    EXPECT_EQ(bytes.left(16), QByteArray("\x63\0\0\0\0\0\0\0\x05\x04\x03\x02\x01\0\0\0", 16));
    EXPECT_EQ(bytes.mid(16), QByteArray(64, '\0'));
    EXPECT_EQ(slotValues(OffsetHistory::Parse(bytes)), slotValues(history));
}

TEST(OffsetHistory, DamagedStoredFormsReadSafely) {
    // Shorter: the missing slots stay empty; a partial slot is not read.
    const QByteArray twelve = offsetBytes({7, 9}).left(12);
    EXPECT_EQ(OffsetHistory::Parse(twelve).Listed(), std::vector<int64_t>{7});
    EXPECT_TRUE(OffsetHistory::Parse(QByteArray()).Listed().empty());
    // Longer: only ten slots.
    const QByteArray longer = offsetBytes({1, 2, 3, 4, 5, 6, 7, 8, 9, 10}) + offsetBytes({11});
    EXPECT_EQ(OffsetHistory::Parse(longer).Listed().size(), 10u);
    // Negative and empty slots are not offered.
    EXPECT_EQ(OffsetHistory::Parse(offsetBytes({-5, 0, 3, INT64_MIN, 4})).Listed(),
              (std::vector<int64_t>{3, 4}));
}

TEST(OffsetHistory, RoundTripThroughTheSettings) {
    TempSettings settings;
    SettingsStore store = settings.Store();
    OffsetHistory history;
    for (int64_t v : {int64_t(0x10), int64_t(0x20), int64_t(0x1FFFFFFFF)})
        history.Insert(v, int64_t(1) << 40);
    ASSERT_TRUE(history.Save(store, "EndCash"));
    EXPECT_EQ(settings.Binary("EndCash"), history.Serialize());

    OffsetHistory read;
    read.Load(settings.Store(), "EndCash");
    EXPECT_EQ(slotValues(read), slotValues(history));
    // A value of another type, or none, reads as empty and replaces what was loaded.
    ASSERT_TRUE(store.write("LengthCash", QStringLiteral("1,2,3")));
    read.Load(settings.Store(), "LengthCash");
    EXPECT_TRUE(read.Listed().empty());
    read = history;
    read.Load(settings.Store(), "Missing");
    EXPECT_TRUE(read.Listed().empty());
}
