#include <fontconfig/fontconfig.h>
#include <gtk/gtk.h>

#include "platform/nativeLook.h"

namespace keyloom::platform {
namespace {

// The theme draws a drop-down box's arrow from its SVG icon, and the SVG
// renderer that GTK loads for it (with its XML and Unicode libraries) makes
// the program 8 MiB larger: the arrow is drawn as a triangle of borders in
// the text's colour instead, where the theme's icon would be.
//
// The list never shows its column header, but measuring it loads the bold
// face the theme gives headers.
constexpr const char* kStyleSheet = R"css(
.keyloom-compact combobox arrow {
  -gtk-icon-source: none;
  min-width: 0;
  min-height: 0;
  margin-top: 3px;
  border-style: solid;
  border-width: 4px 4px 0 4px;
  border-color: currentColor transparent transparent transparent;
}
.keyloom-compact treeview header button {
  font-weight: normal;
}
)css";

}  // namespace

FontPreload::FontPreload() : thread_([] { FcInit(); }) {}

FontPreload::~FontPreload() {
    if (thread_.joinable()) thread_.join();
}

void loadStyleSheet() {
    GdkScreen* screen = gdk_screen_get_default();
    if (screen == nullptr) return;
    GtkCssProvider* provider = gtk_css_provider_new();
    gtk_css_provider_load_from_data(provider, kStyleSheet, -1, nullptr);
    gtk_style_context_add_provider_for_screen(screen, GTK_STYLE_PROVIDER(provider),
                                              GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
    g_object_unref(provider);
}

std::string desktopFont() {
    GtkSettings* settings = gtk_settings_get_default();
    if (settings == nullptr) return {};
    gchar* name = nullptr;
    g_object_get(settings, "gtk-font-name", &name, nullptr);
    std::string font = name != nullptr ? name : "";
    g_free(name);
    return font;
}

void addStyleClass(void* nativeWidget, const char* styleClass) {
    if (nativeWidget == nullptr) return;
    gtk_style_context_add_class(gtk_widget_get_style_context(static_cast<GtkWidget*>(nativeWidget)),
                                styleClass);
}

}  // namespace keyloom::platform
