// Layouts given in dialog units, the way the windows' templates give them.
#pragma once

#include <wx/window.h>

#include <utility>

// x, y, width, height in dialog units.
struct DialogRect {
    int x, y, width, height;
};

// Where the rectangle lies in pixels in the window, with the window's font.
inline std::pair<wxPoint, wxSize> placeInDialogUnits(const wxWindow& window, const DialogRect& r) {
    return {window.ConvertDialogToPixels(wxPoint(r.x, r.y)),
            window.ConvertDialogToPixels(wxSize(r.width, r.height))};
}
