#include "CSoundFileDialog.h"

#include "files/PcPath.h"

FileDialogOptions CSoundFileDialog::options() {
    return FileDialogOptions{"Sound Files (*.wav)", "*.wav", "", ""};
}

void CSoundFileDialog::OnFileNameChange(const std::string& selection) {
    const std::string selectedPath = withPlatformSeparators(selection);
    if (selectedPath.size() < 4 || selectedPath.find(PathSeparator) == std::string::npos)
        return;
    const std::string folder = folderOf(selectedPath);
    if ((m_lastFolder.empty() || m_lastFolder == folder) && isReadableFile(selectedPath))
        m_sound.playFile(selectedPath);
    m_lastFolder = folder;
}
