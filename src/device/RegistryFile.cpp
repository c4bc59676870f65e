#include "RegistryFile.h"

#include "device/Utf16.h"
#include "files/FileNames.h"
#include "files/PcPath.h"
#include "files/ReplacementFile.h"

#include <cctype>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <optional>

namespace {

constexpr std::size_t WrapColumn = 76;

std::string decodeText(const std::string& bytes) {
    if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
        static_cast<unsigned char>(bytes[1]) == 0xFE) {
        return fromUtf16(
            utf16Units(reinterpret_cast<const std::uint8_t*>(bytes.data()) + 2, bytes.size() - 2));
    }
    if (bytes.compare(0, 3, "\xEF\xBB\xBF") == 0)
        return bytes.substr(3);
    return bytes;
}

std::vector<std::string> splitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        auto end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(std::move(line));
        start = end + 1;
    }
    return lines;
}

std::string trim(const std::string& text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// A line that carries on the hex data of the line before it; anything else starts anew, so a
// value cut short can never swallow the key or value after it.
bool isHexContinuation(const std::string& line) {
    const std::string text = trim(line);
    return !text.empty() &&
           text.find_first_not_of("0123456789abcdefABCDEF,\\ \t") == std::string::npos;
}

// A quoted string with \\ and \" escapes, from text[pos] == '"'; pos ends after the closing quote.
std::optional<std::string> unquote(const std::string& text, std::size_t& pos) {
    if (pos >= text.size() || text[pos] != '"')
        return std::nullopt;
    std::string out;
    for (++pos; pos < text.size(); ++pos) {
        const char c = text[pos];
        if (c == '"') {
            ++pos;
            return out;
        }
        if (c == '\\' && pos + 1 < text.size())
            ++pos;
        out += text[pos];
    }
    return std::nullopt;
}

std::string quote(const std::string& text) {
    std::string out = "\"";
    for (const char c : text) {
        if (c == '\\' || c == '"')
            out += '\\';
        out += c;
    }
    return out + "\"";
}

std::optional<std::vector<std::uint8_t>> parseHexBytes(const std::string& text) {
    std::vector<std::uint8_t> data;
    std::string digits;
    const auto flush = [&]() -> bool {
        if (digits.empty())
            return true;
        if (digits.size() > 2)
            return false;
        data.push_back(static_cast<std::uint8_t>(std::stoul(digits, nullptr, 16)));
        digits.clear();
        return true;
    };
    for (const char c : text) {
        if (std::isxdigit(static_cast<unsigned char>(c))) {
            digits += c;
        } else if (c == ',') {
            if (digits.empty() || !flush())
                return std::nullopt;
        } else if (c != ' ' && c != '\t' && c != '\\') {
            return std::nullopt;
        }
    }
    if (!flush())
        return std::nullopt;
    return data;
}

// A number of one to eight hex digits, as the registry editor reads types and dwords.
std::optional<std::uint32_t> parseHex32(const std::string& digits) {
    if (digits.empty() || digits.size() > 8 ||
        digits.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos)
        return std::nullopt;
    return static_cast<std::uint32_t>(std::stoul(digits, nullptr, 16));
}

// "name"=data or @=data; nothing when the line is of a kind this reader does not know (a
// deletion, another tool's syntax, a string broken over lines), which is kept as it stands. A
// number or byte list that cannot be read is damage.
std::optional<std::pair<std::string, RegistryValue>> parseValue(const std::string& logical) {
    const auto damaged = [] { return RegistryDamaged("a value cannot be read"); };
    std::size_t pos = 0;
    std::string name;
    if (logical.compare(0, 1, "@") == 0) {
        pos = 1;
    } else {
        auto quoted = unquote(logical, pos);
        if (!quoted)
            return std::nullopt;
        name = *quoted;
    }
    while (pos < logical.size() && logical[pos] == ' ')
        ++pos;
    if (pos >= logical.size() || logical[pos] != '=')
        return std::nullopt;
    std::string data = trim(logical.substr(pos + 1));
    // A comment after a number or byte list, as hand-written files have.
    if (data.compare(0, 1, "\"") != 0)
        data = trim(data.substr(0, data.find(';')));
    RegistryValue value;
    if (data.compare(0, 1, "\"") == 0) {
        std::size_t at = 0;
        auto text = unquote(data, at);
        if (!text || at != data.size())
            return std::nullopt;
        value = {1, utf16Bytes(*text)};
    } else if (data.compare(0, 6, "dword:") == 0) {
        const auto number = parseHex32(data.substr(6));
        if (!number)
            throw damaged();
        value.type = 4;
        for (int i = 0; i < 4; ++i)
            value.data.push_back(static_cast<std::uint8_t>(*number >> (8 * i)));
    } else if (data.compare(0, 4, "hex:") == 0 || data.compare(0, 4, "hex(") == 0) {
        const std::size_t colon = data.find(':');
        if (colon == std::string::npos)
            throw damaged();
        const std::string kind = data.substr(3, colon - 3);
        if (kind.empty()) {
            value.type = 3;
        } else if (kind.size() > 2 && kind.front() == '(' && kind.back() == ')') {
            const auto type = parseHex32(kind.substr(1, kind.size() - 2));
            if (!type)
                throw damaged();
            value.type = *type;
        } else {
            throw damaged();
        }
        auto bytes = parseHexBytes(data.substr(colon + 1));
        if (!bytes)
            throw damaged();
        value.data = std::move(*bytes);
    } else {
        return std::nullopt;
    }
    return std::pair{name, value};
}

// The value's text when it is exactly one string and its NUL, as a REG_SZ line shows it.
std::optional<std::string> plainString(const RegistryValue& value) {
    if (value.type != 1 || value.data.size() < 2 || value.data.size() % 2 != 0)
        return std::nullopt;
    std::u16string units = utf16Units(value.data.data(), value.data.size());
    if (units.back() != 0 || units.find(u'\0') != units.size() - 1)
        return std::nullopt;
    units.pop_back();
    const std::string text = fromUtf16(units);
    // Only text that reads back to the same bytes.
    if (text.find_first_of("\r\n") != std::string::npos || utf16Bytes(text) != value.data)
        return std::nullopt;
    return text;
}

} // namespace

