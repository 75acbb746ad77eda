// The lock-key commands: CapsOn/CapsOff, NumOn/NumOff, ScrollOn/ScrollOff
// leave the lock in the state they name, tapping its key only when needed.
// gtest before Xlib, whose None macro it cannot take.
#include "x11Fixture.h"

#include <X11/XKBlib.h>
#include <X11/keysym.h>

namespace keyloom::test {
namespace {

struct LockCase {
    const char* on;
    const char* off;
    const char* key;        // keysym name of the lock key
    const char* indicator;  // its keyboard indicator
    platform::LockKey lock;
};

const LockCase kLocks[] = {
    {"CapsOn", "CapsOff", "Caps_Lock", "Caps Lock", platform::LockKey::Caps},
    {"NumOn", "NumOff", "Num_Lock", "Num Lock", platform::LockKey::Num},
    {"ScrollOn", "ScrollOff", "Scroll_Lock", "Scroll Lock", platform::LockKey::Scroll},
};

// The usual X keymap gives Scroll_Lock no modifier, so the key locks
// nothing; a keymap that does (xmodmap "add mod3 = Scroll_Lock") makes it a
// lock like the others. The test sets that up and takes it down again.
class ScrollLockModifier {
public:
    explicit ScrollLockModifier(Display* display) : display_(display) {
        KeyCode code = XKeysymToKeycode(display_, XK_Scroll_Lock);
        if (code == 0 || XkbKeysymToModifiers(display_, XK_Scroll_Lock) != 0) return;
        XModifierKeymap* map = XGetModifierMapping(display_);
        map = XInsertModifiermapEntry(map, code, Mod3MapIndex);
        added_ = XSetModifierMapping(display_, map) == MappingSuccess;
        XFreeModifiermap(map);
        XSync(display_, False);
    }
    ~ScrollLockModifier() {
        if (!added_) return;
        XModifierKeymap* map = XGetModifierMapping(display_);
        map = XDeleteModifiermapEntry(map, XKeysymToKeycode(display_, XK_Scroll_Lock),
                                      Mod3MapIndex);
        XSetModifierMapping(display_, map);
        XFreeModifiermap(map);
        XSync(display_, False);
    }
    ScrollLockModifier(const ScrollLockModifier&) = delete;
    ScrollLockModifier& operator=(const ScrollLockModifier&) = delete;

private:
    Display* display_;
    bool added_ = false;
};

TEST_F(X11ProbeTest, LockCommandsLeaveTheLockInTheStateTheyName) {
    ScrollLockModifier scrollLocks(x.get());
    for (const LockCase& c : kLocks) {
        SCOPED_TRACE(c.on);
        ASSERT_FALSE(indicatorOn(x.get(), c.indicator));
        ASSERT_FALSE(desktop->lockKeyOn(c.lock));

        // Off to on: one tap of the lock key.
        EXPECT_EQ(playExpecting({c.on}, tapOf(c.key)), tapOf(c.key));
        EXPECT_TRUE(indicatorOn(x.get(), c.indicator));
        EXPECT_TRUE(desktop->lockKeyOn(c.lock));
        // Already on: nothing is sent (the trailing Tab shows the run went by).
        EXPECT_EQ(playExpecting({c.on, "Press_Tab"}, tapOf("Tab")), tapOf("Tab"));
        EXPECT_TRUE(indicatorOn(x.get(), c.indicator));

        EXPECT_EQ(playExpecting({c.off}, tapOf(c.key)), tapOf(c.key));
        EXPECT_FALSE(indicatorOn(x.get(), c.indicator));
        EXPECT_FALSE(desktop->lockKeyOn(c.lock));
        EXPECT_EQ(playExpecting({c.off, "Press_Tab"}, tapOf("Tab")), tapOf("Tab"));
        EXPECT_FALSE(indicatorOn(x.get(), c.indicator));
    }
}

TEST_F(X11ProbeTest, CapsLockOnMakesTheWindowSeeTheLockState) {
    auto events = play({"CapsOn", "SendText >a", "CapsOff", "SendText >a"}, 8);
    ASSERT_EQ(describe(events), (std::vector<std::string>{"down Caps_Lock", "up Caps_Lock",
                                                          "down a", "up a", "down Caps_Lock",
                                                          "up Caps_Lock", "down a", "up a"}));
    EXPECT_EQ(events[2].state & LockMask, static_cast<unsigned>(LockMask));
    EXPECT_EQ(events[2].name, "A");
    EXPECT_EQ(events[6].state & LockMask, 0U);
    EXPECT_EQ(events[6].name, "a");
}

}  // namespace
}  // namespace keyloom::test
