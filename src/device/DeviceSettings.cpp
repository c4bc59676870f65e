// The handheld's sound settings: the event scheme "Curr0" and the notification "Wave" values.
#include "DeviceLink.h"

#include "catalog/MessageError.h"
#include "catalog/SoundCatalog.h"
#include "device/Utf16.h"

#include <cstdio>

namespace {

constexpr const char* EventKey = "Snd\\Event";
constexpr const char* EventValue = "Curr0";
constexpr char16_t WaveValue[] = u"Wave";
// Fewer strings than this in "Curr0" and the device counts as having no scheme.
constexpr int MinimumSchemeStrings = 10;
constexpr int DefaultedSlots = 20;

SoundEntry entryForDeviceName(const std::string& name) {
    if (name.empty() || name == " ")
        return SoundEntry::none();
    return SoundEntry{"", name, ".wav", 0};
}

// A registry that cannot be read at all is no reason to take the factory sounds for the user's.
void raiseIfDamaged(long result) {
    if (result == Rapi::ErrorBadDb)
        throw MessageError(
            "The device's sound settings could not be read: its registry is damaged.");
}

// The text from unit up to a NUL or the end of the units; unit moves past the NUL.
std::u16string nextString(const std::u16string& units, std::size_t& unit) {
    const auto end = std::min(units.find(u'\0', unit), units.size());
    std::u16string text = units.substr(unit, end - unit);
    unit = end + 1;
    return text;
}

// The scheme's strings, one entry per named slot, up to the empty string that closes the list;
// how many strings were walked.
int insertSchemeStrings(SoundTheme& theme, const std::vector<std::uint8_t>& data) {
    int walked = 0;
    const std::u16string units = utf16Units(data.data(), data.size());
    if (units.empty() || units.front() == 0)
        return 0;
    std::size_t unit = 0;
    for (int slot = 0; slot < SoundCatalog::EventSlotCount && unit < units.size(); ++slot) {
        const std::u16string text = nextString(units, unit);
        if (text.empty())
            break; // the empty string that closes the list
        const auto eventName = SoundCatalog::eventName(slot);
        if (!eventName.empty())
            theme.insert(std::string(eventName), entryForDeviceName(fromUtf16(text)));
        ++walked;
    }
    return walked;
}

} // namespace

SoundTheme DeviceLink::readSoundTheme() {
    SoundTheme theme;
    parseEventScheme(theme, readRegistryValue(Rapi::HkeyLocalMachine, EventKey, EventValue));
    readNotificationSounds(theme);
    return theme;
}

SoundTheme DeviceLink::readCurrentSounds() {
    SoundTheme theme;
    std::vector<std::uint8_t> scheme;
    if (readValue(Rapi::HkeyLocalMachine, EventKey, toUtf16(EventValue), EventSchemeBufferSize,
                  scheme) == ValueRead::Read)
        insertSchemeStrings(theme, scheme);
    readNotificationSounds(theme);
    return theme;
}

std::set<std::string> DeviceLink::writeSoundTheme(SoundTheme theme) {
    std::set<std::string> notWritten;
    if (!writeMultiStringValue(Rapi::HkeyLocalMachine, EventKey, EventValue,
                               buildEventScheme(theme))) {
        for (const auto& [eventName, entry] : theme) {
            if (!isExtendedEventName(eventName))
                notWritten.insert(eventName);
        }
    }
    if (theme.uploadExtended())
        notWritten.merge(writeNotificationSounds(theme));
    return notWritten;
}

long DeviceLink::queryWholeValue(Rapi::Key key, const std::u16string& name,
                                 std::vector<std::uint8_t>& data, std::uint32_t firstGuess) {
    std::uint32_t capacity = firstGuess;
    for (;;) {
        data.assign(capacity, 0);
        std::uint32_t size = capacity;
        std::uint32_t type = 0;
        const long result = m_device.CeRegQueryValueEx(key, name, &type, data.data(), &size);
        if (result == Rapi::ErrorSuccess) {
            data.resize(std::min(size, capacity));
            return result;
        }
        // Some libraries do not say how much is needed; then twice as much is tried.
        if (result != Rapi::ErrorMoreData || capacity >= ValueSizeLimit)
            return result;
        capacity = std::min(size > capacity ? size : capacity * 2, ValueSizeLimit);
    }
}

DeviceLink::ValueRead DeviceLink::readValue(Rapi::Key root, const std::string& keyPath,
                                            const std::u16string& valueName,
                                            std::uint32_t firstGuess,
                                            std::vector<std::uint8_t>& data) {
    Rapi::Key key = 0;
    const long opened = m_device.CeRegOpenKeyEx(root, toUtf16(keyPath), &key);
    raiseIfDamaged(opened);
    if (opened != Rapi::ErrorSuccess)
        return ValueRead::NoKey;
    const long result = queryWholeValue(key, valueName, data, firstGuess);
    m_device.CeRegCloseKey(key);
    raiseIfDamaged(result);
    return result == Rapi::ErrorSuccess ? ValueRead::Read : ValueRead::NoValue;
}

std::optional<std::vector<std::uint8_t>>
DeviceLink::readRegistryValue(Rapi::Key root, const std::string& keyPath,
                              const std::string& valueName) {
    std::vector<std::uint8_t> data;
    switch (readValue(root, keyPath, toUtf16(valueName), EventSchemeBufferSize, data)) {
    case ValueRead::Read:
        return data;
    case ValueRead::NoKey:
        m_messages.showMessage("Could not find main register key");
        break;
    case ValueRead::NoValue:
        m_messages.showMessage("Could not find register key");
        break;
    }
    return std::nullopt;
}

