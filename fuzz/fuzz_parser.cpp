// Tokenizer, argument rule, number conversion and the MouseMove argument, and
// the whole engine running one fuzzed entry against the fake desktop.
#include <cstdint>
#include <sstream>
#include <string>
#include <string_view>

#include "actions/mEvents.h"
#include "engine/engine.h"
#include "engine/number.h"
#include "engine/parser.h"
#include "platform/fake/fakePlatform.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string text(reinterpret_cast<const char*>(data), size);

    std::string_view view = text;
    std::size_t length = 0, tokens = 0;
    while (!view.empty()) {
        length += keyloom::parser::nextToken(view).size();
        ++tokens;
    }
    // Every byte is in a token or is one of the spaces between them.
    if (length + tokens < text.size() || length + tokens > text.size() + 1) __builtin_trap();

    std::string_view argument = keyloom::parser::argumentOf(text);
    if (argument.size() > text.size()) __builtin_trap();
    keyloom::toInt32(argument);
    keyloom::toInt16(argument);
    keyloom::mEvents::parseMouseMove(argument);

    // Run the input as a list of entries (split at newlines), with every
    // question answered No so that the run always ends.
    keyloom::RunState state;
    keyloom::VectorList list;
    std::string_view rest = text;
    while (!rest.empty() && list.count() < 64) {
        std::size_t nl = rest.find('\n');
        list.entries().emplace_back(rest.substr(0, nl));
        rest = nl == std::string_view::npos ? std::string_view{} : rest.substr(nl + 1);
    }
    state.lastIndex = list.count();
    // Doubling blocks and loops run for ever unless stopped: stop after a
    // bounded number of stop tests, as a user pressing the stop key would.
    struct Bounded : keyloom::platform::FakePlatform {
        using FakePlatform::FakePlatform;
        int stopTests = 0;
        bool stopKeyPressed() override { return ++stopTests > 500; }
    };
    std::ostringstream discard;
    Bounded fake(&discard);
    keyloom::Engine engine(state, list, fake, fake);
    fake.onEvents = [&] {
        if (discard.tellp() > (1 << 20)) discard.str({});
    };
    engine.command2Click();
    return 0;
}
