#include "SdlSoundPlayer.h"

#include <SDL.h>

#include <cmath>
#include <dlfcn.h>
#include <numbers>

namespace {

// SDL with its audio drivers is a dozen libraries: loaded at the first sound, after the window is
// on screen, and kept, since its drivers' threads and caches must not outlive their code.
struct Sdl {
    decltype(&SDL_SetHint) setHint = nullptr;
    decltype(&SDL_InitSubSystem) initSubSystem = nullptr;
    decltype(&SDL_QuitSubSystem) quitSubSystem = nullptr;
    decltype(&SDL_OpenAudioDevice) openAudioDevice = nullptr;
    decltype(&SDL_CloseAudioDevice) closeAudioDevice = nullptr;
    decltype(&SDL_GetQueuedAudioSize) getQueuedAudioSize = nullptr;
    decltype(&SDL_ClearQueuedAudio) clearQueuedAudio = nullptr;
    decltype(&SDL_QueueAudio) queueAudio = nullptr;
    decltype(&SDL_PauseAudioDevice) pauseAudioDevice = nullptr;
    decltype(&SDL_RWFromFile) rwFromFile = nullptr;
    decltype(&SDL_LoadWAV_RW) loadWavRw = nullptr;
    decltype(&SDL_FreeWAV) freeWav = nullptr;
    decltype(&SDL_BuildAudioCVT) buildAudioCvt = nullptr;
    decltype(&SDL_ConvertAudio) convertAudio = nullptr;
};

template <typename Function> bool find(void* library, const char* name, Function& function) {
    function = reinterpret_cast<Function>(dlsym(library, name));
    return function != nullptr;
}

// Null when the library or one of its functions is missing: then no sound plays.
const Sdl* sdl() {
    static const Sdl* const loaded = []() -> const Sdl* {
        static Sdl calls;
        void* library = dlopen(SdlSoundPlayer::Library, RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
        if (!library)
            return nullptr;
        const bool whole = find(library, "SDL_SetHint", calls.setHint) &&
                           find(library, "SDL_InitSubSystem", calls.initSubSystem) &&
                           find(library, "SDL_QuitSubSystem", calls.quitSubSystem) &&
                           find(library, "SDL_OpenAudioDevice", calls.openAudioDevice) &&
                           find(library, "SDL_CloseAudioDevice", calls.closeAudioDevice) &&
                           find(library, "SDL_GetQueuedAudioSize", calls.getQueuedAudioSize) &&
                           find(library, "SDL_ClearQueuedAudio", calls.clearQueuedAudio) &&
                           find(library, "SDL_QueueAudio", calls.queueAudio) &&
                           find(library, "SDL_PauseAudioDevice", calls.pauseAudioDevice) &&
                           find(library, "SDL_RWFromFile", calls.rwFromFile) &&
                           find(library, "SDL_LoadWAV_RW", calls.loadWavRw) &&
                           find(library, "SDL_FreeWAV", calls.freeWav) &&
                           find(library, "SDL_BuildAudioCVT", calls.buildAudioCvt) &&
                           find(library, "SDL_ConvertAudio", calls.convertAudio);
        return whole ? &calls : nullptr;
    }();
    return loaded;
}

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
    sdl()->closeAudioDevice(m_device);
    sdl()->quitSubSystem(SDL_INIT_AUDIO);
    m_device = 0;
    m_state = State::Closed;
}

void SdlSoundPlayer::releaseIdleOutput() {
    // An open device keeps feeding silence to the system even when nothing plays.
    if (m_state == State::Open && sdl()->getQueuedAudioSize(m_device) == 0)
        closeDevice();
}

bool SdlSoundPlayer::openDevice() {
    if (m_state != State::Closed)
        return m_state == State::Open;
    m_state = State::Unavailable;
    const Sdl* calls = sdl();
    if (!calls)
        return false;
    // Otherwise SDL turns SIGINT and SIGTERM into events nobody reads while its audio is open.
    calls->setHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    if (calls->initSubSystem(SDL_INIT_AUDIO) != 0)
        return false;
    SDL_AudioSpec wanted{};
    wanted.freq = OutputRate;
    wanted.format = AUDIO_S16SYS;
    wanted.channels = OutputChannels;
    wanted.samples = 1024;
    // No changes allowed: SDL converts to the hardware, so every sound is prepared in one format.
    m_device = calls->openAudioDevice(nullptr, 0, &wanted, &m_spec, 0);
    if (m_device == 0) {
        calls->quitSubSystem(SDL_INIT_AUDIO);
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
    sdl()->clearQueuedAudio(m_device);
    sdl()->queueAudio(m_device, samples.data(), static_cast<Uint32>(samples.size()));
    sdl()->pauseAudioDevice(m_device, 0);
}

void SdlSoundPlayer::stop() {
    if (m_state == State::Open)
        sdl()->clearQueuedAudio(m_device);
}

std::vector<std::uint8_t> SdlSoundPlayer::loadConverted(const std::string& path) const {
    SDL_AudioSpec source{};
    Uint8* data = nullptr;
    Uint32 length = 0;
    const Sdl& calls = *sdl();
    if (calls.loadWavRw(calls.rwFromFile(path.c_str(), "rb"), 1, &source, &data, &length) ==
        nullptr)
        return {};
    std::vector<std::uint8_t> converted;
    SDL_AudioCVT cvt;
    if (calls.buildAudioCvt(&cvt, source.format, source.channels, source.freq, m_spec.format,
                            m_spec.channels, m_spec.freq) >= 0) {
        converted.assign(data, data + length);
        converted.resize(static_cast<std::size_t>(length) * static_cast<std::size_t>(cvt.len_mult));
        cvt.buf = converted.data();
        cvt.len = static_cast<int>(length);
        if (cvt.needed && calls.convertAudio(&cvt) != 0)
            converted.clear();
        else if (cvt.needed)
            converted.resize(static_cast<std::size_t>(cvt.len_cvt));
        else
            converted.resize(length);
    }
    calls.freeWav(data);
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
