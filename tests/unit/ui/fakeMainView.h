// The main window's controls in memory, and a registry of secondary windows
// that records what was shown and unloaded.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "ui/main/commandWords.h"
#include "ui/main/tKeyloom.h"

namespace keyloom::ui::test {

struct FakeMainView : tKeyloomView {
    std::vector<std::string> entries;
    Index selected = -1;
    std::string listTip;
    std::string combo;
    int comboPosition = -1;
    std::vector<std::string> comboItems;
    std::string value;
    std::string readout = "0,0";
    std::string readoutTip;
    struct Timer {
        int interval = 0;
        bool enabled = false;
    };
    std::array<Timer, 3> timers;
    int unloads = 0;

    // The user picks a word of the list, or types a text.
    void pick(int position) {
        comboPosition = position;
        combo = std::string(kCommandWords[static_cast<std::size_t>(position)]);
    }
    void type(std::string text) {
        comboPosition = -1;
        combo = std::move(text);
    }

    Index listCount() const override { return static_cast<Index>(entries.size()); }
    std::string listEntry(Index i) const override { return entries[static_cast<std::size_t>(i)]; }
    void listAppend(const std::string& e) override { entries.push_back(e); }
    void listInsert(Index i, const std::string& e) override {
        entries.insert(entries.begin() + i, e);
    }
    void listRemove(Index i) override {
        entries.erase(entries.begin() + i);
        selected = -1;
    }
    void listClear() override {
        entries.clear();
        selected = -1;
    }
    bool loadingGoesOn(const std::string&, double) override { return true; }
    void loadingEnded() override {}
    void listReplace(LineList list) override {
        entries.clear();
        for (Index i = 0; i < list.count(); ++i) entries.push_back(list.entry(i));
        selected = -1;
    }
    Index listSelection() const override { return selected; }
    void setListToolTip(const std::string& t) override { listTip = t; }
    std::string comboText() const override { return combo; }
    int comboSelection() const override { return comboPosition; }
    void setComboText(const std::string& t) override { type(t); }
    void fillComboList() override {
        comboItems.assign(kCommandWords.begin(), kCommandWords.end());
    }
    std::string valueText() const override { return value; }
    void setValueText(const std::string& t) override { value = t; }
    void setReadout(const std::string& t) override { readout = t; }
    void setReadoutToolTip(const std::string& t) override { readoutTip = t; }
    void setTimerInterval(MainTimer t, int ms) override { timer(t).interval = ms; }
    void enableTimer(MainTimer t, bool on) override { timer(t).enabled = on; }
    bool timerEnabled(MainTimer t) const override {
        return timers[static_cast<std::size_t>(t)].enabled;
    }
    void unloadWindow() override { ++unloads; }

    Timer& timer(MainTimer t) { return timers[static_cast<std::size_t>(t)]; }
};

struct FakeWindows : Windows {
    std::vector<std::string> log;
    std::array<bool, 4> open{};

    static const char* name(WindowId id) {
        constexpr const char* kNames[] = {"editor", "recorder", "tracker", "about"};
        return kNames[static_cast<std::size_t>(id)];
    }
    void show(WindowId id) override {
        log.push_back(std::string("show ") + name(id));
        open[static_cast<std::size_t>(id)] = true;
    }
    void unload(WindowId id) override {
        if (!loaded(id)) return;
        log.push_back(std::string("unload ") + name(id));
        open[static_cast<std::size_t>(id)] = false;
    }
    bool loaded(WindowId id) const override { return open[static_cast<std::size_t>(id)]; }
};

}  // namespace keyloom::ui::test
