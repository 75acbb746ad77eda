// The desktop contract (support/desktopContract.h) on Win32: every row and
// every text played through the engine into the probe window, whose lines are
// put in the contract's form.
#include <gtest/gtest.h>

#include <map>
#include <sstream>

#include "engine/engine.h"
#include "platform/consoleToolkit.h"
#include "platform/win32/win32Desktop.h"
#include "probe.h"
#include "support/desktopContract.h"

namespace keyloom::test {
namespace {

// The contract's key names of the virtual keys the rows use.
const std::map<int, std::string> kKeyNames = {
    {8, "BackSpace"}, {9, "Tab"},     {13, "Return"},  {16, "Shift_L"}, {17, "Control_L"},
    {18, "Alt_L"},    {19, "Pause"},  {20, "Caps_Lock"}, {27, "Escape"}, {32, "space"},
    {33, "Prior"},    {34, "Next"},   {35, "End"},     {36, "Home"},    {37, "Left"},
    {38, "Up"},       {39, "Right"},  {40, "Down"},    {45, "Insert"},  {46, "Delete"},
    {144, "Num_Lock"}, {145, "Scroll_Lock"}};

// "keydown 65 shift+lock" -> "down a shift lock"; "button left up X Y" ->
// "up button1 DX,DY" from the probe's client origin.
std::string inContractForm(const std::string& line, POINT origin) {
    std::istringstream in(line);
    std::string kind, a, b;
    in >> kind >> a >> b;
    if (kind == "button") {
        int x = 0, y = 0;
        in >> x >> y;
        return b + " button" + (a == "left" ? "1 " : "3 ") + std::to_string(x - origin.x) + "," +
               std::to_string(y - origin.y);
    }
    const int vk = std::stoi(a);
    std::string out = (kind == "keydown" ? "down " : "up ");
    if (vk >= 'A' && vk <= 'Z')
        out += static_cast<char>(vk - 'A' + 'a');
    else if (vk >= 112 && vk <= 123)
        out += "F" + std::to_string(vk - 111);
    else
        out += kKeyNames.count(vk) ? kKeyNames.at(vk) : a;
    if (vk == 16 || vk == 17 || vk == 18 || vk == 20 || vk == 144 || vk == 145) return out;
    for (const char* word : {"shift", "lock", "ctrl", "alt"})
        if (b.find(word) != std::string::npos) out += std::string(" ") + word;
    return out;
}

void play(platform::Win32Desktop& desktop, std::vector<std::string> entries) {
    platform::ConsoleToolkit toolkit{std::cerr};
    VectorList list(std::move(entries));
    RunState state;
    state.lastIndex = list.count();
    Engine(state, list, desktop, toolkit).command2Click();
}

void expectNothingHeld(platform::Win32Desktop& desktop) {
    for (int vk : {1, 2, 16, 17, 18}) EXPECT_GE(desktop.getAsyncKeyState(vk), 0) << vk;
}

// The characters of the probe's "char U+XXXX" lines after its mark, in UTF-8.
std::string charactersReceived(Probe& probe) {
    std::wstring text;
    for (const std::string& line : probe.linesAfterMark({"char"})) {
        unsigned long c = std::stoul(line.substr(7), nullptr, 16);
        if (c >= 0x10000) {
            c -= 0x10000;
            text += static_cast<wchar_t>(0xD800 + (c >> 10));
            c = 0xDC00 + (c & 0x3FF);
        }
        text += static_cast<wchar_t>(c);
    }
    return narrow(text);
}

TEST(Contract, EveryRowArrivesAsWrittenAndNothingStaysHeld) {
    platform::Win32Desktop desktop;
    Probe probe{"Keyloom Contract Probe"};
    ASSERT_TRUE(probe.ready()) << "the probe window never got the focus";
    POINT origin{0, 0};
    ClientToScreen(probe.window(), &origin);
    for (const ContractRow& row : desktopContractRows()) {
        SCOPED_TRACE(row.name);
        // No lock left on by the row before.
        for (auto [lock, vk] : {std::pair{platform::LockKey::Caps, 20}, {platform::LockKey::Num, 144},
                                {platform::LockKey::Scroll, 145}}) {
            if (!desktop.lockKeyOn(lock)) continue;
            probe.mark();
            desktop.keybdEvent(static_cast<std::uint8_t>(vk), 0, platform::kKeyDown);
            desktop.keybdEvent(static_cast<std::uint8_t>(vk), 0, platform::kKeyUp);
            ASSERT_TRUE(probe.waitForPrefix("keyup " + std::to_string(vk) + " "));
        }
        desktop.swapMouseButton(row.swapped ? 1 : 0);
        ASSERT_TRUE(settleCursor(origin.x + kContractCursor.first, origin.y + kContractCursor.second));
        probe.mark();
        play(desktop, row.entries);
        const std::vector<std::string> prefixes = {"keydown", "keyup", "button"};
        eventually([&] { return probe.linesAfterMark(prefixes).size() >= row.expected.size(); });
        std::vector<std::string> got;
        for (const std::string& line : probe.linesAfterMark(prefixes))
            got.push_back(inContractForm(line, origin));
        EXPECT_EQ(got, row.expected);
        expectNothingHeld(desktop);
    }
    desktop.swapMouseButton(0);
}

TEST(Contract, EveryTextArrivesAsWritten) {
    platform::Win32Desktop desktop;
    Probe probe{"Keyloom Contract Text Probe"};
    ASSERT_TRUE(probe.ready()) << "the probe window never got the focus";
    for (const auto& [text, expected] : kContractTexts) {
        probe.mark();
        play(desktop, {"SendText >" + text});
        std::string got;
        eventually([&] { return (got = charactersReceived(probe)) == expected; });
        EXPECT_EQ(got, expected) << text;
        expectNothingHeld(desktop);
    }
}

// Beyond the contract. A text of one character taps the key of its
// upper-case letter, unshifted.
TEST(Contract, OneCharacterTextTapsItsKey) {
    platform::Win32Desktop desktop;
    Probe probe{"Keyloom One Character Probe"};
    ASSERT_TRUE(probe.ready()) << "the probe window never got the focus";
    play(desktop, {"SendText >q", "SendText >zz"});
    ASSERT_TRUE(probe.waitFor("char U+007A"));
    EXPECT_EQ(probe.linesAfterMark({"keydown 81", "keyup 81"}),
              (std::vector<std::string>{"keydown 81 -", "keyup 81 -"}));
}

TEST(Contract, AsyncKeyStateFollowsInjectedKeys) {
    platform::Win32Desktop desktop;
    desktop.keybdEvent(16, 0, platform::kKeyDown);
    EXPECT_LT(desktop.getAsyncKeyState(16), 0);
    desktop.keybdEvent(16, 0, platform::kKeyUp);
    EXPECT_GE(desktop.getAsyncKeyState(16), 0);
}

// Under Wine a pointer event from before can arrive after a move and put the
// cursor back (see settleCursor): the cursor is put until it stays.
TEST(Contract, CursorGoesWhereItIsPut) {
    platform::Win32Desktop desktop;
    for (platform::Point p : {platform::Point{120, 210}, platform::Point{300, 250}}) {
        EXPECT_TRUE(eventually([&] {
            desktop.setCursorPos(p.x, p.y);
            Sleep(30);
            return desktop.getCursorPos() == p;
        })) << p.x << "," << p.y;
    }
}

}  // namespace
}  // namespace keyloom::test
