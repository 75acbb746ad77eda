// Text between the program (UTF-8 std::string) and the toolkit (wxString).
#pragma once

#include <wx/string.h>

#include <string>
#include <string_view>

namespace keyloom::ui {

inline wxString toWx(std::string_view utf8) {
    return wxString::FromUTF8(utf8.data(), utf8.size());
}

inline std::string fromWx(const wxString& text) { return text.utf8_string(); }

}  // namespace keyloom::ui
