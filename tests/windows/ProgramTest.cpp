// Belltide.exe as a user meets it, driven from outside through its windows: our rapi.dll beside
// it serves a factory virtual handheld. Slow under Wine, so only what the logic tests cannot see.
// It runs as on Windows 7, in a Russian locale whose ANSI code page (1251) cannot hold the
// accented folder names used here.
#include "files/PcPath.h"
#include "support/ArchiveBytes.h"
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

#include <array>
#include <fstream>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

bool waitFor(const std::function<bool()>& condition) {
    for (const ULONGLONG end = GetTickCount64() + 60000; !condition(); Sleep(20))
        if (GetTickCount64() >= end)
            return false;
    return true;
}

// A message's answer from a window of another process, or 0 when it hangs.
DWORD_PTR sendTo(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    DWORD_PTR answer = 0;
    SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG, 2000, &answer);
    return answer;
}

std::wstring text(HWND window) {
    wchar_t buffer[512] = {};
    sendTo(window, WM_GETTEXT, std::size(buffer), reinterpret_cast<LPARAM>(buffer));
    return buffer;
}

// The shown top-level window whose title begins with this, if any.
HWND shown(const std::wstring& title) {
    for (HWND window = GetTopWindow(nullptr); window; window = GetWindow(window, GW_HWNDNEXT))
        if (IsWindowVisible(window) && text(window).rfind(title, 0) == 0)
            return window;
    return nullptr;
}

// How wide the list draws this text, asked in the list's own process.
int stringWidth(HWND list, HANDLE process, const std::wstring& text) {
    const std::size_t bytes = (text.size() + 1) * sizeof(wchar_t);
    void* remote = VirtualAllocEx(process, nullptr, bytes, MEM_COMMIT, PAGE_READWRITE);
    const bool written =
        remote && WriteProcessMemory(process, remote, text.c_str(), bytes, nullptr);
    const auto width = written ? sendTo(list, LVM_GETSTRINGWIDTHW, 0, LPARAM(remote)) : 0;
    if (remote)
        VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    return static_cast<int>(width);
}

// The control with this id anywhere below the window.
HWND control(HWND window, int id) {
    for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        if (HWND found = GetDlgCtrlID(child) == id ? child : control(child, id))
            return found;
    return nullptr;
}

} // namespace

// Belltide.exe and our rapi.dll copied into an accented user's program folder, with a factory
// handheld in a folder of such a name; started as on Windows 7, at the display density given.
class Program : public ::testing::TestWithParam<DWORD> {
protected:
    void SetUp() override {
        const DWORD dpi = GetParam();
        ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", L"LogPixels",
                                  REG_DWORD, &dpi, sizeof dpi),
                  ERROR_SUCCESS);
        ASSERT_EQ(GetACP(), 1251u) << "not in the locale whose code page lacks the names used";
        // Nothing newer than Windows 7 may be needed: Wine answers as that version.
        ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, L"Software\\Wine", L"Version", REG_SZ, L"win7",
                                  sizeof L"win7"),
                  ERROR_SUCCESS);
        fs::create_directories(program);
        for (const char* name : {"Belltide.exe", "rapi.dll", "Belltide.wav", "Belltide.htb"})
            fs::copy_file(pcPath(BELLTIDE_BUILD_DIR) / name, program / name);
        fs::copy(pcPath(BELLTIDE_BUILD_DIR) / "artwork", program / "artwork");
        ASSERT_EQ(makeFactoryImage(device), 0);
        SetEnvironmentVariableW(L"BELLTIDE_DEVICE", nullptr);
        SetEnvironmentVariableW(L"BELLTIDE_RAPI_DEVICE", device.wstring().c_str());
    }
    // Later runs in this Wine prefix start at the usual density again.
    void TearDown() override {
        RegDeleteKeyValueW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", L"LogPixels");
    }

    // The program started with this file on its command line, ended when the handle goes.
    using Process = std::unique_ptr<void, void (*)(HANDLE)>;
    Process launch(const fs::path& argument) {
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process{};
        std::wstring commandLine =
            L"\"" + (program / "Belltide.exe").wstring() + L"\" \"" + argument.wstring() + L"\"";
        const bool started = CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0,
                                            nullptr, program.wstring().c_str(), &startup, &process);
        if (started)
            CloseHandle(process.hThread);
        return Process(started ? process.hProcess : nullptr, [](HANDLE handle) {
            TerminateProcess(handle, 0);
            WaitForSingleObject(handle, 10000);
            CloseHandle(handle);
        });
    }

    TempFolder folder;
    const fs::path user = folder.path() / pcPath("Users/J\u00F6s\u00E9 M\u00FCller");
    const fs::path program = user / "AppData/Local/Programs/Belltide";
    const fs::path device = user / pcPath("Ger\u00E4t");
};

