// The real program as a process: started, playing, told to end.
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

// Polls until the condition holds or the time is up; the condition's last answer.
template <typename Condition> bool waitUntil(Condition condition, std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(10ms);
    }
    return true;
}

} // namespace

TEST(Program, EndsOnSigtermWhileASoundPlays) {
    TempFolder folder;
    const fs::path output = folder.path() / "audio.raw";
    const std::string program = std::string(BELLTIDE_BUILD_DIR) + "/belltide";
    const pid_t child = fork();
    ASSERT_NE(child, -1);
    if (child == 0) {
        // SDL's disk driver writes what it plays to a file, at the pace of a real device.
        setenv("SDL_AUDIODRIVER", "disk", 1);
        setenv("SDL_DISKAUDIOFILE", output.c_str(), 1);
        setenv("BELLTIDE_DEVICE", (folder.path() / "no-device").c_str(), 1);
        execl(program.c_str(), program.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = 0;
    const auto exited = [&] { return waitpid(child, &status, WNOHANG) == child; };
    // The welcome sound is playing once its first samples have been written.
    const bool playing =
        waitUntil([&] { return fs::exists(output) && fs::file_size(output) > 0; }, 20s);
    EXPECT_TRUE(playing) << "the welcome sound never started";
    kill(child, SIGTERM);
    const bool ended = waitUntil(exited, 1s);
    EXPECT_TRUE(ended) << "still running a second after SIGTERM";
    if (!ended) {
        kill(child, SIGKILL);
        waitpid(child, &status, 0);
    }
}
