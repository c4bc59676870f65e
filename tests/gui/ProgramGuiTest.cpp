// The real program as a process: started, playing, told to end.
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;

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
    const auto pause = [] { std::this_thread::sleep_for(std::chrono::milliseconds(10)); };
    // The welcome sound is playing once its first samples have been written.
    for (int wait = 0; wait < 2000 && !(fs::exists(output) && fs::file_size(output) > 0); ++wait)
        pause();
    EXPECT_TRUE(fs::exists(output)) << "the welcome sound never started";
    kill(child, SIGTERM);
    int status = 0;
    bool ended = false;
    for (int wait = 0; wait < 100 && !(ended = waitpid(child, &status, WNOHANG) == child); ++wait)
        pause();
    EXPECT_TRUE(ended) << "still running a second after SIGTERM";
    if (!ended && kill(child, SIGKILL) == 0)
        waitpid(child, &status, 0);
}
