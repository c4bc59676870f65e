#include "CImportDlg.h"

#include "catalog/MessageError.h"
#include "files/PcPath.h"
#include "files/ReplacementFile.h"
#include "transfer/DeviceSounds.h"

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
    makeStagedFolder(m_staged, pcPath(m_soundsDir).parent_path());
    m_result = device.readSoundTheme();
    const SoundTheme asRead = m_result;
    m_notes = dropUnfitNames(m_result);
    for (const auto& [eventName, entry] : asRead)
        if (entry.hasSound() && !m_result.find(eventName)->second.hasSound())
            m_notArrived.insert(eventName);
    return m_result;
}

void CImportDlg::copyFile(DeviceLink& device, const SoundEntry& file,
                          const CopyProgress& progress) {
    const std::string fileName = file.name + file.extension;
    device.copyFileFromDevice(DeviceFolder, folderText(m_staged->path()), fileName, progress);
    // The disk takes it while the next one is copied.
    startWriting(m_staged->path() / pcPath(fileName));
}

void CImportDlg::completeOnPc(SoundTheme&) {
    m_notArrived.merge(pointAtCopies(m_result, folderText(m_staged->path())));
    // The disk is flushed once for all the waves, here on the worker.
    if (!m_staged->flush())
        throw MessageError("Could not write the downloaded sounds to the PC's disk (\"" +
                           pcText(m_staged->path()) + "\").");
}

bool CImportDlg::commitSounds() {
    return m_staged && m_staged->commit();
}

std::string CImportDlg::failedCopiesText(const std::vector<std::string>& reasons) const {
    return "These sounds could not be imported; their events have no sound:\n\n" +
           CProgressDlg::failedCopiesText(reasons);
}
