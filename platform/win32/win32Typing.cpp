// Typing key strings: characters of the current keyboard layout go as the
// keys that make them (VkKeyScanW, with the modifiers they need), any other
// character as Unicode input (KEYEVENTF_UNICODE).
#include <windows.h>

#include <array>
#include <bitset>
#include <functional>

#include "platform/win32/win32Desktop.h"

namespace keyloom::platform {
namespace {

// Keys of the enhanced keyboard that Windows tells apart by the extended flag.
bool isExtendedKey(std::uint8_t vk) {
    return (vk >= VK_PRIOR && vk <= VK_DOWN) || vk == VK_INSERT || vk == VK_DELETE ||
           vk == VK_LWIN || vk == VK_RWIN || vk == VK_APPS || vk == VK_DIVIDE ||
           vk == VK_NUMLOCK || vk == VK_RCONTROL || vk == VK_RMENU || vk == VK_SNAPSHOT;
}

struct Modifier {
    int bit;  // in the high byte of VkKeyScanW
    std::uint8_t vk;
};
constexpr std::array kModifiers{Modifier{1, VK_SHIFT}, Modifier{2, VK_CONTROL},
                                Modifier{4, VK_MENU}};

class Typist {
public:
    explicit Typist(std::function<void()> beforePause) : beforePause_(std::move(beforePause)) {}
    ~Typist() {
        // Nothing stays held after the string, whatever it held.
        for (int vk = 255; vk > 0; --vk)
            if (held_.test(static_cast<std::size_t>(vk))) key(static_cast<std::uint8_t>(vk), false);
    }

    void stroke(const KeyStroke& s) {
        switch (s.kind) {
        case KeyStroke::Kind::Char: character(s.ch); break;
        case KeyStroke::Kind::Tap: tap(s.vk); break;
        case KeyStroke::Kind::Press: key(s.vk, true); break;
        case KeyStroke::Kind::Release: key(s.vk, false); break;
        }
    }

private:
    void key(std::uint8_t vk, bool down) {
        if (vk == VK_PAUSE && down) beforePause_();
        DWORD flags = (down ? 0 : KEYEVENTF_KEYUP) | (isExtendedKey(vk) ? KEYEVENTF_EXTENDEDKEY : 0);
        keybd_event(vk, static_cast<BYTE>(MapVirtualKeyW(vk, MAPVK_VK_TO_VSC)), flags, 0);
        held_.set(vk, down);
    }

    void tap(std::uint8_t vk) {
        key(vk, true);
        key(vk, false);
    }

    void character(char32_t ch) {
        if (ch == U'\n' || ch == U'\r') return tap(VK_RETURN);
        SHORT scan = ch <= 0xFFFF ? VkKeyScanW(static_cast<WCHAR>(ch)) : SHORT(-1);
        int mods = (scan >> 8) & 0xFF;
        // No key makes it, or only with modifiers we cannot press (kana and the like).
        if ((scan & 0xFF) == 0xFF || (mods & ~7) != 0) return unicode(ch);
        // Caps Lock turns the case of letters: Shift turns it back.
        if (IsCharAlphaW(static_cast<WCHAR>(ch)) && (GetKeyState(VK_CAPITAL) & 1) != 0) mods ^= 1;
        std::bitset<256> pressed;
        for (const Modifier& m : kModifiers) {
            if ((mods & m.bit) == 0 || held_.test(m.vk)) continue;
            key(m.vk, true);
            pressed.set(m.vk);
        }
        tap(static_cast<std::uint8_t>(scan & 0xFF));
        for (auto m = kModifiers.rbegin(); m != kModifiers.rend(); ++m)
            if (pressed.test(m->vk)) key(m->vk, false);
    }

    static void unicode(char32_t ch) {
        std::array<WCHAR, 2> units{};
        int count = 1;
        if (ch > 0xFFFF) {
            ch -= 0x10000;
            units = {static_cast<WCHAR>(0xD800 + (ch >> 10)), static_cast<WCHAR>(0xDC00 + (ch & 0x3FF))};
            count = 2;
        } else {
            units[0] = static_cast<WCHAR>(ch);
        }
        std::array<INPUT, 4> inputs{};
        int n = 0;
        for (int up = 0; up < 2; ++up)
            for (int i = 0; i < count; ++i) {
                INPUT& in = inputs[static_cast<std::size_t>(n++)];
                in.type = INPUT_KEYBOARD;
                in.ki.wScan = units[static_cast<std::size_t>(i)];
                in.ki.dwFlags = KEYEVENTF_UNICODE | (up != 0 ? KEYEVENTF_KEYUP : 0);
            }
        SendInput(static_cast<UINT>(n), inputs.data(), sizeof(INPUT));
    }

    std::function<void()> beforePause_;
    std::bitset<256> held_;
};

}  // namespace

void Win32Desktop::typeKeys(const std::string&, const std::vector<KeyStroke>& strokes,
                            const StopCheck& stopAsked) {
    // A stop test every few milliseconds of typing; what the typist holds
    // is let up when it goes, stopped or not.
    constexpr ULONGLONG kSliceMs = 5;
    Typist typist([this] { expectOwnPause(); });
    ULONGLONG nextTest = GetTickCount64() + kSliceMs;
    for (const KeyStroke& s : strokes) {
        if (stopAsked && GetTickCount64() >= nextTest) {
            if (stopAsked()) return;
            nextTest = GetTickCount64() + kSliceMs;
        }
        typist.stroke(s);
    }
}

}  // namespace keyloom::platform
