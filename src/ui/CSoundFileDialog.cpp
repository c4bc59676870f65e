#include "CSoundFileDialog.h"

#include "catalog/MessageError.h"
#include "catalog/SoundTheme.h"
#include "files/PcPath.h"

#include <filesystem>
#include <system_error>

namespace {

constexpr const char* SoundFilesDescription =
    "Sound Files (*.wav, *.mp3, *.ogg, *.opus, *.flac, *.aiff)";
constexpr const char* SoundFilesPattern =
    "*.wav;*.mp3;*.ogg;*.oga;*.opus;*.flac;*.aif;*.aiff;*.aifc;*.au;*.snd;*.caf;*.w64";

bool isFolder(const std::string& path) {
    std::error_code error;
    return !path.empty() && std::filesystem::is_directory(pcPath(path), error);
}

} // namespace

FileDialogOptions CSoundFileDialog::optionsFor(const std::string& eventName,
                                               const std::string& initialFolder) {
    return FileDialogOptions{.title = "Choose a sound for " + eventName,
                             .filterDescription = SoundFilesDescription,
                             .filterPattern = SoundFilesPattern,
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
        play(selectedPath);
    m_lastFolder = folder;
}

void CSoundFileDialog::play(const std::string& path) {
    std::unique_ptr<PreviewWave> preview;
    try {
        // Only the opening: a selection never waits for a long sound's whole conversion.
        preview = std::make_unique<PreviewWave>(path, PreviewPart::Opening);
    } catch (const std::exception&) {
        // The player's default sound tells that it cannot be heard; choosing it tells why.
        m_sound.playFile(path);
        return;
    }
    m_sound.playFile(preview->path());
    // Only now is the one before cut off and free to go.
    m_preview = std::move(preview);
}
