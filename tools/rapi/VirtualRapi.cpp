// A remote-API library of our own serving a virtual handheld: the folder named by
// BELLTIDE_RAPI_DEVICE, or else "device" beside this library. On Windows it is rapi.dll, one
// session per process usable from any thread; on Linux it exports SynCE's names with SynCE's
// types, and like SynCE a session belongs to the thread that connected: every call from another
// thread is refused (and counted). The functions are declared from the public documentation and
// behave as it describes, down to the HRESULT form of a failed remote call.
//
// For tests, the environment at the time of connecting may make the handheld
// BELLTIDE_RAPI_REFUSED_INITS=n  not there for the first n attempts of each connection;
// BELLTIDE_RAPI_LOCKED=1         locked with its password;
// BELLTIDE_RAPI_LOSE_AT=Call:n   lose the connection at the session's n-th call of Call.
#ifdef _WIN32
#define RAPI_FUNCTION extern "C" __declspec(dllexport)
#include "device/RapiFunctions.h"
#else
#define RAPI_FUNCTION extern "C" __attribute__((visibility("default")))
#define WINAPI
#include "device/SynceFunctions.h"

#include <dlfcn.h>
#include <thread>
using namespace Synce;
#endif

#include "device/VirtualHandheld.h"
#include "files/PcPath.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <limits>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>

namespace {

constexpr HRESULT Ok = 0;
constexpr auto Failed = static_cast<HRESULT>(0x80004005);          // E_FAIL
constexpr auto InvalidArgument = static_cast<HRESULT>(0x80070057); // E_INVALIDARG
constexpr auto Unexpected = static_cast<HRESULT>(0x8000FFFF);      // E_UNEXPECTED
constexpr auto Locked = static_cast<HRESULT>(0x80070056);          // from ERROR_INVALID_PASSWORD
constexpr LONG InvalidHandle = 6, InvalidParameter = 87, NotConnected = 2250;
constexpr DWORD ModNotFound = 126;

[[maybe_unused]] HRESULT fromWin32(DWORD code) {
    return static_cast<HRESULT>(0x80070000u | (code & 0xFFFFu));
}

std::mutex sessionLock;
std::unique_ptr<VirtualHandheld> device; // while a session is open
std::set<void*> outputs;                 // handed out by CeRapiInvoke and not yet freed
int initsRefused = 0;                    // attempts answered "not there" since the last connection
DWORD refusedCalls = 0;                  // calls from a thread without the session
// Where the connection is lost: a call's name and its count; the calls made so far.
std::string loseAtCall;
int loseAtCount = 0;
std::map<std::string, int> callsMade;
bool lost = false;
// Whether the calling thread's last call found no connection, as CeRapiGetError tells; the
// calls it made.
thread_local bool transportFailed = false;
thread_local DWORD callsHere = 0;
#ifdef _WIN32
HANDLE initEvent = nullptr;
#else
std::thread::id sessionThread;
#endif

std::string environment(const char* name) {
#ifdef _WIN32
    wchar_t value[MAX_PATH];
    const DWORD length = GetEnvironmentVariableW(pcPath(name).c_str(), value, MAX_PATH);
    return length > 0 && length < MAX_PATH ? pcText(value) : std::string();
#else
    const char* value = std::getenv(name);
    return value ? value : "";
#endif
}

std::filesystem::path deviceFolder() {
    if (std::string chosen = environment("BELLTIDE_RAPI_DEVICE"); !chosen.empty())
        return pcPath(chosen);
#ifdef _WIN32
    HMODULE self = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                           GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&deviceFolder), &self);
    wchar_t path[MAX_PATH];
    GetModuleFileNameW(self, path, MAX_PATH);
    return std::filesystem::path(path).parent_path() / "device";
#else
    Dl_info self{};
    dladdr(reinterpret_cast<void*>(&deviceFolder), &self);
    return std::filesystem::path(self.dli_fname ? self.dli_fname : ".").parent_path() / "device";
#endif
}

