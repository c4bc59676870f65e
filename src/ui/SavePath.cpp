#include "SavePath.h"

#include "files/PcPath.h"

SavePath savePathFor(const std::string& typed, const std::string& defaultExtension,
                     const std::function<bool(const std::string&)>& exists) {
    const std::string name = fileNameOf(typed);
    // A leading dot starts a name, not an extension.
    const auto dot = name.rfind('.');
    if (defaultExtension.empty() || (dot != std::string::npos && dot > 0))
        return {typed, false};
    const std::string path = typed + "." + defaultExtension;
    return {path, exists(path)};
}
