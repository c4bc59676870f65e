// Runs the generator of the virtual handheld's factory image (BELLTIDE_MAKE_DEVICE) on a folder.
#pragma once

#include "files/PcPath.h"
#include "support/TempFolder.h"

#include <cstdlib>
#include <filesystem>
#include <string>

// The generator's exit code: 0 when the folder holds a device, made now or kept.
inline int makeFactoryImage(const std::filesystem::path& device) {
    std::string command = "\"" BELLTIDE_MAKE_DEVICE "\" \"" + pcText(device) + "\"";
#ifdef _WIN32
    command = "\"" + command + "\""; // the command interpreter strips one outer pair of quotes
    return _wsystem(pcPath(command).c_str()); // wide, as the folder's name may not be ANSI
#else
    return std::system(command.c_str());
#endif
}

// A factory-fresh virtual handheld at device: the image is made once and copied for each.
inline void copyFactoryImage(const std::filesystem::path& device) {
    static const TempFolder images;
    [[maybe_unused]] static const int made = makeFactoryImage(images.path() / "device");
    std::filesystem::copy(images.path() / "device", device,
                          std::filesystem::copy_options::recursive);
}