bool DeviceLink::writeMultiStringValue(Rapi::Key root, const std::string& keyPath,
                                       const std::string& valueName,
                                       const std::vector<std::uint8_t>& data) {
    Rapi::Key key = 0;
    if (m_device.CeRegOpenKeyEx(root, toUtf16(keyPath), &key) != Rapi::ErrorSuccess) {
        m_messages.showMessage("Could not find main register key");
        return false;
    }
    const bool written =
        m_device.CeRegSetValueEx(key, toUtf16(valueName), Rapi::RegMultiSz, data.data(),
                                 static_cast<std::uint32_t>(data.size())) == Rapi::ErrorSuccess;
    m_device.CeRegCloseKey(key);
    if (!written)
        m_messages.showMessage("Could not find register key");
    return written;
}

void DeviceLink::parseEventScheme(SoundTheme& theme,
                                  const std::optional<std::vector<std::uint8_t>>& data) {
    if (data && insertSchemeStrings(theme, *data) >= MinimumSchemeStrings)
        return;
    theme.clear();
    for (int slot = 0; slot < DefaultedSlots; ++slot) {
        const auto eventName = SoundCatalog::eventName(slot);
        if (!eventName.empty())
            theme.insert(
                std::string(eventName),
                SoundEntry{"", std::string(SoundCatalog::defaultWaveName(slot)), ".wav", 0});
    }
}

std::vector<std::uint8_t> DeviceLink::buildEventScheme(const SoundTheme& theme) {
    std::vector<std::uint8_t> data;
    for (int slot = 0; slot < SoundCatalog::EventSlotCount; ++slot) {
        const auto eventName = SoundCatalog::eventName(slot);
        const auto entry = eventName.empty() ? theme.end() : theme.find(std::string(eventName));
        const bool silent = entry == theme.end() || !entry->second.hasSound();
        const auto text = utf16Bytes(silent ? " " : entry->second.name);
        data.insert(data.end(), text.begin(), text.end());
    }
    data.push_back(0);
    data.push_back(0);
    return data;
}

void DeviceLink::readNotificationSounds(SoundTheme& theme) {
    for (int i = 0; i < SoundCatalog::NotificationCount; ++i) {
        std::vector<std::uint8_t> data;
        SoundEntry entry = SoundEntry::none();
        if (readValue(Rapi::HkeyCurrentUser, std::string(SoundCatalog::notificationKey(i)),
                      WaveValue, WaveBufferSize, data) == ValueRead::Read) {
            std::size_t unit = 0;
            const auto units = utf16Units(data.data(), data.size());
            entry = entryForDeviceName(fromUtf16(nextString(units, unit)));
        }
        theme.insert(std::string(SoundCatalog::notificationName(i)), entry);
    }
}

std::set<std::string> DeviceLink::writeNotificationSounds(const SoundTheme& theme) {
    std::set<std::string> notWritten;
    for (int i = 0; i < SoundCatalog::NotificationCount; ++i) {
        const std::string displayName(SoundCatalog::notificationName(i));
        const auto entry = theme.find(displayName);
        if (entry == theme.end())
            continue;
        Rapi::Key key = 0;
        if (m_device.CeRegOpenKeyEx(Rapi::HkeyCurrentUser,
                                    toUtf16(std::string(SoundCatalog::notificationKey(i))),
                                    &key) != Rapi::ErrorSuccess) {
            notWritten.insert(displayName);
            continue;
        }
        const auto data = utf16Bytes(entry->second.hasSound() ? entry->second.name : "");
        // Reported in the upload's outcome, not in a box of its own.
        if (m_device.CeRegSetValueEx(key, WaveValue, Rapi::RegSz, data.data(),
                                     static_cast<std::uint32_t>(data.size())) != Rapi::ErrorSuccess)
            notWritten.insert(displayName);
        m_device.CeRegCloseKey(key);
    }
    return notWritten;
}

std::optional<std::uint64_t> DeviceLink::freeSpace(const std::string& deviceDir) {
    // The device's own spelling of a folder: from its root, without a closing backslash.
    std::string folder = deviceDir.compare(0, 1, "\\") == 0 ? deviceDir : "\\" + deviceDir;
    if (folder.size() > 1 && folder.back() == '\\')
        folder.pop_back();
    std::uint64_t available = 0;
    if (!m_device.CeGetDiskFreeSpaceEx(toUtf16(folder), &available))
        return std::nullopt;
    return available;
}

bool DeviceLink::refreshDeviceAudio() {
    std::uint32_t outputSize = 0;
    std::uint8_t* output = nullptr;
    const std::int32_t code =
        m_device.CeRapiInvoke(u"coredll.dll", u"AudioUpdateFromRegistry", &outputSize, &output);
    if (output)
        m_device.CeRapiFreeBuffer(output);
    switch (code) {
    case 0:
        return true;
    case Rapi::ErrorFileNotFound:
        m_messages.showMessage("file not found");
        break;
    case Rapi::ErrorCallNotImplemented:
        m_messages.showMessage("call not implemented");
        break;
    case Rapi::ErrorExceptionInService:
        m_messages.showMessage("exception in service");
        break;
    default: {
        // An HRESULT reads best in hexadecimal, a Win32 code in decimal.
        char number[16];
        std::snprintf(number, sizeof number, code < 0 ? "0x%08X" : "%u",
                      static_cast<unsigned>(code));
        m_messages.showMessage("The Pocket PC could not take up its new sound settings (error " +
                               std::string(number) + ").");
        break;
    }
    }
    return false;
}
