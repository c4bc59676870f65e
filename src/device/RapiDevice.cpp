// The one file of the program that sees the platform's headers: rapi.dll's side of
// LoadedRapiDevice.
#include "RapiDevice.h"

#include "device/LoadedRapiDevice.h"
#include "device/RapiFunctions.h"
#include "device/Utf16.h"

#include <algorithm>

namespace {

std::wstring wide(const std::u16string& text) {
    return std::wstring(text.begin(), text.end());
}

struct WindowsRapi {
    using Name = std::u16string;
    using Module = HMODULE;
    using Char = WCHAR;
    using Key = HKEY;
    using Handle = HANDLE;
    using Dword = DWORD;

    struct Functions {
        decltype(&::CeRapiInitEx) CeRapiInitEx = nullptr;
        decltype(&::CeRapiUninit) CeRapiUninit = nullptr;
        decltype(&::CeRapiGetError) CeRapiGetError = nullptr;
        decltype(&::CeRegOpenKeyEx) CeRegOpenKeyEx = nullptr;
        decltype(&::CeRegQueryValueEx) CeRegQueryValueEx = nullptr;
        decltype(&::CeRegSetValueEx) CeRegSetValueEx = nullptr;
        decltype(&::CeRegCloseKey) CeRegCloseKey = nullptr;
        decltype(&::CeCreateFile) CeCreateFile = nullptr;
        decltype(&::CeGetFileSize) CeGetFileSize = nullptr;
        decltype(&::CeReadFile) CeReadFile = nullptr;
        decltype(&::CeWriteFile) CeWriteFile = nullptr;
        decltype(&::CeCloseHandle) CeCloseHandle = nullptr;
        decltype(&::CeDeleteFile) CeDeleteFile = nullptr;
        decltype(&::CeMoveFile) CeMoveFile = nullptr;
        // Not in every library; with neither, the upload checks no free space.
        decltype(&::CeGetDiskFreeSpaceEx) CeGetDiskFreeSpaceEx = nullptr;
        decltype(&::CeGetStoreInformation) CeGetStoreInformation = nullptr;
        decltype(&::CeRapiInvoke) CeRapiInvoke = nullptr;
        decltype(&::CeRapiFreeBuffer) CeRapiFreeBuffer = nullptr;
    };
    using Library = RapiLibrary<WindowsRapi>;

    static std::string shownName(const Name& name) { return fromUtf16(name); }

    static Module open(const Name& name, std::string& problem) {
        // Not from the current directory or PATH, where anyone could have left a rapi.dll.
        HMODULE module =
            LoadLibraryExW(wide(name).c_str(), nullptr, LOAD_LIBRARY_SEARCH_DEFAULT_DIRS);
        if (!module && GetLastError() == ERROR_INVALID_PARAMETER)
            module = LoadLibraryW(wide(name).c_str()); // a system without that search
        // Only an absent library means absent software; one of the wrong kind is there all the
        // same.
        if (!module && GetLastError() == ERROR_MOD_NOT_FOUND)
            problem = RapiDevice::ConnectionSoftwareMissing;
        return module;
    }
    static void (*symbol(Module module, const char* name))() {
        return reinterpret_cast<void (*)()>(GetProcAddress(module, name));
    }
    static void close(Module module) { FreeLibrary(module); }

    template <typename Find> static void resolveOwn(Functions& f, Find& find) {
        find("CeRapiInitEx", f.CeRapiInitEx);
        find("CeGetDiskFreeSpaceEx", f.CeGetDiskFreeSpaceEx, false);
        find("CeGetStoreInformation", f.CeGetStoreInformation, false);
    }

    static Key toKey(Rapi::Key key) {
        // The predefined roots as the platform's headers give them (sign-extended on 64-bit).
        if (key == Rapi::HkeyCurrentUser)
            return HKEY_CURRENT_USER;
        if (key == Rapi::HkeyLocalMachine)
            return HKEY_LOCAL_MACHINE;
        return reinterpret_cast<HKEY>(key);
    }
    static Rapi::Key fromKey(Key key) { return reinterpret_cast<Rapi::Key>(key); }
    static Handle toHandle(Rapi::Handle handle) { return reinterpret_cast<HANDLE>(handle); }
    static Rapi::Handle fromHandle(Handle handle) {
        if (handle == INVALID_HANDLE_VALUE || handle == nullptr)
            return Rapi::InvalidHandle;
        return reinterpret_cast<Rapi::Handle>(handle);
    }

    static std::shared_ptr<Rapi::InitAttempt>
    startConnection(const std::shared_ptr<const Library>& library);

    // CeGetDiskFreeSpaceEx where the library has it, else the object store's free space.
    static bool freeSpace(const Functions& calls, const Char* folder, std::uint64_t& available) {
        if (calls.CeGetDiskFreeSpaceEx) {
            ULARGE_INTEGER toCaller{}, total{}, free{};
            if (!calls.CeGetDiskFreeSpaceEx(folder, &toCaller, &total, &free))
                return false;
            available = toCaller.QuadPart;
            return true;
        }
        STORE_INFORMATION store{};
        if (!calls.CeGetStoreInformation || !calls.CeGetStoreInformation(&store))
            return false;
        available = store.dwFreeSize;
        return true;
    }

    // The connection message says all there is to say.
    static constexpr const char* NoHandheldHint = "";
};

// RAPIINIT lives here, where the library fills in the outcome after CeRapiInitEx returned.
// The event belongs to the library, which the record's documentation leaves it to close.
class RapiAttempt : public Rapi::InitAttempt {
public:
    explicit RapiAttempt(std::shared_ptr<const WindowsRapi::Library> library)
        : m_library(std::move(library)) {
        m_init.cbSize = sizeof(RAPIINIT);
        m_init.hrRapiInit = E_FAIL; // unless the library says otherwise
    }
    RAPIINIT* init() { return &m_init; }

    // Without an event, the library has nothing more to tell.
    bool wait(std::chrono::milliseconds timeout) override {
        const auto ms =
            std::clamp<std::chrono::milliseconds::rep>(timeout.count(), 0, INFINITE - 1);
        return !m_init.heRapiInit ||
               WaitForSingleObject(m_init.heRapiInit, static_cast<DWORD>(ms)) == WAIT_OBJECT_0;
    }
    std::int32_t result() const override { return m_init.hrRapiInit; }

private:
    std::shared_ptr<const WindowsRapi::Library> m_library;
    RAPIINIT m_init{};
};

std::shared_ptr<Rapi::InitAttempt>
WindowsRapi::startConnection(const std::shared_ptr<const Library>& library) {
    auto attempt = std::make_shared<RapiAttempt>(library);
    if (FAILED(library->call.CeRapiInitEx(attempt->init())))
        return nullptr;
    return attempt;
}

} // namespace

std::unique_ptr<RemoteDevice> RapiDevice::make(const std::u16string& library) {
    return std::make_unique<LoadedRapiDevice<WindowsRapi>>(library);
}
