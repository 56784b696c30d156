// OLE drag and drop for one windowed control: detection, COM objects, auto-scroll, drop menu.
#include <windows.h>
#include <ole2.h>

#include "DragDrop.h"

#include "Controls.h"
#include "Exceptions.h"
#include "ExtCtrls.h"
#include "Forms.h"

#include <algorithm>
#include <cstdlib>

namespace {

const char kControlProperty[] = "QlDragDrop";

enum MenuCommand : UINT { cmdMove = 1, cmdCopy = 2, cmdShortcut = 3, cmdAbort = 4 };

// The process-wide mouse hook and the one component whose detection it serves.
struct MouseHook {
    HHOOK handle = nullptr;
    TDragDrop* instance = nullptr;
    ~MouseHook() { Remove(); }
    void Remove()
    {
        if (handle)
            UnhookWindowsHookEx(handle);
        handle = nullptr;
        instance = nullptr;
    }
};
MouseHook mouseHook;

LRESULT CALLBACK MouseHookProc(int code, WPARAM wParam, LPARAM lParam)
{
    LRESULT result = CallNextHookEx(mouseHook.handle, code, wParam, lParam);
    if (code == HC_ACTION) {
        Guarded([&] {
            if (!mouseHook.instance)
                mouseHook.Remove();
            else
                mouseHook.instance->HookMouseMessage(static_cast<UINT>(wParam),
                                                     reinterpret_cast<MOUSEHOOKSTRUCT*>(lParam)->pt);
        });
    }
    return result;
}

// Owner of what PutOnClipboard leaves there: the clipboard refuses data without one.
class ClipboardWindow {
public:
    ~ClipboardWindow()
    {
        if (window_)
            DestroyWindow(window_);
    }
    HWND Get()
    {
        if (!window_)
            window_ = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                      GetModuleHandleA(nullptr), nullptr);
        return window_;
    }

private:
    HWND window_ = nullptr;
};
ClipboardWindow clipboardWindow;

bool IsButtonDown(UINT msg, bool left)
{
    if (left)
        return msg == WM_LBUTTONDOWN || msg == WM_LBUTTONDBLCLK || msg == WM_NCLBUTTONDOWN || msg == WM_NCLBUTTONDBLCLK;
    return msg == WM_RBUTTONDOWN || msg == WM_RBUTTONDBLCLK || msg == WM_NCRBUTTONDOWN || msg == WM_NCRBUTTONDBLCLK;
}

bool IsButtonUp(UINT msg, bool left)
{
    if (left)
        return msg == WM_LBUTTONUP || msg == WM_NCLBUTTONUP;
    return msg == WM_RBUTTONUP || msg == WM_NCRBUTTONUP;
}

bool FormatMatches(const FORMATETC& offered, const FORMATETC& wanted, bool checkLindex, bool checkAspect)
{
    return (offered.tymed & wanted.tymed) != 0 && (!checkLindex || offered.lindex == wanted.lindex) &&
           (!checkAspect || offered.dwAspect == wanted.dwAspect) && offered.cfFormat == wanted.cfFormat;
}

}  // namespace

UINT DDM_ProcessDropped()
{
    static const UINT message = RegisterWindowMessageA("DDM_ProcessDropped");
    return message;
}

void InitDragDrop()
{
    // OLE stays initialised for the thread's life: drop targets may be registered until its end.
    thread_local bool initialised = false;
    if (!initialised) {
        HRESULT result = OleInitialize(nullptr);
        initialised = SUCCEEDED(result);
    }
    DDM_ProcessDropped();
}

// ---- Window-free rules ----

