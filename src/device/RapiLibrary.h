// A remote-API library loaded at run time with its table of functions, for LoadedRapiDevice. Abi
// gives what differs between the libraries:
// - Name, the library's name as the loader takes it, and shownName(Name) for messages;
// - Module, open(Name, std::string& problem), symbol(Module, const char*) and close(Module);
// - Functions, the table, a member of each function's own pointer type named as the function,
//   and resolveOwn(Functions&, find) for those not all libraries share;
// - Char, Key, Handle and Dword, with toKey, fromKey, toHandle and fromHandle;
// - startConnection(library), freeSpace(functions, folder, bytes) and NoHandheldHint.
#pragma once

#include "device/RemoteDevice.h"

#include <memory>
#include <string>
#include <type_traits>
#include <vector>

namespace Rapi {
inline constexpr long ErrorModNotFound = 126;
}

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

    // The library with every function resolved; none when it cannot be loaded (problem says why,
    // or is left empty) or lacks a function (missing names the first).
    static std::shared_ptr<RapiLibrary> load(const typename Abi::Name& name, std::string& problem,
                                             std::string& missing) {
        auto library = std::make_shared<RapiLibrary>();
        library->module = Abi::open(name, problem);
        if (!library->module)
            return nullptr;
        const auto find = [&](const char* function, auto& pointer, bool required = true) {
            // Through the generic function type, which any function pointer converts to cleanly.
            pointer = reinterpret_cast<std::remove_reference_t<decltype(pointer)>>(
                Abi::symbol(library->module, function));
            if (!pointer && required && missing.empty())
                missing = function;
        };
        auto& f = library->call;
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
        return missing.empty() ? library : nullptr;
    }
};

// The text in the library's UTF-16 units, closed by a NUL.
template <typename Char> std::vector<Char> wideText(const std::u16string& units) {
    std::vector<Char> text(units.begin(), units.end());
    text.push_back(0);
    return text;
}

// Newer libraries answer a failed remote call as HRESULT_FROM_WIN32 of the cause, and name a
// missing library or function by the loader's codes; the link knows the older Win32 ones.
inline std::int32_t rapiWin32Code(std::int32_t result) {
    auto code = static_cast<std::uint32_t>(result);
    if ((code & 0xFFFF0000u) == 0x80070000u)
        code &= 0xFFFFu;
    if (code == Rapi::ErrorModNotFound)
        return Rapi::ErrorFileNotFound;
    if (code == Rapi::ErrorModNotFound + 1) // ERROR_PROC_NOT_FOUND
        return Rapi::ErrorCallNotImplemented;
    return static_cast<std::int32_t>(code);
}
