// SoundPlayer on SDL2 audio: one output device, opened on first use (UI thread only). SDL itself
// is loaded then too.
#pragma once

#include "ui/SoundPlayer.h"

#include <SDL_audio.h>

#include <cstdint>
#include <vector>

class SdlSoundPlayer : public SoundPlayer {
public:
    // The library as the system loads it.
    static constexpr const char* Library = "libSDL2-2.0.so.0";

    SdlSoundPlayer() = default;
    ~SdlSoundPlayer() override;
    SdlSoundPlayer(const SdlSoundPlayer&) = delete;
    SdlSoundPlayer& operator=(const SdlSoundPlayer&) = delete;

    void playFile(const std::string& path) override;
    void stop() override;
    void releaseIdleOutput() override;

private:
    [[nodiscard]] bool openDevice();
    void closeDevice();
    // The file's samples in the device's format; empty when it is no readable wave file.
    std::vector<std::uint8_t> loadConverted(const std::string& path) const;
    std::vector<std::uint8_t> defaultSound() const;

    enum class State { Closed, Open, Unavailable };
    State m_state = State::Closed;
    SDL_AudioDeviceID m_device = 0;
    SDL_AudioSpec m_spec{};
};
