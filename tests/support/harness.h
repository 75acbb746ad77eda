// A macro list, run state, fake desktop and engine, fresh for each test.
#pragma once

#include <string>
#include <vector>

#include "engine/engine.h"
#include "platform/fake/fakePlatform.h"

namespace keyloom::test {

struct Harness {
    RunState state;
    VectorList list;
    platform::FakePlatform fake;
    Engine engine{state, list, fake, fake};

    // The list as a file load leaves it: lastIndex = the entry count.
    explicit Harness(std::vector<std::string> entries = {}) {
        list.entries() = std::move(entries);
        state.lastIndex = list.count();
    }

    // Presses Run and returns what reached the desktop.
    std::vector<std::string> run() {
        engine.command2Click();
        return fake.log;
    }
};

inline std::vector<std::string> entriesOf(const MacroList& list) {
    std::vector<std::string> out;
    for (Index i = 0; i < list.count(); ++i) out.push_back(list.entry(i));
    return out;
}

inline std::vector<std::string> tap(int vk) {
    return {"key " + std::to_string(vk) + " down", "key " + std::to_string(vk) + " up"};
}

inline std::vector<std::string> repeated(const std::vector<std::string>& lines, int times) {
    std::vector<std::string> out;
    for (int i = 0; i < times; ++i) out.insert(out.end(), lines.begin(), lines.end());
    return out;
}

inline std::vector<std::string> concat(std::initializer_list<std::vector<std::string>> parts) {
    std::vector<std::string> out;
    for (const auto& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}

}  // namespace keyloom::test
