// The device a test's transfers reach, and the messages a device link shows in place.
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

// How each worker's device is made: the virtual handheld on the folder, unless a test says
// otherwise.
struct DeviceBackend {
    std::function<std::unique_ptr<RemoteDevice>(const std::filesystem::path& folder)> make;
};

inline std::vector<DeviceBackend> deviceBackends() {
    return {{[](const auto& folder) { return std::make_unique<VirtualHandheld>(folder); }}};
}

// The messages a device link shows in place.
struct RecordingMessages : DeviceMessages {
    void showMessage(const std::string& text) override { shown.push_back(text); }
    std::vector<std::string> shown;
};