RegistryFile RegistryFile::fromBytes(const std::string& bytes) {
    RegistryFile file;
    const auto lines = splitLines(decodeText(bytes));
    std::string currentKey;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        Item item;
        item.lines.push_back(lines[i]);
        const std::string line = trim(lines[i]);
        if (line.size() > 2 && line.front() == '[' && line.back() == ']' && line[1] != '-') {
            item.kind = Item::Kind::Key;
            currentKey = item.keyPath = line.substr(1, line.size() - 2);
        } else if (!currentKey.empty() &&
                   (line.compare(0, 1, "\"") == 0 || line.compare(0, 1, "@") == 0)) {
            std::string logical = line;
            while (!logical.empty() && logical.back() == '\\' && i + 1 < lines.size() &&
                   isHexContinuation(lines[i + 1])) {
                logical.pop_back();
                item.lines.push_back(lines[++i]);
                logical += trim(lines[i]);
            }
            std::optional<std::pair<std::string, RegistryValue>> parsed;
            try {
                parsed = parseValue(logical);
            } catch (const RegistryDamaged&) {
                throw RegistryDamaged("line " + std::to_string(i + 1) + " cannot be read");
            }
            if (parsed) {
                item.kind = Item::Kind::Value;
                item.keyPath = currentKey;
                item.name = parsed->first;
                item.value = std::move(parsed->second);
            }
        }
        file.m_items.push_back(std::move(item));
    }
    if (file.m_items.empty())
        file.m_items.push_back(Item{Item::Kind::Text, {Header}, {}, {}, {}});
    return file;
}

std::string RegistryFile::toBytes() const {
    std::u16string text;
    for (const auto& item : m_items) {
        for (const auto& line : item.lines)
            text += toUtf16(line) + u"\r\n";
    }
    std::string bytes = "\xFF\xFE";
    for (const char16_t c : text) {
        bytes += static_cast<char>(c & 0xFF);
        bytes += static_cast<char>(c >> 8);
    }
    return bytes;
}

