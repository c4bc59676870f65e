// Belltide.exe as a user meets it, driven from outside through its windows: our rapi.dll beside
// it serves a factory virtual handheld. Slow under Wine, so only what the logic tests cannot see.
#include "support/FactoryImage.h"
#include "support/TempFolder.h"
#include "ui/ControlIds.h"

#include <gtest/gtest.h>

#include <windows.h>

// After windows.h, which it needs.
#include <commctrl.h>
// A macro of the system's that would rename a control id.
#undef PlaySound

#include <chrono>
#include <fstream>
#include <functional>
#include <memory>
#include <string>

namespace fs = std::filesystem;

namespace {

bool waitFor(const std::function<bool()>& condition) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    for (; !condition(); Sleep(20))
        if (std::chrono::steady_clock::now() >= end)
            return false;
    return true;
}

std::wstring text(HWND window) {
    wchar_t buffer[512] = {};
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(window, WM_GETTEXT, std::size(buffer), reinterpret_cast<LPARAM>(buffer),
                        SMTO_ABORTIFHUNG, 2000, &ignored);
    return buffer;
}

HWND shown(const wchar_t* title) {
    HWND window = FindWindowW(nullptr, title);
    return window && IsWindowVisible(window) ? window : nullptr;
}

// The control with this id anywhere below the window.
HWND control(HWND window, int id) {
    for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        if (HWND found = GetDlgCtrlID(child) == id ? child : control(child, id))
            return found;
    return nullptr;
}

} // namespace

TEST(Program, BacksUpAtFirstStartTransfersThroughRapiAndShowsTheTemplatesWindow) {
    TempFolder folder;
    const fs::path program = folder.path() / "Belltide", device = folder.path() / "device";
    fs::create_directories(program);
    for (const char* name : {"Belltide.exe", "rapi.dll", "Belltide.wav", "Belltide.htb"})
        fs::copy_file(fs::path(BELLTIDE_BUILD_DIR) / name, program / name);
    fs::copy(fs::path(BELLTIDE_BUILD_DIR) / "artwork", program / "artwork");
    ASSERT_EQ(makeFactoryImage(device), 0);
    SetEnvironmentVariableW(L"BELLTIDE_DEVICE", nullptr);
    SetEnvironmentVariableW(L"BELLTIDE_RAPI_DEVICE", device.wstring().c_str());
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    std::wstring commandLine = L"\"" + (program / "Belltide.exe").wstring() + L"\"";
    ASSERT_TRUE(CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                               program.wstring().c_str(), &startup, &process));
    CloseHandle(process.hThread);
    const std::unique_ptr<void, void (*)(HANDLE)> running(process.hProcess, [](HANDLE handle) {
        TerminateProcess(handle, 0);
        WaitForSingleObject(handle, 10000);
        CloseHandle(handle);
    });

    bool backupShown = false;
    HWND main = nullptr;
    ASSERT_TRUE(waitFor([&] {
        backupShown |= shown(L"Current Sounds Backup") != nullptr;
        main = shown(L"Belltide");
        return main && fs::exists(program / "themes" / "initialBackup.kbt") &&
               SendMessageW(control(main, ControlId::EventList), LVM_GETITEMCOUNT, 0, 0) == 25;
    }));
    EXPECT_TRUE(backupShown);

    // The template's layout in dialog units, measured by the list's 266 x 185; a unit is taller
    // than it is wide. A check box keeps the size of its text (width 0).
    RECT list{}, status{};
    GetWindowRect(control(main, ControlId::EventList), &list);
    HWND statusLine = FindWindowExW(main, nullptr, STATUSCLASSNAMEW, nullptr);
    GetWindowRect(statusLine, &status);
    const double unitX = (list.right - list.left) / 266.0, unitY = (list.bottom - list.top) / 185.0;
    struct Box {
        int id, x, y, width, height;
    };
    for (const Box& e :
         {Box{ControlId::Close, 294, 197, 50, 14}, Box{ControlId::ChangeSound, 275, 75, 68, 14},
          Box{ControlId::PlaySound, 275, 58, 68, 14}, Box{ControlId::UploadTheme, 275, 152, 68, 14},
          Box{ControlId::DownloadTheme, 275, 134, 68, 14}, Box{ControlId::NoSound, 275, 92, 68, 14},
          Box{ControlId::OpenTheme, 151, 197, 55, 14}, Box{ControlId::SaveTheme, 213, 197, 55, 14},
          Box{ControlId::ExtendedCheck, 5, 187, 0, 0}, Box{ControlId::Logo, 275, 0, 68, 55}}) {
        RECT r{};
        ASSERT_TRUE(GetWindowRect(control(main, e.id), &r)) << e.id;
        EXPECT_LE(r.bottom, status.top) << e.id << " hidden under the status line";
        EXPECT_NEAR((r.left - list.left) / unitX, e.x - 2, 2) << e.id;
        EXPECT_NEAR((r.top - list.top) / unitY, e.y, 2) << e.id;
        if (e.width != 0) {
            EXPECT_NEAR((r.right - r.left) / unitX, e.width, 2) << e.id;
            EXPECT_NEAR((r.bottom - r.top) / unitY, e.height, 2) << e.id;
        }
    }

    PostMessageW(control(main, ControlId::DownloadTheme), BM_CLICK, 0, 0);
    EXPECT_TRUE(waitFor([&] { return text(statusLine) == L"Sounds imported"; }));
    PostMessageW(control(main, ControlId::UploadTheme), BM_CLICK, 0, 0);
    EXPECT_TRUE(waitFor([&] { return text(statusLine) == L"Sounds exported"; }));

    // The system menu ends with the About entry, string 101 of the program's resources.
    HMODULE resources = LoadLibraryExW((program / "Belltide.exe").wstring().c_str(), nullptr,
                                       LOAD_LIBRARY_AS_DATAFILE);
    wchar_t about[64] = {};
    LoadStringW(resources, ResourceId::AboutString, about, 64);
    FreeLibrary(resources);
    EXPECT_EQ(std::wstring(about), L"&About Belltide...");
    PostMessageW(main, WM_SYSCOMMAND, ResourceId::SystemAbout, 0);
    EXPECT_TRUE(waitFor([&] { return shown(L"About Belltide") != nullptr; }));
    PostMessageW(shown(L"About Belltide"), WM_CLOSE, 0, 0);
    ASSERT_TRUE(waitFor([&] { return shown(L"About Belltide") == nullptr; }));

    // Logging off while a transfer runs (here: waiting for a handheld that does not answer) is
    // refused until it is over: no exit question over it, and its dialog stays.
    std::ofstream(device / "offline").put('\n');
    PostMessageW(control(main, ControlId::DownloadTheme), BM_CLICK, 0, 0);
    ASSERT_TRUE(waitFor([&] { return shown(L"Importing Sounds") != nullptr; }));
    DWORD_PTR mayEnd = 1;
    ASSERT_NE(SendMessageTimeoutW(main, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, SMTO_ABORTIFHUNG,
                                  3000, &mayEnd),
              0);
    EXPECT_EQ(mayEnd, 0u);
    EXPECT_NE(shown(L"Importing Sounds"), nullptr);
    EXPECT_TRUE(IsWindowVisible(main));
}
