#include "ui/main/singleCopy.h"

#include <wx/filefn.h>
#include <wx/filename.h>
#include <wx/ipc.h>
#include <wx/log.h>
#include <wx/snglinst.h>
#include <wx/utils.h>

#include <utility>
#include <vector>

namespace keyloom::ui {
namespace {

constexpr const char* kTopic = "open";

// The running copy's side of a hand-over: the data is the file's path.
class Receiver final : public wxConnection {
public:
    explicit Receiver(const std::function<void(const std::string&)>& open) : open_(open) {}
    bool OnExecute(const wxString&, const void* data, size_t size, wxIPCFormat) override {
        open_(std::string(static_cast<const char*>(data), size));
        return true;
    }

private:
    std::function<void(const std::string&)> open_;
};

class Listener final : public wxServer {
public:
    explicit Listener(std::function<void(const std::string&)> open) : open_(std::move(open)) {}
    wxConnectionBase* OnAcceptConnection(const wxString& topic) override {
        return topic == kTopic ? new Receiver(open_) : nullptr;
    }

private:
    std::function<void(const std::string&)> open_;
};

}  // namespace

SingleCopy::SingleCopy() {
    wxLogNull quiet;  // a folder that will not take the lock is no error: the next will
    const wxString user = wxGetUserId();
    wxString runtime;
    struct Place {
        wxString folder, stem;
    };
    std::vector<Place> places;
    if (wxGetEnv("XDG_RUNTIME_DIR", &runtime) && !runtime.empty() && wxDirExists(runtime))
        places.push_back({runtime, "keyloom"});
    places.push_back({wxGetHomeDir(), ".keyloom"});
    places.push_back({wxFileName::GetTempDir(), "keyloom-" + user});
    for (const Place& place : places) {
        auto lock = std::make_unique<wxSingleInstanceChecker>();
        if (!lock->Create(place.stem + ".lock", place.folder)) continue;
        lock_ = std::move(lock);
#ifdef __WINDOWS__
        service_ = ("keyloom-" + user).utf8_string();
#else
        service_ = (place.folder + "/" + place.stem + ".socket").utf8_string();
#endif
        return;
    }
}

SingleCopy::~SingleCopy() = default;

bool SingleCopy::anotherRunning() const { return lock_ && lock_->IsAnotherRunning(); }

bool SingleCopy::handOver(const std::string& path) const {
    if (service_.empty()) return false;
    wxLogNull quiet;
    wxFileName file(wxString::FromUTF8(path));
    file.MakeAbsolute();
    const std::string absolute = file.GetFullPath().utf8_string();
    wxClient client;
    std::unique_ptr<wxConnectionBase> connection(
        client.MakeConnection("localhost", wxString::FromUTF8(service_), kTopic));
    if (!connection) return false;
    bool sent = connection->Execute(absolute.data(), absolute.size(), wxIPC_PRIVATE);
    connection->Disconnect();
    return sent;
}

void SingleCopy::listen(std::function<void(const std::string&)> open) {
    if (service_.empty()) return;
    wxLogNull quiet;
    auto server = std::make_unique<Listener>(std::move(open));
    if (server->Create(wxString::FromUTF8(service_))) server_ = std::move(server);
}

}  // namespace keyloom::ui
