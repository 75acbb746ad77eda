// Typing into a Wayland window: 5,000 ASCII characters and 500 characters off
// the US layout, through the desktop the session calls for (SendText's way),
// beside the floor and a peer, each into the Wayland probe. On wlroots the
// floor is a raw zwp_virtual_keyboard_v1 sender (one keymap with every keysym
// of the text, then taps in a tight loop) and the peer wtype; on GNOME the
// floor is a raw sender of mutter's NotifyKeyboardKeysym, one call per key
// event (mutter drops the keysyms off its layout), and there is no peer; on
// KWin the floor is a raw fake-input sender (taps of the keys of KWin's map,
// Shift as needed; it has no way to type characters off the map). Every run
// is checked at the probe, character by character (keys and input-method
// commits). Target: no wrong character (the floor loses some: a compositor
// drops a program that falls too far behind), faster than wtype.
//
//   wayland-typing-bench [ASCII=5000] [OFF=500] [WTYPE_SECONDS=200]
//     (under scripts/with-sway.sh, scripts/with-gnome.sh or scripts/with-kwin.sh)
#include <gio/gio.h>
#include <sys/mman.h>
#include <cerrno>
#include <unistd.h>
#include <wayland-client.h>
#include <xkbcommon/xkbcommon.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <map>
#include <string>
#include <thread>
#include <unordered_map>
#include <vector>

#include "bench/benchTable.h"
#include "fake-input-client-protocol.h"
#include "platform/linux/keymapKeys.h"
#include "platform/linux/keysyms.h"
#include "platform/systemDesktop.h"
#include "virtual-keyboard-unstable-v1-client-protocol.h"
#include "support/probeProcess.h"

