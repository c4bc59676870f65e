#include "CBelltideDlg.h"

#include "catalog/MessageError.h"
#include "catalog/PcPath.h"
#include "themes/ThemeArchive.h"
#include "themes/ThemeDescriptor.h"
#include "themes/ThemeLibrary.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <system_error>

namespace {

constexpr const char* WelcomeText = "Welcome to Belltide";
constexpr const char* WelcomeSound = "Belltide.wav";
constexpr const char* SaveChangesQuestion = "Do you want to save your changes?";
constexpr const char* ExitQuestion = "Are you absolutely sure you want to exit Belltide?";
constexpr const char* OverwriteQuestion = "A theme with the same filename already exists in your "
                                          "Belltide Theme Directory. Overwrite it?";

FileDialogOptions themeFileDialog(const std::string& initialFolder) {
    return FileDialogOptions{"Theme Files (*.kbt)", "*.kbt", "kbt", initialFolder};
}

void createFolder(const std::string& folder) {
    std::error_code ignored;
    std::filesystem::create_directory(folder, ignored);
}

} // namespace

CBelltideDlg::CBelltideDlg(const std::string& programPath, const MainWindowControls& controls)
    : m_themeCombo(controls.themeCombo), m_saveThemeButton(controls.saveThemeButton),
      m_noSoundButton(controls.noSoundButton), m_playButton(controls.playButton),
      m_uploadButton(controls.uploadButton), m_changeButton(controls.changeButton),
      m_extendedCheck(controls.extendedCheck), m_eventList(controls.eventList),
      m_statusBar(controls.statusBar), m_prompts(controls.prompts), m_sound(controls.sound) {
    const std::string programFolder = folderOf(programPath);
    std::error_code ignored;
    std::filesystem::current_path(programFolder, ignored);
    m_folders = ThemeFolders::besideProgram(programFolder);
}

void CBelltideDlg::OnInitDialog() {
    m_statusBar.setText(WelcomeText);
    createFolder(m_folders.themesDir);
    createFolder(m_folders.soundsDir);
    m_eventList.insertColumn(0, "Events", ColumnAlign::Left, 130);
    m_eventList.insertColumn(1, "Sounds", ColumnAlign::Left, 130);
    m_eventList.insertColumn(2, "Size", ColumnAlign::Right, 80);
    applyEnabling(ThemeShown::No);
    m_extendedCheck.setChecked(true);
    fillThemeList();
    loadStartupTheme();
    m_sound.playFile(WelcomeSound);
}

void CBelltideDlg::loadStartupTheme() {
    if (m_startupTheme.empty())
        return;
    importThemeFile(m_startupTheme, m_folders.themesDir + fileNameOf(m_startupTheme));
    tryLoadTheme(m_startupTheme);
}

bool CBelltideDlg::OnClose() {
    promptSaveChanges();
    return m_prompts.askYesNo(ExitQuestion);
}

void CBelltideDlg::promptSaveChanges() {
    if (m_modified && m_prompts.askYesNo(SaveChangesQuestion))
        OnSaveTheme();
    m_modified = false;
}

void CBelltideDlg::OnNewTheme() {
    promptSaveChanges();
    m_theme = m_device.makeBlankTheme();
    rebuildEventRows();
    m_themeCombo.setSelection(-1);
    applyEnabling(ThemeShown::Yes);
}

void CBelltideDlg::OnOpenTheme() {
    const auto path = m_prompts.chooseFileToOpen(themeFileDialog(""));
    if (!path)
        return;
    promptSaveChanges();
    if (!tryLoadTheme(*path))
        return;
    importThemeFile(*path, m_folders.themesDir + fileNameOf(*path));
}

void CBelltideDlg::OnSaveTheme() {
    const auto path = m_prompts.chooseFileToSave(themeFileDialog(m_folders.themesDir));
    if (!path)
        return;
    {
        WaitCursor wait(m_prompts);
        m_theme.setUploadExtended(true);
        try {
            m_theme.saveToArchive(m_folders.soundsDir, *path);
        } catch (const MessageError& error) {
            m_prompts.showMessage(error.text());
            return;
        }
        selectTheme(fileNameOf(*path));
    }
    m_modified = false;
}

void CBelltideDlg::OnThemeSelChange() {
    // Read before the save question: saving refills the list and would lose the user's pick.
    const int picked = m_themeCombo.selection();
    const std::string fileName = picked >= 0 ? m_themeCombo.itemText(picked) : std::string{};
    promptSaveChanges();
    if (fileName.empty())
        return;
    tryLoadTheme(m_folders.themesDir + fileName);
}

void CBelltideDlg::OnThemeDropDown() {
    fillThemeList();
}

void CBelltideDlg::loadTheme(const std::string& archivePath) {
    WaitCursor wait(m_prompts);
    const ThemeArchive archive(archivePath);
    const auto members = archive.members();
    const bool hasDescriptor =
        std::any_of(members.begin(), members.end(),
                    [](const ArchiveMember& member) { return member.name == DescriptorFileName; });
    if (!hasDescriptor)
        throw MessageError("The file \"" + archivePath + "\" is not a Belltide theme.");
    archive.extractAll(m_folders.soundsDir);

    std::ifstream descriptor(m_folders.soundsDir + DescriptorFileName, std::ios::binary);
    readDescriptor(descriptor, m_theme);
    rebuildEventRows();
    selectTheme(fileNameOf(archivePath));
    applyEnabling(ThemeShown::Yes);
}

bool CBelltideDlg::tryLoadTheme(const std::string& archivePath) {
    try {
        loadTheme(archivePath);
        return true;
    } catch (const MessageError& error) {
        m_prompts.showMessage(error.text());
        return false;
    }
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
            return;
        }
    }
    m_themeCombo.setSelection(-1);
}

void CBelltideDlg::importThemeFile(const std::string& source, const std::string& target) {
    // The same file under another spelling must never be copied onto itself.
    if (isSameFile(source, target))
        return;
    if (std::ifstream(target, std::ios::binary) && !m_prompts.askYesNo(OverwriteQuestion))
        return;
    copyThemeFile(source, target);
}

void CBelltideDlg::rebuildEventRows() {
    m_eventList.deleteAllRows();
    int row = 0;
    for (auto& [eventName, entry] : m_theme) {
        entry.folder = m_folders.soundsDir;
        const auto size = measureSizeKB(entry.path());
        if (!size) {
            entry.name = NoSoundName;
            entry.extension.clear();
        } else if (entry.hasSound() && !entry.extension.empty()) {
            entry.sizeKB = *size;
        }
        m_eventList.insertRow(row, eventName);
        showSound(row, entry);
        ++row;
    }
}

void CBelltideDlg::showSound(int row, const SoundEntry& entry) {
    m_eventList.setCellText(row, 1, entry.name + entry.extension);
    m_eventList.setCellText(row, 2, entry.sizeText());
}

void CBelltideDlg::applyEnabling(ThemeShown shown) {
    const bool themeShown = shown == ThemeShown::Yes;
    m_playButton.enable(false);
    m_changeButton.enable(false);
    m_noSoundButton.enable(false);
    m_saveThemeButton.enable(themeShown);
    m_uploadButton.enable(themeShown);
    m_extendedCheck.enable(themeShown && m_theme.hasExtendedEvents());
}
