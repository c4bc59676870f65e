#include "CImportDlg.h"

#include "files/ReplacementFile.h"

CImportDlg::CImportDlg(std::string soundsDir, TransferServices services)
    : CProgressDlg({DialogId, "Importing Sounds", "Importing sounds from the\nPocket PC...",
                    TextAlign::Centre},
                   std::move(services)),
      m_soundsDir(std::move(soundsDir)) {}

int CImportDlg::ImportThreadProc(CImportDlg* dlg) {
    dlg->runWorker();
    return 0;
}

void CImportDlg::startWorker(std::thread& worker) {
    worker = std::thread(&CImportDlg::ImportThreadProc, this);
}

SoundTheme CImportDlg::prepare(DeviceLink& device) {
    // What a download killed half-way left beside the files it was replacing.
    removeLeftoverReplacements(m_soundsDir, ".wav");
    m_result = device.readSoundTheme();
    return m_result;
}

void CImportDlg::copyFile(DeviceLink& device, const SoundEntry& file,
                          const CopyProgress& progress) {
    device.copyFileFromDevice(DeviceFolder, m_soundsDir, file.name + file.extension, progress);
}
