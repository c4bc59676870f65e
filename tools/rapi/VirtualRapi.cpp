// rapi.dll serving a virtual handheld: the folder named by BELLTIDE_RAPI_DEVICE, or else
// "device" beside this library. The functions are declared from the public documentation of
// the remote API and behave as it describes, down to the HRESULT form of a failed remote call.
// One session per process, as with the platform's library; calls from any thread.
#define RAPI_FUNCTION extern "C" __declspec(dllexport)
#include "device/RapiFunctions.h"
#include "device/VirtualHandheld.h"

#include <algorithm>
#include <filesystem>
#include <memory>
#include <mutex>
#include <set>

namespace {

std::mutex sessionLock;
std::unique_ptr<VirtualHandheld> device; // while a session is open
HANDLE initEvent = nullptr;
std::set<void*> outputs; // handed out by CeRapiInvoke and not yet freed

std::filesystem::path deviceFolder() {
    wchar_t chosen[MAX_PATH];
    const DWORD length = GetEnvironmentVariableW(L"BELLTIDE_RAPI_DEVICE", chosen, MAX_PATH);
    if (length > 0 && length < MAX_PATH)
        return chosen;
    HMODULE self = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                           GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&deviceFolder), &self);
    wchar_t path[MAX_PATH];
    GetModuleFileNameW(self, path, MAX_PATH);
    return std::filesystem::path(path).parent_path() / "device";
}

std::u16string text(LPCWSTR wide) {
    return wide ? std::u16string(reinterpret_cast<const char16_t*>(wide)) : std::u16string();
}

Rapi::Key keyOf(HKEY key) {
    if (key == HKEY_CURRENT_USER)
        return Rapi::HkeyCurrentUser;
    if (key == HKEY_LOCAL_MACHINE)
        return Rapi::HkeyLocalMachine;
    return reinterpret_cast<Rapi::Key>(key);
}

void closeEvent() {
    if (initEvent)
        CloseHandle(initEvent);
    initEvent = nullptr;
}

// Nothing may leave a library function as an exception: the caller may not even be C++.
template <typename Result, typename Call> Result guarded(Result failure, Call call) {
    try {
        return call();
    } catch (...) {
        return failure;
    }
}

} // namespace

RAPI_FUNCTION HRESULT WINAPI CeRapiInitEx(RAPIINIT* init) {
    return guarded<HRESULT>(E_FAIL, [&]() -> HRESULT {
        if (!init || init->cbSize != sizeof(RAPIINIT))
            return E_INVALIDARG;
        const std::lock_guard lock(sessionLock);
        closeEvent();
        device = std::make_unique<VirtualHandheld>(deviceFolder());
        initEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        if (!initEvent)
            return E_FAIL;
        init->heRapiInit = initEvent;
        init->hrRapiInit = E_FAIL;
        // A device that never answers leaves the event unsignalled.
        const auto attempt = device->CeRapiInitEx();
        if (attempt->wait(std::chrono::milliseconds(0))) {
            init->hrRapiInit = attempt->result();
            SetEvent(initEvent);
        }
        return S_OK;
    });
}

RAPI_FUNCTION HRESULT WINAPI CeRapiUninit() {
    return guarded<HRESULT>(E_FAIL, [&]() -> HRESULT {
        const std::lock_guard lock(sessionLock);
        if (!device)
            return E_FAIL;
        const HRESULT result = device->CeRapiUninit();
        device.reset();
        closeEvent();
        return result;
    });
}

RAPI_FUNCTION LONG WINAPI CeRegOpenKeyEx(HKEY root, LPCWSTR subKey, DWORD, REGSAM, PHKEY key) {
    return guarded<LONG>(ERROR_INVALID_HANDLE, [&]() -> LONG {
        const std::lock_guard lock(sessionLock);
        if (!device || !key)
            return ERROR_INVALID_HANDLE;
        Rapi::Key opened = 0;
        const long result = device->CeRegOpenKeyEx(keyOf(root), text(subKey), &opened);
        if (result == ERROR_SUCCESS)
            *key = reinterpret_cast<HKEY>(opened);
        return result;
    });
}

