#include "DefaultDevice.h"

#include "device/VirtualHandheld.h"

#ifdef _WIN32
#include "device/RapiDevice.h"

#include <cstdlib>
#endif

RemoteDeviceFactory defaultDeviceFactory(const std::filesystem::path& programFolder) {
#ifdef _WIN32
    if (const char* chosen = std::getenv("BELLTIDE_DEVICE"); !chosen || !*chosen)
        return [] { return std::make_unique<RapiDevice>(); };
#endif
    return [folder = VirtualHandheld::defaultFolder(programFolder)] {
        return std::make_unique<VirtualHandheld>(folder);
    };
}
