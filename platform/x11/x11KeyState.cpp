// Key and button state on X11, as the recorder samples it.
//
// Keys: one XQueryKeymap gives every key that is down now; each keycode is
// turned into the virtual-key codes its keysyms stand for. Buttons: the
// pointer state gives the buttons down now, and XInput2 raw button events on
// the root catch a press that was over before the next query. Both are read
// on a connection of our own, so the events we select never reach (or steal
// from) the connection that plays macros.
#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/extensions/XInput2.h>
#include <X11/keysym.h>

#include <array>
#include <unordered_map>

#include "platform/virtualKeys.h"
#include "platform/x11/x11Impl.h"

namespace keyloom::platform {
namespace {

constexpr std::int16_t kDownNow = static_cast<std::int16_t>(0x8000);
constexpr std::int16_t kPressedSince = 1;

// Keysyms that stand for a generic virtual key besides their own: a
// right-hand modifier is also Shift, Ctrl or Alt, the keypad's Enter is Enter.
struct ExtraKey {
    KeySym keysym;
    std::uint8_t vk;
};
constexpr std::array kExtraKeys{
    ExtraKey{XK_Shift_R, vk::kShift}, ExtraKey{XK_Control_R, vk::kControl},
    ExtraKey{XK_Alt_R, vk::kMenu},    ExtraKey{XK_Meta_L, vk::kMenu},
    ExtraKey{XK_Meta_R, vk::kMenu},   ExtraKey{XK_KP_Enter, vk::kReturn},
};

std::unordered_map<KeySym, KeySet> virtualKeysOfKeysyms() {
    std::unordered_map<KeySym, KeySet> keys;
    for (int vk = 1; vk < 256; ++vk) {
        // The Print key is Print Screen (VK_SNAPSHOT) as on a PC keyboard; VK_PRINT
        // names the key of keyboards that have a separate one, which X does not tell apart.
        if (vk == vk::kPrint) continue;
        KeySym keysym = keysymForVirtualKey(static_cast<std::uint8_t>(vk));
        if (keysym != NoSymbol) keys[keysym].set(static_cast<std::size_t>(vk));
    }
    for (const ExtraKey& extra : kExtraKeys) keys[extra.keysym].set(extra.vk);
    return keys;
}

// The physical button that a mouse virtual key names (Windows reports the
// physical buttons, whatever the mapping), 0 for any other code.
unsigned int physicalButtonOf(int vk) {
    switch (vk) {
    case 0x01: return 1;  // VK_LBUTTON
    case 0x02: return 3;  // VK_RBUTTON
    case 0x04: return 2;  // VK_MBUTTON
    default: return 0;
    }
}

}  // namespace

class KeyState {
public:
    // Nothing when the display cannot be opened a second time.
    static std::shared_ptr<KeyState> open(Display* main) {
        Display* display = XOpenDisplay(DisplayString(main));
        if (display == nullptr) return nullptr;
        return std::make_shared<KeyState>(display);
    }

    explicit KeyState(Display* display)
        : display_(display), root_(DefaultRootWindow(display)), keysyms_(virtualKeysOfKeysyms()) {
        watchMapChanges();
        watchButtons();
        XSync(display_, False);
    }
    ~KeyState() { XCloseDisplay(display_); }
    KeyState(const KeyState&) = delete;
    KeyState& operator=(const KeyState&) = delete;

    KeySet keysDown() {
        std::array<char, 32> keys{};
        XQueryKeymap(display_, keys.data());
        // A change of the keyboard map made before the query is announced
        // before its reply: read the events now and the table is current.
        readEvents();
        if (mapStale_) readKeyboardMap();
        KeySet down;
        for (std::size_t keycode = 0; keycode < 256; ++keycode)
            if ((static_cast<unsigned char>(keys[keycode / 8]) >> (keycode % 8)) & 1U)
                down |= vksOfKeycode_[keycode];
        return down;
    }

    std::int16_t buttonState(unsigned int physical) {
        // Every raw event sent before the round trip is in the queue after it.
        XSync(display_, False);
        readEvents();
        std::int16_t state = buttonDownNow(physical) ? kDownNow : 0;
        if (pressed_[physical]) state = static_cast<std::int16_t>(state | kPressedSince);
        pressed_[physical] = false;
        return state;
    }

    bool buttonsSwapped() {
        std::array<unsigned char, 32> map{};
        int n = XGetPointerMapping(display_, map.data(), static_cast<int>(map.size()));
        return n >= 3 && map[0] == 3;
    }

private:
    void watchMapChanges() {
        int opcode = 0, error = 0, major = XkbMajorVersion, minor = XkbMinorVersion;
        if (XkbQueryExtension(display_, &opcode, &xkbEvent_, &error, &major, &minor))
            XkbSelectEvents(display_, XkbUseCoreKbd, XkbMapNotifyMask, XkbMapNotifyMask);
        else
            xkbEvent_ = -1;
    }

