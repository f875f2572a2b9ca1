// What is not text in data shows as the hex viewer shows it: a dot.
#include <gtest/gtest.h>

#include "mainwindow/model/VisibleText.h"

TEST(VisibleText, ControlAndUnreadableBytesShowAsDots) {
    const struct {
        QString text;
        QString shown;
    } cases[] = {
        {QStringLiteral("KIWI"), QStringLiteral("KIWI")},
        {QString::fromUtf8("a\x01\nb\x7f"), QStringLiteral("a..b.")},
        {QString::fromUtf8("NAME\xC0\xFF"), QStringLiteral("NAME..")},
        {QStringLiteral("Санкт-Петербург"), QStringLiteral("Санкт-Петербург")},
    };
    for (const auto& c : cases)
        EXPECT_EQ(VisibleText(c.text), c.shown) << c.text.toStdString();
}
