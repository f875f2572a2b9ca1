// The ALLDATA fixture with parcel data frames: the frame fixture's options per parcel and the map plan.
#include "support/AllDataFixtureWriter.h"
#include "support/FrameFixture.h"

namespace fixture {

namespace {
// The system number as the data volume's identification text gives it: the digit after the colon.
int systemNumberOf(const std::string& text) {
    const size_t colon = text.find(':', 3);
    if (colon == std::string::npos || colon + 1 >= text.size()) return 0;
    const char digit = text[colon + 1];
    return digit >= '0' && digit <= '9' ? digit - '0' : 0;
}
} // namespace

FrameOptions AllDataBuilder::frameOptions(int level, int counter) const {
    const LevelPlan& l = plan_.levels[size_t(level)];
    FrameOptions options;
    options.counter = counter;
    options.level = level;
    options.wide = systemNumberOf(plan_.systemText) >= 8;
    options.textCodePage = plan_.textCodePage;
    options.nodeRecordBytes = 2 * l.nodeRecordWords;
    // A few parcels carry every record kind; the others a small frame set.
    options.full = plan_.frames == AllDataPlan::Frames::Full || counter % 10 == 0;
    const bool lists = plan_.levelRecordBytes > 40;
    options.backgroundClasses = lists ? int(l.backgroundClasses.size()) : 32;
    options.nameClasses = lists ? int(l.nameClasses.size()) : 16;
    return options;
}

AllDataPlan framesAllDataPlan(bool wide) {
    AllDataPlan plan = smallAllDataPlan(wide ? "AFEU:8.05" : "AFEU:2.05");
    plan.frames = AllDataPlan::Frames::Sampled;
    plan.textCodePage = wide ? 1200 : 65001;
    plan.levelRecordBytes = 60; // room for 3 + 2 + 3 class codes
    for (LevelPlan& level : plan.levels) {
        level.nameClasses = {5, 6, 7};
        level.roadClasses = {3, 17, 9};
        // Guidance data and character strings.
        if (level.routeBasic > 0) level.routeBasic = 2;
        if (wide) level.nodeRecordWords = 5;
    }
    return plan;
}

} // namespace fixture
