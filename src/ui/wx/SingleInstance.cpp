#include "SingleInstance.h"

#include "WxText.h"
#include "files/PcPath.h"

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
#include <system_error>

#ifndef _WIN32
#include <sys/socket.h>
#include <sys/un.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>
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

// Where the lock file and the socket lie: a folder only the user writes in.
fs::path privateFolder(const fs::path& dataDir) {
#ifndef _WIN32
    std::error_code ignored;
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR");
        runtime && fs::path(runtime).is_absolute() && fs::is_directory(runtime, ignored))
        return runtime;
#endif
    return dataDir;
}

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
// answer: after the timeout every connection to the service is shut, which ends the wait.
class AnswerWatchdog {
public:
    explicit AnswerWatchdog(std::string service)
        : m_thread([this, path = std::move(service)] { watch(path); }) {}
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
    void watch(const std::string& path) {
        std::unique_lock lock(m_mutex);
        if (m_answered.wait_for(lock, std::chrono::seconds(SingleInstance::AnswerTimeoutSeconds),
                                [this] { return m_done; }))
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
    const fs::path lockFolder = privateFolder(dataDir);
#ifdef _WIN32
    m_service = "Belltide-" + key;
#else
    const std::string socket = pcText(lockFolder / (".belltide-" + key + ".socket"));
    // A socket's path has room for little more than a hundred bytes; a longer one goes unused.
    if (socket.size() < sizeof(sockaddr_un::sun_path))
        m_service = socket;
#endif
    m_checker = std::make_unique<wxSingleInstanceChecker>();
    if (!m_checker->Create(toWx(".belltide-" + key + ".lock"), toWx(pcText(lockFolder))))
        m_checker.reset();
    m_retry.Bind(wxEVT_TIMER, [this](wxTimerEvent&) { openWhenFree(); });
}

SingleInstance::~SingleInstance() {
    m_retry.Stop();
    if (m_serving)
        Unregister();
}

bool SingleInstance::handOver(const std::string& theme) {
    if (m_service.empty() || !m_checker || !m_checker->IsAnotherRunning())
        return false;
    wxClient client;
#ifndef _WIN32
    AnswerWatchdog watchdog(m_service);
#endif
    std::unique_ptr<wxConnectionBase> connection(
        client.MakeConnection("localhost", toWx(m_service), Topic));
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
