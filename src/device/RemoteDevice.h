// The operations Belltide asks of the handheld's remote API, and nothing more. The virtual
// handheld implements them on a folder, RapiDevice on the platform's rapi.dll.
// One object is used by one thread at a time.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace Rapi {

using Key = std::uintptr_t;
using Handle = std::uintptr_t;

inline constexpr Key HkeyCurrentUser = 0x80000001;
inline constexpr Key HkeyLocalMachine = 0x80000002;
inline constexpr Handle InvalidHandle = ~Handle{0};

inline constexpr std::uint32_t RegSz = 1;
inline constexpr std::uint32_t RegMultiSz = 7;

inline constexpr std::uint32_t GenericRead = 0x80000000;
inline constexpr std::uint32_t GenericWrite = 0x40000000;
inline constexpr std::uint32_t CreateAlways = 2;
inline constexpr std::uint32_t OpenExisting = 3;
inline constexpr std::uint32_t FileAttributeReadonly = 0x1;
inline constexpr std::uint32_t FileAttributeNormal = 0x80;
inline constexpr std::uint32_t InvalidFileSize = 0xFFFFFFFF;

inline constexpr long ErrorSuccess = 0;
inline constexpr long ErrorFileNotFound = 2;
inline constexpr long ErrorAccessDenied = 5;
inline constexpr long ErrorCallNotImplemented = 120;
inline constexpr long ErrorMoreData = 234;
// The registry cannot be read at all: ERROR_BADDB.
inline constexpr long ErrorBadDb = 1009;
inline constexpr long ErrorExceptionInService = 1064;
inline constexpr std::int32_t EFail = static_cast<std::int32_t>(0x80004005);
inline constexpr std::int32_t EAccessDenied = static_cast<std::int32_t>(0x80070005);

// A connection attempt started by CeRapiInitEx: RAPIINIT's event and result.
class InitAttempt {
public:
    virtual ~InitAttempt() = default;
    // Waits for the attempt to finish; false when the time ran out first.
    [[nodiscard]] virtual bool wait(std::chrono::milliseconds timeout) = 0;
    // hrRapiInit: zero or positive on success; read after wait returned true.
    virtual std::int32_t result() const = 0;
};

// Raised by a call that finds the connection gone, and by every call after it but the clean-up
// calls (CeRapiUninit, CeCloseHandle, CeRegCloseKey, CeRapiFreeBuffer): each would only fail, and
// may wait long first. Not a std::exception, so that the whole transfer ends, not one file's copy.
struct ConnectionLost {
    static constexpr const char* Text =
        "The connection to the Pocket PC was lost. Check its cable or cradle and try again.";
};

} // namespace Rapi

class RemoteDevice {
public:
    virtual ~RemoteDevice() = default;

    // Session.
    virtual std::shared_ptr<Rapi::InitAttempt> CeRapiInitEx() = 0;
    // Ends the session: 0, or a failure HRESULT (the device could not keep what it was given).
    virtual std::int32_t CeRapiUninit() = 0;

    // Registry; every call answers ErrorSuccess or a Win32 error code (never an HRESULT).
    [[nodiscard]] virtual long CeRegOpenKeyEx(Rapi::Key root, const std::u16string& subKey,
                                              Rapi::Key* key) = 0;
    // A value larger than *size fails with ErrorMoreData, sets *size and fills nothing.
    [[nodiscard]] virtual long CeRegQueryValueEx(Rapi::Key key, const std::u16string& name,
                                                 std::uint32_t* type, std::uint8_t* data,
                                                 std::uint32_t* size) = 0;
    [[nodiscard]] virtual long CeRegSetValueEx(Rapi::Key key, const std::u16string& name,
                                               std::uint32_t type, const std::uint8_t* data,
                                               std::uint32_t size) = 0;
    virtual long CeRegCloseKey(Rapi::Key key) = 0;

    // Files; a failed open answers InvalidHandle.
    [[nodiscard]] virtual Rapi::Handle CeCreateFile(const std::u16string& path,
                                                    std::uint32_t access, std::uint32_t shareMode,
                                                    std::uint32_t disposition,
                                                    std::uint32_t attributes) = 0;
    [[nodiscard]] virtual std::uint32_t CeGetFileSize(Rapi::Handle file, std::uint32_t* high) = 0;
    [[nodiscard]] virtual bool CeReadFile(Rapi::Handle file, void* buffer, std::uint32_t toRead,
                                          std::uint32_t* read) = 0;
    [[nodiscard]] virtual bool CeWriteFile(Rapi::Handle file, const void* buffer,
                                           std::uint32_t toWrite, std::uint32_t* written) = 0;
    virtual bool CeCloseHandle(Rapi::Handle file) = 0;
    [[nodiscard]] virtual bool CeDeleteFile(const std::u16string& path) = 0;
    // Fails when the new name is taken, as on the device.
    [[nodiscard]] virtual bool CeMoveFile(const std::u16string& from, const std::u16string& to) = 0;
    // Bytes free to Belltide on the volume of the folder; false when the device cannot tell.
    [[nodiscard]] virtual bool CeGetDiskFreeSpaceEx(const std::u16string& folder,
                                                    std::uint64_t* freeToCaller) = 0;

    // Runs a function of a device library and answers its Win32 result code (0 on success);
    // its output, if any, is freed with CeRapiFreeBuffer.
    [[nodiscard]] virtual std::int32_t CeRapiInvoke(const std::u16string& library,
                                                    const std::u16string& function,
                                                    std::uint32_t* outputSize,
                                                    std::uint8_t** output) = 0;
    virtual void CeRapiFreeBuffer(void* buffer) = 0;

    // Not a call of the remote API: where this device is, said after a failed connection
    // ("" when there is nothing to add).
    virtual std::string whereToFind() const { return {}; }
};

// Makes a device object for one thread's use: each transfer worker has its own.
using RemoteDeviceFactory = std::function<std::unique_ptr<RemoteDevice>()>;
