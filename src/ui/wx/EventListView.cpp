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
        // The new width is known once the drag's own handling is over.
        CallAfter([this, column = event.GetColumn()] {
            if (column >= 0 && column < static_cast<int>(m_wanted.size()))
                m_wanted[std::size_t(column)] = GetColumnWidth(column);
            keepColumnsInside();
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

void EventListView::insertColumn(int column, const std::string& heading, ColumnAlign align,
                                 int widthPixels) {
    const auto at = std::size_t(column);
    if (at < m_least.size())
        widthPixels = std::max(widthPixels, m_least[at]);
    InsertColumn(column, toWx(heading),
                 align == ColumnAlign::Right ? wxLIST_FORMAT_RIGHT : wxLIST_FORMAT_LEFT,
                 widthPixels);
    m_wanted.insert(m_wanted.begin() + std::min(at, m_wanted.size()), widthPixels);
    // The template's widths together are wider than the list at the smallest window on Windows.
    keepColumnsInside();
}

void EventListView::setLeastColumnWidths(const std::vector<int>& widths) {
    m_least.clear();
    // A width from another screen's resolution must not push the other columns out.
    for (const int width : widths)
        m_least.push_back(std::min(width, FromDIP(600)));
}

std::vector<int> EventListView::columnWidths() const {
    std::vector<int> widths;
    for (int column = 0; column < GetColumnCount(); ++column)
        widths.push_back(GetColumnWidth(column));
    return widths;
}

void EventListView::refitColumns() {
    for (int column = 0; column < GetColumnCount() && column < int(m_wanted.size()); ++column)
        SetColumnWidth(column, m_wanted[std::size_t(column)]);
    keepColumnsInside();
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
    const auto at = std::size_t(column);
    int width = std::max(minWidthPixels, wholeWidth(column));
    if (at < m_least.size())
        width = std::max(width, m_least[at]);
    if (at < m_wanted.size())
        m_wanted[at] = width;
    SetColumnWidth(column, width);
    keepColumnsInside();
}

void EventListView::keepColumnsInside() {
    const int columns = GetColumnCount();
    if (columns <= SizeColumn)
        return;
    // Size and Length are always read whole; the names are cut in the middle.
    for (int column = SizeColumn; column < columns; ++column)
        SetColumnWidth(column, std::max(GetColumnWidth(column), wholeWidth(column)));
    // Room is kept for a vertical scroll bar that is not shown yet.
    const int room =
        GetClientSize().x -
        (HasScrollbar(wxVERTICAL) ? 0 : wxSystemSettings::GetMetric(wxSYS_VSCROLL_X, this));
    int excess = -room;
    for (int column = 0; column < columns; ++column)
        excess += GetColumnWidth(column);
    // Room the short columns have beyond their texts goes first, then the sounds' names.
    for (int column = columns - 1; column >= 0 && excess > 0; --column) {
        const int least = column >= SizeColumn ? wholeWidth(column) : headingWidth(column);
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
