// TSectionMemo: the section list box's in-place editor, a multi-line edit that ends the editing
// when it loses the focus, on Enter, and on Up or Down while it holds a single line.
#pragma once

#include <windows.h>

#include "StdCtrls.h"

class TSectionListBox;

class TSectionMemo : public TEdit {
public:
    explicit TSectionMemo(TSectionListBox* list);

protected:
    void CreateParams(TCreateParams& params) override;
    LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    TSectionListBox& list_;
};
