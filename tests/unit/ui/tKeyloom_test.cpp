// The main window's handlers against the fake platform, its builder, and the
// cursor tracker it switches on.
#include "ui/main/tKeyloom.h"

#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/stat.h>
#endif

#include <algorithm>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <utility>

#include "platform/fake/fakePlatform.h"
#include "support/fileBytes.h"
#include "support/harness.h"
#include "support/tempDir.h"
#include "ui/main/builder.h"
#include "ui/main/commandWords.h"
#include "ui/main/mouseTrack.h"

namespace keyloom::ui::test {
namespace {

using keyloom::test::tap;
using Lines = std::vector<std::string>;

// The main window's controls in memory, and a registry of secondary windows
// that records what was unloaded.
struct FakeMainView : tKeyloomView {
    std::vector<std::string> entries;
    Index selected = -1;
    std::string listTip;
    std::string combo;
    int comboPosition = -1;
    std::vector<std::string> comboItems;
    std::string value;
    std::string readout;
    std::string readoutTip;
    std::map<MainTimer, int> intervals;
    std::map<MainTimer, bool> enabled;
    int unloads = 0;

    // The user picks a word of the builder's list, or types any other text.
    void choose(const std::string& text) {
        const auto word = std::ranges::find(kCommandWords, text);
        comboPosition = word == kCommandWords.end() ? -1 : int(word - kCommandWords.begin());
        combo = text;
    }

    Index listCount() const override { return static_cast<Index>(entries.size()); }
    std::string listEntry(Index i) const override { return entries[static_cast<std::size_t>(i)]; }
    void listInsert(Index i, const std::string& e) override {
        entries.insert(entries.begin() + i, e);
    }
    void listRemove(Index i) override {
        entries.erase(entries.begin() + i);
        selected = -1;
    }
    bool loadingGoesOn(const std::string&, double) override { return true; }
    void loadingEnded() override {}
    void listReplace(LineList list) override {
        entries = keyloom::test::entriesOf(list);
        selected = -1;
    }
    Index listSelection() const override { return selected; }
    void setListToolTip(const std::string& t) override { listTip = t; }
    std::string comboText() const override { return combo; }
    int comboSelection() const override { return comboPosition; }
    void fillComboList() override { comboItems.assign(kCommandWords.begin(), kCommandWords.end()); }
    std::string valueText() const override { return value; }
    void setValueText(const std::string& t) override { value = t; }
    void setReadout(const std::string& t) override { readout = t; }
    void setReadoutToolTip(const std::string& t) override { readoutTip = t; }
    void setTimerInterval(MainTimer t, int ms) override { intervals[t] = ms; }
    void enableTimer(MainTimer t, bool on) override { enabled[t] = on; }
    bool timerEnabled(MainTimer t) const override { return enabled.contains(t) && enabled.at(t); }
    void unloadWindow() override { ++unloads; }
};

struct FakeWindows : Windows {
    std::vector<WindowId> unloaded;
    std::set<WindowId> open;

    void show(WindowId id) override { open.insert(id); }
    void unload(WindowId id) override {
        if (open.erase(id) != 0) unloaded.push_back(id);
    }
    bool loaded(WindowId id) const override { return open.count(id) != 0; }
};

// The main window after start-up, against the fake platform; start-up finds
// what an earlier run and the view left behind.
class MainWindow : public ::testing::Test {
protected:
    void SetUp() override {
        state.stopFlag = 1;
        state.lastIndex = 9;
        ASSERT_TRUE(window.Form_Load(false));
    }

