#include "SoundsFolder.h"

#include "catalog/MessageError.h"
#include "files/FileNames.h"
#include "files/PcPath.h"
#include "themes/ThemeArchive.h"
#include "themes/ThemeLibrary.h"

#include <algorithm>
#include <filesystem>
#include <map>
#include <system_error>

namespace fs = std::filesystem;

namespace {

// The files of one extracted theme and what each became.
class WaveNaming {
public:
    WaveNaming(std::string folder, const WaveConversion& convert)
        : m_folder(std::move(folder)), m_convert(convert) {
        std::error_code error;
        for (const auto& item : fs::directory_iterator(pcPath(m_folder), error))
            m_files.push_back(pcText(item.path().filename()));
    }

    // The wave the file became; empty when it could not become one.
    std::string waveOf(const std::string& file, std::vector<std::string>& notes) {
        const auto done = m_became.find(file);
        if (done != m_became.end())
            return done->second;
        return m_became[file] = makeWave(file, notes);
    }

private:
    std::string makeWave(const std::string& file, std::vector<std::string>& notes) {
        const std::string source = m_folder + file;
        std::error_code error;
        // A sound the theme lacks keeps its name; it shows as none.
        if (!fs::exists(pcPath(source), error))
            return file;
        const auto spelled = m_claimed.find(file);
        const bool otherFileOfThatName =
            spelled != m_claimed.end() && !isSameFile(m_folder + spelled->second, source);
        if (hasExtension(file, WaveExtension) && titleOf(file) + WaveExtension == file &&
            !otherFileOfThatName) {
            m_claimed.emplace(file, file);
            return file;
        }
        const std::string wave = freeName(waveNameFor(file), file);
        const std::string target = m_folder + wave;
        if (hasExtension(file, WaveExtension)) {
            // Only its name changes: a wave the handheld cannot play is converted on upload.
            fs::rename(pcPath(source), pcPath(target), error);
            if (error)
                return notWave(file, notes);
        } else {
            try {
                m_convert(source, target);
            } catch (const MessageError&) {
                return notWave(file, notes);
            }
            fs::remove(pcPath(source), error);
        }
        m_files.push_back(wave);
        m_claimed.emplace(wave, wave);
        return wave;
    }

    // The name, or the first numbered one that no other file of the folder has in any case.
    std::string freeName(const std::string& wanted, const std::string& sourceFile) const {
        const auto takenByAnother = [&](const std::string& name) {
            return std::any_of(m_files.begin(), m_files.end(), [&](const std::string& file) {
                return equalIgnoringCase(file, name) && file != sourceFile &&
                       !isSameFile(m_folder + file, m_folder + sourceFile);
            });
        };
        std::string name = wanted;
        for (int number = 2; takenByAnother(name); ++number)
            name = numberedFileName(wanted, number);
        return name;
    }

    static std::string notWave(const std::string& file, std::vector<std::string>& notes) {
        notes.push_back("The theme's sound \"" + file +
                        "\" is no sound Belltide can read; its events have no sound.");
        return {};
    }

    std::string m_folder;
    const WaveConversion& m_convert;
    std::vector<std::string> m_files;                           // as the folder spells them
    std::map<std::string, std::string, IgnoringCase> m_claimed; // in any case → as kept
    std::map<std::string, std::string> m_became;
};

} // namespace

std::string waveNameFor(const std::string& fileName) {
    return portableFileName(titleOf(fileName) + WaveExtension, ThemeArchive::NameFieldSize - 1);
}

std::vector<std::string> keepSoundsAsWaves(SoundTheme& theme, const std::string& folder,
                                           const WaveConversion& convert) {
    WaveNaming naming(folder, convert);
    std::vector<std::string> notes;
    for (auto& [eventName, entry] : theme) {
        if (!entry.hasSound())
            continue;
        const std::string wave = naming.waveOf(entry.name + entry.extension, notes);
        if (wave.empty()) {
            entry.clearSound();
            continue;
        }
        entry.name = titleOf(wave);
        entry.extension = wave.substr(entry.name.size());
    }
    return notes;
}
