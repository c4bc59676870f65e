// SynCE's side of LoadedRapiDevice.
#include "SynceDevice.h"

#include "device/LoadedRapiDevice.h"
#include "device/SynceFunctions.h"

#include <chrono>
#include <dlfcn.h>
#include <thread>

namespace {

// What CeRapiInit answers at once when no handheld (or no dccm) is there: E_FAIL.
constexpr Synce::HRESULT NoHandheld = static_cast<Synce::HRESULT>(0x80004005);
// Between two tries to connect while the time lasts.
constexpr std::chrono::milliseconds RetryPause{250};

struct SynceRapi {
    using Name = std::string;
    using Module = void*;
    using Char = Synce::WCHAR;
    using Key = Synce::HKEY;
    using Handle = Synce::HANDLE;
    using Dword = Synce::DWORD;

    struct Functions {
        decltype(&Synce::CeRapiInit) CeRapiInit = nullptr;
        decltype(&Synce::CeRapiUninit) CeRapiUninit = nullptr;
        decltype(&Synce::CeRapiGetError) CeRapiGetError = nullptr;
        decltype(&Synce::CeRegOpenKeyEx) CeRegOpenKeyEx = nullptr;
        decltype(&Synce::CeRegQueryValueEx) CeRegQueryValueEx = nullptr;
        decltype(&Synce::CeRegSetValueEx) CeRegSetValueEx = nullptr;
        decltype(&Synce::CeRegCloseKey) CeRegCloseKey = nullptr;
        decltype(&Synce::CeCreateFile) CeCreateFile = nullptr;
        decltype(&Synce::CeGetFileSize) CeGetFileSize = nullptr;
        decltype(&Synce::CeReadFile) CeReadFile = nullptr;
        decltype(&Synce::CeWriteFile) CeWriteFile = nullptr;
        decltype(&Synce::CeCloseHandle) CeCloseHandle = nullptr;
        decltype(&Synce::CeDeleteFile) CeDeleteFile = nullptr;
        decltype(&Synce::CeMoveFile) CeMoveFile = nullptr;
        decltype(&Synce::CeGetStoreInformation) CeGetStoreInformation = nullptr;
        decltype(&Synce::CeRapiInvoke) CeRapiInvoke = nullptr;
        decltype(&Synce::CeRapiFreeBuffer) CeRapiFreeBuffer = nullptr;
    };
    using Library = RapiLibrary<SynceRapi>;

    static std::string shownName(const Name& name) { return name; }

    static Module open(const Name& name, std::string& problem) {
        // Never unloaded: a library that registered its types and handlers with the libraries
        // below it would leave them pointing nowhere.
        void* module = dlopen(name.c_str(), RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
        if (!module) {
            const char* why = dlerror();
            problem = "SynCE's library " + name + " could not be loaded" +
                      (why ? std::string(": ") + why : std::string()) + ".";
        }
        return module;
    }
    static void (*symbol(Module module, const char* name))() {
        return reinterpret_cast<void (*)()>(dlsym(module, name));
    }
    static void close(Module module) { dlclose(module); }

    template <typename Find> static void resolveOwn(Functions& f, Find& find) {
        find("CeRapiInit", f.CeRapiInit);
        find("CeGetStoreInformation", f.CeGetStoreInformation);
    }

    static Key toKey(Rapi::Key key) { return static_cast<Key>(static_cast<std::uint32_t>(key)); }
    static Rapi::Key fromKey(Key key) { return static_cast<std::uint32_t>(key); }
    static Handle toHandle(Rapi::Handle handle) { return static_cast<Handle>(handle); }
    static Rapi::Handle fromHandle(Handle handle) {
        return handle == Synce::INVALID_HANDLE_VALUE || handle == 0 ? Rapi::InvalidHandle : handle;
    }

    static std::shared_ptr<Rapi::InitAttempt>
    startConnection(const std::shared_ptr<const Library>& library);

    // CeGetDiskFreeSpaceEx takes a narrow path here and older devices do not answer it; the
    // object store, which holds \Windows, answers on all.
    static bool freeSpace(const Functions& calls, const Char*, std::uint64_t& available) {
        Synce::STORE_INFORMATION store{};
        if (!calls.CeGetStoreInformation(&store))
            return false;
        available = store.dwFreeSize;
        return true;
    }

    static constexpr const char* NoHandheldHint = SynceDevice::NoHandheldHint;
};

// SynCE has no CeRapiInitEx and its CeRapiInit does not wait for a handheld: waiting is asking
// again until the time runs out, each time on the thread that waits, which owns the session.
class SynceAttempt : public Rapi::InitAttempt {
public:
    explicit SynceAttempt(std::shared_ptr<const SynceRapi::Library> library)
        : m_library(std::move(library)) {}

    bool wait(std::chrono::milliseconds timeout) override {
        using Clock = std::chrono::steady_clock;
        const auto end = Clock::now() + timeout;
        for (;;) {
            if (Clock::now() >= m_nextTry) {
                m_result = m_library->call.CeRapiInit();
                // Connected, or refused for a reason that asking again does not change.
                if (m_result != NoHandheld)
                    return true;
                m_nextTry = Clock::now() + RetryPause;
            }
            if (Clock::now() >= end)
                return false;
            std::this_thread::sleep_until(std::min(m_nextTry, end));
        }
    }
    std::int32_t result() const override { return m_result; }

private:
    std::shared_ptr<const SynceRapi::Library> m_library;
    Synce::HRESULT m_result = NoHandheld;
    std::chrono::steady_clock::time_point m_nextTry{};
};

std::shared_ptr<Rapi::InitAttempt>
SynceRapi::startConnection(const std::shared_ptr<const Library>& library) {
    return std::make_shared<SynceAttempt>(library);
}

} // namespace

std::unique_ptr<RemoteDevice> SynceDevice::make(const std::string& library) {
    return std::make_unique<LoadedRapiDevice<SynceRapi>>(library);
}

std::string SynceDevice::findLibrary() {
    for (const char* name : LibraryNames) {
        // Kept for the program's life: each device's own load finds it there.
        if (dlopen(name, RTLD_NOW | RTLD_LOCAL))
            return name;
    }
    return {};
}
