#include "Removals.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <random>
#include <set>
#include <string>
#include <system_error>
#include <thread>

#ifdef _WIN32
#include <process.h>
#else
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace {

int processId() {
#ifdef _WIN32
    return _getpid();
#else
    return static_cast<int>(::getpid());
#endif
}

// One process's removals. A child forked while another thread held the lock cannot take over
// the parent's: it starts its own, and the parent removes what it was handed.
struct Removals {
    explicit Removals(int owner) : pid(owner) {}

    const int pid;
    std::mutex mutex;
    std::condition_variable changed;
    std::deque<std::pair<fs::path, fs::path>> queue; // what, and the bin it lies in
    std::set<fs::path> binsSeen;                     // their leftovers handed over once
    // Runs only while there is something to remove: a process that forks later has no thread
    // of ours to lose in its child.
    std::thread worker;
    bool running = false;

    // Under the lock: what lies in the bin and is not handed over yet.
    void take(const fs::path& bin) {
        binsSeen.insert(bin);
        std::set<fs::path> queued;
        for (const auto& [item, itsBin] : queue)
            queued.insert(item);
        std::error_code error;
        for (const auto& item : fs::directory_iterator(bin, error))
            if (!queued.count(item.path()))
                queue.emplace_back(item.path(), bin);
    }
    // Under the lock.
    void start() {
        if (queue.empty() || running)
            return;
        if (worker.joinable())
            worker.join(); // it has let go of the lock for good
        running = true;
        worker = std::thread([this] { run(); });
    }

    void run() {
        std::unique_lock lock(mutex);
        for (;;) {
            if (queue.empty()) {
                running = false;
                changed.notify_all();
                return;
            }
            const fs::path item = queue.front().first, bin = queue.front().second;
            lock.unlock();
            std::error_code ignored;
            fs::remove_all(item, ignored);
            lock.lock();
            queue.pop_front();
            // The bin goes with its last; a hand-over makes it again under the lock.
            if (std::none_of(queue.begin(), queue.end(),
                             [&](const auto& next) { return next.second == bin; }))
                fs::remove(bin, ignored);
            changed.notify_all();
        }
    }
};

std::atomic<Removals*> current{nullptr};

Removals& removals() {
    const int pid = processId();
    Removals* state = current.load();
    while (!state || state->pid != pid) {
        auto* fresh = new Removals(pid); // lives as long as the process
        if (current.compare_exchange_strong(state, fresh))
            return *fresh;
        delete fresh;
    }
    return *state;
}

// At the program's end, what was handed over is removed before it goes.
struct Finish {
    ~Finish() {
        Removals* state = current.load();
        if (!state || state->pid != processId())
            return;
        waitForRemovals();
    }
} finish;

std::string nameInBin() {
    static std::atomic<unsigned> counter{0};
    static const unsigned run = std::random_device{}();
    return std::to_string(run) + "-" + std::to_string(counter++);
}

} // namespace

bool removeLater(const fs::path& path, const fs::path& bin) {
    Removals& state = removals();
    std::error_code error;
    {
        std::lock_guard lock(state.mutex);
        fs::create_directories(bin, error);
        const fs::path aside = bin / nameInBin();
        if (!error)
            fs::rename(path, aside, error);
        if (!error) {
            state.queue.emplace_back(aside, bin);
            if (!state.binsSeen.count(bin))
                state.take(bin);
            state.start();
            return true;
        }
    }
    error.clear();
    fs::remove_all(path, error);
    return !error && !fs::exists(path, error);
}

void emptyBinLater(const fs::path& bin) {
    Removals& state = removals();
    std::lock_guard lock(state.mutex);
    state.take(bin);
    state.start();
}

void waitForRemovals() {
    Removals& state = removals();
    std::thread finished;
    {
        std::unique_lock lock(state.mutex);
        state.changed.wait(lock, [&] { return !state.running; });
        finished = std::move(state.worker);
    }
    if (finished.joinable())
        finished.join();
}
