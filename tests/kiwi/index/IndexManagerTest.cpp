// TLN_IndexManager over the generated INDEXDAT.KWI fixture: header, management and expansion records,
// frames in the named data file and in the index, at base 0 and inside a larger file.
#include <gtest/gtest.h>

#include "kiwi/index/IndexManager.h"
#include "kiwi/io/MemoryStream.h"
#include "support/fixtures/FixtureWriter.h"
#include "support/fixtures/IndexFixture.h"

using namespace fixture::index_layout;

namespace {

constexpr int32_t kDegree = 28800;

// The fixture written to a scratch folder and opened there: by name at base 0, else from a stream at base.
class IndexFixtureTest : public ::testing::TestWithParam<int64_t> {
protected:
    void SetUp() override {
        base_ = GetParam();
        folder_ = fixture::scratchDir("index-" + std::to_string(base_));
        const std::string path = fixture::writeIndexFixture(folder_, fixture::buildIndexFixture(base_));
        if (base_ == 0)
            index_ = TLN_IndexManager::Create(path);
        else
            index_ = TLN_IndexManager::CreateFromStream(
                std::make_shared<TLN_MemoryStream>(fixture::readFile(path), path), base_);
    }
    TLN_Volume_Management_Record volume(uint32_t i) {
        TLN_Volume_Management_Record record;
        EXPECT_TRUE(index_->ReadVolumeRecord(i, record));
        return record;
    }
    TLN_Search_Frame_Header frameOf(const TLN_Volume_Management_Record& record) {
        TLN_Search_Frame_Header frame;
        EXPECT_TRUE(index_->ReadSearchFrameHeader(record.FrameAddress, record.UsesFileAddresses(), frame));
        return frame;
    }

    int64_t base_ = 0;
    std::string folder_;
    std::unique_ptr<TLN_IndexManager> index_;
};

} // namespace

TEST_P(IndexFixtureTest, Header) {
    ASSERT_TRUE(index_->IsValid());
    const TLN_Data_Management_Frame_Header& h = index_->Header();
    EXPECT_EQ(h.DataDeclaration, "INDX");
    EXPECT_EQ(h.DataFormatVersion, "V1.00");
    EXPECT_EQ(h.CreationDate(), 0x2024013112345600ull);
    EXPECT_EQ(h.Copyright, "(C) FIXTURE");
    EXPECT_EQ(h.UserFieldSize, 3u);
    EXPECT_EQ(h.UserFieldOffset, 0x1Cu);
    EXPECT_EQ(h.ExpansionFieldSize, kExpansionFieldSize / 2);
    EXPECT_EQ(h.ExpansionFieldOffset, kExpansionField / 2);
    EXPECT_EQ(h.VolumeRecordCount, 2u);
    EXPECT_EQ(h.VolumeRecordSize, kManagementRecordSize / 2);
    EXPECT_EQ(h.POIRecordOffset, kPOIRecords / 2);
    EXPECT_EQ(h.Title.Position, base_ + kTitle);
    EXPECT_EQ(h.Title.Text.text, "Fixture Index");
    EXPECT_TRUE(h.HasExpansionField);
    EXPECT_EQ(h.ExpansionDataDeclaration, "EXPF");
    EXPECT_EQ(h.ExpansionRecordCount, 2u);
    EXPECT_EQ(index_->VolumeCount(), 2u);
    EXPECT_EQ(index_->POICount(), 1u);
    EXPECT_EQ(index_->ExpansionCount(), 2u);
    EXPECT_EQ(index_->IndexFileName(), "INDEXDAT.KWI");
    EXPECT_EQ(index_->IndexFolder(), folder_);
}

