// The program's picture: a key cap with a loop, drawn at any size.
#pragma once

#include <wx/bitmap.h>
#include <wx/iconbndl.h>

namespace keyloom::ui {

wxBitmap keyloomBitmap(int size);
// The picture at the sizes window managers ask for.
wxIconBundle keyloomIcons();

}  // namespace keyloom::ui
