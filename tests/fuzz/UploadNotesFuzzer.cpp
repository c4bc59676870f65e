// Feeds arbitrary bytes as the notes an upload leaves on the handheld (the journal, then after two
// zero bytes the placing note) to the connect that puts a stopped upload right: whatever they
// hold, the connect ends, and nothing outside the handheld's folder changes.
#include "device/DeviceLink.h"
#include "device/DeviceUpload.h"
#include "device/VirtualHandheld.h"

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

void write(const fs::path& file, std::string_view bytes) {
    std::ofstream(file, std::ios::binary | std::ios::trunc)
        .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// A handheld with waves of the names notes are likely to hold, and a file beside its folder
// that no name in a note may reach.
struct Workspace {
    Workspace() {
        fs::create_directories(windows);
        write(beside, "beside");
    }
    ~Workspace() {
        std::error_code ignored;
        fs::remove_all(root, ignored);
    }
    void reset() const {
        std::error_code ignored;
        fs::remove_all(windows, ignored);
        fs::create_directories(windows);
        for (const char* name : {"alarm1.wav", "new%.wav", "belltide-0123456789abcdef-0.new",
                                 "belltide-0123456789abcdef-1.old"})
            write(windows / name, name);
    }
    fs::path root = fs::temp_directory_path() / ("belltide-fuzz-" + std::to_string(getpid()));
    fs::path device = root / "device";
    fs::path windows = device / "Windows";
    fs::path beside = root / "beside.wav";
};

struct SilentMessages : DeviceMessages {
    void showMessage(const std::string&) override {}
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const Workspace workspace;
    workspace.reset();
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const auto split = bytes.find(std::string_view("\0\0", 2));
    write(workspace.windows / DeviceUpload::JournalName, bytes.substr(0, split));
    if (split != std::string_view::npos)
        write(workspace.windows / DeviceUpload::PlacingName, bytes.substr(split + 2));

    VirtualHandheld device(workspace.device);
    SilentMessages messages;
    DeviceLink link(device, messages);
    if (link.connect())
        static_cast<void>(link.disconnect());
    std::error_code error;
    std::size_t entries = 0;
    for (const auto& item : fs::directory_iterator(workspace.root, error))
        entries += item.path() == workspace.device || item.path() == workspace.beside ? 1 : 100;
    if (error || entries != 2 || fs::file_size(workspace.beside, error) != 6)
        std::abort();
    return 0;
}