TEST_P(IndexFixtureTest, VolumeAndPOIManagementRecords) {
    const TLN_Volume_Management_Record v0 = volume(0);
    EXPECT_EQ(v0.Position, base_ + kVolumeRecords);
    EXPECT_EQ(v0.KindDeclaration, "FSLZ");
    EXPECT_TRUE(v0.UsesFileAddresses());
    EXPECT_EQ(v0.KeyboardDesignation, "KB01");
    EXPECT_EQ(v0.CoveredMinimum, (TLN_Point{139 * kDegree, 35 * kDegree}));
    EXPECT_EQ(v0.CoveredMaximum, (TLN_Point{140 * kDegree, 36 * kDegree}));
    EXPECT_EQ(v0.FrameAddress.ItemPosition, base_ + kVolume0Item);
    EXPECT_EQ(v0.FrameAddress.FileName, "SRCH0001.KWI");
    EXPECT_EQ(v0.FrameAddress.DataPosition, kSearchFrame); // counted from the data file's start
    EXPECT_EQ(v0.Representation.Text.text, QString::fromUtf8("Zone \xC3\xBC"));

    // A plain frame offset stays in the index and counts from the base; the stride is the stored size.
    const TLN_Volume_Management_Record v1 = volume(1);
    EXPECT_EQ(v1.Position, base_ + kVolumeRecords + kManagementRecordSize);
    EXPECT_EQ(v1.CoveredMinimum, (TLN_Point{-(70 * kDegree + kDegree / 4), -(33 * kDegree + kDegree / 2)}));
    EXPECT_EQ(v1.FrameAddress.ItemPosition, -1);
    EXPECT_EQ(v1.FrameAddress.FileName, "");
    EXPECT_EQ(v1.FrameAddress.DataPosition, base_ + kLocalSearchFrame);
    EXPECT_EQ(v1.Representation.Position, -1); // all ones: none
    EXPECT_EQ(index_->GetVolumeRecordID(1), "VOL2");
    EXPECT_EQ(index_->GetVolumeRecordID(2), "");

    TLN_POI_Management_Record poi;
    ASSERT_TRUE(index_->ReadPOIManagementRecord(0, poi));
    EXPECT_EQ(poi.KindDeclaration, "PKNR");
    EXPECT_EQ(poi.KeyboardDesignation, ""); // POI records have none
    EXPECT_EQ(poi.FrameAddress.DataPosition, kPOIFrame);
    EXPECT_EQ(poi.Representation.Text.text, "POI normal");
    EXPECT_EQ(index_->GetPOIManagementRecordID(0), "POI1");
    EXPECT_FALSE(index_->ReadPOIManagementRecord(1, poi));
}

TEST_P(IndexFixtureTest, ExpansionRecordsAndCharacterInformation) {
    TLN_Index_Expansion_Rec e0, e1;
    ASSERT_TRUE(index_->ReadExpansionRecord(0, e0));
    ASSERT_TRUE(index_->ReadExpansionRecord(1, e1));
    EXPECT_FALSE(index_->ReadExpansionRecord(2, e1) || e1.Position != -1);
    ASSERT_TRUE(index_->ReadExpansionRecord(1, e1));
    EXPECT_EQ(e0.Position, base_ + kExpansionRecord0);
    EXPECT_EQ(e0.Length, 44);
    EXPECT_EQ(e0.ManufacturerID.Y, 35 * kDegree + kDegree / 2);
    EXPECT_EQ(e0.ManufacturerID.X, 139 * kDegree + kDegree / 2);
    EXPECT_EQ(e0.ManufacturerID.ByteValue, 7);
    EXPECT_EQ(e0.ManufacturerID.WordValue, 0x1234);
    EXPECT_EQ(e0.FileName, "SRCH0001.KWI");
    EXPECT_EQ(e0.Data.DataPosition, kCharacterFrame);
    EXPECT_EQ(e1.Position, base_ + kExpansionRecord1); // 44 = 25 + 12 + 4 rounded up to 4
    EXPECT_EQ(e1.FileName, "abc");
    EXPECT_EQ(e1.Data.FileName, ""); // not "FNME": the index itself
    EXPECT_EQ(e1.Data.DataPosition, base_ + kLocalCharacterFrame);

    TLN_Character_Info_Frame frame;
    ASSERT_TRUE(index_->ReadCharacterInfoFrame(e0.Data, frame));
    EXPECT_EQ(frame.DataDeclaration, "CHR1");
    ASSERT_EQ(frame.Entries.size(), 2u);
    EXPECT_FALSE(frame.Truncated);
    EXPECT_EQ(frame.Entries[0].Position, kCharacterEntry0);
    EXPECT_EQ(frame.Entries[1].Position, kCharacterEntry1); // unpadded
    EXPECT_EQ(frame.Entries[0].Data.FileName, "SRCH0001.KWI");
    EXPECT_EQ(frame.Entries[0].Data.DataPosition, kElementFrame);
    EXPECT_EQ(frame.Entries[1].ID, "ELM2");
    EXPECT_EQ(frame.Entries[1].Name, "x");
    // A local entry of a frame in a data file stays in that file, counted from its start.
    EXPECT_EQ(frame.Entries[1].Data.FileName, "SRCH0001.KWI");
    EXPECT_EQ(frame.Entries[1].Data.DataPosition, kCharacterFrame);

    // Entry 0's element frame names volume 0's search frame.
    TLN_Character_Info_Frame elements;
    ASSERT_TRUE(index_->ReadCharacterInfoFrame(frame.Entries[0].Data, elements));
    EXPECT_EQ(elements.DataDeclaration, "ELMF");
    ASSERT_EQ(elements.Entries.size(), 1u);
    EXPECT_EQ(elements.Entries[0].Data.FileName, "SRCH0001.KWI");
    EXPECT_EQ(elements.Entries[0].Data.DataPosition, kSearchFrame);

    ASSERT_TRUE(index_->ReadCharacterInfoFrame(e1.Data, frame));
    ASSERT_EQ(frame.Entries.size(), 1u);
    EXPECT_EQ(frame.Entries[0].Data.FileName, "");
    EXPECT_EQ(frame.Entries[0].Data.DataPosition, base_ + kLocalElementFrame);
    ASSERT_TRUE(index_->ReadCharacterInfoFrame(frame.Entries[0].Data, elements));
    ASSERT_EQ(elements.Entries.size(), 1u);
    EXPECT_EQ(elements.Entries[0].Data.DataPosition, base_ + kLocalSearchFrame);
}

