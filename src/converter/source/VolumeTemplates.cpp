// The data volume header templates of the target systems.
#include "converter/source/VolumeTemplates.h"

#include <algorithm>

namespace {

enum class Records { AisinAw, Denso, Other };

struct TemplateText {
    const char* name;
    int bytes;
    const char* system;
    const char* format;
    const char* data;
    const char* title;
    Records records;
};

// Texts ending in "\n" end with a line feed byte in the header. Disc titles in Shift-JIS are left empty.
const TemplateText kTemplates[kVolumeTemplateCount] = {
    {"AFEU23D", 320, "AFEU:2.3D,AGEU:2.3D", "FORMAT VERSION KIWI01-22-00", "DATA VERSION 11/10/26/02",
     "EU A-Format 2.47", Records::AisinAw},
    {"AFEU245", 320, "AFEU:2.45,AGEU:2.45", "FORMAT VERSION KIWI01-22-00", "DATA VERSION 16/11/21/01",
     "EU A-Format 2.47", Records::AisinAw},
    {"AFEU264", 320, "AFEU:2.64,AGEU:2.64\n", "FORMAT VERSION KIWI01-22-00\n", "DATA VERSION 13/12/26/01\n",
     "EU \n", Records::Other},
    {"AFEU403", 320, "AFEU:4.03,AGEU:4.03", "FORMAT VERSION KIWI01-22-00", "DATA VERSION 17/05/09/01",
     "EU A-Format 4.03", Records::AisinAw},
    {"AFEU404", 320, "AFEU:4.04,AGEU:4.04\n", "FORMAT VERSION KIWI01-22-00\n", "DATA VERSION 16/02/15/01\n",
     "RU \n", Records::Other},
    {"AFUS23D", 320, "AFUS:2.3D,AGUS:2.3D", "FORMAT VERSION KIWI02-01-05", "DATA VERSION 03/09/11/01", "",
     Records::Denso},
    {"AFUS247", 320, "AFUS:2.47,AGUS:2.47", "FORMAT VERSION KIWI01-22-00", "DATA VERSION 15/02/05/01", "",
     Records::Denso},
    {"AFUS248", 320, "AFUS:2.48,AGUS:2.48", "FORMAT VERSION KIWI01-22-00", "DATA VERSION 08/06/14/01", "",
     Records::Denso},
    {"AFUS404", 320, "AFUS:4.04,AGUS:4.04", "FORMAT VERSION KIWI01-22-00", "DATA VERSION 09/06/16/01", "",
     Records::Denso},
    {"AFJ21B", 1264, "AFJ:2.1b,AGJ:2.1b\n", "FORMAT VERSION KIWI01-06-00\n", "DATA VERSION 01-00001\n",
     "US\n", Records::Other},
    {"AFJ23D", 320, "AFJ:2.3D,AGJ:2.3D\n", "FORMAT VERSION KIWI01-22-00\n", "DATA VERSION 08/05/13/01\n",
     "EU Russia\n", Records::Other},
    {"AFJ23F", 320, "AFJ:2.3F,AGJ:2.3F\n", "FORMAT VERSION KIWI01-22-00\n", "DATA VERSION 01-00001\n",
     "JAPAN\n", Records::Other},
    {"AFJ247", 320, "AFJ:2.47,AGJ:2.47", "FORMAT VERSION KIWI01-22-00", "DATA VERSION 10/07/30/91", "",
     Records::AisinAw},
    {"AFJ305", 320, "AFJ:3.05,AGJ:3.05", "FORMAT VERSION KIWI01-22-00", "DATA VERSION 11/02/15/91", "",
     Records::AisinAw},
    {"AFAU245", 320, "AFAU:2.45,AGAU:2.45", "FORMAT VERSION KIWI01-22-00", "DATA VERSION 07/07/25/01",
     "AU A-Format 2.47", Records::AisinAw},
    {"AFME403", 320, "AFME:4.03,AGME:4.03", "FORMAT VERSION KIWI01-22-00", "DATA VERSION 09/04/13/01",
     "ME A-Format 4.03", Records::AisinAw},
};

// The maker's office position, floor and date.
const uint8_t kMaker[12] = {0x0F, 0x67, 0x88, 0x00, 0x3C, 0x47, 0x22, 0x00, 0x03, 0x00, 0x07, 0x22};
const uint8_t kAisinAw[12] = {0x0F, 0x56, 0xA3, 0x00, 0x3C, 0x3C, 0x8A, 0x00, 0x07, 0x00, 0x01, 0x66};
const uint8_t kDenso[12] = {0x0F, 0x61, 0x3C, 0x00, 0x3C, 0x35, 0x7D, 0x00, 0x00, 0x00, 0x07, 0x22};

void text(std::vector<uint8_t>& bytes, size_t at, size_t field, const std::string& value) {
    std::copy_n(value.begin(), std::min(field, value.size()), bytes.begin() + std::ptrdiff_t(at));
}

} // namespace

std::string VolumeTemplateName(int index) {
    return index >= 0 && index < kVolumeTemplateCount ? kTemplates[index].name : "";
}

std::vector<uint8_t> VolumeTemplate(int index) {
    if (index < 0 || index >= kVolumeTemplateCount) return {};
    const TemplateText& t = kTemplates[index];
    std::vector<uint8_t> bytes(size_t(t.bytes), 0);
    std::copy_n(kMaker, 12, bytes.begin());
    text(bytes, 12, 52, t.system);
    for (const size_t at : {size_t(64), size_t(128)}) {
        if (t.records == Records::AisinAw) {
            std::copy_n(kAisinAw, 12, bytes.begin() + std::ptrdiff_t(at));
            text(bytes, at + 12, 20, "aisin-aw");
        } else if (t.records == Records::Denso) {
            std::copy_n(kDenso, 12, bytes.begin() + std::ptrdiff_t(at));
            text(bytes, at + 12, 20, "denso");
        }
    }
    text(bytes, 160, 64, t.format);
    text(bytes, 224, 64, t.data);
    text(bytes, 288, 32, t.title);
    return bytes;
}
