// The real handheld through a remote-API library loaded at run time, written once for both kinds
// of library: rapi.dll on Windows and SynCE's on Linux. Their differences are the Abi's
// (RapiLibrary.h); RapiDevice.cpp and SynceDevice.cpp, the only sources that include this
// header, give it.
#pragma once

#include "device/RapiLibrary.h"
#include "device/RemoteDevice.h"

#include <algorithm>
#include <memory>
#include <string>
#include <utility>
#include <vector>

template <typename Abi> class LoadedRapiDevice final : public RemoteDevice {
public:
    using Library = RapiLibrary<Abi>;
    using Functions = typename Abi::Functions;

    // Nothing is loaded before the first call, which the session's own thread makes.
    explicit LoadedRapiDevice(typename Abi::Name name) : m_name(std::move(name)) {}

    std::shared_ptr<Rapi::InitAttempt> CeRapiInitEx() override {
        if (!load())
            return nullptr;
        m_lost = false;
        return Abi::startConnection(m_library);
    }
    std::int32_t CeRapiUninit() override {
        return m_library ? static_cast<std::int32_t>(m_library->call.CeRapiUninit()) : Rapi::EFail;
    }

    long CeRegOpenKeyEx(Rapi::Key root, const std::u16string& subKey, Rapi::Key* key) override {
        const Functions* calls = functions();
        if (!calls)
            return Rapi::ErrorModNotFound;
        typename Abi::Key opened{};
        const long result =
            calls->CeRegOpenKeyEx(Abi::toKey(root), text(subKey).data(), 0, 0, &opened);
        if (result == Rapi::ErrorSuccess)
            *key = Abi::fromKey(opened);
        else
            checkTransport(result);
        return result;
    }
    // The size is always passed, and the library given room for twice the bytes asked: older
    // devices write that much. A value that does not fit is never cut to size.
    long CeRegQueryValueEx(Rapi::Key key, const std::u16string& name, std::uint32_t* type,
                           std::uint8_t* data, std::uint32_t* size) override {
        const Functions* calls = functions();
        if (!calls)
            return Rapi::ErrorModNotFound;
        const std::uint32_t asked = size ? *size : 0;
        typename Abi::Dword valueType = 0, valueSize = asked;
        std::vector<std::uint8_t> room(data ? std::max<std::size_t>(2 * std::size_t{asked}, 2) : 0);
        long result =
            calls->CeRegQueryValueEx(Abi::toKey(key), text(name).data(), nullptr, &valueType,
                                     data ? room.data() : nullptr, &valueSize);
        if (result == Rapi::ErrorSuccess && data && valueSize > asked)
            result = Rapi::ErrorMoreData;
        else if (result == Rapi::ErrorSuccess && data)
            std::copy_n(room.begin(), valueSize, data);
        if (type)
            *type = valueType;
        if (size)
            *size = valueSize;
        if (result != Rapi::ErrorSuccess && result != Rapi::ErrorMoreData)
            checkTransport(result);
        return result;
    }
    long CeRegSetValueEx(Rapi::Key key, const std::u16string& name, std::uint32_t type,
                         const std::uint8_t* data, std::uint32_t size) override {
        const Functions* calls = functions();
        if (!calls)
            return Rapi::ErrorModNotFound;
        const long result =
            calls->CeRegSetValueEx(Abi::toKey(key), text(name).data(), 0, type, data, size);
        if (result != Rapi::ErrorSuccess)
            checkTransport(result);
        return result;
    }
    long CeRegCloseKey(Rapi::Key key) override {
        const Functions* calls = cleanUpFunctions();
        return calls ? calls->CeRegCloseKey(Abi::toKey(key)) : ErrorNotConnected;
    }

    Rapi::Handle CeCreateFile(const std::u16string& path, std::uint32_t access,
                              std::uint32_t shareMode, std::uint32_t disposition,
                              std::uint32_t attributes) override {
        return call(Rapi::InvalidHandle, [&](const Functions& f) {
            return Abi::fromHandle(f.CeCreateFile(text(path).data(), access, shareMode, nullptr,
                                                  disposition, attributes, {}));
        });
    }
    std::uint32_t CeGetFileSize(Rapi::Handle file, std::uint32_t* high) override {
        typename Abi::Dword highPart = 0;
        const std::uint32_t low = call(Rapi::InvalidFileSize, [&](const Functions& f) {
            return std::uint32_t{f.CeGetFileSize(Abi::toHandle(file), high ? &highPart : nullptr)};
        });
        if (high)
            *high = highPart;
        return low;
    }
    bool CeReadFile(Rapi::Handle file, void* buffer, std::uint32_t toRead,
                    std::uint32_t* read) override {
        typename Abi::Dword count = 0;
        const bool done = call(false, [&](const Functions& f) {
            return f.CeReadFile(Abi::toHandle(file), buffer, toRead, &count, nullptr) != 0;
        });
        if (read)
            *read = count;
        return done;
    }
    bool CeWriteFile(Rapi::Handle file, const void* buffer, std::uint32_t toWrite,
                     std::uint32_t* written) override {
        typename Abi::Dword count = 0;
        const bool done = call(false, [&](const Functions& f) {
            return f.CeWriteFile(Abi::toHandle(file), buffer, toWrite, &count, nullptr) != 0;
        });
        if (written)
            *written = count;
        return done;
    }
    bool CeCloseHandle(Rapi::Handle file) override {
        const Functions* calls = cleanUpFunctions();
        return calls && calls->CeCloseHandle(Abi::toHandle(file));
    }
    bool CeDeleteFile(const std::u16string& path) override {
        return call(false,
                    [&](const Functions& f) { return f.CeDeleteFile(text(path).data()) != 0; });
    }
    bool CeMoveFile(const std::u16string& from, const std::u16string& to) override {
        return call(false, [&](const Functions& f) {
            return f.CeMoveFile(text(from).data(), text(to).data()) != 0;
        });
    }
    bool CeGetDiskFreeSpaceEx(const std::u16string& folder, std::uint64_t* freeToCaller) override {
        return freeToCaller && call(false, [&](const Functions& f) {
                   return Abi::freeSpace(f, text(folder).data(), *freeToCaller);
               });
    }

    // Answers result codes in the HRESULT form as the Win32 codes the link knows.
    std::int32_t CeRapiInvoke(const std::u16string& library, const std::u16string& function,
                              std::uint32_t* outputSize, std::uint8_t** output) override {
        if (outputSize)
            *outputSize = 0;
        if (output)
            *output = nullptr;
        const Functions* calls = functions();
        if (!calls)
            return Rapi::ErrorFileNotFound;
        typename Abi::Dword size = 0;
        std::uint8_t* data = nullptr;
        const std::int32_t result = calls->CeRapiInvoke(text(library).data(), text(function).data(),
                                                        0, nullptr, &size, &data, nullptr, 0);
        if (output)
            *output = data;
        else if (data)
            calls->CeRapiFreeBuffer(data);
        if (outputSize && output)
            *outputSize = size;
        if (result < 0)
            checkTransport();
        return rapiWin32Code(result);
    }
    // Through the library's own function, the only one that may free what it allocated.
    void CeRapiFreeBuffer(void* buffer) override {
        if (m_library && buffer)
            m_library->call.CeRapiFreeBuffer(buffer);
    }

    // Why there is no handheld: a library that could not be loaded or lacks a function, else
    // where the platform's handheld should be.
    std::string whereToFind() const override {
        if (!m_missing.empty())
            return "The library " + Abi::shownName(m_name) + " lacks the function " + m_missing +
                   ", which Belltide needs.";
        return m_library ? Abi::NoHandheldHint : m_problem;
    }

private:
    static constexpr long ErrorNotConnected = 2250;

    // The library's functions, loaded on the first call; none without the library. Raises
    // ConnectionLost once the connection is gone.
    const Functions* functions() {
        if (m_lost)
            throw Rapi::ConnectionLost{};
        return load() ? &m_library->call : nullptr;
    }
    // The same for calls that clean up, which never raise: none once the connection is gone.
    const Functions* cleanUpFunctions() const {
        return m_library && !m_lost ? &m_library->call : nullptr;
    }

    bool load() {
        if (!std::exchange(m_tried, true))
            m_library = Library::load(m_name, m_problem, m_missing);
        return m_library != nullptr;
    }

    // A call through the table, failing without the library; when it failed, the transport is
    // asked whether the connection is gone.
    template <typename Result, typename Call> Result call(Result failure, const Call& make) {
        const Functions* calls = functions();
        if (!calls)
            return failure;
        const Result result = make(*calls);
        if (result == failure)
            checkTransport();
        return result;
    }

    // After a call failed: when the transport failed too, the connection is gone. Returns false
    // otherwise, the call's own failure.
    bool checkTransport(long result = 0) {
        if (result != ErrorNotConnected && m_library->call.CeRapiGetError() >= 0)
            return false;
        m_lost = true;
        throw Rapi::ConnectionLost{};
    }

    static std::vector<typename Abi::Char> text(const std::u16string& units) {
        return wideText<typename Abi::Char>(units);
    }

    typename Abi::Name m_name;
    bool m_tried = false;
    std::string m_problem; // why the library could not be loaded; "" when nothing is to be said
    std::string m_missing; // the first function it lacks
    // Shared with the connection attempts, which outlive no library they wait on.
    std::shared_ptr<Library> m_library;
    bool m_lost = false;
};