TDropMenuCaptions DropMenuCaptions(WORD primaryLanguage)
{
    switch (primaryLanguage) {
    case LANG_GERMAN:
        return {"Hierher &kopieren", "Hierher &verschieben", "Verknüpfung(en) hier &erstellen", "&Abbrechen"};
    case LANG_SPANISH:
        return {"&Copie aquí", "&Muévase aquí", "&Atajo(s) crea aquí ", "&Aborto"};
    case LANG_FRENCH:
        return {"&Copier ici", "&Transférer ici", "&Créer un ou des raccourci(s) ici", "&Arrêt"};
    case LANG_ITALIAN:
        return {"&Copiare qui", "&Muoversi qui", "&Scorciatoia(e) crea qui", "&Terminazione"};
    case LANG_POLISH:
        // Polish menus are shown in code page 1250, where 0x9C is the s with acute.
        return {"&Kopiuj tutaj", "&Przenie\x9C tutaj", "Utwórz &skrót(y) tutaj", "&Anuluj"};
    case LANG_PORTUGUESE:
        return {"&Copíe aqui", "&Mova aqui", "&Atalho(s) cría aqui", "&Aborto"};
    default:
        return {"&Copy Here", "&Move Here", "&Shortcut(s) Create Here", "&Abort"};
    }
}

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

int DetectScrollBand(int position, int extent, WORD nearMargin, WORD nearRange, WORD farMargin, WORD farRange)
{
    const int nearStart = nearMargin;
    const int nearEnd = nearMargin + nearRange;
    const int farEnd = extent - 1 - farMargin;
    const int farStart = farEnd - farRange;
    if (farStart <= nearEnd)
        return 0;
    if (position >= nearStart && position <= nearEnd)
        return 1;
    if (position >= farStart && position <= farEnd)
        return 2;
    return 0;
}

bool ScrollBarCanMove(const SCROLLINFO& info, int direction)
{
    if (direction == 1)
        return info.nPos > info.nMin;
    if (direction == 2) {
        const int page = info.nPage > 0 ? static_cast<int>(info.nPage) - 1 : 0;
        return info.nPos < info.nMax - page;
    }
    return false;
}

// ---- TFormatEtcList ----

int TFormatEtcList::Add(const FORMATETC& format)
{
    items_.push_back(format);
    return Count() - 1;
}

FORMATETC TFormatEtcList::GetItem(int index) const
{
    if (index < 0 || index >= Count())
        throw ERangeError("Invalid item index");
    return items_[index];
}

void TFormatEtcList::SetItem(int index, const FORMATETC& format)
{
    if (index < 0 || index >= Count())
        throw ERangeError("Invalid item index");
    items_[index] = format;
}

// ---- TEnumFormatEtc ----

TEnumFormatEtc::TEnumFormatEtc(std::unique_ptr<TFormatEtcList> list, ULONG position)
    : TDDInterfacedObject(IID_IEnumFORMATETC), list_(std::move(list)), position_(position)
{
    if (!list_)
        list_ = std::make_unique<TFormatEtcList>();
}

HRESULT STDMETHODCALLTYPE TEnumFormatEtc::Next(ULONG celt, FORMATETC* records, ULONG* fetched)
{
    if (fetched)
        *fetched = 0;
    const ULONG count = static_cast<ULONG>(list_->Count());
    if (celt < 1 || count == 0 || position_ >= count || (!fetched && celt != 1) || !records)
        return S_FALSE;
    const ULONG n = std::min(celt, count - position_);
    for (ULONG i = 0; i < n; ++i)
        records[i] = list_->GetItem(static_cast<int>(position_ + i));
    position_ += n;
    if (fetched)
        *fetched = n;
    return n == celt ? S_OK : S_FALSE;
}

