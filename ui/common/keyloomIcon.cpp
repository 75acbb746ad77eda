#include "ui/common/keyloomIcon.h"

#include <wx/brush.h>
#include <wx/graphics.h>
#include <wx/icon.h>
#include <wx/pen.h>
#include <wx/image.h>

#include <algorithm>
#include <cmath>
#include <memory>

namespace keyloom::ui {

wxBitmap keyloomBitmap(int size) {
    wxImage image(size, size);
    image.InitAlpha();
    std::fill_n(image.GetAlpha(), size * size, static_cast<unsigned char>(0));
    {
        std::unique_ptr<wxGraphicsContext> gc(wxGraphicsContext::Create(image));
        const double s = size / 32.0;
        // The key cap: a dark rim and a lighter top face.
        gc->SetPen(wxPen(wxColour(40, 52, 74), std::max(1, static_cast<int>(s))));
        gc->SetBrush(wxBrush(wxColour(70, 90, 125)));
        gc->DrawRoundedRectangle(1 * s, 2 * s, 30 * s, 28 * s, 5 * s);
        gc->SetPen(*wxTRANSPARENT_PEN);
        gc->SetBrush(wxBrush(wxColour(236, 240, 247)));
        gc->DrawRoundedRectangle(4 * s, 4 * s, 24 * s, 20 * s, 3.5 * s);
        // The loop: an arc with an arrow head, the thread of a macro.
        gc->SetPen(wxPen(wxColour(230, 126, 34), std::max(2, static_cast<int>(std::lround(2.4 * s)))));
        gc->SetBrush(*wxTRANSPARENT_BRUSH);
        // From its first point: a path without one starts at the origin on
        // some renderers (GDI+), which joins the origin to the arc.
        const double cx = 16 * s, cy = 14 * s, r = 6.5 * s, from = 0.25 * M_PI, to = 1.85 * M_PI;
        wxGraphicsPath arc = gc->CreatePath();
        arc.MoveToPoint(cx + r * std::cos(from), cy + r * std::sin(from));
        arc.AddArc(cx, cy, r, from, to, true);
        gc->StrokePath(arc);
        gc->SetPen(*wxTRANSPARENT_PEN);
        gc->SetBrush(wxBrush(wxColour(230, 126, 34)));
        wxGraphicsPath head = gc->CreatePath();
        head.MoveToPoint(24.5 * s, 8.5 * s);
        head.AddLineToPoint(24.5 * s, 15.5 * s);
        head.AddLineToPoint(18.0 * s, 11.5 * s);
        head.CloseSubpath();
        gc->FillPath(head);
        // The key's shadow edge.
        gc->SetBrush(wxBrush(wxColour(52, 68, 96)));
        gc->DrawRectangle(5 * s, 25.5 * s, 22 * s, 1.5 * s);
    }
    return wxBitmap(image);
}

wxIconBundle keyloomIcons() {
    wxIconBundle icons;
    for (int size : {16, 32}) {
        wxIcon icon;
        icon.CopyFromBitmap(keyloomBitmap(size));
        icons.AddIcon(icon);
    }
    return icons;
}

}  // namespace keyloom::ui
