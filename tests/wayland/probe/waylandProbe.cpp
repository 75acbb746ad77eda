// keyloom-wayland-probe: a Wayland window that reports the input it receives,
// in the lines of keyloom-probe (tests/probe), so that the same reader serves.
//
//   keyloom-wayland-probe [--geometry ANY] TITLE
//
// A Wayland client cannot place its window: with --geometry the window asks
// to fill the output (fullscreen), so that its positions are the layout's.
// Shows an xdg-shell window titled TITLE; once it is shown, and holds the
// keyboard focus if the seat has a keyboard (a headless one has none until a
// virtual keyboard is made), it prints "ready window=0 x=0 y=0 width=W
// height=H", then one line per event:
//
//   KeyPress keycode=K keysym=0xS name=NAME state=0xM base=NAME (K: XKB keycode)
//   KeyRelease ...
//   ButtonPress button=B x=X y=Y                           (B: 1 left, 3 right)
//   ButtonRelease ...
//   MotionNotify x=X y=Y
//   FocusIn / FocusOut
//   Commit text=TEXT                                       (from an input method)
//   Keymap                                                 (a new keyboard map)
//
// The keysym is the one the key gives in the keyboard state of the event, the
// base one the key's first (unshifted) keysym; positions are in the window
// (which a lone borderless window in sway puts at the layout's origin). A line
// "sync" on standard input answers "synced" after every event the compositor
// sent before it; any other line or the end of the input ends the probe.
#include <linux/input-event-codes.h>
#include <poll.h>
#include <sys/mman.h>
#include <unistd.h>
#include <wayland-client.h>
#include <xkbcommon/xkbcommon.h>

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>

#include "text-input-unstable-v3-client-protocol.h"
#include "xdg-shell-client-protocol.h"

