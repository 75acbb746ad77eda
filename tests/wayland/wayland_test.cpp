// The Wayland desktops under a headless sway (scripts/with-sway.sh, label
// wayland), gnome-shell and plain mutter (scripts/with-gnome.sh [--mutter],
// labels gnome, mutter) and KWin (scripts/with-kwin.sh, label kde), against
// our own Wayland probe windows: text of any script arrives as written, the
// pointer lands where it is put, windows are activated by title, a stopped run
// leaves nothing held, and the player picks its desktop as the session asks.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>
#include <xkbcommon/xkbcommon.h>

#include <algorithm>
#include <cctype>
#include <csignal>
#include <cstdlib>
#include <set>
#include <sstream>

#include "actions/keyString.h"
#include "platform/systemDesktop.h"
#include "support/desktopContract.h"
#include "support/fileBytes.h"
#include "support/probeProcess.h"
#include "x11/support/offMapText.h"

namespace keyloom::test {
namespace {

constexpr const char* kNoCompositor = "no Wayland compositor: run under scripts/with-sway.sh";

// The desktop the tests run on (KEYLOOM_TEST_DESKTOP, set by the tier).
std::string testDesktop() {
    const char* name = std::getenv("KEYLOOM_TEST_DESKTOP");
    return name != nullptr && *name != '\0' ? name : "wayland-wlroots";
}

// Plain mutter: GNOME's compositor without the shell, so without Keyloom's
// extension (no windows, no cursor position, no input method) nor the
// shell's keyboard layouts.
bool withoutShell() {
    return testDesktop() == "mutter";
}
constexpr const char* kNeedsShell = "needs GNOME Shell, which plain mutter runs without";

// The backend the session's compositor calls for.
std::string expectedDesktop() {
    return withoutShell() ? "wayland-gnome" : testDesktop();
}

// The text that key presses and an input method's commits give, as a program reads it.
std::string typedText(const std::vector<ProbeEvent>& events) {
    std::string text;
    for (const ProbeEvent& e : events) {
        if (e.kind == "Commit") text += e.line.substr(e.line.find('=') + 1);
        char utf8[16] = {};
        if (e.kind == "KeyPress" &&
            xkb_keysym_to_utf8(static_cast<xkb_keysym_t>(e.keysym), utf8, sizeof utf8) > 0)
            text += utf8;
    }
    return text;
}

std::vector<std::string> lines(const std::vector<ProbeEvent>& events, const std::string& kind) {
    std::vector<std::string> out;
    for (const ProbeEvent& e : events)
        if (e.kind.find(kind) != std::string::npos) out.push_back(e.line);
    return out;
}

class Wayland : public ::testing::Test {
protected:
    void SetUp() override {
        if (std::getenv("WAYLAND_DISPLAY") == nullptr) GTEST_SKIP() << kNoCompositor;
        // The desktop first: the headless seat has a keyboard only once it exists.
        platform::SystemDesktop chosen = platform::chooseSystemDesktop();
        ASSERT_NE(chosen.desktop, nullptr) << chosen.error;
        ASSERT_EQ(chosen.name, expectedDesktop());
        desktop = std::move(chosen.desktop);
        // The windows of earlier tests gone: titles answer only for ours.
        eventually([&] { return !desktop->activateWindow("Keyloom"); }, 5);
        ASSERT_TRUE(probe.start()) << probe.error();
    }
    // Everything the probe received from what was sent so far.
    std::vector<ProbeEvent> received() {
        desktop->sync();
        return probe.sync();
    }

