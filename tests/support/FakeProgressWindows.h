// Progress dialogs without a toolkit: runModal runs the calls that workers post, as the event
// loop of a modal dialog does, and records what each dialog was asked to show.
#pragma once

#include "transfer/ProgressWindow.h"

#include <condition_variable>
#include <deque>
#include <mutex>
#include <string>
#include <vector>

class FakeProgressWindows : public ProgressWindows {
public:
    // What one dialog showed, read after it has ended.
    struct Run {
        ProgressDialogTemplate dialog;
        int upper = -1; // no range set
        int position = 0;
        int steps = 0;
        std::vector<std::string> messages;
        int waitDepth = 0;
        bool waitCursorShown = false;
    };

    void runModal(const ProgressDialogTemplate& dialog,
                  const std::function<void(ProgressWindow&)>& onShown) override {
        Window window(dialog);
        onShown(window);
        while (!window.ended)
            runNext();
        runs.push_back(window.run);
    }

    void callAfter(std::function<void()> call) override {
        {
            std::lock_guard lock(m_mutex);
            m_calls.push_back(std::move(call));
        }
        m_posted.notify_one();
    }

    // What the event loop does once the main window is on screen.
    void runPending() {
        for (;;) {
            std::function<void()> call;
            {
                std::lock_guard lock(m_mutex);
                if (m_calls.empty())
                    return;
                call = std::move(m_calls.front());
                m_calls.pop_front();
            }
            call();
        }
    }

    std::vector<Run> runs;

private:
    class Window : public ProgressWindow {
    public:
        explicit Window(const ProgressDialogTemplate& dialog) { run.dialog = dialog; }
        void setRange(int lower, int upper) override {
            run.upper = upper;
            run.position = lower;
        }
        void setStep(int) override {}
        void stepIt() override {
            ++run.position;
            ++run.steps;
        }
        void showMessage(const std::string& text) override { run.messages.push_back(text); }
        void beginWaitCursor() override {
            ++run.waitDepth;
            run.waitCursorShown = true;
        }
        void endWaitCursor() override { --run.waitDepth; }
        void endModal() override { ended = true; }
        Run run;
        bool ended = false;
    };

    void runNext() {
        std::function<void()> call;
        {
            std::unique_lock lock(m_mutex);
            m_posted.wait(lock, [this] { return !m_calls.empty(); });
            call = std::move(m_calls.front());
            m_calls.pop_front();
        }
        call();
    }

    std::mutex m_mutex;
    std::condition_variable m_posted;
    std::deque<std::function<void()>> m_calls;
};
