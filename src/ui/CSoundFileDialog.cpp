#include "CSoundFileDialog.h"

#include "catalog/SoundTheme.h"
#include "files/PcPath.h"

#include <filesystem>
#include <system_error>

namespace {

bool isFolder(const std::string& path) {
    std::error_code error;
    return !path.empty() && std::filesystem::is_directory(pcPath(path), error);
}

} // namespace

FileDialogOptions CSoundFileDialog::optionsFor(const std::string& eventName,
                                               const std::string& initialFolder) {
    return FileDialogOptions{.title = "Choose a sound for " + eventName,
                             .filterDescription = "Sound Files (*.wav)",
                             .filterPattern = "*.wav",
                             .defaultExtension = "",
                             .initialFolder = initialFolder,
                             .offerAllFiles = true};
}

std::string CSoundFileDialog::startFolder(const SoundEntry& marked, const std::string& remembered,
                                          const std::string& musicFolder) {
    if (marked.hasSound() && isFolder(marked.folder))
        return marked.folder;
    if (isFolder(remembered))
        return remembered;
    return musicFolder;
}

void CSoundFileDialog::OnFileNameChange(const std::string& selection) {
    const std::string selectedPath = withPlatformSeparators(selection);
    // Windows tells of one click more than once.
    if (selectedPath == m_lastSelection)
        return;
    m_lastSelection = selectedPath;
    if (selectedPath.size() < 4 || selectedPath.find(PathSeparator) == std::string::npos)
        return;
    const std::string folder = folderOf(selectedPath);
    if ((m_lastFolder.empty() || m_lastFolder == folder) && isReadableFile(selectedPath))
        m_sound.playFile(selectedPath);
    m_lastFolder = folder;
}
