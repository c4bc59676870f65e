// The main window's event list commands: selecting, playing, changing and clearing sounds.
#include "CBelltideDlg.h"

#include "audio/WaveFile.h"

#include "files/FileNames.h"
#include "files/PcPath.h"
#include "themes/ThemeArchive.h"
#include "ui/CSoundFileDialog.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace {

constexpr const char* NoSelectionText = "No sound selected";

} // namespace

void CBelltideDlg::OnListClick() {
    const int row = m_eventList.selectionMark();
    if (row == -1)
        return;
    enableSoundCommands();
    m_eventList.selectRow(row);
}

void CBelltideDlg::OnListRightClick() {
    if (m_eventList.selectionMark() == -1)
        return;
    enableSoundCommands();
    m_eventList.showSoundMenu();
}

void CBelltideDlg::OnListDoubleClick() {
    OnPlaySound();
}

void CBelltideDlg::OnPlaySound() {
    const auto entry = selectedEntry();
    if (entry == m_theme.end() || !entry->second.hasSound())
        return;
    m_sound.playFile(entry->second.path());
}

void CBelltideDlg::OnChangeSound() {
    const auto entry = selectedEntry();
    if (entry == m_theme.end())
        return;
    const std::string remembered = m_settings.text(CSoundFileDialog::RememberedFolderKey);
    CSoundFileDialog dialog(
        m_sound, CSoundFileDialog::optionsFor(
                     entry->first, CSoundFileDialog::startFolder(entry->second, remembered,
                                                                 m_prompts.musicFolder())));
    const auto path = m_prompts.chooseSoundFile(dialog);
    if (!path)
        return;
    m_settings.setText(CSoundFileDialog::RememberedFolderKey, folderOf(*path));
    assignSoundFile(m_eventList.selectionMark(), *path);
}

void CBelltideDlg::OnNoSound() {
    const auto entry = selectedEntry();
    if (entry == m_theme.end())
        return;
    entry->second.clearSound();
    showSound(m_eventList.selectionMark(), entry->second);
    setModified(true);
}

void CBelltideDlg::OnExtendedCheck() {
    const bool checked = m_extendedCheck.isChecked();
    m_theme.setUploadExtended(checked);
    for (int row = 0; row < m_theme.size(); ++row) {
        if (checked)
            m_eventList.undimRow(row);
        else if (isExtendedEventName(m_eventList.cellText(row, 0)))
            m_eventList.dimRow(row);
        else
            continue;
        m_eventList.redrawRow(row);
    }
}

void CBelltideDlg::OnDropSoundFile(int row, const std::string& path) {
    if (entryOfRow(row) == m_theme.end())
        return;
    if (!hasExtension(fileNameOf(path), ".wav")) {
        m_prompts.showMessage("Only wave files (*.wav) can be dropped on an event; \"" + path +
                              "\" is not one.");
        return;
    }
    assignSoundFile(row, path);
}

SoundTheme::iterator CBelltideDlg::entryOfRow(int row) {
    if (row < 0 || row >= m_eventList.rowCount())
        return m_theme.end();
    return m_theme.find(m_eventList.cellText(row, 0));
}

SoundTheme::iterator CBelltideDlg::selectedEntry() {
    const int row = m_eventList.selectionMark();
    if (row == -1) {
        m_prompts.showMessage(NoSelectionText);
        return m_theme.end();
    }
    return entryOfRow(row);
}

namespace {

bool sameBytes(const std::string& a, const std::string& b) {
    std::ifstream first(pcPath(a), std::ios::binary), second(pcPath(b), std::ios::binary);
    return first && second &&
           std::equal(std::istreambuf_iterator<char>(first), std::istreambuf_iterator<char>(),
                      std::istreambuf_iterator<char>(second), std::istreambuf_iterator<char>());
}

} // namespace

void CBelltideDlg::assignSoundFile(int row, const std::string& path) {
    const auto entry = entryOfRow(row);
    if (entry == m_theme.end())
        return;
    const auto size = measureSizeKB(path);
    if (!size) {
        m_prompts.showMessage("Could not open file \"" + path + "\".");
        return;
    }
    if (!isRiffWave(path)) {
        m_prompts.showMessage("\"" + path +
                              "\" is not a wave file that the Pocket PC can play; the sound is "
                              "not changed.");
        return;
    }
    // A name a theme and the handheld can hold, and that no other sound of the theme uses:
    // sounds are kept by name, so two of one name would become one.
    const std::string picked = fileNameOf(path);
    const std::string portable = portableFileName(picked, ThemeArchive::NameFieldSize - 1);
    std::string fileName = portable;
    bool clash = false;
    for (int number = 2;; ++number) {
        const auto other = std::find_if(m_theme.begin(), m_theme.end(), [&](const auto& item) {
            const SoundEntry& sound = item.second;
            return &item != &*entry && sound.hasSound() &&
                   equalIgnoringCase(sound.name + sound.extension, fileName);
        });
        if (other == m_theme.end() || sameBytes(other->second.path(), path))
            break;
        clash = true;
        fileName = numberedFileName(portable, number);
    }
    std::string folder = path.substr(0, path.size() - picked.size());
    if (fileName != picked) {
        std::error_code error;
        std::filesystem::copy_file(pcPath(path), pcPath(m_folders.soundsDir + fileName),
                                   std::filesystem::copy_options::overwrite_existing, error);
        if (error) {
            m_prompts.showMessage("Could not copy file \"" + path + "\" into the sounds folder.");
            return;
        }
        folder = m_folders.soundsDir;
        m_statusBar.setText("\"" + picked + "\" is kept as \"" + fileName + "\"" +
                            (clash ? ": another event plays a different sound of that name."
                                   : ", a name a theme and the handheld can hold."));
    }
    const auto dot = fileName.rfind('.');
    SoundEntry& sound = entry->second;
    sound.folder = folder;
    sound.name = fileName.substr(0, dot);
    sound.extension = dot == std::string::npos ? std::string{} : fileName.substr(dot);
    sound.sizeKB = *size;
    showSound(row, sound);
    fitNameColumns();
    setModified(true);
}
