// The resource bitmaps load, once, from any thread.
#include <gtest/gtest.h>
#include <thread>
#include <vector>

#include "kiwi/display/KiwiBitmaps.h"

TEST(KiwiBitmaps, EveryBitmapLoads) {
    for (std::string_view name : KiwiBitmapNames) {
        const QImage image = KiwiBitmap(name);
        EXPECT_FALSE(image.isNull()) << name;
        EXPECT_GT(image.width(), 0) << name;
        EXPECT_GT(image.height(), 0) << name;
    }
    EXPECT_TRUE(KiwiBitmap("BLUEBMP").isNull());
    EXPECT_TRUE(KiwiBitmap("").isNull());
    EXPECT_TRUE(KiwiBitmap("greenbmp").isNull());
}

TEST(KiwiBitmaps, OneWayArrowIsTransparentAroundTheArrow) {
    const QImage arrow = KiwiBitmap("ONEWAYBMP");
    ASSERT_FALSE(arrow.isNull());
    ASSERT_TRUE(arrow.hasAlphaChannel());
    EXPECT_EQ(qAlpha(arrow.pixel(0, arrow.height() - 1)), 0);
    EXPECT_EQ(qAlpha(arrow.pixel(arrow.width() - 1, 0)), 0);
    EXPECT_EQ(qAlpha(arrow.pixel(0, arrow.height() / 2)), 255); // the shaft
    EXPECT_FALSE(KiwiBitmap("VIOLETBMP").hasAlphaChannel());
}

TEST(KiwiBitmaps, FirstUseFromSeveralThreads) {
    std::vector<std::thread> threads;
    std::vector<qint64> keys(8);
    for (std::size_t i = 0; i < keys.size(); ++i)
        threads.emplace_back([&keys, i] { keys[i] = KiwiBitmap(KiwiBitmapNames[i]).cacheKey(); });
    for (std::thread& thread : threads)
        thread.join();
    for (std::size_t i = 0; i < keys.size(); ++i)
        EXPECT_EQ(keys[i], KiwiBitmap(KiwiBitmapNames[i]).cacheKey()) << KiwiBitmapNames[i];
}
