// keyloom-probe: a window that reports the input it receives.
//
//   keyloom-probe [--batch] [--geometry WxH+X+Y] TITLE
//
// Opens a top-level window titled TITLE (a TITLE that is no UTF-8 is taken
// for Latin-1 and set as WM_NAME alone), maps it, waits until it is viewable,
// taken in by the window manager (WM_STATE), and holds the input focus (asked
// of the window manager through _NET_ACTIVE_WINDOW), and prints
//
//   ready window=0x... x=X y=Y width=W height=H       (root coordinates)
//
// then one line per event, written out at once:
//
//   KeyPress keycode=K keysym=0xS name=NAME state=0xM time=T
//   KeyRelease ...
//   ButtonPress button=B x=X y=Y state=0xM time=T       (root coordinates)
//   ButtonRelease ...
//
// The keysym is the one the key gives with the state of the event (what a
// program sees), its name that of XKeysymToString.
//
// A line "sync" on standard input is a barrier: every event the server sent
// before it is printed, then "synced". Any other line or the end of standard
// input when it is a pipe end the probe.
// --batch writes lines out each time the event queue runs dry instead of after
// every line (for benchmarks). Exit status: 0, or 1 when the window cannot be
// shown with the focus within 30 seconds, 2 on a usage error.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <fcntl.h>
#include <glib.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

struct Options {
    std::string title;
    bool batch = false;
    unsigned width = 800;
    unsigned height = 600;
    int x = 40;
    int y = 40;
};

constexpr const char* kUsage = "usage: keyloom-probe [--batch] [--geometry WxH+X+Y] TITLE\n";

bool parseArgs(int argc, char** argv, Options& options) {
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--batch") {
            options.batch = true;
        } else if (arg == "--geometry" && i + 1 < argc) {
            int flags = XParseGeometry(argv[++i], &options.x, &options.y, &options.width,
                                       &options.height);
            if ((flags & (WidthValue | HeightValue)) == 0) return false;
        } else if (options.title.empty() && !arg.empty() && arg[0] != '-') {
            options.title = arg;
        } else {
            return false;
        }
    }
    return !options.title.empty();
}

double monotonicSeconds() { return static_cast<double>(g_get_monotonic_time()) / 1e6; }

class Probe {
public:
    Probe(Display* display, const Options& options) : d_(display), options_(options) {}

    bool show();
    int run();

private:
    Window createWindow();
    // Whether the window manager has taken the window in (WM_STATE set).
    bool managed();
    void activate();
    Window focus();
    void report(XEvent& event);
    void drainQueue();
    void line(const char* format, ...) __attribute__((format(printf, 2, 3)));
    void flushOut();
    // Handles what arrived on standard input; false when the probe is to end.
    bool readInput();

    Display* d_;
    const Options& options_;
    Window window_ = 0;
    std::string input_;
};

Window Probe::createWindow() {
    int screen = DefaultScreen(d_);
    XSetWindowAttributes attributes{};
    attributes.background_pixel = WhitePixel(d_, screen);
    attributes.event_mask =
        KeyPressMask | KeyReleaseMask | ButtonPressMask | ButtonReleaseMask | StructureNotifyMask;
    Window w = XCreateWindow(d_, RootWindow(d_, screen), options_.x, options_.y, options_.width,
                             options_.height, 0, CopyFromParent, InputOutput, CopyFromParent,
                             CWBackPixel | CWEventMask, &attributes);
    XStoreName(d_, w, options_.title.c_str());
    if (g_utf8_validate(options_.title.data(), static_cast<gssize>(options_.title.size()), nullptr)) {
        Atom utf8 = XInternAtom(d_, "UTF8_STRING", False);
        XChangeProperty(d_, w, XInternAtom(d_, "_NET_WM_NAME", False), utf8, 8, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(options_.title.data()),
                        static_cast<int>(options_.title.size()));
    }
    long pid = static_cast<long>(getpid());
    XChangeProperty(d_, w, XInternAtom(d_, "_NET_WM_PID", False), XA_CARDINAL, 32,
                    PropModeReplace, reinterpret_cast<unsigned char*>(&pid), 1);
    XClassHint classHint{const_cast<char*>("keyloom-probe"), const_cast<char*>("KeyloomProbe")};
    XSetClassHint(d_, w, &classHint);
    XWMHints hints{};
    hints.flags = InputHint | StateHint;
    hints.input = True;
    hints.initial_state = NormalState;
    XSetWMHints(d_, w, &hints);
    XSizeHints size{};
    size.flags = USPosition | USSize;
    size.x = options_.x;
    size.y = options_.y;
    size.width = static_cast<int>(options_.width);
    size.height = static_cast<int>(options_.height);
    XSetWMNormalHints(d_, w, &size);
    return w;
}

bool Probe::managed() {
    Atom state = XInternAtom(d_, "WM_STATE", False), type = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    bool normal = XGetWindowProperty(d_, window_, state, 0, 1, False, state, &type, &format, &count,
                                     &after, &data) == Success &&
                  count >= 1 && format == 32 &&
                  reinterpret_cast<const long*>(data)[0] == NormalState;
    if (data != nullptr) XFree(data);
    return normal;
}

