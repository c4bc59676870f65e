// The event list: its rows, the row the user selected, and which rows are drawn dimmed
// (UI thread only). The widget that shows it is a ListView.
#pragma once

#include "ui/Controls.h"

#include <array>
#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <vector>

class CEventListCtrl {
public:
    using Row = std::array<std::string, 4>; // "Events", "Sounds", "Size", "Length"
    static constexpr std::uint32_t DimmedTextColour = 0x808080;

    explicit CEventListCtrl(ListView& view) : m_view(view) {}

    void insertColumn(int column, const ListColumn& layout) { m_view.insertColumn(column, layout); }
    // Shares the list's width among the columns again, after their texts changed.
    void fitColumns() { m_view.fitColumns(); }

    // What a column's width is made of, in pixels: what its texts need, the least it may be
    // given, and the width the user dragged it to (0: none).
    struct ColumnNeed {
        int wanted = 0, least = 0, dragged = 0;
        bool takesRest = false;
    };
    // The columns' widths within room: a column the user dragged keeps its width; the others get
    // what they want, and the one that takes the rest all that is left, never less than its
    // least. Short of room, the others give way from the left, each down to its least.
    static std::vector<int> shareWidths(int room, const std::vector<ColumnNeed>& columns);
    // Removes every row; no row is selected afterwards. The dimmed rows stay as they are.
    void deleteAllRows();
    // Inserts a row with the text of column 0; the other columns start empty.
    void insertRow(int row, const std::string& text);
    void setCellText(int row, int column, const std::string& text);
    std::string cellText(int row, int column) const;
    int rowCount() const { return static_cast<int>(m_rows.size()); }
    const std::vector<Row>& rows() const { return m_rows; }

    // The row the user last selected; -1 when none is.
    int selectionMark() const { return m_selectionMark; }
    // Called by the widget when the user selects a row.
    void setSelectionMark(int row);
    // Marks the row as selected in the widget too.
    void selectRow(int row);

    // Row positions, not events: inserting or deleting rows does not move them.
    void dimRow(std::int32_t row) { m_dimmedRows.insert(row); }
    void undimRow(std::int32_t row) { m_dimmedRows.erase(row); }
    // The text colour of a row, or none for the list's own.
    std::optional<std::uint32_t> textColour(int row) const;
    void redrawRow(int row) { m_view.refreshRows(row, row); }

    // The popup menu of the sound commands, at the pointer.
    void showSoundMenu() { m_view.showSoundMenu(); }

private:
    bool isRow(int row) const { return row >= 0 && row < rowCount(); }
    static bool isColumn(int column) { return column >= 0 && column < int(std::tuple_size_v<Row>); }

    ListView& m_view;
    std::vector<Row> m_rows;
    std::set<std::int32_t> m_dimmedRows;
    int m_selectionMark = -1;
};
