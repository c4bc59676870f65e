#include "CExportDlg.h"

#include "catalog/MessageError.h"
#include "files/PcPath.h"
#include "transfer/CConversionDlg.h"

#include <filesystem>
#include <utility>

namespace {

// Room a file takes on the device: whole clusters of this size.
constexpr std::uint64_t ClusterBytes = 4096;

std::string kilobytes(std::uint64_t bytes) {
    std::string digits = std::to_string((bytes + 1023) / 1024);
    for (auto at = digits.size(); at > 3; at -= 3)
        digits.insert(at - 3, ",");
    return digits + " KB";
}

// The sound's file on both sides.
std::string waveFileName(const SoundEntry& entry) {
    return entry.name + entry.extension;
}

} // namespace

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
    m_current = device.readCurrentSounds();
    // A theme from elsewhere may hold waves the handheld cannot play: they go as their
    // conversions, and the theme's own files stay as they are.
    SoundTheme sending = m_upload;
    const std::set<std::string> sent = takingPart();
    for (auto& [eventName, entry] : sending) {
        if (!entry.hasSound() || !sent.count(eventName))
            continue;
        try {
            entry.folder = m_converted.folderFor(
                entry.folder, waveFileName(entry),
                conversionProgress(*m_progress, "Converting " + waveFileName(entry)));
        } catch (const ConversionCancelled&) {
            // The copies see the Cancel at once: nothing is sent and nothing changes.
            return sending;
        } catch (const NoTemporaryFolder&) {
            throw; // no other conversion can be made either: the upload ends before it began
        } catch (const MessageError& error) {
            m_conversionErrors.emplace(
                waveFileName(entry),
                probeSound(entry.path()).kind == SoundKind::Undecodable
                    ? "\"" + waveFileName(entry) +
                          "\" is not a wave file that the Pocket PC can play, nor a sound "
                          "Belltide can convert."
                    : std::string(error.what()));
        }
    }
    // Every new wave lies whole beside the old one of its name until all have arrived, and the
    // upload's two notes with them.
    const auto clusters = [](std::uint64_t bytes) {
        return (bytes + ClusterBytes - 1) / ClusterBytes * ClusterBytes;
    };
    std::uint64_t needed = 2 * ClusterBytes;
    std::vector<std::string> fileNames;
    for (const SoundEntry& file : sending.soundFiles()) {
        std::error_code error;
        const auto bytes = std::filesystem::file_size(pcPath(file.path()), error);
        needed += error ? 0 : clusters(bytes);
        fileNames.push_back(waveFileName(file));
    }
    const auto available = device.freeSpace(DeviceFolder);
    if (available && needed > *available)
        throw MessageError("The theme's sounds need " + kilobytes(needed) +
                           " on the Pocket PC, but only " + kilobytes(*available) +
                           " are free there. Nothing was exported; make room on the Pocket PC "
                           "or choose smaller sounds.");
    m_deviceUpload.emplace(device, fileNames);
    return sending;
}

void CExportDlg::copyFile(DeviceLink&, const SoundEntry& file, const CopyProgress& progress) {
    // A damaged or foreign file would sit on the handheld as a sound that never plays.
    if (const auto failed = m_conversionErrors.find(waveFileName(file));
        failed != m_conversionErrors.end())
        throw MessageError(failed->second);
    m_deviceUpload->send(file.folder, waveFileName(file), progress);
    ++m_arrived;
}

void CExportDlg::onCopyFailed(const SoundEntry& file) {
    m_failedFiles.insert(waveFileName(file));
}

std::set<std::string> CExportDlg::takingPart() const {
    std::set<std::string> names;
    for (const auto& [eventName, entry] : m_upload) {
        if (m_upload.uploadExtended() || !isExtendedEventName(eventName))
            names.insert(eventName);
    }
    return names;
}

void CExportDlg::completeOnDevice(DeviceLink& device) {
    SoundTheme written = m_upload;
    const std::set<std::string> sent = takingPart();
    for (const std::string& eventName : sent) {
        auto entry = written.find(eventName);
        if (!entry->second.hasSound() || !m_failedFiles.count(waveFileName(entry->second)))
            continue;
        m_notExported.insert(eventName);
        // Never pointed at a file that is not there whole: the device's own sound stays.
        const auto current = m_current.find(eventName);
        entry->second = current != m_current.end() ? current->second : SoundEntry::none();
    }
    m_succeeded = false;
    // With not one file arrived, the registry keeps every sound it names.
    if (m_arrived == 0 && !m_failedFiles.empty()) {
        m_deviceUpload->abandon();
        m_deviceUpload.reset();
        return;
    }
    m_progress->setText("Placing the sounds\u2026\n(too late to cancel)");
    const std::set<std::string> notWritten = m_deviceUpload->place(written);
    m_changed = m_arrived > 0 || notWritten.size() < sent.size();
    for (const std::string& eventName : notWritten) {
        // A setting the device already had needs no writing.
        const auto current = m_current.find(eventName);
        if (current == m_current.end() ||
            current->second.name != written.find(eventName)->second.name)
            m_notExported.insert(eventName);
    }
    m_notTakenUp = m_changed && !device.refreshDeviceAudio();
    m_deviceUpload->finish();
    m_deviceUpload.reset();
    m_succeeded = m_notExported.empty() && !m_notTakenUp;
}

void CExportDlg::onSessionEndFailed() {
    m_succeeded = false;
    // Told once: a reload that failed has said so already.
    if (!m_changed || std::exchange(m_notTakenUp, true))
        return;
    m_progress->showMessage(
        "The Pocket PC could not keep its new sound settings when the connection ended.");
}

void CExportDlg::onCancelled() {
    // Nothing has taken its place yet: every event keeps the sound it had. A Cancel while
    // connecting or converting comes before the upload was begun.
    if (m_deviceUpload)
        m_deviceUpload->abandon();
    m_deviceUpload.reset();
    m_succeeded = false;
    m_notExported.clear();
}

void CExportDlg::onFailure() {
    m_succeeded = false;
    // A failure in putting the waves in place has put them back already.
    if (m_deviceUpload)
        m_deviceUpload->abandon();
    m_deviceUpload.reset();
}

std::string CExportDlg::failedCopiesText(const std::vector<std::string>& reasons) const {
    return "These sounds could not be exported; their events keep the sounds they had on the "
           "Pocket PC:\n\n" +
           CProgressDlg::failedCopiesText(reasons);
}
