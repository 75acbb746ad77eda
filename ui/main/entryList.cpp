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

Index EntryList::count() const {
    return isEdited_ ? static_cast<Index>(edited_.size()) : loaded_.count();
}

std::string_view EntryList::entry(Index index) const {
    return isEdited_ ? std::string_view(edited_[static_cast<std::size_t>(index)]) : loaded_.view(index);
}

std::vector<std::string>& EntryList::edited() {
    if (!isEdited_) {
        edited_.reserve(static_cast<std::size_t>(loaded_.count()));
        for (Index i = 0; i < loaded_.count(); ++i) edited_.emplace_back(loaded_.view(i));
        loaded_ = LineList();
        isEdited_ = true;
    }
    return edited_;
}

void EntryList::insert(Index index, const std::string& entry) {
    int selected = GetSelection();
    auto& entries = edited();
    entries.insert(entries.begin() + static_cast<std::ptrdiff_t>(index), entry);
    changed();
    if (selected >= index) SetSelection(selected + 1);
}

void EntryList::remove(Index index) {
    int selected = GetSelection();
    auto& entries = edited();
    entries.erase(entries.begin() + static_cast<std::ptrdiff_t>(index));
    changed();
    if (selected == index)
        SetSelection(wxNOT_FOUND);
    else if (selected > index)
        SetSelection(selected - 1);
}

void EntryList::replace(LineList entries) {
    loaded_ = std::move(entries);
    edited_ = {};
    isEdited_ = false;
    SetSelection(wxNOT_FOUND);
    changed();
}

Index EntryList::entryAt(const wxPoint& point) const {
    int row = VirtualHitTest(point.y);
    return row == wxNOT_FOUND ? -1 : row;
}

void EntryList::changed() {
    SetItemCount(static_cast<std::size_t>(count()));
    RefreshAll();
}

void EntryList::OnDrawItem(wxDC& dc, const wxRect& rect, size_t n) const {
    const bool highlighted = IsSelected(n) && HasFocus();
    dc.SetTextForeground(highlighted ? wxSystemSettings::GetColour(wxSYS_COLOUR_HIGHLIGHTTEXT)
                                     : GetForegroundColour());
    dc.SetFont(GetFont());
    dc.DrawText(shownEntry(entry(static_cast<Index>(n))), rect.x + FromDIP(3), rect.y + FromDIP(1));
}

wxCoord EntryList::OnMeasureItem(size_t) const { return GetCharHeight() + FromDIP(3); }

}  // namespace keyloom::ui
