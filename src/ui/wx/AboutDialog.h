// The About box: lays out template 100 and forwards the link button to its logic.
#pragma once

#include <wx/dialog.h>

class CAboutDlg;

class AboutDialog : public wxDialog {
public:
    AboutDialog(wxWindow* parent, CAboutDlg& logic);
};
