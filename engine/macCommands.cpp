#include "engine/macCommands.h"

#include <array>
#include <string_view>
#include <unordered_map>

#include "actions/focusNkey.h"
#include "actions/launch.h"
#include "actions/mEvents.h"
#include "engine/engine.h"
#include "engine/waitsNLoops.h"

namespace keyloom {
namespace {

using focusNkey::pressKey;
using focusNkey::setLock;

constexpr std::array kTable{
    CommandWord{"RunProgram", runProg::runProgram},
    CommandWord{"ExecuteFile", executeFile::executeFile},
    CommandWord{"Wait", waitsNLoops::wait},
    CommandWord{"SetFocus", focusNkey::setFocus},
    CommandWord{"SendText", focusNkey::sendText},
    CommandWord{"Press_BackSpace", pressKey},
    CommandWord{"Press_Tab", pressKey},
    CommandWord{"Press_Enter", pressKey},
    CommandWord{"Press_ESC", pressKey},
    CommandWord{"Press_F1", pressKey},
    CommandWord{"Press_F2", pressKey},
    CommandWord{"Press_F3", pressKey},
    CommandWord{"Press_F4", pressKey},
    CommandWord{"Press_F5", pressKey},
    CommandWord{"Press_F6", pressKey},
    CommandWord{"Press_F7", pressKey},
    CommandWord{"Press_F8", pressKey},
    CommandWord{"Press_F9", pressKey},
    CommandWord{"Press_F10", pressKey},
    CommandWord{"Press_F11", pressKey},
    CommandWord{"Press_F12", pressKey},
    CommandWord{"Press_Home", pressKey},
    CommandWord{"Press_End", pressKey},
    CommandWord{"Press_Up", pressKey},
    CommandWord{"Press_Down", pressKey},
    CommandWord{"Press_Left", pressKey},
    CommandWord{"Press_Right", pressKey},
    CommandWord{"Press_PageUp", pressKey},
    CommandWord{"Press_PageDown", pressKey},
    CommandWord{"Press_Ins", pressKey},
    CommandWord{"Press_Del", pressKey},
    CommandWord{"Press_Shift", pressKey},
    CommandWord{"Release_Shift", pressKey},
    CommandWord{"Press_CTRL", pressKey},
    CommandWord{"Release_CTRL", pressKey},
    CommandWord{"Press_ALT", pressKey},
    CommandWord{"Release_ALT", pressKey},
    CommandWord{"MouseMove", mEvents::mouseMove},
    CommandWord{"LDblClick", mEvents::lDblClick},
    CommandWord{"RDblClick", mEvents::rDblClick},
    CommandWord{"LClick", mEvents::lClick},
    CommandWord{"LDown", mEvents::lDown},
    CommandWord{"LUp", mEvents::lUp},
    CommandWord{"RClick", mEvents::rClick},
    CommandWord{"RDown", mEvents::rDown},
    CommandWord{"RUp", mEvents::rUp},
    CommandWord{"Repeat", waitsNLoops::repeat},
    CommandWord{"End_Repeat", waitsNLoops::endRepeat},
    CommandWord{"Loop", waitsNLoops::loop},
    // Words the builder offers and the recorder writes beyond the 49 above.
    CommandWord{"Press_Space", pressKey},
    CommandWord{"Press_Pause", pressKey},
    CommandWord{"Press_Caps", pressKey},
    CommandWord{"Press_NumLock", pressKey},
    CommandWord{"Press_ScrollLock", pressKey},
    CommandWord{"Press_PrintScreen", pressKey},
    CommandWord{"CapsOn", setLock},
    CommandWord{"CapsOff", setLock},
    CommandWord{"NumOn", setLock},
    CommandWord{"NumOff", setLock},
    CommandWord{"ScrollOn", setLock},
    CommandWord{"ScrollOff", setLock},
    CommandWord{"Message", focusNkey::message},
};

// The words are distinct, so a lookup finds what a comparison in table order
// would find first.
const std::unordered_map<std::string_view, Command>& lookup() {
    static const auto* map = [] {
        auto* m = new std::unordered_map<std::string_view, Command>();
        for (const CommandWord& c : kTable) m->emplace(c.word, c.run);
        return m;
    }();
    return *map;
}

}  // namespace

std::span<const CommandWord> commandTable() { return kTable; }

void doCommand(Engine& engine, Index entry) {
    const auto& map = lookup();
    auto it = map.find(engine.state.curToken);
    if (it != map.end()) it->second(engine, entry);
}

}  // namespace keyloom
