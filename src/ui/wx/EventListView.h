// The event list widget: a virtual report list that shows the rows of its CEventListCtrl.
#pragma once

#include "ui/Controls.h"

#include <wx/listctrl.h>

#include <functional>
#include <string>
#include <vector>

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

    // Widths the user gave the columns at an earlier start; none narrower than these is fitted.
    void setLeastColumnWidths(const std::vector<int>& widths);
    std::vector<int> columnWidths() const;
    // After a change of the list's size: each column as wide as it wants, within the list.
    void refitColumns();

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
    // The file name shortened in its middle to the column's width, so that its extension shows.
    wxString fittedName(const wxString& name) const;
    // The whole file name as the tooltip of a shortened one under the pointer.
    void showNameTip(wxMouseEvent& event);

    friend class EventListDropTarget;
    void dropFile(wxCoord x, wxCoord y, const std::string& path);

    CEventListCtrl* m_model = nullptr;
    Handlers m_handlers;
    mutable wxItemAttr m_dimmed;
    // The width each column asks for: its fit, or what the user dragged it to.
    std::vector<int> m_wanted;
    std::vector<int> m_least;
};
