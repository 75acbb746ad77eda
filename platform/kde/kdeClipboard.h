// The clipboard of KWin's seat (wlr data control), for text that no key
// gives: the text is offered for a paste, then what the clipboard held before
// is offered again, every type of it. It has a Wayland connection and a
// thread of its own, so that a program pasting from us is answered whenever
// it asks, while the desktop types or waits.
#pragma once

#include <chrono>
#include <memory>
#include <string>

namespace keyloom::platform {

class Clipboard {
public:
    // Nothing when the compositor offers no data control, with the reason.
    static std::unique_ptr<Clipboard> open(std::string* error);
    ~Clipboard();
    Clipboard(const Clipboard&) = delete;
    Clipboard& operator=(const Clipboard&) = delete;

    // Makes `text` the clipboard's content (what it held is kept the first
    // time); true once the compositor has it.
    bool offer(const std::string& text);
    // Whether a program read the text offered last within `within`.
    bool awaitTaken(std::chrono::milliseconds within);
    // The clipboard's content as before the first offer().
    void restore();

    struct Impl;

private:
    explicit Clipboard(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> impl_;
};

}  // namespace keyloom::platform
