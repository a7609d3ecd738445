#include "platform/display_scale.h"

#include <gtest/gtest.h>

namespace {

float scaleOf(const char* gdkScale, float xftDpi) {
    DesktopScaleSettings settings;
    settings.gdkScale = gdkScale;
    settings.xftDpi = xftDpi;
    return chooseDisplayScale(settings);
}

TEST(DisplayScale, AnOrdinaryDesktopDrawsAtTheDesignedSize) {
    EXPECT_EQ(scaleOf(nullptr, 0.0f), 1.0f);
    EXPECT_EQ(scaleOf("", 0.0f), 1.0f);
    EXPECT_EQ(scaleOf(nullptr, 96.0f), 1.0f);
}

TEST(DisplayScale, TheFontDpiGivesTheScaleInQuarterSteps) {
    EXPECT_EQ(scaleOf(nullptr, 192.0f), 2.0f);
    EXPECT_EQ(scaleOf(nullptr, 144.0f), 1.5f);
    EXPECT_EQ(scaleOf(nullptr, 120.0f), 1.25f);
    EXPECT_EQ(scaleOf(nullptr, 168.0f), 1.75f);
    EXPECT_EQ(scaleOf(nullptr, 110.0f), 1.25f);  // 1.146 is nearer 1.25 than 1
    EXPECT_EQ(scaleOf(nullptr, 100.0f), 1.0f);   // 1.042
}

TEST(DisplayScale, TheSessionScaleComesBeforeTheFontDpi) {
    EXPECT_EQ(scaleOf("2", 96.0f), 2.0f);
    EXPECT_EQ(scaleOf("3", 0.0f), 3.0f);
    EXPECT_EQ(scaleOf("1", 192.0f), 1.0f);
}

TEST(DisplayScale, SettingsThatAreNoScaleArePassedOver) {
    EXPECT_EQ(scaleOf("two", 192.0f), 2.0f);
    EXPECT_EQ(scaleOf("2x", 0.0f), 1.0f);
    EXPECT_EQ(scaleOf("0", 144.0f), 1.5f);
    EXPECT_EQ(scaleOf("-2", 0.0f), 1.0f);
    EXPECT_EQ(scaleOf("nan", 0.0f), 1.0f);
    EXPECT_EQ(scaleOf(nullptr, -192.0f), 1.0f);
}

TEST(DisplayScale, NeverSmallerThanDesignedNorLargerThanFourTimes) {
    EXPECT_EQ(scaleOf(nullptr, 48.0f), 1.0f);
    EXPECT_EQ(scaleOf("0.5", 0.0f), 1.0f);
    EXPECT_EQ(scaleOf("12", 0.0f), 4.0f);
    EXPECT_EQ(scaleOf(nullptr, 10000.0f), 4.0f);
    EXPECT_EQ(scaleOf("1e30", 0.0f), 4.0f);
}

}  // namespace
