#include "ProgressWindow.h"

#include <future>

void ProgressSink::together(const std::function<void(ProgressWindow&)>& call) {
    // Only the posted call holds the promise: a call that is dropped unrun breaks it.
    auto promise = std::make_shared<std::promise<void>>();
    auto done = promise->get_future();
    {
        const std::lock_guard lock(m_handoff->mutex);
        if (m_handoff->gone)
            throw DialogGone{};
        m_handoff->pending = promise;
    }
    m_windows.callAfter(
        [handoff = m_handoff, promise = std::move(promise), &call, &window = m_window] {
            {
                const std::lock_guard lock(handoff->mutex);
                if (handoff->gone)
                    return; // the dialog went away and released the worker
            }
            // A call that fails must still release the worker.
            try {
                call(window);
            } catch (...) {
            }
            try {
                promise->set_value();
            } catch (const std::future_error&) {
                // abandoned meanwhile, from the loop of a message box the call showed
            }
        });
    try {
        done.get();
    } catch (...) {
        const std::lock_guard lock(m_handoff->mutex);
        m_handoff->gone = true;
        throw DialogGone{};
    }
}

void ProgressSink::abandon() {
    const std::lock_guard lock(m_handoff->mutex);
    m_handoff->gone = true;
    if (const auto pending = m_handoff->pending.lock()) {
        try {
            pending->set_exception(std::make_exception_ptr(DialogGone{}));
        } catch (const std::future_error&) {
            // already carried out
        }
    }
}

void ProgressSink::stepIt() {
    together([](ProgressWindow& window) { window.stepIt(); });
}

void ProgressSink::setStepPart(double part) {
    together([=](ProgressWindow& window) { window.setStepPart(part); });
}

void ProgressSink::setText(const std::string& text) {
    together([&](ProgressWindow& window) { window.setText(text); });
}

bool ProgressSink::cancelRequested() {
    bool requested = false;
    together([&](ProgressWindow& window) { requested = window.cancelRequested(); });
    return requested;
}

void ProgressSink::showMessage(const std::string& text) {
    together([&](ProgressWindow& window) { window.showMessage(text); });
}

void ProgressSink::beginWaitCursor() {
    together([](ProgressWindow& window) { window.beginWaitCursor(); });
}

void ProgressSink::endWaitCursor() {
    together([](ProgressWindow& window) { window.endWaitCursor(); });
}

void ProgressSink::close() {
    together([](ProgressWindow& window) { window.endModal(); });
}

void releaseWorker(std::optional<ProgressSink>& progress, std::thread& worker) {
    if (progress)
        progress->abandon();
    if (worker.joinable())
        worker.join();
}