    void watchButtons() {
        int event = 0, error = 0;
        if (!XQueryExtension(display_, "XInputExtension", &xiOpcode_, &event, &error)) return;
        int major = 2, minor = 0;
        if (XIQueryVersion(display_, &major, &minor) != Success) return;
        std::array<unsigned char, XIMaskLen(XI_LASTEVENT)> bits{};
        XISetMask(bits.data(), XI_RawButtonPress);
        XIEventMask mask{XIAllMasterDevices, static_cast<int>(bits.size()), bits.data()};
        XISelectEvents(display_, root_, &mask, 1);
        rawButtons_ = true;
    }

    void readEvents() {
        while (XPending(display_) > 0) {
            XEvent event;
            XNextEvent(display_, &event);
            if (event.type == MappingNotify || (xkbEvent_ >= 0 && event.type == xkbEvent_)) {
                mapStale_ = true;
            } else if (rawButtons_ && event.type == GenericEvent &&
                       event.xcookie.extension == xiOpcode_ &&
                       XGetEventData(display_, &event.xcookie)) {
                if (event.xcookie.evtype == XI_RawButtonPress) {
                    auto* raw = static_cast<XIRawEvent*>(event.xcookie.data);
                    if (raw->detail > 0 && raw->detail < static_cast<int>(pressed_.size()))
                        pressed_[static_cast<std::size_t>(raw->detail)] = true;
                }
                XFreeEventData(display_, &event.xcookie);
            }
        }
    }

    void readKeyboardMap() {
        mapStale_ = false;
        for (KeySet& vks : vksOfKeycode_) vks.reset();
        int minKeycode = 0, maxKeycode = 0, perKeycode = 0;
        XDisplayKeycodes(display_, &minKeycode, &maxKeycode);
        KeySym* map = XGetKeyboardMapping(display_, static_cast<KeyCode>(minKeycode),
                                          maxKeycode - minKeycode + 1, &perKeycode);
        if (map == nullptr) return;
        for (int keycode = minKeycode; keycode <= maxKeycode; ++keycode) {
            for (int level = 0; level < perKeycode; ++level) {
                auto found = keysyms_.find(map[(keycode - minKeycode) * perKeycode + level]);
                if (found != keysyms_.end())
                    vksOfKeycode_[static_cast<std::size_t>(keycode)] |= found->second;
            }
        }
        XFree(map);
    }

    bool buttonDownNow(unsigned int physical) {
        std::array<unsigned char, 32> map{};
        int n = XGetPointerMapping(display_, map.data(), static_cast<int>(map.size()));
        unsigned int logical = static_cast<int>(physical) <= n ? map[physical - 1] : physical;
        if (logical < 1 || logical > 5) return false;
        Window rootReturn = 0, child = 0;
        int rootX = 0, rootY = 0, winX = 0, winY = 0;
        unsigned int mask = 0;
        XQueryPointer(display_, root_, &rootReturn, &child, &rootX, &rootY, &winX, &winY, &mask);
        return (mask & (Button1Mask << (logical - 1))) != 0;
    }

    Display* display_;
    Window root_;
    std::unordered_map<KeySym, KeySet> keysyms_;
    std::array<KeySet, 256> vksOfKeycode_{};
    bool mapStale_ = true;
    int xkbEvent_ = -1;
    int xiOpcode_ = -1;
    bool rawButtons_ = false;
    std::array<bool, 6> pressed_{};  // physical buttons 1 to 5 pressed since their last query
};

namespace {

KeyState* keyState(X11Desktop::Impl& impl) {
    if (!impl.keyState) impl.keyState = KeyState::open(impl.display);
    return impl.keyState.get();
}

}  // namespace

std::int16_t X11Desktop::getAsyncKeyState(int vk) {
    KeyState* state = keyState(*impl_);
    if (state == nullptr || vk <= 0 || vk > 255) return 0;
    if (unsigned int button = physicalButtonOf(vk)) return state->buttonState(button);
    // Only "down now" is kept for keys; nothing of ours asks whether a key
    // was pressed since the previous query.
    return state->keysDown().test(static_cast<std::size_t>(vk)) ? kDownNow : 0;
}

KeySet X11Desktop::keysDown() {
    KeyState* state = keyState(*impl_);
    return state == nullptr ? KeySet{} : state->keysDown();
}

// Read only: the swap is a setting of the pointer map, and flipping it to
// find out (twice every few hundred milliseconds while a recording runs)
// would disturb every client of the display.
bool X11Desktop::mouseButtonsSwapped() {
    KeyState* state = keyState(*impl_);
    return state != nullptr && state->buttonsSwapped();
}

// X keeps no per-thread key-state table that could go stale: nothing to reset.
void X11Desktop::setKeyboardState(const std::array<std::uint8_t, 256>&) {}

}  // namespace keyloom::platform
