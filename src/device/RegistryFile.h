// A registry in the text format of a Windows registry export (.reg). Unknown keys, values and
// comments are kept as they were written; only values that are set are written anew.
#pragma once

#include <cstdint>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

// A value line that cannot be read: the file is damaged, and nothing of it can be trusted.
class RegistryDamaged : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct RegistryValue {
    std::uint32_t type = 0;
    std::vector<std::uint8_t> data;
};

class RegistryFile {
public:
    static constexpr const char* Header = "Windows Registry Editor Version 5.00";

    // Parses export text (UTF-16LE with a byte-order mark, or UTF-8). Lines it does not
    // understand are kept as they are; a value of a known kind that cannot be read raises
    // RegistryDamaged.
    static RegistryFile fromBytes(const std::string& bytes);
    // The export text as the registry editor writes it: UTF-16LE with a byte-order mark, CR LF.
    std::string toBytes() const;

    // Key paths begin with the root ("HKEY_LOCAL_MACHINE\Snd\Event"); case is ignored.
    bool hasKey(const std::string& keyPath) const;
    // The value, or nullptr; "" names the key's default value.
    const RegistryValue* find(const std::string& keyPath, const std::string& name) const;
    // Sets the value, creating the key when it is missing.
    void set(const std::string& keyPath, const std::string& name, const RegistryValue& value);

private:
    struct Item {
        enum class Kind { Text, Key, Value } kind = Kind::Text;
        std::vector<std::string> lines; // as written, or as formatted when set
        std::string keyPath;            // the key, or the key a value belongs to
        std::string name;
        RegistryValue value;
    };

    static std::vector<std::string> format(const std::string& name, const RegistryValue& value);
    std::vector<Item> m_items;
};

// Reads the whole file; empty when it cannot be read.
std::string readFileBytes(const std::string& path);
// Makes the bytes the whole of a file that exists, in place; false when that fails.
[[nodiscard]] bool writeFileBytes(const std::filesystem::path& file, const std::string& bytes);
// Writes the file through a temporary one renamed over it; false when that fails.
[[nodiscard]] bool replaceFileBytes(const std::string& path, const std::string& bytes);