HRESULT STDMETHODCALLTYPE TEnumFormatEtc::Skip(ULONG celt)
{
    if (static_cast<ULONGLONG>(position_) + celt > static_cast<ULONG>(list_->Count()))
        return S_FALSE;
    position_ += celt;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE TEnumFormatEtc::Reset()
{
    position_ = 0;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE TEnumFormatEtc::Clone(IEnumFORMATETC** result)
{
    if (!result)
        return E_POINTER;
    *result = nullptr;
    try {
        *result = new TEnumFormatEtc(list_->Clone(), position_);
        return S_OK;
    } catch (...) {
        return E_FAIL;
    }
}

// ---- TDataObject ----

TDataObject::TDataObject() : TDDInterfacedObject(IID_IDataObject) {}

HRESULT STDMETHODCALLTYPE TDataObject::GetData(FORMATETC* format, STGMEDIUM* medium)
{
    if (!format || !medium)
        return E_INVALIDARG;
    try {
        *medium = {};
        for (int i = 0; i < formats_.Count(); ++i) {
            if (FormatMatches(formats_.GetItem(i), *format, CheckLindex, CheckdwAspect)) {
                TCursorGuard hourglass(crHourGlass);
                return RenderData(*format, *medium);
            }
        }
        return DV_E_FORMATETC;
    } catch (...) {
        medium->hGlobal = nullptr;
        return E_FAIL;
    }
}

HRESULT STDMETHODCALLTYPE TDataObject::QueryGetData(FORMATETC* format)
{
    if (!format)
        return E_INVALIDARG;
    // Misses ranked from far to near: the answer names the nearest one.
    int nearest = -1;
    static const HRESULT misses[] = {DV_E_TYMED, DV_E_DVASPECT, DV_E_LINDEX};
    for (int i = 0; i < formats_.Count(); ++i) {
        FORMATETC offered = formats_.GetItem(i);
        if (offered.cfFormat != format->cfFormat)
            continue;
        int miss;
        if (!(offered.tymed & format->tymed))
            miss = 0;
        else if (offered.dwAspect != format->dwAspect)
            miss = 1;
        else if (offered.lindex != format->lindex)
            miss = 2;
        else
            return S_OK;
        nearest = std::max(nearest, miss);
    }
    return nearest < 0 ? DV_E_FORMATETC : misses[nearest];
}

HRESULT STDMETHODCALLTYPE TDataObject::GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out)
{
    if (out)
        out->ptd = nullptr;
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE TDataObject::SetData(FORMATETC* format, STGMEDIUM*, BOOL release)
{
    if (!format || release)
        return E_FAIL;
    // Only the offer is kept; a target device belongs to the caller and is not kept.
    FORMATETC offer = *format;
    offer.ptd = nullptr;
    bool found = false;
    for (int i = 0; i < formats_.Count(); ++i) {
        if (formats_.GetItem(i).cfFormat == offer.cfFormat) {
            formats_.SetItem(i, offer);
            found = true;
        }
    }
    if (!found)
        formats_.Add(offer);
    return E_FAIL;
}

HRESULT STDMETHODCALLTYPE TDataObject::EnumFormatEtc(DWORD direction, IEnumFORMATETC** result)
{
    if (!result)
        return E_POINTER;
    *result = nullptr;
    if (direction != DATADIR_GET)
        return OLE_S_USEREG;
    try {
        *result = new TEnumFormatEtc(formats_.Clone());
        return S_OK;
    } catch (...) {
        return E_OUTOFMEMORY;
    }
}

HRESULT STDMETHODCALLTYPE TDataObject::EnumDAdvise(IEnumSTATDATA** result)
{
    if (result)
        *result = nullptr;
    return OLE_E_ADVISENOTSUPPORTED;
}

bool TDataObject::PutOnClipboard()
{
    if (formats_.Count() == 0)
        return false;
    HWND owner = clipboardWindow.Get();
    bool open = false;
    try {
        if (!OpenClipboard(owner))
            throw Exception("Cannot open clipboard");
        open = true;
        if (!EmptyClipboard())
            throw Exception("Cannot clear clipboard");
        for (int i = 0; i < formats_.Count(); ++i) {
            FORMATETC format = formats_.GetItem(i);
            if (format.tymed != TYMED_HGLOBAL)
                continue;
            STGMEDIUM medium = {};
            // A failed rendering would leave a null handle, which the clipboard takes as a
            // promise of delayed rendering that nobody keeps.
            if (FAILED(RenderData(format, medium)) || !medium.hGlobal)
                throw Exception("Cannot add data to clipboard");
            if (!SetClipboardData(format.cfFormat, medium.hGlobal)) {
                ReleaseStgMedium(&medium);
                throw Exception("Cannot add data to clipboard");
            }
        }
        open = false;
        if (!CloseClipboard())
            throw Exception("Cannot close clipboard");
        return true;
    } catch (...) {
        if (open) {
            EmptyClipboard();
            CloseClipboard();
        }
        return false;
    }
}

// ---- TDropSource ----

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

// ---- TDropTarget ----

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

// ---- Options ----

void TScrollDetectArea::SetMargin(WORD value)
{
    if (value == margin_)
        return;
    margin_ = value;
    Change();
}

void TScrollDetectArea::SetRange(WORD value)
{
    if (value == range_)
        return;
    range_ = value;
    Change();
}

void TScrollDetectArea::Assign(const TScrollDetectArea& source)
{
    margin_ = source.margin_;
    range_ = source.range_;
    Change();
}

void TScrollDetectArea::Change()
{
    if (OnChange)
        OnChange(this);
}

void TScrollDetectOptions::SetScrollDelay(TScrollInterval value)
{
    value = std::clamp<TScrollInterval>(value, 1, 10000);
    if (value == scrollDelay_)
        return;
    scrollDelay_ = value;
    Change();
}

void TScrollDetectOptions::SetStartDelay(TScrollInterval value)
{
    value = std::clamp<TScrollInterval>(value, 1, 10000);
    if (value == startDelay_)
        return;
    startDelay_ = value;
    Change();
}

void TScrollDetectOptions::Assign(const TScrollDetectOptions& source)
{
    scrollDelay_ = source.scrollDelay_;
    startDelay_ = source.startDelay_;
    AreaLeft.Assign(source.AreaLeft);
    AreaTop.Assign(source.AreaTop);
    AreaRight.Assign(source.AreaRight);
    AreaBottom.Assign(source.AreaBottom);
    Change();
}

void TScrollDetectOptions::Change()
{
    if (OnChange)
        OnChange(this);
}

// ---- TDragDrop ----

TDragDrop::TDragDrop(TComponent* owner) : TComponent(owner)
{
    InitDragDrop();
    dropTarget_ = ComPtr<TDropTarget>(new TDropTarget(this));
    menu_ = CreatePopupMenu();
    AppendMenuA(menu_, MF_STRING, cmdMove, "");
    AppendMenuA(menu_, MF_STRING, cmdCopy, "");
    AppendMenuA(menu_, MF_STRING, cmdShortcut, "");
    AppendMenuA(menu_, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(menu_, MF_STRING, cmdAbort, "");
    SetMenuCaptions();
}

TDragDrop::~TDragDrop()
{
    if (mouseHook.instance == this)
        mouseHook.Remove();
    RevokeTarget();
    UnhookControl(true);
    if (control_)
        control_->RemoveFreeNotification(this);
    // OLE or a drag in progress may still hold the target: it must not reach back here.
    dropTarget_->StopScrolling();
    dropTarget_->owner_ = nullptr;
    dropTarget_.reset();
    droppedData_.reset();
    if (menu_)
        DestroyMenu(menu_);
}

void TDragDrop::ReplaceDropTarget(TDropTarget* target)
{
    const bool wasRegistered = registered_;
    if (wasRegistered)
        RevokeTarget();
    dropTarget_->StopScrolling();
    dropTarget_->owner_ = nullptr;
    dropTarget_ = ComPtr<TDropTarget>(target);
    if (wasRegistered)
        RegisterTarget();
}

void TDragDrop::SetMenuCaptions()
{
    const TDropMenuCaptions captions = DropMenuCaptions(PRIMARYLANGID(LANGIDFROMLCID(GetUserDefaultLCID())));
    ModifyMenuA(menu_, cmdMove, MF_BYCOMMAND | MF_STRING, cmdMove, captions.move.c_str());
    ModifyMenuA(menu_, cmdCopy, MF_BYCOMMAND | MF_STRING, cmdCopy, captions.copy.c_str());
    ModifyMenuA(menu_, cmdShortcut, MF_BYCOMMAND | MF_STRING, cmdShortcut, captions.shortcut.c_str());
    ModifyMenuA(menu_, cmdAbort, MF_BYCOMMAND | MF_STRING, cmdAbort, captions.abort.c_str());
}

DWORD TDragDrop::ChooseFromDropMenu(POINT screenPoint, DWORD chosen)
{
    HWND window = control_ ? control_->Handle() : nullptr;
    if (!window)
        return DROPEFFECT_NONE;
    // Menu items cannot be hidden: the shown menu holds only the items the target accepts.
    struct MenuHolder {
        HMENU menu = CreatePopupMenu();
        ~MenuHolder() { DestroyMenu(menu); }
    } shown;
    auto copyItem = [&](UINT command, bool visible) {
        if (!visible)
            return;
        char text[256] = {};
        GetMenuStringA(menu_, command, text, sizeof(text), MF_BYCOMMAND);
        AppendMenuA(shown.menu, MF_STRING, command, text);
    };
    copyItem(cmdMove, (targetEffects_ & DROPEFFECT_MOVE) != 0);
    copyItem(cmdCopy, (targetEffects_ & DROPEFFECT_COPY) != 0);
    copyItem(cmdShortcut, (targetEffects_ & DROPEFFECT_LINK) != 0);
    AppendMenuA(shown.menu, MF_SEPARATOR, 0, nullptr);
    copyItem(cmdAbort, true);
    const UINT defaultCommand = (chosen & DROPEFFECT_MOVE) ? cmdMove : (chosen & DROPEFFECT_COPY) ? cmdCopy : cmdShortcut;
    SetMenuDefaultItem(shown.menu, defaultCommand, FALSE);
    // The command comes back as the result, not as a message the control would see too.
    const UINT command = static_cast<UINT>(TrackPopupMenu(shown.menu, TPM_RIGHTBUTTON | TPM_RETURNCMD | TPM_NONOTIFY,
                                                          screenPoint.x, screenPoint.y, 0, window, nullptr));
    switch (command) {
    case cmdCopy: return DROPEFFECT_COPY;
    case cmdMove: return DROPEFFECT_MOVE;
    case cmdShortcut: return DROPEFFECT_LINK;
    default: return DROPEFFECT_NONE;
    }
}

void TDragDrop::SetDragDropControl(TWinControl* control)
{
    if (control == control_)
        return;
    if (control_) {
        RevokeTarget();
        UnhookControl(true);
        control_->RemoveFreeNotification(this);
    }
    control_ = control;
    if (control_) {
        control_->FreeNotification(this);
        HookControl();
        if (targetEffects_)
            RegisterTarget();
    }
}

void TDragDrop::SetSourceEffects(TDropEffectSet effects)
{
    sourceEffects_ = effects & (deCopy | deMove | deLink);
    if (sourceEffects_ && !subclassed_)
        HookControl();
    else if (!sourceEffects_ && subclassed_)
        UnhookControl(false);
}

void TDragDrop::SetTargetEffects(TDropEffectSet effects)
{
    targetEffects_ = effects & (deCopy | deMove | deLink);
    if (targetEffects_ && !registered_)
        RegisterTarget();
    else if (!targetEffects_ && registered_)
        RevokeTarget();
}

bool TDragDrop::RegisterTarget()
{
    try {
        HookControl();
    } catch (...) {
    }
    if (registered_ || !targetEffects_ || !control_)
        return false;
    try {
        HWND window = control_->Handle();
        if (!window)
            return false;
        CoLockObjectExternal(dropTarget_.get(), TRUE, FALSE);
        if (FAILED(RegisterDragDrop(window, dropTarget_.get()))) {
            CoLockObjectExternal(dropTarget_.get(), FALSE, FALSE);
            return false;
        }
        registered_ = true;
        return true;
    } catch (...) {
        registered_ = false;
        return false;
    }
}

bool TDragDrop::RevokeTarget()
{
    if (!registered_ || !control_)
        return false;
    try {
        UnhookControl(false);
        CoLockObjectExternal(dropTarget_.get(), FALSE, FALSE);
        if (control_->HandleAllocated() && FAILED(RevokeDragDrop(control_->Handle())))
            return false;
        registered_ = false;
        return true;
    } catch (...) {
        return false;
    }
}

void TDragDrop::HookControl()
{
    if (!control_ || subclassed_ || !(sourceEffects_ || targetEffects_))
        return;
    HWND window = control_->Handle();
    if (!window)
        return;
    SetPropA(window, kControlProperty, this);
    previousProc_ = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&TDragDrop::SubclassProc)));
    subclassedWindow_ = window;
    subclassed_ = true;
}

