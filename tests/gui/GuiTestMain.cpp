// Runs the GUI tests inside a running wxWidgets application; a failed wx assertion fails the test.
#include <gtest/gtest.h>

#include <wx/app.h>
#include <wx/config.h>
#include <wx/image.h>
#include <wx/init.h>
#include <wx/memconf.h>

#include <cstdlib>

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    wxApp::SetInstance(new wxApp);
    if (!wxEntryStart(argc, argv))
        return 1;
    wxSetAssertHandler([](const wxString& file, int line, const wxString& func,
                          const wxString& cond, const wxString& msg) {
        ADD_FAILURE_AT(file.utf8_str(), line) << "wx assertion in " << func.utf8_str() << ": "
                                              << cond.utf8_str() << " " << msg.utf8_str();
    });
    wxInitAllImageHandlers();
    // The windows remember their settings within the run, never in the user's own.
    delete wxConfigBase::Set(new wxMemoryConfig);
    wxTheApp->CallOnInit();
    const int result = RUN_ALL_TESTS();
    wxEntryCleanup();
    return result;
}
