// The drawn pictures in the artwork folder of the current directory, in the format this build of
// the toolkit reads: PNG, or the BMP copies where it has no PNG (Windows).
#pragma once

#include <wx/filename.h>
#include <wx/image.h>
#include <wx/log.h>

// The picture named baseName ("logo"); an invalid image when it is missing or unreadable.
inline wxImage artworkImage(const wxString& baseName) {
#if wxUSE_LIBPNG
    const wxString path = "artwork/" + baseName + ".png";
    const wxBitmapType type = wxBITMAP_TYPE_PNG;
#else
    const wxString path = "artwork/" + baseName + ".bmp";
    const wxBitmapType type = wxBITMAP_TYPE_BMP;
#endif
    if (!wxFileName::FileExists(path))
        return {};
    wxLogNull quiet;
    return wxImage(path, type);
}
