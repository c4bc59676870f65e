// Conversions between the program's UTF-8 text and wxString, kept in one place.
#pragma once

#include <wx/string.h>

#include <string>

inline wxString toWx(const std::string& text) {
    return wxString::FromUTF8(text);
}
inline std::string fromWx(const wxString& text) {
    return text.utf8_string();
}
