#include "CProgressDlg.h"

#include "catalog/MessageError.h"
#include "files/FileNames.h"

#include <algorithm>

namespace {

// The device link's in-place messages, shown over the progress dialog.
class SinkMessages : public DeviceMessages {
public:
    explicit SinkMessages(ProgressSink& progress) : m_progress(progress) {}
    void showMessage(const std::string& text) override { m_progress.showMessage(text); }

private:
    ProgressSink& m_progress;
};

// The user stopped the transfer before the handheld answered.
struct CancelledWhileConnecting {};

// More than this many failed files are summed up in one line.
constexpr std::size_t ListedFailures = 15;

std::string unexpected(const char* what) {
    return std::string("The transfer stopped because of an unexpected problem: ") + what;
}

// Moves the bar within a file's step as its chunks arrive. Never raises into the copy: a dialog
// that went away tells at the next call after it.
CopyProgress partOfStep(ProgressSink& progress) {
    return [&progress, shown = 0.0](std::uint64_t done, std::uint64_t total) mutable {
        const double part = static_cast<double>(done) / static_cast<double>(total);
        // The whole file is the step itself; a copy that starts over does not move back.
        if (done >= total || part <= shown)
            return;
        shown = part;
        try {
            progress.setStepPart(part);
        } catch (const ProgressSink::DialogGone&) {
        }
    };
}

} // namespace

CProgressDlg::~CProgressDlg() {
    releaseWorker(m_progress, m_worker);
}

void CProgressDlg::DoModal() {
    m_services.windows.runModal(m_template,
                                [this](ProgressWindow& window) { OnInitDialog(window); });
    // The dialog is gone: a worker still waiting on it is released.
    releaseWorker(m_progress, m_worker);
}

void CProgressDlg::OnInitDialog(ProgressWindow& window) {
    m_progress.emplace(m_services.windows, window);
    startWorker(m_worker);
}

std::string CProgressDlg::failedCopiesText(const std::vector<std::string>& failures) const {
    // As a person counts: "w2" before "w10".
    std::vector<std::string> reasons = failures;
    std::sort(reasons.begin(), reasons.end(), lessAsCounted);
    std::string text;
    for (std::size_t i = 0; i < reasons.size() && i < ListedFailures; ++i)
        text += (i ? "\n" : "") + reasons[i];
    if (reasons.size() > ListedFailures)
        text += "\n(and " + std::to_string(reasons.size() - ListedFailures) + " more)";
    return text;
}

void CProgressDlg::runWorker() {
    ProgressSink& progress = *m_progress;
    // Whatever went wrong, the worker tells it once, if the dialog is still there to tell.
    const auto tell = [&progress](const std::string& text) {
        try {
            progress.showMessage(text);
        } catch (const ProgressSink::DialogGone&) {
        }
    };
    SinkMessages messages(progress);
    std::unique_ptr<RemoteDevice> remote;
    std::optional<DeviceLink> device;
    bool connected = false;
    bool failed = false;
    try {
        progress.beginWaitCursor();
        remote = m_services.deviceFactory();
        device.emplace(*remote, messages, m_services.connectTimeout);
        progress.setText(WaitingText);
        // Cancel, or the dialog gone, ends the wait for a handheld that has not come yet.
        if (!device->connect([&progress] { return !progress.cancelRequested(); }))
            throw CancelledWhileConnecting{};
        connected = true;
        progress.setText(m_template.text);
        SoundTheme working = prepare(*device);
        const SoundFileSet files = working.soundFiles();
        progress.together([&files](ProgressWindow& window) {
            window.setRange(0, static_cast<int>((files.size() + 1) & 0xFFFF));
            window.setStep(1);
            window.stepIt();
        });
        std::vector<std::string> failures = m_notes;
        std::size_t number = 0;
        // One trip per file: the step past the file before, the look for a Cancel, and the line
        // of the next file; after the last, its step and the last look.
        const auto nextFile = [&](const std::string& text) {
            bool asked = false;
            progress.together([&](ProgressWindow& window) {
                if (number > 0)
                    window.stepIt();
                asked = window.cancelRequested();
                if (!asked && !text.empty())
                    window.setText(text);
            });
            m_cancelled = asked;
            return !asked;
        };
        for (const SoundEntry& file : files) {
            const std::string fileName = file.name + file.extension;
            if (!nextFile("Copying " + fileName + " (" + std::to_string(number + 1) + " of " +
                          std::to_string(files.size()) + ")"))
                break;
            ++number;
            try {
                copyFile(*device, file, partOfStep(progress));
            } catch (const MessageError& error) {
                failures.push_back(error.text());
                onCopyFailed(file);
            } catch (const std::exception& error) {
                failures.push_back(unexpected(error.what()));
                onCopyFailed(file);
            }
        }
        // A Cancel during the last file still stops short of the completion.
        if (!m_cancelled)
            nextFile("");
        if (!failures.empty())
            progress.showMessage(failedCopiesText(failures));
        if (m_cancelled) {
            onCancelled();
            connected = false;
            static_cast<void>(device->disconnect());
        } else {
            progress.setText(m_template.text);
            completeOnDevice(*device);
            connected = false;
            if (!device->disconnect())
                onSessionEndFailed();
            completeOnPc(working);
        }
    } catch (const CancelledWhileConnecting&) {
        m_cancelled = true;
        onCancelled();
    } catch (const ProgressSink::DialogGone&) {
        failed = true; // nobody left to tell
    } catch (const Rapi::ConnectionLost&) {
        failed = true;
        tell(Rapi::ConnectionLost::Text);
    } catch (const MessageError& error) {
        failed = true;
        tell(error.text());
    } catch (const std::exception& error) {
        failed = true;
        tell(unexpected(error.what()));
    } catch (...) {
        failed = true;
        tell(unexpected("unknown"));
    }
    if (failed) {
        onFailure();
        if (connected)
            static_cast<void>(device->disconnect());
    }
    try {
        progress.endWaitCursor();
        progress.close();
    } catch (const ProgressSink::DialogGone&) {
    }
}
