// SendText through spare keycodes: the keycodes are bound, reused and given
// back, and left alone where another program took them. What text arrives
// under each layout is a row of the desktop contract (contract_test.cpp).
#include "x11Fixture.h"  // first: gtest before the X11 macros
#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/keysym.h>

#include <algorithm>

#include "actions/keyString.h"

namespace keyloom::test {
namespace {

class Typing : public X11ProbeTest {
public:
    // Types `text` as a run types it, without ending the run (which gives
    // the spare keycodes back).
    void type(const std::string& text) {
        KeyStringResult parsed = parseKeyString(text);
        ASSERT_EQ(parsed.error, "");
        desktop->typeKeys(text, parsed.strokes, {});
    }
};

// Spare keycodes are given back exactly as they were when the run ends.
// Every program (the window manager too) is told of each change once: each
// notice makes a window manager grab all its key bindings again.
TEST_F(Typing, TheKeyboardMapIsPutBackAfterwardsAndEachChangeToldOnce) {
    // A program that follows the keyboard map through XKB, as toolkits do,
    // is still sent the core notice.
    XkbSelectEvents(x.get(), XkbUseCoreKbd, XkbMapNotifyMask, XkbMapNotifyMask);
    auto mapNotices = [&] {  // those that came since the previous call
        XSync(x.get(), False);
        int count = 0;
        XEvent event;
        while (XCheckTypedEvent(x.get(), MappingNotify, &event))
            count += event.xmapping.request == MappingKeyboard ? 1 : 0;
        return count;
    };
    auto before = serverMapping(x.get());
    mapNotices();
    EXPECT_EQ(textOf(play({"SendText >日本 😀é"})), "日本 😀é");
    EXPECT_EQ(serverMapping(x.get()), before);
    EXPECT_EQ(mapNotices(), 2) << "one binding of the four characters, one restoring";
    desktop.reset();
    EXPECT_EQ(mapNotices(), 0);
}

// A key pressed on a real keyboard between two texts makes the server tell
// of a "new" keyboard (the keys now come from another device), though the map
// is the same: the spare keycodes bound before are still Keyloom's, are used
// again and are given back at the end.
TEST_F(Typing, ARealKeyBetweenTextsKeepsTheSpareKeycodes) {
    RealKeyboard keyboard(x.get());
    if (!keyboard) GTEST_SKIP() << "this X server has no keyboard device besides XTest";
    auto before = serverMapping(x.get());
    // The keycode 日 came through.
    auto sunKey = [](const std::vector<ProbeEvent>& events) {
        auto at = std::find_if(events.begin(), events.end(),
                               [](const ProbeEvent& e) { return e.keysym == 0x10065e5; });
        return at == events.end() ? 0U : at->keycode;
    };
    type("日本");
    auto events = received();
    EXPECT_EQ(textOf(events), "日本");
    const unsigned first = sunKey(events);
    ASSERT_NE(first, 0U);
    keyboard.tap(XK_Shift_L);
    type("本日");
    events = received();
    EXPECT_EQ(textOf(events), "本日");
    EXPECT_EQ(sunKey(events), first) << "bound again elsewhere";
    desktop.reset();
    EXPECT_EQ(serverMapping(x.get()), before);
}

// Another program (another typing tool) binds two keycodes while Keyloom
// has spare keycodes of its own: one of Keyloom's and an empty one. Typing
// goes on through the others, and closing the desktop (or ending the run,
// which does the same) gives back only what is still Keyloom's.
TEST_F(Typing, KeycodesAnotherProgramBindsMeanwhileAreLeftToIt) {
    // More characters than one keycode has levels: two keycodes.
    type("ħĸŀłŉ");
    EXPECT_EQ(textOf(received()), "ħĸŀłŉ");
    const KeyCode ours = XKeysymToKeycode(x.get(), 0x1000149);  // ŉ
    // ħ's keycode, and the lowest keycode that is empty now: no keysyms, no
    // actions, no modifiers (what a careful typing tool would take).
    std::vector<KeyCode> taken = {XKeysymToKeycode(x.get(), 0x1000127), 0};
    XkbDescPtr xkb = XkbGetMap(x.get(), XkbKeySymsMask | XkbKeyActionsMask | XkbModifierMapMask,
                               XkbUseCoreKbd);
    ASSERT_NE(xkb, nullptr);
    for (int kc = xkb->min_key_code; kc <= xkb->max_key_code && taken[1] == 0; ++kc)
        if (XkbKeyNumSyms(xkb, kc) == 0 && xkb->map->modmap[kc] == 0 && !XkbKeyHasActions(xkb, kc))
            taken[1] = static_cast<KeyCode>(kc);
    XkbFreeKeyboard(xkb, 0, True);
    ASSERT_NE(ours, 0);
    ASSERT_NE(taken[0], ours);
    ASSERT_NE(taken[1], 0);
    auto bind = [&](KeyCode keycode, KeySym keysym) {
        XChangeKeyboardMapping(x.get(), keycode, 1, &keysym, 1);
        XSync(x.get(), False);
    };
    for (KeyCode keycode : taken) bind(keycode, XK_F35);
    type("ŋŌōŐőŒœ");
    EXPECT_EQ(textOf(received()), "ŋŌōŐőŒœ");
    desktop.reset();
    EXPECT_TRUE(keysymsOf(x.get(), ours).empty()) << "ours is given back";
    for (KeyCode keycode : taken) {
        EXPECT_EQ(keysymsOf(x.get(), keycode).at(0), static_cast<unsigned long>(XK_F35)) << int{keycode};
        bind(keycode, NoSymbol);
    }
}

// Text comes out as written whatever Shift or Caps Lock the macro holds.
TEST_F(Typing, HeldShiftAndCapsLockDoNotChangeTheText) {
    EXPECT_EQ(textOf(play({"Press_Shift", "SendText >abC 1!", "Release_Shift"})), "abC 1!");
    EXPECT_EQ(textOf(play({"CapsOn", "SendText >abC é", "CapsOff"})), "abC é");
    // Under Shift held by the macro, a key of the notation is shifted.
    EXPECT_EQ(
        describe(play({"Press_Shift", "SendText >{TAB}", "Release_Shift"})),
        (std::vector<std::string>{"down Shift_L", "down Tab shift", "up Tab shift", "up Shift_L"}));
}

}  // namespace
}  // namespace keyloom::test
