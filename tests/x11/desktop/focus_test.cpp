// SetFocus against real windows under the window manager: the exact title
// first, then the title ignoring letter case, then a title that begins with
// it; a title no window has asks whether to go on.
#include "x11Fixture.h"  // first: gtest before the X11 macros
#include <X11/Xatom.h>
#include <X11/Xutil.h>

#include "support/desktopContract.h"


namespace keyloom::test {
namespace {

// A plain top-level window of the test's own connection.
class TitledWindow {
public:
    // `latin1Name`: only WM_NAME, in Latin-1, as old programs set it.
    TitledWindow(Display* display, const std::string& title, bool latin1Name = false)
        : display_(display) {
        window_ = XCreateSimpleWindow(display, DefaultRootWindow(display), 100, 100, 300, 200, 0, 0,
                                      0xFFFFFF);
        if (latin1Name) {
            XStoreName(display, window_, title.c_str());
        } else {
            XChangeProperty(display, window_, XInternAtom(display, "_NET_WM_NAME", False),
                            XInternAtom(display, "UTF8_STRING", False), 8, PropModeReplace,
                            reinterpret_cast<const unsigned char*>(title.data()),
                            static_cast<int>(title.size()));
        }
        XMapWindow(display, window_);
        XSync(display, False);
    }
    // Gone once the window manager has let go of it too: a window made next
    // (by the next test) may get the same id.
    ~TitledWindow() {
        XDestroyWindow(display_, window_);
        XSync(display_, False);
        eventually(
            [&] {
                auto windows = clientWindows(display_);
                return std::find(windows.begin(), windows.end(), window_) == windows.end();
            },
            5);
    }
    TitledWindow(const TitledWindow&) = delete;
    TitledWindow& operator=(const TitledWindow&) = delete;
    Window id() const { return window_; }

private:
    Display* display_;
    Window window_;
};

class Focus : public X11Test {
public:
    void SetUp() override {
        X11Test::SetUp();
        for (const std::string& title : kContractTitles)
            windows.emplace_back(std::make_unique<TitledWindow>(x.get(), title));
        // Letter case beyond ASCII, and a Latin-1 WM_NAME as old programs set it.
        windows.emplace_back(std::make_unique<TitledWindow>(x.get(), "Keyloom Focus — Ünïcödé"));
        windows.emplace_back(std::make_unique<TitledWindow>(x.get(), "Keyloom Caf\xE9", true));
        for (const auto& w : windows)
            ASSERT_TRUE(eventually([&] {
                auto all = clientWindows(x.get());
                return std::find(all.begin(), all.end(), w->id()) != all.end();
            })) << "the window manager did not take the test windows";
    }
    // Activates by `title` and returns the window that became active.
    Window activeAfter(const std::string& title) {
        EXPECT_TRUE(desktop->activateWindow(title)) << title;
        Window got = 0;
        eventually([&] {
            got = activeWindow(x.get());
            return got == wanted;
        });
        return got;
    }

    std::vector<std::unique_ptr<TitledWindow>> windows;
    Window wanted = 0;
};

TEST_F(Focus, ActivatesByTheContractsTitlesAndByX11Names) {
    auto cases = kContractActivations;
    cases.insert(cases.end(),
                 {{"KEYLOOM FOCUS — ÜNÏCÖDÉ", 3}, {"Keyloom Café", 4}, {"Keyloom Focus Alpha", 0}});
    for (const auto& [title, index] : cases) {
        wanted = windows[static_cast<std::size_t>(index)]->id();
        EXPECT_EQ(activeAfter(title), wanted) << title;
    }
    for (const std::string& title : kContractNoMatch)
        EXPECT_FALSE(desktop->activateWindow(title)) << title;
}

}  // namespace
}  // namespace keyloom::test
