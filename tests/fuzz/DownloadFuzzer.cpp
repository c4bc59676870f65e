// Feeds arbitrary bytes as a virtual handheld's registry.reg through a whole download: whatever
// the file holds, the worker ends its dialog, its bar is balanced, and the program goes on.
#include "device/VirtualHandheld.h"
#include "support/FakeProgressWindows.h"
#include "transfer/CImportDlg.h"

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// One handheld for the whole run, with waves of the names a registry is likely to hold.
struct Workspace {
    Workspace() {
        fs::create_directories(device / "Windows");
        fs::create_directories(sounds);
        for (const char* name : {"alarm1", "default", "infbeg", "menupop", "a"})
            std::ofstream(device / "Windows" / (std::string(name) + ".wav")) << name;
    }
    ~Workspace() {
        std::error_code ignored;
        fs::remove_all(root, ignored);
    }
    fs::path root = fs::temp_directory_path() / ("belltide-fuzz-" + std::to_string(getpid()));
    fs::path device = root / "device";
    fs::path sounds = root / "sounds";
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static Workspace workspace;
    std::ofstream(workspace.device / "registry.reg", std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    FakeProgressWindows windows;
    CImportDlg download(
        (workspace.sounds / "").string(),
        TransferServices{windows,
                         [&] { return std::make_unique<VirtualHandheld>(workspace.device); }});
    download.DoModal();
    const auto& run = windows.runs.back();
    if (!run.ended || run.waitDepth != 0 || (run.upper >= 0 && run.position != run.upper))
        std::abort();
    return 0;
}
