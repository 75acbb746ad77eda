#include "platform/kde/kwinScript.h"

#include <glib/gstdio.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <sstream>
#include <thread>

namespace keyloom::platform {
namespace {

constexpr const char* kPath = "/org/keyloom/KWin";
constexpr const char* kInterface = "org.keyloom.KWin";
constexpr const char* kIntrospection =
    "<node><interface name='org.keyloom.KWin'>"
    "<method name='Next'><arg type='s' direction='in'/><arg type='s' direction='out'/></method>"
    "<method name='Cursor'><arg type='s' direction='in'/></method>"
    "</interface></node>";

// Commands are "SEQUENCE WORD [ARGUMENT]"; results "SEQUENCE TEXT". An empty
// command (sent when nothing is asked for a while, before KWin's call would
// time out) gives an empty result.
constexpr const char* kScript = R"JS((function () {
    const service = "@SERVICE@", path = "/org/keyloom/KWin", iface = "org.keyloom.KWin";
    function windows() {
        const all = workspace.clientList(), lines = [];
        const order = [];
        for (let i = 0; i < all.length; ++i)
            if (all[i].normalWindow || all[i].dialog) order.push(all[i]);
        order.sort(function (a, b) { return b.stackingOrder - a.stackingOrder; });
        for (let i = 0; i < order.length; ++i) {
            const c = order[i];
            lines.push([String(c.internalId), c.pid, c === workspace.activeClient ? 1 : 0,
                        encodeURIComponent(c.caption)].join(" "));
        }
        return lines.join("\n");
    }
    function activate(id) {
        const all = workspace.clientList();
        for (let i = 0; i < all.length; ++i) {
            if (String(all[i].internalId) !== id) continue;
            if (all[i].minimized) all[i].minimized = false;
            workspace.activeClient = all[i];
            return workspace.activeClient === all[i] ? "yes" : "no";
        }
        return "no";
    }
    function cursor() { return workspace.cursorPos.x + "," + workspace.cursorPos.y; }
    function run(command) {
        const space = command.indexOf(" ");
        if (space < 0) return "";
        const sequence = command.substring(0, space), rest = command.substring(space + 1);
        try {
            if (rest === "list") return sequence + " " + windows();
            if (rest.startsWith("activate ")) return sequence + " " + activate(rest.substring(9));
            if (rest === "cursor") return sequence + " " + cursor();
        } catch (e) {
            return sequence + " error " + e;
        }
        return sequence + " ";
    }
    function next(result) {
        callDBus(service, path, iface, "Next", result, function (command) { next(run(command)); });
    }
    workspace.cursorPosChanged.connect(function () {
        callDBus(service, path, iface, "Cursor", cursor());
    });
    next("");
})();
)JS";

// KWin gives up on a call after 25 s: an empty command goes before.
constexpr auto kKeepAlive = std::chrono::seconds(20);
constexpr auto kAnswerWithin = std::chrono::seconds(3);

std::optional<Point> parsePoint(const std::string& text) {
    Point p;
    char comma = 0;
    std::istringstream in(text);
    if (in >> p.x >> comma >> p.y && comma == ',') return p;
    return std::nullopt;
}

}  // namespace

struct KWinScript::Channel {
    ~Channel();
    void serve();
    // On the thread: hands the queued command to KWin's waiting call.
    void deliver();
    static void onCall(GDBusConnection*, const gchar* sender, const gchar*, const gchar*,
                       const gchar* method, GVariant* parameters, GDBusMethodInvocation* invocation,
                       gpointer self);
    // Sends a command and waits for its result; nothing when none came.
    std::optional<std::string> ask(const std::string& command);

    GDBusConnection* bus = nullptr;
    std::string kwin;  // KWin's unique name: the only caller answered
    GMainContext* context = nullptr;
    GMainLoop* loop = nullptr;
    guint object = 0;
    std::thread thread;
    std::string scriptName;
    std::string scriptFile;

    std::mutex mutex;
    std::condition_variable changed;
    GDBusMethodInvocation* waiting = nullptr;  // KWin's call for the next command
    std::chrono::steady_clock::time_point waitingSince;
    std::string queued;                  // the command to hand over
    std::optional<std::string> result;   // of the last command
    unsigned long sequence = 0;
    std::optional<Point> cursor;
    bool started = false;  // the script called for the first time
    bool silent = false;   // the last command went unanswered
};

