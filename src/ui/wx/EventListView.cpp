#include "EventListView.h"

#include "WxText.h"
#include "ui/CEventListCtrl.h"
#include "ui/ControlIds.h"
#include "ui/wx/BelltideFrame.h"

#include <wx/dnd.h>
#include <wx/menu.h>
#include <wx/settings.h>

#include <algorithm>

class EventListDropTarget : public wxFileDropTarget {
public:
    explicit EventListDropTarget(EventListView* list) : m_list(list) {}
    bool OnDropFiles(wxCoord x, wxCoord y, const wxArrayString& files) override {
        if (files.size() != 1)
            return false;
        m_list->dropFile(x, y, fromWx(files[0]));
        return true;
    }

private:
    EventListView* m_list;
};

EventListView::EventListView(wxWindow* parent, wxWindowID id, const wxPoint& pos,
                             const wxSize& size)
    : wxListCtrl(parent, id, pos, size,
                 wxLC_REPORT | wxLC_VIRTUAL | wxLC_SINGLE_SEL | wxBORDER_SUNKEN) {
    SetDropTarget(new EventListDropTarget(this));
    Bind(wxEVT_LIST_ITEM_SELECTED, [this](wxListEvent& event) {
        if (m_model)
            m_model->setSelectionMark(static_cast<int>(event.GetIndex()));
        if (m_handlers.rowSelected)
            m_handlers.rowSelected();
    });
}

void EventListView::insertColumn(int column, const std::string& heading, ColumnAlign align,
                                 int widthPixels) {
    InsertColumn(column, toWx(heading),
                 align == ColumnAlign::Right ? wxLIST_FORMAT_RIGHT : wxLIST_FORMAT_LEFT,
                 widthPixels);
}

void EventListView::setRowCount(int count) {
    const long selected = GetNextItem(-1, wxLIST_NEXT_ALL, wxLIST_STATE_SELECTED);
    if (selected != -1)
        SetItemState(selected, 0, wxLIST_STATE_SELECTED);
    SetItemCount(count);
    Refresh();
}

void EventListView::refreshRows(int first, int last) {
    if (first >= 0 && last >= first && last < GetItemCount())
        RefreshItems(first, last);
}

namespace {

// Room for the cell's margins on both sides of the text.
constexpr int CellMargins = 16;
constexpr int SizeColumn = 2;

} // namespace

int EventListView::headingWidth(int column) const {
    wxListItem heading;
    heading.SetMask(wxLIST_MASK_TEXT);
    GetColumn(column, heading);
    return GetTextExtent(heading.GetText()).x + FromDIP(CellMargins);
}

int EventListView::wholeWidth(int column) const {
    int widest = headingWidth(column);
    for (int row = 0; m_model && row < m_model->rowCount(); ++row)
        widest = std::max(widest, GetTextExtent(toWx(m_model->cellText(row, column))).x +
                                      FromDIP(CellMargins));
    return widest;
}

void EventListView::fitColumn(int column, int minWidthPixels) {
    SetColumnWidth(column, std::max(minWidthPixels, wholeWidth(column)));
    keepColumnsInside();
}

void EventListView::keepColumnsInside() {
    if (GetColumnCount() <= SizeColumn)
        return;
    SetColumnWidth(SizeColumn, std::max(GetColumnWidth(SizeColumn), wholeWidth(SizeColumn)));
    // Room is kept for a vertical scroll bar that is not shown yet.
    const int room =
        GetClientSize().x -
        (HasScrollbar(wxVERTICAL) ? 0 : wxSystemSettings::GetMetric(wxSYS_VSCROLL_X, this));
    int excess = -room;
    for (int column = 0; column < GetColumnCount(); ++column)
        excess += GetColumnWidth(column);
    for (int column = SizeColumn - 1; column >= 0 && excess > 0; --column) {
        const int least = headingWidth(column);
        const int given = std::min(excess, std::max(0, GetColumnWidth(column) - least));
        SetColumnWidth(column, GetColumnWidth(column) - given);
        excess -= given;
    }
}

void EventListView::showSelected(int row) {
    SetItemState(row, wxLIST_STATE_SELECTED, wxLIST_STATE_SELECTED);
}

void EventListView::showSoundMenu() {
    wxMenu menu;
    menu.Append(BelltideFrame::menuId(CommandId::PopupPlay), "Play");
    menu.Append(BelltideFrame::menuId(CommandId::PopupChange), "Change");
    menu.Append(BelltideFrame::menuId(CommandId::PopupNoSound), "No Sound");
    PopupMenu(&menu);
}

wxString EventListView::OnGetItemText(long item, long column) const {
    return m_model ? toWx(m_model->cellText(static_cast<int>(item), static_cast<int>(column)))
                   : wxString();
}

wxItemAttr* EventListView::OnGetItemAttr(long item) const {
    const auto colour = m_model ? m_model->textColour(static_cast<int>(item)) : std::nullopt;
    if (!colour)
        return nullptr;
    m_dimmed.SetTextColour(wxColour((*colour >> 16) & 0xFF, (*colour >> 8) & 0xFF, *colour & 0xFF));
    return &m_dimmed;
}

void EventListView::dropFile(wxCoord x, wxCoord y, const std::string& path) {
    int flags = 0;
    const long row = HitTest(wxPoint(x, y), flags);
    if (m_handlers.fileDropped && row != wxNOT_FOUND && (flags & wxLIST_HITTEST_ONITEM))
        m_handlers.fileDropped(static_cast<int>(row), path);
}
