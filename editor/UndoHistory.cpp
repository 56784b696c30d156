// The picture history: states move down the slots on every push and back up on every undo.
#include <windows.h>

#include "UndoHistory.h"

#include "PictureOps.h"

TUndoHistory::TUndoHistory()
{
    Reset();
}

void TUndoHistory::Reset()
{
    count_ = 0;
    for (TBitmap& slot : slots_) {
        TBitmap blank(PictureSize, PictureSize, pf24bit);
        slot.Assign(blank);
    }
}

void TUndoHistory::Push(const TBitmap& picture)
{
    if (count_ < MaxCount)
        ++count_;
    for (int i = 0; i < SlotCount - 1; ++i)
        slots_[i].Assign(slots_[i + 1]);
    slots_[SlotCount - 1].Assign(picture);
}

bool TUndoHistory::Undo(TBitmap& picture)
{
    if (!CanUndo())
        return false;
    --count_;
    for (int i = SlotCount - 1; i > 0; --i)
        slots_[i].Assign(slots_[i - 1]);
    picture.Assign(slots_[SlotCount - 1]);
    return true;
}
