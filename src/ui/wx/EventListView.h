// The event list widget: a virtual report list that shows the rows of its CEventListCtrl.
#pragma once

#include "ui/Controls.h"

#include <wx/listctrl.h>

#include <functional>
#include <string>

class CEventListCtrl;

class EventListView : public wxListCtrl, public ListView {
public:
    // What the window does when the user selects a row, and with a file dropped on a row.
    struct Handlers {
        std::function<void()> rowSelected;
        std::function<void(int row, const std::string& path)> fileDropped;
    };

    EventListView(wxWindow* parent, wxWindowID id, const wxPoint& pos, const wxSize& size);

    // The list whose rows are shown; set once, before the first row is added.
    void setModel(CEventListCtrl* model) { m_model = model; }
    void setHandlers(Handlers handlers) { m_handlers = std::move(handlers); }

    void insertColumn(int column, const std::string& heading, ColumnAlign align,
                      int widthPixels) override;
    void setRowCount(int count) override;
    void refreshRows(int first, int last) override;
    void fitColumn(int column, int minWidthPixels) override;
    void showSelected(int row) override;
    void showSoundMenu() override;

    // The list is not a tab stop, as in the window's template.
    bool AcceptsFocusFromKeyboard() const override { return false; }

protected:
    wxString OnGetItemText(long item, long column) const override;
    wxItemAttr* OnGetItemAttr(long item) const override;

private:
    // The width that shows the column's heading whole.
    int headingWidth(int column) const;
    // The width that shows the column's heading and its widest cell whole.
    int wholeWidth(int column) const;
    // Columns wider than the list give up width from the right-most name column first, never
    // below their heading; the sizes always stay whole.
    void keepColumnsInside();

    friend class EventListDropTarget;
    void dropFile(wxCoord x, wxCoord y, const std::string& path);

    CEventListCtrl* m_model = nullptr;
    Handlers m_handlers;
    mutable wxItemAttr m_dimmed;
};
