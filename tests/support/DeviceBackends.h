// The devices tests reach, and the messages a device link shows in place.
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

// The messages a device link shows in place.
struct RecordingMessages : DeviceMessages {
    void showMessage(const std::string& text) override { shown.push_back(text); }
    std::vector<std::string> shown;
};
