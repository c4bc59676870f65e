#include "CEventListCtrl.h"

#include <algorithm>

std::vector<int> CEventListCtrl::shareWidths(int room, const std::vector<ColumnNeed>& columns) {
    std::vector<int> widths;
    int used = 0;
    for (const ColumnNeed& column : columns) {
        widths.push_back(column.dragged > 0 ? column.dragged : column.wanted);
        used += widths.back();
    }
    const auto rest = std::find_if(columns.begin(), columns.end(), [](const ColumnNeed& column) {
        return column.takesRest && column.dragged == 0;
    });
    if (rest != columns.end()) {
        int& width = widths[std::size_t(rest - columns.begin())];
        used -= width;
        width = std::max(rest->least, room - used);
        used += width;
    }
    for (std::size_t i = 0; i < columns.size() && used > room; ++i) {
        if (columns[i].dragged > 0)
            continue;
        const int given = std::min(used - room, std::max(0, widths[i] - columns[i].least));
        widths[i] -= given;
        used -= given;
    }
    return widths;
}

void CEventListCtrl::deleteAllRows() {
    m_rows.clear();
    m_selectionMark = -1;
    m_view.setRowCount(0);
}

void CEventListCtrl::insertRow(int row, const std::string& text) {
    const int at = row < 0 ? 0 : (row > rowCount() ? rowCount() : row);
    m_rows.insert(m_rows.begin() + at, Row{text});
    m_view.setRowCount(rowCount());
}

void CEventListCtrl::setCellText(int row, int column, const std::string& text) {
    if (!isRow(row) || !isColumn(column))
        return;
    m_rows[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)] = text;
    m_view.refreshRows(row, row);
}

std::string CEventListCtrl::cellText(int row, int column) const {
    if (!isRow(row) || !isColumn(column))
        return {};
    return m_rows[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)];
}

void CEventListCtrl::setSelectionMark(int row) {
    m_selectionMark = isRow(row) ? row : -1;
}

void CEventListCtrl::selectRow(int row) {
    if (!isRow(row))
        return;
    m_selectionMark = row;
    m_view.showSelected(row);
}

std::optional<std::uint32_t> CEventListCtrl::textColour(int row) const {
    if (m_dimmedRows.count(row) != 0)
        return DimmedTextColour;
    return std::nullopt;
}
