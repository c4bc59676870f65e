#include "CExportDlg.h"

CExportDlg::CExportDlg(SoundTheme upload, TransferServices services)
    : CProgressDlg({DialogId, "Exporting Sounds", "Exporting sounds to the\nPocket PC...",
                    TextAlign::Centre},
                   std::move(services)),
      m_upload(std::move(upload)) {}

int CExportDlg::ExportThreadProc(CExportDlg* dlg) {
    dlg->m_succeeded = true;
    dlg->runWorker();
    return 0;
}

void CExportDlg::startWorker(std::thread& worker) {
    worker = std::thread(&CExportDlg::ExportThreadProc, this);
}

SoundTheme CExportDlg::prepare(DeviceLink& device) {
    // The registry names the new sounds before any file is copied.
    device.writeSoundTheme(m_upload);
    return m_upload;
}

void CExportDlg::copyFile(DeviceLink& device, const SoundEntry& file) {
    device.copyFileToDevice(file.folder, DeviceFolder, file.name + file.extension);
}

void CExportDlg::completeOnDevice(DeviceLink& device) {
    device.refreshDeviceAudio();
}