std::u16string text(LPCWSTR wide) {
    return wide ? std::u16string(reinterpret_cast<const char16_t*>(wide)) : std::u16string();
}

#ifdef _WIN32
Rapi::Key keyOf(HKEY key) {
    if (key == HKEY_CURRENT_USER)
        return Rapi::HkeyCurrentUser;
    if (key == HKEY_LOCAL_MACHINE)
        return Rapi::HkeyLocalMachine;
    return reinterpret_cast<Rapi::Key>(key);
}
HKEY toKey(Rapi::Key key) {
    return reinterpret_cast<HKEY>(key);
}
Rapi::Handle handleOf(HANDLE file) {
    return reinterpret_cast<Rapi::Handle>(file);
}
HANDLE toHandle(Rapi::Handle file) {
    return reinterpret_cast<HANDLE>(file);
}
[[maybe_unused]] void* allocateOutput(std::size_t size) {
    return LocalAlloc(LPTR, size);
}
void freeOutput(void* output) {
    LocalFree(output);
}
#else
Rapi::Key keyOf(HKEY key) {
    return static_cast<std::uint32_t>(key);
}
HKEY toKey(Rapi::Key key) {
    return static_cast<HKEY>(key);
}
Rapi::Handle handleOf(HANDLE file) {
    return file;
}
HANDLE toHandle(Rapi::Handle file) {
    return file == Rapi::InvalidHandle ? INVALID_HANDLE_VALUE : static_cast<HANDLE>(file);
}
[[maybe_unused]] void* allocateOutput(std::size_t size) {
    return std::calloc(1, size);
}
void freeOutput(void* output) {
    std::free(output);
}
#endif

// Makes the connection, under the lock: the result, or none for a handheld that never answers.
std::optional<HRESULT> connect() {
    if (initsRefused < std::atoi(environment("BELLTIDE_RAPI_REFUSED_INITS").c_str())) {
        ++initsRefused;
        return Failed;
    }
    if (!environment("BELLTIDE_RAPI_LOCKED").empty())
        return Locked;
    auto handheld = std::make_unique<VirtualHandheld>(deviceFolder());
    const auto attempt = handheld->CeRapiInitEx();
    if (!attempt->wait(std::chrono::milliseconds(0)))
        return std::nullopt;
    if (attempt->result() < 0)
        return attempt->result();
    device = std::move(handheld);
    initsRefused = 0;
    const std::string loseAt = environment("BELLTIDE_RAPI_LOSE_AT");
    loseAtCall = loseAt.substr(0, loseAt.find(':'));
    loseAtCount = loseAt.find(':') == std::string::npos
                      ? 0
                      : std::atoi(loseAt.substr(loseAt.find(':') + 1).c_str());
    callsMade.clear();
    lost = false;
    return Ok;
}

// The handheld when the calling thread may use the session and the connection holds; none (the
// transport failed) otherwise. Under the lock.
VirtualHandheld* session(const std::string& call) {
    ++callsHere;
    transportFailed = true;
#ifndef _WIN32
    if (std::this_thread::get_id() != sessionThread) {
        ++refusedCalls;
        return nullptr;
    }
#endif
    if (!device) {
        ++refusedCalls;
        return nullptr;
    }
    if (!lost && call == loseAtCall && ++callsMade[call] == loseAtCount)
        lost = true;
    if (lost)
        return nullptr;
    transportFailed = false;
    return device.get();
}

// Nothing may leave a library function as an exception: the caller may not even be C++.
template <typename Result, typename Call> Result guarded(Result failure, Call call) {
    try {
        return call();
    } catch (...) {
        return failure;
    }
}

// A call on the session's handheld, under the lock; failure without one.
template <typename Result, typename Call>
Result onHandheld(const char* name, Result failure, const Call& call) {
    return guarded<Result>(failure, [&]() -> Result {
        const std::lock_guard lock(sessionLock);
        VirtualHandheld* handheld = session(name);
        return handheld ? call(*handheld) : failure;
    });
}

} // namespace

