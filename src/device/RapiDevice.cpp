// The one file of the program that sees the platform's headers.
#include "RapiDevice.h"

#include "device/RapiFunctions.h"

#include <algorithm>

namespace {

std::wstring wide(const std::u16string& text) {
    return std::wstring(text.begin(), text.end());
}

HKEY toHkey(Rapi::Key key) {
    // The predefined roots as the platform's headers give them (sign-extended on 64-bit).
    if (key == Rapi::HkeyCurrentUser)
        return HKEY_CURRENT_USER;
    if (key == Rapi::HkeyLocalMachine)
        return HKEY_LOCAL_MACHINE;
    return reinterpret_cast<HKEY>(key);
}

HANDLE toHandle(Rapi::Handle handle) {
    return reinterpret_cast<HANDLE>(handle);
}

// Newer libraries answer a failed remote call as HRESULT_FROM_WIN32 of the cause, and name a
// missing library or function by the loader's codes; the link knows the older Win32 ones.
std::int32_t win32Code(HRESULT result) {
    auto code = static_cast<std::uint32_t>(result);
    if ((code & 0xFFFF0000u) == 0x80070000u)
        code &= 0xFFFFu;
    if (code == ERROR_MOD_NOT_FOUND)
        return Rapi::ErrorFileNotFound;
    if (code == ERROR_PROC_NOT_FOUND)
        return Rapi::ErrorCallNotImplemented;
    return static_cast<std::int32_t>(code);
}

} // namespace

struct RapiDevice::Library {
    HMODULE module = nullptr;
    decltype(&::CeRapiInitEx) ceRapiInitEx = nullptr;
    decltype(&::CeRapiUninit) ceRapiUninit = nullptr;
    decltype(&::CeRegOpenKeyEx) ceRegOpenKeyEx = nullptr;
    decltype(&::CeRegQueryValueEx) ceRegQueryValueEx = nullptr;
    decltype(&::CeRegSetValueEx) ceRegSetValueEx = nullptr;
    decltype(&::CeRegCloseKey) ceRegCloseKey = nullptr;
    decltype(&::CeCreateFile) ceCreateFile = nullptr;
    decltype(&::CeGetFileSize) ceGetFileSize = nullptr;
    decltype(&::CeReadFile) ceReadFile = nullptr;
    decltype(&::CeWriteFile) ceWriteFile = nullptr;
    decltype(&::CeCloseHandle) ceCloseHandle = nullptr;
    decltype(&::CeDeleteFile) ceDeleteFile = nullptr;
    decltype(&::CeMoveFile) ceMoveFile = nullptr;
    // Not in every library; with neither, the upload checks no free space.
    decltype(&::CeGetDiskFreeSpaceEx) ceGetDiskFreeSpaceEx = nullptr;
    decltype(&::CeGetStoreInformation) ceGetStoreInformation = nullptr;
    decltype(&::CeRapiInvoke) ceRapiInvoke = nullptr;
    decltype(&::CeRapiFreeBuffer) ceRapiFreeBuffer = nullptr;

    ~Library() {
        if (module)
            FreeLibrary(module);
    }

    template <typename Function> bool resolve(const char* name, Function& function) {
        // Through the generic function type, which any function pointer converts to cleanly.
        function =
            reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
        return function != nullptr;
    }

    bool resolveAll() {
        return resolve("CeRapiInitEx", ceRapiInitEx) && resolve("CeRapiUninit", ceRapiUninit) &&
               resolve("CeRegOpenKeyEx", ceRegOpenKeyEx) &&
               resolve("CeRegQueryValueEx", ceRegQueryValueEx) &&
               resolve("CeRegSetValueEx", ceRegSetValueEx) &&
               resolve("CeRegCloseKey", ceRegCloseKey) && resolve("CeCreateFile", ceCreateFile) &&
               resolve("CeGetFileSize", ceGetFileSize) && resolve("CeReadFile", ceReadFile) &&
               resolve("CeWriteFile", ceWriteFile) && resolve("CeCloseHandle", ceCloseHandle) &&
               resolve("CeDeleteFile", ceDeleteFile) && resolve("CeMoveFile", ceMoveFile) &&
               resolve("CeRapiInvoke", ceRapiInvoke) &&
               resolve("CeRapiFreeBuffer", ceRapiFreeBuffer);
    }
};

