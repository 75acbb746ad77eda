/* keyloom-gtk-field: a GTK text field for the typing tests.
 *
 *   keyloom-gtk-field TITLE FILE
 *
 * Shows a window titled TITLE holding one text field with the focus, prints
 * "ready" once the field has the keyboard focus, and writes the field's text
 * to FILE (UTF-8, replaced as a whole) whenever it changes. Ends on SIGTERM
 * or when its window is closed. */
#include <glib-unix.h>
#include <gtk/gtk.h>
#include <stdio.h>

static const char* outputPath;

static void onChanged(GtkEditable* editable, gpointer data) {
    (void)data;
    gchar* text = gtk_editable_get_chars(editable, 0, -1);
    g_file_set_contents(outputPath, text, -1, NULL);
    g_free(text);
}

static gboolean onFocus(GtkWidget* widget, GdkEvent* event, gpointer data) {
    (void)widget;
    (void)event;
    (void)data;
    printf("ready\n");
    fflush(stdout);
    return FALSE;
}

static gboolean onTerm(gpointer data) {
    (void)data;
    gtk_main_quit();
    return G_SOURCE_REMOVE;
}

int main(int argc, char** argv) {
    gtk_init(&argc, &argv);
    if (argc != 3) {
        fprintf(stderr, "usage: keyloom-gtk-field TITLE FILE\n");
        return 2;
    }
    outputPath = argv[2];
    g_file_set_contents(outputPath, "", 0, NULL);
    GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    gtk_window_set_title(GTK_WINDOW(window), argv[1]);
    gtk_window_set_default_size(GTK_WINDOW(window), 600, 80);
    GtkWidget* entry = gtk_entry_new();
    gtk_container_add(GTK_CONTAINER(window), entry);
    g_signal_connect(entry, "changed", G_CALLBACK(onChanged), NULL);
    g_signal_connect(entry, "focus-in-event", G_CALLBACK(onFocus), NULL);
    g_signal_connect(window, "destroy", G_CALLBACK(gtk_main_quit), NULL);
    g_unix_signal_add(SIGTERM, onTerm, NULL);
    gtk_widget_show_all(window);
    gtk_window_present(GTK_WINDOW(window));
    gtk_main();
    return 0;
}
