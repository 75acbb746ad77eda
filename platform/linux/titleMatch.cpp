#include "platform/linux/titleMatch.h"

#include <glib.h>

#include <memory>

namespace keyloom::platform {

std::string foldTitle(const std::string& text) {
    std::unique_ptr<gchar, decltype(&g_free)> valid(g_utf8_make_valid(text.c_str(), -1), g_free);
    std::unique_ptr<gchar, decltype(&g_free)> fold(g_utf8_casefold(valid.get(), -1), g_free);
    std::unique_ptr<gchar, decltype(&g_free)> norm(
        g_utf8_normalize(fold.get(), -1, G_NORMALIZE_ALL_COMPOSE), g_free);
    return norm ? std::string(norm.get()) : std::string(fold.get());
}

}  // namespace keyloom::platform
