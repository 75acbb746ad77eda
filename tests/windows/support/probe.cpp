#include "probe.h"

#include <cstdlib>

namespace keyloom::test {

std::string buildPath(const char* path) {
    std::string p = path;
    if (!p.empty() && p[0] == '/') p = "Z:" + p;
    for (char& c : p)
        if (c == '/') c = '\\';
    return p;
}

std::string probeProgram() { return buildPath(KEYLOOM_WINPROBE); }

std::string playerProgram() { return buildPath(KEYLOOM_PLAY); }

bool settleCursor(int x, int y) {
    int steady = 0;
    return eventually([&] {
        POINT p{};
        GetCursorPos(&p);
        if (p.x != x || p.y != y) {
            SetCursorPos(x, y);
            steady = 0;
        }
        Sleep(30);
        return ++steady >= 3;
    });
}

Probe::Probe(const std::string& title, const std::string& option) : title_(title) {
    std::vector<std::string> argv{probeProgram(), title};
    if (!option.empty()) argv.push_back(option);
    ready_ = process_.start(argv) && waitUntil([](const std::string& l) { return l == "ready"; }, 30);
    mark();
}

HWND Probe::window() const { return FindWindowW(L"KeyloomProbe", wide(title_).c_str()); }

void Probe::mark() {
    waitUntil([](const std::string&) { return false; }, 0);
    from_ = lines_.size();
}

bool Probe::waitUntil(const std::function<bool(const std::string&)>& match, double timeoutSeconds) {
    for (std::size_t i = from_; i < lines_.size(); ++i)
        if (match(lines_[i])) return true;
    const double deadline = monotonicNow() + timeoutSeconds;
    while (auto line = process_.readLine(std::max(deadline - monotonicNow(), 0.0))) {
        lines_.push_back(*line);
        if (match(*line)) return true;
    }
    return false;
}

bool Probe::waitFor(const std::string& line, double timeoutSeconds) {
    return waitUntil([&line](const std::string& l) { return l == line; }, timeoutSeconds);
}

bool Probe::waitForPrefix(const std::string& prefix, double timeoutSeconds) {
    return waitUntil([&prefix](const std::string& l) { return l.rfind(prefix, 0) == 0; }, timeoutSeconds);
}

std::optional<std::pair<long, bool>> Probe::keyCount() {
    mark();
    process_.writeLine("count");
    if (!waitForPrefix("count ")) return std::nullopt;
    const std::string& line = lines_.back();
    return std::make_pair(std::atol(line.c_str() + 6), line.find(" in-order") != std::string::npos);
}

std::vector<std::string> Probe::linesAfterMark(const std::vector<std::string>& prefixes) {
    waitUntil([](const std::string&) { return false; }, 0);
    std::vector<std::string> out;
    for (std::size_t i = from_; i < lines_.size(); ++i)
        for (const std::string& p : prefixes)
            if (lines_[i].rfind(p, 0) == 0) {
                out.push_back(lines_[i]);
                break;
            }
    return out;
}

}  // namespace keyloom::test