bool RegistryFile::hasKey(const std::string& keyPath) const {
    for (const auto& item : m_items) {
        if (item.kind == Item::Kind::Key && equalIgnoringCase(item.keyPath, keyPath))
            return true;
    }
    return false;
}

const RegistryValue* RegistryFile::find(const std::string& keyPath, const std::string& name) const {
    const RegistryValue* found = nullptr;
    for (const auto& item : m_items) {
        // The last of several lines for one value is the one the registry editor keeps.
        if (item.kind == Item::Kind::Value && equalIgnoringCase(item.keyPath, keyPath) &&
            equalIgnoringCase(item.name, name))
            found = &item.value;
    }
    return found;
}

void RegistryFile::set(const std::string& keyPath, const std::string& name,
                       const RegistryValue& value) {
    Item item{Item::Kind::Value, format(name, value), keyPath, name, value};
    std::optional<std::size_t> sectionEnd;
    for (std::size_t i = m_items.size(); i-- > 0;) {
        auto& existing = m_items[i];
        if (existing.kind == Item::Kind::Value && equalIgnoringCase(existing.keyPath, keyPath) &&
            equalIgnoringCase(existing.name, name)) {
            item.keyPath = existing.keyPath;
            existing = std::move(item);
            return;
        }
    }
    for (std::size_t i = 0; i < m_items.size(); ++i) {
        const auto& existing = m_items[i];
        if (existing.kind == Item::Kind::Key && equalIgnoringCase(existing.keyPath, keyPath))
            sectionEnd = i + 1;
        else if (sectionEnd && *sectionEnd == i && existing.kind == Item::Kind::Value)
            sectionEnd = i + 1;
    }
    if (sectionEnd) {
        m_items.insert(m_items.begin() + static_cast<std::ptrdiff_t>(*sectionEnd), std::move(item));
        return;
    }
    m_items.push_back(Item{Item::Kind::Text, {""}, {}, {}, {}});
    m_items.push_back(Item{Item::Kind::Key, {"[" + keyPath + "]"}, keyPath, {}, {}});
    m_items.push_back(std::move(item));
}

std::vector<std::string> RegistryFile::format(const std::string& name, const RegistryValue& value) {
    const std::string lead = (name.empty() ? std::string("@") : quote(name)) + "=";
    if (const auto text = plainString(value))
        return {lead + quote(*text)};
    if (value.type == 4 && value.data.size() == 4) {
        char dword[16];
        std::snprintf(dword, sizeof dword, "dword:%02x%02x%02x%02x", value.data[3], value.data[2],
                      value.data[1], value.data[0]);
        return {lead + dword};
    }
    char kind[16] = "hex:";
    if (value.type != 3)
        std::snprintf(kind, sizeof kind, "hex(%x):", value.type);
    std::vector<std::string> lines{lead + kind};
    for (std::size_t i = 0; i < value.data.size(); ++i) {
        char byte[4];
        std::snprintf(byte, sizeof byte, "%02x", value.data[i]);
        if (lines.back().size() + 3 > WrapColumn) {
            lines.back() += "\\";
            lines.emplace_back("  ");
        }
        lines.back() += byte;
        if (i + 1 < value.data.size())
            lines.back() += ",";
    }
    return lines;
}

std::string readFileBytes(const std::string& path) {
    std::ifstream in(pcPath(path), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

bool writeFileBytes(const std::filesystem::path& file, const std::string& bytes) {
    // Written over and then cut, not emptied first: some file systems start writing a file out
    // at once when it is emptied.
    std::fstream out(file, std::ios::binary | std::ios::in | std::ios::out);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    // A full disk may show only when the data leaves the stream's buffer.
    out.close();
    std::error_code error;
    std::filesystem::resize_file(file, bytes.size(), error);
    return !out.fail() && !error;
}

bool replaceFileBytes(const std::string& path, const std::string& bytes) {
    ReplacementFile replacement(path);
    return writeFileBytes(replacement.path(), bytes) && replacement.commit();
}