namespace {

using namespace keyloom;
using keyloom::test::monotonicNow;
using keyloom::test::ProbeEvent;

std::string utf8(char32_t ch) {
    char out[8] = {};
    xkb_keysym_to_utf8(
        ch < 0x100 ? static_cast<std::uint32_t>(ch) : 0x01000000U | static_cast<std::uint32_t>(ch),
        out, sizeof out);
    return out;
}

// Deterministic texts: printable ASCII, and characters of five scripts.
std::u32string asciiText(int n) {
    std::u32string text;
    for (int i = 0; i < n; ++i) text += static_cast<char32_t>(' ' + (i * 37 + i / 7) % 95);
    return text;
}
std::u32string offLayoutText(int n) {
    const std::u32string pool = U"äöüßÄÖÜéèêçñ€ΑβγδλπΩЖЗИЙКЛМНжзийклмн日本語中文字漢한국어😀🎉👍🚀✓→←";
    std::u32string text;
    for (int i = 0; i < n; ++i)
        text += pool[static_cast<std::size_t>(i * 7 + i / 11) % pool.size()];
    return text;
}

// A raw sender: its own connection and virtual keyboard, a keymap with one key
// per keysym of the text, uploaded once before the clock starts.
class RawSender {
public:
    explicit RawSender(const std::u32string& text) {
        display_ = wl_display_connect(nullptr);
        if (display_ == nullptr) return;
        wl_registry* registry = wl_display_get_registry(display_);
        static const wl_registry_listener listener = {
            [](void* data, wl_registry* r, std::uint32_t name, const char* iface, std::uint32_t) {
                auto* self = static_cast<RawSender*>(data);
                if (std::strcmp(iface, wl_seat_interface.name) == 0 && self->seat_ == nullptr)
                    self->seat_ =
                        static_cast<wl_seat*>(wl_registry_bind(r, name, &wl_seat_interface, 1));
                if (std::strcmp(iface, zwp_virtual_keyboard_manager_v1_interface.name) == 0)
                    self->manager_ = static_cast<zwp_virtual_keyboard_manager_v1*>(
                        wl_registry_bind(r, name, &zwp_virtual_keyboard_manager_v1_interface, 1));
            },
            [](void*, wl_registry*, std::uint32_t) {}};
        wl_registry_add_listener(registry, &listener, this);
        wl_display_roundtrip(display_);
        if (seat_ == nullptr || manager_ == nullptr) return;
        keyboard_ = zwp_virtual_keyboard_manager_v1_create_virtual_keyboard(manager_, seat_);
        std::string keycodes, symbols;
        for (char32_t ch : text) {
            if (keys_.count(ch) != 0) continue;
            const std::uint32_t code = 9 + static_cast<std::uint32_t>(keys_.size());
            keys_[ch] = code - 8;
            keycodes += "<K" + std::to_string(code) + "> = " + std::to_string(code) + ";\n";
            const std::uint32_t sym = ch < 0x100 ? xkb_utf32_to_keysym(ch) : 0x01000000U | ch;
            symbols += "key <K" + std::to_string(code) + "> { [ " + std::to_string(sym) + " ] };\n";
        }
        const std::string keymap =
            "xkb_keymap {\nxkb_keycodes \"k\" { minimum = 8; maximum = " +
            std::to_string(9 + keys_.size()) + ";\n" + keycodes +
            "};\nxkb_types \"t\" { include \"complete\" };\n"
            "xkb_compat \"c\" { include \"complete\" };\nxkb_symbols \"s\" {\n" +
            symbols + "};\n};\n";
        int fd = memfd_create("raw-keymap", MFD_CLOEXEC);
        if (write(fd, keymap.c_str(), keymap.size() + 1) != static_cast<ssize_t>(keymap.size() + 1))
            return;
        zwp_virtual_keyboard_v1_keymap(keyboard_, WL_KEYBOARD_KEYMAP_FORMAT_XKB_V1, fd,
                                       static_cast<std::uint32_t>(keymap.size() + 1));
        close(fd);
        wl_display_roundtrip(display_);
    }
    ~RawSender() {
        if (display_ != nullptr) wl_display_disconnect(display_);
    }
    bool ok() const { return keyboard_ != nullptr; }
    void send(const std::u32string& text) {
        for (char32_t ch : text) {
            zwp_virtual_keyboard_v1_key(keyboard_, 0, keys_[ch], WL_KEYBOARD_KEY_STATE_PRESSED);
            zwp_virtual_keyboard_v1_key(keyboard_, 0, keys_[ch], WL_KEYBOARD_KEY_STATE_RELEASED);
            while (wl_display_flush(display_) < 0 && errno == EAGAIN) usleep(100);
        }
        wl_display_roundtrip(display_);
    }

private:
    wl_display* display_ = nullptr;
    wl_seat* seat_ = nullptr;
    zwp_virtual_keyboard_manager_v1* manager_ = nullptr;
    zwp_virtual_keyboard_v1* keyboard_ = nullptr;
    std::map<char32_t, std::uint32_t> keys_;  // evdev codes
};

// A raw sender of mutter's RemoteDesktop: a session of its own, warmed up
// before the clock starts, then one NotifyKeyboardKeysym call per key event.
class RawKeysymSender {
public:
    RawKeysymSender() {
        bus_ = g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, nullptr);
        GVariant* reply = bus_ != nullptr ? call(kMutterPath, kMutter, "CreateSession", nullptr)
                                          : nullptr;
        if (reply == nullptr) return;
        const gchar* path = nullptr;
        g_variant_get(reply, "(&o)", &path);
        session_ = path;
        g_variant_unref(reply);
        if (!notify("Start", nullptr)) session_.clear();
        notify("NotifyKeyboardKeysym", g_variant_new("(ub)", 0xffe1U, TRUE));
        notify("NotifyKeyboardKeysym", g_variant_new("(ub)", 0xffe1U, FALSE));
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
    }
    ~RawKeysymSender() {
        if (!session_.empty()) notify("Stop", nullptr);
        if (bus_ != nullptr) g_object_unref(bus_);
    }
    bool ok() const { return !session_.empty(); }
    void send(const std::u32string& text) {
        for (char32_t ch : text)
            for (gboolean press : {gboolean{TRUE}, gboolean{FALSE}})
                notify("NotifyKeyboardKeysym",
                       g_variant_new("(ub)", platform::keysymForChar(ch), press));
    }

private:
    static constexpr const char* kMutter = "org.gnome.Mutter.RemoteDesktop";
    static constexpr const char* kMutterPath = "/org/gnome/Mutter/RemoteDesktop";
    GVariant* call(const char* path, const char* interface, const char* method, GVariant* args) {
        return g_dbus_connection_call_sync(bus_, kMutter, path, interface, method, args, nullptr,
                                           G_DBUS_CALL_FLAGS_NONE, 5000, nullptr, nullptr);
    }
    bool notify(const char* method, GVariant* args) {
        GVariant* reply = call(session_.c_str(), "org.gnome.Mutter.RemoteDesktop.Session", method, args);
        if (reply != nullptr) g_variant_unref(reply);
        return reply != nullptr;
    }
    GDBusConnection* bus_ = nullptr;
    std::string session_;
};

