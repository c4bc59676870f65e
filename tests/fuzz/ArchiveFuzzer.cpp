// Feeds arbitrary bytes to the archive checker and extractor: nothing may be written outside the
// target folder, and every extracted member must have the length its header gives.
#include "FuzzInput.h"
#include "catalog/MessageError.h"
#include "themes/ThemeArchive.h"

#include <map>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const fs::path archivePath = fuzzFolder() / "archive.kbt", out = fuzzFolder() / "out";
    fs::remove_all(out);
    fs::create_directories(out);
    writeFuzzFile(archivePath, fuzzBytes(data, size));

    const ThemeArchive archive(archivePath.string());
    std::map<std::string, std::uint32_t> lengths;
    try {
        for (const auto& member : archive.members())
            lengths[member.name] = member.dataLength; // the last of a name is what stays
        if (!archive.extractAll((out / "").string()))
            std::abort(); // nothing here can fill the disk
    } catch (const MessageError&) {
        if (!fs::is_empty(out))
            std::abort(); // a refused archive wrote something
    }
    if (std::distance(fs::directory_iterator(fuzzFolder()), {}) != 2)
        std::abort(); // written beside the target folder
    for (const auto& item : fs::directory_iterator(out)) {
        // An unknown name throws from at(), which ends the run as a failure too.
        if (!item.is_regular_file() ||
            fs::file_size(item.path()) != lengths.at(item.path().filename().string()))
            std::abort();
    }
    return 0;
}
