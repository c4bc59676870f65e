// Which handheld the program talks to: on Windows the real one through rapi.dll, unless
// BELLTIDE_DEVICE names a virtual handheld; elsewhere always a virtual handheld.
#pragma once

#include "device/RemoteDevice.h"

#include <filesystem>

// Each call of the factory makes a new device object; any thread may call it.
RemoteDeviceFactory defaultDeviceFactory(const std::filesystem::path& programFolder);