    std::unique_ptr<platform::Desktop> desktop;
    ProbeProcess probe{"Keyloom wayland probe", {}, KEYLOOM_WAYLAND_PROBE};
};

// The contract's texts, and more distinct characters than a keyboard map
// has spare keys.
std::vector<std::pair<std::string, std::string>> textCases() {
    auto cases = kContractTexts;
    cases.emplace_back(mixedOffMapText(400), mixedOffMapText(400));
    return cases;
}

void typeText(platform::Desktop& desktop, const std::string& notation) {
    KeyStringResult parsed = parseKeyString(notation);
    ASSERT_EQ(parsed.error, "") << notation;
    desktop.typeKeys(notation, parsed.strokes, {});
}

TEST_F(Wayland, TextOfAnyScriptArrivesAsWritten) {
    // Plain mutter pastes text off the keymap, which the probe does not take.
    for (const auto& [notation, expected] : textCases()) {
        if (withoutShell() && !std::all_of(expected.begin(), expected.end(), isascii)) continue;
        typeText(*desktop, notation);
        EXPECT_EQ(typedText(received()), expected);
    }
    // Caps Lock on changes nothing of it.
    const std::string capsText = withoutShell() ? "Caps aB1!" : "Caps aB1! äÖ";
    for (int press = 0; press < 2; ++press) {
        desktop->keybdEvent(0x14, 0, platform::kKeyDown);
        desktop->keybdEvent(0x14, 0, platform::kKeyUp);
        if (press == 0) typeText(*desktop, capsText);
    }
    EXPECT_EQ(typedText(received()), capsText);
}

// GNOME types with the layout of the session: its characters as keys (with
// AltGr), others by the input method.
TEST_F(Wayland, TextArrivesUnderAGermanLayout) {
    if (expectedDesktop() != "wayland-gnome")
        GTEST_SKIP() << "wlroots types with a keyboard map of its own, whatever the layout";
    if (withoutShell()) GTEST_SKIP() << kNeedsShell;
    auto useLayout = [&](const std::string& layout) {
        probe.sync();
        ASSERT_EQ(std::system(("gsettings set org.gnome.desktop.input-sources sources \"[('xkb', '" +
                               layout + "')]\"").c_str()),
                  0);
        bool changed = false;
        probe.readUntil([](const ProbeEvent& e) { return e.kind == "Keymap"; }, 10, &changed);
        ASSERT_TRUE(changed) << "the shell did not take the layout " << layout;
    };
    useLayout("de");
    const std::string text = "Grüße, Maß: yzYZ @€µ|[]\\ Ωπ 😀";
    typeText(*desktop, text);
    const std::vector<ProbeEvent> got = received();
    useLayout("us");
    EXPECT_EQ(typedText(got), text);
    EXPECT_EQ(lines(got, "Commit"), (std::vector<std::string>{"Commit text=Ωπ", "Commit text=😀"}));
}

// A program that reads keys its own way, not as our probe does: a GTK field
// without an input method writing what it receives to a file (keys, and
// text pasted on GNOME and KWin).
TEST_F(Wayland, TextArrivesInAProgram) {
    if (access(KEYLOOM_GTK_FIELD, X_OK) != 0) GTEST_SKIP() << "the GTK field was not built";
    const std::string file = testing::TempDir() + "keyloom-wayland-program.txt";
    // KWin may paste what no key gives: the clipboard is as it was afterwards.
    const bool pastes = expectedDesktop() == "wayland-kde";
    if (pastes) {
        ASSERT_EQ(std::system("wl-copy 'the user clip' >/dev/null 2>&1"), 0);
    }
    std::remove(file.c_str());
    ChildProcess field;
    ASSERT_TRUE(
        field.start({"/usr/bin/env", "GDK_BACKEND=wayland", "GTK_IM_MODULE=gtk-im-context-simple",
                     KEYLOOM_GTK_FIELD, "Keyloom GTK field", file}));
    // Plain mutter focuses the new window; the field says when it has the focus.
    bool shown = withoutShell() && field.readLine(10) == std::optional<std::string>("ready");
    ASSERT_TRUE(shown ||
                eventually([&] { return desktop->activateWindow("Keyloom GTK field"); }, 10));
    eventually([&] { return access(file.c_str(), F_OK) == 0; }, 10);  // it has begun
    std::string expected;
    for (const auto& [notation, text] : textCases()) {
        // One line: Tab and Return would leave it.
        if (notation.find('{') != std::string::npos) continue;
        typeText(*desktop, notation);
        EXPECT_EQ(desktop->typingFailure(), "");
        expected += text;
    }
    desktop->sync();
    eventually([&] { return readFile(file).size() >= expected.size(); }, 10);
    EXPECT_EQ(readFile(file), expected);
    field.signal(SIGTERM);
    field.wait(10);
    std::remove(file.c_str());
    ChildProcess clip;
    if (pastes && clip.start({"/usr/bin/wl-paste"})) {
        EXPECT_EQ(clip.readLine(10), "the user clip");
    }
}

// The desktop contract (support/desktopContract.h), played through the
// engine into a probe that fills the output, so that its positions are the
// layout's; and the pointer put elsewhere.
TEST_F(Wayland, TheDesktopContractHolds) {
    ProbeProcess filling("Keyloom filling probe", {"--geometry", "1280x800+0+0"},
                         KEYLOOM_WAYLAND_PROBE);
    ASSERT_TRUE(filling.start()) << filling.error();
    std::ostringstream messages;
    for (const ContractRow& row : desktopContractRows()) {
        if (row.swapped) continue;  // the compositor's setting, which no protocol changes
        SCOPED_TRACE(row.name);
        desktop->setCursorPos(kContractCursor.first, kContractCursor.second);
        playEntries(*desktop, {"CapsOff", "NumOff", "ScrollOff"},
                    messages);  // no lock left on by the row before
        desktop->sync();
        filling.sync();
        playEntries(*desktop, row.entries, messages);
        desktop->sync();
        std::vector<std::string> seen;
        for (const ProbeEvent& e : keysAndButtons(filling.sync())) {
            const std::string base = e.line.substr(e.line.find(" base=") + 6);
            // GNOME's barrier key: the shell takes its press, mutter passes
            // the release on (a release of a key never pressed).
            if (base == "XF86Launch9" && !e.isPress()) continue;
            const std::set<std::string> modifiers = {"Shift_L", "Control_L", "Alt_L", "Caps_Lock",
                                                     "Num_Lock"};
            seen.push_back(contractLine(e, filling, base, modifiers.contains(base)));
        }
        EXPECT_EQ(seen, row.expected);
    }
    EXPECT_EQ(messages.str(), "");
    // Far from the contract's point, and beyond the output (held at its
    // edge); read back where the desktop can tell (KWin tells it a moment
    // later). Ending at a point where the top bar would take no click.
    const bool readBack = expectedDesktop() != "wayland-wlroots" && !withoutShell();
    const std::vector<std::pair<platform::Point, platform::Point>> moves = {
        {{5000, 5000}, {1279, 799}}, {{100, 200}, {100, 200}}, {{1000, 700}, {1000, 700}}};
    for (const auto& [to, at] : moves) {
        desktop->setCursorPos(to.x, to.y);
        desktop->sync();
        const std::string line =
            "MotionNotify x=" + std::to_string(at.x) + " y=" + std::to_string(at.y);
        bool arrived = false;
        filling.readUntil([&](const ProbeEvent& e) { return e.line == line; }, 10, &arrived);
        EXPECT_TRUE(arrived) << line;
        if (!readBack) continue;
        platform::Point seen;
        eventually([&] { return (seen = desktop->getCursorPos()) == at; }, 5);
        EXPECT_EQ(seen, at) << to.x << "," << to.y;
    }
}

// Without Keyloom's extension GNOME says what is missing, finds no window,
// and reports the text that reaches nobody (the probe takes no paste).
TEST_F(Wayland, WithoutTheExtensionNothingFailsSilently) {
    if (expectedDesktop() != "wayland-gnome" || withoutShell())
        GTEST_SKIP() << "the extension is GNOME Shell's";
    auto extensionAnswers = [](bool wanted) {
        return eventually(
            [&] {
                return wanted ==
                       (std::system("gdbus call --session --dest org.keyloom.Shell --object-path "
                                    "/org/keyloom/Shell --method org.keyloom.Shell1.Barriers "
                                    ">/dev/null 2>&1") == 0);
            },
            5);
    };
    ASSERT_EQ(std::system("gnome-extensions disable keyloom@keyloom.org"), 0);
    ASSERT_TRUE(extensionAnswers(false));
    platform::SystemDesktop without = platform::chooseSystemDesktop();
    ASSERT_NE(without.desktop, nullptr) << without.error;
    EXPECT_NE(without.notice.find("gnome-extensions enable keyloom@keyloom.org"), std::string::npos)
        << without.notice;
    EXPECT_FALSE(without.desktop->activateWindow("Keyloom wayland probe"));
    typeText(*without.desktop, "aü");
    EXPECT_NE(without.desktop->typingFailure().find("\"ü\""), std::string::npos);
    without.desktop.reset();
    ASSERT_EQ(std::system("gnome-extensions enable keyloom@keyloom.org"), 0);
    ASSERT_TRUE(extensionAnswers(true));
    EXPECT_EQ(typedText(received()), "av");  // the Ctrl+V of a paste nobody took
}

// Activation by title with the contract's matching rule
// (support/desktopContract.h).
TEST_F(Wayland, WindowsAreActivatedByTitle) {
    if (withoutShell()) GTEST_SKIP() << kNeedsShell;
    std::vector<std::unique_ptr<ProbeProcess>> windows;
    for (const std::string& title : kContractTitles) {
        windows.push_back(std::make_unique<ProbeProcess>(title, std::vector<std::string>{},
                                                         KEYLOOM_WAYLAND_PROBE));
        ASSERT_TRUE(windows.back()->start()) << windows.back()->error();
    }
    for (const auto& [title, index] : kContractActivations) {
        EXPECT_TRUE(desktop->activateWindow(title)) << title;
        typeText(*desktop, "x");
        // The compositor reads the desktop's connection and the probe's apart:
        // the key is known to be out only once the desktop has synced.
        desktop->sync();
        EXPECT_EQ(typedText(windows[static_cast<std::size_t>(index)]->sync()), "x") << title;
    }
    for (const std::string& title : kContractNoMatch)
        EXPECT_FALSE(desktop->activateWindow(title)) << title;
    for (auto& window : windows) window->sync();
}

TEST_F(Wayland, AStartedProgramsWindowIsActivated) {
    if (withoutShell()) GTEST_SKIP() << kNeedsShell;
    // A probe that ends by itself when its input does.
    const std::string command =
        std::string("sh -c 'sleep 2 | ") + KEYLOOM_WAYLAND_PROBE + " Keyloom-started >/dev/null'";
    auto pid = desktop->startProgram(command);
    ASSERT_TRUE(pid.has_value());
    EXPECT_TRUE(eventually([&] { return desktop->activateProcessWindow(*pid); }, 5));
    EXPECT_EQ(lines(received(), "Focus"), std::vector<std::string>{"FocusOut"});
}

// Stopped from outside by `keyloom-play --stop` (which a key binding of the
// desktop runs; the backend listens for it).
TEST_F(Wayland, AStoppedPlayerLeavesNothingHeld) {
    const std::string macro = testing::TempDir() + "keyloom-wayland-hold.tkl";
    writeFile(macro, "Press_CTRL\r\nPress_Shift\r\nLDown\r\nPress_Tab\r\nLoop\r\n");
    ChildProcess player;
    ASSERT_TRUE(player.start({playerPath(), macro}));
    bool looping = false;
    int tabs = 0;
    auto got = probe.readUntil(
        [&](const ProbeEvent& e) { return e.name == "ISO_Left_Tab" && ++tabs >= 3; }, 30, &looping);
    ASSERT_TRUE(looping) << "the player's loop never pressed Tab";
    ChildProcess stop;
    ASSERT_TRUE(stop.start({playerPath(), "--stop"}));
    EXPECT_EQ(stop.readLine(30), "keyloom-play: stopped 1 run");
    EXPECT_EQ(stop.wait(30), std::optional<int>(0));
    EXPECT_EQ(player.wait(30), std::optional<int>(0));
    for (const ProbeEvent& e : received()) got.push_back(e);
    // What went down came up (a key pressed again while down stays down once).
    std::set<std::pair<bool, unsigned>> down;  // (a key?, its keycode or button)
    for (const ProbeEvent& e : keysAndButtons(got)) {
        const std::pair what{e.isKey(), e.isKey() ? e.keycode : e.button};
        if (e.isPress())
            down.insert(what);
        else
            down.erase(what);
    }
    EXPECT_EQ(down, (std::set<std::pair<bool, unsigned>>{}));
    std::remove(macro.c_str());
}

// KWin: the characters the layout lacks go on its empty keys for the run
// only (kxkbrc as it was afterwards), and text that cannot be typed is
// reported, never passed over.
TEST_F(Wayland, KwinKeysOffTheLayoutLastTheRunAndFailuresAreReported) {
    if (expectedDesktop() != "wayland-kde") GTEST_SKIP() << "KWin's keyboard settings";
    const std::string config = std::getenv("XDG_CONFIG_HOME");
    const std::string kxkbrc = config + "/kxkbrc", rules = config + "/xkb/rules";
    const bool had = access(kxkbrc.c_str(), F_OK) == 0;
    const std::string before = had ? readFile(kxkbrc) : "";
    typeText(*desktop, "日本");
    EXPECT_EQ(desktop->typingFailure(), "");
    desktop->endRun();
    EXPECT_EQ(access(kxkbrc.c_str(), F_OK) == 0, had);
    EXPECT_EQ(readFile(kxkbrc), before);
    EXPECT_NE(access((rules + "/evdev").c_str(), F_OK), 0);
    // Rules of the user's own leave no room for ours.
    mkdir(rules.c_str(), 0755);
    writeFile(rules + "/evdev", "! include %S/evdev\n");
    typeText(*desktop, "語x");
    EXPECT_EQ(desktop->typingFailure().rfind("\"語\" was not typed: ", 0), 0U)
        << desktop->typingFailure();
    std::remove((rules + "/evdev").c_str());
    EXPECT_EQ(typedText(received()), "日本vx");  // the Ctrl+V of a paste nobody took
}

// (What the session asks for by default is every test's set-up.)
TEST(WaylandChoice, ThePlayerTakesTheDesktopTheSessionAsksFor) {
    if (std::getenv("WAYLAND_DISPLAY") == nullptr) GTEST_SKIP() << kNoCompositor;
    struct Case {
        std::string environment;  // for env(1)
        std::string firstLine;    // of what the player says
    };
    const std::vector<Case> cases = {
        {"KEYLOOM_DESKTOP=wayland", "desktop: " + expectedDesktop()},
        {"KEYLOOM_DESKTOP=x11",
         "keyloom-play: cannot open the X display: the DISPLAY variable is not set"},
        {"KEYLOOM_DESKTOP=mir",
         "keyloom-play: KEYLOOM_DESKTOP is \"mir\": it may be x11 or wayland"},
        {"WAYLAND_DISPLAY=no-such-socket",
         "keyloom-play: no way into this Wayland desktop (cannot connect to the Wayland "
         "compositor): using X11 instead, which reaches only the X programs (XWayland)"},
    };
    for (const Case& c : cases) {
        ChildProcess player;
        ASSERT_TRUE(
            player.start({"/bin/sh", "-c",
                          "exec env " + c.environment + " " + playerPath() + " --desktop 2>&1"}));
        EXPECT_EQ(player.readLine(30), c.firstLine) << c.environment;
        player.wait(30);
    }
}

}  // namespace
}  // namespace keyloom::test
