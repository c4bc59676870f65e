// Belltide.exe as a user meets it, driven from outside through its windows: our rapi.dll beside
// it serves a factory virtual handheld. Slow under Wine, so only what the logic tests cannot see.
#include "support/FactoryImage.h"
#include "support/TempFolder.h"
#include "themes/ThemeArchive.h"
#include "ui/ControlIds.h"

#include <gtest/gtest.h>

#include <windows.h>

// After windows.h, which it needs.
#include <commctrl.h>
// A macro of the system's that would rename a control id.
#undef PlaySound

#include <algorithm>
#include <chrono>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>

namespace fs = std::filesystem;

namespace {

std::string contents(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

bool waitFor(const std::function<bool()>& condition, std::chrono::seconds timeout) {
    const auto end = std::chrono::steady_clock::now() + timeout;
    while (std::chrono::steady_clock::now() < end) {
        if (condition())
            return true;
        Sleep(20);
    }
    return condition();
}

std::wstring text(HWND window) {
    wchar_t buffer[512] = {};
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(window, WM_GETTEXT, std::size(buffer), reinterpret_cast<LPARAM>(buffer),
                        SMTO_ABORTIFHUNG, 2000, &ignored);
    return buffer;
}

struct Search {
    DWORD process;
    std::wstring title;
    int id;
    HWND found;
};

// A visible top-level window of the process with this title.
HWND topWindow(DWORD process, const std::wstring& title) {
    Search search{process, title, 0, nullptr};
    EnumWindows(
        [](HWND window, LPARAM data) -> BOOL {
            auto& s = *reinterpret_cast<Search*>(data);
            DWORD owner = 0;
            GetWindowThreadProcessId(window, &owner);
            if (owner == s.process && IsWindowVisible(window) && text(window) == s.title) {
                s.found = window;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// The control with this id anywhere below the window.
HWND control(HWND window, int id) {
    Search search{0, {}, id, nullptr};
    EnumChildWindows(
        window,
        [](HWND child, LPARAM data) -> BOOL {
            auto& s = *reinterpret_cast<Search*>(data);
            if (GetDlgCtrlID(child) != s.id)
                return TRUE;
            s.found = child;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND statusLine(HWND window) {
    HWND found = nullptr;
    EnumChildWindows(
        window,
        [](HWND child, LPARAM data) -> BOOL {
            wchar_t name[64] = {};
            GetClassNameW(child, name, 64);
            if (std::wstring(name) != STATUSCLASSNAMEW)
                return TRUE;
            *reinterpret_cast<HWND*>(data) = child;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

std::string lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return std::tolower(c); });
    return s;
}

class ProgramTest : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(program);
        for (const char* name : {"Belltide.exe", "rapi.dll", "Belltide.wav", "Belltide.htb"})
            fs::copy_file(fs::path(BELLTIDE_BUILD_DIR) / name, program / name);
        fs::copy(fs::path(BELLTIDE_BUILD_DIR) / "artwork", program / "artwork");
        ASSERT_EQ(makeFactoryImage(device), 0);
        SetEnvironmentVariableW(L"BELLTIDE_DEVICE", nullptr);
        SetEnvironmentVariableW(L"BELLTIDE_RAPI_DEVICE", device.wstring().c_str());
    }
    void TearDown() override {
        if (m_process.hProcess) {
            TerminateProcess(m_process.hProcess, 0);
            WaitForSingleObject(m_process.hProcess, 10000);
            CloseHandle(m_process.hProcess);
            CloseHandle(m_process.hThread);
        }
    }

    void start() {
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        std::wstring commandLine = L"\"" + (program / "Belltide.exe").wstring() + L"\"";
        ASSERT_TRUE(CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                   program.wstring().c_str(), &startup, &m_process));
    }
    DWORD pid() const { return m_process.dwProcessId; }

    TempFolder folder;
    fs::path program = folder.path() / "Belltide";
    fs::path device = folder.path() / "device";
    fs::path themes = program / "themes";
    PROCESS_INFORMATION m_process{};
};

TEST_F(ProgramTest, FirstStartBacksUpTheHandheldThenDownloadAndUploadGoThroughRapi) {
    start();
    bool backupShown = false;
    const fs::path backup = themes / "initialBackup.kbt";
    HWND main = nullptr;
    ASSERT_TRUE(waitFor(
        [&] {
            backupShown |= topWindow(pid(), L"Current Sounds Backup") != nullptr;
            main = topWindow(pid(), L"Belltide");
            return main && fs::exists(backup) &&
                   SendMessageW(control(main, ControlId::EventList), LVM_GETITEMCOUNT, 0, 0) == 25;
        },
        std::chrono::seconds(60)));
    EXPECT_TRUE(backupShown);

    // Every member but the descriptor is the device's own file, byte for byte.
    const fs::path unpacked = folder.path() / "unpacked";
    fs::create_directories(unpacked);
    ThemeArchive(backup.string()).extractAll((unpacked / "").string());
    int waves = 0;
    for (const auto& entry : fs::directory_iterator(device / "Windows")) {
        for (const auto& member : fs::directory_iterator(unpacked))
            if (lower(member.path().filename().string()) ==
                lower(entry.path().filename().string())) {
                EXPECT_EQ(contents(member.path()), contents(entry.path())) << entry.path();
                ++waves;
            }
    }
    EXPECT_GT(waves, 0);

    // The template's layout, in dialog units measured by the list's 266 x 185; a unit is taller
    // than it is wide.
    RECT list{};
    GetWindowRect(control(main, ControlId::EventList), &list);
    const double unitX = (list.right - list.left) / 266.0;
    const double unitY = (list.bottom - list.top) / 185.0;
    RECT status{};
    GetWindowRect(statusLine(main), &status);
    const LONG statusTop = status.top;
    struct Expected {
        int id, x, y, width, height;
    };
    for (const Expected& e : {Expected{ControlId::Close, 294, 197, 50, 14},
                              Expected{ControlId::ChangeSound, 275, 75, 68, 14},
                              Expected{ControlId::PlaySound, 275, 58, 68, 14},
                              Expected{ControlId::UploadTheme, 275, 152, 68, 14},
                              Expected{ControlId::DownloadTheme, 275, 134, 68, 14},
                              Expected{ControlId::NoSound, 275, 92, 68, 14},
                              Expected{ControlId::OpenTheme, 151, 197, 55, 14},
                              Expected{ControlId::SaveTheme, 213, 197, 55, 14},
                              Expected{ControlId::ExtendedCheck, 5, 187, 0, 0},
                              Expected{ControlId::Logo, 275, 0, 68, 55}}) {
        HWND window = control(main, e.id);
        ASSERT_NE(window, nullptr) << e.id;
        RECT r{};
        GetWindowRect(window, &r);
        EXPECT_LE(r.bottom, statusTop) << e.id << " hidden under the status line";
        EXPECT_NEAR((r.left - list.left) / unitX, e.x - 2, 2) << e.id;
        EXPECT_NEAR((r.top - list.top) / unitY, e.y, 2) << e.id;
        // A check box keeps the size of its text (width 0).
        if (e.width == 0)
            continue;
        EXPECT_NEAR((r.right - r.left) / unitX, e.width, 2) << e.id;
        EXPECT_NEAR((r.bottom - r.top) / unitY, e.height, 2) << e.id;
    }

    // Download brings a file changed on the handheld; Upload puts back one removed there.
    fs::path wave;
    for (const auto& entry : fs::directory_iterator(themes / "sounds"))
        if (entry.path().extension() == ".wav")
            wave = entry.path();
    ASSERT_FALSE(wave.empty());
    fs::path onDevice;
    for (const auto& entry : fs::directory_iterator(device / "Windows"))
        if (lower(entry.path().filename().string()) == lower(wave.filename().string()))
            onDevice = entry.path();
    ASSERT_FALSE(onDevice.empty());
    const std::string changed = contents(onDevice) + "changed on the handheld";
    std::ofstream(onDevice, std::ios::binary) << changed;
    HWND statusBar = statusLine(main);
    PostMessageW(control(main, ControlId::DownloadTheme), BM_CLICK, 0, 0);
    EXPECT_TRUE(
        waitFor([&] { return text(statusBar) == L"Sounds imported"; }, std::chrono::seconds(60)));
    EXPECT_EQ(contents(wave), changed);

    fs::remove(onDevice);
    PostMessageW(control(main, ControlId::UploadTheme), BM_CLICK, 0, 0);
    EXPECT_TRUE(
        waitFor([&] { return text(statusBar) == L"Sounds exported"; }, std::chrono::seconds(60)));
    EXPECT_EQ(contents(onDevice), changed);
}

TEST_F(ProgramTest, SystemMenuEndsWithTheAboutEntryThatOpensTheAboutBox) {
    fs::create_directories(themes);
    // A backup already there: no dialog, nothing in the way of the menu.
    std::ofstream(themes / "initialBackup.kbt", std::ios::binary);
    start();
    HWND main = nullptr;
    ASSERT_TRUE(waitFor([&] { return (main = topWindow(pid(), L"Belltide")) != nullptr; },
                        std::chrono::seconds(60)));
    // The entry's text is string 101 of the program's resources.
    HMODULE resources = LoadLibraryExW((program / "Belltide.exe").wstring().c_str(), nullptr,
                                       LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(resources, nullptr);
    wchar_t text[64] = {};
    LoadStringW(resources, ResourceId::AboutString, text, 64);
    FreeLibrary(resources);
    EXPECT_EQ(std::wstring(text), L"&About Belltide...");
    // Windows lets another process read the menu; Wine keeps menus per process.
    HMENU menu = GetSystemMenu(main, FALSE);
    if (const int count = GetMenuItemCount(menu); count >= 0) {
        ASSERT_GE(count, 2);
        wchar_t entry[64] = {};
        GetMenuStringW(menu, count - 1, entry, 64, MF_BYPOSITION);
        EXPECT_EQ(std::wstring(entry), text);
        EXPECT_EQ(GetMenuItemID(menu, count - 1), static_cast<UINT>(ResourceId::SystemAbout));
        EXPECT_TRUE(GetMenuState(menu, count - 2, MF_BYPOSITION) & MF_SEPARATOR);
    }

    PostMessageW(main, WM_SYSCOMMAND, ResourceId::SystemAbout, 0);
    EXPECT_TRUE(waitFor([&] { return topWindow(pid(), L"About Belltide") != nullptr; },
                        std::chrono::seconds(30)));
}

} // namespace
