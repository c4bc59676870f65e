// The event list widget: a virtual report list that shows the rows of its CEventListCtrl.
#pragma once

#include "ui/Controls.h"

#include <wx/listctrl.h>

#include <functional>
#include <limits>
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

    void insertColumn(int column, const ListColumn& layout) override;
    void setRowCount(int count) override;
    void refreshRows(int first, int last) override;
    void fitColumns() override;
    void showSelected(int row) override;
    void showSoundMenu() override;

    // The widths the user dragged the columns to at an earlier start (0: none); set before the
    // columns are inserted.
    void setDraggedWidths(const std::vector<int>& widths);
    std::vector<int> draggedWidths() const { return m_dragged; }

protected:
    wxString OnGetItemText(long item, long column) const override;
    wxItemAttr* OnGetItemAttr(long item) const override;

private:
    // The width that shows the text whole in a cell.
    int cellWidth(const std::string& text) const;
    // The file name shortened in its middle to the column's width, so that its extension shows.
    wxString fittedName(const wxString& name) const;
    // The whole file name as the tooltip of a shortened one under the pointer.
    void showNameTip(wxMouseEvent& event);

    friend class EventListDropTarget;
    void dropFile(wxCoord x, wxCoord y, const std::string& path);

    CEventListCtrl* m_model = nullptr;
    Handlers m_handlers;
    mutable wxItemAttr m_dimmed;
    std::vector<ListColumn> m_columns;
    std::vector<int> m_dragged;
    // The least and the most the list has taken beyond its rows' width: without and with a
    // vertical scroll bar.
    int m_leastFrame = std::numeric_limits<int>::max(), m_mostFrame = 0;
};
