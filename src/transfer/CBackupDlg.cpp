#include "CBackupDlg.h"

#include "files/ReplacementFile.h"

CBackupDlg::CBackupDlg(std::string themesDir, std::string soundsDir, TransferServices services)
    : CProgressDlg({DialogId, "Current Sounds Backup",
                    "Backing up your current sounds\nto the initial backup theme", TextAlign::Left},
                   std::move(services)),
      m_themesDir(std::move(themesDir)), m_soundsDir(std::move(soundsDir)) {}

int CBackupDlg::BackupThreadProc(CBackupDlg* dlg) {
    dlg->runWorker();
    return 0;
}

void CBackupDlg::startWorker(std::thread& worker) {
    worker = std::thread(&CBackupDlg::BackupThreadProc, this);
}

SoundTheme CBackupDlg::prepare(DeviceLink& device) {
    // What a download killed half-way left beside the files it was replacing.
    removeLeftoverReplacements(m_soundsDir, ".wav");
    return device.readSoundTheme();
}

void CBackupDlg::copyFile(DeviceLink& device, const SoundEntry& file,
                          const CopyProgress& progress) {
    device.copyFileFromDevice(DeviceFolder, m_soundsDir, file.name + file.extension, progress);
}

void CBackupDlg::completeOnPc(SoundTheme& working) {
    for (auto& [eventName, entry] : working)
        entry.folder = m_soundsDir;
    working.setUploadExtended(true);
    // Written through a temporary file: a backup cut short leaves none, and the next start
    // tries again.
    working.saveToArchive(m_soundsDir, m_themesDir + InitialBackupFileName);
}