namespace {

struct Probe {
    wl_display* display = nullptr;
    wl_compositor* compositor = nullptr;
    wl_shm* shm = nullptr;
    wl_seat* seat = nullptr;
    xdg_wm_base* wmBase = nullptr;
    zwp_text_input_manager_v3* textInputs = nullptr;
    std::string committed;  // by the input method, until its "done"
    wl_surface* surface = nullptr;
    xdg_surface* xdgSurface = nullptr;
    xdg_toplevel* toplevel = nullptr;
    wl_buffer* buffer = nullptr;
    int width = 640, height = 480;
    int bufferWidth = 0, bufferHeight = 0;
    bool focused = false;
    bool configured = false;
    bool ready = false;
    int pointerX = 0, pointerY = 0;
    wl_keyboard* keyboard = nullptr;
    wl_pointer* pointer = nullptr;
    xkb_context* context = xkb_context_new(XKB_CONTEXT_NO_FLAGS);
    xkb_keymap* keymap = nullptr;
    xkb_state* state = nullptr;
    std::string input;
};

void line(const char* format, ...) __attribute__((format(printf, 1, 2)));
void line(const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::vprintf(format, args);
    va_end(args);
    std::putchar('\n');
    if (std::fflush(stdout) != 0) std::exit(0);
}

void draw(Probe& p) {
    if (p.buffer == nullptr || p.bufferWidth != p.width || p.bufferHeight != p.height) {
        if (p.buffer != nullptr) wl_buffer_destroy(p.buffer);
        const int stride = p.width * 4, size = stride * p.height;
        int fd = memfd_create("probe", MFD_CLOEXEC);  // black: what it shows matters not
        if (fd < 0 || ftruncate(fd, size) != 0) std::exit(1);
        wl_shm_pool* pool = wl_shm_create_pool(p.shm, fd, size);
        p.buffer =
            wl_shm_pool_create_buffer(pool, 0, p.width, p.height, stride, WL_SHM_FORMAT_XRGB8888);
        wl_shm_pool_destroy(pool);
        close(fd);
        p.bufferWidth = p.width;
        p.bufferHeight = p.height;
    }
    wl_surface_attach(p.surface, p.buffer, 0, 0);
    wl_surface_damage(p.surface, 0, 0, p.width, p.height);
    wl_surface_commit(p.surface);
}

// The keyboard.
void keymap(void* data, wl_keyboard*, std::uint32_t format, std::int32_t fd, std::uint32_t size) {
    auto& p = *static_cast<Probe*>(data);
    if (format == WL_KEYBOARD_KEYMAP_FORMAT_XKB_V1) {
        void* text = mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0);
        if (text != MAP_FAILED) {
            xkb_keymap* km =
                xkb_keymap_new_from_string(p.context, static_cast<const char*>(text),
                                           XKB_KEYMAP_FORMAT_TEXT_V1, XKB_KEYMAP_COMPILE_NO_FLAGS);
            munmap(text, size);
            if (km != nullptr) {
                if (p.state != nullptr) xkb_state_unref(p.state);
                if (p.keymap != nullptr) xkb_keymap_unref(p.keymap);
                p.keymap = km;
                p.state = xkb_state_new(km);
                if (p.ready) line("Keymap");
            }
        }
    }
    close(fd);
}
void enter(void* data, wl_keyboard*, std::uint32_t, wl_surface*, wl_array*) {
    auto& p = *static_cast<Probe*>(data);
    p.focused = true;
    if (p.ready) line("FocusIn");
}
void leave(void* data, wl_keyboard*, std::uint32_t, wl_surface*) {
    auto& p = *static_cast<Probe*>(data);
    p.focused = false;
    if (p.ready) line("FocusOut");
}
void key(void* data, wl_keyboard*, std::uint32_t, std::uint32_t, std::uint32_t key,
         std::uint32_t pressed) {
    auto& p = *static_cast<Probe*>(data);
    if (p.state == nullptr) return;
    const xkb_keycode_t keycode = key + 8;
    const xkb_keysym_t keysym = xkb_state_key_get_one_sym(p.state, keycode);
    const xkb_keysym_t* unshifted = nullptr;
    const xkb_keysym_t base =
        xkb_keymap_key_get_syms_by_level(p.keymap, keycode, 0, 0, &unshifted) > 0 ? *unshifted
                                                                                   : keysym;
    char name[64], baseName[64];
    if (xkb_keysym_get_name(keysym, name, sizeof name) < 0) std::strcpy(name, "NoSymbol");
    if (xkb_keysym_get_name(base, baseName, sizeof baseName) < 0) std::strcpy(baseName, "NoSymbol");
    line("%s keycode=%u keysym=0x%x name=%s state=0x%x base=%s", pressed ? "KeyPress" : "KeyRelease",
         keycode, keysym, name, xkb_state_serialize_mods(p.state, XKB_STATE_MODS_EFFECTIVE),
         baseName);
}
void modifiers(void* data, wl_keyboard*, std::uint32_t, std::uint32_t depressed,
               std::uint32_t latched, std::uint32_t locked, std::uint32_t group) {
    auto& p = *static_cast<Probe*>(data);
    if (p.state != nullptr) xkb_state_update_mask(p.state, depressed, latched, locked, 0, 0, group);
}
void repeat(void*, wl_keyboard*, std::int32_t, std::int32_t) {}
const wl_keyboard_listener kKeyboard = {keymap, enter, leave, key, modifiers, repeat};

// The pointer, once "ready" is out (a new window may appear under it).
void motion(Probe& p, wl_fixed_t x, wl_fixed_t y) {
    p.pointerX = wl_fixed_to_int(x);
    p.pointerY = wl_fixed_to_int(y);
    if (p.ready) line("MotionNotify x=%d y=%d", wl_fixed_to_int(x), wl_fixed_to_int(y));
}
void pointerEnter(void* data, wl_pointer*, std::uint32_t, wl_surface*, wl_fixed_t x, wl_fixed_t y) {
    motion(*static_cast<Probe*>(data), x, y);
}
void pointerLeave(void*, wl_pointer*, std::uint32_t, wl_surface*) {}
void pointerMotion(void* data, wl_pointer*, std::uint32_t, wl_fixed_t x, wl_fixed_t y) {
    motion(*static_cast<Probe*>(data), x, y);
}
void pointerButton(void* data, wl_pointer*, std::uint32_t, std::uint32_t, std::uint32_t button,
                   std::uint32_t pressed) {
    const auto& p = *static_cast<Probe*>(data);
    line("%s button=%u x=%d y=%d", pressed ? "ButtonPress" : "ButtonRelease",
         button == BTN_LEFT    ? 1U
         : button == BTN_RIGHT ? 3U
                               : button,
         p.pointerX, p.pointerY);
}
void pointerAxis(void*, wl_pointer*, std::uint32_t, std::uint32_t, wl_fixed_t) {}
const wl_pointer_listener kPointer = {pointerEnter, pointerLeave, pointerMotion, pointerButton,
                                      pointerAxis,  nullptr,      nullptr,       nullptr,
                                      nullptr,      nullptr};

