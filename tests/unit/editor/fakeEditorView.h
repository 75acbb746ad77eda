// The editor's controls as plain data, for its handlers under test.
#pragma once

#include <string>
#include <vector>

#include "ui/editor/macroEditor.h"

namespace keyloom::test {

struct FakeEditorView : ui::macroEditorView {
    std::string textValue;
    // The selection as positions into textValue; equal when there is none.
    std::size_t selFrom = 0;
    std::size_t selTo = 0;
    std::string captionValue = "Tervel's Keyloom";
    bool cutCopyEnabled = true;
    bool separatorShown = false;
    std::vector<std::string> recentItems;
    int unloads = 0;

    std::string text() const override { return textValue; }
    void setText(const std::string& text) override {
        textValue = text;
        selFrom = selTo = 0;
    }
    void appendText(const std::string& text) override { textValue += text; }
    std::string selectedText() const override { return textValue.substr(selFrom, selTo - selFrom); }
    void replaceSelection(const std::string& text) override {
        textValue.replace(selFrom, selTo - selFrom, text);
        selFrom = selTo = selFrom + text.size();
    }
    void setCaption(const std::string& caption) override { captionValue = caption; }
    void enableCutCopy(bool enabled) override { cutCopyEnabled = enabled; }
    void showRecentSeparator() override { separatorShown = true; }
    void addRecentItem(const std::string& fileName) override { recentItems.push_back(fileName); }
    void unloadWindow() override { ++unloads; }

    void select(std::size_t from, std::size_t to) {
        selFrom = from;
        selTo = to;
    }
};

}  // namespace keyloom::test
