// The drop source: when the drag ends, and which cursor it shows.
#include <windows.h>
#include <ole2.h>

#include "DropSource.h"

#include "DragDrop.h"
#include "Forms.h"

TDropSource::TDropSource(TDragDrop* owner) : TDDInterfacedObject(IID_IDropSource), owner_(owner) {}

HRESULT STDMETHODCALLTYPE TDropSource::QueryContinueDrag(BOOL escapePressed, DWORD keyState)
{
    HRESULT result = S_OK;
    if (((keyState & MK_LBUTTON) && (keyState & MK_RBUTTON)) || escapePressed) {
        result = DRAGDROP_S_CANCEL;
        if (owner_)
            owner_->ownDrag_ = false;
    } else if (!(keyState & (MK_LBUTTON | MK_RBUTTON))) {
        result = DRAGDROP_S_DROP;
    }
    if (owner_ && owner_->OnQueryContinueDrag)
        Guarded([&] { owner_->OnQueryContinueDrag(escapePressed, keyState, result); });
    return result;
}

HRESULT STDMETHODCALLTYPE TDropSource::GiveFeedback(DWORD effect)
{
    HRESULT result = DRAGDROP_S_USEDEFAULTCURSORS;
    if (!owner_)
        return result;
    if (owner_->OnGiveFeedback)
        Guarded([&] { owner_->OnGiveFeedback(effect, result); });
    const bool scroll = (effect & DROPEFFECT_SCROLL) != 0;
    HCURSOR cursor = nullptr;
    if (effect & DROPEFFECT_LINK)
        cursor = scroll ? owner_->CursorScrollLink : owner_->CursorLink;
    else if (effect & DROPEFFECT_MOVE)
        cursor = scroll ? owner_->CursorScrollMove : owner_->CursorMove;
    else if (effect & DROPEFFECT_COPY)
        cursor = scroll ? owner_->CursorScrollCopy : owner_->CursorCopy;
    if (!cursor)
        return result;   // the handler's answer stands when we have no cursor of our own
    SetCursor(cursor);
    return S_OK;
}
