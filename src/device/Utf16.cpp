#include "Utf16.h"

#include "files/Utf8Text.h"

namespace {

constexpr char32_t Replacement = 0xFFFD;

} // namespace

std::u16string toUtf16(const std::string& utf8) {
    std::u16string out;
    for (std::size_t i = 0; i < utf8.size();) {
        const auto sequence = utf8SequenceAt(utf8, i);
        if (!sequence) {
            out += static_cast<char16_t>(Replacement);
            ++i;
            continue;
        }
        if (char32_t c = sequence->codePoint; c >= 0x10000) {
            c -= 0x10000;
            out += static_cast<char16_t>(0xD800 + (c >> 10));
            out += static_cast<char16_t>(0xDC00 + (c & 0x3FF));
        } else {
            out += static_cast<char16_t>(c);
        }
        i += sequence->length;
    }
    return out;
}

std::string fromUtf16(const std::u16string& utf16) {
    std::string out;
    for (std::size_t i = 0; i < utf16.size(); ++i) {
        const char32_t unit = utf16[i];
        if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < utf16.size() && utf16[i + 1] >= 0xDC00 &&
            utf16[i + 1] <= 0xDFFF) {
            appendUtf8(out, 0x10000 + ((unit - 0xD800) << 10) + (utf16[i + 1] - 0xDC00));
            ++i;
        } else if (unit >= 0xD800 && unit <= 0xDFFF) {
            appendUtf8(out, Replacement);
        } else {
            appendUtf8(out, unit);
        }
    }
    return out;
}

std::vector<std::uint8_t> utf16Bytes(const std::string& utf8) {
    std::vector<std::uint8_t> bytes;
    for (const char16_t unit : toUtf16(utf8)) {
        bytes.push_back(static_cast<std::uint8_t>(unit & 0xFF));
        bytes.push_back(static_cast<std::uint8_t>(unit >> 8));
    }
    bytes.insert(bytes.end(), {0, 0});
    return bytes;
}

std::u16string utf16Units(const std::uint8_t* bytes, std::size_t size) {
    std::u16string units;
    for (std::size_t i = 0; i + 1 < size; i += 2)
        units += static_cast<char16_t>(bytes[i] | (bytes[i + 1] << 8));
    return units;
}