void TDragDrop::UnhookControl(bool force)
{
    if (!subclassed_ || (!force && (sourceEffects_ || targetEffects_)))
        return;
    if (IsWindow(subclassedWindow_)) {
        SetWindowLongPtrA(subclassedWindow_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previousProc_));
        RemovePropA(subclassedWindow_, kControlProperty);
    }
    subclassedWindow_ = nullptr;
    previousProc_ = nullptr;
    subclassed_ = false;
}

void TDragDrop::Notification(TComponent* component, TOperation operation)
{
    TComponent::Notification(component, operation);
    if (operation == opRemove && component == control_) {
        RevokeTarget();
        UnhookControl(true);
        control_ = nullptr;
    }
}

LRESULT CALLBACK TDragDrop::SubclassProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam)
{
    auto* self = static_cast<TDragDrop*>(GetPropA(window, kControlProperty));
    if (!self || !self->previousProc_)
        return DefWindowProcA(window, msg, wParam, lParam);
    return self->ControlMessage(window, msg, wParam, lParam);
}

LRESULT TDragDrop::ControlMessage(HWND window, UINT msg, WPARAM wParam, LPARAM lParam)
{
    LRESULT result = CallWindowProcA(previousProc_, window, msg, wParam, lParam);
    Guarded([&] {
        switch (msg) {
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
            if (AutoDetectDnD && mouseHook.instance != this && sourceEffects_)
                BeginDetect(msg == WM_LBUTTONDOWN ? ddsLeft : ddsRight);
            break;
        case WM_MOUSEMOVE:
            if (!(wParam & (MK_LBUTTON | MK_RBUTTON)) && mouseHook.instance == this) {
                mouseHook.Remove();
                SetStatus(ddsNone);
            }
            break;
        case WM_HSCROLL:
            horzScrolling_ = LOWORD(wParam) != SB_ENDSCROLL;
            break;
        case WM_VSCROLL:
            vertScrolling_ = LOWORD(wParam) != SB_ENDSCROLL;
            break;
        case WM_DESTROY:
            // A registration must be revoked while its window exists, or OLE keeps the target.
            if (registered_) {
                RevokeDragDrop(window);
                CoLockObjectExternal(dropTarget_.get(), FALSE, FALSE);
                registered_ = false;
            }
            UnhookControl(true);
            break;
        default:
            if (msg == DDM_ProcessDropped())
                ProcessDropped();
            break;
        }
    });
    return result;
}

