// The recorder window's handlers against the fake platform: starting and
// stopping, the samplers at their timers (which lines each observation
// writes, and in which order), their state's lifetime, and saving through
// the editor.
#include "ui/recorder/mRecord.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>

#include "platform/fake/fakePlatform.h"
#include "support/fileBytes.h"
#include "support/harness.h"
#include "support/tempDir.h"
#include "tests/unit/editor/fakeEditorView.h"

namespace keyloom::ui {
namespace {

using Strings = std::vector<std::string>;
constexpr std::int16_t kDown = static_cast<std::int16_t>(0x8000);
constexpr std::int16_t kPressedSince = 1;

struct FakeRecordView : mRecordView {
    std::string textValue;
    std::string buttonCaption = "Begin Recording";
    std::map<RecordTimer, int> intervals;
    int unloads = 0;

    void appendLine(std::string_view line) override {
        textValue += line;
        textValue += "\n";
    }
    std::string text() const override { return textValue; }
    void setText(const std::string& text) override { textValue = text; }
    void setButtonCaption(const std::string& caption) override { buttonCaption = caption; }
    void setTimerInterval(RecordTimer timer, int ms) override { intervals[timer] = ms; }
    void unloadWindow() override { ++unloads; }

    bool running() const {
        return intervals == decltype(intervals){{RecordTimer::Timer1, 150},
                                                {RecordTimer::Timer2, 300},
                                                {RecordTimer::Timer3, 200}};
    }
    bool stopped() const {
        return std::ranges::all_of(intervals, [](const auto& timer) { return timer.second == 0; });
    }
};

// The program around one recorder window: the main list, and the editor the
// recorder saves through.
struct Recorder : ::testing::Test {
    platform::FakePlatform fake;
    RunState state;
    VectorList mainList{{"Wait >1", "LClick"}};
    test::FakeEditorView editorView;
    macroEditor editor{editorView, fake, state, mainList};
    FakeRecordView view;
    std::unique_ptr<mRecord> window;

    void SetUp() override { open(); }