// Text from an input method (text-input-v3), taken while the window has the focus.
void textEnter(void*, zwp_text_input_v3* text, wl_surface*) {
    zwp_text_input_v3_enable(text);
    zwp_text_input_v3_commit(text);
}
void textLeave(void*, zwp_text_input_v3* text, wl_surface*) {
    zwp_text_input_v3_disable(text);
    zwp_text_input_v3_commit(text);
}
void preedit(void*, zwp_text_input_v3*, const char*, std::int32_t, std::int32_t) {}
void commitString(void* data, zwp_text_input_v3*, const char* text) {
    if (text != nullptr) static_cast<Probe*>(data)->committed += text;
}
void deleteSurrounding(void*, zwp_text_input_v3*, std::uint32_t, std::uint32_t) {}
void textDone(void* data, zwp_text_input_v3*, std::uint32_t) {
    auto& p = *static_cast<Probe*>(data);
    if (!p.committed.empty()) line("Commit text=%s", p.committed.c_str());
    p.committed.clear();
}
const zwp_text_input_v3_listener kTextInput = {textEnter,         textLeave, preedit, commitString,
                                               deleteSurrounding, textDone};

// The window.
void ping(void*, xdg_wm_base* base, std::uint32_t serial) {
    xdg_wm_base_pong(base, serial);
}
const xdg_wm_base_listener kWmBase = {ping};
void surfaceConfigure(void* data, xdg_surface* surface, std::uint32_t serial) {
    xdg_surface_ack_configure(surface, serial);
    draw(*static_cast<Probe*>(data));
    static_cast<Probe*>(data)->configured = true;
}
const xdg_surface_listener kSurface = {surfaceConfigure};
void toplevelConfigure(void* data, xdg_toplevel*, std::int32_t width, std::int32_t height,
                       wl_array*) {
    auto& p = *static_cast<Probe*>(data);
    if (width > 0 && height > 0) {
        p.width = width;
        p.height = height;
    }
}
void toplevelClose(void*, xdg_toplevel*) {
    std::exit(0);
}
const xdg_toplevel_listener kToplevel = {toplevelConfigure, toplevelClose, nullptr, nullptr};

// A headless seat has a keyboard and a pointer only while a virtual one exists.
void capabilities(void* data, wl_seat* seat, std::uint32_t caps) {
    auto& p = *static_cast<Probe*>(data);
    const bool keys = (caps & WL_SEAT_CAPABILITY_KEYBOARD) != 0;
    const bool pointer = (caps & WL_SEAT_CAPABILITY_POINTER) != 0;
    if (keys && p.keyboard == nullptr) {
        p.keyboard = wl_seat_get_keyboard(seat);
        wl_keyboard_add_listener(p.keyboard, &kKeyboard, &p);
    } else if (!keys && p.keyboard != nullptr) {
        wl_keyboard_release(p.keyboard);
        p.keyboard = nullptr;
    }
    if (pointer && p.pointer == nullptr) {
        p.pointer = wl_seat_get_pointer(seat);
        wl_pointer_add_listener(p.pointer, &kPointer, &p);
    } else if (!pointer && p.pointer != nullptr) {
        wl_pointer_release(p.pointer);
        p.pointer = nullptr;
    }
}
void seatName(void*, wl_seat*, const char*) {}
const wl_seat_listener kSeat = {capabilities, seatName};

