#include "SdlSoundPlayer.h"

#include <SDL.h>

#include <cmath>
#include <numbers>

namespace {

constexpr int OutputRate = 44100;
constexpr Uint8 OutputChannels = 2;
constexpr double DefaultToneHz = 880.0;
constexpr double DefaultToneSeconds = 0.15;

} // namespace

SdlSoundPlayer::~SdlSoundPlayer() {
    closeDevice();
}

void SdlSoundPlayer::closeDevice() {
    if (m_state != State::Open)
        return;
    SDL_CloseAudioDevice(m_device);
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    m_device = 0;
    m_state = State::Closed;
}

void SdlSoundPlayer::releaseIdleOutput() {
    // An open device keeps feeding silence to the system even when nothing plays.
    if (m_state == State::Open && SDL_GetQueuedAudioSize(m_device) == 0)
        closeDevice();
}

bool SdlSoundPlayer::openDevice() {
    if (m_state != State::Closed)
        return m_state == State::Open;
    m_state = State::Unavailable;
    // Otherwise SDL turns SIGINT and SIGTERM into events nobody reads while its audio is open.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0)
        return false;
    SDL_AudioSpec wanted{};
    wanted.freq = OutputRate;
    wanted.format = AUDIO_S16SYS;
    wanted.channels = OutputChannels;
    wanted.samples = 1024;
    // No changes allowed: SDL converts to the hardware, so every sound is prepared in one format.
    m_device = SDL_OpenAudioDevice(nullptr, 0, &wanted, &m_spec, 0);
    if (m_device == 0) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return false;
    }
    m_state = State::Open;
    return true;
}

void SdlSoundPlayer::playFile(const std::string& path) {
    if (!openDevice())
        return;
    std::vector<std::uint8_t> samples = loadConverted(path);
    if (samples.empty())
        samples = defaultSound();
    SDL_ClearQueuedAudio(m_device);
    SDL_QueueAudio(m_device, samples.data(), static_cast<Uint32>(samples.size()));
    SDL_PauseAudioDevice(m_device, 0);
}

void SdlSoundPlayer::stop() {
    if (m_state == State::Open)
        SDL_ClearQueuedAudio(m_device);
}

std::vector<std::uint8_t> SdlSoundPlayer::loadConverted(const std::string& path) const {
    SDL_AudioSpec source{};
    Uint8* data = nullptr;
    Uint32 length = 0;
    if (SDL_LoadWAV(path.c_str(), &source, &data, &length) == nullptr)
        return {};
    std::vector<std::uint8_t> converted;
    SDL_AudioCVT cvt;
    if (SDL_BuildAudioCVT(&cvt, source.format, source.channels, source.freq, m_spec.format,
                          m_spec.channels, m_spec.freq) >= 0) {
        converted.assign(data, data + length);
        converted.resize(static_cast<std::size_t>(length) * static_cast<std::size_t>(cvt.len_mult));
        cvt.buf = converted.data();
        cvt.len = static_cast<int>(length);
        if (cvt.needed && SDL_ConvertAudio(&cvt) != 0)
            converted.clear();
        else if (cvt.needed)
            converted.resize(static_cast<std::size_t>(cvt.len_cvt));
        else
            converted.resize(length);
    }
    SDL_FreeWAV(data);
    return converted;
}

std::vector<std::uint8_t> SdlSoundPlayer::defaultSound() const {
    const int frames = static_cast<int>(m_spec.freq * DefaultToneSeconds);
    std::vector<Sint16> tone;
    tone.reserve(static_cast<std::size_t>(frames) * m_spec.channels);
    for (int i = 0; i < frames; ++i) {
        const double t = static_cast<double>(i) / m_spec.freq;
        const double fade = 1.0 - static_cast<double>(i) / frames;
        const auto value = static_cast<Sint16>(
            6000.0 * fade * std::sin(2.0 * std::numbers::pi * DefaultToneHz * t));
        tone.insert(tone.end(), m_spec.channels, value);
    }
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(tone.data());
    return {bytes, bytes + tone.size() * sizeof(Sint16)};
}
