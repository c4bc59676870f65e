// The real handheld through the platform's remote API library (rapi.dll), loaded at run time on
// the first call; without the library or any one of its functions, connecting fails and every
// other call fails at once. Windows only.
#pragma once

#include "device/RemoteDevice.h"

#include <memory>
#include <string>

struct RapiDevice {
    // Looks for the library beside the program and in the system folders, never in the
    // current directory.
    static std::unique_ptr<RemoteDevice> make(const std::u16string& library = u"rapi.dll");

    // Said after a failed connection when the library could not be loaded at all: the
    // handheld's connection software is not installed. A library of another kind is not that.
    static constexpr const char* ConnectionSoftwareMissing =
        "The handheld's connection software, Windows Mobile Device Center, was not found.";
};
