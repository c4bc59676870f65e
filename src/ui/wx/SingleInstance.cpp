#include "SingleInstance.h"

#include "WxText.h"
#include "files/PcPath.h"
#include "files/TemporaryFolder.h"

#include <wx/dialog.h>
#include <wx/ipc.h>
#include <wx/snglinst.h>
#include <wx/utils.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <system_error>
#include <thread>

#ifndef _WIN32
#include <fcntl.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <condition_variable>
#include <mutex>
#endif

namespace fs = std::filesystem;

namespace {

constexpr const char* Topic = "Belltide";
constexpr const char* ThemeItem = "theme";

// Any characters of a folder's path make a name that a mutex, a DDE service and a file take.
std::string hashed(const std::string& text) {
    std::uint64_t hash = 14695981039346656037ull;
    for (const unsigned char c : text)
        hash = (hash ^ c) * 1099511628211ull;
    char hex[17];
    std::snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(hash));
    return hex;
}

#ifndef _WIN32
// Where the socket lies: a folder only the user writes in, where its path fits a socket's; else
// this run's private temporary folder, whose path later starts read from the lock file. Empty
// when none fits: later starts then find the lock but no answer.
std::string socketPath(const fs::path& dataDir, const std::string& key) {
    const auto fits = [](const fs::path& path) {
        return path.native().size() < sizeof(sockaddr_un::sun_path);
    };
    std::error_code ignored;
    fs::path folder = dataDir;
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR");
        runtime && fs::path(runtime).is_absolute() && fs::is_directory(runtime, ignored))
        folder = runtime;
    if (const fs::path path = folder / (".belltide-" + key + ".socket"); fits(path))
        return path;
    try {
        if (const fs::path path = temporaryFolder() / "socket"; fits(path))
            return path;
    } catch (const TemporaryFolderError&) {
    }
    return {};
}

// The lock file's lines: the process that holds it, and where it answers.
std::pair<std::string, std::string> lockFileLines(const fs::path& path) {
    std::ifstream in(path);
    std::string process, service;
    std::getline(in, process);
    std::getline(in, service);
    return {process, service};
}
#endif

class ThemeConnection : public wxConnection {
public:
    explicit ThemeConnection(SingleInstance& owner) : m_owner(owner) {}

    bool OnPoke(const wxString&, const wxString& item, const void* data, size_t size,
                wxIPCFormat) override {
        if (item != ThemeItem || !data || size == 0)
            return false;
        // Sent with its terminating zero, so that a start without a theme sends something.
        const char* text = static_cast<const char*>(data);
        m_owner.receive(std::string(text, strnlen(text, size)));
        return true;
    }

private:
    SingleInstance& m_owner;
};

class ThemeServer : public wxServer {
public:
    explicit ThemeServer(SingleInstance& owner) : m_owner(owner) {}

    wxConnectionBase* OnAcceptConnection(const wxString& topic) override {
        return topic == Topic ? new ThemeConnection(m_owner) : nullptr;
    }

private:
    SingleInstance& m_owner;
};

#ifndef _WIN32
// A program that accepted the connection but hangs would keep wx waiting ten minutes for its
// answer: at the deadline every connection to the service is shut, which ends the wait.
class AnswerWatchdog {
public:
    AnswerWatchdog(std::string service, std::chrono::steady_clock::time_point deadline)
        : m_thread([this, path = std::move(service), deadline] { watch(path, deadline); }) {}
    ~AnswerWatchdog() {
        {
            std::lock_guard lock(m_mutex);
            m_done = true;
        }
        m_answered.notify_one();
        m_thread.join();
    }
    AnswerWatchdog(const AnswerWatchdog&) = delete;
    AnswerWatchdog& operator=(const AnswerWatchdog&) = delete;

private:
    void watch(const std::string& path, std::chrono::steady_clock::time_point deadline) {
        std::unique_lock lock(m_mutex);
        if (m_answered.wait_until(lock, deadline, [this] { return m_done; }))
            return;
        for (int fd = 0; fd < 4096; ++fd) {
            sockaddr_un peer{};
            socklen_t length = sizeof peer;
            if (getpeername(fd, reinterpret_cast<sockaddr*>(&peer), &length) != 0 ||
                peer.sun_family != AF_UNIX || length <= offsetof(sockaddr_un, sun_path))
                continue;
            const std::size_t pathLength = length - offsetof(sockaddr_un, sun_path);
            if (std::string(peer.sun_path, strnlen(peer.sun_path, pathLength)) == path)
                shutdown(fd, SHUT_RDWR);
        }
    }

    std::mutex m_mutex;
    std::condition_variable m_answered;
    bool m_done = false;
    std::thread m_thread;
};
#endif

} // namespace

