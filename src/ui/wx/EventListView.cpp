#include "EventListView.h"

#include "WxText.h"
#include "ui/CEventListCtrl.h"
#include "ui/ControlIds.h"
#include "ui/Shortcuts.h"
#include "ui/wx/BelltideFrame.h"

#include <wx/control.h>
#include <wx/dcmemory.h>
#include <wx/dnd.h>
#include <wx/menu.h>
#include <wx/settings.h>

#include <algorithm>
#include <utility>

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
    Bind(wxEVT_LIST_COL_END_DRAG, [this](wxListEvent& event) {
        // The new width is known once the drag's own handling is over; it stays.
        CallAfter([this, column = event.GetColumn()] {
            if (column < 0 || column >= GetColumnCount())
                return;
            m_dragged.resize(std::max(m_dragged.size(), std::size_t(column) + 1));
            m_dragged[std::size_t(column)] = std::max(1, GetColumnWidth(column));
            fitColumns();
        });
        event.Skip();
    });
#ifdef __WXMSW__
    Bind(wxEVT_MOTION, &EventListView::showNameTip, this);
#else
    // The generic list shows its rows in its first child window, which gets the pointer's moves.
    if (!GetChildren().empty())
        GetChildren().front()->Bind(wxEVT_MOTION, &EventListView::showNameTip, this);
#endif
    // From no selection, Down selects the first row: the list's own focus mark, left on the first
    // row, would move past it.
    Bind(wxEVT_KEY_DOWN, [this](wxKeyEvent& event) {
        const int key = event.GetKeyCode();
        if ((key != WXK_DOWN && key != WXK_NUMPAD_DOWN) || event.HasAnyModifiers() ||
            GetItemCount() == 0 || GetSelectedItemCount() != 0) {
            event.Skip();
            return;
        }
        SetItemState(0, wxLIST_STATE_SELECTED | wxLIST_STATE_FOCUSED,
                     wxLIST_STATE_SELECTED | wxLIST_STATE_FOCUSED);
        EnsureVisible(0);
    });
    Bind(wxEVT_LIST_ITEM_SELECTED, [this](wxListEvent& event) {
        if (m_model)
            m_model->setSelectionMark(static_cast<int>(event.GetIndex()));
        if (m_handlers.rowSelected)
            m_handlers.rowSelected();
    });
}

void EventListView::insertColumn(int column, const ListColumn& layout) {
    InsertColumn(column, toWx(layout.heading),
                 layout.align == ColumnAlign::Right ? wxLIST_FORMAT_RIGHT : wxLIST_FORMAT_LEFT);
    m_columns.insert(m_columns.begin() + std::min(std::size_t(column), m_columns.size()), layout);
    fitColumns();
}

void EventListView::setDraggedWidths(const std::vector<int>& widths) {
    m_dragged.clear();
    // A width from another screen's resolution must not push the other columns out.
    for (const int width : widths)
        m_dragged.push_back(std::min(width, FromDIP(600)));
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
constexpr int SoundsColumn = 1;
constexpr int ClassicScrollBar = 16;

} // namespace

int EventListView::cellWidth(const std::string& text) const {
    return GetTextExtent(toWx(text)).x + FromDIP(CellMargins);
}

void EventListView::fitColumns() {
    std::vector<CEventListCtrl::ColumnNeed> needs;
    for (std::size_t column = 0; column < m_columns.size(); ++column) {
        const ListColumn& layout = m_columns[column];
        CEventListCtrl::ColumnNeed need;
        need.takesRest = layout.takesRest;
        need.dragged = column < m_dragged.size() ? m_dragged[column] : 0;
        for (const std::string& sample : layout.samples)
            need.least = std::max(need.least, cellWidth(sample));
        need.least = std::max(need.least, cellWidth(layout.heading));
        need.wanted = need.least;
        // The rest column's names are shortened in the middle instead; any other text is whole.
        for (int row = 0; !layout.takesRest && m_model && row < m_model->rowCount(); ++row)
            need.wanted = std::max(need.wanted, cellWidth(m_model->cellText(row, int(column))));
        // Only a name column gives way: sizes and lengths are always read whole.
        if (layout.align == ColumnAlign::Right)
            need.least = need.wanted;
        else if (!layout.takesRest)
            need.least = cellWidth(layout.heading);
        needs.push_back(need);
    }
    // The room is the same with a vertical scroll bar or without, so that widths stay as they
    // are when rows come and go: what the list takes beyond its rows is least without a bar, and
    // room is kept for the widest of the bar it has shown, the one the toolkit states and a
    // classic bar (GTK states its overlay indicator's narrower width).
    const int frame = GetSize().x - GetClientSize().x;
    m_leastFrame = std::min(m_leastFrame, frame);
    m_mostFrame = std::max(m_mostFrame, frame);
    const int bar =
        std::max({m_mostFrame - m_leastFrame, wxSystemSettings::GetMetric(wxSYS_VSCROLL_X, this),
                  FromDIP(ClassicScrollBar)});
    const int room = GetSize().x - m_leastFrame - bar;
    const std::vector<int> widths = CEventListCtrl::shareWidths(room, needs);
    for (std::size_t column = 0; column < widths.size(); ++column)
        if (GetColumnWidth(int(column)) != widths[column])
            SetColumnWidth(int(column), widths[column]);
}

void EventListView::showSelected(int row) {
    SetItemState(row, wxLIST_STATE_SELECTED, wxLIST_STATE_SELECTED);
}

void EventListView::showSoundMenu() {
    wxMenu menu;
    for (const auto& [command, text] :
         {std::pair{CommandId::PopupPlay, "&Play"}, std::pair{CommandId::PopupChange, "&Change"},
          std::pair{CommandId::PopupNoSound, "&No Sound"}})
        menu.Append(BelltideFrame::menuId(command), toWx(menuText(text, command)));
    PopupMenu(&menu);
}

wxString EventListView::fittedName(const wxString& name) const {
    const int room = GetColumnWidth(SoundsColumn) - FromDIP(CellMargins);
    if (GetTextExtent(name).x <= room)
        return name;
    wxMemoryDC dc;
    dc.SetFont(GetFont());
    return wxControl::Ellipsize(name, dc, wxELLIPSIZE_MIDDLE, std::max(room, 0));
}

void EventListView::showNameTip(wxMouseEvent& event) {
    event.Skip();
    auto* over = static_cast<wxWindow*>(event.GetEventObject());
    int flags = 0;
    const long row = HitTest(event.GetPosition(), flags);
    const int x = event.GetPosition().x;
    const int soundsLeft = GetColumnWidth(0);
    wxString tip;
    if (m_model && row != wxNOT_FOUND && x >= soundsLeft &&
        x < soundsLeft + GetColumnWidth(SoundsColumn)) {
        const wxString name = toWx(m_model->cellText(static_cast<int>(row), SoundsColumn));
        if (fittedName(name) != name)
            tip = name;
    }
    if (tip.empty())
        over->UnsetToolTip();
    else if (over->GetToolTipText() != tip)
        over->SetToolTip(tip);
}

wxString EventListView::OnGetItemText(long item, long column) const {
    if (!m_model)
        return wxString();
    const wxString text = toWx(m_model->cellText(static_cast<int>(item), static_cast<int>(column)));
    return column == SoundsColumn ? fittedName(text) : text;
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