void Probe::activate() {
    Window root = DefaultRootWindow(d_);
    XRaiseWindow(d_, window_);
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window_;
    event.xclient.message_type = XInternAtom(d_, "_NET_ACTIVE_WINDOW", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = 2;  // source: a pager, so the request is always honoured
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(d_, root, False, SubstructureRedirectMask | SubstructureNotifyMask, &event);
}

Window Probe::focus() {
    Window focus = 0;
    int revert = 0;
    XGetInputFocus(d_, &focus, &revert);
    return focus;
}

bool Probe::show() {
    window_ = createWindow();
    XMapRaised(d_, window_);
    const double deadline = monotonicSeconds() + 30.0;
    double nextActivation = 0;
    double nextMap = monotonicSeconds() + 1.0;
    for (;;) {
        while (XPending(d_) > 0) {
            XEvent event;
            XNextEvent(d_, &event);  // nothing is reported before "ready"
        }
        XWindowAttributes attributes{};
        XGetWindowAttributes(d_, window_, &attributes);
        bool viewable = attributes.map_state == IsViewable;
        // The window is ready once the window manager has taken it in: it
        // will not be reparented away from the focus later.
        bool settled = viewable && managed();
        if (settled && focus() == window_) break;
        double now = monotonicSeconds();
        if (now > deadline) {
            std::fprintf(stderr, "keyloom-probe: window 0x%lx %s, focus on 0x%lx\n", window_,
                         viewable ? "viewable" : "not viewable", focus());
            return false;
        }
        if (viewable && now >= nextActivation) {
            activate();
            nextActivation = now + 0.2;
        }
        if (!viewable && now >= nextMap) {
            // A window manager still starting up can drop a map request.
            XMapRaised(d_, window_);
            nextMap = now + 1.0;
        }
        XFlush(d_);
        usleep(2000);
    }
    Window child = 0;
    int x = 0, y = 0;
    XTranslateCoordinates(d_, window_, DefaultRootWindow(d_), 0, 0, &x, &y, &child);
    line("ready window=0x%lx x=%d y=%d width=%u height=%u", window_, x, y, options_.width,
         options_.height);
    flushOut();
    return true;
}

void Probe::line(const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::vprintf(format, args);
    va_end(args);
    std::putchar('\n');
    if (!options_.batch) flushOut();
}

void Probe::flushOut() {
    // The reader went away: nobody is listening any more.
    if (std::fflush(stdout) != 0) std::exit(0);
}

void Probe::report(XEvent& event) {
    switch (event.type) {
    case KeyPress:
    case KeyRelease: {
        XKeyEvent& key = event.xkey;
        KeySym keysym = NoSymbol;
        char text[32];
        XLookupString(&key, text, sizeof text, &keysym, nullptr);
        const char* name = keysym == NoSymbol ? nullptr : XKeysymToString(keysym);
        line("%s keycode=%u keysym=0x%lx name=%s state=0x%x time=%lu",
             event.type == KeyPress ? "KeyPress" : "KeyRelease", key.keycode, keysym,
             name != nullptr ? name : "NoSymbol", key.state, key.time);
        break;
    }
    case ButtonPress:
    case ButtonRelease: {
        XButtonEvent& button = event.xbutton;
        line("%s button=%u x=%d y=%d state=0x%x time=%lu",
             event.type == ButtonPress ? "ButtonPress" : "ButtonRelease", button.button,
             button.x_root, button.y_root, button.state, button.time);
        break;
    }
    case MappingNotify:
        // Look keys up in the new map from now on, as every client does.
        XRefreshKeyboardMapping(&event.xmapping);
        break;
    default: break;
    }
}

void Probe::drainQueue() {
    while (XPending(d_) > 0) {
        XEvent event;
        XNextEvent(d_, &event);
        report(event);
    }
}

bool Probe::readInput() {
    char buffer[256];
    ssize_t n = read(STDIN_FILENO, buffer, sizeof buffer);
    if (n <= 0) return false;
    input_.append(buffer, static_cast<std::size_t>(n));
    std::size_t end;
    while ((end = input_.find('\n')) != std::string::npos) {
        std::string command = input_.substr(0, end);
        input_.erase(0, end + 1);
        if (command != "sync") return false;
        // The reply to a round trip comes after every event sent before it.
        XSync(d_, False);
        drainQueue();
        line("synced");
        flushOut();
    }
    return true;
}

int Probe::run() {
    struct stat in {};
    bool watchInput = fstat(STDIN_FILENO, &in) == 0 && (S_ISFIFO(in.st_mode) || isatty(0));
    for (;;) {
        drainQueue();
        flushOut();
        pollfd fds[2] = {{ConnectionNumber(d_), POLLIN, 0},
                         {watchInput ? STDIN_FILENO : -1, POLLIN, 0}};
        if (poll(fds, 2, -1) < 0) continue;
        if (fds[1].revents != 0 && !readInput()) return 0;
        if ((fds[0].revents & (POLLERR | POLLHUP)) != 0) return 1;
    }
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    if (!parseArgs(argc, argv, options)) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    std::signal(SIGPIPE, SIG_IGN);

    // A test reads the lines once its input has been sent: a run typing
    // hundreds of characters must not block the probe, which would then look
    // keys up in a keyboard map already changed again. (Not for benchmarks:
    // a probe that never waits for its reader takes the cores from the sender.)
    if (!options.batch && fcntl(STDOUT_FILENO, F_SETPIPE_SZ, 1 << 20) < 0)
        std::perror("keyloom-probe: pipe size");
    static char outBuffer[1 << 16];
    std::setvbuf(stdout, outBuffer, _IOFBF, sizeof outBuffer);
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        std::fprintf(stderr, "keyloom-probe: cannot open the display %s\n", XDisplayName(nullptr));
        return 1;
    }
    Probe probe(display, options);
    if (!probe.show()) {
        std::fprintf(stderr, "keyloom-probe: the window did not get the focus\n");
        XCloseDisplay(display);
        return 1;
    }
    int status = probe.run();
    XCloseDisplay(display);
    return status;
}