SingleInstance::SingleInstance(const fs::path& dataDir) {
    std::error_code error;
    fs::create_directories(dataDir, error);
    fs::path folder = fs::weakly_canonical(dataDir, error);
    if (error)
        folder = fs::absolute(dataDir, error);
    const std::string key = hashed(fromWx(wxGetUserId()) + '\n' + pcText(folder));
#ifdef _WIN32
    m_service = "Belltide-" + key;
    m_lockName = ".belltide-" + key + ".lock";
#else
    m_service = socketPath(dataDir, key);
    // In the data folder itself, so that every start for it finds the one lock, whatever its
    // environment says of runtime folders.
    m_lockPath = dataDir / (".belltide-" + key + ".lock");
#endif
    m_retry.Bind(wxEVT_TIMER, [this](wxTimerEvent&) { openWhenFree(); });
}

SingleInstance::~SingleInstance() {
    m_retry.Stop();
    if (m_serving)
        Unregister();
#ifndef _WIN32
    if (m_lock != -1)
        ::close(m_lock);
#endif
}

#ifdef _WIN32
bool SingleInstance::takeLock() {
    // Made anew each time: the system tells at the mutex's creation whether another holds it.
    m_checker = std::make_unique<wxSingleInstanceChecker>();
    if (!m_checker->Create(toWx(m_lockName))) {
        m_checker.reset();
        return true;
    }
    if (!m_checker->IsAnotherRunning())
        return true;
    m_checker.reset(); // so that the other's end frees the mutex
    return false;
}

std::string SingleInstance::runningService() const {
    return m_service;
}

std::string SingleInstance::notAnsweredText() const {
    return "Belltide is already running but does not answer. It may be busy, with a large theme "
           "for instance: wait until it has finished, or end it, then start Belltide again.";
}
#else
bool SingleInstance::takeLock() {
    if (m_lock == -1)
        m_lock = ::open(m_lockPath.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (m_lock == -1)
        return true; // a data folder that takes no file: this start cannot work in it either
    // Released by the system when the program ends, however it ends: a killed one that is a
    // zombie still names itself in the file, but no longer holds it.
    if (::flock(m_lock, LOCK_EX | LOCK_NB) != 0)
        return false;
    const std::string lines = std::to_string(::getpid()) + "\n" + m_service + "\n";
    [[maybe_unused]] const int emptied = ::ftruncate(m_lock, 0);
    [[maybe_unused]] const auto written = ::pwrite(m_lock, lines.data(), lines.size(), 0);
    return true;
}

std::string SingleInstance::runningService() const {
    return lockFileLines(m_lockPath).second;
}

std::string SingleInstance::notAnsweredText() const {
    const std::string process = lockFileLines(m_lockPath).first;
    return "Belltide is already running but does not answer" +
           (process.empty() ? std::string() : " (process " + process + ")") +
           ". It may be busy, with a large theme for instance, or stopped: wait until it has "
           "finished, or end it, then start Belltide again.";
}
#endif

HandOver SingleInstance::handOver(const std::string& theme) {
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::seconds(AnswerTimeoutSeconds);
    // The running one may still be starting, before it answers.
    while (!takeLock()) {
        if (const std::string service = runningService();
            !service.empty() && poke(service, theme, deadline))
            return HandOver::Taken;
        if (std::chrono::steady_clock::now() >= deadline)
            return HandOver::NotAnswered;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return HandOver::NoneRunning;
}

bool SingleInstance::poke(const std::string& service, const std::string& theme,
                          [[maybe_unused]] std::chrono::steady_clock::time_point deadline) {
    wxClient client;
#ifndef _WIN32
    AnswerWatchdog watchdog(service, deadline);
#endif
    std::unique_ptr<wxConnectionBase> connection(
        client.MakeConnection("localhost", toWx(service), Topic));
    if (!connection)
        return false;
    const bool taken = connection->Poke(ThemeItem, theme.c_str(), theme.size() + 1);
    connection->Disconnect();
    return taken;
}

void SingleInstance::serve(HandOverTarget target) {
    m_target = std::move(target);
    if (m_service.empty())
        return;
    Register();
    m_serving = true;
    // On Unix the server replaces a socket that a killed or hung program left behind.
    m_server = std::make_unique<ThemeServer>(*this);
    if (!m_server->Create(toWx(m_service)))
        m_server.reset();
}

void SingleInstance::receive(const std::string& theme) {
    if (m_target.raise)
        m_target.raise();
    // The window must not cover the question the user still has to answer.
    for (wxDialog* dialog : m_modalDialogs)
        dialog->Raise();
    if (theme.empty())
        return;
    m_waiting.push_back(theme);
    // Not from here: this may run inside a message box's or a transfer's modal loop.
    if (!m_retry.IsRunning())
        m_retry.Start(200);
}

void SingleInstance::openWhenFree() {
    if (m_opening || !m_modalDialogs.empty() || !m_target.isFree || !m_target.isFree())
        return;
    if (m_waiting.empty()) {
        m_retry.Stop();
        return;
    }
    const std::string theme = m_waiting.front();
    m_waiting.pop_front();
    m_opening = true;
    m_target.open(theme);
    m_opening = false;
}

int SingleInstance::Enter(wxDialog* dialog) {
    m_modalDialogs.push_back(dialog);
    return wxID_NONE;
}

void SingleInstance::Exit(wxDialog* dialog) {
    m_modalDialogs.erase(std::remove(m_modalDialogs.begin(), m_modalDialogs.end(), dialog),
                         m_modalDialogs.end());
}