// A user's session: the first start backs up the handheld, then shows the theme named on the
// command line in the template's layout. Once the help has been opened with F1 and closed, a
// later start still hands its theme to this window, which opens it, and Esc still asks the exit
// question: an accelerator's menu, opened to Windows and never closed, no longer leaves the
// window waiting for a menu. Transfers go through rapi.dll, the system menu has the About entry,
// and logging off is refused while a transfer runs. At every density the list needs no horizontal
// scroll bar, and every heading and size is whole in its column.
TEST_P(Program, BacksUpTransfersThroughRapiAndTakesKeysAndHandOversAfterTheHelp) {
    // A theme from elsewhere whose names no single code page holds, named on the command line.
    const std::string glockchen = "Gl\u00F6ckchen", bell = "\u0417\u0432\u043E\u043D\u043E\u043A";
    const fs::path theme =
        user / "Downloads" / pcPath(glockchen + " \u2013 \u0422\u0435\u043C\u0430.kbt");
    fs::create_directories(theme.parent_path());
    const std::string chime = waveBytes(std::string(3000, '\x40'));
    writeBytes(theme,
               memberBytes("theme.dsc", "2\r\nAsterisk\r\n" + glockchen +
                                            "\r\n.wav\r\nQuestion\r\n" + bell + "\r\n.wav\r\n") +
                   memberBytes(glockchen + ".wav", chime) +
                   memberBytes(bell + ".wav", waveBytes(std::string(150000, '\x60'))));
    const Process running = launch(theme);
    ASSERT_TRUE(running);

    // The backup first, then the theme, copied into the library and its sounds into the editor's
    // folder under their own names.
    bool backupShown = false;
    HWND main = nullptr;
    const fs::path backup = program / "themes" / "initialBackup.kbt",
                   sounds = program / "themes" / "sounds";
    ASSERT_TRUE(waitFor([&] {
        backupShown |= shown(L"Current Sounds Backup") != nullptr;
        // The title names the theme opened last: the one from the command line.
        main = shown(L"Belltide \u2014 " + theme.stem().wstring());
        return main && fs::exists(backup) && fs::exists(sounds / pcPath(bell + ".wav"));
    }));
    EXPECT_EQ(readBytes(sounds / pcPath(glockchen + ".wav")), chime);
    EXPECT_EQ(SendMessageW(control(main, ControlId::EventList), LVM_GETITEMCOUNT, 0, 0), 2);
    // The backup holds the handheld's own waves as they were.
    const ThemeArchive backupArchive(pcText(backup));
    EXPECT_GE(backupArchive.members().size(), 11u);
    for (const ArchiveMember& member : backupArchive.members())
        EXPECT_TRUE(member.name == "theme.dsc" ||
                    backupArchive.readMember(member) ==
                        readBytes(device / "Windows" / pcPath(member.name)))
            << member.name;
    EXPECT_TRUE(backupShown);
    EXPECT_TRUE(fs::exists(program / "themes" / theme.filename()));

    // The template's layout in dialog units, measured by the list's 266 x 185; a unit is taller
    // than it is wide.
    HWND listControl = control(main, ControlId::EventList);
    EXPECT_FALSE(GetWindowLongW(listControl, GWL_STYLE) & WS_HSCROLL) << "a horizontal scroll bar";
    for (const auto& [column, whole] :
         {std::pair{0, L"Events"}, std::pair{1, L"Sounds"}, std::pair{2, L"Size"},
          std::pair{2, L"3 KB"}, std::pair{2, L"147 KB"}})
        EXPECT_GT(SendMessageW(listControl, LVM_GETCOLUMNWIDTH, column, 0),
                  stringWidth(listControl, running.get(), whole))
            << pcText(whole);
    RECT list{}, status{};
    GetWindowRect(listControl, &list);
    HWND statusLine = FindWindowExW(main, nullptr, STATUSCLASSNAMEW, nullptr);
    GetWindowRect(statusLine, &status);
    const double unitX = (list.right - list.left) / 266.0, unitY = (list.bottom - list.top) / 185.0;
    // Each control's place and size; a check box keeps the size of its text (width 0).
    using Box = std::array<int, 5>; // id, x, y, width, height
    for (const auto& [id, x, y, width, height] :
         {Box{ControlId::Close, 294, 197, 50, 14}, Box{ControlId::ChangeSound, 275, 75, 68, 14},
          Box{ControlId::PlaySound, 275, 58, 68, 14}, Box{ControlId::UploadTheme, 275, 152, 68, 14},
          Box{ControlId::DownloadTheme, 275, 134, 68, 14}, Box{ControlId::NoSound, 275, 92, 68, 14},
          Box{ControlId::OpenTheme, 151, 197, 55, 14}, Box{ControlId::SaveTheme, 213, 197, 55, 14},
          Box{ControlId::ExtendedCheck, 5, 187, 0, 0}, Box{ControlId::Logo, 275, 0, 68, 55}}) {
        RECT r{};
        ASSERT_TRUE(GetWindowRect(control(main, id), &r)) << id;
        EXPECT_LE(r.bottom, status.top) << id << " hidden under the status line";
        EXPECT_NEAR((r.left - list.left) / unitX, x - 2, 2) << id;
        EXPECT_NEAR((r.top - list.top) / unitY, y, 2) << id;
        EXPECT_NEAR(width ? (r.right - r.left) / unitX : 0, width, 2) << id;
        EXPECT_NEAR(height ? (r.bottom - r.top) / unitY : 0, height, 2) << id;
    }

    PostMessageW(control(main, ControlId::EventList), WM_KEYDOWN, VK_F1, 0);
    ASSERT_TRUE(waitFor([] { return shown(L"Belltide Help"); })) << "F1 opened no help";
    PostMessageW(shown(L"Belltide Help"), WM_CLOSE, 0, 0);
    ASSERT_TRUE(waitFor([] { return !shown(L"Belltide Help"); }));
    const fs::path second = folder.path() / "Second.kbt";
    writeBytes(second, memberBytes("theme.dsc", "1\r\nAsterisk\r\n(none)\r\n\r\n"));
    const Process secondStart = launch(second);
    ASSERT_TRUE(secondStart);
    EXPECT_EQ(WaitForSingleObject(secondStart.get(), 60000), WAIT_OBJECT_0)
        << "the second start did not end";
    EXPECT_TRUE(waitFor([&] { return shown(L"Belltide \u2014 Second") == main; }))
        << "the first window did not open the theme handed over";
    // A click on the status line makes the window the one the keyboard types in.
    SetCursorPos(status.left + 20, (status.top + status.bottom) / 2);
    mouse_event(MOUSEEVENTF_LEFTDOWN | MOUSEEVENTF_LEFTUP, 0, 0, 0, 0);
    ASSERT_TRUE(waitFor([&] { return GetForegroundWindow() == main; }));
    keybd_event(VK_ESCAPE, 0, 0, 0);
    keybd_event(VK_ESCAPE, 0, KEYEVENTF_KEYUP, 0);
    // The exit question, once its text is there.
    HWND question = nullptr;
    ASSERT_TRUE(waitFor([&] {
        question = FindWindowW(L"#32770", L"Belltide");
        return question && FindWindowExW(question, nullptr, L"Static",
                                         L"Are you absolutely sure you want to exit Belltide?");
    })) << "Esc asked nothing";
    PostMessageW(GetDlgItem(question, IDNO), BM_CLICK, 0, 0);
    EXPECT_TRUE(waitFor([] { return FindWindowW(L"#32770", L"Belltide") == nullptr; }));
    EXPECT_TRUE(IsWindowVisible(main)) << "No keeps the window open";

    for (const auto& [id, said] : {std::pair{ControlId::DownloadTheme, L"Sounds imported"},
                                   std::pair{ControlId::UploadTheme, L"Sounds exported"}}) {
        PostMessageW(control(main, id), BM_CLICK, 0, 0);
        EXPECT_TRUE(waitFor([&] { return text(statusLine) == said; })) << id;
    }
    // The system menu's About entry (its text is checked with the resources).
    PostMessageW(main, WM_SYSCOMMAND, ResourceId::SystemAbout, 0);
    EXPECT_TRUE(waitFor([] { return shown(L"About Belltide"); }));
    PostMessageW(shown(L"About Belltide"), WM_CLOSE, 0, 0);
    ASSERT_TRUE(waitFor([] { return !shown(L"About Belltide"); }));

    // Logging off while a transfer runs (here: waiting for a handheld that does not answer) is
    // refused until it is over: no exit question over it, and its dialog stays.
    std::ofstream(device / "offline").put('\n');
    PostMessageW(control(main, ControlId::DownloadTheme), BM_CLICK, 0, 0);
    ASSERT_TRUE(waitFor([] { return shown(L"Importing Sounds"); }));
    DWORD_PTR mayEnd = 1;
    ASSERT_NE(SendMessageTimeoutW(main, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, SMTO_ABORTIFHUNG,
                                  3000, &mayEnd),
              0);
    EXPECT_EQ(mayEnd, 0u);
    EXPECT_NE(shown(L"Importing Sounds"), nullptr);
    EXPECT_TRUE(IsWindowVisible(main));
}

