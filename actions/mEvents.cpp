#include "actions/mEvents.h"

#include "engine/engine.h"
#include "engine/number.h"

namespace keyloom::mEvents {
namespace {

using namespace platform;

void click(Engine& engine, std::uint32_t down, std::uint32_t up) {
    engine.input.button(down);
    engine.input.button(up);
}

void doubleClick(Engine& engine, std::uint32_t down, std::uint32_t up) {
    click(engine, down, up);
    engine.toolkit.events.shortWait(10);
    click(engine, down, up);
}

}  // namespace

std::optional<Point> parseMouseMove(std::string_view arg) {
    std::size_t c = arg.find(',');
    // Without a comma, x is empty and y is the whole argument: x fails.
    std::string_view xText = c == std::string_view::npos ? std::string_view{} : arg.substr(0, c);
    std::string_view after = c == std::string_view::npos ? arg : arg.substr(c + 1);
    std::size_t j = after.find(',');
    std::size_t from = j == std::string_view::npos ? 0 : j + 1;
    while (from < after.size() && after[from] == ' ') ++from;
    auto y = toInt16(after.substr(from));
    auto x = toInt16(xText);
    if (!x || !y) return std::nullopt;
    return Point{*x, *y};
}

void mouseMove(Engine& engine, Index entry) {
    std::string arg = engine.argument(entry);
    auto point = parseMouseMove(arg);
    if (!point) {
        if (engine.warn)
            engine.warn("entry " + std::to_string(entry + 1) + ": MouseMove argument \"" + arg +
                        "\" is not x,y in whole numbers from -32768 to 32767; skipped");
        return;
    }
    engine.desktop.setCursorPos(point->x, point->y);
}

void lDown(Engine& engine, Index) { engine.input.button(kLeftDown); }
void lUp(Engine& engine, Index) { engine.input.button(kLeftUp); }
void lClick(Engine& engine, Index) { click(engine, kLeftDown, kLeftUp); }
void lDblClick(Engine& engine, Index) { doubleClick(engine, kLeftDown, kLeftUp); }
void rDown(Engine& engine, Index) { engine.input.button(kRightDown); }
void rUp(Engine& engine, Index) { engine.input.button(kRightUp); }
void rClick(Engine& engine, Index) { click(engine, kRightDown, kRightUp); }
void rDblClick(Engine& engine, Index) { doubleClick(engine, kRightDown, kRightUp); }

}  // namespace keyloom::mEvents