#ifdef _WIN32
RAPI_FUNCTION HRESULT WINAPI CeRapiInitEx(RAPIINIT* init) {
    return guarded<HRESULT>(Failed, [&]() -> HRESULT {
        if (!init || init->cbSize != sizeof(RAPIINIT))
            return InvalidArgument;
        const std::lock_guard lock(sessionLock);
        if (initEvent)
            CloseHandle(initEvent);
        initEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        if (!initEvent)
            return Failed;
        init->heRapiInit = initEvent;
        init->hrRapiInit = Failed;
        // A handheld that never answers leaves the event unsignalled.
        if (const auto result = connect()) {
            init->hrRapiInit = *result;
            SetEvent(initEvent);
        }
        return Ok;
    });
}
#else
RAPI_FUNCTION HRESULT CeRapiInit() {
    return guarded<HRESULT>(Failed, [&]() -> HRESULT {
        const std::lock_guard lock(sessionLock);
        ++callsHere;
        if (device) {
            if (std::this_thread::get_id() == sessionThread)
                return static_cast<HRESULT>(0x80041001); // CERAPI_E_ALREADYINITIALIZED
            ++refusedCalls; // one connection at a time, and another thread holds it
            return Failed;
        }
        // SynCE answers at once: a handheld that never answers is one that is not there.
        const HRESULT result = connect().value_or(Failed);
        if (result >= 0)
            sessionThread = std::this_thread::get_id();
        return result;
    });
}
#endif

RAPI_FUNCTION HRESULT WINAPI CeRapiUninit() {
    return guarded<HRESULT>(Failed, [&]() -> HRESULT {
        const std::lock_guard lock(sessionLock);
#ifdef _WIN32
        if (initEvent)
            CloseHandle(initEvent);
        initEvent = nullptr;
#else
        if (device && std::this_thread::get_id() != sessionThread) {
            ++refusedCalls;
            return Failed;
        }
#endif
        if (!device)
            return Failed;
        // The session ends whatever its end reports; the values it set reach the handheld's
        // registry now.
        const auto ending = std::move(device);
        return ending->CeRapiUninit();
    });
}

RAPI_FUNCTION HRESULT WINAPI CeRapiGetError() {
    return transportFailed ? Failed : Ok;
}

RAPI_FUNCTION LONG WINAPI CeRegOpenKeyEx(HKEY root, LPCWSTR subKey, DWORD, REGSAM, PHKEY key) {
    return onHandheld<LONG>("CeRegOpenKeyEx", NotConnected, [&](VirtualHandheld& handheld) -> LONG {
        if (!key)
            return InvalidParameter;
        Rapi::Key opened = 0;
        const long result = handheld.CeRegOpenKeyEx(keyOf(root), text(subKey), &opened);
        if (result == Rapi::ErrorSuccess)
            *key = toKey(opened);
        return result;
    });
}

RAPI_FUNCTION LONG WINAPI CeRegQueryValueEx(HKEY key, LPCWSTR name, LPDWORD, LPDWORD type,
                                            LPBYTE data, LPDWORD size) {
    return onHandheld<LONG>(
        "CeRegQueryValueEx", NotConnected, [&](VirtualHandheld& handheld) -> LONG {
            std::uint32_t valueType = 0;
            const std::uint32_t asked = size ? *size : 0;
            std::uint32_t valueSize = asked;
            const long result = handheld.CeRegQueryValueEx(keyOf(key), text(name), &valueType, data,
                                                           size ? &valueSize : nullptr);
            if (type)
                *type = valueType;
#ifdef _WIN32
            if (size)
                *size = valueSize;
#else
        // As SynCE does: the size only with the value, and older devices write up to twice the
        // size asked for.
        if (size && result == Rapi::ErrorSuccess)
            *size = valueSize;
        if (data && result == Rapi::ErrorSuccess)
            std::fill(data + valueSize, data + 2 * std::size_t{asked}, BYTE{0});
#endif
            return result;
        });
}

