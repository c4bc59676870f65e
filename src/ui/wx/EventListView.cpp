#include "EventListView.h"

#include "WxText.h"

EventListView::EventListView(wxWindow* parent, wxWindowID id, const wxPoint& pos,
                             const wxSize& size)
    : wxListCtrl(parent, id, pos, size,
                 wxLC_REPORT | wxLC_VIRTUAL | wxLC_SINGLE_SEL | wxBORDER_SUNKEN) {
    Bind(wxEVT_LIST_ITEM_SELECTED, [this](wxListEvent& event) {
        m_selectionMark = static_cast<int>(event.GetIndex());
        event.Skip();
    });
}

void EventListView::syncRowCount() {
    SetItemCount(static_cast<long>(m_rows.size()));
    Refresh();
}

wxString EventListView::OnGetItemText(long item, long column) const {
    if (item < 0 || static_cast<std::size_t>(item) >= m_rows.size() || column < 0 || column > 2)
        return {};
    return toWx(m_rows[static_cast<std::size_t>(item)][static_cast<std::size_t>(column)]);
}
