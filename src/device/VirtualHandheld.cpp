#include "VirtualHandheld.h"

#include "device/RegistryFile.h"
#include "device/Utf16.h"
#include "files/FileNames.h"
#include "files/PcPath.h"
#include "files/Removals.h"
#include "files/ReplacementFile.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <optional>
#include <thread>
#include <utility>

#ifndef _WIN32
#include <dirent.h>
#endif

namespace fs = std::filesystem;

namespace {

class FinishedAttempt : public Rapi::InitAttempt {
public:
    explicit FinishedAttempt(std::int32_t result) : m_result(result) {}
    bool wait(std::chrono::milliseconds) override { return true; }
    std::int32_t result() const override { return m_result; }

private:
    std::int32_t m_result;
};

// A device that never answers: every wait runs out.
class SilentAttempt : public Rapi::InitAttempt {
public:
    bool wait(std::chrono::milliseconds timeout) override {
        std::this_thread::sleep_for(timeout);
        return false;
    }
    std::int32_t result() const override { return Rapi::EFail; }
};

const char* rootName(Rapi::Key root) {
    if (root == Rapi::HkeyLocalMachine)
        return "HKEY_LOCAL_MACHINE";
    if (root == Rapi::HkeyCurrentUser)
        return "HKEY_CURRENT_USER";
    return nullptr;
}

// The name a folder holds for `name` in another letter case, if any.
std::optional<fs::path> storedSpelling(const fs::path& folder, const std::string& name) {
#ifdef _WIN32
    std::error_code error;
    for (const auto& item : fs::directory_iterator(folder, error))
        if (equalIgnoringCase(pcText(item.path().filename()), name))
            return item.path().filename();
    return std::nullopt;
#else
    // Read raw: a transfer resolves a new name per file, and paths per entry cost more than
    // the reading.
    DIR* listing = ::opendir(folder.c_str());
    if (!listing)
        return std::nullopt;
    std::optional<fs::path> found;
    while (const dirent* entry = ::readdir(listing)) {
        if (std::strlen(entry->d_name) == name.size() && equalIgnoringCase(entry->d_name, name)) {
            found = fs::path(entry->d_name);
            break;
        }
    }
    ::closedir(listing);
    return found;
#endif
}

} // namespace

fs::path VirtualHandheld::defaultFolder(const fs::path& programFolder) {
#ifdef _WIN32
    const wchar_t* chosen = _wgetenv(L"BELLTIDE_DEVICE");
#else
    const char* chosen = std::getenv("BELLTIDE_DEVICE");
#endif
    if (chosen && *chosen) {
        // Meant from where Belltide was started, before it changes its current folder.
        std::error_code error;
        const fs::path absolute = fs::absolute(fs::path(chosen), error);
        return error ? fs::path(chosen) : absolute;
    }
    return programFolder / "device";
}

std::string VirtualHandheld::whereToFind() const {
#ifdef _WIN32
    return {};
#else
    return "(virtual handheld folder: " + pcText(m_folder) +
           " \u2014 set BELLTIDE_DEVICE to use another)";
#endif
}

VirtualHandheld::~VirtualHandheld() {
    static_cast<void>(settle());
}

std::int32_t VirtualHandheld::CeRapiUninit() {
    return settle() ? 0 : Rapi::EAccessDenied;
}

bool VirtualHandheld::settle() {
    // The values may name what was moved, and the moves what was written.
    if (!m_written.empty()) {
        if (!flushFiles(m_folder, m_written))
            return false;
        m_written.clear();
    }
    for (const auto& folder : std::exchange(m_moved, {}))
        replacementDiskCalls().flushFolder(folder);
    return writeRegistry();
}

