// The handheld's sound settings: the event scheme "Curr0" and the notification "Wave" values.
#include "DeviceLink.h"

#include "catalog/SoundCatalog.h"
#include "device/Utf16.h"

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

// The text from unit up to a NUL or the end of the units; unit moves past the NUL.
std::u16string nextString(const std::u16string& units, std::size_t& unit) {
    const auto end = std::min(units.find(u'\0', unit), units.size());
    std::u16string text = units.substr(unit, end - unit);
    unit = end + 1;
    return text;
}

} // namespace

SoundTheme DeviceLink::readSoundTheme() {
    SoundTheme theme;
    parseEventScheme(theme, readRegistryValue(Rapi::HkeyLocalMachine, EventKey, EventValue));
    readNotificationSounds(theme);
    return theme;
}

void DeviceLink::writeSoundTheme(SoundTheme theme) {
    writeMultiStringValue(Rapi::HkeyLocalMachine, EventKey, EventValue, buildEventScheme(theme));
    if (theme.uploadExtended())
        writeNotificationSounds(theme);
}

std::optional<std::vector<std::uint8_t>>
DeviceLink::readRegistryValue(Rapi::Key root, const std::string& keyPath,
                              const std::string& valueName) {
    Rapi::Key key = 0;
    if (m_device.CeRegOpenKeyEx(root, toUtf16(keyPath), &key) != Rapi::ErrorSuccess) {
        m_messages.showMessage("Could not find main register key");
        return std::nullopt;
    }
    std::vector<std::uint8_t> buffer(EventSchemeBufferSize);
    std::uint32_t size = EventSchemeBufferSize;
    std::uint32_t type = 0;
    const long result =
        m_device.CeRegQueryValueEx(key, toUtf16(valueName), &type, buffer.data(), &size);
    m_device.CeRegCloseKey(key);
    if (result != Rapi::ErrorSuccess) {
        m_messages.showMessage("Could not find register key");
        return std::nullopt;
    }
    // Only what the device returned: a full buffer may lack its closing NULs.
    buffer.resize(std::min(size, EventSchemeBufferSize));
    return buffer;
}

void DeviceLink::writeMultiStringValue(Rapi::Key root, const std::string& keyPath,
                                       const std::string& valueName,
                                       const std::vector<std::uint8_t>& data) {
    Rapi::Key key = 0;
    if (m_device.CeRegOpenKeyEx(root, toUtf16(keyPath), &key) != Rapi::ErrorSuccess) {
        m_messages.showMessage("Could not find main register key");
        return;
    }
    if (m_device.CeRegSetValueEx(key, toUtf16(valueName), Rapi::RegMultiSz, data.data(),
                                 static_cast<std::uint32_t>(data.size())) != Rapi::ErrorSuccess)
        m_messages.showMessage("Could not find register key");
    m_device.CeRegCloseKey(key);
}

void DeviceLink::parseEventScheme(SoundTheme& theme,
                                  const std::optional<std::vector<std::uint8_t>>& data) {
    int walked = 0;
    const std::u16string units = data ? utf16Units(data->data(), data->size()) : u"";
    if (!units.empty() && units.front() != 0) {
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
    }
    if (walked >= MinimumSchemeStrings)
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
        const std::string displayName(SoundCatalog::notificationName(i));
        Rapi::Key key = 0;
        if (m_device.CeRegOpenKeyEx(Rapi::HkeyCurrentUser,
                                    toUtf16(std::string(SoundCatalog::notificationKey(i))),
                                    &key) != Rapi::ErrorSuccess) {
            theme.insert(displayName, SoundEntry::none());
            continue;
        }
        std::vector<std::uint8_t> buffer(WaveBufferSize);
        std::uint32_t size = WaveBufferSize;
        std::uint32_t type = 0;
        if (m_device.CeRegQueryValueEx(key, WaveValue, &type, buffer.data(), &size) !=
            Rapi::ErrorSuccess) {
            theme.insert(displayName, SoundEntry::none());
        } else {
            std::size_t unit = 0;
            const auto units = utf16Units(buffer.data(), std::min(size, WaveBufferSize));
            theme.insert(displayName, entryForDeviceName(fromUtf16(nextString(units, unit))));
        }
        m_device.CeRegCloseKey(key);
    }
}

void DeviceLink::writeNotificationSounds(const SoundTheme& theme) {
    for (int i = 0; i < SoundCatalog::NotificationCount; ++i) {
        Rapi::Key key = 0;
        if (m_device.CeRegOpenKeyEx(Rapi::HkeyCurrentUser,
                                    toUtf16(std::string(SoundCatalog::notificationKey(i))),
                                    &key) != Rapi::ErrorSuccess)
            continue;
        const auto entry = theme.find(std::string(SoundCatalog::notificationName(i)));
        if (entry != theme.end()) {
            const auto data = utf16Bytes(entry->second.hasSound() ? entry->second.name : "");
            // A wave that cannot be set keeps the old one, as a key that cannot be opened does.
            static_cast<void>(m_device.CeRegSetValueEx(key, WaveValue, Rapi::RegSz, data.data(),
                                                       static_cast<std::uint32_t>(data.size())));
        }
        m_device.CeRegCloseKey(key);
    }
}

void DeviceLink::refreshDeviceAudio() {
    std::uint32_t outputSize = 0;
    std::uint8_t* output = nullptr;
    const std::int32_t code =
        m_device.CeRapiInvoke(u"coredll.dll", u"AudioUpdateFromRegistry", &outputSize, &output);
    if (output)
        m_device.CeRapiFreeBuffer(output);
    switch (code) {
    case Rapi::ErrorFileNotFound:
        m_messages.showMessage("file not found");
        break;
    case Rapi::ErrorCallNotImplemented:
        m_messages.showMessage("call not implemented");
        break;
    case Rapi::ErrorExceptionInService:
        m_messages.showMessage("exception in service");
        break;
    default:
        break;
    }
}
