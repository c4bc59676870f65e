#include "StatusNote.h"

#include <algorithm>

namespace {

constexpr const char* Ellipsis = "\xE2\x80\xA6";
// Characters a shortened name keeps at least: its start, and its end with the extension.
constexpr std::size_t LeastKept = 12;

// Where each UTF-8 character starts, and the text's end.
std::vector<std::size_t> characterStarts(const std::string& text) {
    std::vector<std::size_t> starts;
    for (std::size_t at = 0; at < text.size(); ++at)
        if ((static_cast<unsigned char>(text[at]) & 0xC0) != 0x80)
            starts.push_back(at);
    starts.push_back(text.size());
    return starts;
}

// The name in keep characters: its first half and its last, "…" between.
std::string middleCut(const std::string& name, std::size_t keep) {
    const auto starts = characterStarts(name);
    const std::size_t length = starts.size() - 1;
    if (length <= keep)
        return name;
    const std::size_t tail = keep / 2, head = keep - 1 - tail;
    // Appended piece by piece, which GCC 12's string warnings at -O3 accept.
    std::string cut = name.substr(0, starts[head]);
    cut += Ellipsis;
    cut.append(name, starts[length - tail]);
    return cut;
}

} // namespace

StatusNote& StatusNote::text(std::string words) {
    m_parts.push_back({std::move(words), false});
    return *this;
}

StatusNote& StatusNote::name(std::string fileName) {
    m_parts.push_back({std::move(fileName), true});
    return *this;
}

std::string StatusNote::whole() const {
    return shortened(std::string::npos);
}

std::string StatusNote::shortened(std::size_t keep) const {
    std::string text;
    for (const Part& part : m_parts) {
        if (!part.isName) {
            text += part.text;
            continue;
        }
        text += '"';
        text += middleCut(part.text, keep);
        text += '"';
    }
    return text;
}

std::string StatusNote::fitted(int width, const TextWidth& measure) const {
    std::size_t longest = 0;
    for (const Part& part : m_parts)
        if (part.isName)
            longest = std::max(longest, characterStarts(part.text).size() - 1);
    if (longest <= LeastKept || measure(whole()) <= width)
        return whole();
    // The most characters each name may keep so that the note fits.
    std::size_t fits = LeastKept, tooMany = longest;
    while (tooMany - fits > 1) {
        const std::size_t keep = fits + (tooMany - fits) / 2;
        (measure(shortened(keep)) <= width ? fits : tooMany) = keep;
    }
    return shortened(fits);
}
