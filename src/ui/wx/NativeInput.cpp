#include "NativeInput.h"

#include <wx/choice.h>
#include <wx/toplevel.h>

#include <string>

#ifdef __WXMSW__
#include <windows.h>
#endif

#ifdef __WXGTK__
#include <gtk/gtk.h>

namespace {

using Handler = std::function<void()>;

void deleteHandler(gpointer handler, GClosure*) {
    delete static_cast<Handler*>(handler);
}

// The size too, since a window manager that shows the window maximised keeps the size it first
// had for when it is restored.
void placeNativeWindow(GtkWidget* widget, gpointer position) {
    const auto* at = static_cast<const wxPoint*>(position);
    int width = 0, height = 0;
    gtk_window_get_size(GTK_WINDOW(widget), &width, &height);
    gdk_window_move_resize(gtk_widget_get_window(widget), at->x, at->y, width, height);
}

void deletePosition(gpointer position, GClosure*) {
    delete static_cast<wxPoint*>(position);
}

void pressed(GtkGestureMultiPress*, gint, gdouble, gdouble, gpointer handler) {
    (*static_cast<Handler*>(handler))();
}

// The theme's tick at the normal scale from its pre-drawn picture; at a higher one the SVG, which
// a picture for that scale would be blurred against.
constexpr const char* TickStyle =
    "check:checked { -gtk-icon-source: -gtk-scaled("
    "-gtk-recolor(url('resource:///org/gtk/libgtk/theme/Adwaita/assets/"
    "check-symbolic.symbolic.png')), "
    "-gtk-recolor(url('resource:///org/gtk/libgtk/theme/Adwaita/assets/check-symbolic.svg'))); }";

// Whether the theme in use is GTK's own: only its ticks are those pictures.
bool usesGtksOwnTheme(GtkSettings* settings) {
    std::string name;
    if (const char* forced = g_getenv("GTK_THEME"); forced && *forced) {
        name = forced;
        name = name.substr(0, name.find(':')); // "Adwaita:dark"
    } else {
        gchar* chosen = nullptr;
        g_object_get(settings, "gtk-theme-name", &chosen, nullptr);
        name = chosen ? chosen : "";
        g_free(chosen);
    }
    return name == "Adwaita";
}

// Also when the desktop changes the theme while the program runs.
void styleTicksFor(GtkSettings* settings, GParamSpec*, gpointer style) {
    GdkScreen* screen = gdk_screen_get_default();
    gtk_style_context_remove_provider_for_screen(screen, GTK_STYLE_PROVIDER(style));
    if (usesGtksOwnTheme(settings))
        gtk_style_context_add_provider_for_screen(screen, GTK_STYLE_PROVIDER(style),
                                                  GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
}

// The keys with which a focused GTK drop-down list opens.
gboolean keyPressed(GtkEventControllerKey*, guint key, guint, GdkModifierType state,
                    gpointer handler) {
    const bool alt = (state & GDK_MOD1_MASK) != 0;
    if (key == GDK_KEY_space || key == GDK_KEY_KP_Space ||
        (alt && (key == GDK_KEY_Down || key == GDK_KEY_KP_Down)))
        (*static_cast<Handler*>(handler))();
    return FALSE;
}

// Runs in the capture phase, before the list's own button sees the event; the widget keeps the
// controller for its life.
void watch(GtkWidget* widget, GtkEventController* controller, const char* signal,
           GCallback callback, const Handler& handler) {
    gtk_event_controller_set_propagation_phase(controller, GTK_PHASE_CAPTURE);
    g_signal_connect_data(controller, signal, callback, new Handler(handler), deleteHandler,
                          GConnectFlags{});
    const std::string key = std::string("belltide-") + signal;
    g_object_set_data_full(G_OBJECT(widget), key.c_str(), controller, g_object_unref);
}

} // namespace

void onAboutToDropDown(wxChoice* list, std::function<void()> handler) {
    // wxGTK reports a drop-down only after the list has been sized and shown.
    GtkWidget* widget = list->GetHandle();
    // GTK dims an empty list, which then never drops down and so never learns of new items.
    gtk_combo_box_set_button_sensitivity(GTK_COMBO_BOX(widget), GTK_SENSITIVITY_ON);
    watch(widget, GTK_EVENT_CONTROLLER(gtk_gesture_multi_press_new(widget)), "pressed",
          G_CALLBACK(pressed), handler);
    watch(widget, gtk_event_controller_key_new(widget), "key-pressed", G_CALLBACK(keyPressed),
          handler);
}

bool isHandlingUserInput() {
    GdkEvent* event = gtk_get_current_event();
    if (!event)
        return false;
    const GdkEventType type = event->type;
    gdk_event_free(event);
    return type == GDK_BUTTON_PRESS || type == GDK_2BUTTON_PRESS || type == GDK_BUTTON_RELEASE ||
           type == GDK_KEY_PRESS || type == GDK_KEY_RELEASE || type == GDK_TOUCH_BEGIN ||
           type == GDK_TOUCH_END;
}

bool isMenuShown() {
    // A menu or a drop-down list grabs the input while it is open.
    GtkWidget* grab = gtk_grab_get_current();
    return grab && (GTK_IS_MENU_SHELL(grab) ||
                    (GTK_IS_WINDOW(grab) &&
                     gtk_window_get_window_type(GTK_WINDOW(grab)) == GTK_WINDOW_POPUP));
}

bool hasScreenPlace(const wxWindow* window) {
    return gtk_widget_get_realized(window->GetHandle());
}

void restoreFocus(wxWindow* control) {
    // GTK drops the focus of a window whose controls were disabled, while wxWidgets still counts
    // it where it was, and so would not set it again.
    // A list's own window, not its headings.
    gtk_widget_child_focus(control->GetMainWindowOfCompositeControl()->GetHandle(),
                           GTK_DIR_TAB_FORWARD);
}

void drawTicksFromPictures() {
    GdkScreen* screen = gdk_screen_get_default();
    if (!screen)
        return;
    // Kept for the program's life, as the settings it listens to.
    GtkCssProvider* style = gtk_css_provider_new();
    gtk_css_provider_load_from_data(style, TickStyle, -1, nullptr);
    GtkSettings* settings = gtk_settings_get_for_screen(screen);
    styleTicksFor(settings, nullptr, style);
    g_signal_connect(settings, "notify::gtk-theme-name", G_CALLBACK(styleTicksFor), style);
}

void placeBeforeShow(wxTopLevelWindow* window) {
    // wxGTK keeps a position set before the window exists to itself until the window is shown,
    // and then the window manager has already placed it where it likes.
    GtkWidget* widget = window->GetHandle();
    wxPoint at = window->GetPosition();
    if (gtk_widget_get_realized(widget))
        placeNativeWindow(widget, &at);
    else
        g_signal_connect_data(widget, "realize", G_CALLBACK(placeNativeWindow), new wxPoint(at),
                              deletePosition, GConnectFlags{});
}

#else

void onAboutToDropDown(wxChoice* list, std::function<void()> handler) {
    list->Bind(wxEVT_COMBOBOX_DROPDOWN, [handler](wxCommandEvent&) { handler(); });
}

bool isHandlingUserInput() {
    return true;
}

bool isMenuShown() {
#ifdef __WXMSW__
    // A count of wx's menu events would not do: an accelerator (F1, Ctrl+S) opens its menu to
    // Windows without ever closing it.
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    return GetGUIThreadInfo(GetCurrentThreadId(), &info) &&
           (info.flags & (GUI_INMENUMODE | GUI_POPUPMENUMODE | GUI_SYSTEMMENUMODE)) != 0;
#else
    return false;
#endif
}

bool hasScreenPlace(const wxWindow* window) {
    return window->IsShownOnScreen();
}

void restoreFocus(wxWindow* control) {
    control->SetFocus();
}

void drawTicksFromPictures() {}

void placeBeforeShow(wxTopLevelWindow*) {}

#endif
