// Copying one wave file at a time between the PC and the handheld, whole, through memory.
#include "DeviceLink.h"

#include "catalog/MessageError.h"
#include "device/Utf16.h"

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <new>

namespace {

// Closes a device file on every way out of a copy.
class DeviceFile {
public:
    DeviceFile(RemoteDevice& device, Rapi::Handle handle) : m_device(device), m_handle(handle) {}
    ~DeviceFile() {
        if (isOpen())
            m_device.CeCloseHandle(m_handle);
    }
    DeviceFile(const DeviceFile&) = delete;
    DeviceFile& operator=(const DeviceFile&) = delete;

    bool isOpen() const { return m_handle != Rapi::InvalidHandle; }
    Rapi::Handle handle() const { return m_handle; }

private:
    RemoteDevice& m_device;
    Rapi::Handle m_handle;
};

// Removes a partly written PC file unless the copy completed.
class PartialFile {
public:
    PartialFile(std::ofstream& stream, std::string path)
        : m_stream(stream), m_path(std::move(path)) {}
    ~PartialFile() {
        if (m_complete)
            return;
        m_stream.close(); // Windows removes no file that is still open
        std::error_code ignored;
        std::filesystem::remove(m_path, ignored);
    }
    void complete() { m_complete = true; }

private:
    std::ofstream& m_stream;
    std::string m_path;
    bool m_complete = false;
};

std::string quoted(const std::string& lead, const std::string& path, const std::string& end) {
    return lead + "\"" + path + "\"" + end;
}

std::vector<char> wholeFileBuffer(std::uint32_t size) {
    try {
        return std::vector<char>(size);
    } catch (const std::bad_alloc&) {
        throw MessageError("Not enough memory");
    }
}

} // namespace

void DeviceLink::copyFileFromDevice(const std::string& deviceDir, const std::string& pcDir,
                                    const std::string& fileName) {
    const std::string shownDevicePath = "\\Windows\\" + fileName;
    const std::string pcPath = pcDir + fileName;
    const MessageError readFailed(quoted("Could not read file on PPC ", shownDevicePath, "."));
    const MessageError writeFailed(quoted("Could not write file to PC ", pcPath, "."));

    DeviceFile source(m_device,
                      m_device.CeCreateFile(toUtf16(deviceDir + fileName), Rapi::GenericRead, 0,
                                            Rapi::OpenExisting, Rapi::FileAttributeReadonly));
    if (!source.isOpen())
        throw MessageError(quoted("Could not open file on PPC ", shownDevicePath, "."));
    std::ofstream target(pcPath, std::ios::binary | std::ios::trunc);
    if (!target)
        throw writeFailed;
    PartialFile partial(target, pcPath);

    std::uint32_t high = 0;
    const std::uint32_t size = m_device.CeGetFileSize(source.handle(), &high);
    if (size == Rapi::InvalidFileSize)
        throw readFailed;
    std::vector<char> buffer = wholeFileBuffer(size);
    std::uint32_t read = 0;
    if (!m_device.CeReadFile(source.handle(), buffer.data(), size, &read) || read != size)
        throw readFailed;
    target.write(buffer.data(), static_cast<std::streamsize>(size));
    target.close();
    if (!target)
        throw writeFailed;
    partial.complete();
}

void DeviceLink::copyFileToDevice(const std::string& pcDir, const std::string& deviceDir,
                                  const std::string& fileName) {
    const MessageError copyFailed(quoted("Could not copy file from PC ", fileName, ""));
    const MessageError writeFailed(
        quoted("Could not write file to PPC ", "\\Windows\\" + fileName, "."));

    std::ifstream source(pcDir + fileName, std::ios::binary);
    if (!source)
        throw copyFailed;
    DeviceFile target(m_device,
                      m_device.CeCreateFile(toUtf16(deviceDir + fileName), Rapi::GenericWrite, 0,
                                            Rapi::CreateAlways, Rapi::FileAttributeNormal));
    if (!target.isOpen())
        throw writeFailed;

    const auto end = source.seekg(0, std::ios::end).tellg();
    if (end < 0) {
        m_messages.showMessage(" Error Code " + std::to_string(errno));
        throw copyFailed;
    }
    const auto size = static_cast<std::uint32_t>(end);
    std::vector<char> buffer = wholeFileBuffer(size);
    if (!source.seekg(0).read(buffer.data(), static_cast<std::streamsize>(size)))
        throw copyFailed;
    std::uint32_t written = 0;
    if (!m_device.CeWriteFile(target.handle(), buffer.data(), size, &written) || written != size)
        throw writeFailed;
}
