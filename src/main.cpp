// Belltide's entry point: starts the main window with the theme named on the command line.
#include "ui/CBelltideApp.h"
#include "ui/sound/SdlSoundPlayer.h"
#include "ui/wx/BelltideFrame.h"
#include "ui/wx/WxText.h"

#include <wx/app.h>
#include <wx/image.h>
#include <wx/stdpaths.h>

#include <filesystem>
#include <vector>

class BelltideWxApp : public wxApp {
public:
    bool OnInit() override {
        wxInitAllImageHandlers();
        std::vector<std::string> arguments;
        for (int i = 1; i < argc; ++i)
            arguments.push_back(fromWx(argv[i]));
        std::string startupTheme =
            CBelltideApp::startupThemeFromCommandLine(CBelltideApp::joinArguments(arguments));
        // The window makes the program's folder current; a path typed in a shell is meant
        // from where the shell stands.
        if (!startupTheme.empty())
            startupTheme = std::filesystem::absolute(startupTheme).string();
        const std::string programPath = fromWx(wxStandardPaths::Get().GetExecutablePath());
        auto* frame =
            new BelltideFrame(programPath, startupTheme,
                              FrameServices{std::make_unique<SdlSoundPlayer>(), nullptr, {}});
        frame->Show();
        return true;
    }
};

wxIMPLEMENT_APP(BelltideWxApp);
