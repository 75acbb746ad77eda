#include "support/probeProcess.h"

#include <sstream>

namespace keyloom::test {

std::string playerPath() { return KEYLOOM_PLAY; }
std::string probePath() { return KEYLOOM_PROBE; }

ProbeEvent parseProbeLine(const std::string& line) {
    ProbeEvent event;
    event.line = line;
    std::istringstream in(line);
    in >> event.kind;
    std::string field;
    while (in >> field) {
        std::size_t eq = field.find('=');
        if (eq == std::string::npos) continue;
        std::string key = field.substr(0, eq);
        std::string value = field.substr(eq + 1);
        if (key == "name") {
            event.name = value;
            continue;
        }
        unsigned long v = 0;
        try {
            v = std::stoul(value, nullptr, value.rfind("0x", 0) == 0 ? 16 : 10);
        } catch (...) {
            continue;
        }
        if (key == "keycode") event.keycode = static_cast<unsigned>(v);
        else if (key == "keysym") event.keysym = v;
        else if (key == "state") event.state = static_cast<unsigned>(v);
        else if (key == "button") event.button = static_cast<unsigned>(v);
        else if (key == "x") event.x = std::stoi(value);
        else if (key == "y") event.y = std::stoi(value);
        else if (key == "time") event.time = v;
        else if (key == "width") event.width = static_cast<int>(v);
        else if (key == "height") event.height = static_cast<int>(v);
    }
    return event;
}

std::vector<ProbeEvent> keysAndButtons(const std::vector<ProbeEvent>& events) {
    std::vector<ProbeEvent> out;
    for (const ProbeEvent& e : events)
        if (e.isKey() || e.isButton()) out.push_back(e);
    return out;
}

ProbeProcess::ProbeProcess(std::string title, std::vector<std::string> options, std::string program)
    : title_(std::move(title)), options_(std::move(options)), program_(std::move(program)) {}

bool ProbeProcess::start(double timeoutSeconds) {
    std::vector<std::string> argv{program_.empty() ? probePath() : program_};
    argv.insert(argv.end(), options_.begin(), options_.end());
    argv.push_back(title_);
    if (!process_.start(argv, &error_)) return false;
    auto line = process_.readLine(timeoutSeconds);
    if (!line || line->rfind("ready", 0) != 0) {
        error_ = "the probe did not report ready" + (line ? ": " + *line : std::string());
        return false;
    }
    ready_ = parseProbeLine(*line);
    return true;
}

std::vector<ProbeEvent> ProbeProcess::readUntil(
    const std::function<bool(const ProbeEvent&)>& stop, double timeoutSeconds, bool* found) {
    const double deadline = monotonicNow() + timeoutSeconds;
    std::vector<ProbeEvent> events;
    if (found != nullptr) *found = false;
    for (;;) {
        double left = deadline - monotonicNow();
        auto line = process_.readLine(left > 0 ? left : 0);
        if (!line) return events;
        events.push_back(parseProbeLine(*line));
        if (stop(events.back())) {
            if (found != nullptr) *found = true;
            return events;
        }
    }
}

std::vector<ProbeEvent> ProbeProcess::sync(double timeoutSeconds, bool* done) {
    process_.writeLine("sync");
    auto events = readUntil([](const ProbeEvent& e) { return e.kind == "synced"; },
                            timeoutSeconds, done);
    if (!events.empty() && events.back().kind == "synced") events.pop_back();
    return events;
}

std::optional<int> ProbeProcess::stop() {
    process_.writeLine("quit");
    process_.closeInput();
    return process_.wait(30);
}

}  // namespace keyloom::test
