// The main window on wxWidgets: its controls, menus and timers, laid out as
// designed (pixels at 96 dots per inch, scaled to the screen), each event
// handed to the handler of the same name in tKeyloom.
#pragma once

#include <wx/frame.h>
#include <wx/timer.h>

#include <array>
#include <memory>

#include "ui/main/tKeyloom.h"

class wxButton;
class wxComboBox;
class wxProgressDialog;
class wxStaticBitmap;
class wxTextCtrl;

namespace keyloom::ui {

class EntryList;
class TextLabel;
class WxToolkit;

class tKeyloomFrame final : public wxFrame, public tKeyloomView {
public:
    tKeyloomFrame(RunState& state, platform::Desktop& desktop, WxToolkit& toolkit,
                  Windows& windows);
    ~tKeyloomFrame() override;

    tKeyloom& handlers() { return handlers_; }

    // Closes the program now, without the closing steps of this window: a
    // run in progress acts no further, every window goes.
    void endProgram();

    // tKeyloomView.
    Index listCount() const override;
    std::string listEntry(Index index) const override;
    void listInsert(Index index, const std::string& entry) override;
    void listRemove(Index index) override;
    void listReplace(LineList entries) override;
    Index listSelection() const override;
    void setListToolTip(const std::string& text) override;
    std::string comboText() const override;
    int comboSelection() const override;
    void fillComboList() override;
    std::string valueText() const override;
    void setValueText(const std::string& text) override;
    void setReadout(const std::string& text) override;
    void setReadoutToolTip(const std::string& text) override;
    void setTimerInterval(MainTimer timer, int ms) override;
    void enableTimer(MainTimer timer, bool on) override;
    bool timerEnabled(MainTimer timer) const override;
    void unloadWindow() override;
    bool loadingGoesOn(const std::string& fileName, double seconds) override;
    void loadingEnded() override;

    // Loads a file as the File menu's Load does (a file given at start or
    // handed over by a later copy).
    void loadFile(const std::string& path);

private:
    struct Timer {
        wxTimer timer;
        int interval = 0;
        bool enabled = false;
    };

    void createControls();
    void createMenus();
    void bindEvents();
    void applyTimer(Timer& timer);
    Timer& timerOf(MainTimer id) { return timers_[static_cast<std::size_t>(id)]; }
    const Timer& timerOf(MainTimer id) const { return timers_[static_cast<std::size_t>(id)]; }
    // Runs a handler; once the window is closing and the last run has
    // returned, the window goes.
    void afterHandler();
    void teardown();
    void onClose(wxCloseEvent& event);

    RunState& state_;
    WxToolkit& toolkit_;
    std::array<Timer, 3> timers_;
    bool closing_ = false;
    std::unique_ptr<wxProgressDialog> loadingSign_;

    wxComboBox* Combo1 = nullptr;
    EntryList* List1 = nullptr;
    wxTextCtrl* Text1 = nullptr;
    wxButton* Command1 = nullptr;
    wxButton* Command2 = nullptr;
    wxButton* add2List = nullptr;
    wxButton* insert = nullptr;
    wxButton* Save = nullptr;
    wxButton* deleteButton = nullptr;
    TextLabel* Label1 = nullptr;
    TextLabel* Label2 = nullptr;
    TextLabel* mouseLocation = nullptr;
    wxStaticBitmap* Picture1 = nullptr;

    tKeyloom handlers_;
};

}  // namespace keyloom::ui
