// The main window's part that only Windows has: the About entry of the system menu.
#include "BelltideFrame.h"

#include "ui/ControlIds.h"

#include <wx/iconbndl.h>

#include <windows.h>

#include <iterator>

wxIconBundle BelltideFrame::resourceIcons() {
    return wxIconBundle(wxString::Format("#%d", ResourceId::MainIcon), GetModuleHandleW(nullptr));
}

void BelltideFrame::appendSystemMenuAbout() {
    HMENU systemMenu = GetSystemMenu(static_cast<HWND>(GetHWND()), FALSE);
    wchar_t text[256] = {};
    if (!systemMenu || LoadStringW(GetModuleHandleW(nullptr), ResourceId::AboutString, text,
                                   static_cast<int>(std::size(text))) <= 0)
        return;
    AppendMenuW(systemMenu, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(systemMenu, MF_STRING, ResourceId::SystemAbout, text);
}

WXLRESULT BelltideFrame::MSWWindowProc(WXUINT message, WXWPARAM wParam, WXLPARAM lParam) {
    // The low four bits of a system command belong to Windows.
    if (message == WM_SYSCOMMAND && (wParam & 0xFFF0) == ResourceId::SystemAbout) {
        m_help->OnAbout();
        return 0;
    }
    return wxFrame::MSWWindowProc(message, wParam, lParam);
}
