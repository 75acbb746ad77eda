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

// A tracker over the fake desktop.
class MouseTrack : public ::testing::Test {
protected:
    platform::FakePlatform fake;
    FakeTrackView view;
    mouseTrack track{view, fake};
};

TEST_F(MouseTrack, LoadPlacesTheWindowAtOnceBesideTheCursor) {
    fake.cursor = {100, 100};
    track.Form_Load();
    // 200 twips at 96 dpi (15 twips a pixel) are 13 1/3 pixels.
    EXPECT_EQ(view.corner, (platform::Point{113, 113}));
    EXPECT_EQ(view.label, "100,100");
}

TEST_F(MouseTrack, EachTickFollowsTheCursorWithoutClamping) {
    fake.cursor = {1279, 1023};
    track.Timer1_Timer();
    EXPECT_EQ(view.corner, (platform::Point{1292, 1036}));
    EXPECT_EQ(view.label, "1279,1023");
    fake.cursor = {-20, 5};
    track.Timer1_Timer();
    EXPECT_EQ(view.corner, (platform::Point{-7, 18}));
    EXPECT_EQ(view.label, "-20,5");
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

TEST_F(MouseTrack, SlowsDownWhileTheCursorStandsStill) {
    fake.cursor = {5, 5};
    track.Form_Load();
    for (int i = 0; i < 99; ++i) track.Timer1_Timer();
    EXPECT_EQ(view.interval, 10);
    track.Timer1_Timer();
    EXPECT_EQ(view.interval, 50) << "a second without movement";
    fake.cursor = {6, 5};
    track.Timer1_Timer();
    EXPECT_EQ(view.interval, 10);
    EXPECT_EQ(view.corner, (platform::Point{19, 18}));
}

}  // namespace
}  // namespace keyloom::ui
