// The real handheld, through the platform's remote API library (rapi.dll) loaded at run time.
// Every function is resolved when the object is made; without the library or any one of its
// functions, connecting fails and every other call fails at once. Windows only.
#pragma once

#include "device/RemoteDevice.h"

#include <memory>
#include <string>

class RapiDevice : public RemoteDevice {
public:
    // Looks for the library beside the program and in the system folders, never in the
    // current directory.
    explicit RapiDevice(const std::u16string& library = u"rapi.dll");
    ~RapiDevice() override;
    RapiDevice(const RapiDevice&) = delete;
    RapiDevice& operator=(const RapiDevice&) = delete;

    std::shared_ptr<Rapi::InitAttempt> CeRapiInitEx() override;
    std::int32_t CeRapiUninit() override;

    long CeRegOpenKeyEx(Rapi::Key root, const std::u16string& subKey, Rapi::Key* key) override;
    long CeRegQueryValueEx(Rapi::Key key, const std::u16string& name, std::uint32_t* type,
                           std::uint8_t* data, std::uint32_t* size) override;
    long CeRegSetValueEx(Rapi::Key key, const std::u16string& name, std::uint32_t type,
                         const std::uint8_t* data, std::uint32_t size) override;
    long CeRegCloseKey(Rapi::Key key) override;

    Rapi::Handle CeCreateFile(const std::u16string& path, std::uint32_t access,
                              std::uint32_t shareMode, std::uint32_t disposition,
                              std::uint32_t attributes) override;
    std::uint32_t CeGetFileSize(Rapi::Handle file, std::uint32_t* high) override;
    bool CeReadFile(Rapi::Handle file, void* buffer, std::uint32_t toRead,
                    std::uint32_t* read) override;
    bool CeWriteFile(Rapi::Handle file, const void* buffer, std::uint32_t toWrite,
                     std::uint32_t* written) override;
    bool CeCloseHandle(Rapi::Handle file) override;
    bool CeDeleteFile(const std::u16string& path) override;
    bool CeMoveFile(const std::u16string& from, const std::u16string& to) override;
    // CeGetDiskFreeSpaceEx where the library has it, else the object store's free space.
    bool CeGetDiskFreeSpaceEx(const std::u16string& folder, std::uint64_t* freeToCaller) override;

    // Answers result codes in the HRESULT form as the Win32 codes the link knows.
    std::int32_t CeRapiInvoke(const std::u16string& library, const std::u16string& function,
                              std::uint32_t* outputSize, std::uint8_t** output) override;
    // Through the library's own function, the only one that may free what it allocated.
    void CeRapiFreeBuffer(void* buffer) override;

    // Said after a failed connection when the library could not be loaded at all: the
    // handheld's connection software is not installed. A library lacking a function is not that.
    std::string whereToFind() const override;
    static constexpr const char* ConnectionSoftwareMissing =
        "The handheld's connection software, Windows Mobile Device Center, was not found.";

private:
    struct Library;
    // Shared with the connection attempts, which outlive no library they wait on.
    std::shared_ptr<Library> m_library;
    bool m_libraryMissing = false;
};
