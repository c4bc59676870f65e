// Every backend of RemoteDevice this platform has, each serving a virtual handheld folder: the
// virtual handheld itself, and our own remote-API library loaded at run time, as rapi.dll on
// Windows and with SynCE's ABI on Linux.
#pragma once

#include "device/DeviceLink.h"
#include "device/VirtualHandheld.h"
#include "files/PcPath.h"
#include "support/Environment.h"

#ifdef _WIN32
#include "device/RapiDevice.h"
#else
#include "device/SynceDevice.h"
#endif

struct DeviceBackend {
    const char* name;
    // A device object on the folder; through a library the folder holds for every object made
    // until the next call.
    std::function<std::unique_ptr<RemoteDevice>(const std::filesystem::path& folder)> make;
};

inline void PrintTo(const DeviceBackend& backend, std::ostream* out) {
    *out << backend.name;
}

inline std::vector<DeviceBackend> deviceBackends() {
    std::vector<DeviceBackend> all{{"virtual_handheld", [](const auto& folder) {
                                        return std::unique_ptr<RemoteDevice>(
                                            std::make_unique<VirtualHandheld>(folder));
                                    }}};
#ifdef _WIN32
    all.push_back({"rapi_dll", [](const auto& folder) {
                       setEnvironment("BELLTIDE_RAPI_DEVICE", pcText(folder));
                       return RapiDevice::make();
                   }});
#else
    all.push_back({"synce", [](const auto& folder) {
                       setEnvironment("BELLTIDE_RAPI_DEVICE", pcText(folder));
                       return SynceDevice::make(BELLTIDE_SYNCE_LIBRARY);
                   }});
#endif
    return all;
}

// The messages a device link shows in place.
struct RecordingMessages : DeviceMessages {
    void showMessage(const std::string& text) override { shown.push_back(text); }
    std::vector<std::string> shown;
};
