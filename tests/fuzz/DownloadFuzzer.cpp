// Feeds arbitrary bytes as a virtual handheld's registry.reg through a whole download: whatever
// the file holds, the worker ends its dialog, its bar is balanced, and the program goes on.
#include "FuzzInput.h"
#include "device/VirtualHandheld.h"
#include "support/FakeProgressWindows.h"
#include "transfer/CImportDlg.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // One handheld for the whole run, with waves of the names a registry is likely to hold.
    static const fs::path device = fuzzFolder() / "device", sounds = fuzzFolder() / "sounds";
    if (!fs::exists(sounds)) {
        fs::create_directories(device / "Windows");
        fs::create_directories(sounds);
        for (const std::string name : {"alarm1", "default", "infbeg", "menupop", "a"})
            writeFuzzFile(device / "Windows" / (name + ".wav"), name);
    }
    writeFuzzFile(device / "registry.reg", fuzzBytes(data, size));
    FakeProgressWindows windows;
    CImportDlg download(
        (sounds / "").string(),
        TransferServices{windows, [&] { return std::make_unique<VirtualHandheld>(device); }});
    download.DoModal();
    const auto& run = windows.runs.back();
    if (!run.ended || run.waitDepth != 0 || (run.upper >= 0 && run.position != run.upper))
        std::abort();
    return 0;
}
