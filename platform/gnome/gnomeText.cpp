// Typing on GNOME. Mutter types a keysym only when the keyboard layout in use
// has it (at the first three levels: plain, Shift, AltGr), and drops any
// other without a word; so the layout is read here (GNOME's input sources),
// and the characters it lacks go another way: committed by the extension to
// the focused program's input method when it takes text so, else through the
// clipboard and Ctrl+V, the clipboard's text put back afterwards. What takes
// neither way is reported, never dropped silently.
#include <gio/gunixfdlist.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <thread>

#include "platform/gnome/gnomeImpl.h"
#include "platform/linux/keysyms.h"

namespace keyloom::platform {
namespace {

using Kind = KeyStroke::Kind;

constexpr std::size_t kStrokesPerSlice = 16;
constexpr int kPasteWaitMs = 1000;  // for the focused program to ask for the clipboard
constexpr int kCopyWaitMs = 200;    // for mutter to copy a new clipboard text
constexpr int kPasteReadMs = 50;    // for the program to read what it asked for
constexpr std::uint32_t kControlL = 0xffe3;
constexpr std::uint32_t kLowerV = 0x76;
const char* const kTextTypes[] = {"text/plain;charset=utf-8", "UTF8_STRING", "text/plain",
                                  "STRING", "TEXT"};

// The current input source of GNOME ("us", "de+nodeadkeys") and its XKB
// options; "us" when GNOME's settings are not installed.
std::pair<std::string, std::string> gnomeLayout() {
    GSettingsSchemaSource* source = g_settings_schema_source_get_default();
    GSettingsSchema* schema =
        source != nullptr
            ? g_settings_schema_source_lookup(source, "org.gnome.desktop.input-sources", TRUE)
            : nullptr;
    if (schema == nullptr) return {"us", ""};
    GSettings* settings = g_settings_new_full(schema, nullptr, nullptr);
    g_settings_schema_unref(schema);
    std::string layout = "us", options;
    // The most recently used source that is still a source, else the first.
    std::vector<std::string> sources;
    for (const char* key : {"sources", "mru-sources"}) {
        GVariant* list = g_settings_get_value(settings, key);
        GVariantIter iter;
        g_variant_iter_init(&iter, list);
        const gchar* type = nullptr;
        const gchar* id = nullptr;
        bool first = true;
        while (g_variant_iter_next(&iter, "(&s&s)", &type, &id)) {
            if (std::string(type) != "xkb") continue;
            if (std::string(key) == "sources") {
                if (sources.empty()) layout = id;
                sources.push_back(id);
            } else if (first && std::find(sources.begin(), sources.end(), id) != sources.end()) {
                layout = id;
                first = false;
            }
        }
        g_variant_unref(list);
    }
    gchar** list = g_settings_get_strv(settings, "xkb-options");
    for (gchar** o = list; *o != nullptr; ++o) options += std::string(options.empty() ? "" : ",") + *o;
    g_strfreev(list);
    g_object_unref(settings);
    return {layout, options};
}

std::string utf8(char32_t ch) {
    gchar bytes[8] = {};
    const gint n = g_unichar_to_utf8(static_cast<gunichar>(ch), bytes);
    return std::string(bytes, static_cast<std::size_t>(n));
}

// Reads a pipe to its end, waiting at most `ms` for each part.
std::optional<std::string> readAll(int fd, int ms) {
    std::string data;
    char buffer[4096];
    for (;;) {
        pollfd p{fd, POLLIN, 0};
        if (poll(&p, 1, ms) <= 0) return std::nullopt;
        const ssize_t n = read(fd, buffer, sizeof buffer);
        if (n < 0) return std::nullopt;
        if (n == 0) return data;
        data.append(buffer, static_cast<std::size_t>(n));
    }
}

// A file descriptor from a reply "(h)" and its list.
int replyFd(GVariant* reply, GUnixFDList* fds) {
    gint32 handle = -1;
    g_variant_get(reply, "(h)", &handle);
    g_variant_unref(reply);
    const int fd = fds != nullptr ? g_unix_fd_list_get(fds, handle, nullptr) : -1;
    if (fds != nullptr) g_object_unref(fds);
    return fd;
}

GVariant* sessionCallWithFd(GnomeDesktop::Impl& impl, const char* method, GVariant* args,
                            GUnixFDList** fds) {
    return g_dbus_connection_call_with_unix_fd_list_sync(
        impl.bus, kMutter, impl.sessionPath.c_str(), kSessionInterface, method, args,
        G_VARIANT_TYPE("(h)"), G_DBUS_CALL_FLAGS_NONE, 5000, nullptr, fds, nullptr, nullptr);
}

// A program asks for the selection this session holds: it gets `offered`.
void onTransfer(GDBusConnection*, const gchar*, const gchar*, const gchar*, const gchar*,
                GVariant* parameters, gpointer data) {
    auto& impl = *static_cast<GnomeDesktop::Impl*>(data);
    const gchar* mime = nullptr;
    guint32 serial = 0;
    g_variant_get(parameters, "(&su)", &mime, &serial);
    GUnixFDList* fds = nullptr;
    GVariant* reply = sessionCallWithFd(impl, "SelectionWrite", g_variant_new("(u)", serial), &fds);
    bool written = false;
    if (reply != nullptr) {
        const int fd = replyFd(reply, fds);
        written = fd >= 0 && write(fd, impl.offered.data(), impl.offered.size()) ==
                                 static_cast<ssize_t>(impl.offered.size());
        if (fd >= 0) close(fd);
    }
    impl.session("SelectionWriteDone", g_variant_new("(ub)", serial, written));
    ++impl.transfers;
}

GVariant* textTypes() {
    GVariantBuilder types;
    g_variant_builder_init(&types, G_VARIANT_TYPE("as"));
    for (const char* t : kTextTypes) g_variant_builder_add(&types, "s", t);
    GVariantBuilder options;
    g_variant_builder_init(&options, G_VARIANT_TYPE("a{sv}"));
    g_variant_builder_add(&options, "{sv}", "mime-types", g_variant_builder_end(&types));
    return g_variant_new("(a{sv})", &options);
}

}  // namespace

void GnomeDesktop::Impl::readLayout() {
    auto [layout, options] = gnomeLayout();
    if (layout + "|" + options != layoutName) {
        layoutName = layout + "|" + options;
        layoutKeysyms.clear();
        if (xkb == nullptr) xkb = xkb_context_new(XKB_CONTEXT_NO_FLAGS);
        const std::size_t plus = layout.find('+');
        const std::string name = layout.substr(0, plus);
        const std::string variant = plus == std::string::npos ? "" : layout.substr(plus + 1);
        const xkb_rule_names names{"evdev", "pc105", name.c_str(), variant.c_str(),
                                   options.c_str()};
        xkb_keymap* keymap =
            xkb != nullptr ? xkb_keymap_new_from_names(xkb, &names, XKB_KEYMAP_COMPILE_NO_FLAGS)
                           : nullptr;
        if (keymap == nullptr) return;
        for (xkb_keycode_t kc = xkb_keymap_min_keycode(keymap);
             kc <= xkb_keymap_max_keycode(keymap); ++kc)
            for (xkb_level_index_t level = 0;
                 level < 3 && level < xkb_keymap_num_levels_for_key(keymap, kc, 0); ++level) {
                const xkb_keysym_t* syms = nullptr;
                if (xkb_keymap_key_get_syms_by_level(keymap, kc, 0, level, &syms) == 1)
                    layoutKeysyms.insert(syms[0]);
            }
        xkb_keymap_unref(keymap);
    }
}

bool GnomeDesktop::Impl::deliver(const std::string& text) {
    settle();
    GVariant* reply = extension("CommitText", g_variant_new("(s)", text.c_str()), "(b)");
    gboolean committed = FALSE;
    if (reply != nullptr) {
        g_variant_get(reply, "(b)", &committed);
        g_variant_unref(reply);
    }
    return committed != FALSE || paste(text);
}

bool GnomeDesktop::Impl::paste(const std::string& text) {
    if (!clipboardEnabled) {
        GVariantBuilder none;
        g_variant_builder_init(&none, G_VARIANT_TYPE("a{sv}"));
        if (!session("EnableClipboard", g_variant_new("(a{sv})", &none))) return false;
        clipboardEnabled = true;
        g_main_context_push_thread_default(context);
        transferSignal = g_dbus_connection_signal_subscribe(
            bus, kMutter, kSessionInterface, "SelectionTransfer", sessionPath.c_str(), nullptr,
            G_DBUS_SIGNAL_FLAGS_NONE, onTransfer, this, nullptr);
        g_main_context_pop_thread_default(context);
    }
    // The user's text, unless the clipboard is ours already.
    std::optional<std::string> saved;
    if (offered.empty()) {
        GUnixFDList* fds = nullptr;
        if (GVariant* reply = sessionCallWithFd(*this, "SelectionRead",
                                                g_variant_new("(s)", kTextTypes[0]), &fds)) {
            const int fd = replyFd(reply, fds);
            if (fd >= 0) {
                saved = readAll(fd, kPasteWaitMs);
                close(fd);
            }
        }
    }
    offered = text;
    auto transferAfter = [this](unsigned before, int ms) {
        for (int waited = 0; transfers == before && waited < ms; waited += 5) {
            dispatch();
            if (transfers == before) std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return transfers != before;
    };
    if (!session("SetSelection", textTypes())) return false;
    // Mutter keeps a copy of every new clipboard text (to keep it once its
    // owner goes): that request comes first, and is no paste.
    transferAfter(transfers, kCopyWaitMs);
    const unsigned before = transfers;
    keysym(kControlL, true);
    keysym(kLowerV, true);
    keysym(kLowerV, false);
    keysym(kControlL, false);
    const bool pasted = transferAfter(before, kPasteWaitMs);
    // The program reads the text after asking for it: keys sent meanwhile
    // would come first.
    if (pasted) std::this_thread::sleep_for(std::chrono::milliseconds(kPasteReadMs));
    // The user's text back: served by this session while it lasts, then by
    // mutter's copy.
    if (saved && !saved->empty()) {
        offered = *saved;
        if (session("SetSelection", textTypes())) transferAfter(transfers, kCopyWaitMs);
    }
    return pasted;
}

void GnomeDesktop::typeKeys(const std::string&, const std::vector<KeyStroke>& strokes,
                            const StopCheck& stopAsked) {
    impl_->failure.clear();
    impl_->readLayout();
    // Mutter types a keysym by its key and Shift: Caps Lock would turn the
    // case of letters over. It is off while the text goes, then on again.
    const bool caps = std::any_of(strokes.begin(), strokes.end(),
                                  [](const KeyStroke& s) { return s.kind == Kind::Char; }) &&
                      lockKeyOn(LockKey::Caps);
    auto tapCapsLock = [&] {
        impl_->keysym(kCapsLock, true);
        impl_->keysym(kCapsLock, false);
    };
    if (caps) tapCapsLock();
    std::string pending, dropped;
    // Characters off the layout go together, in their place among the keys.
    // Once the program took them in no way, the rest is reported without
    // being offered again.
    auto deliverPending = [&] {
        if (!pending.empty() && (!dropped.empty() || !impl_->deliver(pending))) dropped += pending;
        pending.clear();
    };
    std::set<std::uint8_t> pressed;  // by the notation's modifiers
    for (std::size_t i = 0; i < strokes.size(); ++i) {
        if (i % kStrokesPerSlice == 0 && i > 0 && stopAsked && stopAsked()) break;
        const KeyStroke& s = strokes[i];
        if (s.kind == Kind::Char) {
            const char32_t ch = s.ch == U'\n' ? U'\r' : s.ch;
            std::uint32_t sym = keysymForChar(ch);
            // The layout's own keysym for it (EuroSign on a German layout).
            if (impl_->layoutKeysyms.count(sym) == 0)
                sym = xkb_utf32_to_keysym(static_cast<std::uint32_t>(ch));
            if (sym == 0 || impl_->layoutKeysyms.count(sym) == 0) {
                pending += utf8(s.ch);
                continue;
            }
            deliverPending();
            impl_->keysym(sym, true);
            impl_->keysym(sym, false);
            continue;
        }
        deliverPending();
        const std::uint32_t sym = keysymForVirtualKey(s.vk);
        if (s.kind != Kind::Release) impl_->keysym(sym, true);
        if (s.kind != Kind::Press) impl_->keysym(sym, false);
        if (s.kind == Kind::Press) pressed.insert(s.vk);
        if (s.kind == Kind::Release) pressed.erase(s.vk);
    }
    deliverPending();
    for (std::uint8_t vk : pressed) impl_->keysym(keysymForVirtualKey(vk), false);
    if (caps) tapCapsLock();
    if (!dropped.empty())
        impl_->failure = "\"" + dropped +
                         "\" was not typed: the keyboard layout lacks it, and the focused program "
                         "took it neither from the input method nor from the clipboard";
}

std::string GnomeDesktop::typingFailure() {
    return impl_->failure;
}

}  // namespace keyloom::platform
