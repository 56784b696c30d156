// OLE drag and drop for one windowed control: drag detection by a mouse hook, the data object,
// drop source and drop target, auto-scrolling near the edges and the right-button drop menu.
#pragma once

#include <windows.h>
#include <ole2.h>

#include "Component.h"
#include "ComPtr.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

class TWinControl;
class TTimer;
class TDragDrop;

// ---- Window-free rules, shared by the objects below and called directly by tests ----

enum TDragDetectStatus { ddsNone = 0, ddsLeft = 1, ddsRight = 2, ddsCancel = 3, ddsDrag = 4 };
enum TScrollDirection { sdUp = 0, sdDown = 1, sdLeft = 2, sdRight = 3 };
enum TRenderDataOn { rdoEnter, rdoEnterAndDropSync, rdoEnterAndDropAsync, rdoDropSync, rdoDropAsync, rdoNever };

// Effect bits as DROPEFFECT values: copy 1, move 2, link 4.
enum TDropEffect : DWORD { deCopy = DROPEFFECT_COPY, deMove = DROPEFFECT_MOVE, deLink = DROPEFFECT_LINK };
using TDropEffectSet = DWORD;
enum TSrcCompatibilityCheck : unsigned { CheckLindex = 1, CheckdwAspect = 2 };
using TSrcCompatibilityCheckSet = unsigned;
using TScrollInterval = WORD;

struct TDropMenuCaptions {
    std::string copy, move, shortcut, abort;
};
// The drop menu's captions for a primary language id (LANG_GERMAN, ...); English for others.
TDropMenuCaptions DropMenuCaptions(WORD primaryLanguage);

struct TEffectChoiceInput {
    bool ownDrag = false;       // the drag started in the component's own control
    bool acceptOwnDnD = false;
    DWORD keyState = 0;         // MK_SHIFT, MK_CONTROL, ...
    DWORD targetEffects = 0;    // what the target accepts
    DWORD offered = 0;          // what the source offers
    bool scrolling = false;     // a scroll bar of the control is being moved
};
DWORD ChooseDropEffect(const TEffectChoiceInput& in);

// 0 none, 1 towards the start (up/left), 2 towards the end (down/right), from a client
// coordinate along one axis of `extent` pixels and the bands at its two edges.
int DetectScrollBand(int position, int extent, WORD nearMargin, WORD nearRange, WORD farMargin, WORD farRange);
// Whether a scroll bar in that state can move that way (1 towards the start, 2 towards the end).
bool ScrollBarCanMove(const SCROLLINFO& info, int direction);

// ---- COM objects ----

// One reference count for the objects of this unit; creation gives the creator the first
// reference, so a ComPtr that takes the new object over frees it with its last Release.
template <typename Interface>
class TDDInterfacedObject : public Interface {
public:
    TDDInterfacedObject(const TDDInterfacedObject&) = delete;
    TDDInterfacedObject& operator=(const TDDInterfacedObject&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override
    {
        if (!object)
            return E_POINTER;
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, interfaceId_)) {
            *object = static_cast<Interface*>(this);
            this->AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&refCount_)); }
    ULONG STDMETHODCALLTYPE Release() override
    {
        LONG count = InterlockedDecrement(&refCount_);
        if (count == 0)
            delete this;
        return static_cast<ULONG>(count);
    }
    LONG RefCount() const { return refCount_; }

protected:
    explicit TDDInterfacedObject(REFIID interfaceId) : interfaceId_(interfaceId) {}
    virtual ~TDDInterfacedObject() = default;

private:
    LONG refCount_ = 1;
    IID interfaceId_;
};

// The FORMATETC records a data object offers.
class TFormatEtcList {
public:
    int Count() const { return static_cast<int>(items_.size()); }
    int Add(const FORMATETC& format);
    // Both raise ERangeError "Invalid item index" outside 0..Count-1.
    FORMATETC GetItem(int index) const;
    void SetItem(int index, const FORMATETC& format);
    std::unique_ptr<TFormatEtcList> Clone() const { return std::make_unique<TFormatEtcList>(*this); }

private:
    std::vector<FORMATETC> items_;
};

class TEnumFormatEtc : public TDDInterfacedObject<IEnumFORMATETC> {
public:
    // Owns the list; the caller holds the first reference.
    explicit TEnumFormatEtc(std::unique_ptr<TFormatEtcList> list, ULONG position = 0);