void TDragDrop::ProcessDropped()
{
    if (droppedData_) {
        ComPtr<IDataObject> data = std::move(droppedData_);
        TCursorGuard hourglass(crHourGlass);
        dropTarget_->RenderDropped(data.get(), droppedKeyState_, {droppedPoint_.x, droppedPoint_.y}, droppedEffect_);
    }
    if (OnProcessDropped)
        OnProcessDropped(this, droppedKeyState_, droppedPoint_, droppedEffect_);
}

DWORD TDragDrop::ModifierKeys() const
{
    DWORD keys = 0;
    if (GetKeyState(VK_SHIFT) < 0)
        keys |= MK_SHIFT;
    if (GetKeyState(VK_CONTROL) < 0)
        keys |= MK_CONTROL;
    return keys;
}

void TDragDrop::SetStatus(TDragDetectStatus status, POINT pt)
{
    status_ = status;
    if (OnDragDetect)
        OnDragDetect(ModifierKeys(), detectStart_, pt, status);
}

void TDragDrop::BeginDetect(TDragDetectStatus status)
{
    POINT cursor;
    GetCursorPos(&cursor);
    status_ = status;
    detectStart_ = cursor;
    buttonCount_ = 0;
    SetStatus(status, cursor);
    if (mouseHook.instance && mouseHook.instance != this) {
        TDragDrop* other = mouseHook.instance;
        mouseHook.Remove();
        other->SetStatus(ddsNone, cursor);
    }
    mouseHook.Remove();
    mouseHook.instance = this;
    // The hook serves this thread's windows only: a process-wide hook from a program (not a
    // library) cannot be loaded into other processes.
    mouseHook.handle = SetWindowsHookExA(WH_MOUSE, &MouseHookProc, nullptr, GetCurrentThreadId());
}