TEST_P(IndexFixtureTest, SearchFrameInTheNamedFile) {
    const TLN_Search_Frame_Header frame = frameOf(volume(0));
    EXPECT_EQ(frame.DataDeclaration, "MFSF");
    EXPECT_EQ(frame.RecordCount, 2u);
    EXPECT_EQ(frame.RecordsPosition, kDetailedRecords);
    EXPECT_EQ(frame.RecordsDeclaration, "DSR1");
    EXPECT_EQ(frame.UsableCount(TLN_Detailed_Info_Rec::Length), 2u);

    TLN_Detailed_Info_Rec r;
    ASSERT_TRUE(index_->ReadDetailedSearchRecord(frame, 0, r));
    EXPECT_EQ(r.FileName, "SRCH0001.KWI");
    EXPECT_EQ(r.ExpansionFieldSize, 0x11u);
    EXPECT_EQ(r.ExpansionFieldOffset, 0x22u);
    EXPECT_EQ(r.CategoryDefinitionSize, 0x20u);
    EXPECT_EQ(r.CategoryDefinition.ItemPosition, kCategoryDefinitionItem);
    EXPECT_EQ(r.CategoryDefinition.DataPosition, kCategoryDefinition);
    EXPECT_EQ(r.CategoryData.FileName, "CATDATA.KWI");
    EXPECT_EQ(r.FirstLevelOptionCount, 5u);
    EXPECT_EQ(r.FirstLevelKeyboardDesignation, "KB12");
    EXPECT_FALSE(r.MatchingData.Exists());
    EXPECT_EQ(r.MatchingRecordCount, 9u);
    EXPECT_EQ(r.DefaultPOISerialNumber, 77u);
    EXPECT_EQ(r.NextLevel.DataPosition, kNextLevelFrame);
    EXPECT_EQ(r.Representation.Text.text, "Z1");

    // Record 1's representation claims 5 words; only the record's own bytes are read.
    ASSERT_TRUE(index_->ReadDetailedSearchRecord(frame, 1, r));
    EXPECT_EQ(r.Position, kDetailedRecords + kDetailedRecordSize);
    EXPECT_EQ(r.Representation.LengthWords, 5);
    EXPECT_EQ(r.Representation.Text.text, "AB");
    EXPECT_FALSE(r.CategoryDefinition.Exists());
    EXPECT_FALSE(index_->ReadDetailedSearchRecord(frame, 2, r));

    TLN_Definition_Frame definition;
    ASSERT_TRUE(index_->ReadDataDefinition(TLN_Additional_Address{-1, kCategoryDefinition, "SRCH0001.KWI"},
                                           definition));
    EXPECT_EQ(definition.Name, "CATG");
    ASSERT_EQ(definition.Columns.size(), 3u);
    EXPECT_EQ(definition.Columns[1].TypeCode, "CH");
    EXPECT_EQ(definition.Columns[1].CountCode(), "UB");
    EXPECT_EQ(definition.Columns[2].Value12, 0x01020304u);
    EXPECT_EQ(definition.FindColumn("NXST"), 2);
    EXPECT_EQ(definition.FindColumn("NONE"), -1);
    // A known frame size limits the columns to the bytes it holds.
    ASSERT_TRUE(index_->ReadDataDefinition(TLN_Additional_Address{-1, kCategoryDefinition, "SRCH0001.KWI"},
                                           definition, 16 + 2 * 16));
    EXPECT_EQ(definition.Columns.size(), 2u);
    EXPECT_TRUE(definition.Truncated);
}

