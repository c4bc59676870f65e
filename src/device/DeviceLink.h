// The program's road to the handheld: session, sound settings in its registry, file copies.
// Called on a transfer's worker thread, the one thread of its session; makeBlankTheme on any.
#pragma once

#include "catalog/SoundTheme.h"
#include "device/RemoteDevice.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <vector>

// Where the link shows the registry messages it reports in place (message box, OK only).
class DeviceMessages {
public:
    virtual ~DeviceMessages() = default;
    virtual void showMessage(const std::string& text) = 0;
};

// The device folder of every wave file.
inline constexpr const char* DeviceFolder = "Windows\\";

// How much of a file a copy has moved: bytes done of the whole, after each chunk. Must not raise.
using CopyProgress = std::function<void(std::uint64_t done, std::uint64_t total)>;

class DeviceLink {
public:
    // The most a copy moves through one remote read or write.
    static constexpr std::uint32_t CopyChunkBytes = 1u << 20;
    static constexpr std::chrono::milliseconds ConnectTimeoutMs{5000};
    // How often a connection that has not come yet asks whether it is still wanted.
    static constexpr std::chrono::milliseconds ConnectSlice{200};
    // The first guess at a value's size; a larger value is read whole up to ValueSizeLimit.
    static constexpr std::uint32_t EventSchemeBufferSize = 500;
    static constexpr std::uint32_t WaveBufferSize = 100;
    // No sound setting is larger; a value beyond it is not taken for one.
    static constexpr std::uint32_t ValueSizeLimit = 64 * 1024;

    DeviceLink(RemoteDevice& device, DeviceMessages& messages,
               std::chrono::milliseconds connectTimeout = ConnectTimeoutMs)
        : m_device(device), m_messages(messages), m_connectTimeout(connectTimeout) {}
    virtual ~DeviceLink() = default;

    // Raises MessageError when no device answers within the time-out or it refuses. False, with
    // no session, when stillWanted said no while the device was awaited; what it raises passes.
    // Once connected, first puts right what an upload stopped half-way left (DeviceUpload).
    bool connect(const std::function<bool()>& stillWanted = {});
    // False when the device reports that it could not keep what the session set.
    [[nodiscard]] bool disconnect();

    // The device's current assignments; registry problems are shown and read as defaults. A
    // registry that is damaged as a whole raises MessageError.
    SoundTheme readSoundTheme();
    // The same, silently and without defaults: events the scheme does not name get no entry.
    SoundTheme readCurrentSounds();
    // Returns the names of the theme's entries whose setting could not be written.
    [[nodiscard]] std::set<std::string> writeSoundTheme(SoundTheme theme);
    // Asks the device to take up the values just written; false, after a message, when it did
    // not. Never raises.
    [[nodiscard]] bool refreshDeviceAudio();

    // The value's bytes, whole; none (after a message) on failure.
    std::optional<std::vector<std::uint8_t>>
    readRegistryValue(Rapi::Key root, const std::string& keyPath, const std::string& valueName);
    // False (after a message) when the value could not be written.
    bool writeMultiStringValue(Rapi::Key root, const std::string& keyPath,
                               const std::string& valueName, const std::vector<std::uint8_t>& data);
    void parseEventScheme(SoundTheme& theme, const std::optional<std::vector<std::uint8_t>>& data);
    static std::vector<std::uint8_t> buildEventScheme(const SoundTheme& theme);
    void readNotificationSounds(SoundTheme& theme);
    // Returns the display names of the notifications that could not be written.
    std::set<std::string> writeNotificationSounds(const SoundTheme& theme);
    // Bytes free in the device folder; none when the device cannot tell.
    std::optional<std::uint64_t> freeSpace(const std::string& deviceDir);
    // The length of deviceDir + fileName on the device; none when it cannot be opened.
    std::optional<std::uint64_t> deviceFileSize(const std::string& deviceDir,
                                                const std::string& fileName);

    // Copy deviceDir + fileName to pcDir + fileName, a folder being filled for a swap and not yet
    // flushed; raises MessageError on failure and leaves no part of the file there.
    void copyFileFromDevice(const std::string& deviceDir, const std::string& pcDir,
                            const std::string& fileName, const CopyProgress& progress = {});
    // Writes pcDir + fileName to devicePath, created or written over; raises MessageError, the
    // copy messages naming fileName, after removing whatever it wrote. An upload sends through
    // DeviceUpload.
    void sendFile(const std::string& pcDir, const std::string& fileName,
                  const std::string& devicePath, const CopyProgress& progress = {});

    // A theme with every event and notification of the catalog and no sound; no device is
    // asked.
    static SoundTheme makeBlankTheme();

private:
    friend class DeviceUpload;

    enum class ValueRead { Read, NoKey, NoValue };
    // Opens the key, reads the value whole into data and closes the key; raises MessageError
    // when the registry is damaged as a whole.
    ValueRead readValue(Rapi::Key root, const std::string& keyPath, const std::u16string& valueName,
                        std::uint32_t firstGuess, std::vector<std::uint8_t>& data);
    // The value read whole into data; the device's result code.
    long queryWholeValue(Rapi::Key key, const std::u16string& name, std::vector<std::uint8_t>& data,
                         std::uint32_t firstGuess);

    RemoteDevice& m_device;
    DeviceMessages& m_messages;
    std::chrono::milliseconds m_connectTimeout;
};