namespace {

// RAPIINIT lives here, where the library fills in the outcome after CeRapiInitEx returned.
// The event belongs to the library, which the record's documentation leaves it to close.
class RapiAttempt : public Rapi::InitAttempt {
public:
    explicit RapiAttempt(std::shared_ptr<const void> library) : m_library(std::move(library)) {
        m_init.cbSize = sizeof(RAPIINIT);
    }
    RAPIINIT* init() { return &m_init; }

    bool wait(std::chrono::milliseconds timeout) override {
        const auto ms =
            std::clamp<std::chrono::milliseconds::rep>(timeout.count(), 0, INFINITE - 1);
        return m_init.heRapiInit &&
               WaitForSingleObject(m_init.heRapiInit, static_cast<DWORD>(ms)) == WAIT_OBJECT_0;
    }
    std::int32_t result() const override { return m_init.hrRapiInit; }

private:
    std::shared_ptr<const void> m_library;
    RAPIINIT m_init{};
};

} // namespace

RapiDevice::RapiDevice(const std::u16string& library) {
    auto loaded = std::make_shared<Library>();
    // Not from the current directory or PATH, where anyone could have left a rapi.dll.
    loaded->module =
        LoadLibraryExW(wide(library).c_str(), nullptr, LOAD_LIBRARY_SEARCH_DEFAULT_DIRS);
    if (!loaded->module && GetLastError() == ERROR_INVALID_PARAMETER)
        loaded->module = LoadLibraryW(wide(library).c_str()); // a system without that search
    // Only an absent library means absent software; one of the wrong kind is there all the same.
    m_libraryMissing = loaded->module == nullptr && GetLastError() == ERROR_MOD_NOT_FOUND;
    if (loaded->module && loaded->resolveAll()) {
        loaded->resolve("CeGetDiskFreeSpaceEx", loaded->ceGetDiskFreeSpaceEx);
        loaded->resolve("CeGetStoreInformation", loaded->ceGetStoreInformation);
        m_library = std::move(loaded);
    }
}

RapiDevice::~RapiDevice() = default;

std::string RapiDevice::whereToFind() const {
    return m_libraryMissing ? ConnectionSoftwareMissing : "";
}

std::shared_ptr<Rapi::InitAttempt> RapiDevice::CeRapiInitEx() {
    if (!m_library)
        return nullptr;
    auto attempt = std::make_shared<RapiAttempt>(m_library);
    if (FAILED(m_library->ceRapiInitEx(attempt->init())))
        return nullptr;
    return attempt;
}

std::int32_t RapiDevice::CeRapiUninit() {
    return m_library ? m_library->ceRapiUninit() : E_FAIL;
}

long RapiDevice::CeRegOpenKeyEx(Rapi::Key root, const std::u16string& subKey, Rapi::Key* key) {
    if (!m_library)
        return ERROR_MOD_NOT_FOUND;
    HKEY opened = nullptr;
    const LONG result =
        m_library->ceRegOpenKeyEx(toHkey(root), wide(subKey).c_str(), 0, 0, &opened);
    if (result == ERROR_SUCCESS)
        *key = reinterpret_cast<Rapi::Key>(opened);
    return result;
}

long RapiDevice::CeRegQueryValueEx(Rapi::Key key, const std::u16string& name, std::uint32_t* type,
                                   std::uint8_t* data, std::uint32_t* size) {
    if (!m_library)
        return ERROR_MOD_NOT_FOUND;
    DWORD valueType = 0;
    DWORD valueSize = size ? *size : 0;
    const LONG result = m_library->ceRegQueryValueEx(toHkey(key), wide(name).c_str(), nullptr,
                                                     &valueType, data, &valueSize);
    if (type)
        *type = valueType;
    if (size)
        *size = valueSize;
    return result;
}

long RapiDevice::CeRegSetValueEx(Rapi::Key key, const std::u16string& name, std::uint32_t type,
                                 const std::uint8_t* data, std::uint32_t size) {
    if (!m_library)
        return ERROR_MOD_NOT_FOUND;
    return m_library->ceRegSetValueEx(toHkey(key), wide(name).c_str(), 0, type, data, size);
}

