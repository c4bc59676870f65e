// Saving a theme as an archive: its descriptor first, then each distinct sound file.
#include "catalog/MessageError.h"
#include "catalog/SoundTheme.h"
#include "files/PcPath.h"
#include "files/ReplacementFile.h"
#include "themes/ThemeArchive.h"
#include "themes/ThemeDescriptor.h"

#include <cerrno>
#include <fstream>

void SoundTheme::saveToArchive(const std::string& workFolder,
                               const std::string& archivePath) const {
    // The message says why, from the call that failed, so that the user knows what to change.
    const auto fail = [&archivePath](const std::error_code& error) {
        const std::string reason = failureReason(error);
        return MessageError("Could not save theme \"" + archivePath + "\"" +
                            (reason.empty() ? "." : ": " + reason + "."));
    };
    // Cleared before each call whose failure may come from the call's own checks, not the system.
    errno = 0;
    {
        std::ofstream descriptor(pcPath(workFolder + DescriptorFileName),
                                 std::ios::binary | std::ios::trunc);
        if (!writeDescriptor(descriptor, *this).flush())
            throw fail(lastSystemError());
    }
    ReplacementFile replacement(archivePath);
    if (replacement.error())
        throw fail(replacement.error());
    const ThemeArchive archive(pcText(replacement.path()));
    errno = 0;
    if (!archive.create() || !archive.addFile(workFolder, DescriptorFileName))
        throw fail(lastSystemError());
    for (const auto& file : soundFiles()) {
        const std::string fileName = file.name + file.extension;
        errno = 0;
        if (!archive.addFile(file.folder, fileName)) {
            const std::error_code error = lastSystemError();
            throw isReadableFile(file.path())
                ? fail(error)
                : MessageError("Could not save theme \"" + archivePath + "\": its sound \"" +
                               fileName + "\" could not be read.");
        }
    }
    if (!replacement.commit())
        throw fail(replacement.error());
}
