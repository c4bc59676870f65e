// The main window's event list commands: selecting, playing, changing and clearing sounds.
#include "CBelltideDlg.h"

#include "audio/SoundConverter.h"
#include "audio/WaveFile.h"
#include "catalog/MessageError.h"

#include "files/FileNames.h"
#include "files/PcPath.h"
#include "themes/ThemeLibrary.h"
#include "transfer/CConversionDlg.h"
#include "ui/CSoundFileDialog.h"
#include "ui/SoundsFolder.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <system_error>

namespace {

constexpr const char* NoSelectionText = "No sound selected";

} // namespace

void CBelltideDlg::OnListClick() {
    const int row = m_eventList.selectionMark();
    if (row == -1)
        return;
    enableSoundCommands();
    m_eventList.selectRow(row);
    if (const auto entry = entryOfRow(row); entry != m_theme.end())
        showLengthNote(entry->second);
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
    // The last preview may still be playing.
    m_preview = dialog.takePreview();
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
    m_statusBar.setText(""); // a note on the sound it had is past
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

std::optional<std::chrono::microseconds> soundLength(const SoundEntry& entry) {
    return entry.hasSound() ? waveLength(entry.path()) : std::nullopt;
}

bool isLong(std::chrono::microseconds length) {
    return length > LongSoundLimit;
}

// Kept short: it may follow what the status line says of a conversion or a new name.
std::string longSoundNote(std::string subject, std::chrono::microseconds length) {
    subject += " is long (";
    subject += formatLength(length);
    subject += "): the handheld plays it whole on every event.";
    return subject;
}

} // namespace

std::string CBelltideDlg::lengthText(const SoundEntry& entry) {
    const auto length = soundLength(entry);
    if (!length)
        return {};
    return formatLength(*length) + (isLong(*length) ? " (long)" : "");
}

void CBelltideDlg::showLengthNote(const SoundEntry& entry) {
    const auto length = soundLength(entry);
    if (length && isLong(*length)) {
        const StatusNote note =
            StatusNote().name(entry.name + entry.extension).text(longSoundNote("", *length));
        m_statusBar.setText(note);
        m_rowNote = note.whole();
    } else if (!m_rowNote.empty() && m_statusBar.shownText() == m_rowNote) {
        m_statusBar.setText("");
    }
}

void CBelltideDlg::assignSoundFile(int row, const std::string& path) {
    const auto entry = entryOfRow(row);
    if (entry == m_theme.end())
        return;
    if (!isReadableFile(path)) {
        m_prompts.showMessage("Could not open file \"" + path + "\".");
        return;
    }
    // The wave the handheld gets: the pick itself, or its conversion, made on a worker under a
    // progress dialog, for as long as it is needed.
    std::unique_ptr<PreviewWave> wave;
    try {
        runTransfer([&] { wave = CConversionDlg::convert(path, m_progressWindows); });
    } catch (const UndecodableSound&) {
        m_prompts.showMessage("Belltide cannot read \"" + path +
                              "\" as a sound; the sound is not changed.");
        return;
    } catch (const MessageError& error) {
        m_prompts.showMessage(error.text()); // out of bounds, or nowhere to write it
        return;
    }
    if (!wave)
        return; // cancelled
    const bool converting = wave->isConversion();
    // Every sound is the theme's own: a wave "<title>.wav" in the sounds folder, the pick copied
    // or converted there. Sounds are kept by name, so two of one name would become one.
    const std::string picked = fileNameOf(path);
    const std::string wanted = waveNameFor(picked);
    std::string fileName = wanted;
    bool clash = false, written = true;
    for (int number = 2;; fileName = numberedFileName(wanted, number++)) {
        const std::string target = m_folders.soundsDir + fileName;
        const auto other = std::find_if(m_theme.begin(), m_theme.end(), [&](const auto& item) {
            const SoundEntry& sound = item.second;
            return &item != &*entry && sound.hasSound() &&
                   equalIgnoringCase(sound.name + sound.extension, fileName);
        });
        if (other != m_theme.end()) {
            // The same sound under the same name is shared; a different one needs a name of its
            // own.
            if (!converting && sameBytes(other->second.path(), path)) {
                fileName = other->second.name + other->second.extension;
                written = false;
                break;
            }
            clash = true;
            continue;
        }
        if (isSameFile(target, path)) {
            // The pick is that file of the sounds folder already; a conversion never writes over
            // it.
            if (converting)
                continue;
            written = false;
        }
        break;
    }
    if (written) {
        try {
            convertToHandheldWave(wave->path(), m_folders.soundsDir + fileName);
        } catch (const MessageError&) {
            m_prompts.showMessage("Could not copy file \"" + path + "\" into the sounds folder.");
            return;
        }
    }
    SoundEntry& sound = entry->second;
    sound.folder = m_folders.soundsDir;
    sound.name = titleOf(fileName);
    sound.extension = fileName.substr(sound.name.size());
    sound.sizeKB = measureSizeKB(sound.path()).value_or(0);
    showSound(row, sound);
    fitNameColumns();
    setModified(true);
    if (!converting && fileName == picked) {
        m_statusBar.setText(""); // what it told of an earlier pick is past
        showLengthNote(sound);
        return;
    }
    const StatusNote status = StatusNote()
                                  .name(picked)
                                  .text(converting ? " is converted into " : " is kept as ")
                                  .name(fileName);
    std::string reason = clash        ? ": another event plays a different sound of that name."
                         : converting ? ", a wave the handheld plays."
                                      : ", a name a theme and the handheld can hold.";
    // That it is long matters more than why it was renamed.
    if (const auto length = soundLength(sound); length && isLong(*length))
        reason = longSoundNote(", which", *length);
    m_statusBar.setText(StatusNote(status).text(reason));
}
