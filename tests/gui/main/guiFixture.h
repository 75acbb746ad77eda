// Our real windows under Xvfb and a window manager, driven by real input:
// clicks, key presses and pointer motion go through XTest on a connection of
// the test's own, and arrive at the windows as a user's would.
#pragma once

#include <gtest/gtest.h>
#include <wx/toplevel.h>
#include <wx/weakref.h>

#include <memory>
#include <string>

#include "engine/globalVariables.h"
#include "platform/fake/fakePlatform.h"
#include "platform/x11/x11Desktop.h"
#include "support/wxHarness.h"
#include "ui/common/services.h"
#include "ui/main/tKeyloomFrame.h"

namespace keyloom::ui::test {

using keyloom::test::after;
using keyloom::test::control;
using keyloom::test::dialogs;
using keyloom::test::pumpFor;
using keyloom::test::pumpUntil;
using keyloom::test::settle;

// Real input on the X server.
class Driver {
public:
    Driver();
    bool ok() const { return desktop_ != nullptr; }
    const std::string& error() const { return error_; }

    void moveTo(int x, int y);
    void moveOnto(wxWindow* w, int dx = -1, int dy = -1);  // default: the centre
    void click(wxWindow* w, int dx = -1, int dy = -1);
    void doubleClick(wxWindow* w);
    void tapKey(std::uint8_t vk);
    void chord(std::uint8_t modifierVk, std::uint8_t vk);
    void type(const std::string& text);

private:
    std::string error_;
    std::unique_ptr<platform::X11Desktop> desktop_;
};

// The main window as the program makes it, shown and ready for input. The
// window's desktop is the fake one, so a run's keys and clicks are recorded
// instead of reaching the windows on the screen.
class MainWindowGui : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // The window from scratch, on `desktop`.
    void open(platform::Desktop& desktop);
    tKeyloom& handlers() { return frame->handlers(); }
    template <typename T = wxWindow>
    T* find(const char* name) {
        return control<T>(frame.get(), name);
    }
    // Presses a control's button with a real click.
    void press(const char* name) { driver.click(find(name)); }
    std::vector<std::string> entries();
    // Fills in the builder: the command picked from the list at `position`.
    void pick(int position);

    RunState state;
    platform::FakePlatform fake;
    WxToolkit toolkit{""};
    WindowRegistry windows;
    std::unique_ptr<Services> services;
    Driver driver;
    wxWeakRef<tKeyloomFrame> frame;
};

}  // namespace keyloom::ui::test
