// Copying one wave file at a time between the PC and the handheld, a chunk at a time. A copy that
// fails leaves the PC's earlier file as it was, and nothing of itself on the device.
#include "DeviceLink.h"

#include "catalog/MessageError.h"
#include "device/DeviceFile.h"
#include "device/Utf16.h"
#include "files/PcPath.h"
#include "files/ReplacementFile.h"

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <memory>

namespace {

std::string quoted(const std::string& lead, const std::string& path, const std::string& end) {
    return lead + "\"" + path + "\"" + end;
}

// Room for one chunk of a file of that size, left as it comes: every byte used is read first.
std::unique_ptr<char[]> chunkBuffer(std::uint64_t size) {
    return std::make_unique_for_overwrite<char[]>(
        static_cast<std::size_t>(std::min<std::uint64_t>(size, DeviceLink::CopyChunkBytes)));
}

std::uint32_t nextChunk(std::uint64_t done, std::uint64_t size) {
    return static_cast<std::uint32_t>(
        std::min<std::uint64_t>(size - done, DeviceLink::CopyChunkBytes));
}

} // namespace

void DeviceLink::copyFileFromDevice(const std::string& deviceDir, const std::string& pcDir,
                                    const std::string& fileName, const CopyProgress& progress) {
    const std::string shownDevicePath = "\\Windows\\" + fileName;
    const std::string pcFile = pcDir + fileName;
    const MessageError readFailed(quoted("Could not read file on PPC ", shownDevicePath, "."));
    const MessageError writeFailed(quoted("Could not write file to PC ", pcFile, "."));

    DeviceFile source(m_device,
                      m_device.CeCreateFile(toUtf16(deviceDir + fileName), Rapi::GenericRead, 0,
                                            Rapi::OpenExisting, Rapi::FileAttributeReadonly));
    if (!source.isOpen())
        throw MessageError(quoted("Could not open file on PPC ", shownDevicePath, "."));
    std::ofstream target(pcPath(pcFile), std::ios::binary | std::ios::trunc);
    if (!target)
        throw writeFailed;
    // Written straight into a folder of the transfer's own, which takes the sounds folder's place
    // only when the whole set is there; a copy that fails leaves no part of a file behind.
    bool whole = false;
    const std::shared_ptr<void> cleanUp(nullptr, [&](void*) {
        if (whole)
            return;
        target.close();
        std::error_code ignored;
        std::filesystem::remove(pcPath(pcFile), ignored);
    });

    std::uint32_t high = 0;
    const std::uint32_t low = m_device.CeGetFileSize(source.handle(), &high);
    if (low == Rapi::InvalidFileSize)
        throw readFailed;
    const std::uint64_t size = (std::uint64_t{high} << 32) | low;
    const auto buffer = chunkBuffer(size);
    for (std::uint64_t done = 0; done < size;) {
        const std::uint32_t part = nextChunk(done, size);
        std::uint32_t read = 0;
        if (!m_device.CeReadFile(source.handle(), buffer.get(), part, &read) || read != part)
            throw readFailed;
        if (!target.write(buffer.get(), part))
            throw writeFailed;
        done += part;
        if (progress)
            progress(done, size);
    }
    // Some file systems report a failed write only when the file is closed.
    target.close();
    if (!target)
        throw writeFailed;
    whole = true;
}

std::optional<std::uint64_t> DeviceLink::deviceFileSize(const std::string& deviceDir,
                                                        const std::string& fileName) {
    DeviceFile file(m_device,
                    m_device.CeCreateFile(toUtf16(deviceDir + fileName), Rapi::GenericRead, 0,
                                          Rapi::OpenExisting, Rapi::FileAttributeReadonly));
    if (!file.isOpen())
        return std::nullopt;
    std::uint32_t high = 0;
    const std::uint32_t low = m_device.CeGetFileSize(file.handle(), &high);
    if (low == Rapi::InvalidFileSize)
        return std::nullopt;
    return (std::uint64_t{high} << 32) | low;
}

void DeviceLink::sendFile(const std::string& pcDir, const std::string& fileName,
                          const std::string& devicePath, const CopyProgress& progress) {
    const MessageError copyFailed(quoted("Could not copy file from PC ", fileName, ""));
    const MessageError writeFailed(
        quoted("Could not write file to PPC ", "\\Windows\\" + fileName, "."));

    std::ifstream source(pcPath(pcDir + fileName), std::ios::binary);
    if (!source)
        throw copyFailed;
    const auto end = source.seekg(0, std::ios::end).tellg();
    if (end < 0) {
        m_messages.showMessage(" Error Code " + std::to_string(errno));
        throw copyFailed;
    }
    const auto size = static_cast<std::uint64_t>(end);
    const auto buffer = chunkBuffer(size);
    const std::u16string path = toUtf16(devicePath);
    DeviceFile file(m_device, m_device.CeCreateFile(path, Rapi::GenericWrite, 0, Rapi::CreateAlways,
                                                    Rapi::FileAttributeNormal));
    if (!file.isOpen())
        throw writeFailed;
    // A PC file that cannot be read to its end is the PC's fault, not the device's.
    bool pcFailed = !source.seekg(0);
    bool whole = !pcFailed;
    for (std::uint64_t done = 0; whole && done < size;) {
        const std::uint32_t part = nextChunk(done, size);
        if (!source.read(buffer.get(), part)) {
            pcFailed = true;
            whole = false;
            break;
        }
        std::uint32_t written = 0;
        whole =
            m_device.CeWriteFile(file.handle(), buffer.get(), part, &written) && written == part;
        done += part;
        if (whole && progress)
            progress(done, size);
    }
    if (file.close() && whole)
        return;
    // Without the part written, a wave in the device's ROM shows again under its name.
    static_cast<void>(m_device.CeDeleteFile(path));
    throw pcFailed ? copyFailed : writeFailed;
}
