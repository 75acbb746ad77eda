// The about box: the picture, the program's name and version, and a label
// "Okay!" that reads "Click Here!" under the pointer and closes the box when
// clicked. It does not block the main window.
#pragma once

#include <wx/frame.h>

namespace keyloom::ui {

inline constexpr const char* kOkayCaption = "Okay!";
inline constexpr const char* kOkayHoverCaption = "Click Here!";

class aboutT final : public wxFrame {
public:
    aboutT();
};

}  // namespace keyloom::ui
