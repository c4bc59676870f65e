// Belltide's entry point: starts the main window with the theme named on the command line.
#include "files/PcPath.h"
#include "ui/CBelltideApp.h"
#include "ui/ProgramFolders.h"
#ifdef _WIN32
#include "ui/sound/WinSoundPlayer.h"
using PlatformSoundPlayer = WinSoundPlayer;
#else
#include "ui/sound/SdlSoundPlayer.h"
using PlatformSoundPlayer = SdlSoundPlayer;
#endif
#include "ui/wx/BelltideFrame.h"
#include "ui/wx/NativeInput.h"
#include "ui/wx/SingleInstance.h"
#include "ui/wx/WxControls.h"
#include "ui/wx/WxText.h"

#include <wx/app.h>
#include <wx/fileconf.h>
#include <wx/image.h>
#include <wx/log.h>
#include <wx/msgdlg.h>
#include <wx/stdpaths.h>
#include <wx/weakref.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <system_error>
#include <vector>

#ifdef _WIN32
#include <windows.h>

#include <shellapi.h>
#endif

namespace {

// The arguments after the program's name, in UTF-8.
std::vector<std::string> programArguments([[maybe_unused]] int argc, [[maybe_unused]] char** argv) {
    std::vector<std::string> arguments;
#ifdef _WIN32
    // The narrow arguments went through the ANSI code page, which may not hold a file's name.
    int count = 0;
    LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
    for (int i = 1; wide && i < count; ++i)
        arguments.push_back(pcText(wide[i]));
    LocalFree(wide);
#else
    arguments.assign(argv + 1, argv + argc);
#endif
    return arguments;
}

} // namespace

class BelltideWxApp : public wxApp {
public:
    bool OnInit() override {
#ifdef NDEBUG
        // The toolkit's own debug notes are for its developers; warnings and errors still show.
        wxLog::SetLogLevel(wxLOG_Info);
#endif
        wxInitAllImageHandlers();
        // The settings' name: HKCU\Software\Belltide on Windows.
        SetAppName("Belltide");
#ifndef _WIN32
        wxStandardPaths::Get().SetFileLayout(wxStandardPaths::FileLayout_XDG);
        // A folder of its own in the XDG config folder, as the desktop's programs keep them.
        const std::filesystem::path settings = ProgramFolders::settingsFile();
        std::error_code ignored;
        std::filesystem::create_directories(settings.parent_path(), ignored);
        delete wxConfigBase::Set(new wxFileConfig("Belltide", wxEmptyString, toWx(pcText(settings)),
                                                  wxEmptyString, wxCONFIG_USE_LOCAL_FILE));
#endif
#ifdef _WIN32
        const std::vector<std::string> arguments = programArguments(0, nullptr);
#else
        // wx has the arguments in the locale's encoding already; the program keeps UTF-8.
        std::vector<std::string> arguments;
        for (int i = 1; i < argc; ++i)
            arguments.push_back(fromWx(argv[i]));
#endif
        std::string startupTheme =
            CBelltideApp::startupThemeFromCommandLine(CBelltideApp::joinArguments(arguments));
        // The window makes the program's folder current; a path typed in a shell is meant
        // from where the shell stands.
        if (!startupTheme.empty()) {
            std::error_code failed; // a current folder that is gone: the name as typed
            const auto absolute = std::filesystem::absolute(pcPath(startupTheme), failed);
            if (!failed)
                startupTheme = pcText(absolute);
        }
        const std::string programPath = fromWx(wxStandardPaths::Get().GetExecutablePath());
        m_single = std::make_unique<SingleInstance>(ProgramFolders::locate(programPath).dataDir);
        switch (m_single->handOver(startupTheme)) {
        case HandOver::NoneRunning:
            break;
        case HandOver::Taken:
            m_handedOver = true;
            return true;
        case HandOver::NotAnswered: {
            // Never a second window on the same data: both would move the one sounds folder.
            const std::string text = m_single->notAnsweredText();
            std::fprintf(stderr, "belltide: %s\n", text.c_str());
            wxMessageBox(toWx(text), "Belltide", wxOK | wxICON_ERROR);
            m_handedOver = true;
            m_exitCode = 1;
            return true;
        }
        }
        // Before the window, so that a start meanwhile waits for its answer instead of opening
        // a second window.
        m_single->serve(HandOverTarget{[this] {
                                           if (!m_frame)
                                               return;
                                           m_frame->Iconize(false);
                                           m_frame->Raise();
                                           m_frame->RequestUserAttention();
                                       },
                                       [this] { return m_frame && m_frame->takesInput(); },
                                       [this](const std::string& theme) {
                                           m_frame->guarded([&] {
                                               m_frame->logic().OnOpenFromAnotherStart(theme);
                                           });
                                       }});
        // Only a start that shows the window: it loads the toolkit's theme.
        drawTicksFromPictures();
        m_frame =
            new BelltideFrame(programPath, startupTheme,
                              FrameServices{std::make_unique<PlatformSoundPlayer>(), nullptr, {}});
        m_frame->Show();
        return true;
    }

    // A start whose theme the running Belltide took ends here, with success.
    int OnRun() override {
        return m_handedOver ? m_exitCode : wxApp::OnRun();
    }

    // The last line behind the window's own handlers: a failure is shown, the program goes on.
    bool OnExceptionInMainLoop() override {
        try {
            throw;
        } catch (const std::exception& error) {
            wxMessageBox(toWx(problemText(error)), "Belltide", wxOK | wxICON_ERROR);
            return true;
        }
    }

    int OnExit() override {
        m_single.reset();
        return wxApp::OnExit();
    }

private:
    std::unique_ptr<SingleInstance> m_single;
    wxWeakRef<BelltideFrame> m_frame;
    bool m_handedOver = false;
    int m_exitCode = 0;
};

wxIMPLEMENT_APP_NO_MAIN(BelltideWxApp);

int main(int argc, char** argv) {
    // Answered before the toolkit starts, so that they work without a display.
    if (const auto answer = CBelltideApp::terminalAnswer(programArguments(argc, argv))) {
        FILE* stream = answer->toErrorStream ? stderr : stdout;
#ifdef _WIN32
        // A window program has no console of its own: answer in the one it was started from,
        // unless its output already goes to a file or a pipe.
        const DWORD handle = answer->toErrorStream ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE;
        if (GetFileType(GetStdHandle(handle)) == FILE_TYPE_UNKNOWN &&
            AttachConsole(ATTACH_PARENT_PROCESS))
            std::freopen("CONOUT$", "w", stream);
#endif
        std::fputs(answer->text.c_str(), stream);
        return answer->exitStatus;
    }
    return wxEntry(argc, argv);
}
