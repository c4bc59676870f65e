#include "DefaultDevice.h"

#include "device/VirtualHandheld.h"

#include <cstdlib>

#ifdef _WIN32
#include "device/RapiDevice.h"
#else
#include "device/SynceDevice.h"
#include "files/PcPath.h"
#endif

namespace {

constexpr const char* ChooseVirtual = " BELLTIDE_DEVICE names a virtual one.";

HandheldChoice virtualHandheld(const std::filesystem::path& folder, std::string description) {
    return {[folder] { return std::make_unique<VirtualHandheld>(folder); }, std::move(description)};
}

#ifndef _WIN32
// A library named by a path is meant from where Belltide was started, before it changes its
// current folder; a bare name is for the loader to look up.
std::string libraryToLoad(const std::string& named) {
    if (named.find('/') == std::string::npos)
        return named;
    std::error_code error;
    const auto absolute = std::filesystem::absolute(pcPath(named), error);
    return error ? named : pcText(absolute.lexically_normal());
}
#endif

} // namespace

HandheldChoice chooseHandheld(const std::filesystem::path& programFolder) {
    const std::filesystem::path folder = VirtualHandheld::defaultFolder(programFolder);
#ifdef _WIN32
    if (const wchar_t* chosen = _wgetenv(L"BELLTIDE_DEVICE"); chosen && *chosen)
        return virtualHandheld(folder, "Handheld: the virtual one that BELLTIDE_DEVICE names; "
                                       "without it, the connected one.");
    return {[] { return RapiDevice::make(); },
            std::string("Handheld: the connected one, through rapi.dll.") + ChooseVirtual};
#else
    if (const char* chosen = std::getenv("BELLTIDE_DEVICE"); chosen && *chosen)
        return virtualHandheld(folder, "Handheld: the virtual one that BELLTIDE_DEVICE names; "
                                       "without it, the one SynCE connects.");
    std::string library;
    if (const char* named = std::getenv("BELLTIDE_RAPI_LIBRARY"); named && *named)
        library = libraryToLoad(named);
    else
        library = SynceDevice::findLibrary();
    if (!library.empty())
        return {[library] { return SynceDevice::make(library); },
                "Handheld: the one SynCE connects, through " + pcText(pcPath(library).filename()) +
                    "." + ChooseVirtual};
    return virtualHandheld(folder,
                           "Handheld: the virtual one (SynCE is not installed). BELLTIDE_DEVICE "
                           "names another.");
#endif
}