RAPI_FUNCTION LONG WINAPI CeRegSetValueEx(HKEY key, LPCWSTR name, DWORD, DWORD type,
                                          const BYTE* data, DWORD size) {
    return onHandheld<LONG>(
        "CeRegSetValueEx", NotConnected, [&](VirtualHandheld& handheld) -> LONG {
            return !data && size
                       ? InvalidParameter
                       : handheld.CeRegSetValueEx(keyOf(key), text(name), type, data, size);
        });
}

RAPI_FUNCTION LONG WINAPI CeRegCloseKey(HKEY key) {
    return onHandheld<LONG>("CeRegCloseKey", NotConnected, [&](VirtualHandheld& handheld) -> LONG {
        return handheld.CeRegCloseKey(keyOf(key));
    });
}

RAPI_FUNCTION HANDLE WINAPI CeCreateFile(LPCWSTR path, DWORD access, DWORD shareMode,
                                         LPSECURITY_ATTRIBUTES, DWORD disposition, DWORD attributes,
                                         HANDLE) {
    return onHandheld<HANDLE>("CeCreateFile", INVALID_HANDLE_VALUE, [&](VirtualHandheld& handheld) {
        return toHandle(
            handheld.CeCreateFile(text(path), access, shareMode, disposition, attributes));
    });
}

RAPI_FUNCTION DWORD WINAPI CeGetFileSize(HANDLE file, LPDWORD high) {
    std::uint32_t highPart = 0;
    const DWORD low =
        onHandheld<DWORD>("CeGetFileSize", Rapi::InvalidFileSize, [&](VirtualHandheld& handheld) {
            return handheld.CeGetFileSize(handleOf(file), &highPart);
        });
    if (high)
        *high = highPart;
    return low;
}

RAPI_FUNCTION BOOL WINAPI CeReadFile(HANDLE file, LPVOID buffer, DWORD toRead, LPDWORD read,
                                     LPOVERLAPPED) {
    std::uint32_t count = 0;
    const BOOL done = onHandheld<BOOL>("CeReadFile", 0, [&](VirtualHandheld& handheld) -> BOOL {
        return handheld.CeReadFile(handleOf(file), buffer, toRead, &count);
    });
    if (read)
        *read = count;
    return done;
}

RAPI_FUNCTION BOOL WINAPI CeWriteFile(HANDLE file, LPCVOID buffer, DWORD toWrite, LPDWORD written,
                                      LPOVERLAPPED) {
    std::uint32_t count = 0;
    const BOOL done = onHandheld<BOOL>("CeWriteFile", 0, [&](VirtualHandheld& handheld) -> BOOL {
        return handheld.CeWriteFile(handleOf(file), buffer, toWrite, &count);
    });
    if (written)
        *written = count;
    return done;
}

RAPI_FUNCTION BOOL WINAPI CeCloseHandle(HANDLE file) {
    return onHandheld<BOOL>("CeCloseHandle", 0, [&](VirtualHandheld& handheld) -> BOOL {
        return handheld.CeCloseHandle(handleOf(file));
    });
}

RAPI_FUNCTION BOOL WINAPI CeDeleteFile(LPCWSTR path) {
    return onHandheld<BOOL>("CeDeleteFile", 0, [&](VirtualHandheld& handheld) -> BOOL {
        return handheld.CeDeleteFile(text(path));
    });
}

RAPI_FUNCTION BOOL WINAPI CeMoveFile(LPCWSTR from, LPCWSTR to) {
    return onHandheld<BOOL>("CeMoveFile", 0, [&](VirtualHandheld& handheld) -> BOOL {
        return handheld.CeMoveFile(text(from), text(to));
    });
}

