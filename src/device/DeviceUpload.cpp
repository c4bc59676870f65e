// The two phases of an upload, and the notes on the device that let the next connect put right
// one that stopped half-way. Only whole notes count: one cut short was being written when the
// upload stopped, before anything it would describe had happened.
#include "DeviceUpload.h"

#include "catalog/MessageError.h"
#include "device/DeviceFile.h"
#include "device/Utf16.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <memory>
#include <optional>
#include <random>
#include <sstream>

namespace {

constexpr const char* JournalHeader = "Belltide upload ";
constexpr const char* PlacingHeader = "Belltide placing ";
constexpr const char* NotesEnd = "end";
// No note of an upload is larger; a larger file is none of ours.
constexpr std::uint32_t NotesSizeLimit = 4u << 20;

std::u16string deviceName(const std::string& fileName) {
    return toUtf16(DeviceFolder + fileName);
}
// Where wave number i of the journal waits before it takes its place, and where the old one
// waits meanwhile; each upload's own, so that one left behind is never taken for another's.
std::string temporaryFile(const std::string& token, std::size_t i) {
    return "belltide-" + token + "-" + std::to_string(i) + ".new";
}
std::string asideFile(const std::string& token, std::size_t i) {
    return "belltide-" + token + "-" + std::to_string(i) + ".old";
}

std::string writeFailedText(const std::string& fileName) {
    return "Could not write file to PPC \"\\Windows\\" + fileName + "\".";
}

// A name on one line of a note, whatever it holds.
std::string escaped(const std::string& text) {
    std::string out;
    for (const char c : text) {
        if (c == '%' || c == '\n' || c == '\r' || c == '\t') {
            char code[4];
            std::snprintf(code, sizeof code, "%%%02X", static_cast<unsigned char>(c));
            out += code;
        } else {
            out += c;
        }
    }
    return out;
}
std::string unescaped(const std::string& text) {
    const auto hex = [&](std::size_t at) {
        return at < text.size() && std::isxdigit(static_cast<unsigned char>(text[at]));
    };
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && hex(i + 1) && hex(i + 2)) {
            out += static_cast<char>(std::stoi(text.substr(i + 1, 2), nullptr, 16));
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

// The lines between a note's header and its end; none when it is not whole or, with a token
// given, belongs to another upload. An empty token takes the note's.
std::optional<std::vector<std::string>> noteLines(const std::string& text,
                                                  const std::string& header, std::string& token) {
    std::vector<std::string> lines;
    for (std::size_t at = 0; at < text.size();) {
        const auto end = text.find('\n', at);
        if (end == std::string::npos)
            return std::nullopt; // cut short in its last line
        lines.push_back(text.substr(at, end - at));
        at = end + 1;
    }
    if (lines.size() < 2 || lines.back() != NotesEnd || lines.front().rfind(header, 0) != 0)
        return std::nullopt;
    const std::string found = lines.front().substr(header.size());
    if (!token.empty() && found != token)
        return std::nullopt;
    token = found;
    return std::vector<std::string>(lines.begin() + 1, lines.end() - 1);
}

std::optional<std::string> readNote(RemoteDevice& device, const std::string& fileName) {
    DeviceFile file(device, device.CeCreateFile(deviceName(fileName), Rapi::GenericRead, 0,
                                                Rapi::OpenExisting, Rapi::FileAttributeReadonly));
    if (!file.isOpen())
        return std::nullopt;
    std::uint32_t high = 0;
    const std::uint32_t size = device.CeGetFileSize(file.handle(), &high);
    if (size == Rapi::InvalidFileSize || high != 0 || size > NotesSizeLimit)
        return std::nullopt;
    std::string text(size, '\0');
    std::uint32_t read = 0;
    if (size && (!device.CeReadFile(file.handle(), text.data(), size, &read) || read != size))
        return std::nullopt;
    return text;
}

// False, with nothing of it left, when the note cannot be written whole.
bool writeNote(RemoteDevice& device, const std::string& fileName, const std::string& text) {
    const std::u16string path = deviceName(fileName);
    DeviceFile file(device, device.CeCreateFile(path, Rapi::GenericWrite, 0, Rapi::CreateAlways,
                                                Rapi::FileAttributeNormal));
    if (!file.isOpen())
        return false;
    const auto size = static_cast<std::uint32_t>(text.size());
    std::uint32_t written = 0;
    const bool whole =
        device.CeWriteFile(file.handle(), text.data(), size, &written) && written == size;
    if (file.close() && whole)
        return true;
    static_cast<void>(device.CeDeleteFile(path));
    return false;
}

// Copies one device file over another, for a wave in ROM that will not give up its name.
bool copyOnDevice(RemoteDevice& device, const std::string& from, const std::string& to) {
    DeviceFile source(device, device.CeCreateFile(deviceName(from), Rapi::GenericRead, 0,
                                                  Rapi::OpenExisting, Rapi::FileAttributeReadonly));
    std::uint32_t high = 0;
    const std::uint32_t size = source.isOpen() ? device.CeGetFileSize(source.handle(), &high) : 0;
    if (!source.isOpen() || size == Rapi::InvalidFileSize || high != 0)
        return false;
    DeviceFile target(device, device.CeCreateFile(deviceName(to), Rapi::GenericWrite, 0,
                                                  Rapi::CreateAlways, Rapi::FileAttributeNormal));
    if (!target.isOpen())
        return false;
    const auto buffer = std::make_unique_for_overwrite<char[]>(
        std::min<std::uint32_t>(size, DeviceLink::CopyChunkBytes));
    bool whole = true;
    for (std::uint32_t done = 0; whole && done < size;) {
        const std::uint32_t part = std::min<std::uint32_t>(size - done, DeviceLink::CopyChunkBytes);
        std::uint32_t moved = 0;
        whole = device.CeReadFile(source.handle(), buffer.get(), part, &moved) && moved == part &&
                device.CeWriteFile(target.handle(), buffer.get(), part, &moved) && moved == part;
        done += part;
    }
    if (target.close() && whole)
        return true;
    static_cast<void>(device.CeDeleteFile(deviceName(to)));
    return false;
}

// The settings as the second note keeps them.
std::string settingsLines(const SoundTheme& settings) {
    std::string lines = settings.uploadExtended() ? "extended\n" : "events\n";
    for (const auto& [eventName, entry] : settings)
        lines += escaped(eventName) + "\t" + (entry.hasSound() ? escaped(entry.name) : "") + "\n";
    return lines;
}
SoundTheme settingsFrom(std::vector<std::string>::const_iterator line,
                        std::vector<std::string>::const_iterator end) {
    SoundTheme settings;
    settings.setUploadExtended(line != end && *line == "extended");
    for (; line != end; ++line) {
        const auto tab = line->find('\t');
        if (tab == std::string::npos)
            continue;
        const std::string name = unescaped(line->substr(tab + 1));
        settings.insert(unescaped(line->substr(0, tab)),
                        name.empty() ? SoundEntry::none() : SoundEntry{"", name, ".wav", 0});
    }
    return settings;
}

// Phase 2 once more, for the waves the note names: each that has not yet taken its place does
// now. False when one cannot.
bool placeAgain(DeviceLink& link, RemoteDevice& device, const std::string& token,
                const std::vector<std::string>& names, const std::string& waves) {
    bool clean = true;
    std::istringstream numbers(waves);
    for (std::size_t i = 0; numbers >> i;) {
        if (i >= names.size())
            continue;
        const std::u16string target = deviceName(names[i]);
        const std::u16string temporary = deviceName(temporaryFile(token, i));
        if (device.CeMoveFile(temporary, target) ||
            !link.deviceFileSize(DeviceFolder, temporaryFile(token, i)))
            continue; // placed now, or before the upload stopped
        static_cast<void>(device.CeMoveFile(target, deviceName(asideFile(token, i))));
        if (device.CeMoveFile(temporary, target))
            continue;
        // A wave in ROM: written over in place.
        clean = copyOnDevice(device, temporaryFile(token, i), names[i]) &&
                device.CeDeleteFile(temporary) && clean;
    }
    return clean;
}

} // namespace

DeviceUpload::DeviceUpload(DeviceLink& link, const std::vector<std::string>& fileNames)
    : m_link(link), m_device(link.m_device) {
    // Left by an upload that the connect could not put right, they would be lost track of.
    if (!recover(link))
        throw MessageError("An earlier upload that stopped half-way has left sounds on the Pocket "
                           "PC that could not be put in place yet. Nothing was exported; check "
                           "the connection and try again.");
    std::mt19937_64 random(std::random_device{}());
    char token[20];
    std::snprintf(token, sizeof token, "%016llx", static_cast<unsigned long long>(random()));
    m_token = token;
    std::string journal = JournalHeader + m_token + "\n";
    for (const std::string& fileName : fileNames) {
        m_index.emplace(fileName, m_waves.size());
        m_waves.push_back(Wave{fileName, {}});
        journal += escaped(fileName) + "\n";
    }
    if (!writeNote(m_device, JournalName, journal + NotesEnd + "\n"))
        throw MessageError(writeFailedText(JournalName) + " Nothing was exported.");
}

void DeviceUpload::send(const std::string& pcDir, const std::string& fileName,
                        const CopyProgress& progress) {
    const std::size_t i = m_index.at(fileName);
    m_link.sendFile(pcDir, fileName, DeviceFolder + temporaryFile(m_token, i), progress);
    m_waves[i].pcDir = pcDir;
    m_waves[i].sent = true;
}

std::set<std::string> DeviceUpload::place(const SoundTheme& settings) {
    std::string note = PlacingHeader + m_token + "\nwaves";
    for (std::size_t i = 0; i < m_waves.size(); ++i) {
        if (m_waves[i].sent) {
            note += ' ';
            note += std::to_string(i);
        }
    }
    note += '\n';
    note += settingsLines(settings);
    note += NotesEnd;
    note += '\n';
    if (!writeNote(m_device, PlacingName, note)) {
        abandon();
        throw MessageError(writeFailedText(PlacingName) +
                           "\nThe Pocket PC keeps the sounds it had.");
    }
    m_stage = Stage::Placing;
    for (std::size_t i = 0; i < m_waves.size(); ++i) {
        Wave& wave = m_waves[i];
        if (!wave.sent)
            continue;
        const std::u16string target = deviceName(wave.fileName);
        const std::u16string temporary = deviceName(temporaryFile(m_token, i));
        wave.asideMoved = m_device.CeMoveFile(target, deviceName(asideFile(m_token, i)));
        if (m_device.CeMoveFile(temporary, target)) {
            wave.sent = false;
            wave.placed = true;
            continue;
        }
        // The name is held by a file the device will not move, or shows again once the file
        // over it has moved: a wave in its ROM. The new data is written over it in place.
        wave.sent = !m_device.CeDeleteFile(temporary); // room for it
        try {
            m_link.sendFile(wave.pcDir, wave.fileName, DeviceFolder + wave.fileName);
        } catch (const MessageError& error) {
            undo(error.text());
        }
        wave.placed = wave.inPlace = true;
    }
    m_stage = Stage::Placed;
    return m_link.writeSoundTheme(settings);
}

void DeviceUpload::finish() {
    if (m_stage != Stage::Placed)
        return;
    m_stage = Stage::Over;
    bool clean = true;
    for (std::size_t i = 0; i < m_waves.size(); ++i) {
        if (m_waves[i].asideMoved)
            clean = m_device.CeDeleteFile(deviceName(asideFile(m_token, i))) && clean;
        if (m_waves[i].sent) // written in place, its own copy left
            clean = m_device.CeDeleteFile(deviceName(temporaryFile(m_token, i))) && clean;
    }
    // With a file left, the notes stay to remove it at the next connect.
    if (clean && m_device.CeDeleteFile(deviceName(PlacingName)))
        static_cast<void>(m_device.CeDeleteFile(deviceName(JournalName)));
}

void DeviceUpload::abandon() try {
    if (m_stage != Stage::Sending)
        return;
    m_stage = Stage::Over;
    bool clean = true;
    for (std::size_t i = 0; i < m_waves.size(); ++i) {
        if (m_waves[i].sent)
            clean = m_device.CeDeleteFile(deviceName(temporaryFile(m_token, i))) && clean;
    }
    if (clean)
        static_cast<void>(m_device.CeDeleteFile(deviceName(JournalName)));
} catch (...) {
    // A device that fails here is put right at the next connect.
}

void DeviceUpload::undo(const std::string& reason) {
    m_stage = Stage::Over;
    // Without its note the next connect would finish the upload over what is put back here.
    if (!m_device.CeDeleteFile(deviceName(PlacingName)))
        throw MessageError(reason + "\nThe Pocket PC takes the new sounds when it is connected "
                                    "again.");
    bool clean = true;
    // Backwards: two names that the device takes for one come back in their order.
    for (std::size_t i = m_waves.size(); i-- > 0;) {
        Wave& wave = m_waves[i];
        const std::u16string target = deviceName(wave.fileName);
        const std::u16string aside = deviceName(asideFile(m_token, i));
        if (wave.asideMoved)
            clean = ((!wave.placed && m_device.CeMoveFile(aside, target)) ||
                     (m_device.CeDeleteFile(target) && m_device.CeMoveFile(aside, target))) &&
                    clean;
        else if (wave.placed && !wave.inPlace)
            clean = m_device.CeDeleteFile(target) && clean; // its name was free
        // A wave written in place over one that would not move stays: the old one is gone.
        if (wave.sent)
            clean = m_device.CeDeleteFile(deviceName(temporaryFile(m_token, i))) && clean;
    }
    if (clean)
        static_cast<void>(m_device.CeDeleteFile(deviceName(JournalName)));
    throw MessageError(reason + "\nThe Pocket PC keeps the sounds it had.");
}

bool DeviceUpload::recover(DeviceLink& link) {
    RemoteDevice& device = link.m_device;
    const auto journal = readNote(device, JournalName);
    if (!journal)
        return true;
    std::string token;
    auto names = noteLines(*journal, JournalHeader, token);
    // Cut short while it was written: nothing it names had been sent.
    if (!names)
        return device.CeDeleteFile(deviceName(JournalName));
    for (std::string& name : *names)
        name = unescaped(name);

    const auto placingText = readNote(device, PlacingName);
    const auto placing = placingText ? noteLines(*placingText, PlacingHeader, token) : std::nullopt;
    if (placing && !placing->empty() && placing->front().rfind("waves", 0) == 0) {
        // Stopped in its second phase: every wave had arrived, and all take their places now.
        if (!placeAgain(link, device, token, *names, placing->front().substr(5)))
            return false;
        static_cast<void>(link.writeSoundTheme(settingsFrom(placing->begin() + 1, placing->end())));
        static_cast<void>(link.refreshDeviceAudio());
        for (std::size_t i = 0; i < names->size(); ++i)
            static_cast<void>(device.CeDeleteFile(deviceName(asideFile(token, i))));
    } else {
        // Stopped before its second phase, or while one that failed was put back: an old wave
        // still aside goes back to its free name, and what had arrived goes.
        for (std::size_t i = 0; i < names->size(); ++i) {
            static_cast<void>(
                device.CeMoveFile(deviceName(asideFile(token, i)), deviceName((*names)[i])));
            static_cast<void>(device.CeDeleteFile(deviceName(temporaryFile(token, i))));
        }
    }
    static_cast<void>(device.CeDeleteFile(deviceName(PlacingName)));
    return device.CeDeleteFile(deviceName(JournalName));
}