    HRESULT STDMETHODCALLTYPE Next(ULONG celt, FORMATETC* records, ULONG* fetched) override;
    HRESULT STDMETHODCALLTYPE Skip(ULONG celt) override;
    HRESULT STDMETHODCALLTYPE Reset() override;
    HRESULT STDMETHODCALLTYPE Clone(IEnumFORMATETC** result) override;

private:
    std::unique_ptr<TFormatEtcList> list_;
    ULONG position_;
};

// A data object over a list of offered formats; a derived class renders each one.
class TDataObject : public TDDInterfacedObject<IDataObject> {
public:
    TDataObject();

    TFormatEtcList& Formats() { return formats_; }
    bool CheckLindex = true;
    bool CheckdwAspect = true;

    // Fills `medium` for one offered format; the receiver owns what it gets.
    virtual HRESULT RenderData(const FORMATETC& format, STGMEDIUM& medium) = 0;
    // Puts every HGLOBAL format on the clipboard; false (clipboard emptied) on any failure, and
    // false without touching the clipboard when nothing is offered.
    virtual bool PutOnClipboard();

    HRESULT STDMETHODCALLTYPE GetData(FORMATETC* format, STGMEDIUM* medium) override;
    HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* format) override;
    HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) override;
    HRESULT STDMETHODCALLTYPE SetData(FORMATETC* format, STGMEDIUM* medium, BOOL release) override;
    HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD direction, IEnumFORMATETC** result) override;
    HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE DUnadvise(DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA** result) override;

private:
    TFormatEtcList formats_;
};

class TDropSource : public TDDInterfacedObject<IDropSource> {
public:
    explicit TDropSource(TDragDrop* owner);
    HRESULT STDMETHODCALLTYPE QueryContinueDrag(BOOL escapePressed, DWORD keyState) override;
    HRESULT STDMETHODCALLTYPE GiveFeedback(DWORD effect) override;

private:
    TDragDrop* owner_;
};

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

// ---- Options ----

class TScrollDetectArea {
public:
    WORD Margin() const { return margin_; }
    void SetMargin(WORD value);
    WORD Range() const { return range_; }
    void SetRange(WORD value);
    void Assign(const TScrollDetectArea& source);
    std::function<void(TScrollDetectArea*)> OnChange;

private:
    void Change();
    WORD margin_ = 0;
    WORD range_ = 10;
};

class TScrollDetectOptions {
public:
    TScrollDetectOptions() = default;
    TScrollDetectOptions(const TScrollDetectOptions&) = delete;
    TScrollDetectOptions& operator=(const TScrollDetectOptions&) = delete;

    TScrollInterval ScrollDelay() const { return scrollDelay_; }
    void SetScrollDelay(TScrollInterval value);
    TScrollInterval StartDelay() const { return startDelay_; }
    void SetStartDelay(TScrollInterval value);
    TScrollDetectArea AreaLeft, AreaTop, AreaRight, AreaBottom;
    bool HorzScrolling = false;
    bool VertScrolling = false;
    bool HorzPageScroll = false;
    bool VertPageScroll = false;
    void Assign(const TScrollDetectOptions& source);
    std::function<void(TScrollDetectOptions*)> OnChange;

private:
    void Change();
    TScrollInterval scrollDelay_ = 100;
    TScrollInterval startDelay_ = 750;
};

// ---- The component ----

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

    TDragDetectStatus DragDetectStatus() const { return status_; }
    bool Registered() const { return registered_; }
    bool Subclassed() const { return subclassed_; }
    bool OwnDrag() const { return ownDrag_; }
    // The effects the source offered on the last drag enter.
    DWORD OfferedEffects() const { return offeredEffects_; }
    bool RightButtonDrag() const { return rightButtonDrag_; }
    TDropTarget* DropTarget() const { return dropTarget_.get(); }
    HMENU DropMenu() const { return menu_; }

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
    static LRESULT CALLBACK SubclassProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT ControlMessage(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);
    void HookControl();
    void UnhookControl(bool force);
    void SetStatus(TDragDetectStatus status, POINT pt = {});
    DWORD ChooseFromDropMenu(POINT screenPoint, DWORD chosen);
    void BeginDetect(TDragDetectStatus status);
    DWORD ModifierKeys() const;
    void ProcessDropped();

    TWinControl* control_ = nullptr;
    ComPtr<TDropTarget> dropTarget_;
    HMENU menu_ = nullptr;
    TDropEffectSet sourceEffects_ = 0;
    TDropEffectSet targetEffects_ = 0;
    bool registered_ = false;
    bool subclassed_ = false;
    HWND subclassedWindow_ = nullptr;
    WNDPROC previousProc_ = nullptr;
    TDragDetectStatus status_ = ddsNone;
    POINT detectStart_ = {};
    int buttonCount_ = 0;
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