RegistryFile* VirtualHandheld::registry() {
    std::string bytes = readFileBytes(pcText(registryPath()));
    // Parsed again only when another writer changed the file.
    if (m_read && m_read->bytes == bytes)
        return m_read->file ? &*m_read->file : nullptr;
    m_read = ReadRegistry{std::move(bytes), std::nullopt};
    try {
        m_read->file = RegistryFile::fromBytes(m_read->bytes);
    } catch (const RegistryDamaged&) {
        return nullptr;
    }
    for (const auto& pending : m_pending)
        m_read->file->set(pending.keyPath, pending.name, pending.value);
    return &*m_read->file;
}

bool VirtualHandheld::stageRegistry(const RegistryFile& file) {
    if (!m_nextRegistry)
        m_nextRegistry = std::make_unique<ReplacementFile>(pcText(registryPath()));
    if (writeFileBytes(m_nextRegistry->path(), file.toBytes()))
        return true;
    m_nextRegistry.reset();
    return false;
}

bool VirtualHandheld::writeRegistry() {
    if (m_pending.empty())
        return true;
    // Read again: another session may have written the file meanwhile.
    const RegistryFile* file = registry();
    if (!file) {
        // A file that cannot be read is never written over.
        m_pending.clear();
        m_nextRegistry.reset();
        return false;
    }
    const bool written = stageRegistry(*file) && m_nextRegistry->commit();
    m_nextRegistry.reset();
    if (written) {
        m_pending.clear();
        m_read.reset();
    }
    return written;
}

std::shared_ptr<Rapi::InitAttempt> VirtualHandheld::CeRapiInitEx() {
    std::error_code error;
    if (!fs::is_directory(m_folder, error))
        return std::make_shared<FinishedAttempt>(Rapi::EFail);
    if (fs::exists(m_folder / "offline", error))
        return std::make_shared<SilentAttempt>();
    // A registry write killed half-way left its temporary file; the registry itself is whole.
    removeLeftoverReplacements(pcText(m_folder), ".reg");
    emptyBinLater(bin());
    return std::make_shared<FinishedAttempt>(0);
}

long VirtualHandheld::CeRegOpenKeyEx(Rapi::Key root, const std::u16string& subKey, Rapi::Key* key) {
    const char* rootText = rootName(root);
    if (!rootText)
        return Rapi::ErrorFileNotFound;
    const std::string path = std::string(rootText) + "\\" + fromUtf16(subKey);
    const RegistryFile* file = registry();
    if (!file)
        return Rapi::ErrorBadDb;
    if (!file->hasKey(path))
        return Rapi::ErrorFileNotFound;
    *key = m_nextHandle++;
    m_keys[*key] = path;
    return Rapi::ErrorSuccess;
}

long VirtualHandheld::CeRegQueryValueEx(Rapi::Key key, const std::u16string& name,
                                        std::uint32_t* type, std::uint8_t* data,
                                        std::uint32_t* size) {
    const auto open = m_keys.find(key);
    if (open == m_keys.end() || !size)
        return Rapi::ErrorFileNotFound;
    const RegistryFile* file = registry();
    if (!file)
        return Rapi::ErrorBadDb;
    const RegistryValue* value = file->find(open->second, fromUtf16(name));
    if (!value)
        return Rapi::ErrorFileNotFound;
    const auto needed = static_cast<std::uint32_t>(value->data.size());
    if (type)
        *type = value->type;
    if (data && needed > *size) {
        *size = needed;
        return Rapi::ErrorMoreData;
    }
    if (data)
        std::copy(value->data.begin(), value->data.end(), data);
    *size = needed;
    return Rapi::ErrorSuccess;
}

long VirtualHandheld::CeRegSetValueEx(Rapi::Key key, const std::u16string& name, std::uint32_t type,
                                      const std::uint8_t* data, std::uint32_t size) {
    const auto open = m_keys.find(key);
    if (open == m_keys.end())
        return Rapi::ErrorFileNotFound;
    // A file that cannot be read is never written over.
    RegistryFile* file = registry();
    if (!file)
        return Rapi::ErrorBadDb;
    PendingValue pending{open->second, fromUtf16(name),
                         RegistryValue{type, std::vector<std::uint8_t>(data, data + size)}};
    file->set(pending.keyPath, pending.name, pending.value);
    if (!stageRegistry(*file)) {
        m_read.reset(); // without the value that did not fit
        return Rapi::ErrorAccessDenied;
    }
    m_pending.push_back(std::move(pending));
    return Rapi::ErrorSuccess;
}

