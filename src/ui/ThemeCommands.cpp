// The main window's theme commands: the theme library, New, Open and Save Theme.
#include "CBelltideDlg.h"

#include "catalog/MessageError.h"
#include "files/FileNames.h"
#include "files/PcPath.h"
#include "themes/ThemeArchive.h"
#include "themes/ThemeDescriptor.h"
#include "themes/ThemeLibrary.h"

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>

namespace {

constexpr const char* SaveChangesQuestion = "Do you want to save your changes?";
constexpr const char* OverwriteQuestion = "A theme with the same filename already exists in your "
                                          "Belltide Theme Directory. Overwrite it?";

FileDialogOptions themeFileDialog(const std::string& title, const std::string& initialFolder) {
    return FileDialogOptions{.title = title,
                             .filterDescription = "Theme Files (*.kbt)",
                             .filterPattern = "*.kbt",
                             .defaultExtension = "kbt",
                             .initialFolder = initialFolder};
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
        setModified(false);
        return true;
    case Answer::Cancel:
        break;
    }
    return false;
}

void CBelltideDlg::loadStartupTheme() {
    if (m_startupTheme.empty())
        return;
    // Only a theme that loads is copied; a damaged one would fail again at every pick.
    if (!tryLoadTheme(m_startupTheme))
        return;
    const std::string fileName = fileNameOf(m_startupTheme);
    // A declined or failed copy must not select another theme of the same name.
    if (importThemeFile(m_startupTheme, m_folders.themesDir + fileName))
        selectTheme(fileName);
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
    loadStartupTheme();
}

void CBelltideDlg::OnNewTheme() {
    if (!promptSaveChanges())
        return;
    m_theme = DeviceLink::makeBlankTheme();
    rebuildEventRows();
    m_themeCombo.setSelection(-1);
    applyEnabling(ThemeShown::Yes);
    showTitle();
    m_statusBar.setText("");
}

void CBelltideDlg::OnOpenTheme() {
    const auto path = m_prompts.chooseFileToOpen(themeFileDialog("Open Theme", ""));
    if (!path || !promptSaveChanges())
        return;
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
        selectTheme(fileNameOf(*path));
    }
    m_themeName = themeNameOf(*path);
    setModified(false);
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
        if (entry.hasSound() && !fileName.empty() && !ThemeArchive::isSafeMemberName(fileName))
            throw MessageError("The theme file \"" + archivePath + "\" is damaged.");
    }
    extractIntoSoundsFolder(archive, archivePath);
    read.setUploadExtended(m_theme.uploadExtended());
    m_theme = std::move(read);
    rebuildEventRows();
    selectTheme(fileNameOf(archivePath));
    applyEnabling(ThemeShown::Yes);
    m_themeName = themeNameOf(archivePath);
    showTitle();
}

void CBelltideDlg::extractIntoSoundsFolder(const ThemeArchive& archive,
                                           const std::string& archivePath) {
    // The theme's sounds are gathered beside the sounds folder and take its place only when
    // all are there: a full disk leaves the editor as it was, and no wave of an earlier theme
    // stays to stand in for one this theme lacks.
    namespace fs = std::filesystem;
    const fs::path sounds = pcPath(m_folders.soundsDir).parent_path();
    const fs::path staging = fs::path(sounds).concat(".new"), old = fs::path(sounds).concat(".old");
    const MessageError failed("Could not open theme \"" + archivePath +
                              "\": its sounds could not be written to the sounds folder.");
    std::error_code error;
    fs::remove_all(staging, error);
    fs::remove_all(old, error);
    if (!fs::create_directories(staging, error))
        throw failed;
    // Whatever is left of the staging folder goes, on every way out; once swapped in it is gone.
    const std::shared_ptr<void> cleanUp(nullptr, [&](void*) {
        std::error_code ignored;
        fs::remove_all(staging, ignored);
    });
    if (!archive.extractAll(pcText(staging / "")))
        throw failed;
    m_sound.stop(); // a sound still playing would hold its file
    fs::rename(sounds, old, error);
    if (error && fs::exists(sounds, error))
        throw failed;
    fs::rename(staging, sounds, error);
    if (error) {
        fs::rename(old, sounds, error);
        throw failed;
    }
    fs::remove_all(old, error);
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
            m_themeFileName = m_themeCombo.itemText(i);
            return;
        }
    }
    m_themeCombo.setSelection(-1);
    m_themeFileName.clear();
}

bool CBelltideDlg::importThemeFile(const std::string& source, const std::string& target) {
    // The same file under another spelling must never be copied onto itself.
    if (isSameFile(source, target))
        return true;
    if (std::ifstream(pcPath(target), std::ios::binary) && !m_prompts.askYesNo(OverwriteQuestion))
        return false;
    return copyThemeFile(source, target);
}
