#include "SoundTheme.h"

#include "files/FileNames.h"
#include "files/PcPath.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

std::string SoundEntry::sizeText() const {
    if (!hasSound() || extension.empty())
        return {};
    return std::to_string(sizeKB) + " KB";
}

void SoundEntry::clearSound() {
    folder.clear();
    name = NoSoundName;
    extension.clear();
}

bool SoundEntryByName::operator()(const SoundEntry& a, const SoundEntry& b) const {
    return lessIgnoringCase(a.name + a.extension, b.name + b.extension);
}

bool isExtendedEventName(const std::string& eventName) {
    return !eventName.empty() && eventName.front() == '_';
}

std::uint32_t sizeKBForLength(std::uint64_t lengthInBytes) {
    return (static_cast<std::uint32_t>(lengthInBytes) >> 10) + 1;
}

std::optional<std::uint32_t> measureSizeKB(const std::string& path) {
    if (!isReadableFile(path))
        return std::nullopt;
    std::error_code error;
    const auto length = std::filesystem::file_size(pcPath(path), error);
    if (error)
        return std::nullopt;
    return sizeKBForLength(length);
}

void SoundTheme::insert(const std::string& eventName, SoundEntry entry) {
    m_entries.try_emplace(eventName, std::move(entry));
}

bool SoundTheme::hasExtendedEvents() const {
    return std::any_of(m_entries.begin(), m_entries.end(),
                       [](const auto& row) { return isExtendedEventName(row.first); });
}

SoundFileSet SoundTheme::soundFiles() const {
    SoundFileSet files;
    for (const auto& [eventName, entry] : m_entries) {
        if (!m_uploadExtended && isExtendedEventName(eventName))
            continue;
        if (!entry.hasSound())
            continue;
        files.insert(entry);
    }
    return files;
}
