// The decoder (libsndfile) and the resampler (libsoxr) as the converter calls them. On Linux they
// are loaded at the first sound decoded, not at the program's start: with their codecs they are
// a dozen libraries that most runs never use. Windows links them into the program.
#pragma once

#include <sndfile.h>
#include <soxr.h>

#include <string>

struct AudioLibraries {
#ifdef _WIN32
    decltype(&sf_wchar_open) wcharOpen = nullptr;
#else
    decltype(&sf_open) open = nullptr;
#endif
    decltype(&sf_close) close = nullptr;
    decltype(&sf_command) command = nullptr;
    decltype(&sf_readf_float) readFloatFrames = nullptr;
    decltype(&sf_error) error = nullptr;
    decltype(&soxr_create) createResampler = nullptr;
    decltype(&soxr_delete) deleteResampler = nullptr;
    decltype(&soxr_process) resample = nullptr;
    decltype(&soxr_io_spec) ioSpec = nullptr;
    decltype(&soxr_quality_spec) qualitySpec = nullptr;
    decltype(&soxr_runtime_spec) runtimeSpec = nullptr;
};

// The libraries' names as the system loads them.
inline constexpr const char* DecoderLibrary = "libsndfile.so.1";
inline constexpr const char* ResamplerLibrary = "libsoxr.so.0";

// Any thread. The calls, loaded at the first use and kept; null when a library or one of its
// functions is missing, and then why in problem.
const AudioLibraries* audioLibraries(std::string* problem = nullptr);
