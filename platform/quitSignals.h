// The windowed program ends on SIGTERM, SIGHUP and SIGINT (logout, `kill`,
// the terminal it was started from going away) as when its main window is
// closed. The signals are taken in by the toolkit's event loop, so the
// reaction runs on the window thread whenever window events run, in the
// middle of a run too. Windows sends a windowed program no such signals.
#pragma once

#include <functional>

namespace keyloom::platform {

#ifdef _WIN32

class QuitSignals {
public:
    explicit QuitSignals(std::function<void()>) {}
};

#else

class QuitSignals {
public:
    // `onSignal` runs on the window thread for each of the signals, from
    // construction until destruction.
    explicit QuitSignals(std::function<void()> onSignal);
    ~QuitSignals();
    QuitSignals(const QuitSignals&) = delete;
    QuitSignals& operator=(const QuitSignals&) = delete;

private:
    std::function<void()> onSignal_;
    unsigned sources_[3] = {};
};

#endif

}  // namespace keyloom::platform