// A raw sender through KWin's fake input: the keys of KWin's own map.
class FakeInputSender {
public:
    FakeInputSender() {
        display_ = wl_display_connect(nullptr);
        if (display_ == nullptr) return;
        wl_registry* registry = wl_display_get_registry(display_);
        static const wl_registry_listener listener = {
            [](void* data, wl_registry* r, std::uint32_t name, const char* iface, std::uint32_t) {
                auto* self = static_cast<FakeInputSender*>(data);
                if (std::strcmp(iface, wl_seat_interface.name) == 0 && self->seat_ == nullptr)
                    self->seat_ =
                        static_cast<wl_seat*>(wl_registry_bind(r, name, &wl_seat_interface, 1));
                if (std::strcmp(iface, org_kde_kwin_fake_input_interface.name) == 0)
                    self->fake_ = static_cast<org_kde_kwin_fake_input*>(
                        wl_registry_bind(r, name, &org_kde_kwin_fake_input_interface, 4));
            },
            [](void*, wl_registry*, std::uint32_t) {}};
        wl_registry_add_listener(registry, &listener, this);
        wl_display_roundtrip(display_);
        if (seat_ == nullptr || fake_ == nullptr) return;
        org_kde_kwin_fake_input_authenticate(fake_, "Keyloom bench", "the floor of typing");
        static const wl_keyboard_listener keys = {
            [](void* data, wl_keyboard*, std::uint32_t, std::int32_t fd, std::uint32_t size) {
                auto* self = static_cast<FakeInputSender*>(data);
                void* map = mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0);
                close(fd);
                if (map == MAP_FAILED) return;
                xkb_context* context = xkb_context_new(XKB_CONTEXT_NO_FLAGS);
                xkb_keymap* keymap = xkb_keymap_new_from_string(
                    context, static_cast<const char*>(map), XKB_KEYMAP_FORMAT_TEXT_V1,
                    XKB_KEYMAP_COMPILE_NO_FLAGS);
                munmap(map, size);
                if (keymap != nullptr) {
                    self->shift_ = platform::modMask(keymap, XKB_MOD_NAME_SHIFT);
                    self->keys_ = platform::keymapKeys(keymap, self->shift_).keys;
                    xkb_keymap_unref(keymap);
                }
                xkb_context_unref(context);
            },
            [](void*, wl_keyboard*, std::uint32_t, wl_surface*, wl_array*) {},
            [](void*, wl_keyboard*, std::uint32_t, wl_surface*) {},
            [](void*, wl_keyboard*, std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t) {},
            [](void*, wl_keyboard*, std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t,
               std::uint32_t) {},
            [](void*, wl_keyboard*, std::int32_t, std::int32_t) {}};
        wl_keyboard_add_listener(wl_seat_get_keyboard(seat_), &keys, this);
        wl_display_roundtrip(display_);
    }
    ~FakeInputSender() {
        if (display_ != nullptr) wl_display_disconnect(display_);
    }
    // Whether every character of `text` is on KWin's map.
    bool canSend(const std::u32string& text) const {
        if (fake_ == nullptr) return false;
        for (char32_t ch : text)
            if (keys_.count(xkb_utf32_to_keysym(ch)) == 0) return false;
        return true;
    }
    void send(const std::u32string& text) {
        const std::uint32_t shiftKey = keys_.at(XKB_KEY_Shift_L).keycode - 8;
        for (char32_t ch : text) {
            const platform::MapKey k = keys_.at(xkb_utf32_to_keysym(ch));
            const bool shifted = (k.mods & shift_) != 0;
            if (shifted) org_kde_kwin_fake_input_keyboard_key(fake_, shiftKey, 1);
            org_kde_kwin_fake_input_keyboard_key(fake_, k.keycode - 8, 1);
            org_kde_kwin_fake_input_keyboard_key(fake_, k.keycode - 8, 0);
            if (shifted) org_kde_kwin_fake_input_keyboard_key(fake_, shiftKey, 0);
            while (wl_display_flush(display_) < 0 && errno == EAGAIN) usleep(100);
        }
        wl_display_roundtrip(display_);
    }

private:
    wl_display* display_ = nullptr;
    wl_seat* seat_ = nullptr;
    org_kde_kwin_fake_input* fake_ = nullptr;
    std::unordered_map<xkb_keysym_t, platform::MapKey> keys_;
    xkb_mod_mask_t shift_ = 0;
};

struct Outcome {
    double seconds = 0;  // until the probe had printed the last character
    std::size_t arrived = 0;
    std::size_t wrong = 0;  // characters missing or different
};

