// The drag-and-drop component: subclassing and registering its control, the drop menu, the
// hand-over of a drop after the drag loop and starting drags.
#include <windows.h>
#include <commctrl.h>
#include <ole2.h>

#include "DragDrop.h"

#include "Controls.h"
#include "Forms.h"
#include "LateLibrary.h"

namespace {

enum MenuCommand : UINT { cmdMove = 1, cmdCopy = 2, cmdShortcut = 3, cmdAbort = 4 };

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
        HRESULT result = Ole32::OleInitialize(nullptr);
        initialised = SUCCEEDED(result);
    }
    DDM_ProcessDropped();
}

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

TDragDrop::TDragDrop(TComponent* owner)
    : TComponent(owner), menu_(CreatePopupMenu()),
      detector_(DragDetectDelta, [this](DWORD keyState, POINT detectStart, POINT pt, TDragDetectStatus status) {
          if (OnDragDetect)
              OnDragDetect(keyState, detectStart, pt, status);
      })
{
    InitDragDrop();
    dropTarget_ = ComPtr<TDropTarget>(new TDropTarget(this));
    AppendMenuA(menu_.get(), MF_STRING, cmdMove, "");
    AppendMenuA(menu_.get(), MF_STRING, cmdCopy, "");
    AppendMenuA(menu_.get(), MF_STRING, cmdShortcut, "");
    AppendMenuA(menu_.get(), MF_SEPARATOR, 0, nullptr);
    AppendMenuA(menu_.get(), MF_STRING, cmdAbort, "");
    SetMenuCaptions();
}

TDragDrop::~TDragDrop()
{
    detector_.ReleaseHook();
    RevokeTarget();
    UnhookControl(true);
    if (control_)
        control_->RemoveFreeNotification(this);
    // OLE or a drag in progress may still hold the target: it must not reach back here.
    dropTarget_->StopScrolling();
    dropTarget_->owner_ = nullptr;
    dropTarget_.reset();
    droppedData_.reset();
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
    ModifyMenuA(menu_.get(), cmdMove, MF_BYCOMMAND | MF_STRING, cmdMove, captions.move.c_str());
    ModifyMenuA(menu_.get(), cmdCopy, MF_BYCOMMAND | MF_STRING, cmdCopy, captions.copy.c_str());
    ModifyMenuA(menu_.get(), cmdShortcut, MF_BYCOMMAND | MF_STRING, cmdShortcut, captions.shortcut.c_str());
    ModifyMenuA(menu_.get(), cmdAbort, MF_BYCOMMAND | MF_STRING, cmdAbort, captions.abort.c_str());
}

DWORD TDragDrop::ChooseFromDropMenu(POINT screenPoint, DWORD chosen)
{
    HWND window = control_ ? control_->Handle() : nullptr;
    if (!window)
        return DROPEFFECT_NONE;
    // Menu items cannot be hidden: the shown menu holds only the items the target accepts.
    const MenuHandle shown(CreatePopupMenu());
    auto copyItem = [&](UINT command, bool visible) {
        if (!visible)
            return;
        char text[256] = {};
        GetMenuStringA(menu_.get(), command, text, sizeof(text), MF_BYCOMMAND);
        AppendMenuA(shown.get(), MF_STRING, command, text);
    };
    copyItem(cmdMove, (targetEffects_ & DROPEFFECT_MOVE) != 0);
    copyItem(cmdCopy, (targetEffects_ & DROPEFFECT_COPY) != 0);
    copyItem(cmdShortcut, (targetEffects_ & DROPEFFECT_LINK) != 0);
    AppendMenuA(shown.get(), MF_SEPARATOR, 0, nullptr);
    copyItem(cmdAbort, true);
    const UINT defaultCommand = (chosen & DROPEFFECT_MOVE) ? cmdMove : (chosen & DROPEFFECT_COPY) ? cmdCopy : cmdShortcut;
    SetMenuDefaultItem(shown.get(), defaultCommand, FALSE);
    // The command comes back as the result, not as a message the control would see too.
    const UINT command = static_cast<UINT>(TrackPopupMenu(shown.get(), TPM_RIGHTBUTTON | TPM_RETURNCMD | TPM_NONOTIFY,
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
        Ole32::CoLockObjectExternal(dropTarget_.get(), TRUE, FALSE);
        if (FAILED(Ole32::RegisterDragDrop(window, dropTarget_.get()))) {
            Ole32::CoLockObjectExternal(dropTarget_.get(), FALSE, FALSE);
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
        Ole32::CoLockObjectExternal(dropTarget_.get(), FALSE, FALSE);
        if (control_->HandleAllocated() && FAILED(Ole32::RevokeDragDrop(control_->Handle())))
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
    // Chained through the common controls, so that unhooking leaves later subclasses in place.
    if (!ComCtl32::SetWindowSubclass(window, &TDragDrop::SubclassProc, reinterpret_cast<UINT_PTR>(this),
                                     reinterpret_cast<DWORD_PTR>(this)))
        return;
    subclassedWindow_ = window;
    subclassed_ = true;
}

void TDragDrop::UnhookControl(bool force)
{
    if (!subclassed_ || (!force && (sourceEffects_ || targetEffects_)))
        return;
    if (IsWindow(subclassedWindow_))
        ComCtl32::RemoveWindowSubclass(subclassedWindow_, &TDragDrop::SubclassProc, reinterpret_cast<UINT_PTR>(this));
    subclassedWindow_ = nullptr;
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

LRESULT CALLBACK TDragDrop::SubclassProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                         DWORD_PTR self)
{
    // The control's own procedure answers first; we only watch.
    LRESULT result = ComCtl32::DefSubclassProc(window, msg, wParam, lParam);
    Guarded([&] { reinterpret_cast<TDragDrop*>(self)->ControlMessage(window, msg, wParam); });
    return result;
}

void TDragDrop::ControlMessage(HWND window, UINT msg, WPARAM wParam)
{
    switch (msg) {
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
        if (AutoDetectDnD && !detector_.Detecting() && sourceEffects_)
            detector_.Begin(msg == WM_LBUTTONDOWN ? ddsLeft : ddsRight);
        break;
    case WM_MOUSEMOVE:
        if (!(wParam & (MK_LBUTTON | MK_RBUTTON)) && detector_.Detecting())
            detector_.Cancel();
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
            Ole32::RevokeDragDrop(window);
            Ole32::CoLockObjectExternal(dropTarget_.get(), FALSE, FALSE);
            registered_ = false;
        }
        UnhookControl(true);
        break;
    default:
        if (msg == DDM_ProcessDropped())
            ProcessDropped();
        break;
    }
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

void TDragDrop::StartDetectDragDrop(int button)
{
    detector_.Start(button);
}

void TDragDrop::HookMouseMessage(UINT msg, POINT pt)
{
    detector_.MouseMessage(msg, pt);
}

int TDragDrop::DoDragDrop(IDataObject* data)
{
    if (!sourceEffects_ || !data) {
        detector_.SetStatus(ddsNone);
        return 1;
    }
    detector_.ReleaseHook();
    detector_.SetStatus(ddsDrag);
    if (auto* own = dynamic_cast<TDataObject*>(data)) {
        own->CheckLindex = (SourceCompatibility & CheckLindex) != 0;
        own->CheckdwAspect = (SourceCompatibility & CheckdwAspect) != 0;
    }
    ownDrag_ = true;
    ComPtr<TDropSource> source(new TDropSource(this));
    DWORD effect = DROPEFFECT_NONE;
    HRESULT result = Ole32::DoDragDrop(data, source.get(), sourceEffects_, &effect);
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
