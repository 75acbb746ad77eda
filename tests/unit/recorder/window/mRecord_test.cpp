// The recorder window's handlers against the fake platform: starting and
// stopping, the sampler state's lifetime, and saving through the editor.
#include "ui/recorder/mRecord.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>

#include "platform/fake/fakePlatform.h"
#include "support/fileBytes.h"
#include "support/tempDir.h"
#include "tests/unit/editor/fakeEditorView.h"

namespace keyloom::ui {
namespace {

using Strings = std::vector<std::string>;
constexpr std::int16_t kDown = static_cast<std::int16_t>(0x8000);

struct FakeRecordView : mRecordView {
    std::string textValue;
    std::string buttonCaption = "Begin Recording";
    std::map<RecordTimer, int> intervals{
        {RecordTimer::Timer1, 0}, {RecordTimer::Timer2, 0}, {RecordTimer::Timer3, 0}};
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
        return intervals.at(RecordTimer::Timer1) == 150 && intervals.at(RecordTimer::Timer2) == 300 &&
               intervals.at(RecordTimer::Timer3) == 200;
    }
    bool stopped() const {
        return intervals.at(RecordTimer::Timer1) == 0 && intervals.at(RecordTimer::Timer2) == 0 &&
               intervals.at(RecordTimer::Timer3) == 0;
    }
};

// The program around one recorder window: the main list, and an editor that
// is created (hidden) when the recorder first asks for it.
struct Recorder : ::testing::Test {
    platform::FakePlatform fake;
    RunState state;
    VectorList mainList{{"Wait >1", "LClick"}};
    test::FakeEditorView editorView;
    std::unique_ptr<macroEditor> editor;
    int editorsCreated = 0;
    FakeRecordView view;
    std::unique_ptr<mRecord> window;

    void SetUp() override { open(); }

    // What the main window's record_Click does when no recorder is loaded.
    void open() {
        view = FakeRecordView{};
        window = std::make_unique<mRecord>(view, fake, fake, state, mainList, [this]() -> macroEditor* {
            if (!editor) {
                editor = std::make_unique<macroEditor>(editorView, fake, state, mainList);
                ++editorsCreated;
            }
            return editor.get();
        });
        window->Form_Load();
    }
    void sampleAll() {
        window->Timer1_Timer();
        window->Timer2_Timer();
        window->Timer3_Timer();
    }
};

TEST_F(Recorder, TheButtonStartsAndStopsTheThreeSamplers) {
    EXPECT_TRUE(window->notRecording);
    EXPECT_EQ(fake.resetCount, 1) << "loading resets the key-state table";
    view.textValue = "an unsaved recording\n";
    window->Command1_Click();
    EXPECT_EQ(view.textValue, "") << "a new recording clears the old one without asking";
    EXPECT_EQ(view.buttonCaption, "End Recording");
    EXPECT_TRUE(view.running());
    EXPECT_FALSE(window->notRecording);

    fake.keyStates['H'] = kDown;
    fake.cursor = {412, 97};
    sampleAll();
    window->Command1_Click();
    EXPECT_EQ(view.buttonCaption, "Begin Recording");
    EXPECT_TRUE(view.stopped());
    EXPECT_EQ(view.textValue, "SendText >h\nMouseMove >412,97\nLUp\n") << "the text stays";
}

// A desktop that hides the cursor or the keys and buttons from programs:
// the recorder says what it cannot record, and records what it can.
TEST_F(Recorder, WhatTheDesktopHidesIsSaidNotRecordedAsNothing) {
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
        window->Command1_Click();
        // One box, its parts apart by an empty line.
        ASSERT_EQ(fake.log.size(), c.messages == 0 ? 0U : 1U);
        if (c.messages > 0) {
            EXPECT_EQ(std::count(fake.log[0].begin(), fake.log[0].end(), '\n'),
                      static_cast<std::ptrdiff_t>(2 * (c.messages - 1)));
        }
        EXPECT_EQ(view.running(), c.records);
        if (!c.records) continue;
        fake.keyStates['H'] = kDown;
        fake.cursor = {412, 97};
        sampleAll();
        EXPECT_EQ(view.textValue, c.text);
        fake.keyStates.clear();
    }
}

TEST_F(Recorder, NewEmptiesTheTextAndTheRecordingGoesOn) {
    window->Command1_Click();
    fake.cursor = {1, 2};
    window->Timer2_Timer();
    window->new_Click();
    EXPECT_EQ(view.textValue, "");
    EXPECT_TRUE(view.running());
    fake.cursor = {3, 4};
    window->Timer2_Timer();
    EXPECT_EQ(view.textValue, "MouseMove >3,4\n");
}

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

    window->exit_Click();
    EXPECT_EQ(view.unloads, 1);
    window->Form_Unload();
    EXPECT_TRUE(view.stopped());

    fake.cursor = {0, 0};
    open();
    EXPECT_EQ(view.buttonCaption, "Begin Recording");
    EXPECT_EQ(view.textValue, "");
    window->Command1_Click();
    sampleAll();
    EXPECT_EQ(view.textValue, "LUp\n") << "0,0 is where a new window starts; LUp comes first";
}

TEST_F(Recorder, SaveWritesTheTextAsShownThroughTheEditorsDialog) {
    test::TempDir dir;
    const std::string file = dir.str("recording.tkl");
    window->Command1_Click();
    fake.cursor = {5, 6};
    sampleAll();
    view.textValue += "Wait >2";  // typed by hand
    fake.logToolkit = true;
    fake.dialogPaths.push_back(file);
    window->save_Click();
    EXPECT_TRUE(view.running()) << "saving does not stop the recording";
    EXPECT_EQ(editorsCreated, 1);
    EXPECT_EQ(fake.log, Strings{"save-dialog 2 Text Files (*.txt)|*.txt|Tervel Files (*.tkl)|*.tkl"});
    EXPECT_EQ(test::readFile(dir / "recording.tkl"), "MouseMove >5,6\r\nLUp\r\nWait >2\r\n");
    EXPECT_EQ(state.lastIndex, 2);

    // Saving again over it asks first, through the same editor's dialog.
    fake.dialogPaths.push_back(file);
    window->save_Click();
    EXPECT_EQ(editorsCreated, 1);
    EXPECT_EQ(fake.log[2], "message Overwrite existing file?");
}

TEST_F(Recorder, ACancelledSaveSaysNothingAFailedOneSaysSoAndTheRecordingStays) {
    view.textValue = "LDown\n";
    window->save_Click();
    EXPECT_EQ(fake.log, Strings{});
    test::TempDir dir;
    fake.dialogPaths.push_back(dir.str("no such folder/r.tkl"));
    window->save_Click();
    EXPECT_EQ(fake.log, Strings{"message Error occurred trying to close file, please retry."});
    EXPECT_EQ(view.textValue, "LDown\n");
}

}  // namespace
}  // namespace keyloom::ui
