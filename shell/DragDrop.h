// TDragDrop: makes one windowed control an OLE drag source and drop target, with drag
// detection, auto-scrolling near its edges and the right-button drop menu. Its parts: the data
// object, format list, drop source and drop target (COM objects), the drag detector and the
// scroll options, each in its own file.
#pragma once

#include <windows.h>
#include <ole2.h>

#include "Component.h"
#include "ComPtr.h"
#include "DataObject.h"
#include "DragDetector.h"
#include "DropSource.h"
#include "DropTarget.h"
#include "Handles.h"
#include "ScrollDetectOptions.h"

#include <functional>
#include <string>

class TWinControl;

enum TRenderDataOn { rdoEnter, rdoEnterAndDropSync, rdoEnterAndDropAsync, rdoDropSync, rdoDropAsync, rdoNever };

// Effect bits as DROPEFFECT values: copy 1, move 2, link 4.
enum TDropEffect : DWORD { deCopy = DROPEFFECT_COPY, deMove = DROPEFFECT_MOVE, deLink = DROPEFFECT_LINK };
using TDropEffectSet = DWORD;
enum TSrcCompatibilityCheck : unsigned { CheckLindex = 1, CheckdwAspect = 2 };
using TSrcCompatibilityCheckSet = unsigned;

struct TDropMenuCaptions {
    std::string copy, move, shortcut, abort;
};
// The drop menu's captions for a primary language id (LANG_GERMAN, ...); English for others.
TDropMenuCaptions DropMenuCaptions(WORD primaryLanguage);

// Initialises OLE on the calling thread once (programs and tests call it before the first
// TDragDrop; the constructor calls it too).
void InitDragDrop();

class TDragDrop : public TComponent {
public:
    explicit TDragDrop(TComponent* owner);
    ~TDragDrop() override;

    bool AcceptOwnDnD = false;
    bool AutoDetectDnD = false;
    bool BringToFront = false;
    BYTE DragDetectDelta = 10;
    TScrollDetectOptions ScrollDetectOptions;
    TSrcCompatibilityCheckSet SourceCompatibility = CheckLindex | CheckdwAspect;
    bool TargetPopUpMenu = true;
    TRenderDataOn RenderDataOn = rdoDropSync;
    HCURSOR CursorCopy = nullptr, CursorMove = nullptr, CursorLink = nullptr;
    HCURSOR CursorScrollCopy = nullptr, CursorScrollMove = nullptr, CursorScrollLink = nullptr;

    TWinControl* DragDropControl() const { return control_; }
    void SetDragDropControl(TWinControl* control);
    TDropEffectSet SourceEffects() const { return sourceEffects_; }
    void SetSourceEffects(TDropEffectSet effects);
    TDropEffectSet TargetEffects() const { return targetEffects_; }
    void SetTargetEffects(TDropEffectSet effects);

    TDragDetectStatus DragDetectStatus() const { return detector_.Status(); }
    bool Registered() const { return registered_; }
    bool Subclassed() const { return subclassed_; }
    bool OwnDrag() const { return ownDrag_; }
    // The effects the source offered on the last drag enter.
    DWORD OfferedEffects() const { return offeredEffects_; }
    bool RightButtonDrag() const { return rightButtonDrag_; }
    TDropTarget* DropTarget() const { return dropTarget_.get(); }
    HMENU DropMenu() const { return menu_.get(); }

    // 0 left, 1 right: starts detection as a button press on the control does; anything
    // else ends it.
    virtual void StartDetectDragDrop(int button);
    // 1 none or cancelled, 2 copied, 3 moved, 4 linked.
    int DoDragDrop(IDataObject* data);
    bool RegisterTarget();
    bool RevokeTarget();
    // Clipboard copy and paste of what the component carries; a component that carries
    // nothing has nothing to copy or paste.
    virtual bool CopyListToClipboard() { return false; }
    virtual bool ReadClipboard() { return false; }
    // Sets the drop menu's captions for the user's language.
    void SetMenuCaptions();

    // The mouse hook's work for one mouse message of the thread (screen coordinates).
    void HookMouseMessage(UINT msg, POINT screenPoint);

    std::function<void(DWORD keyState, POINT detectStart, POINT pt, TDragDetectStatus status)> OnDragDetect;
    std::function<void(IDataObject* data, DWORD keyState, POINT pt, DWORD& effect, bool& accept)> OnDragEnter;
    std::function<void()> OnDragLeave;
    std::function<void(DWORD keyState, POINT pt, DWORD& effect)> OnDragOver;
    std::function<void(IDataObject* data, DWORD keyState, POINT pt, DWORD& effect)> OnDrop;
    std::function<void(BOOL escapePressed, DWORD keyState, HRESULT& result)> OnQueryContinueDrag;
    std::function<void(DWORD effect, HRESULT& result)> OnGiveFeedback;
    std::function<void(TComponent* sender, DWORD keyState, POINT pt, DWORD effect)> OnProcessDropped;
    std::function<void(TComponent* sender, POINT pt, TScrollInterval& interval, TScrollDirection direction,
                       bool& scrollPage)> OnBeforeScrolling;
    TNotifyEvent OnAfterScrolling;

protected:
    void Notification(TComponent* component, TOperation operation) override;
    // Replaces the drop target (a derived component's own kind); the component takes the
    // creator's reference.
    void ReplaceDropTarget(TDropTarget* target);

private:
    friend class TDropSource;
    friend class TDropTarget;
    static LRESULT CALLBACK SubclassProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                         DWORD_PTR self);
    void ControlMessage(HWND window, UINT msg, WPARAM wParam);
    void HookControl();
    void UnhookControl(bool force);
    DWORD ChooseFromDropMenu(POINT screenPoint, DWORD chosen);
    void ProcessDropped();

    TWinControl* control_ = nullptr;
    ComPtr<TDropTarget> dropTarget_;
    MenuHandle menu_;
    TDragDetector detector_;
    TDropEffectSet sourceEffects_ = 0;
    TDropEffectSet targetEffects_ = 0;
    bool registered_ = false;
    bool subclassed_ = false;
    HWND subclassedWindow_ = nullptr;
    bool ownDrag_ = false;
    bool rightButtonDrag_ = false;
    bool horzScrolling_ = false;
    bool vertScrolling_ = false;
    DWORD offeredEffects_ = 0;
    // What the drop left for processing after the drag loop.
    DWORD droppedKeyState_ = 0;
    POINT droppedPoint_ = {};
    DWORD droppedEffect_ = 0;
    ComPtr<IDataObject> droppedData_;
};

// The registered message that hands a drop on after the system's drag loop has ended.
UINT DDM_ProcessDropped();
