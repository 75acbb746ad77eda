// List1, the main window's macro list: the entries byte for byte, drawn only
// where they show. A list of a million entries fills at once and costs
// little more than its text; an entry of megabytes is drawn shortened.
#pragma once

#include <wx/vlbox.h>

#include <string>
#include <string_view>
#include <vector>

#include "files/listReader.h"

namespace keyloom::ui {

// Longer entries are shown shortened, ending in an ellipsis.
inline constexpr std::size_t kShownBytes = 512;

// An entry as the list shows it: a NUL (which would end the text there) as
// the symbol for NUL, a very long entry cut short.
wxString shownEntry(std::string_view entry);

class EntryList final : public wxVListBox {
public:
    EntryList(wxWindow* parent, const wxPoint& pos, const wxSize& size);

    Index count() const;
    std::string_view entry(Index index) const;
    // The selected entry follows its entry as others come and go.
    void insert(Index index, const std::string& entry);
    void remove(Index index);
    void replace(LineList entries);
    // The entry at this point of the list, -1 below the last.
    Index entryAt(const wxPoint& point) const;

private:
    void OnDrawItem(wxDC& dc, const wxRect& rect, size_t n) const override;
    wxCoord OnMeasureItem(size_t n) const override;
    void changed();
    // From the first edit on, the entries one by one.
    std::vector<std::string>& edited();

    // A loaded file's entries, packed as read, until the list is edited.
    LineList loaded_;
    std::vector<std::string> edited_;
    bool isEdited_ = false;
};

}  // namespace keyloom::ui
