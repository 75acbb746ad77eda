// SetFocus against real windows under the window manager: the exact title
// first, then the title ignoring letter case, then a title that begins with
// it; a title no window has asks whether to go on.
#include "x11Fixture.h"  // first: gtest before the X11 macros
#include <X11/Xatom.h>
#include <X11/Xutil.h>


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
        alpha.emplace(x.get(), "Keyloom Focus Alpha");
        alphaBeta.emplace(x.get(), "keyloom focus alpha beta");
        gamma.emplace(x.get(), "Keyloom Focus Gamma — Ünïcödé");
        cafe.emplace(x.get(), "Keyloom Caf\xE9", true);
        for (Window w : {alpha->id(), alphaBeta->id(), gamma->id(), cafe->id()})
            ASSERT_TRUE(eventually([&] {
                auto windows = clientWindows(x.get());
                return std::find(windows.begin(), windows.end(), w) != windows.end();
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

    std::optional<TitledWindow> alpha, alphaBeta, gamma, cafe;
    Window wanted = 0;
};

TEST_F(Focus, MatchesExactThenIgnoringCaseThenByBeginning) {
    struct Case {
        std::string title;
        TitledWindow* window;
    };
    const std::vector<Case> cases = {
        {"Keyloom Focus Alpha", &*alpha},          // exact, though another title begins so
        {"keyloom focus alpha beta", &*alphaBeta},
        {"KEYLOOM FOCUS GAMMA — ÜNÏCÖDÉ", &*gamma},  // letter case ignored, beyond ASCII too
        {"keyloom focus alpha b", &*alphaBeta},    // the beginning, ignoring case
        {"keyloom focus g", &*gamma},
        {"Keyloom Café", &*cafe},                  // a Latin-1 WM_NAME
        {"Keyloom Focus Alpha", &*alpha},
    };
    for (const Case& c : cases) {
        wanted = c.window->id();
        EXPECT_EQ(activeAfter(c.title), wanted) << c.title;
    }
}

TEST_F(Focus, NoWindowNoMatch) {
    EXPECT_FALSE(desktop->activateWindow("Keyloom Focus Nowhere"));
    EXPECT_FALSE(desktop->activateWindow(""));
    EXPECT_FALSE(desktop->activateWindow("Focus Alpha"));  // the middle of a title is no match
}

}  // namespace
}  // namespace keyloom::test
