// Starting programs and opening documents.
//
// A command line is split as a shell would split it, but no shell runs it:
// its words are the program and its arguments, nothing is expanded or
// substituted. A document opens with the application the desktop associates
// with its type (GIO), started in the folder "/".
#include "platform/linux/launch.h"

#include <gio/gdesktopappinfo.h>
#include <gio/gio.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <memory>

namespace keyloom::platform {
namespace {

template <typename T>
struct GObjectDeleter {
    void operator()(T* object) const { g_object_unref(object); }
};
template <typename T>
using GPtr = std::unique_ptr<T, GObjectDeleter<T>>;

struct StrvDeleter {
    void operator()(gchar** v) const { g_strfreev(v); }
};

// Runs in the started program before it executes: documents open in "/".
void intoRootFolder(gpointer) {
    if (chdir("/") != 0) _exit(127);
}

// A program file the user may run that is no text (a script opens in an editor).
bool isProgram(GFileInfo* info, const char* path) {
    const char* type = g_file_info_get_content_type(info);
    return type != nullptr && g_file_info_get_file_type(info) == G_FILE_TYPE_REGULAR &&
           g_content_type_can_be_executable(type) && !g_content_type_is_a(type, "text/plain") &&
           access(path, X_OK) == 0;
}

bool runProgramFile(const char* path) {
    gchar* argv[] = {const_cast<gchar*>(path), nullptr};
    return g_spawn_async("/", argv, nullptr, G_SPAWN_DEFAULT, nullptr, nullptr, nullptr, nullptr) !=
           0;
}

bool launchHandler(GAppInfo* app, GFile* file) {
    GPtr<GAppLaunchContext> context(g_app_launch_context_new());
    GList uris{};
    std::unique_ptr<char, decltype(&g_free)> uri(g_file_get_uri(file), g_free);
    uris.data = uri.get();
    if (G_IS_DESKTOP_APP_INFO(app)) {
        // Without G_SPAWN_DO_NOT_REAP_CHILD the program is reaped for us.
        return g_desktop_app_info_launch_uris_as_manager(
                   G_DESKTOP_APP_INFO(app), &uris, context.get(), G_SPAWN_SEARCH_PATH,
                   intoRootFolder, nullptr, nullptr, nullptr, nullptr) != 0;
    }
    return g_app_info_launch_uris(app, &uris, context.get(), nullptr) != 0;
}

}  // namespace

std::optional<long> startCommandLine(const std::string& commandLine) {
    gchar** parsed = nullptr;
    if (!g_shell_parse_argv(commandLine.c_str(), nullptr, &parsed, nullptr)) return std::nullopt;
    std::unique_ptr<gchar*, StrvDeleter> argv(parsed);
    GPid pid = 0;
    // Without G_SPAWN_DO_NOT_REAP_CHILD the child is reaped for us, and the
    // pid is that of the program itself.
    if (!g_spawn_async(nullptr, argv.get(), nullptr, G_SPAWN_SEARCH_PATH, nullptr, nullptr, &pid,
                       nullptr))
        return std::nullopt;
    return static_cast<long>(pid);
}

bool openWithDefaultApplication(const std::string& path) {
    if (path.empty()) return false;
    GPtr<GFile> file(g_file_new_for_commandline_arg(path.c_str()));
    std::unique_ptr<char, decltype(&g_free)> local(g_file_get_path(file.get()), g_free);
    if (local != nullptr) {
        GPtr<GFileInfo> info(g_file_query_info(
            file.get(), G_FILE_ATTRIBUTE_STANDARD_CONTENT_TYPE "," G_FILE_ATTRIBUTE_STANDARD_TYPE,
            G_FILE_QUERY_INFO_NONE, nullptr, nullptr));
        if (!info) return false;  // no such file
        if (isProgram(info.get(), local.get())) return runProgramFile(local.get());
    }
    GPtr<GAppInfo> app(g_file_query_default_handler(file.get(), nullptr, nullptr));
    if (!app) return false;
    return launchHandler(app.get(), file.get());
}

bool descendsFrom(long pid, long ancestor) {
    for (int depth = 0; pid > 1 && depth < 32; ++depth) {
        if (pid == ancestor) return true;
        std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
        std::string line;
        if (!std::getline(stat, line)) return false;
        // "pid (name) state ppid ...": the name may hold blanks and parentheses.
        std::size_t close = line.rfind(')');
        if (close == std::string::npos) return false;
        char state = 0;
        long parent = 0;
        if (std::sscanf(line.c_str() + close + 1, " %c %ld", &state, &parent) != 2) return false;
        pid = parent;
    }
    return false;
}

}  // namespace keyloom::platform