long VirtualHandheld::CeRegCloseKey(Rapi::Key key) {
    return m_keys.erase(key) ? Rapi::ErrorSuccess : Rapi::ErrorFileNotFound;
}

fs::path VirtualHandheld::resolve(const std::string& devicePath) const try {
    fs::path current = m_folder;
    std::size_t start = devicePath.compare(0, 1, "\\") == 0 ? 1 : 0;
    while (start <= devicePath.size()) {
        auto end = devicePath.find('\\', start);
        if (end == std::string::npos)
            end = devicePath.size();
        const std::string part = devicePath.substr(start, end - start);
        // Only names inside the folder: no drive, and no folder of the PC's spelling.
        if (part.empty() || part == "." || part == ".." ||
            part.find_first_of("/:") != std::string::npos)
            return {};
        fs::path next = current / pcPath(part);
        std::error_code error;
        // Names mostly come as they are stored; only other spellings need the folder read.
        if (!fs::exists(next, error))
            if (auto spelled = storedSpelling(current, part))
                next = current / std::move(*spelled);
        const bool last = end == devicePath.size();
        if (!last && !fs::is_directory(next, error))
            return {};
        current = next;
        start = end + 1;
        if (last)
            break;
    }
    return current;
} catch (const std::exception&) {
    return {}; // a folder that cannot be listed
}

bool VirtualHandheld::isOpen(const fs::path& file) const {
    // The same file may be named in another spelling where the PC ignores case.
    for (const auto& [handle, open] : m_files) {
        std::error_code error;
        if (open.path == file || fs::equivalent(open.path, file, error))
            return true;
    }
    return false;
}

Rapi::Handle VirtualHandheld::CeCreateFile(const std::u16string& path, std::uint32_t access,
                                           std::uint32_t, std::uint32_t disposition,
                                           std::uint32_t) {
    const fs::path file = resolve(fromUtf16(path));
    if (file.empty())
        return Rapi::InvalidHandle;
    // Share mode 0: a file open on the device cannot be opened again until it is closed.
    if (isOpen(file))
        return Rapi::InvalidHandle;
    std::ios::openmode mode = std::ios::binary;
    if (access & Rapi::GenericWrite && disposition == Rapi::CreateAlways)
        mode |= std::ios::out | std::ios::trunc;
    else if (access & Rapi::GenericRead && disposition == Rapi::OpenExisting)
        mode |= std::ios::in;
    else
        return Rapi::InvalidHandle;
    std::error_code error;
    if ((mode & std::ios::in) && !fs::is_regular_file(file, error))
        return Rapi::InvalidHandle;
    OpenFile open{file, std::fstream(file, mode), (mode & std::ios::out) != 0};
    if (!open.stream)
        return Rapi::InvalidHandle;
    const Rapi::Handle handle = m_nextHandle++;
    m_files.emplace(handle, std::move(open));
    return handle;
}

std::uint32_t VirtualHandheld::CeGetFileSize(Rapi::Handle file, std::uint32_t* high) {
    const auto open = m_files.find(file);
    if (open == m_files.end())
        return Rapi::InvalidFileSize;
    open->second.stream.flush();
    std::error_code error;
    const auto size = fs::file_size(open->second.path, error);
    if (error)
        return Rapi::InvalidFileSize;
    if (high)
        *high = static_cast<std::uint32_t>(size >> 32);
    return static_cast<std::uint32_t>(size);
}

bool VirtualHandheld::CeReadFile(Rapi::Handle file, void* buffer, std::uint32_t toRead,
                                 std::uint32_t* read) {
    const auto open = m_files.find(file);
    if (open == m_files.end() || !read)
        return false;
    open->second.stream.read(static_cast<char*>(buffer), toRead);
    *read = static_cast<std::uint32_t>(open->second.stream.gcount());
    open->second.stream.clear();
    return true;
}

