// The real handheld on Linux, through SynCE's remote API library loaded at run time: nothing is
// needed to build Belltide, nor installed by users without a handheld. The library is loaded by
// the first call, made like every other one on the thread that owns the session: SynCE keeps a
// connection for each thread.
#pragma once

#include "device/RemoteDevice.h"

#include <array>
#include <memory>
#include <string>

struct SynceDevice {
    // The library's names, newest first: synce-core 0.16 and later, then librapi2 0.15.
    static constexpr std::array<const char*, 2> LibraryNames{"libsynce.so.0", "librapi.so.2"};

    // The library by a name the system's loader looks up, or by path.
    static std::unique_ptr<RemoteDevice> make(const std::string& library);
    // The first of LibraryNames that loads, which stays loaded; empty when none does. Calls
    // nothing in it.
    static std::string findLibrary();

    // Said on a second line when the library is there but no handheld answers.
    static constexpr const char* NoHandheldHint =
        "Check that the Pocket PC is switched on and in its cradle or on its cable, and that "
        "SynCE's connection daemon dccm is running.";
};
