// The picture history: a ring of slots whose newest mark moves forward on every push and back on
// every undo.
#include <windows.h>

#include "UndoHistory.h"

#include "Exceptions.h"
#include "PictureOps.h"

#include <cstring>

TUndoHistory::TUndoHistory()
{
    for (TBitmap& slot : slots_) {
        slot.SetPixelFormat(pf24bit);
        slot.SetSize(PictureSize, PictureSize);
    }
    Reset();
}

void TUndoHistory::Reset()
{
    count_ = 0;
    newest_ = SlotCount - 1;
    // White, as a new bitmap is; straight into the pixels, so that no slot needs a canvas.
    for (TBitmap& slot : slots_)
        for (int y = 0; y < slot.Height(); ++y)
            std::memset(slot.ScanLine(y), 0xFF, static_cast<size_t>(slot.Width()) * 3);
}

const TBitmap& TUndoHistory::Slot(int index) const
{
    if (index < 0 || index >= SlotCount)
        throw ERangeError("Kein Platz " + std::to_string(index) + " in der Rückgängig-Liste.");
    return slots_[static_cast<size_t>((newest_ + 1 + index) % SlotCount)];
}

void TUndoHistory::Push(const TBitmap& picture)
{
    if (count_ < MaxCount)
        ++count_;
    newest_ = (newest_ + 1) % SlotCount;
    slots_[static_cast<size_t>(newest_)].Assign(picture);
}

bool TUndoHistory::Undo(TBitmap& picture)
{
    if (!CanUndo())
        return false;
    --count_;
    newest_ = (newest_ + SlotCount - 1) % SlotCount;
    picture.Assign(slots_[static_cast<size_t>(newest_)]);
    return true;
}
