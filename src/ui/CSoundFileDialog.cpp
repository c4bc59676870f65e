#include "CSoundFileDialog.h"

#include "catalog/PcPath.h"

#include <filesystem>
#include <fstream>
#include <system_error>

namespace {

bool isReadableFile(const std::string& path) {
    std::error_code error;
    return std::filesystem::is_regular_file(path, error) &&
           static_cast<bool>(std::ifstream(path, std::ios::binary));
}

} // namespace

FileDialogOptions CSoundFileDialog::options() {
    return FileDialogOptions{"Sound Files (*.wav)", "*.wav", "", ""};
}

void CSoundFileDialog::OnFileNameChange(const std::string& selectedPath) {
    if (selectedPath.size() < 4 || selectedPath.find(PathSeparator) == std::string::npos)
        return;
    const std::string folder = folderOf(selectedPath);
    if ((m_lastFolder.empty() || m_lastFolder == folder) && isReadableFile(selectedPath))
        m_sound.playFile(selectedPath);
    m_lastFolder = folder;
}
