// A device that fails one chosen call and passes every other one on to a real device.
#pragma once

#include "device/VirtualHandheld.h"

#include <algorithm>
#include <csignal>
#include <future>

// What each device made for a test is to do, and what it counts, shared by them all.
struct DeviceFaults {
    // failAt counts the calls that can fail, from 0; -1 fails none. The name of the call made to
    // fail goes to failedCall; with killAtFailure, the process is killed at it instead (not on
    // Windows). Before call number strayAt, another thread makes a call too. openKeys counts the
    // keys opened and not yet closed.
    int failAt = -1, strayAt = -1, deviceCalls = 0, openKeys = 0;
    bool killAtFailure = false;
    std::string failedCall;
};

class FailingDevice : public RemoteDevice {
public:
    FailingDevice(std::unique_ptr<RemoteDevice> device, DeviceFaults& faults)
        : m_device(std::move(device)), m_faults(faults) {}

    // A refused connection, as a handheld that is not there answers.
    std::shared_ptr<Rapi::InitAttempt> CeRapiInitEx() override {
        return fails("CeRapiInitEx") ? VirtualHandheld({}).CeRapiInitEx()
                                     : m_device->CeRapiInitEx();
    }
    // The session ends all the same.
    std::int32_t CeRapiUninit() override {
        const bool failing = fails("CeRapiUninit");
        const std::int32_t result = m_device->CeRapiUninit();
        return failing ? Rapi::EFail : result;
    }

    long CeRegOpenKeyEx(Rapi::Key root, const std::u16string& subKey, Rapi::Key* key) override {
        const long result =
            fails("CeRegOpenKeyEx") ? Denied : m_device->CeRegOpenKeyEx(root, subKey, key);
        m_faults.openKeys += result == Rapi::ErrorSuccess ? 1 : 0;
        return result;
    }
    long CeRegQueryValueEx(Rapi::Key k, const std::u16string& n, std::uint32_t* t, std::uint8_t* d,
                           std::uint32_t* s) override {
        return fails("CeRegQueryValueEx") ? Denied : m_device->CeRegQueryValueEx(k, n, t, d, s);
    }
    long CeRegSetValueEx(Rapi::Key k, const std::u16string& n, std::uint32_t t,
                         const std::uint8_t* d, std::uint32_t s) override {
        return fails("CeRegSetValueEx") ? Denied : m_device->CeRegSetValueEx(k, n, t, d, s);
    }
    // Closing always reaches the device, failed or not.
    long CeRegCloseKey(Rapi::Key key) override {
        --m_faults.openKeys;
        return std::max(m_device->CeRegCloseKey(key), fails("CeRegCloseKey") ? Denied : 0L);
    }

    Rapi::Handle CeCreateFile(const std::u16string& p, std::uint32_t a, std::uint32_t s,
                              std::uint32_t d, std::uint32_t f) override {
        return fails("CeCreateFile") ? Rapi::InvalidHandle : m_device->CeCreateFile(p, a, s, d, f);
    }
    std::uint32_t CeGetFileSize(Rapi::Handle file, std::uint32_t* high) override {
        return fails("CeGetFileSize") ? Rapi::InvalidFileSize : m_device->CeGetFileSize(file, high);
    }
    bool CeReadFile(Rapi::Handle file, void* to, std::uint32_t size, std::uint32_t* read) override {
        return !fails("CeReadFile") && m_device->CeReadFile(file, to, size, read);
    }
    bool CeWriteFile(Rapi::Handle f, const void* b, std::uint32_t n, std::uint32_t* w) override {
        return !fails("CeWriteFile") && m_device->CeWriteFile(f, b, n, w);
    }
    bool CeCloseHandle(Rapi::Handle file) override {
        return std::min(m_device->CeCloseHandle(file), !fails("CeCloseHandle"));
    }
    bool CeDeleteFile(const std::u16string& path) override {
        return !fails("CeDeleteFile") && m_device->CeDeleteFile(path);
    }
    bool CeMoveFile(const std::u16string& from, const std::u16string& to) override {
        return !fails("CeMoveFile") && m_device->CeMoveFile(from, to);
    }
    bool CeGetDiskFreeSpaceEx(const std::u16string& folder, std::uint64_t* available) override {
        return !fails("CeGetDiskFreeSpaceEx") && m_device->CeGetDiskFreeSpaceEx(folder, available);
    }

    std::int32_t CeRapiInvoke(const std::u16string& l, const std::u16string& f, std::uint32_t* s,
                              std::uint8_t** o) override {
        return fails("CeRapiInvoke") ? Rapi::ErrorFileNotFound : m_device->CeRapiInvoke(l, f, s, o);
    }
    void CeRapiFreeBuffer(void* buffer) override { m_device->CeRapiFreeBuffer(buffer); }
    std::string whereToFind() const override { return m_device->whereToFind(); }

private:
    static constexpr long Denied = 5;

    bool fails(const char* call) {
        if (m_faults.deviceCalls == m_faults.strayAt) {
            std::async(std::launch::async, [this] {
                std::uint32_t high = 0;
                static_cast<void>(m_device->CeGetFileSize(Rapi::InvalidHandle, &high));
            }).wait();
        }
        if (m_faults.deviceCalls++ != m_faults.failAt)
            return false;
#ifndef _WIN32
        if (m_faults.killAtFailure)
            ::raise(SIGKILL);
#endif
        m_faults.failedCall = call;
        return true;
    }

    std::unique_ptr<RemoteDevice> m_device;
    DeviceFaults& m_faults;
};