    RunState state;
    platform::FakePlatform fake;
    FakeMainView view;
    FakeWindows windows;
    tKeyloom window{view, state, fake, fake, windows};
};

TEST_F(MainWindow, StartUpFillsTheBuilderAndClearsTheRunState) {
    EXPECT_EQ(window.trackingOff, 1);
    EXPECT_EQ(view.comboItems.size(), 60u);
    EXPECT_EQ(state.stopFlag, 0);
    EXPECT_EQ(state.lastIndex, 0);
    EXPECT_TRUE(fake.log.empty());

    FakeMainView second;
    fake.logToolkit = true;
    EXPECT_FALSE(tKeyloom(second, state, fake, fake, windows).Form_Load(true));
    EXPECT_EQ(fake.log, (Lines{"message The program is already running!",
                               "title Tervel's Keyloom"}));
    EXPECT_TRUE(second.comboItems.empty()) << "a second copy takes no further start-up step";
}

// The builder's entry: what it writes for a word and a value.
struct ComposeCase {
    std::string command;
    int position;  // -1: typed, not picked from the list
    std::string value;
    std::optional<std::string> entry;
    std::string valueAfter;  // before Add empties it
};

TEST(Builder, ComposesTheEntryAndFillsInTheDefaultCount) {
    const std::vector<ComposeCase> cases = {
        {"Wait", 3, " ", "Wait >1", "1"},
        {"Wait", 3, "  ", "Wait >  ", "  "},
        {"Repeat", 7, "", "Repeat >1", "1"},
        {"Repeat", -1, "", "Repeat >1", "1"},
        {"Press_Enter", -1, "", "Press_Enter >", ""},
        {"End_Repeat", 8, "5", "End_Repeat", "5"},  // the first word that takes no value
        {"SendText", 5, "", "SendText >", ""},
        {"SendText", 5, " a b ", "SendText > a b ", " a b "},
    };
    for (const ComposeCase& c : cases) {
        Composed out = composeEntry(c.command, c.position, c.value);
        EXPECT_EQ(out.entry, c.entry) << c.command << " '" << c.value << "'";
        EXPECT_EQ(out.value, c.valueAfter) << c.command << " '" << c.value << "'";
    }
}

// The builder's buttons, one step after another on the same list.
TEST_F(MainWindow, AddInsertAndDeleteEditTheListAndEmptyTheValue) {
    const auto Add = &tKeyloom::add2List_Click, Insert = &tKeyloom::insert_Click,
               Delete = &tKeyloom::deleteButton_Click;
    struct Step {
        void (tKeyloom::*button)();
        std::string command;
        std::string value;
        Index selected;
        Lines entries;
        Index lastIndex;
    };
    const Lines three = {"Wait >1", "Press_Enter", "wait >"};
    const Lines four = {"Wait >1", "Press_Enter", "Press_Tab", "wait >"};
    const std::vector<Step> steps = {
        {Add, "Wait", "", -1, {"Wait >1"}, 0},  // the default count filled in
        {Add, "Press_Enter", "abc", -1, {"Wait >1", "Press_Enter"}, 1},
        {Add, "wait", "", -1, three, 2},  // the index of the new last entry
        {Add, "", "5", -1, three, 3},      // the count before the (empty) change
        {Insert, "Press_Tab", "x", 2, four, 3},  // before the selected entry
        {Insert, "Press_Tab", "y", -1, four, 4},  // nothing without a selection
        {Delete, "Press_Tab", "", 1, {"Wait >1", "Press_Tab", "wait >"}, 3},  // the count after
        {Delete, "Press_Tab", "", -1, {"Wait >1", "Press_Tab", "wait >"}, 3},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(std::to_string(&step - steps.data()));
        view.choose(step.command);
        view.value = step.value;
        view.selected = step.selected;
        (window.*step.button)();
        EXPECT_EQ(view.entries, step.entries);
        EXPECT_EQ(state.lastIndex, step.lastIndex);
        EXPECT_EQ(view.value, "");
        EXPECT_EQ(view.combo, step.command) << "the command field keeps its text";
    }
}

// One move after another; a held button leaves the tooltip as it was.
TEST_F(MainWindow, TooltipShowsTheEntryUnderThePointer) {
    const std::string wide = "SendText >a text much wider than the list box itself";
    view.entries = {"short", wide};
    struct Case {
        Index hit;
        bool button;
        std::string tip;
    };
    for (const Case& c : {Case{1, false, wide}, Case{0, true, wide}, Case{0, false, "short"},
                          Case{2, false, ""}, Case{1, false, wide}, Case{-1, false, ""},
                          Case{1, true, ""}}) {
        window.List1_MouseMove(c.hit, c.button);
        EXPECT_EQ(view.listTip, c.tip) << c.hit << c.button;
    }
}

TEST_F(MainWindow, ReadoutLooksLessOftenWhileTheCursorStandsStill) {
    const auto intervalAfter = [this](int ticks) {
        for (int tick = 0; tick < ticks; ++tick) window.Timer1_Timer();
        return view.intervals[MainTimer::Timer1];
    };
    view.intervals[MainTimer::Timer1] = 10;
    fake.cursor = {40, 50};
    EXPECT_EQ(intervalAfter(1), 10) << "the cursor came to (40,50)";
    EXPECT_EQ(intervalAfter(99), 10);
    EXPECT_EQ(intervalAfter(1), 50) << "a second without movement";
    EXPECT_EQ(intervalAfter(179), 50);
    EXPECT_EQ(intervalAfter(1), 100) << "nine seconds more";
    EXPECT_EQ(intervalAfter(500), 100);
    fake.cursor = {41, 50};
    EXPECT_EQ(intervalAfter(1), 10) << "the first movement";
    EXPECT_EQ(view.readout, "41,50");
}

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

// The pace itself is ReadoutPace's (checked above); the tracker follows it.
TEST_F(MainWindow, TrackerFollowsTheCursorWithoutClampingAndSlowsDownWhileItStandsStill) {
    FakeTrackView tracker;
    mouseTrack track{tracker, fake};
    fake.cursor = {100, 100};
    track.Form_Load();
    // At once; 200 twips at 96 dpi (15 twips a pixel) are 13 1/3 pixels.
    EXPECT_EQ(tracker.corner, (platform::Point{113, 113}));
    EXPECT_EQ(tracker.label, "100,100");
    for (int i = 0; i < 100; ++i) track.Timer1_Timer();
    EXPECT_EQ(tracker.interval, 50) << "a second without movement";
    fake.cursor = {1279, -20};
    track.Timer1_Timer();
    EXPECT_EQ(tracker.corner, (platform::Point{1292, -7}));
    EXPECT_EQ(tracker.label, "1279,-20");
    EXPECT_EQ(tracker.interval, 10);
}

// Per axis, rounded to the nearest pixel.
TEST(TrackerPosition, OffsetFollowsTheScreenResolutionOnEachAxis) {
    EXPECT_EQ(trackerPosition({0, 0}, 192, 96), (platform::Point{27, 13}));
    EXPECT_EQ(trackerPosition({0, 0}, 72, 120), (platform::Point{10, 17}));
}

TEST_F(MainWindow, TrackerClosedElsewhereTakesTwoDoubleClicksToReturn) {
    window.mouseLocation_DblClick();
    windows.open.erase(WindowId::Tracker);  // its own close box
    window.mouseLocation_DblClick();
    EXPECT_FALSE(windows.loaded(WindowId::Tracker));
    EXPECT_EQ(view.readoutTip, "Double Click to turn on tracking");
    window.mouseLocation_DblClick();
    EXPECT_TRUE(windows.loaded(WindowId::Tracker));
}

TEST_F(MainWindow, ExitAndCloseUnloadEveryOtherWindow) {
    const std::vector<WindowId> all = {WindowId::Editor, WindowId::Recorder, WindowId::Tracker,
                                       WindowId::About};
    windows.open = {all.begin(), all.end()};
    window.Form_Unload();
    EXPECT_EQ(windows.unloaded, all);

    windows.show(WindowId::Editor);
    windows.unloaded.clear();
    window.exit_Click();
    EXPECT_EQ(view.unloads, 1);
    EXPECT_EQ(windows.unloaded, std::vector<WindowId>{WindowId::Editor});
}

TEST_F(MainWindow, ClosingDuringARunStopsItActingAndReleasesHeldKeys) {
    view.entries = {"Press_CTRL", "Wait Press_Tab >3"};
    state.lastIndex = 2;
    fake.onEvents = [this] { window.Form_Unload(); };
    window.Command2_Click();
    // Ctrl goes down; closing during the wait releases it; Tab is never sent
    // (after a Stop the rest of the entry would run).
    EXPECT_EQ(fake.log, (Lines{"key 17 down", "wait 2.500", "key 17 up"}));
    EXPECT_EQ(state.runDepth, 0);
}

TEST_F(MainWindow, HelpThatCannotBeShownSaysSo) {
    window.hrlp_Click();
    EXPECT_TRUE(fake.log.empty());
    fake.helpAvailable = false;
    window.hrlp_Click();
    EXPECT_EQ(fake.log, Lines{std::string("message ") + kHelpMissing});
}

// 10 ms on Timer3, 1 ms on Timer4; each ends when it has fired.
TEST_F(MainWindow, OneShotTimersServeTheShortWaits) {
    window.startShortTimer(10);
    window.startShortTimer(1);
    EXPECT_EQ(view.intervals,
              (std::map<MainTimer, int>{{MainTimer::Timer3, 10}, {MainTimer::Timer4, 1}}));
    EXPECT_TRUE(window.shortTimerRunning(10));
    window.Timer3_Timer();
    EXPECT_FALSE(window.shortTimerRunning(10));
    EXPECT_TRUE(window.shortTimerRunning(1));
    window.Timer4_Timer();
    EXPECT_FALSE(window.shortTimerRunning(1));
}

TEST_F(MainWindow, RunPressedWhileAFileLoadsRunsThatFileOnceItIsIn) {
#ifdef _WIN32
    GTEST_SKIP() << "a named pipe that a test writes into is POSIX's";
#else
    keyloom::test::TempDir dir;
    // A pipe: the load goes on until the test writes the macro into it.
    const std::string file = dir.str("m.tkl");
    ASSERT_EQ(::mkfifo(file.c_str(), 0600), 0);
    view.entries = {"Press_Enter"};
    bool pressed = false;
    fake.onEvents = [&] {
        if (std::exchange(pressed, true)) return;
        window.Command2_Click();
        std::ofstream(file, std::ios::binary) << "Press_Tab\r\n";
    };
    fake.dialogPaths = {file};
    window.load_Click();
    Lines keys;
    std::copy_if(fake.log.begin(), fake.log.end(), std::back_inserter(keys),
                 [](const std::string& line) { return line.rfind("key ", 0) == 0; });
    EXPECT_EQ(keys, tap(9)) << "the loaded list runs, not the one before";
#endif
}

TEST_F(MainWindow, SaveWritesTheListThroughItsDialog) {
    keyloom::test::TempDir dir;
    view.entries = {"Press_Tab", "SendText >caf\xC3\xA9"};
    window.save_Click();  // the dialogs cancelled
    window.load_Click();
    EXPECT_EQ(view.entries.size(), 2u);
    fake.dialogPaths = {dir.str("out.txt")};
    window.save_Click();
    EXPECT_EQ(keyloom::test::readFile(dir / "out.txt"), "Press_Tab\r\nSendText >caf\xC3\xA9\r\n");
}

}  // namespace
}  // namespace keyloom::ui::test
