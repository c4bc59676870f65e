// Belltide's own folder for temporary files: one per run, inside a folder only the user may enter.
#pragma once

#include <filesystem>
#include <stdexcept>
#include <string>

// Its text is the whole message for the user: "Belltide could not make its temporary folder …".
class TemporaryFolderError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Any thread. This run's folder, made at the first call and again when it has gone or TMPDIR
// names another place: in Unix, "belltide-<uid>" in $TMPDIR (else /tmp), made with mode 0700 and
// refused when another user owns it or a link has its name; in Windows, "Belltide" in the user's
// own temporary folder. The folders of runs that were killed are removed. Raises
// TemporaryFolderError.
std::filesystem::path temporaryFolder();

// Any thread. A path in temporaryFolder() that no other call gives: prefix, a number, suffix.
// Raises TemporaryFolderError.
std::filesystem::path newTemporaryPath(const std::string& prefix, const std::string& suffix);
