#include "WindowPlacement.h"

#include <algorithm>
#include <charconv>
#include <string>

namespace {

constexpr const char* RectKey = "Window/Rect";
constexpr const char* MaximizedKey = "Window/Maximized";
// The widths the user dragged the list's columns to, 0 for one left to fit its texts. (An earlier
// "Window/Columns" held every width, fitted or not, and is no longer read.)
constexpr const char* ColumnsKey = "Window/ColumnWidths";
// Larger than any screen: a value beyond it was not written by this program.
constexpr int LargestCoordinate = 100000;

// Comma-separated whole numbers within the range; empty when any is not.
std::vector<int> numbers(const std::string& text, int least) {
    std::vector<int> values;
    const char* at = text.data();
    const char* const end = text.data() + text.size();
    while (at < end) {
        int value = 0;
        const auto [next, error] = std::from_chars(at, end, value);
        if (error != std::errc() || value < least || value > LargestCoordinate)
            return {};
        values.push_back(value);
        if (next == end)
            break;
        if (*next != ',')
            return {};
        at = next + 1;
    }
    return values;
}

std::string joined(const std::vector<int>& values) {
    std::string text;
    for (const int value : values) {
        if (!text.empty())
            text += ',';
        text.append(std::to_string(value));
    }
    return text;
}

} // namespace

WindowPlacement WindowPlacement::read(const Settings& settings) {
    WindowPlacement placement;
    const auto rect = numbers(settings.text(RectKey), -LargestCoordinate);
    if (rect.size() == 4 && rect[2] > 0 && rect[3] > 0)
        placement.normal = ScreenRect{rect[0], rect[1], rect[2], rect[3]};
    placement.maximized = settings.text(MaximizedKey) == "1";
    placement.columnWidths = numbers(settings.text(ColumnsKey), 0);
    return placement;
}

void WindowPlacement::write(Settings& settings) const {
    if (normal)
        settings.setText(RectKey, joined({normal->x, normal->y, normal->width, normal->height}));
    settings.setText(MaximizedKey, maximized ? "1" : "0");
    settings.setText(ColumnsKey, joined(columnWidths));
}

std::optional<ScreenRect> WindowPlacement::placeOn(const std::vector<ScreenRect>& workAreas,
                                                   int leastWidth, int leastHeight) const {
    if (!normal)
        return std::nullopt;
    const int middleX = normal->x + normal->width / 2, middleY = normal->y + normal->height / 2;
    const auto screen = std::find_if(workAreas.begin(), workAreas.end(), [&](const ScreenRect& s) {
        return middleX >= s.x && middleX < s.x + s.width && middleY >= s.y &&
               middleY < s.y + s.height;
    });
    if (screen == workAreas.end())
        return std::nullopt;
    ScreenRect placed = *normal;
    placed.width = std::max(leastWidth, std::min(placed.width, screen->width));
    placed.height = std::max(leastHeight, std::min(placed.height, screen->height));
    placed.x = std::max(screen->x, std::min(placed.x, screen->x + screen->width - placed.width));
    placed.y = std::max(screen->y, std::min(placed.y, screen->y + screen->height - placed.height));
    return placed;
}
