// The least a wxWidgets program shows: a frame with a 25-row list, on the same toolkit as
// Belltide, for its start-up time and memory to be measured against (bench/startup.sh).
#include <wx/app.h>
#include <wx/frame.h>
#include <wx/listctrl.h>
#include <wx/sizer.h>

#include <string>

namespace {

constexpr int Rows = 25;

class StartupFrameApp : public wxApp {
public:
    bool OnInit() override {
        auto* frame =
            new wxFrame(nullptr, wxID_ANY, "Startup frame", wxDefaultPosition, wxSize(620, 560));
        auto* list = new wxListCtrl(frame, wxID_ANY, wxDefaultPosition, wxDefaultSize,
                                    wxLC_REPORT | wxLC_SINGLE_SEL);
        const char* columns[] = {"Events", "Sounds", "Size", "Length"};
        for (int column = 0; column < 4; ++column)
            list->AppendColumn(columns[column]);
        for (int row = 0; row < Rows; ++row) {
            list->InsertItem(row, "Event " + std::to_string(row + 1));
            list->SetItem(row, 1, "sound" + std::to_string(row + 1) + ".wav");
            list->SetItem(row, 2, "12 KB");
            list->SetItem(row, 3, "0:00.5");
        }
        auto* sizer = new wxBoxSizer(wxVERTICAL);
        sizer->Add(list, 1, wxEXPAND);
        frame->SetSizer(sizer);
        frame->Show();
        return true;
    }
};

} // namespace

wxIMPLEMENT_APP(StartupFrameApp);