TEST_P(IndexFixtureTest, SearchFrameInTheIndexAndPOIFrame) {
    const TLN_Search_Frame_Header local = frameOf(volume(1));
    EXPECT_EQ(local.RecordsPosition, base_ + kLocalDetailedRecord);
    TLN_Detailed_Info_Rec r;
    ASSERT_TRUE(index_->ReadDetailedSearchRecord(local, 0, r));
    EXPECT_EQ(r.FileName, "");
    EXPECT_EQ(r.CategoryDefinition.ItemPosition, -1);
    EXPECT_EQ(r.CategoryDefinition.DataPosition, base_ + kLocalDefinition);
    EXPECT_EQ(r.Representation.Text.text, "L1");
    TLN_Definition_Frame definition;
    ASSERT_TRUE(index_->ReadDataDefinition(r.CategoryDefinition, definition, 2 * r.CategoryDefinitionSize));
    EXPECT_EQ(definition.Columns.size(), 2u);

    TLN_POI_Management_Record poi;
    ASSERT_TRUE(index_->ReadPOIManagementRecord(0, poi));
    TLN_Search_Frame_Header poiFrame;
    ASSERT_TRUE(index_->ReadSearchFrameHeader(poi.FrameAddress, true, poiFrame));
    EXPECT_EQ(poiFrame.DataDeclaration, "MFPI");
    TLN_Detailed_POIInfo_Rec p;
    ASSERT_TRUE(index_->ReadDetailedPOIRecord(poiFrame, 0, p));
    EXPECT_EQ(p.Position, kPOIRecord);
    EXPECT_EQ(p.ExpansionFieldSize, 0x15u);
    EXPECT_EQ(p.ExpansionFieldOffset, 0x26u);
    EXPECT_EQ(p.DefinitionSize, 0x10u);
    EXPECT_EQ(p.DataSize, 0x40u);
    EXPECT_EQ(p.Definition.DataPosition, kMatchingDefinition);
    EXPECT_EQ(p.Data.FileName, "POIDATA.KWI");
    EXPECT_EQ(p.Data.DataPosition, 0x20);
    EXPECT_EQ(p.RecordSize, 6u);
    EXPECT_EQ(p.RecordCount, 12u);
    EXPECT_FALSE(index_->ReadDetailedPOIRecord(poiFrame, 1, p));
}

TEST_P(IndexFixtureTest, MissingDataFilesRaiseTheirText) {
    EXPECT_TRUE(index_->DataFileExists("SRCH0001.KWI"));
    EXPECT_TRUE(index_->DataFileExists("srch0001.kwi"));
    EXPECT_FALSE(index_->DataFileExists("CATDATA.KWI"));
    try {
        index_->OpenDataFile("CATDATA.KWI");
        FAIL() << "no exception";
    } catch (const EConvertError& error) {
        EXPECT_STREQ(error.what(), "File CATDATA.KWI does not exist!");
    }
    TLN_Search_Frame_Header frame;
    EXPECT_THROW(index_->ReadSearchFrameHeader(TLN_Additional_Address{-1, 0, "POIDATA.KWI"}, false, frame),
                 EIndexDataFileMissing);
}

