// The editor window on wxWidgets: the text box filling the window, the
// command palette in front of its right part, the File and Edit menus, each
// event handed to the handler of the same name in macroEditor.
#pragma once

#include <wx/frame.h>

#include <vector>

#include "ui/common/services.h"
#include "ui/editor/macroEditor.h"

class wxListBox;
class wxMenu;
class wxMenuItem;
class wxPanel;
class wxStaticBox;
class wxTextCtrl;

namespace keyloom::ui {

class macroEditorFrame final : public wxFrame, public macroEditorView {
public:
    // Created hidden; Form_Load has run when the constructor returns.
    explicit macroEditorFrame(Services& services);

    macroEditor& handlers() { return handlers_; }

    // Closing is put off while one of our handlers runs (it may be waiting
    // inside a dialog); the window goes when the handler returns.
    bool Destroy() override;

    // macroEditorView.
    std::string text() const override;
    void setText(const std::string& text) override;
    void appendText(const std::string& text) override;
    std::string selectedText() const override;
    void replaceSelection(const std::string& text) override;
    void setCaption(const std::string& caption) override;
    void enableCutCopy(bool enabled) override;
    void showRecentSeparator() override;
    void addRecentItem(const std::string& fileName) override;
    void unloadWindow() override;

private:
    void Form_Load();
    void Form_Resize();
    void createControls();
    void createMenus();
    void bindEvents();
    // Runs a handler of macroEditor; a close asked for meanwhile happens after it.
    template <typename Handler>
    void run(Handler&& handler);

    int running_ = 0;
    bool destroyPending_ = false;

    wxPanel* panel_ = nullptr;
    wxTextCtrl* txtEdit = nullptr;
    wxStaticBox* Frame1 = nullptr;
    wxListBox* List1 = nullptr;
    wxMenu* mnuFile = nullptr;
    wxMenu* mnuEdit = nullptr;
    std::vector<wxMenuItem*> mnuEditItem;
    bool recentSeparatorShown_ = false;
    int recentCount_ = 0;

    macroEditor handlers_;
};

}  // namespace keyloom::ui