void KWinScript::Channel::onCall(GDBusConnection*, const gchar* sender, const gchar*, const gchar*,
                                 const gchar* method, GVariant* parameters,
                                 GDBusMethodInvocation* invocation, gpointer data) {
    auto* self = static_cast<Channel*>(data);
    if (sender == nullptr || self->kwin != sender) {
        g_dbus_method_invocation_return_dbus_error(invocation, "org.keyloom.Error.Denied",
                                                   "only KWin is answered");
        return;
    }
    const gchar* text = nullptr;
    g_variant_get(parameters, "(&s)", &text);
    std::lock_guard lock(self->mutex);
    if (g_strcmp0(method, "Cursor") == 0) {
        self->cursor = parsePoint(text);
        g_dbus_method_invocation_return_value(invocation, nullptr);
        return;
    }
    self->started = true;
    self->silent = false;
    if (*text != '\0') self->result = text;
    if (self->waiting != nullptr)
        g_dbus_method_invocation_return_value(self->waiting, g_variant_new("(s)", ""));
    self->waiting = invocation;
    self->waitingSince = std::chrono::steady_clock::now();
    self->changed.notify_all();
    if (!self->queued.empty()) {
        g_dbus_method_invocation_return_value(invocation, g_variant_new("(s)", self->queued.c_str()));
        self->waiting = nullptr;
        self->queued.clear();
    }
}

void KWinScript::Channel::deliver() {
    std::lock_guard lock(mutex);
    if (waiting == nullptr) return;
    const bool stale = std::chrono::steady_clock::now() - waitingSince > kKeepAlive;
    if (queued.empty() && !stale) return;
    g_dbus_method_invocation_return_value(waiting, g_variant_new("(s)", queued.c_str()));
    waiting = nullptr;
    queued.clear();
}

void KWinScript::Channel::serve() {
    g_main_context_push_thread_default(context);
    // Every second: KWin's call is answered before it times out.
    GSource* tick = g_timeout_source_new_seconds(1);
    g_source_set_callback(
        tick, [](gpointer self) -> gboolean {
            static_cast<Channel*>(self)->deliver();
            return G_SOURCE_CONTINUE;
        },
        this, nullptr);
    g_source_attach(tick, context);
    g_source_unref(tick);
    g_main_loop_run(loop);
    g_main_context_pop_thread_default(context);
}

std::optional<std::string> KWinScript::Channel::ask(const std::string& command) {
    std::unique_lock lock(mutex);
    // A script that stopped answering is not waited for again (the cursor
    // read-out asks every millisecond) until it calls once more.
    if (silent) return std::nullopt;
    const std::string prefix = std::to_string(++sequence) + " ";
    queued = prefix + command;
    result.reset();
    lock.unlock();
    g_main_context_invoke(
        context,
        [](gpointer self) -> gboolean {
            static_cast<Channel*>(self)->deliver();
            return G_SOURCE_REMOVE;
        },
        this);
    lock.lock();
    const bool answered = changed.wait_for(lock, kAnswerWithin, [&] {
        return result && result->compare(0, prefix.size(), prefix) == 0;
    });
    if (!answered) {
        queued.clear();
        silent = true;
        return std::nullopt;
    }
    return result->substr(prefix.size());
}

KWinScript::Channel::~Channel() {
    if (!scriptName.empty() && bus != nullptr) {
        GVariant* reply = g_dbus_connection_call_sync(
            bus, "org.kde.KWin", "/Scripting", "org.kde.kwin.Scripting", "unloadScript",
            g_variant_new("(s)", scriptName.c_str()), nullptr, G_DBUS_CALL_FLAGS_NONE, 2000,
            nullptr, nullptr);
        if (reply != nullptr) g_variant_unref(reply);
    }
    if (!scriptFile.empty()) g_unlink(scriptFile.c_str());
    if (loop != nullptr) {
        g_main_context_invoke(
            context,
            [](gpointer self) -> gboolean {
                auto* channel = static_cast<Channel*>(self);
                std::lock_guard lock(channel->mutex);
                if (channel->waiting != nullptr)
                    g_dbus_method_invocation_return_value(channel->waiting,
                                                          g_variant_new("(s)", ""));
                channel->waiting = nullptr;
                g_main_loop_quit(channel->loop);
                return G_SOURCE_REMOVE;
            },
            this);
    }
    if (thread.joinable()) thread.join();
    if (object != 0) g_dbus_connection_unregister_object(bus, object);
    if (bus != nullptr) {
        g_dbus_connection_flush_sync(bus, nullptr, nullptr);
        g_object_unref(bus);
    }
    if (loop != nullptr) g_main_loop_unref(loop);
    if (context != nullptr) g_main_context_unref(context);
}

