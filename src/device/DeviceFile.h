// A file open on the device, closed on every way out of the operation that opened it. Device
// layer only.
#pragma once

#include "device/RemoteDevice.h"

#include <utility>

class DeviceFile {
public:
    DeviceFile(RemoteDevice& device, Rapi::Handle handle) : m_device(device), m_handle(handle) {}
    ~DeviceFile() {
        if (isOpen())
            m_device.CeCloseHandle(m_handle);
    }
    DeviceFile(const DeviceFile&) = delete;
    DeviceFile& operator=(const DeviceFile&) = delete;

    bool isOpen() const { return m_handle != Rapi::InvalidHandle; }
    Rapi::Handle handle() const { return m_handle; }
    // Closing is where a device may report that the data did not fit.
    [[nodiscard]] bool close() {
        const Rapi::Handle handle = std::exchange(m_handle, Rapi::InvalidHandle);
        return m_device.CeCloseHandle(handle);
    }

private:
    RemoteDevice& m_device;
    Rapi::Handle m_handle;
};