#ifdef _WIN32
RAPI_FUNCTION BOOL WINAPI CeGetDiskFreeSpaceEx(LPCWSTR folder, ULARGE_INTEGER* freeToCaller,
                                               ULARGE_INTEGER* total, ULARGE_INTEGER* totalFree) {
    return guarded<BOOL>(BOOL{0}, [&]() -> BOOL {
        const std::lock_guard lock(sessionLock);
        VirtualHandheld* handheld = session("CeGetDiskFreeSpaceEx");
        std::uint64_t available = 0;
        if (!handheld || !handheld->CeGetDiskFreeSpaceEx(text(folder), &available))
            return FALSE;
        // The virtual handheld knows only what is free to it.
        for (ULARGE_INTEGER* figure : {freeToCaller, total, totalFree}) {
            if (figure)
                figure->QuadPart = available;
        }
        return TRUE;
    });
}
#endif

// Older devices' only answer: the object store, which holds \Windows.
RAPI_FUNCTION BOOL WINAPI CeGetStoreInformation(STORE_INFORMATION* store) {
    return guarded<BOOL>(BOOL{0}, [&]() -> BOOL {
        const std::lock_guard lock(sessionLock);
        VirtualHandheld* handheld = session("CeGetStoreInformation");
        std::uint64_t available = 0;
        if (!store || !handheld || !handheld->CeGetDiskFreeSpaceEx(u"\\", &available))
            return BOOL{0};
        const auto figure = static_cast<DWORD>(
            std::min<std::uint64_t>(available, std::numeric_limits<DWORD>::max()));
        store->dwStoreSize = figure;
        store->dwFreeSize = figure;
        return BOOL{1};
    });
}

#ifndef BELLTIDE_RAPI_WITHOUT_INVOKE
// Block mode only. A missing library or function is answered as the platform's newer libraries
// do; a call that ran hands back a small output, which the caller frees with CeRapiFreeBuffer.
RAPI_FUNCTION HRESULT WINAPI CeRapiInvoke(LPCWSTR library, LPCWSTR function, DWORD,
#ifdef _WIN32
                                          BYTE*,
#else
                                          const BYTE*,
#endif
                                          DWORD* outputSize, BYTE** output, void** stream, DWORD) {
    return guarded<HRESULT>(Failed, [&]() -> HRESULT {
        const std::lock_guard lock(sessionLock);
        VirtualHandheld* handheld = session("CeRapiInvoke");
        if (!handheld)
            return Unexpected;
        if (stream)
            return Failed;
        std::uint32_t size = 0;
        std::uint8_t* data = nullptr;
        const auto code = handheld->CeRapiInvoke(text(library), text(function), &size, &data);
        if (data)
            handheld->CeRapiFreeBuffer(data);
        if (code == Rapi::ErrorFileNotFound)
            return fromWin32(ModNotFound);
        if (code != 0)
            return fromWin32(static_cast<DWORD>(code));
        if (outputSize && output) {
            *output = static_cast<BYTE*>(allocateOutput(sizeof(DWORD)));
            *outputSize = *output ? sizeof(DWORD) : 0;
            if (*output)
                outputs.insert(*output);
        }
        return Ok;
    });
}
#endif

RAPI_FUNCTION HRESULT WINAPI CeRapiFreeBuffer(LPVOID buffer) {
    return guarded<HRESULT>(InvalidArgument, [&]() -> HRESULT {
        const std::lock_guard lock(sessionLock);
        if (!outputs.erase(buffer))
            return InvalidArgument;
        freeOutput(buffer);
        return Ok;
    });
}

// Not part of the platform's library: how many outputs are still held by the caller.
RAPI_FUNCTION DWORD WINAPI BelltideRapiOutputsHeld() {
    return guarded<DWORD>(DWORD{0}, [&]() -> DWORD {
        const std::lock_guard lock(sessionLock);
        return static_cast<DWORD>(outputs.size());
    });
}

// Nor these: how many calls came from a thread without the session, and from the calling one.
RAPI_FUNCTION DWORD WINAPI BelltideRapiRefusedCalls() {
    return guarded<DWORD>(DWORD{0}, [&]() -> DWORD {
        const std::lock_guard lock(sessionLock);
        return refusedCalls;
    });
}

RAPI_FUNCTION DWORD WINAPI BelltideRapiCallsOnThisThread() {
    return callsHere;
}
