// What the status line says: fixed words and quoted file names. A note wider than the line is
// shortened in the middle of its names, never in its words, so that its meaning survives.
#pragma once

#include <functional>
#include <string>
#include <vector>

class StatusNote {
public:
    // How wide a text is drawn, in whatever unit the width is given in.
    using TextWidth = std::function<int(const std::string& text)>;

    StatusNote() = default;
    // Words only.
    StatusNote(std::string words) { text(std::move(words)); }
    StatusNote(const char* words) : StatusNote(std::string(words)) {}

    StatusNote& text(std::string words);
    // A file's name or path, shown in double quotes.
    StatusNote& name(std::string fileName);

    std::string whole() const;
    // The note as it fits the width: whole, or with its longest names cut in their middles to
    // "…", each keeping its first and last few characters; never shorter than that.
    std::string fitted(int width, const TextWidth& measure) const;

    bool operator==(const StatusNote&) const = default;

private:
    struct Part {
        std::string text;
        bool isName = false;
        bool operator==(const Part&) const = default;
    };
    // The note with every name longer than keep characters cut to keep of them.
    std::string shortened(std::size_t keep) const;

    std::vector<Part> m_parts;
};