// Sends the text into a probe of its own (a sender too fast for it gets it
// dropped by the compositor) and reads it until every character came or
// `limit` passed.
Outcome measure(const std::u32string& text, double limit, const std::function<void()>& send) {
    test::ProbeProcess probe("Keyloom typing bench", {}, KEYLOOM_WAYLAND_PROBE);
    if (!probe.start()) {
        std::fprintf(stderr, "wayland-typing-bench: %s\n", probe.error().c_str());
        return {};
    }
    const double start = monotonicNow();
    // The probe is read meanwhile: a probe that cannot write stops reading.
    std::thread sender(send);
    std::vector<std::string> got;
    probe.readUntil(
        [&](const ProbeEvent& e) {
            char out[8] = {};
            if (e.kind == "KeyPress" &&
                xkb_keysym_to_utf8(static_cast<xkb_keysym_t>(e.keysym), out, sizeof out) > 0)
                got.emplace_back(out);
            if (e.kind == "Commit") {  // one entry per UTF-8 character
                for (char c : e.line.substr(e.line.find('=') + 1)) {
                    if ((c & 0xC0) != 0x80)
                        got.emplace_back(1, c);
                    else
                        got.back() += c;
                }
            }
            return got.size() >= text.size();
        },
        limit);
    sender.join();
    Outcome o;
    o.seconds = monotonicNow() - start;
    o.arrived = got.size();
    for (std::size_t i = 0; i < text.size(); ++i)
        if (i >= got.size() || got[i] != utf8(text[i])) ++o.wrong;
    return o;
}

}  // namespace

int main(int argc, char** argv) {
    const int asciiCount = argc > 1 ? std::atoi(argv[1]) : 5000;
    const int offCount = argc > 2 ? std::atoi(argv[2]) : 500;
    const double wtypeSeconds = argc > 3 ? std::atof(argv[3]) : 200;
    platform::SystemDesktop chosen = platform::chooseSystemDesktop();
    if (!chosen.desktop || chosen.name.rfind("wayland", 0) != 0) {
        std::fprintf(stderr,
                     "wayland-typing-bench: no Wayland desktop: %s (run it under "
                     "scripts/with-sway.sh, scripts/with-gnome.sh or scripts/with-kwin.sh)\n",
                     chosen.error.c_str());
        return 1;
    }
    auto& desktop = chosen.desktop;
    const bool gnome = chosen.name == "wayland-gnome";
    const bool kwin = chosen.name == "wayland-kde";
    std::printf("desktop: %s\n", chosen.name.c_str());
    bench::Table table;
    bool met = true;  // every character arrived as written
    table.row({"text", "method", "seconds", "chars/s", "arrived", "wrong"});
    for (const auto& [name, text] :
         {std::pair{std::string("ASCII"), asciiText(asciiCount)},
          std::pair{std::string("off-layout"), offLayoutText(offCount)}}) {
        std::vector<platform::KeyStroke> strokes;
        std::string utf8Text;
        for (char32_t ch : text) {
            strokes.push_back({platform::KeyStroke::Kind::Char, ch, 0});
            utf8Text += utf8(ch);
        }
        std::map<std::string, Outcome> outcomes;
        outcomes["keyloom"] = measure(text, 120, [&] {
            desktop->typeKeys(utf8Text, strokes, {});
            desktop->sync();
        });
        if (gnome) {
            RawKeysymSender raw;
            if (raw.ok())
                outcomes["raw NotifyKeyboardKeysym (floor)"] =
                    measure(text, 60, [&] { raw.send(text); });
        } else if (kwin) {
            FakeInputSender fake;
            if (fake.canSend(text))
                outcomes["raw fake input (floor)"] = measure(text, 120, [&] { fake.send(text); });
        } else if (RawSender raw(text); raw.ok()) {
            outcomes["raw sender (floor)"] = measure(text, 120, [&] { raw.send(text); });
        }
        if (!gnome && !kwin) outcomes["wtype"] = measure(text, wtypeSeconds, [&] {
            test::ChildProcess wtype;
            if (wtype.start({"/usr/bin/wtype", utf8Text}, nullptr, "/dev/null"))
                wtype.wait(wtypeSeconds);
        });
        met = met && outcomes["keyloom"].wrong == 0;
        for (const auto& [method, o] : outcomes) {
            char seconds[32], rate[32];
            std::snprintf(seconds, sizeof seconds, "%.3f", o.seconds);
            std::snprintf(rate, sizeof rate, "%.0f", static_cast<double>(o.arrived) / o.seconds);
            table.row({name, method, seconds, rate,
                       std::to_string(o.arrived) + "/" + std::to_string(text.size()),
                       std::to_string(o.wrong)});
        }
    }
    table.print();
    return met ? 0 : 1;
}
