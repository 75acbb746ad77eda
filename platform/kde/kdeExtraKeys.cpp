#include "platform/kde/kdeExtraKeys.h"

#include <glib/gstdio.h>

#include <memory>

namespace keyloom::platform {
namespace {

constexpr const char* kOption = "keyloom:extra";
// The rules: the system's, and our option naming our symbols.
constexpr const char* kRules =
    "// keyloom: the keys that Keyloom binds while it types\n"
    "! include %S/evdev\n\n"
    "! option = symbols\n"
    "  keyloom:extra = +keyloom(extra)\n";

std::string configPath(const std::string& rest) {
    return std::string(g_get_user_config_dir()) + "/" + rest;
}

std::optional<std::string> readText(const std::string& path) {
    gchar* data = nullptr;
    gsize size = 0;
    if (!g_file_get_contents(path.c_str(), &data, &size, nullptr)) return std::nullopt;
    std::string text(data, size);
    g_free(data);
    return text;
}

bool writeText(const std::string& path, const std::string& text) {
    return g_file_set_contents(path.c_str(), text.data(), static_cast<gssize>(text.size()),
                               nullptr) != 0;
}

// kxkbrc with our option added: KWin applies the options only with
// ResetOldOptions set (the user's options ignored before stay ignored).
std::optional<std::string> withOption(const std::optional<std::string>& kxkbrc) {
    std::unique_ptr<GKeyFile, decltype(&g_key_file_free)> file(g_key_file_new(), g_key_file_free);
    if (kxkbrc && !g_key_file_load_from_data(file.get(), kxkbrc->data(), kxkbrc->size(),
                                             G_KEY_FILE_KEEP_COMMENTS, nullptr))
        return std::nullopt;
    std::string options;
    if (g_key_file_get_boolean(file.get(), "Layout", "ResetOldOptions", nullptr)) {
        gchar* old = g_key_file_get_string(file.get(), "Layout", "Options", nullptr);
        if (old != nullptr && *old != '\0') options = std::string(old) + ",";
        g_free(old);
    }
    if (!g_key_file_has_key(file.get(), "Layout", "Use", nullptr))
        g_key_file_set_boolean(file.get(), "Layout", "Use", TRUE);
    g_key_file_set_boolean(file.get(), "Layout", "ResetOldOptions", TRUE);
    g_key_file_set_string(file.get(), "Layout", "Options", (options + kOption).c_str());
    gsize size = 0;
    gchar* data = g_key_file_to_data(file.get(), &size, nullptr);
    std::string text(data, size);
    g_free(data);
    return text;
}

}  // namespace

bool ExtraKeys::bind(const std::map<std::string, std::uint32_t>& keys, std::string* error) {
    auto fail = [error](const std::string& why) {
        if (error != nullptr) *error = why;
        return false;
    };
    const std::string xkb = configPath("xkb");
    if (!g_file_test(xkb.c_str(), G_FILE_TEST_IS_DIR)) {
        g_mkdir_with_parents(xkb.c_str(), 0755);
        return fail("KWin takes extra keys only from a folder " + xkb +
                    " that existed when it started: it exists now, so this works from your next "
                    "login on");
    }
    const std::string rules = xkb + "/rules/evdev";
    if (!bound_) {
        auto ownRules = readText(rules);
        if (ownRules && ownRules->rfind("// keyloom", 0) != 0)
            return fail("the XKB rules of your own in " + rules + " leave no room for ours");
        g_mkdir_with_parents((xkb + "/rules").c_str(), 0755);
        if (!ownRules) {
            if (!writeText(rules, kRules)) return fail("cannot write " + rules);
            madeRules_ = true;
        }
        kxkbrc_ = readText(configPath("kxkbrc"));
    }
    std::string symbols = "xkb_symbols \"extra\" {\n";
    for (const auto& [name, keysym] : keys)
        // Both levels alike, so that Caps Lock is used up and makes no capital of it.
        symbols += "    key <" + name + "> { type[Group1] = \"ALPHABETIC\", [ " +
                   std::to_string(keysym) + ", " + std::to_string(keysym) + " ] };\n";
    symbols += "};\n";
    g_mkdir_with_parents((xkb + "/symbols").c_str(), 0755);
    if (!writeText(xkb + "/symbols/keyloom", symbols)) return fail("cannot write " + xkb + "/symbols/keyloom");
    if (!bound_) {
        auto changed = withOption(kxkbrc_);
        if (!changed) return fail("cannot read " + configPath("kxkbrc"));
        if (!writeText(configPath("kxkbrc"), *changed)) return fail("cannot write " + configPath("kxkbrc"));
        bound_ = true;
    }
    reload();
    return true;
}

void ExtraKeys::restore() {
    if (!bound_) return;
    bound_ = false;
    if (kxkbrc_)
        writeText(configPath("kxkbrc"), *kxkbrc_);
    else
        g_unlink(configPath("kxkbrc").c_str());
    g_unlink(configPath("xkb/symbols/keyloom").c_str());
    if (madeRules_) g_unlink(configPath("xkb/rules/evdev").c_str());
    madeRules_ = false;
    reload();
}

void ExtraKeys::reload() {
    g_dbus_connection_emit_signal(bus_, nullptr, "/Layouts", "org.kde.keyboard", "reloadConfig",
                                  nullptr, nullptr);
    g_dbus_connection_flush_sync(bus_, nullptr, nullptr);
}

}  // namespace keyloom::platform
