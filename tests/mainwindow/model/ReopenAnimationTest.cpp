// The typewriter animation of the reopen labels: nine characters per tick, label after label, and an end
// after the sixth label whatever the list holds.
#include <gtest/gtest.h>

#include "mainwindow/model/ReopenAnimation.h"
#include "support/fixtures/QtPrinting.h"

namespace {

using Labels = ReopenAnimation::Label[ReopenAnimation::kLabels];

int runToEnd(ReopenAnimation& animation, const QStringList& texts, Labels& labels) {
    int ticks = 0;
    while (animation.Tick(texts, labels) && ticks < 10000)
        ++ticks;
    return ticks;
}

TEST(ReopenAnimation, TypesNineCharactersPerTick) {
    ReopenAnimation animation;
    Labels labels;
    const QStringList texts{QStringLiteral("/media/cdrom/navigation"), QStringLiteral("/b")};
    EXPECT_TRUE(animation.AtStart());
    animation.Tick(texts, labels);
    EXPECT_TRUE(labels[0].visible);
    EXPECT_EQ(labels[0].text, "/media/cd");
    EXPECT_FALSE(animation.AtStart());
    animation.Tick(texts, labels);
    EXPECT_EQ(labels[0].text, "/media/cdrom/navig");
    animation.Tick(texts, labels); // 27 ≥ 23 characters: the first label is done
    EXPECT_EQ(labels[0].text, texts[0]);
    EXPECT_EQ(animation.LabelIndex(), 1);
    animation.Tick(texts, labels);
    EXPECT_EQ(labels[1].text, "/b");
    EXPECT_EQ(animation.LabelIndex(), 2);
}

TEST(ReopenAnimation, EndsAfterTheSixthLabelAndHidesTheRest) {
    ReopenAnimation animation;
    Labels labels;
    labels[4].visible = true;
    const QStringList texts{QStringLiteral("/a"), QStringLiteral("/b"), QStringLiteral("/c")};
    const int ticks = runToEnd(animation, texts, labels);
    // One tick per short label, one per label past the list.
    EXPECT_EQ(ticks, 6);
    EXPECT_TRUE(animation.Finished());
    for (int i = 0; i < 3; ++i) {
        EXPECT_TRUE(labels[i].visible);
        EXPECT_EQ(labels[i].text, texts[i]);
    }
    for (int i = 3; i < 6; ++i)
        EXPECT_FALSE(labels[i].visible) << i;
    EXPECT_FALSE(animation.Tick(texts, labels));
}

TEST(ReopenAnimation, EmptyListEndsToo) {
    ReopenAnimation animation;
    Labels labels;
    EXPECT_EQ(runToEnd(animation, {}, labels), 6);
    animation.Restart();
    EXPECT_TRUE(animation.AtStart());
}

TEST(ReopenAnimation, ShowAllGivesEveryLabelItsWholeText) {
    Labels labels;
    ReopenAnimation::ShowAll({QStringLiteral("/x"), QStringLiteral("/y")}, labels);
    EXPECT_EQ(labels[0].text, "/x");
    EXPECT_EQ(labels[1].text, "/y");
    EXPECT_TRUE(labels[1].visible);
    EXPECT_FALSE(labels[2].visible);
}

} // namespace
