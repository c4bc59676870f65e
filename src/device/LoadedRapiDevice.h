// The real handheld through a remote-API library loaded at run time, written once for both kinds
// of library: rapi.dll on Windows and SynCE's on Linux. The two differ in the types of their
// functions, in how they are loaded and connect, and in what the user is told; Abi gives those
// (RapiDevice.cpp, SynceDevice.cpp, the only sources that include this header).
//
// Abi provides: Name (the library's name as the loader takes it) and shownName(Name); Module,
// open(Name, std::string& problem), symbol(Module, const char*) and close(Module); Functions, the
// table with a member of each shared function's own pointer type, and resolveOwn(Functions&, find)
// for the rest; Char, Key, Handle, Dword and the conversions key() and handle() both ways;
// startConnection(library); freeSpace(functions, folder, bytes); NoHandheldHint.
#pragma once

#include "device/RemoteDevice.h"

#include <algorithm>
#include <memory>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

template <typename Abi> struct RapiLibrary {
    typename Abi::Module module{};
    typename Abi::Functions call{};

    RapiLibrary() = default;
    RapiLibrary(const RapiLibrary&) = delete;
    RapiLibrary& operator=(const RapiLibrary&) = delete;
    ~RapiLibrary() {
        if (module)
            Abi::close(module);
    }
};

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
    void CeRapiUninit() override {
        if (m_library)
            m_library->call.CeRapiUninit();
    }

    long CeRegOpenKeyEx(Rapi::Key root, const std::u16string& subKey, Rapi::Key* key) override {
        const Functions* calls = functions();
        if (!calls)
            return ErrorModNotFound;
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
            return ErrorModNotFound;
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
            return ErrorModNotFound;
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
        const Functions* calls = functions();
        if (!calls)
            return Rapi::InvalidHandle;
        const Rapi::Handle file = Abi::fromHandle(calls->CeCreateFile(
            text(path).data(), access, shareMode, nullptr, disposition, attributes, {}));
        if (file == Rapi::InvalidHandle)
            checkTransport();
        return file;
    }
    std::uint32_t CeGetFileSize(Rapi::Handle file, std::uint32_t* high) override {
        const Functions* calls = functions();
        if (!calls)
            return Rapi::InvalidFileSize;
        typename Abi::Dword highPart = 0;
        const std::uint32_t low =
            calls->CeGetFileSize(Abi::toHandle(file), high ? &highPart : nullptr);
        if (low == Rapi::InvalidFileSize)
            checkTransport();
        if (high)
            *high = highPart;
        return low;
    }
    bool CeReadFile(Rapi::Handle file, void* buffer, std::uint32_t toRead,
                    std::uint32_t* read) override {
        const Functions* calls = functions();
        typename Abi::Dword count = 0;
        const bool done =
            calls && calls->CeReadFile(Abi::toHandle(file), buffer, toRead, &count, nullptr);
        if (read)
            *read = count;
        return done || (calls && checkTransport());
    }
    bool CeWriteFile(Rapi::Handle file, const void* buffer, std::uint32_t toWrite,
                     std::uint32_t* written) override {
        const Functions* calls = functions();
        typename Abi::Dword count = 0;
        const bool done =
            calls && calls->CeWriteFile(Abi::toHandle(file), buffer, toWrite, &count, nullptr);
        if (written)
            *written = count;
        return done || (calls && checkTransport());
    }
    bool CeCloseHandle(Rapi::Handle file) override {
        const Functions* calls = cleanUpFunctions();
        return calls && calls->CeCloseHandle(Abi::toHandle(file));
    }
    bool CeDeleteFile(const std::u16string& path) override {
        const Functions* calls = functions();
        return calls && (calls->CeDeleteFile(text(path).data()) || checkTransport());
    }
    bool CeMoveFile(const std::u16string& from, const std::u16string& to) override {
        const Functions* calls = functions();
        return calls && (calls->CeMoveFile(text(from).data(), text(to).data()) || checkTransport());
    }
    bool CeGetDiskFreeSpaceEx(const std::u16string& folder, std::uint64_t* freeToCaller) override {
        const Functions* calls = functions();
        return calls && freeToCaller &&
               (Abi::freeSpace(*calls, text(folder).data(), *freeToCaller) || checkTransport());
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
        return win32Code(result);
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
    static constexpr long ErrorModNotFound = 126;
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
        if (!std::exchange(m_tried, true)) {
            auto library = std::make_shared<Library>();
            library->module = Abi::open(m_name, m_problem);
            if (library->module)
                m_missing = resolve(*library);
            if (library->module && m_missing.empty())
                m_library = std::move(library);
        }
        return m_library != nullptr;
    }

    // The name of the first function the library lacks; empty when it has them all.
    static std::string resolve(Library& library) {
        std::string missing;
        const auto find = [&](const char* name, auto& function, bool required = true) {
            // Through the generic function type, which any function pointer converts to cleanly.
            function = reinterpret_cast<std::remove_reference_t<decltype(function)>>(
                Abi::symbol(library.module, name));
            if (!function && required && missing.empty())
                missing = name;
        };
        Functions& f = library.call;
        find("CeRapiUninit", f.CeRapiUninit);
        find("CeRapiGetError", f.CeRapiGetError);
        find("CeRegOpenKeyEx", f.CeRegOpenKeyEx);
        find("CeRegQueryValueEx", f.CeRegQueryValueEx);
        find("CeRegSetValueEx", f.CeRegSetValueEx);
        find("CeRegCloseKey", f.CeRegCloseKey);
        find("CeCreateFile", f.CeCreateFile);
        find("CeGetFileSize", f.CeGetFileSize);
        find("CeReadFile", f.CeReadFile);
        find("CeWriteFile", f.CeWriteFile);
        find("CeCloseHandle", f.CeCloseHandle);
        find("CeDeleteFile", f.CeDeleteFile);
        find("CeMoveFile", f.CeMoveFile);
        find("CeRapiInvoke", f.CeRapiInvoke);
        find("CeRapiFreeBuffer", f.CeRapiFreeBuffer);
        Abi::resolveOwn(f, find);
        return missing;
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
        std::vector<typename Abi::Char> text(units.begin(), units.end());
        text.push_back(0);
        return text;
    }

    // Newer libraries answer a failed remote call as HRESULT_FROM_WIN32 of the cause, and name a
    // missing library or function by the loader's codes; the link knows the older Win32 ones.
    static std::int32_t win32Code(std::int32_t result) {
        auto code = static_cast<std::uint32_t>(result);
        if ((code & 0xFFFF0000u) == 0x80070000u)
            code &= 0xFFFFu;
        if (code == ErrorModNotFound)
            return Rapi::ErrorFileNotFound;
        if (code == ErrorModNotFound + 1) // ERROR_PROC_NOT_FOUND
            return Rapi::ErrorCallNotImplemented;
        return static_cast<std::int32_t>(code);
    }

    typename Abi::Name m_name;
    bool m_tried = false;
    std::string m_problem; // why the library could not be loaded; "" when nothing is to be said
    std::string m_missing; // the first function it lacks
    // Shared with the connection attempts, which outlive no library they wait on.
    std::shared_ptr<Library> m_library;
    bool m_lost = false;
};
