#include "Utf8Text.h"

#include <algorithm>

namespace {

// The second byte's range narrows what the lead byte allows to the shortest forms of U+0080 to
// U+10FFFF without surrogates; later bytes are any continuation byte.
struct Lead {
    std::size_t length;
    unsigned char low, high;
};

Lead leadOf(unsigned char byte) {
    if (byte >= 0xC2 && byte <= 0xDF)
        return {2, 0x80, 0xBF};
    if (byte == 0xE0)
        return {3, 0xA0, 0xBF};
    if (byte == 0xED)
        return {3, 0x80, 0x9F};
    if (byte >= 0xE1 && byte <= 0xEF)
        return {3, 0x80, 0xBF};
    if (byte == 0xF0)
        return {4, 0x90, 0xBF};
    if (byte >= 0xF1 && byte <= 0xF3)
        return {4, 0x80, 0xBF};
    if (byte == 0xF4)
        return {4, 0x80, 0x8F};
    return {0, 0, 0};
}

// Windows-1252 from 0x80 to 0x9F; the rest of its upper half is Latin-1. Its undefined bytes
// become U+FFFD rather than the C1 controls Windows maps them to: no control character is let
// into a file name or a list row.
constexpr char16_t Windows1252From80[32] = {
    0x20AC, 0xFFFD, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, //
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0xFFFD, 0x017D, 0xFFFD, //
    0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, //
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0xFFFD, 0x017E, 0x0178};

} // namespace

std::optional<Utf8Sequence> utf8SequenceAt(std::string_view text, std::size_t at) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[at + k]); };
    if (byte(0) < 0x80)
        return Utf8Sequence{byte(0), 1};
    const Lead lead = leadOf(byte(0));
    if (lead.length == 0 || text.size() - at < lead.length || byte(1) < lead.low ||
        byte(1) > lead.high)
        return std::nullopt;
    char32_t codePoint = byte(0) & (0x7F >> lead.length);
    for (std::size_t k = 1; k < lead.length; ++k) {
        if ((byte(k) & 0xC0) != 0x80)
            return std::nullopt;
        codePoint = (codePoint << 6) | (byte(k) & 0x3F);
    }
    return Utf8Sequence{codePoint, lead.length};
}

void appendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

bool isUtf8(std::string_view text) {
    for (std::size_t i = 0; i < text.size();) {
        const auto sequence = utf8SequenceAt(text, i);
        if (!sequence)
            return false;
        i += sequence->length;
    }
    return true;
}

std::string asUtf8(const std::string& text) {
    // A name is taken whole in one encoding: a 1252 name never has part of it read as UTF-8.
    if (isUtf8(text))
        return text;
    std::string utf8;
    utf8.reserve(text.size() * 2);
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        appendUtf8(utf8, byte >= 0x80 && byte < 0xA0 ? Windows1252From80[byte - 0x80] : byte);
    }
    return utf8;
}

std::string wrappableText(const std::string& text, std::size_t maxRun) {
    const auto startsCharacter = [](char c) {
        return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    };
    std::string out;
    std::size_t run = 0; // characters since the last space or line break
    std::size_t afterSeparator = std::string::npos;
    for (const char c : text) {
        if (c == ' ' || c == '\n') {
            out += c;
            run = 0, afterSeparator = std::string::npos;
            continue;
        }
        if (startsCharacter(c) && run == maxRun) {
            if (afterSeparator == std::string::npos) {
                out += '\n';
                run = 0;
            } else {
                out.insert(afterSeparator, 1, '\n');
                run = static_cast<std::size_t>(std::count_if(
                    out.begin() + std::ptrdiff_t(afterSeparator) + 1, out.end(), startsCharacter));
            }
            afterSeparator = std::string::npos;
        }
        out += c;
        run += startsCharacter(c) ? 1 : 0;
        if (c == '/' || c == '\\')
            afterSeparator = out.size();
    }
    return out;
}
