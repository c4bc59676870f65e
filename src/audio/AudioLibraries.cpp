#include "AudioLibraries.h"

#ifndef _WIN32
#include <dlfcn.h>
#endif

namespace {

#ifdef _WIN32
AudioLibraries linked() {
    return {sf_wchar_open, sf_close,          sf_command,       sf_readf_float,
            sf_error,      soxr_create,       soxr_delete,      soxr_process,
            soxr_io_spec,  soxr_quality_spec, soxr_runtime_spec};
}
#else
// Loaded for good: the decoder keeps its codecs' state for the program's life.
struct Loaded {
    AudioLibraries calls;
    bool whole = false;
    std::string problem;
};

template <typename Function>
void find(void* library, const char* name, Function& function, Loaded& loaded) {
    function = library ? reinterpret_cast<Function>(dlsym(library, name)) : nullptr;
    if (!function && loaded.problem.empty())
        loaded.problem =
            std::string("Belltide could not find ") + name + " in its sound libraries.";
}

void* openLibrary(const char* name, Loaded& loaded) {
    void* library = dlopen(name, RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
    if (!library && loaded.problem.empty()) {
        const char* why = dlerror();
        loaded.problem = std::string("Belltide could not load ") + name +
                         (why ? std::string(": ") + why : std::string()) + ".";
    }
    return library;
}

Loaded load() {
    Loaded loaded;
    AudioLibraries& f = loaded.calls;
    void* decoder = openLibrary(DecoderLibrary, loaded);
    void* resampler = openLibrary(ResamplerLibrary, loaded);
    find(decoder, "sf_open", f.open, loaded);
    find(decoder, "sf_close", f.close, loaded);
    find(decoder, "sf_command", f.command, loaded);
    find(decoder, "sf_readf_float", f.readFloatFrames, loaded);
    find(decoder, "sf_error", f.error, loaded);
    find(resampler, "soxr_create", f.createResampler, loaded);
    find(resampler, "soxr_delete", f.deleteResampler, loaded);
    find(resampler, "soxr_process", f.resample, loaded);
    find(resampler, "soxr_io_spec", f.ioSpec, loaded);
    find(resampler, "soxr_quality_spec", f.qualitySpec, loaded);
    find(resampler, "soxr_runtime_spec", f.runtimeSpec, loaded);
    loaded.whole = loaded.problem.empty();
    return loaded;
}
#endif

} // namespace

const AudioLibraries* audioLibraries(std::string* problem) {
#ifdef _WIN32
    static const AudioLibraries calls = linked();
    static_cast<void>(problem);
    return &calls;
#else
    static const Loaded loaded = load();
    if (problem)
        *problem = loaded.problem;
    return loaded.whole ? &loaded.calls : nullptr;
#endif
}