RAPI_FUNCTION LONG WINAPI CeRegQueryValueEx(HKEY key, LPCWSTR name, LPDWORD, LPDWORD type,
                                            LPBYTE data, LPDWORD size) {
    return guarded<LONG>(ERROR_INVALID_HANDLE, [&]() -> LONG {
        const std::lock_guard lock(sessionLock);
        if (!device)
            return ERROR_INVALID_HANDLE;
        std::uint32_t valueType = 0;
        std::uint32_t valueSize = size ? *size : 0;
        const long result = device->CeRegQueryValueEx(keyOf(key), text(name), &valueType, data,
                                                      size ? &valueSize : nullptr);
        if (type)
            *type = valueType;
        if (size)
            *size = valueSize;
        return result;
    });
}

RAPI_FUNCTION LONG WINAPI CeRegSetValueEx(HKEY key, LPCWSTR name, DWORD, DWORD type,
                                          const BYTE* data, DWORD size) {
    return guarded<LONG>(ERROR_INVALID_HANDLE, [&]() -> LONG {
        const std::lock_guard lock(sessionLock);
        if (!device || (!data && size))
            return ERROR_INVALID_PARAMETER;
        return device->CeRegSetValueEx(keyOf(key), text(name), type, data, size);
    });
}

RAPI_FUNCTION LONG WINAPI CeRegCloseKey(HKEY key) {
    return guarded<LONG>(ERROR_INVALID_HANDLE, [&]() -> LONG {
        const std::lock_guard lock(sessionLock);
        return device ? device->CeRegCloseKey(keyOf(key)) : ERROR_INVALID_HANDLE;
    });
}

RAPI_FUNCTION HANDLE WINAPI CeCreateFile(LPCWSTR path, DWORD access, DWORD shareMode,
                                         LPSECURITY_ATTRIBUTES, DWORD disposition, DWORD attributes,
                                         HANDLE) {
    return guarded<HANDLE>(INVALID_HANDLE_VALUE, [&]() -> HANDLE {
        const std::lock_guard lock(sessionLock);
        if (!device)
            return INVALID_HANDLE_VALUE;
        return reinterpret_cast<HANDLE>(
            device->CeCreateFile(text(path), access, shareMode, disposition, attributes));
    });
}

RAPI_FUNCTION DWORD WINAPI CeGetFileSize(HANDLE file, LPDWORD high) {
    return guarded<DWORD>(INVALID_FILE_SIZE, [&]() -> DWORD {
        const std::lock_guard lock(sessionLock);
        if (!device)
            return INVALID_FILE_SIZE;
        std::uint32_t highPart = 0;
        const auto low = device->CeGetFileSize(reinterpret_cast<Rapi::Handle>(file), &highPart);
        if (high)
            *high = highPart;
        return low;
    });
}

RAPI_FUNCTION BOOL WINAPI CeReadFile(HANDLE file, LPVOID buffer, DWORD toRead, LPDWORD read,
                                     LPOVERLAPPED) {
    return guarded<BOOL>(FALSE, [&]() -> BOOL {
        const std::lock_guard lock(sessionLock);
        std::uint32_t count = 0;
        const bool done = device && device->CeReadFile(reinterpret_cast<Rapi::Handle>(file), buffer,
                                                       toRead, &count);
        if (read)
            *read = count;
        return done;
    });
}

RAPI_FUNCTION BOOL WINAPI CeWriteFile(HANDLE file, LPCVOID buffer, DWORD toWrite, LPDWORD written,
                                      LPOVERLAPPED) {
    return guarded<BOOL>(FALSE, [&]() -> BOOL {
        const std::lock_guard lock(sessionLock);
        std::uint32_t count = 0;
        const bool done = device && device->CeWriteFile(reinterpret_cast<Rapi::Handle>(file),
                                                        buffer, toWrite, &count);
        if (written)
            *written = count;
        return done;
    });
}

RAPI_FUNCTION BOOL WINAPI CeCloseHandle(HANDLE file) {
    return guarded<BOOL>(FALSE, [&]() -> BOOL {
        const std::lock_guard lock(sessionLock);
        return device && device->CeCloseHandle(reinterpret_cast<Rapi::Handle>(file));
    });
}

