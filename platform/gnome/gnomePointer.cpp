// The pointer on GNOME. Mutter puts it at a place only in the coordinates of
// a screen cast's stream: the RemoteDesktop session gets a screen cast of
// every monitor linked to it, each stream knowing its monitor's place in the
// layout. Mutter casts through PipeWire, and cannot start the session when
// PipeWire is not running: a session without a screen cast then puts the
// pointer by relative moves, which go 1:1 and stop at the screen's edges.
#include <algorithm>

#include "platform/gnome/gnomeImpl.h"

namespace keyloom::platform {
namespace {

constexpr const char* kScreenCast = "org.gnome.Mutter.ScreenCast";
constexpr const char* kScreenCastPath = "/org/gnome/Mutter/ScreenCast";
constexpr const char* kDisplayConfig = "org.gnome.Mutter.DisplayConfig";
constexpr const char* kDisplayConfigPath = "/org/gnome/Mutter/DisplayConfig";
constexpr const char* kProperties = "org.freedesktop.DBus.Properties";
constexpr double kFarAway = -100000;  // a relative move into the top-left corner

GVariant* property(GnomeDesktop::Impl& impl, const char* service, const std::string& path,
                   const char* interface, const char* name) {
    GVariant* reply = impl.call(service, path.c_str(), kProperties, "Get",
                                g_variant_new("(ss)", interface, name), "(v)");
    if (reply == nullptr) return nullptr;
    GVariant* value = nullptr;
    g_variant_get(reply, "(v)", &value);
    g_variant_unref(reply);
    return value;
}

// The connector of one monitor of each logical monitor (those that show the
// same picture share one place).
std::vector<std::string> monitorConnectors(GnomeDesktop::Impl& impl) {
    std::vector<std::string> connectors;
    GVariant* state = impl.call(kDisplayConfig, kDisplayConfigPath, kDisplayConfig,
                                "GetCurrentState", nullptr, nullptr);
    if (state == nullptr) return connectors;
    GVariant* logical = g_variant_get_child_value(state, 2);
    GVariantIter iter;
    g_variant_iter_init(&iter, logical);
    while (GVariant* monitor = g_variant_iter_next_value(&iter)) {
        GVariant* shown = g_variant_get_child_value(monitor, 5);
        if (g_variant_n_children(shown) > 0) {
            const gchar* connector = nullptr;
            g_variant_get_child(shown, 0, "(&sss&s)", &connector, nullptr, nullptr, nullptr);
            connectors.emplace_back(connector);
        }
        g_variant_unref(shown);
        g_variant_unref(monitor);
    }
    g_variant_unref(logical);
    g_variant_unref(state);
    return connectors;
}

// A screen cast linked to the RemoteDesktop session, recording every
// monitor; false when mutter offers none.
bool recordMonitors(GnomeDesktop::Impl& impl, std::string* why) {
    GVariant* id = property(impl, kMutter, impl.sessionPath, kSessionInterface, "SessionId");
    if (id == nullptr) return false;
    GVariantBuilder options;
    g_variant_builder_init(&options, G_VARIANT_TYPE("a{sv}"));
    g_variant_builder_add(&options, "{sv}", "remote-desktop-session-id", id);
    GVariant* reply = impl.call(kScreenCast, kScreenCastPath, kScreenCast, "CreateSession",
                                g_variant_new("(a{sv})", &options), "(o)", why);
    if (reply == nullptr) return false;
    const gchar* session = nullptr;
    g_variant_get(reply, "(&o)", &session);
    const std::string castPath = session;
    g_variant_unref(reply);
    for (const std::string& connector : monitorConnectors(impl)) {
        GVariantBuilder none;
        g_variant_builder_init(&none, G_VARIANT_TYPE("a{sv}"));
        reply = impl.call(kScreenCast, castPath.c_str(), "org.gnome.Mutter.ScreenCast.Session",
                          "RecordMonitor", g_variant_new("(sa{sv})", connector.c_str(), &none),
                          "(o)", why);
        if (reply == nullptr) continue;
        const gchar* path = nullptr;
        g_variant_get(reply, "(&o)", &path);
        GnomeDesktop::Impl::Stream stream{path};
        g_variant_unref(reply);
        GVariant* parameters = property(impl, kScreenCast, stream.path,
                                        "org.gnome.Mutter.ScreenCast.Stream", "Parameters");
        if (parameters == nullptr) continue;
        const bool placed =
            g_variant_lookup(parameters, "position", "(ii)", &stream.x, &stream.y) &&
            g_variant_lookup(parameters, "size", "(ii)", &stream.width, &stream.height);
        g_variant_unref(parameters);
        if (placed) impl.streams.push_back(stream);
    }
    return !impl.streams.empty();
}

bool createSession(GnomeDesktop::Impl& impl, std::string* error) {
    std::string why;
    GVariant* reply =
        impl.call(kMutter, kMutterPath, kMutter, "CreateSession", g_variant_new("()"), "(o)", &why);
    if (reply == nullptr) {
        if (error != nullptr) *error = "mutter refused a RemoteDesktop session: " + why;
        return false;
    }
    const gchar* path = nullptr;
    g_variant_get(reply, "(&o)", &path);
    impl.sessionPath = path;
    g_variant_unref(reply);
    return true;
}

}  // namespace

bool GnomeDesktop::Impl::startSession(std::string* error) {
    if (!createSession(*this, error)) return false;
    std::string why = "mutter offers no screen cast";
    if (recordMonitors(*this, &why)) {
        if (session("Start", nullptr, &why)) return true;
        // Mutter closes the session that it could not start.
        streams.clear();
        if (!createSession(*this, error)) return false;
    }
    relativePointer = "placed by relative moves, as mutter cannot cast the screen (" + why + ")";
    if (session("Start", nullptr)) return true;
    if (error != nullptr) *error = "mutter did not start the RemoteDesktop session";
    return false;
}

void GnomeDesktop::setCursorPos(int x, int y) {
    if (!impl_->streams.empty()) {
        // On the monitor nearest to the place (on it, if any), at its edge
        // when the place is beyond.
        Point best;
        const Impl::Stream* on = nullptr;
        long nearest = 0;
        for (const Impl::Stream& s : impl_->streams) {
            const Point p{std::clamp(x, s.x, s.x + s.width - 1),
                          std::clamp(y, s.y, s.y + s.height - 1)};
            const long distance = long(p.x - x) * (p.x - x) + long(p.y - y) * (p.y - y);
            if (on == nullptr || distance < nearest) {
                on = &s;
                best = p;
                nearest = distance;
            }
        }
        impl_->session("NotifyPointerMotionAbsolute",
                       g_variant_new("(sdd)", on->path.c_str(), double(best.x - on->x),
                                     double(best.y - on->y)));
        impl_->cursor = best;
        impl_->inputSent();
        return;
    }
    // Relative moves: from where the extension says the cursor is, else
    // from the top-left corner.
    Point from{0, 0};
    if (impl_->hasExtension) {
        from = getCursorPos();
    } else {
        impl_->session("NotifyPointerMotionRelative", g_variant_new("(dd)", kFarAway, kFarAway));
    }
    impl_->session("NotifyPointerMotionRelative",
                   g_variant_new("(dd)", double(x - from.x), double(y - from.y)));
    impl_->cursor = {x, y};
    impl_->inputSent();
}

}  // namespace keyloom::platform
