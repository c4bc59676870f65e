// The main window's theme commands: the theme library, New, Open and Save Theme.
#include "CBelltideDlg.h"

#include "catalog/MessageError.h"
#include "files/FileNames.h"
#include "files/PcPath.h"
#include "files/StagedFolder.h"
#include "themes/ThemeArchive.h"
#include "themes/ThemeDescriptor.h"
#include "themes/ThemeLibrary.h"
#include "transfer/CConversionDlg.h"
#include "ui/SoundsFolder.h"

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <sstream>

namespace {

constexpr const char* SaveChangesQuestion = "Do you want to save your changes?";
constexpr const char* OverwriteQuestion = "A theme with the same filename already exists in your "
                                          "Belltide Theme Directory. Overwrite it?";
// The settings key of the folder a theme was last opened from.
constexpr const char* OpenedFolderKey = "Folders/Themes";

FileDialogOptions themeFileDialog(const std::string& title, const std::string& initialFolder) {
    return FileDialogOptions{.title = title,
                             .filterDescription = "Theme Files (*.kbt)",
                             .filterPattern = "*.kbt",
                             .defaultExtension = "kbt",
                             .initialFolder = initialFolder};
}

std::string joinLines(const std::vector<std::string>& lines) {
    std::string text;
    for (const auto& line : lines)
        text += (text.empty() ? "" : "\n") + line;
    return text;
}

// The file's name without its ".kbt", in any case.
std::string themeNameOf(const std::string& path) {
    std::string name = fileNameOf(path);
    if (name.size() > 4 && equalIgnoringCase(name.substr(name.size() - 4), ".kbt"))
        name.resize(name.size() - 4);
    return name;
}

} // namespace

bool CBelltideDlg::promptSaveChanges() {
    if (!m_modified)
        return true;
    switch (m_prompts.askYesNoCancel(SaveChangesQuestion)) {
    case Answer::Yes:
        // A cancelled or failed save keeps the edits and stops what asked.
        return saveTheme();
    case Answer::No:
        // The edits go only when the theme is replaced or the program ends: a No to what
        // follows keeps them, and asks again.
        return true;
    case Answer::Cancel:
        break;
    }
    return false;
}

bool CBelltideDlg::loadStartupTheme() {
    m_startupOpenedFrom.clear();
    if (m_startupTheme.empty())
        return false;
    // Only a theme that loads is copied; a damaged one would fail again at every pick.
    if (!tryLoadTheme(m_startupTheme))
        return false;
    m_startupOpenedFrom = m_startupTheme;
    const std::string fileName = fileNameOf(m_startupTheme);
    // A declined or failed copy must not select another theme of the same name.
    if (importThemeFile(m_startupTheme, m_folders.themesDir + fileName)) {
        selectTheme(fileName);
        m_startupOpenedFrom = m_folders.themesDir + fileName;
    }
    return true;
}

void CBelltideDlg::OnOpenFromAnotherStart(const std::string& path) {
    if (m_transferRunning) {
        m_handedOver.push_back(path);
        return;
    }
    if (path.empty() || !promptSaveChanges())
        return;
    // Also what a backup check that was still waiting shows once it is done.
    m_startupTheme = path;
    if (loadStartupTheme())
        m_statusBar.setText("");
}

void CBelltideDlg::OnNewTheme() {
    if (!promptSaveChanges())
        return;
    m_theme = DeviceLink::makeBlankTheme();
    rebuildEventRows();
    m_themeCombo.setSelection(-1);
    applyEnabling(ThemeShown::Yes);
    setModified(false);
    m_statusBar.setText("");
}

void CBelltideDlg::OnOpenTheme() {
    // Where a theme was last opened from, else the library.
    std::string folder = m_settings.text(OpenedFolderKey);
    std::error_code error;
    if (folder.empty() || !std::filesystem::is_directory(pcPath(folder), error))
        folder = m_folders.themesDir;
    const auto path = m_prompts.chooseFileToOpen(themeFileDialog("Open Theme", folder));
    if (!path || !promptSaveChanges())
        return;
    m_settings.setText(OpenedFolderKey, folderOf(*path));
    if (!tryLoadTheme(*path))
        return;
    m_statusBar.setText("");
    // A declined or failed copy leaves the library as it was; the theme is open all the same
    // and the copy is not reported.
    const std::string fileName = fileNameOf(*path);
    if (importThemeFile(*path, m_folders.themesDir + fileName))
        selectTheme(fileName);
}

void CBelltideDlg::OnSaveTheme() {
    static_cast<void>(saveTheme()); // a failure has been shown
}

bool CBelltideDlg::saveTheme() {
    const auto path =
        m_prompts.chooseFileToSave(themeFileDialog("Save Theme As", m_folders.themesDir));
    if (!path)
        return false;
    {
        WaitCursor wait(m_prompts);
        m_theme.setUploadExtended(true);
        try {
            m_theme.saveToArchive(m_folders.soundsDir, *path);
        } catch (const MessageError& error) {
            m_prompts.showMessage(error.text());
            return false;
        }
        // A theme saved elsewhere is the user's to keep there: the title names it, the list
        // names no theme of the library, and the line tells where it went.
        selectTheme(isInLibrary(*path) ? fileNameOf(*path) : std::string{});
    }
    m_themeName = themeNameOf(*path);
    setModified(false);
    if (isInLibrary(*path))
        m_statusBar.setText("");
    else
        m_statusBar.setText(StatusNote("Saved outside the theme library, as ").name(*path));
    return true;
}

