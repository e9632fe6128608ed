// SPDX-License-Identifier: MIT
#pragma once
// The editor's undo and redo: a bounded list of design states, each with the
// name of the step that led to it, and the place of the state the editor
// shows. Owns the states it was given; knows nothing of the window they
// came from (DesignSnapshot takes and puts them back).

#include <cstddef>
#include <string>
#include <vector>

#include "DesignSnapshot.h"

namespace orbelle::maker {

class History {
public:
    static constexpr std::size_t kDefaultSteps = 100;

    explicit History(std::size_t maxSteps = kDefaultSteps) : maxSteps_(maxSteps < 1 ? 1 : maxSteps) {}

    // Forgets every step: `start` is the state nothing can be undone from.
    void reset(DesignSnapshot start);
    // A new step named `label` that led to `state`; the steps that could be
    // redone are gone. Consecutive steps with the same non-empty merge key
    // (typing into one box) become one. The oldest step goes once there are
    // more than the limit.
    void record(const std::string &label, DesignSnapshot state, const std::string &mergeKey = {});
    // Replaces the state shown without making a step: what changed was no
    // change to the design (a selection, a mode, a message), and undoing
    // the next step is to come back to it.
    void replaceCurrent(DesignSnapshot state);

    bool canUndo() const { return current_ > 0; }
    bool canRedo() const { return current_ + 1 < entries_.size(); }
    // The name of the step undo or redo would take back or make again; empty
    // when there is none.
    std::string undoLabel() const { return canUndo() ? entries_[current_].label : std::string(); }
    std::string redoLabel() const { return canRedo() ? entries_[current_ + 1].label : std::string(); }
    // Moves one step back or forward and gives the state to show there.
    const DesignSnapshot &undo();
    const DesignSnapshot &redo();

    const DesignSnapshot &current() const { return entries_[current_].state; }
    std::size_t undoSteps() const { return current_; }
    std::size_t redoSteps() const { return entries_.size() - 1 - current_; }

private:
    struct Entry {
        std::string label;
        std::string mergeKey;
        DesignSnapshot state;
    };
    std::size_t maxSteps_;
    std::vector<Entry> entries_{Entry{}};
    std::size_t current_ = 0;
};

} // namespace orbelle::maker
