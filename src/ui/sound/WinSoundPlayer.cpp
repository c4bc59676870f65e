#include "WinSoundPlayer.h"

#include "files/PcPath.h"

#include <windows.h> // with the wave player (mmsystem.h)

#include <string>

void WinSoundPlayer::playFile(const std::string& path) {
    PlaySoundW(pcPath(path).c_str(), nullptr, SND_FILENAME | SND_ASYNC);
}

void WinSoundPlayer::stop() {
    PlaySoundW(nullptr, nullptr, 0);
}
