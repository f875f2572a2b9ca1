// The converter wizard's rules that need no window: stamps, the remembered output name, the output check,
// the defaults derived from the open map, type codes, trim edges and the areas chosen for trimming.
#pragma once

#include <QDate>
#include <QString>
#include <cstdint>
#include <optional>
#include <vector>

#include "converter/wizard/ConverterSource.h"

// "V yy.hh.ll" for version counter c (c of 9999 or more, or below 0, counts as 0).
QString VersionStampText(int counter, const QDate& today);
// "yy/mm/dd/00".
QString DateStampText(const QDate& today);
// The remembered output name, with a file part "ALLDATA1.KWI" (any case) read as "ALLDATA.KWI".
QString RememberedOutputName(const QString& stored);

enum class OutputVerdict { Accepted, ReadOnly, SameAsSource, MissingFolder };
// Whether the new map may be written to outputPath: not over a read-only file or into a folder that
// cannot be written, not in a missing folder, and neither the source file nor a file in the source's
// folder or its CMP list's folder (by device and inode, so links and other spellings are caught).
OutputVerdict CheckOutput(const QString& outputPath, const std::string& sourcePath);

// The settings Restore Default derives from the target, the system number and the top level's lists.
struct OptionDefaults {
    uint16_t buildingsTypeCode = 0x0143;
    uint16_t numberingTypeCode = 0x01C2;
    // Positions in the top level's lists; nothing when the class code is not in the list.
    std::optional<int> buildingsClass;
    std::optional<int> numberingClass;
    // 255 for none.
    int secondBackgroundClass = 255;
    int extraNameClass = 255;
    int codePageIndex = 4;
    // 0 "Добавить данные", 1 "Заменить старые данные".
    int addMode = 0;
    bool strictRules = true;
    bool clearExtraLevel = true;
};
// target: 0 AISIN-AW, 1 DENSO, 2 OTHERS.
OptionDefaults RestoreDefaults(int target, const ConverterSource& source);

// The background list as the buildings combo shows it: it ends at the first entry after position 13 whose
// code is 15.
std::vector<uint16_t> ShownBackgroundCodes(const std::vector<uint16_t>& codes);

// A type code typed as one to four hexadecimal digits; nothing for anything else.
std::optional<uint16_t> ParseTypeCode(const QString& text);
QString TypeCodeText(uint16_t code);

// Keeps trim edges apart: moving one edge pushes the opposite one to keep the least extent.
inline constexpr int32_t kLeastNorthSouth = 4800;
inline constexpr int32_t kLeastWestEast = 7200;
struct TrimEdges {
    int32_t north = 0, south = 0, west = 0, east = 0;
};
enum class TrimEdge { North, South, West, East };
TrimEdges CoupleEdges(TrimEdges edges, TrimEdge moved);
// A west or east edge as the map stores longitudes: on a coverage across 180 degrees the edges count on
// eastward past it, where places are stored as west longitudes.
int32_t StoredLongitude(int32_t longitude);

// The area codes of the checked items of the area list: item 0 is "ALL", item i the area i - 1, an item
// past the last area ("-0-") gives 255.
std::vector<int> SelectedAreaCodes(const std::vector<bool>& checked, const std::vector<ConverterArea>& areas);

// The trim level kept within its selection 3..5.
int ClampTrimLevel(int position);
