// TDropTarget: the IDropTarget a TDragDrop registers for its control. It chooses the effect
// from the keys and what both sides allow, and auto-scrolls the control near its edges.
#pragma once

#include <windows.h>
#include <ole2.h>

#include "DDInterfacedObject.h"

#include <memory>

class TDragDrop;
class TTimer;

struct TEffectChoiceInput {
    bool ownDrag = false;       // the drag started in the component's own control
    bool acceptOwnDnD = false;
    DWORD keyState = 0;         // MK_SHIFT, MK_CONTROL, ...
    DWORD targetEffects = 0;    // what the target accepts
    DWORD offered = 0;          // what the source offers
    bool scrolling = false;     // a scroll bar of the control is being moved
};
DWORD ChooseDropEffect(const TEffectChoiceInput& in);

class TDropTarget : public TDDInterfacedObject<IDropTarget> {
public:
    explicit TDropTarget(TDragDrop* owner);
    ~TDropTarget() override;

    bool Accept() const { return accept_; }
    int VertDirection() const { return vert_.direction; }
    int HorzDirection() const { return horz_.direction; }
    bool VertStartRunning() const;
    bool VertRepeatRunning() const;

    HRESULT STDMETHODCALLTYPE DragEnter(IDataObject* data, DWORD keyState, POINTL pt, DWORD* effect) override;
    HRESULT STDMETHODCALLTYPE DragOver(DWORD keyState, POINTL pt, DWORD* effect) override;
    HRESULT STDMETHODCALLTYPE DragLeave() override;
    HRESULT STDMETHODCALLTYPE Drop(IDataObject* data, DWORD keyState, POINTL pt, DWORD* effect) override;

    // Stops auto-scrolling on both axes (every drag leave and drop does).
    void StopScrolling();

protected:
    virtual void ChooseEffect(DWORD keyState, DWORD& effect);
    virtual void AcceptDataObject(IDataObject* data, bool& accept);
    virtual void RenderDropped(IDataObject* data, DWORD keyState, POINTL pt, DWORD& effect) {}
    TDragDrop* Owner() const { return owner_; }

private:
    friend class TDragDrop;
    struct Axis {
        std::unique_ptr<TTimer> start, repeat;
        int direction = 0;
        bool vertical = false;
    };
    void StartAxis(Axis& axis, int direction);
    void StopAxis(Axis& axis);
    void UpdateAxis(Axis& axis, bool enabled, POINTL pt);
    void StartTimerFired(Axis& axis);
    void ScrollStep(Axis& axis);
    int DetectDirection(const Axis& axis, POINTL screenPoint) const;

    bool accept_ = false;
    Axis horz_, vert_;
    TDragDrop* owner_;
};
