// Every backend of RemoteDevice this platform has, each serving a virtual handheld folder: the
// virtual handheld itself, and on Windows rapi.dll loaded at run time (our own).
#pragma once

#include "device/DeviceLink.h"
#include "device/VirtualHandheld.h"
#include "files/PcPath.h"
#include "support/Environment.h"

#ifdef _WIN32
#include "device/RapiDevice.h"
#endif

struct DeviceBackend {
    const char* name;
    // A device object on the folder; with rapi.dll the folder holds for every object made
    // until the next call.
    std::function<std::unique_ptr<RemoteDevice>(const std::filesystem::path& folder)> make;
};

inline std::vector<DeviceBackend> deviceBackends() {
    std::vector<DeviceBackend> all{{"virtual_handheld", [](const auto& folder) {
                                        return std::unique_ptr<RemoteDevice>(
                                            std::make_unique<VirtualHandheld>(folder));
                                    }}};
#ifdef _WIN32
    all.push_back({"rapi_dll", [](const auto& folder) {
                       setEnvironment("BELLTIDE_RAPI_DEVICE", pcText(folder));
                       return std::unique_ptr<RemoteDevice>(std::make_unique<RapiDevice>());
                   }});
#endif
    return all;
}

// The messages a device link shows in place.
struct RecordingMessages : DeviceMessages {
    void showMessage(const std::string& text) override { shown.push_back(text); }
    std::vector<std::string> shown;
};
