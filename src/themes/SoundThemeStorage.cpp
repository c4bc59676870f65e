// Saving a theme as an archive: its descriptor first, then each distinct sound file.
#include "catalog/MessageError.h"
#include "catalog/SoundTheme.h"
#include "files/PcPath.h"
#include "files/ReplacementFile.h"
#include "themes/ThemeArchive.h"
#include "themes/ThemeDescriptor.h"

#include <fstream>

void SoundTheme::saveToArchive(const std::string& workFolder,
                               const std::string& archivePath) const {
    const MessageError failed("Could not save theme \"" + archivePath + "\".");
    {
        std::ofstream descriptor(pcPath(workFolder + DescriptorFileName),
                                 std::ios::binary | std::ios::trunc);
        if (!writeDescriptor(descriptor, *this).flush())
            throw failed;
    }
    ReplacementFile replacement(archivePath);
    const ThemeArchive archive(pcText(replacement.path()));
    if (!archive.create() || !archive.addFile(workFolder, DescriptorFileName))
        throw failed;
    for (const auto& file : soundFiles()) {
        const std::string fileName = file.name + file.extension;
        if (!archive.addFile(file.folder, fileName))
            throw MessageError(isReadableFile(file.path())
                                   ? failed.text()
                                   : "Could not save theme \"" + archivePath + "\": its sound \"" +
                                         fileName + "\" could not be read.");
    }
    if (!replacement.commit())
        throw failed;
}
