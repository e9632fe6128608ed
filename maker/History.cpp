// SPDX-License-Identifier: MIT
#include "History.h"

namespace orbelle::maker {

void History::reset(DesignSnapshot start)
{
    entries_.clear();
    entries_.push_back(Entry{{}, {}, std::move(start)});
    current_ = 0;
}

void History::record(const std::string &label, DesignSnapshot state, const std::string &mergeKey)
{
    entries_.resize(current_ + 1);
    if (current_ > 0 && !mergeKey.empty() && entries_[current_].mergeKey == mergeKey) {
        entries_[current_].state = std::move(state);
        return;
    }
    entries_.push_back(Entry{label, mergeKey, std::move(state)});
    ++current_;
    if (entries_.size() > maxSteps_ + 1) {
        entries_.erase(entries_.begin());
        --current_;
    }
}

void History::replaceCurrent(DesignSnapshot state)
{
    entries_[current_].state = std::move(state);
    // A step after something else happened is a step of its own.
    entries_[current_].mergeKey.clear();
}

const DesignSnapshot &History::undo()
{
    if (canUndo())
        --current_;
    // Typing after an undo is a step of its own, not more of the one undone to.
    entries_[current_].mergeKey.clear();
    return current();
}

const DesignSnapshot &History::redo()
{
    if (canRedo())
        ++current_;
    entries_[current_].mergeKey.clear();
    return current();
}

} // namespace orbelle::maker