INSTANTIATE_TEST_SUITE_P(Bases, IndexFixtureTest, ::testing::Values(int64_t(0), int64_t(0x800)));

TEST(IndexDataFiles, NamesThatLeaveTheFolderNeverExist) {
    const std::string folder = fixture::scratchDir("index-names");
    const std::string path = fixture::writeIndexFixture(folder + "/DATA", fixture::buildIndexFixture());
    fixture::writeFile(folder + "/OUTSIDE.KWI", {1, 2, 3});
    auto index = TLN_IndexManager::Create(path);
    const std::vector<std::string> names = {"../OUTSIDE.KWI",
                                            "/etc/passwd",
                                            "DATA/SRCH0001.KWI",
                                            "",
                                            "..",
                                            "A\\B",
                                            std::string("SRCH0001.KWI\0x", 14)};
    for (const std::string& name : names) {
        SCOPED_TRACE(name);
        EXPECT_FALSE(index->DataFileExists(name));
        EXPECT_THROW(index->OpenDataFile(name), EIndexDataFileMissing);
    }
}

TEST(IndexNames, SearchKinds) {
    // Codes that share a name, the first and last rows, and codes that only nearly match.
    const std::pair<const char*, const char*> table[] = {
        {"FSLZ", "Zone Selection"},
        {"FITS", "Intersection Search"},
        {"FSIS", "Intersection Search"},
        {"FWM3", "Wide-boundary Mesh Search"},
        {"PKPC", "POI Post Code"},
        {"fslz", ""},
        {"FSL", ""},
        {"", ""},
        {"SRHA", ""},
    };
    for (const auto& [code, name] : table)
        EXPECT_EQ(GetSearchKindName(code), name) << code;
}

// A data file named by a CMP list is read decompressed: the same records as from the plain file.
class IndexListedDataFile : public ::testing::TestWithParam<fixture::CmpLayout> {};

TEST_P(IndexListedDataFile, ReadsTheSameRecords) {
    const std::string folder = fixture::scratchDir(std::string("index-listed-") + cmpLayoutName(GetParam()));
    const fixture::IndexFixture files = fixture::buildIndexFixture();
    auto index = TLN_IndexManager::Create(fixture::writeListedIndexFixture(folder, files, GetParam()));
    ASSERT_NE(fixture::readFile(folder + "/SRCH0001.KWI"), files.dataFile);
    EXPECT_EQ(index->OpenDataFile("SRCH0001.KWI")->Size(), int64_t(files.dataFile.size()));

    TLN_Volume_Management_Record volume;
    ASSERT_TRUE(index->ReadVolumeRecord(0, volume));
    TLN_Search_Frame_Header frame;
    ASSERT_TRUE(index->ReadSearchFrameHeader(volume.FrameAddress, true, frame));
    EXPECT_EQ(frame.RecordsDeclaration, "DSR1");
    TLN_Detailed_Info_Rec record;
    ASSERT_TRUE(index->ReadDetailedSearchRecord(frame, 0, record));
    EXPECT_EQ(record.DefaultPOISerialNumber, 77u);
    TLN_Definition_Frame definition;
    ASSERT_TRUE(
        index->ReadDataDefinition(record.CategoryDefinition, definition, 2 * record.CategoryDefinitionSize));
    EXPECT_EQ(definition.Columns.size(), 3u);
    TLN_Index_Expansion_Rec expansion;
    ASSERT_TRUE(index->ReadExpansionRecord(0, expansion));
    TLN_Character_Info_Frame characters;
    ASSERT_TRUE(index->ReadCharacterInfoFrame(expansion.Data, characters));
    ASSERT_EQ(characters.Entries.size(), 2u);
    EXPECT_EQ(characters.Entries[1].Position, kCharacterEntry1);
}

INSTANTIATE_TEST_SUITE_P(Layouts, IndexListedDataFile,
                         ::testing::Values(fixture::CmpLayout::Gzip05, fixture::CmpLayout::Bpe05,
                                           fixture::CmpLayout::Zlib13));
