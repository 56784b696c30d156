// The drop target: accepting, the effect choice, the drop and auto-scrolling.
#include <windows.h>
#include <ole2.h>

#include "DropTarget.h"

#include "Controls.h"
#include "DragDrop.h"
#include "ExtCtrls.h"
#include "Forms.h"

DWORD ChooseDropEffect(const TEffectChoiceInput& in)
{
    DWORD result = DROPEFFECT_NONE;
    if (!in.ownDrag || in.acceptOwnDnD) {
        const bool shift = (in.keyState & MK_SHIFT) != 0;
        const bool ctrl = (in.keyState & MK_CONTROL) != 0;
        // A target may only pick what the source offers; anything else the source cannot carry out.
        auto both = [&](DWORD effect) { return (in.targetEffects & effect) && (in.offered & effect); };
        if (shift && !ctrl && both(DROPEFFECT_MOVE))
            result = DROPEFFECT_MOVE;
        else if (shift && ctrl && both(DROPEFFECT_LINK))
            result = DROPEFFECT_LINK;
        else if (both(DROPEFFECT_COPY))
            result = DROPEFFECT_COPY;
        else if (!both(DROPEFFECT_MOVE) && both(DROPEFFECT_LINK))
            result = DROPEFFECT_LINK;
        else if (both(DROPEFFECT_MOVE))
            result = DROPEFFECT_MOVE;
    }
    if (in.scrolling)
        result |= DROPEFFECT_SCROLL;
    return result;
}

TDropTarget::TDropTarget(TDragDrop* owner) : TDDInterfacedObject(IID_IDropTarget), owner_(owner)
{
    for (Axis* axis : {&horz_, &vert_}) {
        axis->start = std::make_unique<TTimer>(nullptr);
        axis->start->SetEnabled(false);
        axis->start->OnTimer = [this, axis](TComponent*) { StartTimerFired(*axis); };
        axis->repeat = std::make_unique<TTimer>(nullptr);
        axis->repeat->SetEnabled(false);
        axis->repeat->OnTimer = [this, axis](TComponent*) { ScrollStep(*axis); };
    }
    vert_.vertical = true;
}

TDropTarget::~TDropTarget() = default;

bool TDropTarget::VertStartRunning() const { return vert_.start->Enabled(); }
bool TDropTarget::VertRepeatRunning() const { return vert_.repeat->Enabled(); }

void TDropTarget::ChooseEffect(DWORD keyState, DWORD& effect)
{
    TEffectChoiceInput in;
    in.ownDrag = owner_->ownDrag_;
    in.acceptOwnDnD = owner_->AcceptOwnDnD;
    in.keyState = keyState;
    in.targetEffects = owner_->targetEffects_;
    in.offered = effect;
    in.scrolling = owner_->horzScrolling_ || owner_->vertScrolling_;
    effect = ChooseDropEffect(in);
}

void TDropTarget::AcceptDataObject(IDataObject*, bool& accept)
{
    accept = true;
}

