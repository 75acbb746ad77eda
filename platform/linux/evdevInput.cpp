#include "platform/linux/evdevInput.h"

#include <fcntl.h>
#include <libevdev/libevdev.h>
#include <linux/input-event-codes.h>
#include <unistd.h>
#include <xkbcommon/xkbcommon.h>

#include <array>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <map>
#include <vector>

#include "platform/linux/keysyms.h"

namespace keyloom::platform {
namespace {

// Evdev codes count from the keyboard map's keycodes less 8.
constexpr unsigned kXkbOffset = 8;

// Virtual-key codes to evdev codes, through the keysyms of a US map.
std::array<unsigned, 256> codeTable() {
    std::array<unsigned, 256> table{};
    table[1] = BTN_LEFT;
    table[2] = BTN_RIGHT;
    table[4] = BTN_MIDDLE;
    xkb_context* context = xkb_context_new(XKB_CONTEXT_NO_ENVIRONMENT_NAMES);
    const xkb_rule_names us{"evdev", "pc105", "us", "", ""};
    xkb_keymap* keymap = context ? xkb_keymap_new_from_names(context, &us, XKB_KEYMAP_COMPILE_NO_FLAGS)
                                 : nullptr;
    std::map<xkb_keysym_t, unsigned> byKeysym;
    if (keymap != nullptr) {
        for (xkb_keycode_t k = xkb_keymap_max_keycode(keymap); k >= xkb_keymap_min_keycode(keymap) && k >= kXkbOffset; --k) {
            const xkb_keysym_t* syms = nullptr;
            // The lowest keycode wins: the main block before the keypad.
            if (xkb_keymap_key_get_syms_by_level(keymap, k, 0, 0, &syms) > 0) byKeysym[syms[0]] = k - kXkbOffset;
        }
        xkb_keymap_unref(keymap);
    }
    if (context != nullptr) xkb_context_unref(context);
    for (int vk = 3; vk < 256; ++vk) {
        if (vk == 4) continue;
        const std::uint32_t sym = keysymForVirtualKey(static_cast<std::uint8_t>(vk));
        if (auto found = byKeysym.find(sym); sym != 0 && found != byKeysym.end()) table[vk] = found->second;
    }
    return table;
}

const std::array<unsigned, 256>& codes() {
    static const std::array<unsigned, 256> table = codeTable();  // built once, never changed
    return table;
}

}  // namespace

unsigned evdevCodeForVirtualKey(std::uint8_t vk) { return codes()[vk]; }

struct EvdevInput::Devices {
    struct Device {
        int fd = -1;
        libevdev* dev = nullptr;
    };
    std::vector<Device> list;
    std::map<unsigned, int> presses;  // presses of buttons and Pause not yet asked about

    ~Devices() {
        for (Device& d : list) {
            libevdev_free(d.dev);
            close(d.fd);
        }
    }

    // Takes in every event the devices have sent since the previous call;
    // after a gap (the kernel dropped events) libevdev brings its key
    // states up to date.
    void update() {
        for (Device& d : list) {
            input_event e{};
            unsigned flag = LIBEVDEV_READ_FLAG_NORMAL;
            for (int status; (status = libevdev_next_event(d.dev, flag, &e)) >= 0;) {
                flag = status == LIBEVDEV_READ_STATUS_SYNC ? LIBEVDEV_READ_FLAG_SYNC : LIBEVDEV_READ_FLAG_NORMAL;
                if (e.type == EV_KEY && e.value == 1 &&
                    (e.code == KEY_PAUSE || e.code == BTN_LEFT || e.code == BTN_RIGHT || e.code == BTN_MIDDLE))
                    ++presses[e.code];
            }
        }
    }
    bool down(unsigned code) const {
        for (const Device& d : list)
            if (libevdev_get_event_value(d.dev, EV_KEY, code) != 0) return true;
        return false;
    }
    bool takePress(unsigned code) {
        auto found = presses.find(code);
        if (found == presses.end() || found->second == 0) return false;
        --found->second;
        return true;
    }
};

std::unique_ptr<EvdevInput> EvdevInput::open(std::string* why) {
    auto devices = std::make_unique<Devices>();
    int refused = 0, seen = 0;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator("/dev/input", error)) {
        if (entry.path().filename().string().rfind("event", 0) != 0) continue;
        ++seen;
        const int fd = ::open(entry.path().c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) {
            refused += errno == EACCES || errno == EPERM;
            continue;
        }
        libevdev* dev = nullptr;
        if (libevdev_new_from_fd(fd, &dev) == 0 && libevdev_has_event_type(dev, EV_KEY) &&
            (libevdev_has_event_code(dev, EV_KEY, KEY_A) || libevdev_has_event_code(dev, EV_KEY, KEY_PAUSE) ||
             libevdev_has_event_code(dev, EV_KEY, BTN_LEFT))) {
            devices->list.push_back({fd, dev});
            continue;
        }
        libevdev_free(dev);
        close(fd);
    }
    if (!devices->list.empty()) return std::unique_ptr<EvdevInput>(new EvdevInput(std::move(devices)));
    *why = seen == 0      ? "there are no input devices to read here"
           : refused > 0 ? "this user may not read the input devices (add the user to the group \"input\")"
                          : "no keyboard or mouse among the input devices";
    return nullptr;
}

EvdevInput::EvdevInput(std::unique_ptr<Devices> devices) : devices_(std::move(devices)) {}
EvdevInput::~EvdevInput() = default;

std::int16_t EvdevInput::keyState(int vk) {
    if (vk < 0 || vk > 255 || codes()[vk] == 0) return 0;
    devices_->update();
    const unsigned code = codes()[vk];
    std::uint16_t state = devices_->down(code) ? 0x8000 : 0;
    if (code == BTN_LEFT || code == BTN_RIGHT || code == BTN_MIDDLE) {
        const bool pressed = devices_->takePress(code);
        devices_->presses[code] = 0;
        if (pressed) state |= 1;
    }
    return static_cast<std::int16_t>(state);
}

KeySet EvdevInput::keysDown() {
    devices_->update();
    KeySet down;
    for (int vk = 3; vk < 256; ++vk)
        if (vk != 4 && codes()[vk] != 0 && devices_->down(codes()[vk])) down.set(static_cast<std::size_t>(vk));
    return down;
}

bool EvdevInput::stopKeyPressed() {
    devices_->update();
    return devices_->takePress(KEY_PAUSE);
}

}  // namespace keyloom::platform
