// One copy of the program per user. The first copy holds a lock and listens
// for later copies; a later copy started with a macro file hands the file
// over (the desktop opens macro files this way) and ends, and the first
// copy loads it.
#pragma once

#include <functional>
#include <memory>
#include <string>

class wxServerBase;
class wxSingleInstanceChecker;

namespace keyloom::ui {

class SingleCopy {
public:
    // Takes the lock in the first folder that will hold it: the session's
    // runtime folder, the home folder, the temporary folder (per user). No
    // failure is shown: with no folder at all, every copy runs.
    SingleCopy();
    ~SingleCopy();
    SingleCopy(const SingleCopy&) = delete;
    SingleCopy& operator=(const SingleCopy&) = delete;

    bool anotherRunning() const;
    // Hands the file at `path` to the running copy; false when it cannot be
    // reached.
    bool handOver(const std::string& path) const;
    // Called by the running copy: each file a later copy hands over goes to
    // `open`, on the event loop.
    void listen(std::function<void(const std::string&)> open);

private:
    std::unique_ptr<wxSingleInstanceChecker> lock_;
    std::string service_;  // where the running copy listens
    std::unique_ptr<wxServerBase> server_;
};

}  // namespace keyloom::ui
