#include "CProgressDlg.h"

#include "catalog/MessageError.h"

namespace {

// The device link's in-place messages, shown over the progress dialog.
class SinkMessages : public DeviceMessages {
public:
    explicit SinkMessages(ProgressSink& progress) : m_progress(progress) {}
    void showMessage(const std::string& text) override { m_progress.showMessage(text); }

private:
    ProgressSink& m_progress;
};

} // namespace

CProgressDlg::~CProgressDlg() {
    if (m_worker.joinable())
        m_worker.join();
}

void CProgressDlg::DoModal() {
    m_services.windows.runModal(m_template,
                                [this](ProgressWindow& window) { OnInitDialog(window); });
    if (m_worker.joinable())
        m_worker.join();
}

void CProgressDlg::OnInitDialog(ProgressWindow& window) {
    m_progress.emplace(m_services.windows, window);
    startWorker(m_worker);
}

void CProgressDlg::runWorker() {
    ProgressSink& progress = *m_progress;
    progress.beginWaitCursor();
    SinkMessages messages(progress);
    const auto remote = m_services.deviceFactory();
    DeviceLink device(*remote, messages, m_services.connectTimeout);
    bool connected = false;
    try {
        device.connect();
        connected = true;
        SoundTheme working = prepare(device);
        const SoundFileSet files = working.soundFiles();
        progress.setRange(0, static_cast<int>((files.size() + 1) & 0xFFFF));
        progress.setStep(1);
        progress.stepIt();
        for (const SoundEntry& file : files) {
            try {
                copyFile(device, file);
            } catch (const MessageError& error) {
                progress.showMessage(error.text());
            }
            progress.stepIt();
        }
        completeOnDevice(device);
        connected = false;
        device.disconnect();
        completeOnPc(working);
    } catch (const MessageError& error) {
        progress.showMessage(error.text());
        onFailure();
        if (connected)
            device.disconnect();
    }
    progress.endWaitCursor();
    progress.close();
}
