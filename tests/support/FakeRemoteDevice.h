// An in-memory handheld: any call can be made to fail, and every call is recorded in order.
#pragma once

#include "device/DeviceLink.h"
#include "device/RemoteDevice.h"
#include "device/Utf16.h"

#include <cstdlib>
#include <cstring>
#include <map>
#include <set>
#include <string>
#include <vector>

class FakeRemoteDevice : public RemoteDevice {
public:
    struct Value {
        std::uint32_t type;
        std::vector<std::uint8_t> data;
    };
    // Keys by path without their root, e.g. "Snd\Event".
    std::map<std::string, std::map<std::string, Value>> registry;
    std::map<std::string, std::string> files; // device path -> content
    std::vector<std::string> calls;
    std::set<std::string> failing; // names of calls that fail
    bool shortTransfers = false;   // reads and writes move one byte less than asked
    bool answers = true;           // false: the connection attempt never finishes
    std::int32_t initResult = 0;
    std::int32_t invokeResult = 0;
    bool invokeGivesOutput = false;
    int buffersFreed = 0;
    std::set<Rapi::Handle> openFiles;

    std::shared_ptr<Rapi::InitAttempt> CeRapiInitEx() override {
        record("CeRapiInitEx");
        return std::make_shared<Attempt>(answers, initResult);
    }
    void CeRapiUninit() override { record("CeRapiUninit"); }

    long CeRegOpenKeyEx(Rapi::Key, const std::u16string& subKey, Rapi::Key* key) override {
        const std::string path = fromUtf16(subKey);
        if (fails("CeRegOpenKeyEx " + path) || !registry.count(path))
            return Rapi::ErrorFileNotFound;
        *key = m_keys.size() + 1;
        m_keys[*key] = path;
        return Rapi::ErrorSuccess;
    }
    long CeRegQueryValueEx(Rapi::Key key, const std::u16string& name, std::uint32_t* type,
                           std::uint8_t* data, std::uint32_t* size) override {
        if (fails("CeRegQueryValueEx " + fromUtf16(name)))
            return Rapi::ErrorFileNotFound;
        auto& values = registry[m_keys.at(key)];
        const auto found = values.find(fromUtf16(name));
        if (found == values.end())
            return Rapi::ErrorFileNotFound;
        if (found->second.data.size() > *size) {
            *size = static_cast<std::uint32_t>(found->second.data.size());
            return Rapi::ErrorMoreData;
        }
        *type = found->second.type;
        *size = static_cast<std::uint32_t>(found->second.data.size());
        if (*size > 0)
            std::memcpy(data, found->second.data.data(), *size);
        return Rapi::ErrorSuccess;
    }
    long CeRegSetValueEx(Rapi::Key key, const std::u16string& name, std::uint32_t type,
                         const std::uint8_t* data, std::uint32_t size) override {
        if (fails("CeRegSetValueEx " + fromUtf16(name)))
            return 5;
        registry[m_keys.at(key)][fromUtf16(name)] = {type, {data, data + size}};
        return Rapi::ErrorSuccess;
    }
    long CeRegCloseKey(Rapi::Key key) override {
        record("CeRegCloseKey");
        return m_keys.erase(key) ? Rapi::ErrorSuccess : Rapi::ErrorFileNotFound;
    }

    Rapi::Handle CeCreateFile(const std::u16string& path, std::uint32_t access, std::uint32_t,
                              std::uint32_t, std::uint32_t) override {
        const std::string name = fromUtf16(path);
        if (fails("CeCreateFile") || (access == Rapi::GenericRead && !files.count(name)))
            return Rapi::InvalidHandle;
        if (access == Rapi::GenericWrite)
            files[name].clear();
        const Rapi::Handle handle = 0x1000 + m_handles.size();
        m_handles[handle] = name;
        openFiles.insert(handle);
        return handle;
    }
    std::uint32_t CeGetFileSize(Rapi::Handle file, std::uint32_t*) override {
        if (fails("CeGetFileSize"))
            return Rapi::InvalidFileSize;
        return static_cast<std::uint32_t>(files.at(m_handles.at(file)).size());
    }
    bool CeReadFile(Rapi::Handle file, void* buffer, std::uint32_t toRead,
                    std::uint32_t* read) override {
        if (fails("CeReadFile"))
            return false;
        const auto& content = files.at(m_handles.at(file));
        *read = std::min<std::uint32_t>(toRead, static_cast<std::uint32_t>(content.size()));
        if (shortTransfers && *read > 0)
            --*read;
        if (*read > 0)
            std::memcpy(buffer, content.data(), *read);
        return true;
    }
    bool CeWriteFile(Rapi::Handle file, const void* buffer, std::uint32_t toWrite,
                     std::uint32_t* written) override {
        if (fails("CeWriteFile"))
            return false;
        *written = shortTransfers && toWrite > 0 ? toWrite - 1 : toWrite;
        files.at(m_handles.at(file)).append(static_cast<const char*>(buffer), *written);
        return true;
    }
    bool CeCloseHandle(Rapi::Handle file) override {
        record("CeCloseHandle");
        return openFiles.erase(file) != 0;
    }

    std::int32_t CeRapiInvoke(const std::u16string& library, const std::u16string& function,
                              std::uint32_t* outputSize, std::uint8_t** output) override {
        record("CeRapiInvoke " + fromUtf16(library) + " " + fromUtf16(function));
        *outputSize = invokeGivesOutput ? 4 : 0;
        *output = invokeGivesOutput ? static_cast<std::uint8_t*>(std::malloc(4)) : nullptr;
        return invokeResult;
    }
    void CeRapiFreeBuffer(void* buffer) override {
        ++buffersFreed;
        std::free(buffer);
    }

private:
    class Attempt : public Rapi::InitAttempt {
    public:
        Attempt(bool answers, std::int32_t result) : m_answers(answers), m_result(result) {}
        bool wait(std::chrono::milliseconds) override { return m_answers; }
        std::int32_t result() const override { return m_result; }

    private:
        bool m_answers;
        std::int32_t m_result;
    };

    void record(const std::string& call) { calls.push_back(call); }
    bool fails(const std::string& call) {
        record(call);
        const auto space = call.find(' ');
        return failing.count(call) || failing.count(call.substr(0, space));
    }

    std::map<Rapi::Key, std::string> m_keys;
    std::map<Rapi::Handle, std::string> m_handles;
};

class RecordingMessages : public DeviceMessages {
public:
    void showMessage(const std::string& text) override { shown.push_back(text); }
    std::vector<std::string> shown;
};

// UTF-16LE bytes of strings each ended by a NUL, and one more NUL when asked.
inline std::vector<std::uint8_t> utf16Strings(const std::vector<std::string>& strings,
                                              bool closeList = true) {
    std::vector<std::uint8_t> data;
    for (const auto& text : strings) {
        const auto bytes = utf16Bytes(text);
        data.insert(data.end(), bytes.begin(), bytes.end());
    }
    if (closeList)
        data.insert(data.end(), {0, 0});
    return data;
}
