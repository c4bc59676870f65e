// The real main window made for a test, and waits on the toolkit's event loop.
#pragma once

#include "support/ArchiveBytes.h"
#include "support/FakeControls.h"
#include "support/TempFolder.h"
#include "ui/ControlIds.h"
#include "ui/wx/BelltideFrame.h"
#include "ui/wx/ProgressDialog.h"

#include <gtest/gtest.h>

#include <wx/app.h>
#include <wx/choice.h>
#include <wx/listctrl.h>
#include <wx/time.h>
#include <wx/timer.h>
#include <wx/toplevel.h>
#include <wx/uiaction.h>

#include <functional>
#include <gtk/gtk.h>

namespace fs = std::filesystem;

// Runs the event loop until the condition holds; false when the time ran out first.
inline bool waitUntil(const std::function<bool()>& condition, int milliseconds = 3000) {
    const auto end = wxGetLocalTimeMillis() + milliseconds;
    for (; !condition(); wxMilliSleep(10), wxYield())
        if (wxGetLocalTimeMillis() >= end)
            return false;
    return true;
}

// A shown top-level window of the toolkit that matches, if any.
inline GtkWidget* shownWindow(bool (*matches)(GtkWidget*)) {
    GList* windows = gtk_window_list_toplevels();
    GtkWidget* found = nullptr;
    for (GList* item = windows; item; item = item->next)
        if (gtk_widget_get_visible(GTK_WIDGET(item->data)) && matches(GTK_WIDGET(item->data)))
            found = GTK_WIDGET(item->data);
    g_list_free(windows);
    return found;
}

// A shown top-level window of wx of this type, other than the one given, if any.
template <class Window = wxTopLevelWindow> Window* shownTopLevel(const wxWindow* other = nullptr) {
    for (wxWindow* window : wxTopLevelWindows)
        if (auto* found = dynamic_cast<Window*>(window);
            found && found != other && found->IsShown())
            return found;
    return nullptr;
}

// Acts every few milliseconds while the test waits in a modal dialog's own event loop.
inline std::unique_ptr<wxTimer> ticking(std::function<void()> act, int milliseconds = 50) {
    auto timer = std::make_unique<wxTimer>();
    timer->Bind(wxEVT_TIMER, [act = std::move(act)](wxTimerEvent&) { act(); });
    timer->Start(milliseconds);
    return timer;
}

class MainWindowGui : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directory_symlink(fs::path(BELLTIDE_BUILD_DIR) / "artwork",
                                     folder.path() / "artwork");
        auto scripted = std::make_unique<ScriptedPrompts>();
        auto recorder = std::make_unique<RecordingSoundPlayer>();
        prompts = scripted.get();
        sound = recorder.get();
        frame = new BelltideFrame(pcText(folder.path() / "belltide"), "",
                                  FrameServices{std::move(recorder), std::move(scripted), device});
        frame->Show();
        // A window manager places and activates the window only after it is shown.
        frame->Raise();
        ASSERT_TRUE(waitUntil([&] { return frame->IsActive(); }));
    }
    void TearDown() override {
        if (!wxTheApp->IsScheduledForDestruction(frame))
            frame->Destroy();
        wxTheApp->ProcessIdle();
    }

    wxWindow* control(int id) const { return frame->FindWindow(id); }
    // A command event as the control or the menu sends it.
    void send(wxEventType type, int id) {
        wxWindow* from = type == wxEVT_MENU ? frame : control(id);
        wxCommandEvent event(type, type == wxEVT_MENU ? BelltideFrame::menuId(id) : id);
        event.SetEventObject(from);
        from->ProcessWindowEvent(event);
        wxYield();
    }
    void clickAt(const wxPoint& screen) {
        wxUIActionSimulator mouse;
        mouse.MouseMove(screen);
        wxYield();
        mouse.MouseClick();
        wxYield();
    }
    wxListCtrl* list() const { return static_cast<wxListCtrl*>(control(ControlId::EventList)); }
    wxChoice* combo() const { return static_cast<wxChoice*>(control(ControlId::ThemeList)); }
    std::string themesDir() const { return frame->logic().folders().themesDir; }
    std::vector<int> columnWidths() const {
        std::vector<int> widths;
        for (int column = 0; column < list()->GetColumnCount(); ++column)
            widths.push_back(list()->GetColumnWidth(column));
        return widths;
    }
    bool focusIsIn(int id) const {
        GtkWidget* focus = gtk_window_get_focus(GTK_WINDOW(frame->GetHandle()));
        GtkWidget* widget = control(id)->GetHandle();
        return focus && (focus == widget || gtk_widget_is_ancestor(focus, widget));
    }
    static void pressKey(int key, int modifiers = wxMOD_NONE) {
        wxUIActionSimulator().Char(key, modifiers);
        wxYield();
    }

    TempFolder folder;
    RemoteDeviceFactory device; // none unless a test gives one before the window is made
    BelltideFrame* frame = nullptr;
    ScriptedPrompts* prompts = nullptr;
    RecordingSoundPlayer* sound = nullptr;
};
