// The main window's handlers, apart from the toolkit: the command builder,
// list editing, Run and Stop, the menus, the cursor read-out and the tracker
// switch. The window (tKeyloomFrame) owns its controls behind tKeyloomView
// and calls these handlers from its events, so they run against the fake
// platform in tests.
#pragma once

#include <string>
#include <string_view>

#include "engine/engine.h"
#include "files/listReader.h"
#include "platform/platform.h"
#include "ui/common/shortTimers.h"
#include "ui/common/windows.h"
#include "ui/main/readout.h"

namespace keyloom::ui {

enum class MainTimer { Timer1, Timer3, Timer4 };

inline constexpr const char* kAlreadyRunning = "The program is already running!";
inline constexpr const char* kTrackingOnTip = "Double Click to turn on tracking";
inline constexpr const char* kTrackingOffTip = "Double Click to turn off tracking";
inline constexpr const char* kHelpMissing =
    "The help file cannot be found. It belongs in the folder \"help\" beside the program.";

// The controls of the main window.
class tKeyloomView {
public:
    virtual ~tKeyloomView() = default;

    // List1: entries counted from 0; the selection is -1 when none.
    virtual Index listCount() const = 0;
    virtual std::string listEntry(Index index) const = 0;
    virtual void listInsert(Index index, const std::string& entry) = 0;
    virtual void listRemove(Index index) = 0;
    virtual void listReplace(LineList entries) = 0;
    virtual Index listSelection() const = 0;
    virtual void setListToolTip(const std::string& text) = 0;

    // Combo1: its text, and the list position it was picked at (-1 when typed).
    virtual std::string comboText() const = 0;
    virtual int comboSelection() const = 0;
    // Empties the field and fills its list with the 60 command words.
    virtual void fillComboList() = 0;

    // Text1.
    virtual std::string valueText() const = 0;
    virtual void setValueText(const std::string& text) = 0;

    // mouseLocation.
    virtual void setReadout(const std::string& text) = 0;
    virtual void setReadoutToolTip(const std::string& text) = 0;

    // Timers: an interval in milliseconds and an enabled switch.
    virtual void setTimerInterval(MainTimer timer, int ms) = 0;
    virtual void enableTimer(MainTimer timer, bool on) = 0;
    virtual bool timerEnabled(MainTimer timer) const = 0;

    // Closes the window; Form_Unload follows.
    virtual void unloadWindow() = 0;

    // A file has been loading for `seconds`: answers whether the user still
    // wants it, and from a second on shows that it is loading.
    virtual bool loadingGoesOn(const std::string& fileName, double seconds) = 0;
    // The load has ended: the sign of it goes.
    virtual void loadingEnded() = 0;
};

class tKeyloom final : public ShortTimers {
public:
    tKeyloom(tKeyloomView& view, RunState& state, platform::Desktop& desktop,
             platform::Toolkit toolkit, Windows& windows);

    // List1 as the runner and the file routines read it.
    const MacroList& macroList() const { return list_; }
    Engine& engine() { return engine_; }
    RunState& state() { return state_; }

    // 1 while the tracker window is off.
    int trackingOff = 0;

    // Start-up; false when another copy runs and this one is to end.
    bool Form_Load(bool anotherCopyRunning);
    void Form_Unload();

    void Command2_Click();  // Run
    void Command1_Click();  // Stop
    void add2List_Click();
    void insert_Click();
    void deleteButton_Click();
    void clear_Click();
    // `hit` is the entry under the pointer as the list box reports it.
    void List1_MouseMove(Index hit, bool buttonDown);

    void Timer1_Timer();
    void Timer3_Timer();
    void Timer4_Timer();
    void mouseLocation_DblClick();

    void exit_Click();
    void hrlp_Click();
    void edit_Click();
    void record_Click();
    void about_Click();
    void load_Click();
    void save_Click();
    // Loads a macro file into the list as Load does: a file given at start,
    // or handed over by a later copy of the program. Window events run while
    // a large file is read.
    void loadFile(const std::string& path);
    // A load is under way: the window must stay until it has returned.
    bool loading() const { return loads_ > 0; }

    // ShortTimers: 10 ms (and any other length) on Timer3, 1 ms on Timer4.
    void startShortTimer(int ms) override;
    bool shortTimerRunning(int ms) const override;

private:
    // The list box as a macro list: entries are read when the runner
    // reaches them, so edits under a run are seen.
    class ViewList final : public MacroList {
    public:
        explicit ViewList(const tKeyloomView& view) : view_(view) {}
        Index count() const override { return view_.listCount(); }
        std::string entry(Index index) const override { return view_.listEntry(index); }

    private:
        const tKeyloomView& view_;
    };

    // The entry of the builder fields, with the value field emptied.
    std::optional<std::string> takeEntry();

    tKeyloomView& view_;
    RunState& state_;
    platform::Desktop& desktop_;
    platform::Toolkit toolkit_;
    Windows& windows_;
    ViewList list_;
    Engine engine_;
    ReadoutPace readoutPace_;
    int loads_ = 0;
    bool runAfterLoad_ = false;  // Run was pressed while a file loaded
};

}  // namespace keyloom::ui
