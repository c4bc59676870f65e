// Which handheld the program talks to. BELLTIDE_DEVICE names a virtual handheld, used instead of
// any other. Otherwise on Windows the real one through rapi.dll; on Linux the real one through
// SynCE's library when it loads (BELLTIDE_RAPI_LIBRARY names it by another name or path), else
// the virtual handheld in the program folder. Once a library is chosen there is no going back
// to a virtual handheld: a backup of its factory sounds would pass for the user's own.
#pragma once

#include "device/RemoteDevice.h"

#include <filesystem>
#include <string>

struct HandheldChoice {
    // Each call makes a new device object; any thread may call it.
    RemoteDeviceFactory factory;
    // Which handheld that is and how to choose another, in a sentence or two.
    std::string description;
};

// Calls nothing in any library; on Linux the loader only looks for SynCE's.
HandheldChoice chooseHandheld(const std::filesystem::path& programFolder);