void TDragDrop::StartDetectDragDrop(int button)
{
    if (button == 0)
        BeginDetect(ddsLeft);
    else if (button == 1)
        BeginDetect(ddsRight);
    else
        status_ = ddsNone;
}

void TDragDrop::HookMouseMessage(UINT msg, POINT pt)
{
    const bool leftDown = IsButtonDown(msg, true), rightDown = IsButtonDown(msg, false);
    const bool leftUp = IsButtonUp(msg, true), rightUp = IsButtonUp(msg, false);
    if ((status_ == ddsLeft && rightDown) || (status_ == ddsRight && leftDown)) {
        buttonCount_ = 2;
        SetStatus(ddsCancel, pt);
    } else if (status_ == ddsCancel && (leftDown || rightDown)) {
        buttonCount_ = 2;
    } else if (status_ == ddsCancel && (leftUp || rightUp)) {
        if (--buttonCount_ <= 0) {
            if (mouseHook.instance == this)
                mouseHook.Remove();
            SetStatus(ddsNone, pt);
        }
    } else if ((status_ == ddsLeft && leftUp) || (status_ == ddsRight && rightUp)) {
        if (mouseHook.instance == this)
            mouseHook.Remove();
        SetStatus(ddsNone, pt);
    } else if (status_ == ddsLeft || status_ == ddsRight) {
        if (std::abs(pt.x - detectStart_.x) <= DragDetectDelta && std::abs(pt.y - detectStart_.y) <= DragDetectDelta)
            return;
        if (mouseHook.instance == this)
            mouseHook.Remove();
        SetStatus(ddsDrag, pt);   // the handler typically starts the drag here
        if (status_ != ddsNone)
            SetStatus(ddsNone, pt);
    }
}

int TDragDrop::DoDragDrop(IDataObject* data)
{
    if (!sourceEffects_ || !data) {
        status_ = ddsNone;
        return 1;
    }
    if (mouseHook.instance == this)
        mouseHook.Remove();
    status_ = ddsDrag;
    if (auto* own = dynamic_cast<TDataObject*>(data)) {
        own->CheckLindex = (SourceCompatibility & CheckLindex) != 0;
        own->CheckdwAspect = (SourceCompatibility & CheckdwAspect) != 0;
    }
    ownDrag_ = true;
    ComPtr<TDropSource> source(new TDropSource(this));
    DWORD effect = DROPEFFECT_NONE;
    HRESULT result = ::DoDragDrop(data, source.get(), sourceEffects_, &effect);
    // A later drag from elsewhere must not count as our own.
    ownDrag_ = false;
    if (result != DRAGDROP_S_DROP)
        return 1;
    if (effect & DROPEFFECT_COPY)
        return 2;
    if (effect & DROPEFFECT_MOVE)
        return 3;
    if (effect & DROPEFFECT_LINK)
        return 4;
    // NT reports an optimised move (the target moved the files itself) as no effect.
    return (GetVersion() & 0x80000000u) ? 1 : 3;
}
