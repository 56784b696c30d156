// TDropSource: the IDropSource of a drag that a TDragDrop starts; it ends the drag on the
// buttons' release or Escape and sets the component's cursors.
#pragma once

#include <windows.h>
#include <ole2.h>

#include "DDInterfacedObject.h"

class TDragDrop;

class TDropSource : public TDDInterfacedObject<IDropSource> {
public:
    explicit TDropSource(TDragDrop* owner);
    HRESULT STDMETHODCALLTYPE QueryContinueDrag(BOOL escapePressed, DWORD keyState) override;
    HRESULT STDMETHODCALLTYPE GiveFeedback(DWORD effect) override;

private:
    TDragDrop* owner_;
};
