// The main window's event list commands: selecting, playing, changing and clearing sounds.
#include "CBelltideDlg.h"

#include "files/FileNames.h"
#include "files/PcPath.h"
#include "ui/CSoundFileDialog.h"

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
    CSoundFileDialog dialog(m_sound);
    const auto path = m_prompts.chooseSoundFile(dialog);
    if (path)
        assignSoundFile(m_eventList.selectionMark(), *path);
}

void CBelltideDlg::OnNoSound() {
    const auto entry = selectedEntry();
    if (entry == m_theme.end())
        return;
    entry->second.clearSound();
    showSound(m_eventList.selectionMark(), entry->second);
    m_modified = true;
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

void CBelltideDlg::assignSoundFile(int row, const std::string& path) {
    const auto entry = entryOfRow(row);
    if (entry == m_theme.end())
        return;
    const auto size = measureSizeKB(path);
    if (!size) {
        m_prompts.showMessage("Could not open file \"" + path + "\".");
        return;
    }
    const std::string fileName = fileNameOf(path);
    const auto dot = fileName.rfind('.');
    SoundEntry& sound = entry->second;
    sound.folder = path.substr(0, path.size() - fileName.size());
    sound.name = fileName.substr(0, dot);
    sound.extension = dot == std::string::npos ? std::string{} : fileName.substr(dot);
    sound.sizeKB = *size;
    showSound(row, sound);
    fitNameColumns();
    m_modified = true;
}
