// In-place editing of a sub-item of the section list box.
#include <windows.h>

#include "slstbox.h"

#include "SectionMemo.h"

#include <algorithm>

bool TSectionListBox::Editing() const
{
    return editRow_ >= 0;
}

void TSectionListBox::StartEdit(int row)
{
    int sectionIdx = -1;
    int subItemIdx = -1;
    if (!GetSelection(row, sectionIdx, subItemIdx) || sectionIdx < 0 || subItemIdx < 0)
        return;
    TListSection& section = sections_.Items(sectionIdx);
    if (section.ReadOnly() || section.ControlType() != scText || !HandleAllocated())
        return;
    if (Editing())
        EndEdit();
    RECT rect = ItemRect(row);
    editor_->SetColor(section.Color());
    editor_->SetFont(Font());
    editor_->SetBounds(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
    editor_->SetReadOnly(false);
    editor_->SetEnabled(true);
    editSection_ = sectionIdx;
    editSubItem_ = subItemIdx;
    editRow_ = row;
    std::string text = section.SubItems().Strings(subItemIdx);
    if (OnStartEdit)
        OnStartEdit(this, sectionIdx, subItemIdx, text);
    editor_->SetText(text);
    SendMessageA(editor_->Handle(), EM_SETSEL, 0, static_cast<LPARAM>(text.size()));
    editor_->Show();
    editor_->SetFocus();
    SendMessageA(editor_->Handle(), EM_LINESCROLL, 0, -SendMessageA(editor_->Handle(), EM_GETFIRSTVISIBLELINE, 0, 0));
}

void TSectionListBox::PlaceEditor()
{
    if (!Editing() || !HandleAllocated())
        return;
    RECT rect = ItemRect(editRow_);
    editor_->SetBounds(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
}

void TSectionListBox::EndEdit(bool focusList)
{
    if (!Editing() || endingEdit_)
        return;
    endingEdit_ = true;
    int sectionIdx = editSection_;
    int subItemIdx = editSubItem_;
    int row = editRow_;
    editRow_ = -1;
    std::string text = editor_->Text();
    while (!text.empty() && (text.back() == '\t' || text.back() == '\n' || text.back() == '\r'))
        text.pop_back();
    if (OnEndEdit)
        OnEndEdit(this, sectionIdx, subItemIdx, text);
    if (sectionIdx < sections_.Count() && subItemIdx < sections_.Items(sectionIdx).SubItems().Count())
        sections_.Items(sectionIdx).SubItems().SetStrings(subItemIdx, text);
    UpdateHeights();
    editor_->Hide();
    endingEdit_ = false;
    if (focusList && HandleAllocated() && IsWindowVisible(Handle()))
        SetFocus();
    SetItemIndex(std::min(row, ItemCount() - 1));
}
