// TLN_IndexManager over damaged index data: truncation, absurd counts and sizes, offsets past the end,
// file names that would leave the folder. Nothing may read outside a stream or allocate from a raw count.
#include <gtest/gtest.h>

#include "kiwi/index/IndexManager.h"
#include "kiwi/io/MemoryStream.h"
#include "support/fixtures/FixtureWriter.h"
#include "support/fixtures/IndexFixture.h"

using namespace fixture::index_layout;

namespace {

void put32(std::vector<uint8_t>& bytes, size_t at, uint32_t value) {
    for (int i = 0; i < 4; ++i)
        bytes.at(at + size_t(i)) = uint8_t(value >> (24 - 8 * i));
}
void put16(std::vector<uint8_t>& bytes, size_t at, uint32_t value) {
    bytes.at(at) = uint8_t(value >> 8);
    bytes.at(at + 1) = uint8_t(value);
}

// The fixture with edits applied, written to its own folder and opened by name.
class DamagedIndex {
public:
    explicit DamagedIndex(const std::string& name) : folder_(fixture::scratchDir("index-hostile-" + name)) {
        fixture_ = fixture::buildIndexFixture();
    }
    std::vector<uint8_t>& index() { return fixture_.index; }
    std::vector<uint8_t>& data() { return fixture_.dataFile; }
    const std::string& folder() const { return folder_; }
    TLN_IndexManager& open() {
        reader_ = TLN_IndexManager::Create(fixture::writeIndexFixture(folder_, fixture_));
        return *reader_;
    }

private:
    std::string folder_;
    fixture::IndexFixture fixture_;
    std::unique_ptr<TLN_IndexManager> reader_;
};

// A stream of size bytes: head at its start, zeros after it, with no storage behind them (as a listed
// file whose blocks all share one stored block presents itself).
class ZeroTailStream : public TLN_Stream {
public:
    ZeroTailStream(std::vector<uint8_t> head, int64_t size) : head_(std::move(head)), size_(size) {}
    int64_t Size() override { return size_; }
    int64_t ReadAt(int64_t position, void* buffer, int64_t count) override {
        if (position < 0 || count <= 0 || position >= size_) return 0;
        count = std::min(count, size_ - position);
        auto* out = static_cast<uint8_t*>(buffer);
        for (int64_t i = 0; i < count; ++i)
            out[i] = uint64_t(position + i) < head_.size() ? head_[size_t(position + i)] : 0;
        return count;
    }

private:
    std::vector<uint8_t> head_;
    int64_t size_;
};

TLN_Search_Frame_Header volumeFrame(TLN_IndexManager& index, uint32_t volume) {
    TLN_Volume_Management_Record record;
    EXPECT_TRUE(index.ReadVolumeRecord(volume, record));
    TLN_Search_Frame_Header frame;
    index.ReadSearchFrameHeader(record.FrameAddress, record.UsesFileAddresses(), frame);
    return frame;
}

} // namespace

TEST(IndexHostile, ShortOrMissingHeaderLeavesTheReaderInvalid) {
    std::vector<uint8_t> bytes = fixture::buildIndexFixture().index;
    for (const auto& [size, base] :
         {std::pair<size_t, int64_t>{95, 0}, {0, 0}, {200, 150}, {200, 200}, {200, -1}}) {
        SCOPED_TRACE(size);
        auto stream =
            std::make_shared<TLN_MemoryStream>(std::vector<uint8_t>(bytes.begin(), bytes.begin() + size));
        TLN_IndexManager index(stream, base);
        EXPECT_FALSE(index.IsValid());
        EXPECT_EQ(index.VolumeCount(), 0u);
        EXPECT_EQ(index.POICount(), 0u);
        EXPECT_EQ(index.ExpansionCount(), 0u);
        TLN_Volume_Management_Record record;
        EXPECT_FALSE(index.ReadVolumeRecord(0, record));
        EXPECT_EQ(index.GetVolumeRecordID(0), "");
        TLN_Search_Frame_Header frame;
        EXPECT_FALSE(index.ReadSearchFrameHeader(TLN_Additional_Address{-1, 0, ""}, false, frame));
    }
}

