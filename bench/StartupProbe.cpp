// Starts a program on the X display and prints how long it took to its first shown window, and its
// resident memory some seconds later: "<milliseconds> <kilobytes>". bench/startup.sh runs it.
// Usage: belltide_startup_probe SECONDS PROGRAM [ARGUMENT...]
#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <signal.h>
#include <sys/select.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

// The process that owns a window, as the toolkit tells it.
long ownerOf(Display* display, Window window) {
    static const Atom pidAtom = XInternAtom(display, "_NET_WM_PID", False);
    Atom type = None;
    int format = 0;
    unsigned long count = 0, left = 0;
    unsigned char* data = nullptr;
    long pid = 0;
    if (XGetWindowProperty(display, window, pidAtom, 0, 1, False, XA_CARDINAL, &type, &format,
                           &count, &left, &data) == Success &&
        data && format == 32 && count == 1)
        pid = *reinterpret_cast<long*>(data);
    if (data)
        XFree(data);
    return pid;
}

// Whether a window of pid is on screen, at most two levels under the root: the window manager
// puts each program window inside a frame of its own.
bool shows(Display* display, Window window, long pid, int depth) {
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(display, window, &attributes) || attributes.map_state != IsViewable)
        return false;
    if (ownerOf(display, window) == pid)
        return true;
    Window root = 0, parent = 0, *children = nullptr;
    unsigned int count = 0;
    bool found = false;
    if (depth > 0 && XQueryTree(display, window, &root, &parent, &children, &count)) {
        for (unsigned int i = 0; i < count && !found; ++i)
            found = shows(display, children[i], pid, depth - 1);
    }
    if (children)
        XFree(children);
    return found;
}

long residentKilobytes(pid_t pid) {
    std::ifstream rollup("/proc/" + std::to_string(pid) + "/smaps_rollup");
    for (std::string line; std::getline(rollup, line);) {
        if (line.rfind("Rss:", 0) == 0)
            return std::atol(line.c_str() + 4);
    }
    return -1;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s SECONDS PROGRAM [ARGUMENT...]\n", argv[0]);
        return 2;
    }
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "no X display\n");
        return 2;
    }
    const Window root = DefaultRootWindow(display);
    // Every window the manager maps under the root wakes the wait below.
    XSelectInput(display, root, SubstructureNotifyMask);
    XSync(display, False);

    const auto start = Clock::now();
    const pid_t child = ::fork();
    if (child == 0) {
        ::execvp(argv[2], argv + 2);
        std::_Exit(127);
    }
    const int connection = ConnectionNumber(display);
    bool shown = false;
    while (!shown && Clock::now() - start < std::chrono::seconds(60)) {
        while (XPending(display)) {
            XEvent event;
            XNextEvent(display, &event);
        }
        shown = shows(display, root, child, 2);
        if (!shown) {
            fd_set readable;
            FD_ZERO(&readable);
            FD_SET(connection, &readable);
            timeval wait{0, 2000};
            ::select(connection + 1, &readable, nullptr, nullptr, &wait);
        }
    }
    const auto elapsed = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    std::this_thread::sleep_for(std::chrono::duration<double>(std::atof(argv[1])));
    const long kilobytes = residentKilobytes(child);
    ::kill(child, SIGTERM);
    ::waitpid(child, nullptr, 0);
    XCloseDisplay(display);
    if (!shown) {
        std::fprintf(stderr, "%s showed no window\n", argv[2]);
        return 1;
    }
    std::printf("%.1f %ld\n", elapsed, kilobytes);
    return 0;
}
