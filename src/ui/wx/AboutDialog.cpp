#include "AboutDialog.h"

#include "Artwork.h"
#include "DialogUnits.h"
#include "WxText.h"
#include "ui/CAboutDlg.h"

#include <wx/button.h>
#include <wx/image.h>
#include <wx/statbmp.h>
#include <wx/statbox.h>
#include <wx/stattext.h>

namespace {

// The box's layout in dialog units.

constexpr DialogRect ClientDlu{0, 0, 327, 151};
constexpr DialogRect PictureRect{7, 9, 168, 137};
constexpr DialogRect FrameRect{179, 3, 140, 126};
constexpr DialogRect SmallPictureRect{214, 10, 69, 46};
// Room below the maker line for the handheld in use, in up to three lines.
constexpr DialogRect TextRect{184, 58, 130, 54};
constexpr DialogRect LinkRect{187, 112, 124, 14};
constexpr DialogRect OkRect{224, 132, 50, 14};

// The picture scaled to its place, so the layout holds whatever the font makes of a dialog unit.
wxBitmap artworkPicture(const wxString& baseName, const wxSize& size) {
    wxImage image = artworkImage(baseName);
    if (!image.IsOk())
        return wxBitmap(size);
    return wxBitmap(image.Rescale(size.x, size.y, wxIMAGE_QUALITY_HIGH));
}

} // namespace

AboutDialog::AboutDialog(wxWindow* parent, CAboutDlg& logic)
    : wxDialog(parent, wxID_ANY, toWx(CAboutDlg::Caption), wxDefaultPosition, wxDefaultSize,
               wxCAPTION | wxSYSTEM_MENU | wxCLOSE_BOX) {
    const auto place = [this](const DialogRect& r) { return placeInDialogUnits(*this, r); };
    const auto picture = [&](const wxString& fileName, const DialogRect& r) {
        const auto [pos, size] = place(r);
        // The border takes its pixels from inside the picture's place.
        const wxSize inner = size - wxSize(2, 2);
        new wxStaticBitmap(this, wxID_ANY, artworkPicture(fileName, inner), pos, size,
                           wxBORDER_SIMPLE);
    };

    // Created in the template's order, which is also the tab order.
    picture("about", PictureRect);
    const auto [framePos, frameSize] = place(FrameRect);
    new wxStaticBox(this, wxID_ANY, wxEmptyString, framePos, frameSize);
    picture("about-small", SmallPictureRect);
    const auto [textPos, textSize] = place(TextRect);
    auto* text =
        new wxStaticText(this, wxID_ANY, wxEmptyString, textPos, textSize, wxST_NO_AUTORESIZE);
    text->SetLabelText(toWx(logic.text()));
    text->Wrap(textSize.x);
    const auto [linkPos, linkSize] = place(LinkRect);
    // A link that names no place would be no link: without a web address there is none.
    wxButton* link = nullptr;
    if (!logic.linkCaption().empty()) {
        link = new wxButton(this, CAboutDlg::LinkButtonId, toWx(logic.linkCaption()), linkPos,
                            linkSize, wxBORDER_NONE);
        link->SetCursor(wxCursor(wxCURSOR_HAND));
    }
    const auto [okPos, okSize] = place(OkRect);
    auto* ok = new wxButton(this, wxID_OK, "OK", okPos, okSize);
    ok->SetDefault();
    ok->SetFocus();
    SetEscapeId(wxID_OK);

    SetClientSize(ConvertDialogToPixels(wxSize(ClientDlu.width, ClientDlu.height)));
    CentreOnParent();
    if (link)
        link->Bind(wxEVT_BUTTON, [&logic](wxCommandEvent&) { logic.OnLinkButton(); });
}
