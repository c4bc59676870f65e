#include "DeviceSounds.h"

#include "catalog/MessageError.h"
#include "files/FileNames.h"
#include "files/PcPath.h"
#include "files/StagedFolder.h"
#include "themes/ThemeArchive.h"

#include <map>
#include <system_error>

namespace fs = std::filesystem;

std::vector<std::string> dropUnfitNames(SoundTheme& theme) {
    std::vector<std::string> lines;
    for (auto& [eventName, entry] : theme) {
        if (!entry.hasSound() || ThemeArchive::isMemberName(entry.name + entry.extension))
            continue;
        lines.push_back("The Pocket PC names the sound \"" + entry.name + "\" for " + eventName +
                        ", which is no file name the PC can keep; it was not copied.");
        entry.clearSound();
    }
    return lines;
}

std::set<std::string> pointAtCopies(SoundTheme& theme, const std::string& folder) {
    // The handheld finds "Alarm1" and "alarm1" in one file, which arrived under one spelling.
    std::map<std::string, std::string, IgnoringCase> arrived;
    std::error_code error;
    for (const auto& item : fs::directory_iterator(pcPath(folder), error)) {
        const std::string name = pcText(item.path().filename());
        arrived.emplace(name, name);
    }
    std::set<std::string> cleared;
    for (auto& [eventName, entry] : theme) {
        if (!entry.hasSound())
            continue;
        const auto copy = arrived.find(entry.name + entry.extension);
        if (copy == arrived.end()) {
            entry.clearSound();
            cleared.insert(eventName);
            continue;
        }
        entry.folder = folder;
        entry.name = copy->second.substr(0, copy->second.size() - entry.extension.size());
    }
    return cleared;
}

void makeStagedFolder(std::optional<StagedFolder>& staged, const fs::path& target) {
    try {
        staged.emplace(target);
    } catch (const fs::filesystem_error& error) {
        throw MessageError("Could not make the folder \"" +
                           pcText(fs::path(target).concat(".new")) +
                           "\" for the sounds: " + error.code().message() + ".");
    }
}

std::string folderText(const fs::path& folder) {
    return pcText(folder / "");
}
