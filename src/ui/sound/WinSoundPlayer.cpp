#include "WinSoundPlayer.h"

#include <windows.h> // with the wave player (mmsystem.h)

#include <string>

namespace {

// The program's text is UTF-8; the wide call keeps names outside the ANSI code page.
std::wstring wide(const std::string& text) {
    const int length =
        MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring result(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), result.data(),
                        length);
    return result;
}

} // namespace

void WinSoundPlayer::playFile(const std::string& path) {
    PlaySoundW(wide(path).c_str(), nullptr, SND_FILENAME | SND_ASYNC);
}

void WinSoundPlayer::stop() {
    PlaySoundW(nullptr, nullptr, 0);
}