std::unique_ptr<KWinScript> KWinScript::start(std::string* error) {
    auto fail = [error](const std::string& why) {
        if (error != nullptr) *error = why;
        return nullptr;
    };
    auto channel = std::make_unique<Channel>();
    GError* problem = nullptr;
    gchar* address = g_dbus_address_get_for_bus_sync(G_BUS_TYPE_SESSION, nullptr, &problem);
    if (address != nullptr)
        channel->bus = g_dbus_connection_new_for_address_sync(
            address,
            static_cast<GDBusConnectionFlags>(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                                              G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
            nullptr, nullptr, &problem);
    g_free(address);
    if (channel->bus == nullptr) {
        std::string why = problem != nullptr ? problem->message : "no session bus";
        g_clear_error(&problem);
        return fail("cannot reach the session bus: " + why);
    }
    g_dbus_connection_set_exit_on_close(channel->bus, FALSE);
    GVariant* owner = g_dbus_connection_call_sync(
        channel->bus, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
        "GetNameOwner", g_variant_new("(s)", "org.kde.KWin"), G_VARIANT_TYPE("(s)"),
        G_DBUS_CALL_FLAGS_NONE, 2000, nullptr, nullptr);
    if (owner == nullptr) return fail("KWin is not on the session bus");
    const gchar* kwin = nullptr;
    g_variant_get(owner, "(&s)", &kwin);
    channel->kwin = kwin;
    g_variant_unref(owner);

    // The object is served by the thread's own main context.
    channel->context = g_main_context_new();
    channel->loop = g_main_loop_new(channel->context, FALSE);
    GDBusNodeInfo* node = g_dbus_node_info_new_for_xml(kIntrospection, nullptr);
    static const GDBusInterfaceVTable vtable = {&Channel::onCall, nullptr, nullptr, {}};
    g_main_context_push_thread_default(channel->context);
    channel->object = g_dbus_connection_register_object(
        channel->bus, kPath, node->interfaces[0], &vtable, channel.get(), nullptr, nullptr);
    g_main_context_pop_thread_default(channel->context);
    g_dbus_node_info_unref(node);
    if (channel->object == 0) return fail("cannot offer our D-Bus object");
    channel->thread = std::thread([raw = channel.get()] { raw->serve(); });

    const std::string unique = g_dbus_connection_get_unique_name(channel->bus);
    std::string script = kScript;
    script.replace(script.find("@SERVICE@"), 9, unique);
    // Unique while the desktop is open: the process and the channel's address.
    channel->scriptName = "keyloom-" + std::to_string(getpid()) + "-" +
                          std::to_string(reinterpret_cast<std::uintptr_t>(channel.get()));
    channel->scriptFile = std::string(g_get_user_runtime_dir()) + "/" + channel->scriptName + ".js";
    if (!g_file_set_contents(channel->scriptFile.c_str(), script.c_str(),
                             static_cast<gssize>(script.size()), nullptr)) {
        channel->scriptFile.clear();
        return fail("cannot write the KWin script");
    }
    GVariant* id = g_dbus_connection_call_sync(
        channel->bus, "org.kde.KWin", "/Scripting", "org.kde.kwin.Scripting", "loadScript",
        g_variant_new("(ss)", channel->scriptFile.c_str(), channel->scriptName.c_str()),
        G_VARIANT_TYPE("(i)"), G_DBUS_CALL_FLAGS_NONE, 5000, nullptr, nullptr);
    gint32 number = -1;
    if (id != nullptr) {
        g_variant_get(id, "(i)", &number);
        g_variant_unref(id);
    }
    if (number < 0) return fail("KWin did not load our script");
    GVariant* ran = g_dbus_connection_call_sync(
        channel->bus, "org.kde.KWin", ("/" + std::to_string(number)).c_str(), "org.kde.kwin.Script",
        "run", nullptr, nullptr, G_DBUS_CALL_FLAGS_NONE, 5000, nullptr, nullptr);
    if (ran != nullptr) g_variant_unref(ran);
    std::unique_lock lock(channel->mutex);
    if (!channel->changed.wait_for(lock, kAnswerWithin, [&] { return channel->started; }))
        return fail("KWin did not run our script");
    lock.unlock();
    return std::unique_ptr<KWinScript>(new KWinScript(std::move(channel)));
}

KWinScript::KWinScript(std::unique_ptr<Channel> channel) : channel_(std::move(channel)) {}
KWinScript::~KWinScript() = default;

GDBusConnection* KWinScript::bus() {
    return channel_->bus;
}

std::optional<std::vector<KWinScript::Window>> KWinScript::windows() {
    auto text = channel_->ask("list");
    if (!text) return std::nullopt;
    std::vector<Window> out;
    std::istringstream lines(*text);
    for (std::string line; std::getline(lines, line);) {
        Window w;
        std::string encoded;
        std::istringstream fields(line);
        int active = 0;
        if (!(fields >> w.id >> w.pid >> active)) continue;
        fields >> encoded;  // empty for an untitled window
        w.active = active != 0;
        gchar* title = g_uri_unescape_string(encoded.c_str(), nullptr);
        w.title = title != nullptr ? title : "";
        g_free(title);
        out.push_back(std::move(w));
    }
    return out;
}

bool KWinScript::activate(const std::string& id) {
    return channel_->ask("activate " + id) == std::optional<std::string>("yes");
}

std::optional<Point> KWinScript::cursor() {
    {
        std::lock_guard lock(channel_->mutex);
        if (channel_->cursor) return channel_->cursor;
    }
    auto text = channel_->ask("cursor");
    if (!text) return std::nullopt;
    auto p = parsePoint(*text);
    std::lock_guard lock(channel_->mutex);
    if (!channel_->cursor) channel_->cursor = p;
    return p;
}

}  // namespace keyloom::platform