HRESULT STDMETHODCALLTYPE TDropTarget::DragEnter(IDataObject* data, DWORD keyState, POINTL pt, DWORD* effect)
{
    if (!effect)
        return E_INVALIDARG;
    accept_ = false;
    if (!owner_) {
        *effect = DROPEFFECT_NONE;
        return S_OK;
    }
    bool ok = Guarded([&] {
        owner_->offeredEffects_ = *effect;
        owner_->rightButtonDrag_ = (keyState & MK_RBUTTON) != 0;
        TRenderDataOn on = owner_->RenderDataOn;
        if (on == rdoEnter || on == rdoEnterAndDropSync || on == rdoEnterAndDropAsync)
            RenderDropped(data, keyState, pt, *effect);
        ChooseEffect(keyState, *effect);
        AcceptDataObject(data, accept_);
        if (owner_->OnDragEnter)
            owner_->OnDragEnter(data, keyState, {pt.x, pt.y}, *effect, accept_);
    });
    if (!ok)
        accept_ = false;
    if (!accept_)
        *effect = DROPEFFECT_NONE;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE TDropTarget::DragOver(DWORD keyState, POINTL pt, DWORD* effect)
{
    if (!effect)
        return E_INVALIDARG;
    if (!owner_) {
        *effect = DROPEFFECT_NONE;
        return S_OK;
    }
    Guarded([&] {
        UpdateAxis(vert_, owner_->ScrollDetectOptions.VertScrolling, pt);
        UpdateAxis(horz_, owner_->ScrollDetectOptions.HorzScrolling, pt);
        if (!accept_)
            *effect = DROPEFFECT_NONE;
        ChooseEffect(keyState, *effect);
        if (owner_->OnDragOver)
            owner_->OnDragOver(keyState, {pt.x, pt.y}, *effect);
    });
    if (!accept_)
        *effect = DROPEFFECT_NONE;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE TDropTarget::DragLeave()
{
    if (owner_ && owner_->OnDragLeave)
        Guarded([&] { owner_->OnDragLeave(); });
    Guarded([&] { StopScrolling(); });
    return S_OK;
}

HRESULT STDMETHODCALLTYPE TDropTarget::Drop(IDataObject* data, DWORD keyState, POINTL pt, DWORD* effect)
{
    if (!effect)
        return E_INVALIDARG;
    if (!owner_) {
        *effect = DROPEFFECT_NONE;
        return E_FAIL;
    }
    DWORD chosen = DROPEFFECT_NONE;
    HRESULT result = E_FAIL;
    Guarded([&] {
        TDragDrop& dd = *owner_;
        if (accept_) {
            chosen = *effect;
            ChooseEffect(keyState, chosen);
        }
        const POINT point = {pt.x, pt.y};
        if (dd.OnDragOver)
            dd.OnDragOver(keyState, point, chosen);
        if (!accept_)
            chosen = DROPEFFECT_NONE;
        chosen &= ~DROPEFFECT_SCROLL;
        // The drag loop has ended for the source by now: the button's state no longer counts.
        if (dd.rightButtonDrag_ && dd.TargetPopUpMenu && chosen != DROPEFFECT_NONE)
            chosen = dd.ChooseFromDropMenu(point, chosen);
        StopScrolling();
        if (dd.OnDrop)
            dd.OnDrop(data, keyState, point, chosen);
        if (chosen == DROPEFFECT_NONE)
            return;
        HWND window = dd.control_ ? dd.control_->Handle() : nullptr;
        if (dd.BringToFront && window)
            SetForegroundWindow(GetAncestor(window, GA_ROOT));
        dd.droppedKeyState_ = keyState;
        dd.droppedPoint_ = point;
        dd.droppedEffect_ = chosen;
        if (dd.RenderDataOn == rdoDropAsync || dd.RenderDataOn == rdoEnterAndDropAsync) {
            if (data)
                data->AddRef();
            dd.droppedData_ = ComPtr<IDataObject>(data);
        } else if (dd.RenderDataOn == rdoDropSync || dd.RenderDataOn == rdoEnterAndDropSync) {
            TCursorGuard hourglass(crHourGlass);
            RenderDropped(data, keyState, pt, chosen);
        }
        if (window)
            PostMessageA(window, DDM_ProcessDropped(), 0, 0);
        result = S_OK;
    });
    *effect = chosen;
    return result;
}

void TDropTarget::StopScrolling()
{
    StopAxis(vert_);
    StopAxis(horz_);
}

int TDropTarget::DetectDirection(const Axis& axis, POINTL screenPoint) const
{
    if (!owner_ || !owner_->control_ || !owner_->control_->HandleAllocated())
        return 0;
    HWND window = owner_->control_->Handle();
    POINT point = {screenPoint.x, screenPoint.y};
    ScreenToClient(window, &point);
    RECT client;
    GetClientRect(window, &client);
    const TScrollDetectOptions& options = owner_->ScrollDetectOptions;
    int direction;
    if (axis.vertical)
        direction = DetectScrollBand(point.y, client.bottom, options.AreaTop.Margin(), options.AreaTop.Range(),
                                     options.AreaBottom.Margin(), options.AreaBottom.Range());
    else
        direction = DetectScrollBand(point.x, client.right, options.AreaLeft.Margin(), options.AreaLeft.Range(),
                                     options.AreaRight.Margin(), options.AreaRight.Range());
    if (direction == 0)
        return 0;
    SCROLLINFO info = {};
    info.cbSize = sizeof(info);
    info.fMask = SIF_ALL;
    if (!GetScrollInfo(window, axis.vertical ? SB_VERT : SB_HORZ, &info))
        return 0;
    return ScrollBarCanMove(info, direction) ? direction : 0;
}

void TDropTarget::UpdateAxis(Axis& axis, bool enabled, POINTL pt)
{
    if (!enabled) {
        if (axis.direction)
            StopAxis(axis);
        return;
    }
    int direction = DetectDirection(axis, pt);
    if (direction) {
        const bool running = axis.start->Enabled() || axis.repeat->Enabled();
        if (!running || axis.direction != direction)
            StartAxis(axis, direction);
    } else if (axis.direction) {
        StopAxis(axis);
    }
}

void TDropTarget::StartAxis(Axis& axis, int direction)
{
    StopAxis(axis);
    axis.start->SetInterval(owner_ ? owner_->ScrollDetectOptions.StartDelay() : 750);
    axis.start->SetEnabled(true);
    axis.direction = direction;
}

void TDropTarget::StopAxis(Axis& axis)
{
    axis.start->SetEnabled(false);
    if (axis.repeat->Enabled() && owner_ && owner_->control_ && owner_->control_->HandleAllocated())
        SendMessageA(owner_->control_->Handle(), axis.vertical ? WM_VSCROLL : WM_HSCROLL, SB_ENDSCROLL, 0);
    axis.repeat->SetEnabled(false);
    axis.direction = 0;
}

void TDropTarget::StartTimerFired(Axis& axis)
{
    axis.start->SetEnabled(false);
    if (!owner_)
        return;
    axis.repeat->SetInterval(owner_->ScrollDetectOptions.ScrollDelay());
    axis.repeat->SetEnabled(true);
    ScrollStep(axis);
}

void TDropTarget::ScrollStep(Axis& axis)
{
    if (!owner_ || !owner_->control_ || !owner_->control_->HandleAllocated()) {
        StopAxis(axis);
        return;
    }
    const TScrollDetectOptions& options = owner_->ScrollDetectOptions;
    if (!(axis.vertical ? options.VertScrolling : options.HorzScrolling)) {
        StopAxis(axis);
        return;
    }
    POINT cursor;
    GetCursorPos(&cursor);
    const int direction = DetectDirection(axis, {cursor.x, cursor.y});
    if (direction != axis.direction) {
        if (direction)
            StartAxis(axis, direction);
        else
            StopAxis(axis);
        return;
    }
    HWND window = owner_->control_->Handle();
    bool page = axis.vertical ? options.VertPageScroll : options.HorzPageScroll;
    TScrollInterval interval = options.ScrollDelay();
    TScrollDirection scrollDirection =
        axis.vertical ? (direction == 1 ? sdUp : sdDown) : (direction == 1 ? sdLeft : sdRight);
    if (owner_->OnBeforeScrolling) {
        POINT client = cursor;
        ScreenToClient(window, &client);
        owner_->OnBeforeScrolling(owner_, client, interval, scrollDirection, page);
    }
    const WPARAM code = (direction == 1 ? SB_LINEUP : SB_LINEDOWN) + (page ? SB_PAGEUP : 0);
    SendMessageA(window, axis.vertical ? WM_VSCROLL : WM_HSCROLL, code, 0);
    if (axis.vertical && owner_ && owner_->OnAfterScrolling)
        owner_->OnAfterScrolling(owner_);
    if (interval > 0)
        axis.repeat->SetInterval(interval);
}
