#include "ui/main/mouseTrack.h"

#include <gtest/gtest.h>

#include "platform/fake/fakePlatform.h"

namespace keyloom::ui {
namespace {

struct FakeTrackView : mouseTrackView {
    double dpiX = 96, dpiY = 96;
    platform::Point corner{-1, -1};
    std::string label = "0,0";
    double dotsPerInchX() const override { return dpiX; }
    double dotsPerInchY() const override { return dpiY; }
    void moveTo(int left, int top) override { corner = {left, top}; }
    void setLabel(const std::string& text) override { label = text; }
    int interval = 10;
    void setTimerInterval(int ms) override { interval = ms; }
};

// The pace itself is ReadoutPace's (tKeyloom_test.cpp); the tracker follows it.
TEST(MouseTrack, FollowsTheCursorWithoutClampingAndSlowsDownWhileItStandsStill) {
    platform::FakePlatform fake;
    FakeTrackView view;
    mouseTrack track{view, fake};
    fake.cursor = {100, 100};
    track.Form_Load();
    // At once; 200 twips at 96 dpi (15 twips a pixel) are 13 1/3 pixels.
    EXPECT_EQ(view.corner, (platform::Point{113, 113}));
    EXPECT_EQ(view.label, "100,100");
    for (int i = 0; i < 100; ++i) track.Timer1_Timer();
    EXPECT_EQ(view.interval, 50) << "a second without movement";
    fake.cursor = {1279, -20};
    track.Timer1_Timer();
    EXPECT_EQ(view.corner, (platform::Point{1292, -7}));
    EXPECT_EQ(view.label, "1279,-20");
    EXPECT_EQ(view.interval, 10);
}

TEST(TrackerPosition, OffsetFollowsTheScreenResolutionOnEachAxis) {
    struct Case {
        double dpiX, dpiY;
        platform::Point corner;
    };
    for (const Case& c : {Case{96, 96, {13, 13}}, Case{144, 144, {20, 20}},
                          Case{192, 96, {27, 13}}, Case{72, 120, {10, 17}}})
        EXPECT_EQ(trackerPosition({0, 0}, c.dpiX, c.dpiY), c.corner) << c.dpiX << "x" << c.dpiY;
}

}  // namespace
}  // namespace keyloom::ui
