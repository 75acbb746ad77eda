// Runs that are stopped, in the engine and in the player program, leave no
// key or button down; a player that ends at once loses none of its input.
#include "engineFixture.h"

#include <X11/keysym.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>

namespace keyloom::test {
namespace {

// The player's toolkit, with a Stop request that comes after the run has let
// events run `after` times.
class StoppingToolkit final : public platform::Toolkit {
public:
    StoppingToolkit(platform::Toolkit& inner, int after) : inner_(inner), left_(after) {}
    double now() override { return inner_.now(); }
    void letEventsRun() override {
        if (left_ > 0) --left_;
        inner_.letEventsRun();
    }
    void waitUntil(double deadline) override { inner_.waitUntil(deadline); }
    void shortWait(int ms) override { inner_.shortWait(ms); }
    platform::MessageAnswer messageBox(const std::string& text, const std::string& title,
                                       platform::MessageStyle style) override {
        return inner_.messageBox(text, title, style);
    }
    std::optional<std::string> fileDialog(platform::DialogKind kind, const std::string& filter,
                                          int index) override {
        return inner_.fileDialog(kind, filter, index);
    }
    bool showHelp() override { return inner_.showHelp(); }
    std::optional<std::string> clipboardText() override { return inner_.clipboardText(); }
    void setClipboardText(const std::string& text) override { inner_.setClipboardText(text); }
    platform::StopRequest pendingStop() override {
        return left_ == 0 ? platform::StopRequest::Stop : platform::StopRequest::NoRequest;
    }

private:
    platform::Toolkit& inner_;
    int left_;
};

const std::vector<std::string> kHoldAndLoop = {"Press_CTRL", "Press_Shift", "LDown", "Press_Tab",
                                               "Loop"};

TEST_F(X11EngineTest, AStoppedRunLeavesNoKeyOrButtonDown) {
    moveCursor(probe.centerX(), probe.centerY());
    StoppingToolkit stopping(toolkit, 5);
    Engine stoppable(state, list, *desktop, stopping);
    list.entries() = kHoldAndLoop;
    state.lastIndex = list.count();
    stoppable.command2Click();
    EXPECT_EQ(state.stopFlag, 1);

    // Ctrl, Shift and the button went down, Tab was tapped with them held on
    // each pass, and all three came up at the end.
    auto got = received(6);
    auto lines = describe(got);
    ASSERT_GE(lines.size(), 6U);
    EXPECT_EQ(lines[0], "down Control_L");
    EXPECT_EQ(lines[1], "down Shift_L");
    EXPECT_EQ(lines[2].rfind("down button1", 0), 0U) << lines[2];
    int tabs = 0;
    for (const ProbeEvent& e : got)
        if (e.isKey() && e.keycode == keycode(XK_Tab) && e.isPress()) {
            ++tabs;
            EXPECT_EQ(e.state & (ControlMask | ShiftMask | Button1Mask),
                      static_cast<unsigned>(ControlMask | ShiftMask | Button1Mask));
        }
    EXPECT_GE(tabs, 1);
    EXPECT_TRUE(keysDown(x.get()).empty());
    EXPECT_EQ(buttonsDown(x.get()), 0U);
}

// A macro file in a folder of its own, removed afterwards.
class MacroFile {
public:
    explicit MacroFile(const std::vector<std::string>& entries) {
        char pattern[] = "/tmp/keyloom-x11-XXXXXX";
        dir_ = mkdtemp(pattern);
        path_ = dir_ + "/macro.tkl";
        std::ofstream out(path_, std::ios::binary);
        for (const std::string& e : entries) out << e << "\r\n";
    }
    ~MacroFile() {
        std::remove(path_.c_str());
        rmdir(dir_.c_str());
    }
    MacroFile(const MacroFile&) = delete;
    MacroFile& operator=(const MacroFile&) = delete;
    const std::string& path() const { return path_; }

private:
    std::string dir_;
    std::string path_;
};

TEST_F(X11EngineTest, PlayerStoppedBySigintExitsCleanlyWithNothingHeld) {
    moveCursor(probe.centerX(), probe.centerY());
    MacroFile file(kHoldAndLoop);
    ChildProcess player;
    ASSERT_TRUE(player.start({playerPath(), file.path()}));
    // Wait until the loop is going: a few Tabs with everything held.
    int tabs = 0;
    bool looping = false;
    const unsigned tab = keycode(XK_Tab);
    probe.readUntil(
        [&](const ProbeEvent& e) { return e.kind == "KeyPress" && e.keycode == tab && ++tabs >= 3; },
        30, &looping);
    ASSERT_TRUE(looping) << "the player's loop never pressed Tab";
    player.signal(SIGINT);
    auto status = player.wait(30);
    ASSERT_TRUE(status.has_value()) << "the player did not end after SIGINT";
    EXPECT_EQ(*status, 0);
    received();  // drain what the loop sent
    EXPECT_TRUE(keysDown(x.get()).empty());
    EXPECT_EQ(buttonsDown(x.get()), 0U);
}

// The player syncs with the server before it closes its connection: a run
// that ends right after its last event still delivers every one of them.
TEST_F(X11EngineTest, AShortPlayerRunLosesNoFinalEvents) {
    std::vector<std::string> entries(50, "Press_Tab");
    entries.push_back("Press_End");
    MacroFile file(entries);
    std::vector<std::string> want;
    for (int i = 0; i < 50; ++i) want.insert(want.end(), {"down Tab", "up Tab"});
    want.insert(want.end(), {"down End", "up End"});
    for (int run = 0; run < 25; ++run) {
        SCOPED_TRACE("run " + std::to_string(run + 1));
        ChildProcess player;
        ASSERT_TRUE(player.start({playerPath(), file.path()}));
        ASSERT_EQ(player.wait(30), std::optional<int>(0));
        ASSERT_EQ(describe(received()), want);
    }
}

}  // namespace
}  // namespace keyloom::test