RAPI_FUNCTION BOOL WINAPI CeDeleteFile(LPCWSTR path) {
    return guarded<BOOL>(FALSE, [&]() -> BOOL {
        const std::lock_guard lock(sessionLock);
        return device && device->CeDeleteFile(text(path));
    });
}

RAPI_FUNCTION BOOL WINAPI CeMoveFile(LPCWSTR from, LPCWSTR to) {
    return guarded<BOOL>(FALSE, [&]() -> BOOL {
        const std::lock_guard lock(sessionLock);
        return device && device->CeMoveFile(text(from), text(to));
    });
}

RAPI_FUNCTION BOOL WINAPI CeGetDiskFreeSpaceEx(LPCWSTR folder, ULARGE_INTEGER* freeToCaller,
                                               ULARGE_INTEGER* total, ULARGE_INTEGER* totalFree) {
    return guarded<BOOL>(FALSE, [&]() -> BOOL {
        const std::lock_guard lock(sessionLock);
        std::uint64_t available = 0;
        if (!device || !device->CeGetDiskFreeSpaceEx(text(folder), &available))
            return FALSE;
        // The virtual handheld knows only what is free to it.
        for (ULARGE_INTEGER* figure : {freeToCaller, total, totalFree}) {
            if (figure)
                figure->QuadPart = available;
        }
        return TRUE;
    });
}

// Older devices' only answer: the object store, which holds \Windows.
RAPI_FUNCTION BOOL WINAPI CeGetStoreInformation(STORE_INFORMATION* store) {
    return guarded<BOOL>(FALSE, [&]() -> BOOL {
        const std::lock_guard lock(sessionLock);
        std::uint64_t available = 0;
        if (!store || !device || !device->CeGetDiskFreeSpaceEx(u"\\", &available))
            return FALSE;
        const auto figure = static_cast<DWORD>(std::min<std::uint64_t>(available, MAXDWORD));
        store->dwStoreSize = figure;
        store->dwFreeSize = figure;
        return TRUE;
    });
}

#ifndef BELLTIDE_RAPI_WITHOUT_INVOKE
// Block mode only. A missing library or function is answered as the platform's newer libraries
// do; a call that ran hands back a small output, which the caller frees with CeRapiFreeBuffer.
RAPI_FUNCTION HRESULT WINAPI CeRapiInvoke(LPCWSTR library, LPCWSTR function, DWORD, BYTE*,
                                          DWORD* outputSize, BYTE** output, void** stream, DWORD) {
    return guarded<HRESULT>(E_FAIL, [&]() -> HRESULT {
        const std::lock_guard lock(sessionLock);
        if (!device || stream)
            return E_FAIL;
        std::uint32_t size = 0;
        std::uint8_t* data = nullptr;
        const auto code = device->CeRapiInvoke(text(library), text(function), &size, &data);
        if (data)
            device->CeRapiFreeBuffer(data);
        if (code == Rapi::ErrorFileNotFound)
            return HRESULT_FROM_WIN32(ERROR_MOD_NOT_FOUND);
        if (code != 0)
            return HRESULT_FROM_WIN32(static_cast<DWORD>(code));
        if (outputSize && output) {
            *output = static_cast<BYTE*>(LocalAlloc(LPTR, sizeof(DWORD)));
            *outputSize = *output ? sizeof(DWORD) : 0;
            if (*output)
                outputs.insert(*output);
        }
        return S_OK;
    });
}
#endif

RAPI_FUNCTION HRESULT WINAPI CeRapiFreeBuffer(LPVOID buffer) {
    return guarded<HRESULT>(E_INVALIDARG, [&]() -> HRESULT {
        const std::lock_guard lock(sessionLock);
        if (!outputs.erase(buffer))
            return E_INVALIDARG;
        LocalFree(buffer);
        return S_OK;
    });
}

// Not part of the platform's library: how many outputs are still held by the caller.
RAPI_FUNCTION DWORD WINAPI BelltideRapiOutputsHeld() {
    return guarded<DWORD>(DWORD{0}, [&]() -> DWORD {
        const std::lock_guard lock(sessionLock);
        return static_cast<DWORD>(outputs.size());
    });
}