TEST(IndexHostile, ManagementRecordCountsAreBoundedByTheFile) {
    struct Case {
        const char* name;
        uint32_t count, sizeWords, offsetWords;
        uint32_t usable;
    };
    // Stride 56 from 0x100 in a 0x560-byte file: records at 0x100 + 56 i need 52 bytes, so i <= 19.
    const Case cases[] = {
        {"count", 0xFFFFFFFF, kManagementRecordSize / 2, kVolumeRecords / 2, 20},
        {"zero stride", 0xFFFFFFFF, 0, kVolumeRecords / 2, 1},
        {"short stride", 5, 10, kVolumeRecords / 2, 1},
        {"huge stride", 0xFFFFFFFF, 0xFFFFFFFF, kVolumeRecords / 2, 1},
        {"offset none", 2, kManagementRecordSize / 2, 0xFFFFFFFF, 0},
        {"offset past the end", 2, kManagementRecordSize / 2, 0x7FFFFFFF, 0},
        {"last record cut", 2, kManagementRecordSize / 2, (kIndexSize - 50) / 2, 0},
        {"one record fits", 2, kManagementRecordSize / 2, (kIndexSize - 52) / 2, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DamagedIndex damaged("counts");
        put32(damaged.index(), 68, c.count);
        put32(damaged.index(), 72, c.sizeWords);
        put32(damaged.index(), 76, c.offsetWords);
        TLN_IndexManager& index = damaged.open();
        ASSERT_TRUE(index.IsValid());
        EXPECT_EQ(index.VolumeCount(), c.usable);
        TLN_Volume_Management_Record record;
        for (uint32_t i = 0; i < index.VolumeCount(); ++i)
            EXPECT_TRUE(index.ReadVolumeRecord(i, record));
        EXPECT_FALSE(index.ReadVolumeRecord(c.usable, record));
    }
}

TEST(IndexHostile, ExpansionRecordsStayInsideTheirField) {
    {
        DamagedIndex damaged("expansion-count");
        put32(damaged.index(), kExpansionField + 12, 0xFFFFFFFF);
        TLN_IndexManager& index = damaged.open();
        EXPECT_EQ(index.ExpansionCount(), 2u);
        EXPECT_TRUE(index.ExpansionTruncated());
    }
    {
        // A name length that runs past the field ends the records there.
        DamagedIndex damaged("expansion-name");
        damaged.index().at(kExpansionRecord1 + 24) = 255;
        TLN_IndexManager& index = damaged.open();
        EXPECT_EQ(index.ExpansionCount(), 1u);
        EXPECT_TRUE(index.ExpansionTruncated());
        TLN_Index_Expansion_Rec record;
        EXPECT_FALSE(index.ReadExpansionRecord(1, record));
    }
    {
        // A field larger than the file: records are taken as far as the file holds them.
        DamagedIndex damaged("expansion-size");
        put32(damaged.index(), 60, 0xFFFFFFFF);
        put32(damaged.index(), kExpansionField + 12, 0xFFFFFFFF);
        TLN_IndexManager& index = damaged.open();
        EXPECT_GE(index.ExpansionCount(), 2u);
        EXPECT_LE(index.ExpansionCount(), (kIndexSize - kExpansionRecord0) / 32);
        TLN_Index_Expansion_Rec record;
        for (uint32_t i = 0; i < index.ExpansionCount(); ++i) {
            ASSERT_TRUE(index.ReadExpansionRecord(i, record));
            EXPECT_LE(record.Position + 29, int64_t(kIndexSize));
        }
    }
    for (const uint32_t offset : {0xFFFFFFFFu, 0x7FFFFFFFu, (kIndexSize - 8) / 2}) {
        DamagedIndex damaged("expansion-offset");
        put32(damaged.index(), 64, offset);
        TLN_IndexManager& index = damaged.open();
        EXPECT_FALSE(index.Header().HasExpansionField);
        EXPECT_EQ(index.ExpansionCount(), 0u);
    }
}

TEST(IndexHostile, ExpansionRecordsAreCappedInHugeStreams) {
    // A field and a count of all ones in a 64 MiB stream of zeros: two million empty-named records would
    // fit, but no index holds that many; the positions kept stay as few as the other frames' entries.
    std::vector<uint8_t> head = fixture::buildIndexFixture().index;
    put32(head, 60, 0xFFFFFFFF);
    put32(head, kExpansionField + 12, 0xFFFFFFFF);
    TLN_IndexManager index(std::make_shared<ZeroTailStream>(head, int64_t(64) << 20), 0);
    ASSERT_TRUE(index.IsValid());
    EXPECT_GE(index.ExpansionCount(), 2u);
    EXPECT_LE(index.ExpansionCount(), 65536u);
    EXPECT_TRUE(index.ExpansionTruncated());
}

TEST(IndexHostile, TitleAndRepresentationsStopAtTheEnd) {
    DamagedIndex damaged("title");
    put16(damaged.index(), 94, 0xFFFF); // title far past the end
    put16(damaged.index(), kVolume0Representation, 0xFFFF);
    TLN_IndexManager& index = damaged.open();
    EXPECT_EQ(index.Header().Title.Position, -1);
    EXPECT_TRUE(index.Header().Title.Text.raw.isEmpty());
    TLN_Volume_Management_Record record;
    ASSERT_TRUE(index.ReadVolumeRecord(0, record));
    EXPECT_EQ(record.Representation.LengthWords, 0xFFFF);
    EXPECT_EQ(record.Representation.Text.raw.size(), qsizetype(kIndexSize - kVolume0Representation - 2));
}

TEST(IndexHostile, FileAddressItemsOutsideTheFileLeadNowhere) {
    for (const auto& [at, value] :
         {std::pair<uint32_t, uint32_t>{kVolume0Item + 4, 0xFFFF}, // name past the end
          {kVolume0Item + 4, 0},                                   // no name
          {kVolume0Item, 0xFFFFFFFF},                              // offset none
          {kVolumeRecords + 44, (kIndexSize - 4) / 2}}) {          // item cut
        DamagedIndex damaged("items");
        if (at == kVolume0Item + 4)
            put16(damaged.index(), at, value);
        else
            put32(damaged.index(), at, value);
        TLN_IndexManager& index = damaged.open();
        TLN_Volume_Management_Record record;
        ASSERT_TRUE(index.ReadVolumeRecord(0, record));
        EXPECT_FALSE(record.FrameAddress.Exists());
        TLN_Search_Frame_Header frame;
        EXPECT_FALSE(index.ReadSearchFrameHeader(record.FrameAddress, true, frame));
    }
}

TEST(IndexHostile, FileAddressWithoutANameLeadsNowhere) {
    DamagedIndex damaged("empty-name");
    damaged.index().at(kExpansionRecord0 + 24) = 0; // "FNME" with a name of length 0
    TLN_IndexManager& index = damaged.open();
    TLN_Index_Expansion_Rec record;
    ASSERT_TRUE(index.ReadExpansionRecord(0, record));
    EXPECT_EQ(record.FileName, "");
    EXPECT_FALSE(record.Data.Exists());
    TLN_Character_Info_Frame frame;
    EXPECT_FALSE(index.ReadCharacterInfoFrame(record.Data, frame));
}

TEST(IndexHostile, NamedFilesOutsideTheFolderAreNeverOpened) {
    DamagedIndex damaged("escape");
    // "../OUTSI.KWI" has the 12 characters of "SRCH0001.KWI"; the file exists one folder up.
    std::copy_n("../OUTSI.KWI", 12, damaged.index().begin() + kVolume0Item + 6);
    fixture::writeFile(damaged.folder() + "/../OUTSI.KWI", damaged.data());
    TLN_IndexManager& index = damaged.open();
    TLN_Volume_Management_Record record;
    ASSERT_TRUE(index.ReadVolumeRecord(0, record));
    EXPECT_EQ(record.FrameAddress.FileName, "../OUTSI.KWI");
    TLN_Search_Frame_Header frame;
    try {
        index.ReadSearchFrameHeader(record.FrameAddress, true, frame);
        FAIL() << "no exception";
    } catch (const EIndexDataFileMissing& error) {
        EXPECT_STREQ(error.what(), "File ../OUTSI.KWI does not exist!");
    }
}

TEST(IndexHostile, SearchFramesAreBoundedByTheirFile) {
    {
        DamagedIndex damaged("frame-count");
        put32(damaged.data(), kSearchFrame + 4, 0xFFFFFFFF);
        TLN_IndexManager& index = damaged.open();
        const TLN_Search_Frame_Header frame = volumeFrame(index, 0);
        // Records of 92 bytes every 96 bytes from 0x110 in a 0xC00-byte file.
        const uint32_t usable = (kDataFileSize - kDetailedRecords - 92) / 96 + 1;
        EXPECT_EQ(frame.UsableCount(TLN_Detailed_Info_Rec::Length), usable);
        TLN_Detailed_Info_Rec record;
        EXPECT_TRUE(index.ReadDetailedSearchRecord(frame, usable - 1, record));
        EXPECT_FALSE(index.ReadDetailedSearchRecord(frame, usable, record));
        EXPECT_FALSE(index.ReadDetailedSearchRecord(frame, 0xFFFFFFFF, record));
        for (uint32_t i = 0; i < usable; ++i)
            index.ReadDetailedSearchRecord(frame, i, record);
    }
    {
        DamagedIndex damaged("frame-offset");
        put32(damaged.data(), kSearchFrame + 12, 0xFFFFFFFF);
        TLN_IndexManager& index = damaged.open();
        const TLN_Search_Frame_Header frame = volumeFrame(index, 0);
        EXPECT_EQ(frame.RecordsPosition, -1);
        EXPECT_EQ(frame.UsableCount(TLN_Detailed_Info_Rec::Length), 0u);
    }
    {
        // The header itself must fit: P + 16 past the end gives "not found".
        DamagedIndex damaged("frame-end");
        put32(damaged.index(), kVolume0Item, (kDataFileSize - 8) / 2);
        TLN_IndexManager& index = damaged.open();
        TLN_Volume_Management_Record record;
        ASSERT_TRUE(index.ReadVolumeRecord(0, record));
        TLN_Search_Frame_Header frame;
        EXPECT_FALSE(index.ReadSearchFrameHeader(record.FrameAddress, true, frame));
        EXPECT_EQ(frame.UsableCount(TLN_Detailed_Info_Rec::Length), 0u);
    }
}

TEST(IndexHostile, DefinitionColumnsAreBoundedByFileAndFrame) {
    DamagedIndex damaged("columns");
    put32(damaged.data(), kCategoryDefinition + 12, 0xFFFFFFFF);
    TLN_IndexManager& index = damaged.open();
    const TLN_Additional_Address at{-1, kCategoryDefinition, "SRCH0001.KWI"};
    TLN_Definition_Frame definition;
    ASSERT_TRUE(index.ReadDataDefinition(at, definition));
    EXPECT_EQ(definition.ColumnCount, 0xFFFFFFFFu);
    EXPECT_EQ(definition.Columns.size(), (kDataFileSize - kCategoryDefinition - 16) / 16);
    EXPECT_TRUE(definition.Truncated);
    ASSERT_TRUE(index.ReadDataDefinition(at, definition, 64));
    EXPECT_EQ(definition.Columns.size(), 3u);
    // A definition whose header is not in the file, or whose position is beyond 32-bit range.
    EXPECT_FALSE(
        index.ReadDataDefinition(TLN_Additional_Address{-1, kDataFileSize - 15, "SRCH0001.KWI"}, definition));
    EXPECT_FALSE(
        index.ReadDataDefinition(TLN_Additional_Address{-1, 0x1FFFFFFFCll, "SRCH0001.KWI"}, definition));
}

TEST(IndexHostile, CharacterEntriesAreBoundedByTheFile) {
    DamagedIndex damaged("characters");
    put32(damaged.data(), kCharacterFrame + 12, 0xFFFFFFFF);
    TLN_IndexManager& index = damaged.open();
    TLN_Character_Info_Frame frame;
    ASSERT_TRUE(
        index.ReadCharacterInfoFrame(TLN_Additional_Address{-1, kCharacterFrame, "SRCH0001.KWI"}, frame));
    EXPECT_TRUE(frame.Truncated);
    EXPECT_GE(frame.Entries.size(), 2u);
    EXPECT_LE(frame.Entries.size(), (kDataFileSize - kCharacterEntry0) / 17);
    for (const TLN_Character_Info_Entry& entry : frame.Entries)
        EXPECT_LE(entry.Position + 17 + int64_t(entry.Name.size()), int64_t(kDataFileSize));
}
