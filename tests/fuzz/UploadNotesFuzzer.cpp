// Feeds arbitrary bytes as the notes an upload leaves on the handheld (the journal, then after two
// zero bytes the placing note) to the connect that puts a stopped upload right: whatever they
// hold, the connect ends, and nothing outside the handheld's folder changes.
#include "FuzzInput.h"
#include "device/DeviceLink.h"
#include "device/DeviceUpload.h"
#include "device/VirtualHandheld.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // A handheld with waves of the names notes are likely to hold, and a file beside its folder
    // that no name in a note may reach.
    static const fs::path device = fuzzFolder() / "device", windows = device / "Windows",
                          beside = fuzzFolder() / "beside.wav";
    writeFuzzFile(beside, "beside");
    fs::remove_all(windows);
    fs::create_directories(windows);
    for (const char* name : {"alarm1.wav", "new%.wav", "belltide-0123456789abcdef-0.new",
                             "belltide-0123456789abcdef-1.old"})
        writeFuzzFile(windows / name, name);
    const std::string_view bytes = fuzzBytes(data, size);
    const auto split = bytes.find(std::string_view("\0\0", 2));
    writeFuzzFile(windows / DeviceUpload::JournalName, bytes.substr(0, split));
    if (split != std::string_view::npos)
        writeFuzzFile(windows / DeviceUpload::PlacingName, bytes.substr(split + 2));

    VirtualHandheld handheld(device);
    struct : DeviceMessages {
        void showMessage(const std::string&) override {}
    } messages;
    DeviceLink link(handheld, messages);
    if (link.connect())
        static_cast<void>(link.disconnect());
    std::error_code error;
    std::size_t entries = 0;
    for (const auto& item : fs::directory_iterator(fuzzFolder(), error))
        entries += item.path() == device || item.path() == beside ? 1 : 100;
    if (error || entries != 2 || fs::file_size(beside, error) != 6)
        std::abort();
    return 0;
}
