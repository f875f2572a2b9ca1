// The INDEXDAT.KWI test fixture, written field by field with the fixture builder's own writer.
#include "support/IndexFixture.h"

#include <stdexcept>

#include "support/FixtureWriter.h"

namespace fixture {

namespace {

using namespace index_layout;

constexpr int32_t kDegree = 28800;

// Pads to a planned position; a layout that overruns it is a fault of the fixture itself.
void at(ByteWriter& w, uint32_t position) {
    if (w.size() > position)
        throw std::logic_error("index fixture overruns position " + std::to_string(position));
    w.padTo(position);
}

// File-address item: u32 word offset in the named file, u16 name length in words, the name.
void fileItem(ByteWriter& w, uint32_t wordOffset, const std::string& name) {
    const size_t words = (name.size() + 1) / 2;
    w.u32(wordOffset).u16(uint32_t(words)).fixedText(name, words * 2);
}

// Representation item: u16 length in words, the text padded with NUL to whole words.
void representation(ByteWriter& w, const std::string& text, uint32_t words = 0) {
    const size_t padded = (text.size() + 1) / 2;
    w.u16(words ? words : uint32_t(padded)).fixedText(text, padded * 2);
}

// Column descriptor: name, u32, 2-character type, u16 element count, u32.
void column(ByteWriter& w, const std::string& name, uint32_t value4, const std::string& type, uint32_t count,
            uint32_t value12) {
    w.fixedText(name, 4).u32(value4).fixedText(type, 2).u16(count).u32(value12);
}

void managementRecord(ByteWriter& w, const std::string& declaration, const std::string& kind,
                      const std::string& address, uint32_t expansionSize, uint32_t expansionOffset,
                      const std::string& keyboard, int32_t minLat, int32_t minLon, int32_t maxLat,
                      int32_t maxLon, uint32_t frameSize, uint32_t frameField, uint32_t representationField) {
    const size_t start = w.size();
    w.fixedText(declaration, 4)
        .fixedText(kind, 4)
        .fixedText(address, 4)
        .u32(expansionSize)
        .u32(expansionOffset);
    w.fixedText(keyboard, 4).coordinate(minLat).coordinate(minLon).coordinate(maxLat).coordinate(maxLon);
    w.u32(frameSize).u32(frameField).u32(representationField);
    w.padTo(start + kManagementRecordSize, 0xEE); // the unused tail of the record
}

std::vector<uint8_t> buildIndex() {
    ByteWriter w;
    // Data management frame header.
    w.text("INDX").fixedText("V1.00", 8).u32(0x20240131).u32(0x12345600).fixedText("(C) FIXTURE", 32);
    w.u32(3).u32(0x1C); // user field (never followed)
    w.u32(kExpansionFieldSize / 2).u32(kExpansionField / 2);
    w.u32(2).u32(kManagementRecordSize / 2).u32(kVolumeRecords / 2);
    w.u32(1).u32(kManagementRecordSize / 2).u32(kPOIRecords / 2);
    w.u16(8).u16((kTitle - 92) / 2);
    at(w, kTitle);
    representation(w, "Fixture Index");

    at(w, kVolumeRecords);
    managementRecord(w, "VOL1", "FSLZ", "FNME", 0, 0, "KB01", 35 * kDegree, 139 * kDegree, 36 * kDegree,
                     140 * kDegree, 0x40, kVolume0Item / 2, kVolume0Representation / 2);
    managementRecord(w, "VOL2", "FSAD", "LOCL", 2, 0x10, "KB02", -(33 * kDegree + kDegree / 2),
                     -(70 * kDegree + kDegree / 4), -33 * kDegree, -70 * kDegree, 8, kLocalSearchFrame / 2,
                     0xFFFFFFFF);
    at(w, kPOIRecords);
    managementRecord(w, "POI1", "PKNR", "FNME", 0, 0, "----", 0, 0, 0, 0, 0x20, kPOIItem / 2,
                     kPOIRepresentation / 2);

    // Individual expansion field: declaration, 8 bytes, record count, then the records.
    at(w, kExpansionField);
    w.text("EXPF").fill(8).u32(2);
    at(w, kExpansionRecord0);
    w.text("EXP1").coordinate(35 * kDegree + kDegree / 2).coordinate(139 * kDegree + kDegree / 2);
    w.u8(7).u8(0).u16(0x1234).u32(0x20).text("FNME").u8(12).text("SRCH0001.KWI").u32(kCharacterFrame / 2);
    w.align(4);
    at(w, kExpansionRecord1);
    w.text("EXP2").fill(12).u32(0x10).text("LOCL").u8(3).text("abc").u32(kLocalCharacterFrame / 2);
    w.align(4);
    at(w, kExpansionField + kExpansionFieldSize);

    at(w, kVolume0Item);
    fileItem(w, kSearchFrame / 2, "SRCH0001.KWI");
    at(w, kVolume0Representation);
    representation(w, "Zone \xC3\xBC");
    at(w, kPOIItem);
    fileItem(w, kPOIFrame / 2, "SRCH0001.KWI");
    at(w, kPOIRepresentation);
    representation(w, "POI normal");

    // Volume 1's search frame lives in the index: plain word offsets from the base.
    at(w, kLocalSearchFrame);
    w.text("MFSF").u32(1).u32(kDetailedRecordSize / 2).u32((kLocalDetailedRecord - kLocalSearchFrame) / 2);
    at(w, kLocalDetailedRecord);
    w.text("DSL1").u32(0).u32(0).u32(0x20).u32(kLocalDefinition / 2).u32(0).u32(0xFFFFFFFF).text("KB21");
    w.u32(1).u32(2).u32(3).u32(4).u32(5).text("KB22");
    w.u32(0).u32(0xFFFFFFFF).u32(0).u32(0xFFFFFFFF).u32(0).u32(0).u32(0).u32(0).u32(0xFFFFFFFF);
    representation(w, "L1");

    at(w, kLocalCharacterFrame);
    w.text("CHR2").fill(8).u32(1);
    w.text("ELM3").u32(0x20).text("LOCL").u8(0).u32(kLocalSearchFrame / 2);

    at(w, kLocalDefinition);
    w.text("DDEF").text("CATG").fill(4, 0xEE).u32(2);
    column(w, "SZCD", 0x3042, "UW", 1, 0);
    column(w, "TPNM", 0x41, "CH", 'U' << 8 | 'B', 7);
    at(w, kIndexSize);
    return w.take();
}

std::vector<uint8_t> buildDataFile() {
    ByteWriter w;
    w.text("SRCHDATA");
    at(w, kSearchFrame);
    w.text("MFSF").u32(2).u32(kDetailedRecordSize / 2).u32((kDetailedRecords - kSearchFrame) / 2);
    // Detailed record 0: every address an "FNME" item (volume 0 names FNME).
    w.text("DSR1")
        .u32(0x11)
        .u32(0x22)
        .u32(0x20)
        .u32(kCategoryDefinitionItem / 2)
        .u32(0x20)
        .u32(kCategoryDataItem / 2);
    w.text("KB11").u32(2).u32(3).u32(4).u32(5).u32(6).text("KB12");
    w.u32(0x10).u32(kMatchingDefinitionItem / 2).u32(0x30).u32(0xFFFFFFFF).u32(4).u32(9).u32(77);
    w.u32(0x40).u32(kNextLevelItem / 2);
    representation(w, "Z1");
    // Detailed record 1: no frames; its representation claims 5 words but the record holds only one.
    w.text("DSR2").fill(12).u32(0xFFFFFFFF).u32(0).u32(0xFFFFFFFF).fill(4).fill(20).fill(4);
    w.u32(0).u32(0xFFFFFFFF).u32(0).u32(0xFFFFFFFF).u32(0).u32(0).u32(0).u32(0).u32(0xFFFFFFFF);
    representation(w, "AB", 5);

    at(w, kCategoryDefinitionItem);
    fileItem(w, kCategoryDefinition / 2, "SRCH0001.KWI");
    at(w, kCategoryDataItem);
    fileItem(w, 0, "CATDATA.KWI");
    at(w, kMatchingDefinitionItem);
    fileItem(w, kMatchingDefinition / 2, "SRCH0001.KWI");
    at(w, kNextLevelItem);
    fileItem(w, kNextLevelFrame / 2, "SRCH0001.KWI");

    at(w, kCategoryDefinition);
    w.text("DDEF").text("CATG").fill(4, 0xEE).u32(3);
    column(w, "SZCD", 0x3042, "UW", 1, 0);
    column(w, "TPNM", 0x41, "CH", 'U' << 8 | 'B', 7);
    column(w, "NXST", 0x824F, "UL", 1, 0x01020304);
    at(w, kMatchingDefinition);
    w.text("MDEF").text("MTCH").fill(4, 0xEE).u32(1);
    column(w, "KYCH", 0, "UB", 1, 0);

    at(w, kPOIFrame);
    w.text("MFPI").u32(1).u32(18).u32((kPOIRecord - kPOIFrame) / 2);
    w.text("DPI1").u32(0x15).u32(0x26).u32(0x10).u32(kPOIDefinitionItem / 2).u32(0x40).u32(kPOIDataItem / 2);
    w.u32(6).u32(12);
    at(w, kPOIDefinitionItem);
    fileItem(w, kMatchingDefinition / 2, "SRCH0001.KWI");
    at(w, kPOIDataItem);
    fileItem(w, 0x10, "POIDATA.KWI");

    at(w, kNextLevelFrame);
    w.text("DFSR");

    // Character information frame of expansion record 0; entries are not padded.
    at(w, kCharacterFrame);
    w.text("CHR1").fill(8).u32(2);
    w.text("ELM1").u32(0x40).text("FNME").u8(12).text("SRCH0001.KWI").u32(kSearchFrame / 2);
    if (w.size() != kCharacterEntry1) throw std::logic_error("index fixture: character entry 1 misplaced");
    w.text("ELM2").u32(0x10).text("LOCL").u8(1).text("x").u32(kCharacterFrame / 2);

    at(w, kRecordHeader);
    w.u32(0x11223344).u32(0x55667788).u32(0x99AABBCC).u8(0xDD);
    at(w, kDataFileSize);
    return w.take();
}

} // namespace

IndexFixture buildIndexFixture(int64_t base) {
    IndexFixture fixture;
    fixture.base = base;
    for (int64_t p = 0; p < base; ++p)
        fixture.index.push_back(positionByte(uint64_t(p)));
    const std::vector<uint8_t> index = buildIndex();
    fixture.index.insert(fixture.index.end(), index.begin(), index.end());
    fixture.dataFile = buildDataFile();
    return fixture;
}

std::string writeIndexFixture(const std::string& folder, const IndexFixture& fixture,
                              const std::string& dataFileName) {
    const std::string index = folder + "/INDEXDAT.KWI";
    writeFile(index, fixture.index);
    writeFile(folder + "/" + dataFileName, fixture.dataFile);
    return index;
}

std::string writeListedIndexFixture(const std::string& folder, const IndexFixture& fixture,
                                    CmpLayout layout) {
    const std::string index = folder + "/INDEXDAT.KWI";
    writeFile(index, fixture.index);
    writeCmpLayout(folder, layout, "SRCH0001.KWI", fixture.dataFile);
    return index;
}

} // namespace fixture
