// The progress dialogs' common frame: a worker thread talks to the device while the dialog is
// shown modally, and the starter reads the outcome once both are done.
#pragma once

#include "catalog/SoundTheme.h"
#include "device/DeviceLink.h"
#include "device/RemoteDevice.h"
#include "transfer/ProgressWindow.h"

#include <chrono>
#include <optional>
#include <string>
#include <thread>
#include <vector>

// What the dialog says while the connection is being waited for.
inline constexpr const char* WaitingText = "Waiting for the handheld\u2026";

// What a transfer needs from the program: its dialogs' windows and a device of its own.
struct TransferServices {
    ProgressWindows& windows;
    RemoteDeviceFactory deviceFactory;
    std::chrono::milliseconds connectTimeout = DeviceLink::ConnectTimeoutMs;
};

class CProgressDlg {
public:
    CProgressDlg(ProgressDialogTemplate dialogTemplate, TransferServices services)
        : m_template(std::move(dialogTemplate)), m_services(std::move(services)) {}
    virtual ~CProgressDlg();
    CProgressDlg(const CProgressDlg&) = delete;
    CProgressDlg& operator=(const CProgressDlg&) = delete;

    // UI thread. Shows the dialog and returns once its worker has ended; only then may the
    // outcome be read. Should it unwind, the worker is released and joined.
    void DoModal();
    const ProgressDialogTemplate& dialogTemplate() const { return m_template; }
    // After DoModal: whether the user stopped the transfer before its completion.
    bool wasCancelled() const { return m_cancelled; }

protected:
    // Worker thread: connect, prepare, one copy per sound file, complete, close the dialog. A
    // Cancel is taken between files and skips the completion.
    void runWorker();

    // The steps that differ between the operations, called by runWorker. An exception from
    // prepare or the completion ends the operation; one from copyFile only that file.
    virtual SoundTheme prepare(DeviceLink& device) = 0;
    virtual void copyFile(DeviceLink& device, const SoundEntry& file,
                          const CopyProgress& progress) = 0;
    virtual void onCopyFailed(const SoundEntry&) {}
    virtual void completeOnDevice(DeviceLink&) {}
    // The device could not keep what the completion gave it (DeviceLink::disconnect).
    virtual void onSessionEndFailed() {}
    virtual void completeOnPc(SoundTheme&) {}
    virtual void onFailure() {}
    virtual void onCancelled() { onFailure(); }
    // The one message that tells of the files that could not be copied, each with its reason, in
    // the order a person counts.
    virtual std::string failedCopiesText(const std::vector<std::string>& reasons) const;

    std::optional<ProgressSink> m_progress;
    // What prepare found that the summary message tells first, beside the failed copies.
    std::vector<std::string> m_notes;

private:
    // UI thread, once the dialog is on screen.
    void OnInitDialog(ProgressWindow& window);
    virtual void startWorker(std::thread& worker) = 0;

    ProgressDialogTemplate m_template;
    TransferServices m_services;
    std::thread m_worker;
    bool m_cancelled = false;
};
