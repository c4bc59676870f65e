// The name a Save dialog's answer is written under.
#pragma once

#include <functional>
#include <string>

struct SavePath {
    std::string path;
    // The dialog asked about the name as typed; a name it did not ask about and that exists
    // needs its own question.
    bool askToReplace = false;
};

// A name typed without an extension gets the default one ("x" becomes "x.kbt"); a name with any
// extension ("foo.bar", "x.kbt") stays as typed.
SavePath savePathFor(const std::string& typed, const std::string& defaultExtension,
                     const std::function<bool(const std::string&)>& exists);
