// Where the main window stood when it closed: kept in the user's settings for the next start.
#pragma once

#include "ui/Controls.h"

#include <optional>
#include <vector>

struct ScreenRect {
    int x = 0, y = 0, width = 0, height = 0;
    bool operator==(const ScreenRect&) const = default;
};

struct WindowPlacement {
    // Size and position while neither maximised nor minimised.
    std::optional<ScreenRect> normal;
    bool maximized = false;
    // The widths the user dragged the list's columns to; 0 for a column not dragged.
    std::vector<int> columnWidths;

    // What the settings hold; anything unreadable or out of reason is left out.
    static WindowPlacement read(const Settings& settings);
    void write(Settings& settings) const;

    // The saved rectangle, if its middle lies on one of the screens' work areas, made no smaller
    // than the least size and no larger than that work area, and moved inside it; nothing when
    // there is no rectangle or its screen is gone, and the toolkit places the window.
    std::optional<ScreenRect> placeOn(const std::vector<ScreenRect>& workAreas, int leastWidth,
                                      int leastHeight) const;
};
