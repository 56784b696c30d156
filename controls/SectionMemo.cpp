// The section list box's in-place editor.
#include <windows.h>

#include "SectionMemo.h"

#include "slstbox.h"

TSectionMemo::TSectionMemo(TSectionListBox* list) : TEdit(list), list_(*list) {}

void TSectionMemo::CreateParams(TCreateParams& params)
{
    TEdit::CreateParams(params);
    params.style &= ~(WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL);
    params.style |= ES_MULTILINE | ES_AUTOVSCROLL;
    params.exStyle &= ~WS_EX_CLIENTEDGE;
}

LRESULT TSectionMemo::WndProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_GETDLGCODE)
        return DLGC_WANTALLKEYS | DLGC_HASSETSEL;
    if (msg == WM_KEYDOWN) {
        bool oneLine = SendMessageA(Handle(), EM_GETLINECOUNT, 0, 0) < 2;
        if (wParam == VK_RETURN || ((wParam == VK_UP || wParam == VK_DOWN) && oneLine)) {
            list_.EndEdit();
            return 0;
        }
    }
    if (msg == WM_CHAR && (wParam == '\r' || wParam == '\n'))
        return 0;
    if (msg == WM_KILLFOCUS) {
        // The focus is on its way elsewhere (another control, another window): it stays there.
        LRESULT result = TEdit::WndProc(msg, wParam, lParam);
        list_.EndEdit(false);
        return result;
    }
    return TEdit::WndProc(msg, wParam, lParam);
}
