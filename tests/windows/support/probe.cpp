#include "probe.h"

#include <cstdlib>

namespace keyloom::test {

std::wstring probeProgram() { return L"\"" + buildPath(KEYLOOM_WINPROBE) + L"\""; }

std::wstring playerProgram() { return L"\"" + buildPath(KEYLOOM_PLAY) + L"\""; }

bool eventually(const std::function<bool()>& condition, std::chrono::milliseconds timeout) {
    auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= deadline) return false;
        Sleep(20);
    }
    return true;
}

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

Probe::Probe(const std::string& title, std::chrono::milliseconds lifetime,
             const std::string& options)
    : title_(title),
      process_(probeProgram() + L" \"" + wide(title) + L"\" " + wide(options), lifetime) {
    ready_ = process_.waitForLine([](const std::string& l) { return l == "ready"; }, 30s);
    mark();
}

HWND Probe::window() const { return FindWindowW(L"KeyloomProbe", wide(title_).c_str()); }

bool Probe::waitFor(const std::string& line, std::chrono::milliseconds timeout) {
    return process_.waitForLine([&line](const std::string& l) { return l == line; }, timeout, from_);
}

bool Probe::waitForPrefix(const std::string& prefix, std::chrono::milliseconds timeout) {
    return process_.waitForLine([&prefix](const std::string& l) { return l.rfind(prefix, 0) == 0; },
                                timeout, from_);
}

std::optional<std::pair<long, bool>> Probe::keyCount() {
    mark();
    auto isCount = [](const std::string& l) { return l.rfind("count ", 0) == 0; };
    if (!process_.writeInput("count\n") || !process_.waitForLine(isCount, 10s, from_))
        return std::nullopt;
    for (const std::string& line : linesAfterMark({"count "})) {
        long events = std::atol(line.c_str() + 6);
        return std::make_pair(events, line.find(" in-order") != std::string::npos);
    }
    return std::nullopt;
}

std::vector<std::string> Probe::linesAfterMark(const std::vector<std::string>& prefixes) const {
    std::vector<std::string> all = process_.lines();
    std::vector<std::string> out;
    for (std::size_t i = from_; i < all.size(); ++i)
        for (const std::string& p : prefixes)
            if (all[i].rfind(p, 0) == 0) {
                out.push_back(all[i]);
                break;
            }
    return out;
}

}  // namespace keyloom::test
