#include "ui/main/entryList.h"

#include <wx/dc.h>
#include <wx/settings.h>

#include <algorithm>

#include "ui/common/wxText.h"

namespace keyloom::ui {

wxString shownEntry(std::string_view entry) {
    std::size_t end = std::min(entry.size(), kShownBytes);
    // Cut at a character's start, not inside it.
    while (end < entry.size() && end > 0 && (static_cast<unsigned char>(entry[end]) & 0xC0) == 0x80)
        --end;
    std::string text;
    text.reserve(end + 3);
    for (char c : entry.substr(0, end)) {
        if (c == '\0')
            text += "\xE2\x90\x80";
        else
            text += c;
    }
    if (end < entry.size()) text += "\xE2\x80\xA6";
    return toWx(text);
}

EntryList::EntryList(wxWindow* parent, const wxPoint& pos, const wxSize& size)
    : wxVListBox(parent, wxID_ANY, pos, size, wxBORDER_THEME) {}

void EntryList::insert(Index index, const std::string& entry) {
    int selected = GetSelection();
    entries_.insert(entries_.begin() + static_cast<std::ptrdiff_t>(index), entry);
    changed();
    if (selected >= index) SetSelection(selected + 1);
}

void EntryList::remove(Index index) {
    int selected = GetSelection();
    entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(index));
    changed();
    if (selected == index)
        SetSelection(wxNOT_FOUND);
    else if (selected > index)
        SetSelection(selected - 1);
}

void EntryList::replace(std::vector<std::string> entries) {
    entries_ = std::move(entries);
    SetSelection(wxNOT_FOUND);
    changed();
}

Index EntryList::entryAt(const wxPoint& point) const {
    int row = VirtualHitTest(point.y);
    return row == wxNOT_FOUND ? -1 : row;
}

void EntryList::changed() {
    SetItemCount(entries_.size());
    RefreshAll();
}

void EntryList::OnDrawItem(wxDC& dc, const wxRect& rect, size_t n) const {
    const bool highlighted = IsSelected(n) && HasFocus();
    dc.SetTextForeground(highlighted ? wxSystemSettings::GetColour(wxSYS_COLOUR_HIGHLIGHTTEXT)
                                     : GetForegroundColour());
    dc.SetFont(GetFont());
    dc.DrawText(shownEntry(entries_[n]), rect.x + FromDIP(3), rect.y + FromDIP(1));
}

wxCoord EntryList::OnMeasureItem(size_t) const { return GetCharHeight() + FromDIP(3); }

}  // namespace keyloom::ui
