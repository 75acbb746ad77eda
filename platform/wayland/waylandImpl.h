// State of the Wayland desktop shared by its source files.
#pragma once

#include <wayland-client.h>

#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "platform/linux/connectionLoss.h"
#include "platform/linux/evdevInput.h"
#include "platform/runStops.h"
#include "platform/wayland/waylandDesktop.h"
#include "platform/wayland/waylandKeyboard.h"

struct zwp_virtual_keyboard_manager_v1;
struct zwlr_virtual_pointer_manager_v1;
struct zwlr_virtual_pointer_v1;
struct zwlr_foreign_toplevel_manager_v1;
struct zwlr_foreign_toplevel_handle_v1;
struct zxdg_output_manager_v1;
struct zxdg_output_v1;

namespace keyloom::platform {

// An output and where it lies in the layout (logical pixels).
struct Output {
    wl_output* output = nullptr;
    zxdg_output_v1* xdgOutput = nullptr;
    int x = 0, y = 0, width = 0, height = 0;
};

// A window of the compositor's list.
struct Toplevel {
    zwlr_foreign_toplevel_handle_v1* handle = nullptr;
    std::string title;
    unsigned long serial = 0;       // in the order the compositor announced them
    unsigned long activatedAt = 0;  // when it last had the focus (0: never)
    bool activated = false;
};

struct WaylandDesktop::Impl {
    ~Impl();
    // Sends what is queued, waiting while the connection is full.
    void flush();
    // Sends what is queued and waits until the compositor has handled it,
    // taking in its answers.
    void roundtrip();
    // Listens to the compositor's window list (waylandWindows.cpp).
    void watchToplevels();

    wl_display* display = nullptr;
    // Ends the program when the compositor goes away (stopped first).
    std::unique_ptr<ConnectionWatch> watch;
    wl_registry* registry = nullptr;
    wl_seat* seat = nullptr;
    zwp_virtual_keyboard_manager_v1* keyboardManager = nullptr;
    zwlr_virtual_pointer_manager_v1* pointerManager = nullptr;
    zwlr_foreign_toplevel_manager_v1* toplevelManager = nullptr;
    zxdg_output_manager_v1* xdgOutputManager = nullptr;
    std::vector<std::unique_ptr<Output>> outputs;

    std::unique_ptr<VirtualKeyboard> keyboard;
    zwlr_virtual_pointer_v1* pointer = nullptr;
    Point cursor;  // where we last put the pointer
    std::set<std::uint32_t> buttonsDown;

    std::vector<std::unique_ptr<Toplevel>> toplevels;
    unsigned long nextSerial = 1;
    unsigned long activations = 0;
    // The first window serial a started program may own, by process id.
    std::map<long, unsigned long> started;

    RunStopListener runStops;  // from the first claim to the end of the run
    // The stop key and other programs' input, where the devices are readable.
    std::unique_ptr<EvdevInput> input;
    std::string inputUnseen;  // why they are not
};

}  // namespace keyloom::platform
