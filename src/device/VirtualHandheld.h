// A handheld that lives in a folder: "Windows/" is its \Windows folder and "registry.reg" its
// registry. A missing folder is a device that is not connected; a file "offline" in it is a
// device that never answers. Each sound reload it is asked for adds a line to
// "audio-reloads.log"; files deleted go through ".removing". Values set in a session reach the
// file together, before the reload call returns or when the session ends. Files written reach
// the disk together, before the first move after them; the moves reach it before the values do.
#pragma once

#include "device/RegistryFile.h"
#include "device/RemoteDevice.h"
#include "files/ReplacementFile.h"

#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

class VirtualHandheld : public RemoteDevice {
public:
    explicit VirtualHandheld(std::filesystem::path folder) : m_folder(std::move(folder)) {}
    ~VirtualHandheld() override;

    // BELLTIDE_DEVICE when set (a relative one from the current folder), else "device" in the
    // program folder.
    static std::filesystem::path defaultFolder(const std::filesystem::path& programFolder);

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
    bool CeGetDiskFreeSpaceEx(const std::u16string& folder, std::uint64_t* freeToCaller) override;

    std::int32_t CeRapiInvoke(const std::u16string& library, const std::u16string& function,
                              std::uint32_t* outputSize, std::uint8_t** output) override;
    void CeRapiFreeBuffer(void* buffer) override;
    std::string whereToFind() const override;

    std::filesystem::path registryPath() const { return m_folder / "registry.reg"; }
    // Where deleted files wait to be removed.
    std::filesystem::path bin() const { return m_folder / ".removing"; }

private:
    struct PendingValue {
        std::string keyPath, name;
        RegistryValue value;
    };
    struct ReadRegistry {
        std::string bytes;                // as last read from the file
        std::optional<RegistryFile> file; // those bytes parsed, with m_pending over them
    };
    struct OpenFile {
        std::filesystem::path path;
        std::fstream stream;
        bool writing = false;
    };

    // The PC path of a device path, matching names without regard to case; empty when the
    // path leaves the device or a folder on the way is missing.
    std::filesystem::path resolve(const std::string& devicePath) const;
    bool isOpen(const std::filesystem::path& file) const;
    // The registry as the file holds it with this session's values over it; null when the file
    // is damaged. Valid until the next call.
    RegistryFile* registry();
    // Writes the registry beside the file, ready to take its place; false when it does not fit.
    bool stageRegistry(const RegistryFile& file);
    // Puts this session's values into the file; false when it cannot be written.
    bool writeRegistry();
    // Puts on disk what the session wrote and moved, then its values into the file; false when
    // any of it fails.
    [[nodiscard]] bool settle();

    std::filesystem::path m_folder;
    std::map<Rapi::Key, std::string> m_keys;
    std::map<Rapi::Handle, OpenFile> m_files;
    std::uintptr_t m_nextHandle = 0x100;
    // Set in this session and not yet in the file; applied again over whatever the file holds
    // by then, so that another writer's values in between are kept.
    std::vector<PendingValue> m_pending;
    std::optional<ReadRegistry> m_read;
    // Staged anew with each value set, so that a full disk fails the call that sets it.
    std::unique_ptr<ReplacementFile> m_nextRegistry;
    // Files written and not yet flushed, and folders whose moves are not yet flushed.
    std::vector<std::filesystem::path> m_written;
    std::set<std::filesystem::path> m_moved;
};
