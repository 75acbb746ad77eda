// The entries a run reads: the main window's list box, or a list loaded from a file.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "engine/globalVariables.h"

namespace keyloom {

class MacroList {
public:
    virtual ~MacroList() = default;
    virtual Index count() const = 0;
    // The entry at `index`, 0 <= index < count().
    virtual std::string entry(Index index) const = 0;
};

// A list held in memory; edits between two reads are seen by the runner.
class VectorList final : public MacroList {
public:
    VectorList() = default;
    explicit VectorList(std::vector<std::string> entries) : entries_(std::move(entries)) {}

    Index count() const override { return static_cast<Index>(entries_.size()); }
    std::string entry(Index index) const override {
        return entries_[static_cast<std::size_t>(index)];
    }
    std::vector<std::string>& entries() { return entries_; }

private:
    std::vector<std::string> entries_;
};

}  // namespace keyloom