void global(void* data, wl_registry* registry, std::uint32_t name, const char* interface,
            std::uint32_t) {
    auto& p = *static_cast<Probe*>(data);
    const std::string which = interface;
    if (which == wl_compositor_interface.name)
        p.compositor = static_cast<wl_compositor*>(
            wl_registry_bind(registry, name, &wl_compositor_interface, 4));
    else if (which == wl_shm_interface.name)
        p.shm = static_cast<wl_shm*>(wl_registry_bind(registry, name, &wl_shm_interface, 1));
    else if (which == wl_seat_interface.name && p.seat == nullptr)
        p.seat = static_cast<wl_seat*>(wl_registry_bind(registry, name, &wl_seat_interface, 4));
    else if (which == zwp_text_input_manager_v3_interface.name)
        p.textInputs = static_cast<zwp_text_input_manager_v3*>(
            wl_registry_bind(registry, name, &zwp_text_input_manager_v3_interface, 1));
    else if (which == xdg_wm_base_interface.name)
        p.wmBase =
            static_cast<xdg_wm_base*>(wl_registry_bind(registry, name, &xdg_wm_base_interface, 1));
}
void globalRemove(void*, wl_registry*, std::uint32_t) {}
const wl_registry_listener kRegistry = {global, globalRemove};

// False when the probe should end.
bool readInput(Probe& p) {
    char buffer[256];
    ssize_t n = read(STDIN_FILENO, buffer, sizeof buffer);
    if (n <= 0) return false;
    p.input.append(buffer, static_cast<std::size_t>(n));
    std::size_t end;
    while ((end = p.input.find('\n')) != std::string::npos) {
        std::string command = p.input.substr(0, end);
        p.input.erase(0, end + 1);
        if (command != "sync") return false;
        wl_display_roundtrip(p.display);
        line("synced");
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    Probe p;
    std::string title;
    bool fullscreen = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--geometry") == 0 && ++i < argc)
            fullscreen = true;
        else
            title = argv[i];
    }
    p.display = wl_display_connect(nullptr);
    if (p.display == nullptr) {
        std::fputs("keyloom-wayland-probe: cannot connect to the compositor\n", stderr);
        return 1;
    }
    wl_registry_add_listener(wl_display_get_registry(p.display), &kRegistry, &p);
    wl_display_roundtrip(p.display);
    if (p.compositor == nullptr || p.shm == nullptr || p.seat == nullptr || p.wmBase == nullptr) {
        std::fputs("keyloom-wayland-probe: the compositor lacks what a window needs\n", stderr);
        return 1;
    }
    xdg_wm_base_add_listener(p.wmBase, &kWmBase, &p);
    wl_seat_add_listener(p.seat, &kSeat, &p);
    if (p.textInputs != nullptr)
        zwp_text_input_v3_add_listener(
            zwp_text_input_manager_v3_get_text_input(p.textInputs, p.seat), &kTextInput, &p);
    p.surface = wl_compositor_create_surface(p.compositor);
    p.xdgSurface = xdg_wm_base_get_xdg_surface(p.wmBase, p.surface);
    xdg_surface_add_listener(p.xdgSurface, &kSurface, &p);
    p.toplevel = xdg_surface_get_toplevel(p.xdgSurface);
    xdg_toplevel_add_listener(p.toplevel, &kToplevel, &p);
    xdg_toplevel_set_title(p.toplevel, title.c_str());
    if (fullscreen) xdg_toplevel_set_fullscreen(p.toplevel, nullptr);
    wl_surface_commit(p.surface);
    // Shown, and focused when the seat has a keyboard.
    for (int i = 0; i < 3000 && !(p.configured && (p.focused || p.keyboard == nullptr)); ++i) {
        wl_display_roundtrip(p.display);
        if (!p.focused) usleep(10000);
    }
    if (!p.configured || (p.keyboard != nullptr && !p.focused)) {
        std::fputs("keyloom-wayland-probe: the window did not get the focus\n", stderr);
        return 1;
    }
    p.ready = true;
    line("ready window=0 x=0 y=0 width=%d height=%d", p.width, p.height);
    for (;;) {
        wl_display_flush(p.display);
        pollfd fds[2] = {{wl_display_get_fd(p.display), POLLIN, 0}, {STDIN_FILENO, POLLIN, 0}};
        if (poll(fds, 2, -1) < 0) continue;
        if ((fds[0].revents & POLLIN) != 0 && wl_display_dispatch(p.display) < 0) {
            std::fprintf(stderr,
                         "keyloom-wayland-probe: the compositor closed the connection (%s)\n",
                         std::strerror(wl_display_get_error(p.display)));
            return 1;
        }
        if ((fds[0].revents & (POLLERR | POLLHUP)) != 0) return 1;
        if (fds[1].revents != 0 && !readInput(p)) return 0;
    }
}