    // What the main window's record_Click does when no recorder is loaded.
    void open() {
        view = FakeRecordView{};
        window = std::make_unique<mRecord>(view, fake, fake, state, mainList,
                                           [this] { return &editor; });
        window->Form_Load();
    }
    void sampleAll() {
        window->Timer1_Timer();
        window->Timer2_Timer();
        window->Timer3_Timer();
    }
};

// The button starts and stops the three samplers. A desktop that hides the
// cursor or the keys and buttons from programs: the recorder says what it
// cannot record, and records what it can.
TEST_F(Recorder, TheButtonRecordsWhatTheDesktopShowsAndSaysWhatItHides) {
    struct Case {
        bool cursorTold, inputSeen;
        std::size_t messages;
        bool records;
        std::string text;
    };
    for (const Case& c : {Case{true, true, 0, true, "SendText >h\nMouseMove >412,97\nLUp\n"},
                          Case{false, true, 1, true, "SendText >h\nLUp\n"},
                          Case{true, false, 1, true, "SendText >h\nMouseMove >412,97\nLUp\n"},
                          Case{false, false, 2, false, ""}}) {
        SCOPED_TRACE(std::to_string(c.cursorTold) + std::to_string(c.inputSeen));
        fake.log.clear();
        fake.cursorTold = c.cursorTold;
        fake.inputSeen = c.inputSeen;
        open();
        EXPECT_TRUE(window->notRecording);
        view.textValue = "an unsaved recording\n";
        window->Command1_Click();
        // One box, its parts apart by an empty line.
        ASSERT_EQ(fake.log.size(), c.messages == 0 ? 0U : 1U);
        if (c.messages > 0) {
            EXPECT_EQ(std::count(fake.log[0].begin(), fake.log[0].end(), '\n'),
                      static_cast<std::ptrdiff_t>(2 * (c.messages - 1)));
        }
        EXPECT_EQ(view.running(), c.records);
        if (!c.records) continue;
        EXPECT_EQ(view.textValue, "") << "a new recording clears the old one without asking";
        EXPECT_EQ(view.buttonCaption, "End Recording");
        EXPECT_FALSE(window->notRecording);
        fake.keyStates['H'] = kDown;
        fake.cursor = {412, 97};
        sampleAll();
        window->Command1_Click();
        EXPECT_EQ(view.buttonCaption, "Begin Recording");
        EXPECT_TRUE(view.stopped());
        EXPECT_EQ(view.textValue, c.text) << "the text stays";
    }
}

// The samplers' state lasts as long as the window: through a second recording
// and through New (which empties the text; the recording goes on).
TEST_F(Recorder, SamplerStateIsKeptBetweenRecordingsAndFreshInANewWindow) {
    fake.cursor = {40, 50};
    window->Command1_Click();
    sampleAll();
    fake.keyStates[1] = kDown;
    window->Timer3_Timer();  // the recording ends on "LDown"
    window->Command1_Click();
    EXPECT_EQ(view.textValue, "MouseMove >40,50\nLUp\nLDown\n");

    fake.keyStates[1] = 0;
    window->Command1_Click();
    sampleAll();
    EXPECT_EQ(view.textValue, "LUp\n") << "same place, and the last line was LDown";
    window->Timer3_Timer();
    EXPECT_EQ(view.textValue, "LUp\n");
    window->new_Click();
    EXPECT_TRUE(view.running());
    fake.cursor = {3, 4};
    window->Timer2_Timer();
    EXPECT_EQ(view.textValue, "MouseMove >3,4\n");

    window->exit_Click();
    EXPECT_EQ(view.unloads, 1);
    window->Form_Unload();
    EXPECT_TRUE(view.stopped());

    fake.cursor = {0, 0};
    open();
    window->Command1_Click();
    sampleAll();
    EXPECT_EQ(view.textValue, "LUp\n") << "0,0 is where a new window starts; LUp comes first";
}

// What the poll writes for a key plays back as that key: keypad digits and
// Enter as their main-block twins, Print as PrintScreen, the keypad's
// operators as the characters they type.
TEST_F(Recorder, EveryKeyWrittenPlaysBackAsThatKey) {
    int written = 0;
    for (int vk = 1; vk < 256; ++vk) {
        view.textValue.clear();
        fake.keyStates = {{vk, kDown}};
        window->Timer1_Timer();
        if (view.textValue.empty()) continue;
        const std::string line = view.textValue.substr(0, view.textValue.size() - 1);
        ASSERT_EQ(line.find('\n'), std::string::npos) << "vk " << vk;
        ++written;
        const std::string played = test::Harness({line}).run().at(0);
        int twin = vk >= 0x60 && vk <= 0x69 ? vk - 0x30
                   : vk == 0x6C             ? 0x0D
                   : vk == 0x2A             ? 0x2C
                                            : vk;
        if (vk >= 0x6A && vk <= 0x6F && vk != 0x6C)
            EXPECT_EQ(played, "type " + line.substr(line.size() - 1)) << line;
        else
            EXPECT_EQ(played, "key " + std::to_string(twin) + " down") << line;
    }
    EXPECT_EQ(written, 87) << "no key outside the table writes a line";
}

// Keys held together come in polling order, at every pass while they are
// down. Only the down-now bit counts: a key pressed and released between two
// passes (bit 0 alone) writes nothing.
TEST_F(Recorder, KeysDownAreWrittenAtEveryPassInPollingOrder) {
    fake.keyStates = {{'7', kDown}, {0x11, kDown}, {0x12, kDown}, {0x2C, kDown}};
    window->Timer1_Timer();
    EXPECT_EQ(view.textValue, "Press_PrintScreen\nPress_ALT\nPress_CTRL\nSendText >7\n");
    view.textValue.clear();
    fake.keyStates = {{'Q', kDown}, {'A', kPressedSince}, {'B', kDown | kPressedSince}};
    for (int pass = 0; pass < 2; ++pass) window->Timer1_Timer();
    fake.keyStates.clear();
    window->Timer1_Timer();
    EXPECT_EQ(view.textValue, "SendText >b\nSendText >q\nSendText >b\nSendText >q\n");
    EXPECT_EQ(fake.resetCount, 1 + 4) << "loading and every pass reset the key-state table";
}

TEST_F(Recorder, CursorIsWrittenOnlyWhereItDiffersFromTheLastWritten) {
    // Resting at 0,0 in a new window, then moved, resting, moved in y, in both, in x.
    for (platform::Point at :
         {platform::Point{0, 0}, {412, 97}, {412, 97}, {412, 98}, {-5, -1200}, {0, -1200}}) {
        fake.cursor = at;
        window->Timer2_Timer();
    }
    EXPECT_EQ(view.textValue,
              "MouseMove >412,97\nMouseMove >412,98\nMouseMove >-5,-1200\nMouseMove >0,-1200\n");
}

// The first sample of a new window writes LUp with no LDown before it; a held
// button writes LDown at every sample, then one LUp; a click between two
// samples is caught through the pressed-since bit. With the buttons swapped
// the physical right button is the primary one.
TEST_F(Recorder, ButtonSampleWritesWhatThePrimaryButtonDoes) {
    struct Case {
        bool swapped;
        std::vector<std::pair<std::int16_t, std::int16_t>> states;  // left, right at each sample
        std::string text;
    };
    const std::vector<Case> cases = {
        {false,
         {{0, 0}, {0, 0}, {kDown, 0}, {kDown, 0}, {0, 0}, {0, 0}, {kPressedSince, 0}, {0, 0}},
         "LUp\nLDown\nLDown\nLUp\nLDown\nLUp\n"},
        {true, {{kDown, 0}, {kDown, kDown}, {0, 0}}, "LUp\nLDown\nLUp\n"},
    };
    for (const Case& c : cases) {
        open();
        fake.buttonsSwapped = c.swapped;
        for (auto [left, right] : c.states) {
            fake.keyStates[1] = left;
            fake.keyStates[2] = right;
            window->Timer3_Timer();
        }
        EXPECT_EQ(view.textValue, c.text) << "swapped " << c.swapped;
    }
}

TEST_F(Recorder, ButtonSampleLetsEventsRunAfterItsLineAndThenPauses) {
    fake.logToolkit = true;
    fake.cursor = {7, 8};
    fake.onEvents = [this] { window->Timer2_Timer(); };  // the cursor timer was due
    window->Timer3_Timer();
    EXPECT_EQ(view.textValue, "LUp\nMouseMove >7,8\n");
    EXPECT_EQ(fake.log, (Strings{"events", "sleep 25"}));
}

// Saving goes through the editor's dialog: the text as shown, asking before it
// overwrites; a cancel says nothing; the recording goes on with its text.
TEST_F(Recorder, SaveWritesTheTextAsShownThroughTheEditorsDialog) {
    test::TempDir dir;
    window->Command1_Click();
    fake.cursor = {5, 6};
    sampleAll();
    view.textValue += "Wait >2";  // typed by hand
    fake.logToolkit = true;
    const std::string dialog = "save-dialog 2 Text Files (*.txt)|*.txt|Tervel Files (*.tkl)|*.tkl";
    const std::string title = "title Tervel's Keyloom",
                      bytes = "MouseMove >5,6\r\nLUp\r\nWait >2\r\n";
    struct Case {
        std::string target;  // empty: the dialog is cancelled
        Strings log;
        std::string bytes;
    };
    const std::vector<Case> cases = {
        {"", {dialog}, ""},
        {"r.tkl", {dialog}, bytes},
        {"r.tkl", {dialog, "message Overwrite existing file?", title}, bytes},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.target);
        fake.log.clear();
        if (!c.target.empty()) fake.dialogPaths.push_back(dir.str(c.target));
        window->save_Click();
        EXPECT_EQ(fake.log, c.log);
        EXPECT_EQ(test::readFile(dir / c.target), c.bytes);
        EXPECT_TRUE(view.running());
        EXPECT_EQ(view.textValue, "MouseMove >5,6\nLUp\nWait >2");
    }
    EXPECT_EQ(state.lastIndex, 2);
}

}  // namespace
}  // namespace keyloom::ui
