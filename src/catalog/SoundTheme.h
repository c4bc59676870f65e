// The in-memory theme: which sound file plays for each device event and notification.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>

// The name that stands for "no sound".
inline constexpr const char* NoSoundName = "(none)";

struct SoundEntry {
    std::string folder;    // ends with a path separator, or empty
    std::string name;      // file title, or NoSoundName
    std::string extension; // with its dot, or empty
    std::uint32_t sizeKB = 0;

    bool hasSound() const { return name != NoSoundName; }
    std::string path() const { return folder + name + extension; }
    // Text of the list's "Size" column: "<sizeKB> KB", empty without a sound.
    std::string sizeText() const;
    // Forgets the sound; sizeKB keeps its value, as no code shows it then.
    void clearSound();
    static SoundEntry none() { return SoundEntry{"", NoSoundName, "", 0}; }
};

// Sound files by their whole name, as the handheld and Windows tell them apart: without regard
// to case.
struct SoundEntryByName {
    bool operator()(const SoundEntry& a, const SoundEntry& b) const;
};

using SoundFileSet = std::set<SoundEntry, SoundEntryByName>;

// True for the names of extended notification events ("_Notify", "_Reminders", ...).
bool isExtendedEventName(const std::string& eventName);

// Size of a file in kilobytes as the program shows it: (length >> 10) + 1, in 32 bits.
std::uint32_t sizeKBForLength(std::uint64_t lengthInBytes);
// The size rule applied to a file on disk; empty when it is no file that can be opened.
std::optional<std::uint32_t> measureSizeKB(const std::string& path);

class SoundTheme {
public:
    using Entries = std::map<std::string, SoundEntry>;
    using iterator = Entries::iterator;
    using const_iterator = Entries::const_iterator;

    SoundTheme() = default;
    SoundTheme(const SoundTheme&) = default;
    SoundTheme(SoundTheme&&) = default;
    SoundTheme& operator=(const SoundTheme&) = default;
    SoundTheme& operator=(SoundTheme&&) = default;
    virtual ~SoundTheme() = default;

    iterator begin() { return m_entries.begin(); }
    iterator end() { return m_entries.end(); }
    const_iterator begin() const { return m_entries.begin(); }
    const_iterator end() const { return m_entries.end(); }
    iterator find(const std::string& eventName) { return m_entries.find(eventName); }
    const_iterator find(const std::string& eventName) const { return m_entries.find(eventName); }

    // Adds the entry unless the event is already present; the first insert wins.
    void insert(const std::string& eventName, SoundEntry entry);
    // Removes every entry; uploadExtended keeps its value.
    void clear() { m_entries.clear(); }
    std::int32_t size() const { return static_cast<std::int32_t>(m_entries.size()); }

    void setUploadExtended(bool uploadExtended) { m_uploadExtended = uploadExtended; }
    bool uploadExtended() const { return m_uploadExtended; }
    bool hasExtendedEvents() const;

    // The distinct sound files the theme uses, by whole name in any case; the first in event
    // order wins.
    SoundFileSet soundFiles() const;

    // Writes workFolder + "theme.dsc", then the archive with it and every sound file. The
    // archive takes the place of an existing file only when complete; raises
    // "Could not save theme ..." otherwise, naming a sound that could not be read.
    void saveToArchive(const std::string& workFolder, const std::string& archivePath) const;

private:
    Entries m_entries;
    bool m_uploadExtended = true;
};