void CBelltideDlg::OnThemeSelChange() {
    // Read before the save question: saving refills the list and would lose the user's pick.
    const int picked = m_themeCombo.selection();
    const std::string fileName = picked >= 0 ? m_themeCombo.itemText(picked) : std::string{};
    if (!promptSaveChanges()) {
        selectTheme(m_themeFileName); // the list names what the editor still holds
        return;
    }
    if (fileName.empty())
        return;
    // The list must not name a theme the editor does not hold.
    if (!tryLoadTheme(m_folders.themesDir + fileName)) {
        selectTheme(m_themeFileName);
        return;
    }
    m_statusBar.setText("");
}

void CBelltideDlg::OnThemeDropDown() {
    fillThemeList();
}

void CBelltideDlg::loadTheme(const std::string& archivePath) {
    WaitCursor wait(m_prompts);
    const ThemeArchive archive(archivePath);
    const auto members = archive.members();
    const auto descriptorMember =
        std::find_if(members.begin(), members.end(),
                     [](const ArchiveMember& member) { return member.name == DescriptorFileName; });
    if (descriptorMember == members.end())
        throw MessageError("The file \"" + archivePath + "\" is not a Belltide theme.");
    // A few lines per event: anything far larger is no descriptor, and is not read into memory,
    // which a 32-bit program may not have for it.
    constexpr std::uint32_t LargestDescriptor = 1 << 20;
    if (descriptorMember->dataLength > LargestDescriptor)
        throw MessageError("The theme file \"" + archivePath + "\" is damaged.");
    // The descriptor is read first: a row naming anything but a file of its own (another
    // folder, a drive) would pull that file into the next theme saved.
    std::istringstream descriptor(archive.readMember(*descriptorMember));
    SoundTheme read;
    readDescriptor(descriptor, read);
    for (const auto& [eventName, entry] : read) {
        const std::string fileName = entry.name + entry.extension;
        if (entry.hasSound() && !fileName.empty() && !ThemeArchive::isMemberName(fileName))
            throw MessageError("The theme file \"" + archivePath + "\" is damaged.");
    }
    const std::vector<std::string> notes = extractIntoSoundsFolder(archive, archivePath, read);
    read.setUploadExtended(m_theme.uploadExtended());
    m_theme = std::move(read);
    rebuildEventRows();
    // Only the library's own file: one of the same name from elsewhere is another theme.
    selectTheme(isInLibrary(archivePath) ? fileNameOf(archivePath) : std::string{});
    applyEnabling(ThemeShown::Yes);
    m_themeName = themeNameOf(archivePath);
    // Replaced: whatever the editor held unsaved is gone now.
    setModified(false);
    if (!notes.empty())
        m_prompts.showMessage(joinLines(notes));
}

std::vector<std::string> CBelltideDlg::extractIntoSoundsFolder(const ThemeArchive& archive,
                                                               const std::string& archivePath,
                                                               SoundTheme& theme) {
    // The theme's sounds are gathered beside the sounds folder and take its place only when
    // all are there: a full disk leaves the editor as it was, and no wave of an earlier theme
    // stays to stand in for one this theme lacks.
    const MessageError failed("Could not open theme \"" + archivePath +
                              "\": its sounds could not be written to the sounds folder.");
    std::optional<StagedFolder> staged;
    try {
        staged.emplace(pcPath(m_folders.soundsDir).parent_path());
    } catch (const std::filesystem::filesystem_error&) {
        throw failed;
    }
    const std::string stagedDir = pcText(staged->path() / "");
    if (!archive.extractAll(stagedDir))
        throw failed;
    // A sound of another format is converted on a worker; Cancel leaves the editor as it was.
    const WaveConversion convert = [this](const std::string& source, const std::string& target) {
        std::unique_ptr<PreviewWave> wave;
        runTransfer([&] { wave = CConversionDlg::convert(source, m_progressWindows); });
        if (!wave)
            throw ThemeNotOpened{};
        convertToHandheldWave(wave->path(), target);
    };
    std::vector<std::string> notes = keepSoundsAsWaves(theme, stagedDir, convert);
    m_sound.stop(); // a sound still playing would hold its file
    if (!staged->commit())
        throw failed;
    return notes;
}

bool CBelltideDlg::tryLoadTheme(const std::string& archivePath) {
    try {
        loadTheme(archivePath);
        return true;
    } catch (const MessageError& error) {
        m_prompts.showMessage(error.text());
    } catch (const ThemeNotOpened&) {
    }
    return false;
}

void CBelltideDlg::fillThemeList() {
    m_themeCombo.clear();
    for (const auto& name : themeFileNames(m_folders.themesDir))
        m_themeCombo.addItem(name);
}

void CBelltideDlg::selectTheme(const std::string& fileName) {
    fillThemeList();
    for (int i = 0; i < m_themeCombo.count(); ++i) {
        if (equalIgnoringCase(m_themeCombo.itemText(i), fileName)) {
            m_themeCombo.setSelection(i);
            m_themeFileName = m_themeCombo.itemText(i);
            return;
        }
    }
    m_themeCombo.setSelection(-1);
    m_themeFileName.clear();
}

bool CBelltideDlg::isInLibrary(const std::string& path) const {
    return isSameFile(folderOf(path), folderOf(m_folders.themesDir));
}

bool CBelltideDlg::importThemeFile(const std::string& source, const std::string& target) {
    // The same file under another spelling must never be copied onto itself.
    if (isSameFile(source, target))
        return true;
    if (std::ifstream(pcPath(target), std::ios::binary) && !m_prompts.askYesNo(OverwriteQuestion))
        return false;
    return copyThemeFile(source, target);
}
