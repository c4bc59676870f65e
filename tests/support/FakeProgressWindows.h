// Progress dialogs without a toolkit: runModal runs the calls that workers post, as the event
// loop of a modal dialog does, and records what each dialog was asked to show.
#pragma once

#include "transfer/ProgressWindow.h"

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <string>
#include <vector>

class FakeProgressWindows : public ProgressWindows {
public:
    // One dialog and what it showed.
    struct Run : ProgressWindow {
        void setRange(int lower, int top) override { upper = top, position = lower; }
        void setStep(int) override {}
        void stepIt() override { ++position; }
        void setStepPart(double) override {}
        void setText(const std::string& line) override {
            texts.push_back(line);
            copying += line.rfind("Copying ", 0) == 0 || line.rfind("Converting ", 0) == 0;
        }
        // The user clicks Cancel while file number cancelDuring is copied or converted (0: while
        // connecting).
        bool cancelRequested() const override {
            return cancelDuring >= 0 && copying >= cancelDuring;
        }
        void showMessage(const std::string& text) override { messages.push_back(text); }
        void beginWaitCursor() override { ++waitDepth; }
        void endWaitCursor() override { --waitDepth; }
        void endModal() override { ended = true; }

        int upper = -1, position = 0;             // upper -1: no range set
        std::vector<std::string> messages, texts; // texts: set by the worker, after the template's
        int copying = 0, cancelDuring = -1;       // files whose copy or conversion was shown
        int waitDepth = 0;
        bool ended = false;
    };

    void runModal(const ProgressDialogTemplate&,
                  const std::function<void(ProgressWindow&)>& onShown) override {
        Run& run = runs.emplace_back();
        run.cancelDuring = cancelDuring;
        mostAtOnce = std::max(mostAtOnce, ++atOnce);
        onShown(run);
        // A dialog that goes away under its worker once it has shown the wait for the handheld.
        while (!run.ended && !(goneWhileWaiting && !run.texts.empty()))
            runNext(true);
        --atOnce;
    }

    void callAfter(std::function<void()> call) override {
        std::lock_guard lock(m_mutex);
        m_calls.push_back(std::move(call));
        m_posted.notify_one();
    }

    // What the event loop does once the main window is on screen.
    void runPending() {
        while (runNext(false)) {
        }
    }

    std::deque<Run> runs;
    int cancelDuring = -1; // given to each new dialog
    bool goneWhileWaiting = false;
    int atOnce = 0, mostAtOnce = 0; // dialogs shown at the same time

private:
    // Runs the next posted call, waiting for one when asked; false when there is none.
    bool runNext(bool wait) {
        std::unique_lock lock(m_mutex);
        if (wait)
            m_posted.wait(lock, [this] { return !m_calls.empty(); });
        if (m_calls.empty())
            return false;
        const auto call = std::move(m_calls.front());
        m_calls.pop_front();
        lock.unlock();
        call();
        return true;
    }

    std::mutex m_mutex;
    std::condition_variable m_posted;
    std::deque<std::function<void()>> m_calls;
};