INSTANTIATE_TEST_SUITE_P(Densities, Program, ::testing::Values(96, 120, 144),
                         [](const auto& param) { return std::to_string(param.param) + "Dpi"; });

// What Explorer, the file's properties and the system menu read from the built program: the icon
// in every size Windows shows, the About entry the system menu gets, and the copyright.
TEST(ProgramResources, HoldTheIconsTheAboutEntryAndTheCopyright) {
    const fs::path exe = pcPath(BELLTIDE_BUILD_DIR) / "Belltide.exe";
    const HMODULE program =
        LoadLibraryExW(exe.wstring().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(program, nullptr);
    // RT_GROUP_ICON, which the headers give only as a narrow name in this build.
    const auto* group = static_cast<const BYTE*>(LockResource(
        LoadResource(program, FindResourceW(program, MAKEINTRESOURCEW(ResourceId::MainIcon),
                                            MAKEINTRESOURCEW(14)))));
    ASSERT_NE(group, nullptr) << "no icon";
    // The group's count, then its 14-byte entries (GRPICONDIRENTRY), each opening with the width.
    std::set<int> sizes;
    for (int i = 0; i < group[4] + 256 * group[5]; ++i)
        sizes.insert(group[6 + 14 * i] == 0 ? 256 : group[6 + 14 * i]);
    wchar_t about[64] = {};
    LoadStringW(program, ResourceId::AboutString, about, 64);
    FreeLibrary(program);
    // 16 and 32 for lists and title bars, 48 for Explorer's icons, 256 for its large views.
    for (int size : {16, 32, 48, 256})
        EXPECT_TRUE(sizes.count(size)) << size << " pixels missing";
    EXPECT_EQ(std::wstring(about), L"&About Belltide...");

    const DWORD bytes = GetFileVersionInfoSizeW(exe.wstring().c_str(), nullptr);
    std::vector<BYTE> info(bytes);
    ASSERT_TRUE(GetFileVersionInfoW(exe.wstring().c_str(), 0, bytes, info.data()));
    void* text = nullptr;
    UINT length = 0;
    ASSERT_TRUE(
        VerQueryValueW(info.data(), L"\\StringFileInfo\\040904B0\\LegalCopyright", &text, &length));
    EXPECT_EQ(std::wstring(static_cast<const wchar_t*>(text)),
              L"\u00A9 2026 The Belltide developers");
}