long RapiDevice::CeRegCloseKey(Rapi::Key key) {
    if (!m_library)
        return ERROR_MOD_NOT_FOUND;
    return m_library->ceRegCloseKey(toHkey(key));
}

Rapi::Handle RapiDevice::CeCreateFile(const std::u16string& path, std::uint32_t access,
                                      std::uint32_t shareMode, std::uint32_t disposition,
                                      std::uint32_t attributes) {
    if (!m_library)
        return Rapi::InvalidHandle;
    const HANDLE file = m_library->ceCreateFile(wide(path).c_str(), access, shareMode, nullptr,
                                                disposition, attributes, nullptr);
    if (file == INVALID_HANDLE_VALUE || file == nullptr)
        return Rapi::InvalidHandle;
    return reinterpret_cast<Rapi::Handle>(file);
}

std::uint32_t RapiDevice::CeGetFileSize(Rapi::Handle file, std::uint32_t* high) {
    if (!m_library)
        return Rapi::InvalidFileSize;
    DWORD highPart = 0;
    const DWORD low = m_library->ceGetFileSize(toHandle(file), high ? &highPart : nullptr);
    if (high)
        *high = highPart;
    return low;
}

bool RapiDevice::CeReadFile(Rapi::Handle file, void* buffer, std::uint32_t toRead,
                            std::uint32_t* read) {
    if (!m_library)
        return false;
    DWORD count = 0;
    const BOOL done = m_library->ceReadFile(toHandle(file), buffer, toRead, &count, nullptr);
    if (read)
        *read = count;
    return done != FALSE;
}

bool RapiDevice::CeWriteFile(Rapi::Handle file, const void* buffer, std::uint32_t toWrite,
                             std::uint32_t* written) {
    if (!m_library)
        return false;
    DWORD count = 0;
    const BOOL done = m_library->ceWriteFile(toHandle(file), buffer, toWrite, &count, nullptr);
    if (written)
        *written = count;
    return done != FALSE;
}

bool RapiDevice::CeCloseHandle(Rapi::Handle file) {
    return m_library && m_library->ceCloseHandle(toHandle(file)) != FALSE;
}

bool RapiDevice::CeDeleteFile(const std::u16string& path) {
    return m_library && m_library->ceDeleteFile(wide(path).c_str()) != FALSE;
}

bool RapiDevice::CeMoveFile(const std::u16string& from, const std::u16string& to) {
    return m_library && m_library->ceMoveFile(wide(from).c_str(), wide(to).c_str()) != FALSE;
}

bool RapiDevice::CeGetDiskFreeSpaceEx(const std::u16string& folder, std::uint64_t* freeToCaller) {
    if (!m_library || !freeToCaller)
        return false;
    if (m_library->ceGetDiskFreeSpaceEx) {
        ULARGE_INTEGER available{}, total{}, free{};
        if (!m_library->ceGetDiskFreeSpaceEx(wide(folder).c_str(), &available, &total, &free))
            return false;
        *freeToCaller = available.QuadPart;
        return true;
    }
    STORE_INFORMATION store{};
    if (!m_library->ceGetStoreInformation || !m_library->ceGetStoreInformation(&store))
        return false;
    *freeToCaller = store.dwFreeSize;
    return true;
}

std::int32_t RapiDevice::CeRapiInvoke(const std::u16string& library, const std::u16string& function,
                                      std::uint32_t* outputSize, std::uint8_t** output) {
    if (outputSize)
        *outputSize = 0;
    if (output)
        *output = nullptr;
    if (!m_library)
        return Rapi::ErrorFileNotFound;
    DWORD size = 0;
    BYTE* data = nullptr;
    const HRESULT result = m_library->ceRapiInvoke(wide(library).c_str(), wide(function).c_str(), 0,
                                                   nullptr, &size, &data, nullptr, 0);
    if (output)
        *output = data;
    else if (data)
        m_library->ceRapiFreeBuffer(data);
    if (outputSize && output)
        *outputSize = size;
    return win32Code(result);
}

void RapiDevice::CeRapiFreeBuffer(void* buffer) {
    if (m_library && buffer)
        m_library->ceRapiFreeBuffer(buffer);
}
