// Texts of the field grid and status line: grouped decimals, spaced hex and its inverse, coordinates, names.
#include <QLocale>
#include <gtest/gtest.h>

#include <climits>

#include "kiwi/display/KiwiFormat.h"

TEST(KiwiFormat, GroupedNumbers) {
    struct Case {
        int64_t value;
        const char* text;
    };
    const Case cases[] = {
        {0, "0"},
        {999, "999"},
        {1000, "1 000"},
        {100000, "100 000"},
        {1234567, "1 234 567"},
        {-1234, "-1 234"},
        {-999, "-999"},
        {1000000000000000, "1 000 000 000 000 000"},
        {1000000000000000000, "1000 000 000 000 000 000"}, // at most five blanks
        {LLONG_MAX, "9223 372 036 854 775 807"},
        {LLONG_MIN, "-9223 372 036 854 775 808"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FormatNumberGrouped(c.value), c.text) << c.value;
}

TEST(KiwiFormat, HexShowsTheSignificantBytes) {
    struct Case {
        int64_t value;
        const char* spaced;
        const char* prefixed;
        const char* digits;
        const char* spaced32;
    };
    const Case cases[] = {
        {0, "0 x 00", "0x00", "00", "0 x 00 00 00 00"},
        {0xFF, "0 x FF", "0xFF", "FF", "0 x 00 00 00 FF"},
        {0x100, "0 x 01 00", "0x0100", "0100", "0 x 00 00 01 00"},
        {0x1234, "0 x 12 34", "0x1234", "1234", "0 x 00 00 12 34"},
        {0x10000, "0 x 01 00 00", "0x010000", "010000", "0 x 00 01 00 00"},
        {0xFFFFFF, "0 x FF FF FF", "0xFFFFFF", "FFFFFF", "0 x 00 FF FF FF"},
        {0x1000000, "0 x 01 00 00 00", "0x01000000", "01000000", "0 x 01 00 00 00"},
        {0xFFFFFFFF, "0 x FF FF FF FF", "0xFFFFFFFF", "FFFFFFFF", "0 x FF FF FF FF"},
        {0x100000000, "0 x 01 00 00 00 00", "0x0100000000", "0100000000", "0 x 01 00 00 00 00"},
        {0xFF12345678, "0 x FF 12 34 56 78", "0xFF12345678", "FF12345678", "0 x FF 12 34 56 78"},
        {0x10012345678, "0 x 01 00 12 34 56 78", "0x010012345678", "010012345678", "0 x 01 00 12 34 56 78"},
        // Bytes 6 and 7 are never shown.
        {0x123456789ABCDEF0, "0 x 56 78 9A BC DE F0", "0x56789ABCDEF0", "56789ABCDEF0",
         "0 x 56 78 9A BC DE F0"},
        // A negative high half shows the low byte only.
        {-1, "0 x FF", "0xFF", "FF", "0 x FF FF FF FF"},
        {-0x100000000 + 0x1234, "0 x 34", "0x34", "34", "0 x 00 00 12 34"},
        {LLONG_MIN, "0 x 00", "0x00", "00", "0 x 00 00 00 00"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FormatHex64Spaced(c.value), c.spaced) << std::hex << c.value;
        EXPECT_EQ(FormatHex0x(c.value), c.prefixed) << std::hex << c.value;
        EXPECT_EQ(FormatHexDigits(c.value), c.digits) << std::hex << c.value;
        EXPECT_EQ(FormatHex32Spaced(c.value), c.spaced32) << std::hex << c.value;
    }
    EXPECT_EQ(FormatDWordHex(0x12AB00CD), "0 x 12 AB 00 CD");
    EXPECT_EQ(FormatDWordHex(0), "0 x 00 00 00 00");
    EXPECT_EQ(FormatWordHex(0x0A0B), "0 x 0A 0B");
    EXPECT_EQ(FormatWordHex(0), "0 x 00 00");
}

TEST(KiwiFormat, CompactHexTextJoinsTheGroups) {
    struct Case {
        const char* text;
        const char* digits;
    };
    const Case cases[] = {
        {"0 x 12 34", "1234"},
        {"0 x 00", "00"},
        {"0 x ab cd", "ABCD"},
        {"Offset=0 x 00 00 12 34", "00001234"},
        {"0 x 7F FF FF FF FF FF FF FF", "7FFFFFFFFFFFFFFF"},
        {"0 x 00 7F FF FF FF FF FF FF FF", "007FFFFFFFFFFFFFFF"},
        // Failures: no prefix, a bad group, a bad separator, nothing after the prefix, beyond int64.
        {"", ""},
        {"0x1234", ""},
        {"1234", ""},
        {"0 x 1G", ""},
        {"0 x 123", ""},
        {"0 x 1 23", ""},
        {"0 x 12  34", ""},
        {"0 x 12 34 ", ""},
        {"0 x 12-34", ""},
        {"0 x ", ""},
        {"0 x 80 00 00 00 00 00 00 00", ""},
        {"0 x 01 00 00 00 00 00 00 00 00", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CompactHexText(c.text), c.digits) << '"' << c.text << '"';
}

TEST(KiwiFormat, CompactHexTextInvertsTheSpacedForms) {
    for (int64_t value :
         {int64_t(0), int64_t(0x1234), int64_t(0xFFFFFFFF), int64_t(0x100000000), int64_t(0xFFFFFFFFFFFF)}) {
        EXPECT_EQ(std::stoll(CompactHexText(FormatHex64Spaced(value)), nullptr, 16), value);
        EXPECT_EQ(std::stoll(CompactHexText(FormatHex32Spaced(value)), nullptr, 16), value);
    }
    EXPECT_EQ(CompactHexText(FormatDWordHex(0x800000FF)), "800000FF");
    EXPECT_EQ(CompactHexText(FormatWordHex(0xBEEF)), "BEEF");
}

TEST(KiwiFormat, DegreesMinutesSeconds) {
    struct Case {
        int32_t value;
        const char* dms;
        const char* latitude;
        const char* longitude;
    };
    const Case cases[] = {
        {28800 * 55 + 8 * 60 * 12 + 8 * 7 + 4, "55*12'7,5", "N55*12'7,5", "E55*12'7,5"},
        {-(28800 * 55 + 8 * 60 * 12 + 8 * 7 + 4), "55*12'7,5", "S55*12'7,5", "W55*12'7,5"},
        {0, "0*0'0,0", "N0*0'0,0", "W0*0'0,0"},
        {1, "0*0'0,1", "N0*0'0,1", "E0*0'0,1"},
        {-8, "0*0'1,0", "S0*0'1,0", "W0*0'1,0"},
        {28800, "1*0'0,0", "N1*0'0,0", "E1*0'0,0"},
        {28799, "0*59'59,8", "N0*59'59,8", "E0*59'59,8"},
        {0x7FFFFF, "291*16'15,8", "N291*16'15,8", "E291*16'15,8"},
        {INT_MIN, "74565*24'16,0", "S74565*24'16,0", "W74565*24'16,0"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FormatDMS(c.value), c.dms) << c.value;
        EXPECT_EQ(FormatLatitude(c.value), c.latitude) << c.value;
        EXPECT_EQ(FormatLongitude(c.value), c.longitude) << c.value;
    }
    // Eighths of a second: (magnitude and 7) × 125 div 100.
    const char eighths[] = "01235678";
    for (int32_t rest = 0; rest < 8; ++rest)
        EXPECT_EQ(FormatDMS(rest), std::string("0*0'0,") + eighths[rest]) << rest;
}

TEST(KiwiFormat, DecimalDegreesUseTheSystemSeparator) {
    const std::string point = QLocale::system().decimalPoint().toStdString();
    struct Case {
        int32_t value;
        const char* whole;
        const char* fraction;
    };
    const Case cases[] = {
        {28800, "1", "000"},     {0, "0", "000"},           {-28800, "-1", "000"}, {1589820, "55", "202"},
        {72, "0", "003"},        {71, "0", "002"},          {-72, "-0", "003"},    {-1, "0", "000"},
        {8388607, "291", "271"}, {-3947658, "-137", "071"}, {15, "0", "001"},      {14, "0", "000"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FormatDegrees(c.value), std::string(c.whole) + point + c.fraction) << c.value;
}

TEST(KiwiFormat, CompressionTypeNames) {
    for (uint32_t type : {2u, 258u, 514u, 770u})
        EXPECT_EQ(CompressionTypeName(type), "GZIP type") << type;
    EXPECT_EQ(CompressionTypeName(0), "Not compressed");
    EXPECT_EQ(CompressionTypeName(1), "BPE type");
    for (uint32_t type : {3u, 256u, 1026u, 13258u, 0xFFFFFFFFu})
        EXPECT_EQ(CompressionTypeName(type), "Unknown type") << type;
}

TEST(KiwiFormat, TrafficProviders) {
    EXPECT_EQ(TrafficProvidersText(0), "");
    EXPECT_EQ(TrafficProvidersText(0xF0), "");
    EXPECT_EQ(TrafficProvidersText(1), "VICS data provided");
    EXPECT_EQ(TrafficProvidersText(10), "ATIS RDS-TMC data provided");
    EXPECT_EQ(TrafficProvidersText(0x1C), "Traffic Master RDS-TMC data provided");
    EXPECT_EQ(TrafficProvidersText(15), "VICS ATIS Traffic Master RDS-TMC data provided");
}
