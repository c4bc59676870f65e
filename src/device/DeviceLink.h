// The program's road to the handheld: session, sound settings in its registry, file copies.
// Called on a transfer's worker thread; makeBlankTheme on any thread.
#pragma once

#include "catalog/SoundTheme.h"
#include "device/RemoteDevice.h"

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// Where the link shows the registry messages it reports in place (message box, OK only).
class DeviceMessages {
public:
    virtual ~DeviceMessages() = default;
    virtual void showMessage(const std::string& text) = 0;
};

class DeviceLink {
public:
    static constexpr std::chrono::milliseconds ConnectTimeoutMs{5000};
    static constexpr std::uint32_t EventSchemeBufferSize = 500;
    static constexpr std::uint32_t WaveBufferSize = 100;

    DeviceLink(RemoteDevice& device, DeviceMessages& messages,
               std::chrono::milliseconds connectTimeout = ConnectTimeoutMs)
        : m_device(device), m_messages(messages), m_connectTimeout(connectTimeout) {}
    virtual ~DeviceLink() = default;

    // Raises MessageError when no device answers within the time-out or it refuses.
    void connect();
    void disconnect();

    // The device's current assignments; registry problems are shown and read as defaults.
    SoundTheme readSoundTheme();
    void writeSoundTheme(SoundTheme theme);
    // Asks the device to take up the values just written; problems are shown, never raised.
    void refreshDeviceAudio();

    // The value's bytes as read into a 500-byte buffer; none (after a message) on failure.
    std::optional<std::vector<std::uint8_t>>
    readRegistryValue(Rapi::Key root, const std::string& keyPath, const std::string& valueName);
    void writeMultiStringValue(Rapi::Key root, const std::string& keyPath,
                               const std::string& valueName, const std::vector<std::uint8_t>& data);
    void parseEventScheme(SoundTheme& theme, const std::optional<std::vector<std::uint8_t>>& data);
    static std::vector<std::uint8_t> buildEventScheme(const SoundTheme& theme);
    void readNotificationSounds(SoundTheme& theme);
    void writeNotificationSounds(const SoundTheme& theme);

    // Copy deviceDir + fileName to pcDir + fileName; raises MessageError on failure and leaves
    // no PC file behind.
    void copyFileFromDevice(const std::string& deviceDir, const std::string& pcDir,
                            const std::string& fileName);
    // Copy pcDir + fileName to deviceDir + fileName; raises MessageError on failure.
    void copyFileToDevice(const std::string& pcDir, const std::string& deviceDir,
                          const std::string& fileName);

    // A theme with every event and notification of the catalog and no sound; the device is
    // not asked.
    SoundTheme makeBlankTheme() const;

private:
    RemoteDevice& m_device;
    DeviceMessages& m_messages;
    std::chrono::milliseconds m_connectTimeout;
};
