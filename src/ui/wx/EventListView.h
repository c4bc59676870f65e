// The event list widget: a virtual report list that shows the rows its adapter holds.
#pragma once

#include <wx/listctrl.h>

#include <array>
#include <string>
#include <vector>

class EventListView : public wxListCtrl {
public:
    using Row = std::array<std::string, 3>;

    EventListView(wxWindow* parent, wxWindowID id, const wxPoint& pos, const wxSize& size);

    std::vector<Row>& rows() { return m_rows; }
    const std::vector<Row>& rows() const { return m_rows; }
    // Tells the control that the rows changed in number.
    void syncRowCount();

    // The row the user last selected with the mouse or the keyboard; -1 for none.
    int selectionMark() const { return m_selectionMark; }
    void clearSelectionMark() { m_selectionMark = -1; }

    // The list is not a tab stop, as in the window's template.
    bool AcceptsFocusFromKeyboard() const override { return false; }

protected:
    wxString OnGetItemText(long item, long column) const override;

private:
    std::vector<Row> m_rows;
    int m_selectionMark = -1;
};
