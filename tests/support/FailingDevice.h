// A device that fails one chosen call and passes every other one on to a real device.
#pragma once

#include "device/RemoteDevice.h"

#include <memory>

class FailingDevice : public RemoteDevice {
public:
    // failAt counts the calls that can fail, from 0; -1 fails none.
    FailingDevice(std::unique_ptr<RemoteDevice> device, int failAt, int& callCount)
        : m_owned(std::move(device)), m_device(*m_owned), m_failAt(failAt), m_count(callCount) {}

    std::shared_ptr<Rapi::InitAttempt> CeRapiInitEx() override {
        if (fails())
            return std::make_shared<Refused>();
        return m_device.CeRapiInitEx();
    }
    void CeRapiUninit() override { m_device.CeRapiUninit(); }

    long CeRegOpenKeyEx(Rapi::Key root, const std::u16string& subKey, Rapi::Key* key) override {
        return fails() ? AccessDenied : m_device.CeRegOpenKeyEx(root, subKey, key);
    }
    long CeRegQueryValueEx(Rapi::Key key, const std::u16string& name, std::uint32_t* type,
                           std::uint8_t* data, std::uint32_t* size) override {
        return fails() ? AccessDenied : m_device.CeRegQueryValueEx(key, name, type, data, size);
    }
    long CeRegSetValueEx(Rapi::Key key, const std::u16string& name, std::uint32_t type,
                         const std::uint8_t* data, std::uint32_t size) override {
        return fails() ? AccessDenied : m_device.CeRegSetValueEx(key, name, type, data, size);
    }
    long CeRegCloseKey(Rapi::Key key) override {
        const long result = m_device.CeRegCloseKey(key);
        return fails() ? AccessDenied : result;
    }

    Rapi::Handle CeCreateFile(const std::u16string& path, std::uint32_t access,
                              std::uint32_t shareMode, std::uint32_t disposition,
                              std::uint32_t attributes) override {
        if (fails())
            return Rapi::InvalidHandle;
        return m_device.CeCreateFile(path, access, shareMode, disposition, attributes);
    }
    std::uint32_t CeGetFileSize(Rapi::Handle file, std::uint32_t* high) override {
        return fails() ? 0xFFFFFFFF : m_device.CeGetFileSize(file, high);
    }
    bool CeReadFile(Rapi::Handle file, void* buffer, std::uint32_t toRead,
                    std::uint32_t* read) override {
        return !fails() && m_device.CeReadFile(file, buffer, toRead, read);
    }
    bool CeWriteFile(Rapi::Handle file, const void* buffer, std::uint32_t toWrite,
                     std::uint32_t* written) override {
        return !fails() && m_device.CeWriteFile(file, buffer, toWrite, written);
    }
    bool CeCloseHandle(Rapi::Handle file) override {
        const bool closed = m_device.CeCloseHandle(file);
        return !fails() && closed;
    }

    std::int32_t CeRapiInvoke(const std::u16string& library, const std::u16string& function,
                              std::uint32_t* outputSize, std::uint8_t** output) override {
        if (fails())
            return static_cast<std::int32_t>(0x80004005);
        return m_device.CeRapiInvoke(library, function, outputSize, output);
    }
    void CeRapiFreeBuffer(void* buffer) override { m_device.CeRapiFreeBuffer(buffer); }

private:
    static constexpr long AccessDenied = 5;

    class Refused : public Rapi::InitAttempt {
    public:
        bool wait(std::chrono::milliseconds) override { return true; }
        std::int32_t result() const override { return static_cast<std::int32_t>(0x80004005); }
    };

    bool fails() { return m_count++ == m_failAt; }

    std::unique_ptr<RemoteDevice> m_owned;
    RemoteDevice& m_device;
    int m_failAt;
    int& m_count;
};
