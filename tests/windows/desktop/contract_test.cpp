// The desktop contract (support/desktopContract.h) on Win32: every row and
// every text played through the engine into the probe window, whose key
// events are put in the contract's form.
#include <gtest/gtest.h>

#include <map>
#include <set>

#include "platform/win32/win32Desktop.h"
#include "support/desktopContract.h"
#include "windowsSupport.h"

namespace keyloom::test {
namespace {

// The contract's key names of the virtual keys the rows use.
const std::map<unsigned, std::string> kKeyNames = {
    {8, "BackSpace"}, {9, "Tab"},     {13, "Return"},  {16, "Shift_L"}, {17, "Control_L"},
    {18, "Alt_L"},    {19, "Pause"},  {20, "Caps_Lock"}, {27, "Escape"}, {32, "space"},
    {33, "Prior"},    {34, "Next"},   {35, "End"},     {36, "Home"},    {37, "Left"},
    {38, "Up"},       {39, "Right"},  {40, "Down"},    {45, "Insert"},  {46, "Delete"},
    {144, "Num_Lock"}, {145, "Scroll_Lock"}};

const std::set<unsigned> kModifierKeys = {16, 17, 18, 20, 144, 145};

std::string keyName(unsigned vk) {
    if (vk >= 'A' && vk <= 'Z') return std::string(1, static_cast<char>(vk - 'A' + 'a'));
    if (vk >= 112 && vk <= 123) return "F" + std::to_string(vk - 111);
    return kKeyNames.count(vk) ? kKeyNames.at(vk) : std::to_string(vk);
}

TEST(Contract, EveryRowAndTextArrivesAsWrittenAndNothingStaysHeld) {
    platform::Win32Desktop desktop;
    ProbeProcess probe{"Keyloom Contract Probe"};
    ASSERT_TRUE(probe.start()) << probe.error();
    for (const ContractRow& row : desktopContractRows()) {
        SCOPED_TRACE(row.name);
        // No lock left on by the row before.
        for (auto [lock, vk] : {std::pair{platform::LockKey::Caps, 20}, {platform::LockKey::Num, 144},
                                {platform::LockKey::Scroll, 145}}) {
            if (!desktop.lockKeyOn(lock)) continue;
            desktop.keybdEvent(static_cast<std::uint8_t>(vk), 0, platform::kKeyDown);
            desktop.keybdEvent(static_cast<std::uint8_t>(vk), 0, platform::kKeyUp);
            ASSERT_TRUE(readUntilLine(probe, "KeyRelease keycode=" + std::to_string(vk) + " "));
        }
        desktop.swapMouseButton(row.swapped ? 1 : 0);
        ASSERT_TRUE(settleCursor(desktop, probe.left() + kContractCursor.first,
                                 probe.top() + kContractCursor.second));
        receivedNow(probe);
        playEntries(desktop, row.entries);
        std::vector<std::string> got;
        for (const ProbeEvent& e : keysAndButtonsReceived(probe, row.expected.size()))
            got.push_back(
                contractLine(e, probe, keyName(e.keycode), kModifierKeys.contains(e.keycode)));
        EXPECT_EQ(got, row.expected);
        EXPECT_EQ(heldKeys(desktop), std::vector<int>{});
    }
    desktop.swapMouseButton(0);
    receivedNow(probe);
    for (const auto& [text, expected] : kContractTexts) {
        playEntries(desktop, {"SendText >" + text});
        EXPECT_EQ(charsReceived(probe, expected), expected) << text;
        EXPECT_EQ(heldKeys(desktop), std::vector<int>{});
    }
}

}  // namespace
}  // namespace keyloom::test