bool VirtualHandheld::CeWriteFile(Rapi::Handle file, const void* buffer, std::uint32_t toWrite,
                                  std::uint32_t* written) {
    const auto open = m_files.find(file);
    if (open == m_files.end() || !written)
        return false;
    open->second.stream.write(static_cast<const char*>(buffer), toWrite);
    *written = open->second.stream ? toWrite : 0;
    return static_cast<bool>(open->second.stream);
}

bool VirtualHandheld::CeCloseHandle(Rapi::Handle file) {
    const auto open = m_files.find(file);
    if (open == m_files.end())
        return false;
    // Data still buffered is written now, and a full disk shows here.
    open->second.stream.close();
    const bool closed = !open->second.stream.fail();
    if (open->second.writing) {
        startWriting(open->second.path);
        m_written.push_back(open->second.path);
    }
    m_files.erase(open);
    return closed;
}

bool VirtualHandheld::CeDeleteFile(const std::u16string& path) {
    const fs::path file = resolve(fromUtf16(path));
    std::error_code error;
    // The name goes at once; the disk frees the room behind the caller's back.
    if (file.empty() || !fs::is_regular_file(file, error) || isOpen(file) ||
        !removeLater(file, bin()))
        return false;
    std::erase(m_written, file);
    return true;
}

bool VirtualHandheld::CeMoveFile(const std::u16string& from, const std::u16string& to) {
    const fs::path source = resolve(fromUtf16(from));
    const fs::path target = resolve(fromUtf16(to));
    std::error_code error;
    if (source.empty() || target.empty() || !fs::is_regular_file(source, error) ||
        fs::exists(target, error) || isOpen(source))
        return false;
    // What was written is on disk before a name can point at it.
    if (!m_written.empty()) {
        if (!flushFiles(m_folder, m_written))
            return false;
        m_written.clear();
    }
    fs::rename(source, target, error);
    if (error)
        return false;
    m_moved.insert(target.parent_path());
    return true;
}

bool VirtualHandheld::CeGetDiskFreeSpaceEx(const std::u16string& folder,
                                           std::uint64_t* freeToCaller) {
    const fs::path place = resolve(fromUtf16(folder));
    std::error_code error;
    const auto space = fs::space(place.empty() ? m_folder : place, error);
    if (error || !freeToCaller)
        return false;
    // The room of files deleted counts as free while it is being freed; one freed since the
    // space was read counts in neither.
    std::uint64_t freeing = 0;
    for (auto item = fs::recursive_directory_iterator(bin(), error);
         !error && item != fs::recursive_directory_iterator(); item.increment(error)) {
        const auto bytes = item->is_regular_file(error) ? item->file_size(error) : 0;
        freeing += error ? 0 : bytes;
        error.clear();
    }
    *freeToCaller = space.available + freeing;
    return true;
}

std::int32_t VirtualHandheld::CeRapiInvoke(const std::u16string& library,
                                           const std::u16string& function,
                                           std::uint32_t* outputSize, std::uint8_t** output) {
    if (outputSize)
        *outputSize = 0;
    if (output)
        *output = nullptr;
    if (!equalIgnoringCase(fromUtf16(library), "coredll.dll"))
        return Rapi::ErrorFileNotFound;
    if (fromUtf16(function) != "AudioUpdateFromRegistry")
        return Rapi::ErrorCallNotImplemented;
    // The device takes up the values the file holds.
    if (!settle())
        return Rapi::ErrorAccessDenied;
    const std::time_t now = std::time(nullptr);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y-%m-%d %H:%M:%S", std::localtime(&now));
    std::ofstream(m_folder / "audio-reloads.log", std::ios::app)
        << stamp << " AudioUpdateFromRegistry\n";
    return 0;
}

void VirtualHandheld::CeRapiFreeBuffer(void* buffer) {
    std::free(buffer);
}
