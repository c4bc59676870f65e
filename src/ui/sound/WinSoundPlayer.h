// SoundPlayer on Windows' own wave player (UI thread only).
#pragma once

#include "ui/SoundPlayer.h"

class WinSoundPlayer : public SoundPlayer {
public:
    // Asynchronous; the system cuts off the sound playing, and plays its default sound for a
    // file it cannot find or play.
    void playFile(const std::string& path) override;
    void stop() override;
    // The system opens and closes the output itself.
    void releaseIdleOutput() override {}
};
