// Seeded mutation test: random byte changes to the index and its data file, each result read in full
// (every record, frame, definition and character entry the reader can reach). Nothing may crash, hang
// or raise anything but the layer's own errors.
#include <gtest/gtest.h>

#include <random>

#include "kiwi/index/IndexManager.h"
#include "kiwi/io/MemoryStream.h"
#include "support/fixtures/FixtureWriter.h"
#include "support/fixtures/IndexFixture.h"

namespace {

// Reads everything reachable and returns how many records were found, so the work cannot be skipped.
class IndexWalker {
public:
    explicit IndexWalker(TLN_IndexManager& index) : index_(index) {}

    size_t walk() {
        for (uint32_t i = 0; i < index_.VolumeCount(); ++i) {
            TLN_Volume_Management_Record record;
            index_.GetVolumeRecordID(i);
            if (index_.ReadVolumeRecord(i, record)) guarded([&] { frame(record, false); });
        }
        for (uint32_t i = 0; i < index_.POICount(); ++i) {
            TLN_POI_Management_Record record;
            index_.GetPOIManagementRecordID(i);
            if (index_.ReadPOIManagementRecord(i, record)) guarded([&] { frame(record, true); });
        }
        for (uint32_t i = 0; i < index_.ExpansionCount(); ++i) {
            TLN_Index_Expansion_Rec record;
            if (index_.ReadExpansionRecord(i, record)) guarded([&] { characters(record.Data, 2); });
        }
        return found_;
    }

private:
    template <typename F> void guarded(F&& read) {
        try {
            read();
        } catch (const KiwiError&) {
            // Missing data files and undecodable blocks are reported this way; the walk goes on.
        }
    }

    void frame(const TLN_Volume_Management_Record& record, bool poi) {
        ++found_;
        searchFrame(record.FrameAddress, record.UsesFileAddresses(), poi);
    }

    void searchFrame(const TLN_Additional_Address& at, bool named, bool poi) {
        TLN_Search_Frame_Header header;
        if (!index_.ReadSearchFrameHeader(at, named, header)) return;
        ++found_;
        if (poi) {
            for (uint32_t i = 0; i < header.UsableCount(TLN_Detailed_POIInfo_Rec::Length); ++i) {
                TLN_Detailed_POIInfo_Rec r;
                if (!index_.ReadDetailedPOIRecord(header, i, r)) continue;
                ++found_;
                guarded([&] { definition(r.Definition, r.DefinitionSize); });
            }
            return;
        }
        for (uint32_t i = 0; i < header.UsableCount(TLN_Detailed_Info_Rec::Length); ++i) {
            TLN_Detailed_Info_Rec r;
            if (!index_.ReadDetailedSearchRecord(header, i, r)) continue;
            ++found_;
            guarded([&] { definition(r.CategoryDefinition, r.CategoryDefinitionSize); });
            guarded([&] { definition(r.MatchingDefinition, r.MatchingDefinitionSize); });
            guarded([&] { recordHeader(r.CategoryData); });
        }
    }

    void definition(const TLN_Additional_Address& at, uint32_t sizeWords) {
        TLN_Definition_Frame d;
        if (!index_.ReadDataDefinition(at, d, int64_t(sizeWords) * 2)) return;
        found_ += 1 + d.Columns.size();
        int width = 0;
        std::string text;
        if (at.FileName.empty())
            TLN_IndexManager::ReadKeyText(index_.Stream(), at.DataPosition, d.Columns, width, text);
    }

    void recordHeader(const TLN_Additional_Address& at) {
        if (!at.Exists() || !index_.DataFileExists(at.FileName)) return;
        TLN_Index_Record_Header header;
        if (TLN_IndexManager::ReadRecordHeader(*index_.OpenDataFile(at.FileName), header, at.DataPosition))
            ++found_;
    }

    // Element-specific frames may point back at their own frame: the depth is limited.
    void characters(const TLN_Additional_Address& at, int depth) {
        TLN_Character_Info_Frame frame;
        if (!index_.ReadCharacterInfoFrame(at, frame)) return;
        found_ += 1 + frame.Entries.size();
        for (const TLN_Character_Info_Entry& entry : frame.Entries) {
            guarded([&] { searchFrame(entry.Data, entry.Type == "FNME", false); });
            if (depth > 1) guarded([&] { characters(entry.Data, depth - 1); });
        }
    }

    TLN_IndexManager& index_;
    size_t found_ = 0;
};

void mutate(std::vector<uint8_t>& bytes, std::mt19937& random) {
    const int changes = 1 + int(random() % 8);
    for (int i = 0; i < changes; ++i) {
        const size_t at = random() % bytes.size();
        switch (random() % 4) {
        case 0:
            bytes[at] = uint8_t(random());
            break;
        case 1:
            bytes[at] = 0xFF;
            break;
        case 2:
            bytes[at] = 0x00;
            break;
        default:
            bytes[at] ^= uint8_t(1u << (random() % 8));
            break;
        }
    }
}

} // namespace

TEST(IndexMutation, TheUnchangedFixtureIsReadInFull) {
    const std::string folder = fixture::scratchDir("index-walk");
    auto index = TLN_IndexManager::Create(fixture::writeIndexFixture(folder, fixture::buildIndexFixture()));
    // 3 management records, 2 frames + 1 POI frame, 3 detailed search and 1 POI record, 4 definitions with
    // 3 + 1 + 2 + 1 columns, 2 character frames of 2 and 1 entries and their nested frames, ...
    EXPECT_GT(IndexWalker(*index).walk(), 30u);
}

TEST(IndexMutation, RandomByteChangesAreReadSafely) {
    // Nested, so that the CMP list search in the data file's folder and its two parents stays in small
    // folders of this test's own.
    const std::string folder = fixture::scratchDir("index-mutation") + "/disc/data/search";
    std::mt19937 random(20240131);
    constexpr int kRounds = 600;
    size_t found = 0;
    for (int round = 0; round < kRounds; ++round) {
        fixture::IndexFixture damaged = fixture::buildIndexFixture(round % 2 ? 0 : 0x40);
        // Mostly one file at a time, so the other still leads somewhere.
        const auto which = unsigned(random() % 3);
        if (which != 1) mutate(damaged.index, random);
        if (which != 0) mutate(damaged.dataFile, random);
        const std::string path = fixture::writeIndexFixture(folder, damaged);
        try {
            std::unique_ptr<TLN_IndexManager> index =
                damaged.base == 0
                    ? TLN_IndexManager::Create(path)
                    : TLN_IndexManager::CreateFromStream(
                          std::make_shared<TLN_MemoryStream>(damaged.index, path), damaged.base);
            // Counts are of records found inside the index: a management record takes 52 bytes, an
            // expansion record 32.
            const int64_t size = int64_t(damaged.index.size());
            EXPECT_LE(int64_t(index->VolumeCount()) * 52, size) << "round " << round;
            EXPECT_LE(int64_t(index->POICount()) * 52, size) << "round " << round;
            EXPECT_LE(int64_t(index->ExpansionCount()) * 32, size) << "round " << round;
            if (damaged.index.size() < size_t(damaged.base) + 96) {
                EXPECT_FALSE(index->IsValid());
            }
            found += IndexWalker(*index).walk();
        } catch (const KiwiError&) {
        }
    }
    EXPECT_GT(found, size_t(kRounds)); // most rounds still find records
}
