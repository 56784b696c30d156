// TUndoHistory: the editor's picture history, a fixed row of slots whose last one always holds the
// current picture.
#pragma once

#include <windows.h>

#include "Bitmap.h"

#include <array>

class TUndoHistory {
public:
    static constexpr int SlotCount = 21;
    static constexpr int MaxCount = 19;   // stored states; one fewer can be undone

    TUndoHistory();

    // Forgets every state: all slots become blank.
    void Reset();
    // Stores the current picture as the newest state; the oldest falls out once the history is full.
    void Push(const TBitmap& picture);
    // Steps back to the state before the newest and copies it into `picture`; nothing when there
    // is no earlier state.
    bool Undo(TBitmap& picture);

    int Count() const { return count_; }
    bool CanUndo() const { return count_ > 1; }
    // Slot 0 is the oldest, slot SlotCount - 1 the newest.
    const TBitmap& Slot(int index) const;

private:
    // The slots are made once and form a ring: a push copies the picture's pixels over the
    // oldest and moves the newest mark onto it; nothing is shifted and no bitmap is made.
    std::array<TBitmap, SlotCount> slots_;
    int newest_ = SlotCount - 1;
    int count_ = 0;
};
