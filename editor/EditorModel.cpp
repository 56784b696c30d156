// The editor's state and its window-free commands.
#include <windows.h>

#include "EditorModel.h"

#include "TransparentKey.h"
#include "morvPaintFX.h"

#include <utility>

TEditorModel::TEditorModel(TBitmap& picture) : picture_(picture)
{
    ClearPicture(picture_, TransparentKeyColor);
}

void TEditorModel::ResetUndo()
{
    history_.Reset();
}

void TEditorModel::PushUndo()
{
    if (history_.Count() > 1)
        Modified = true;
    history_.Push(picture_);
}

bool TEditorModel::Undo()
{
    if (!UndoAvailable())
        return false;
    history_.Undo(picture_);
    // The picture no longer matches what was saved or opened.
    Modified = true;
    return true;
}

void TEditorModel::NewPicture()
{
    Modified = false;
    ClearPicture(picture_, TransparentKeyColor);
    ResetUndo();
    PushUndo();
    CurrentFileName.clear();
}

void TEditorModel::PictureChanged()
{
    // The first change after New or Open counts too, not only those after it.
    Modified = true;
    PushUndo();
}

void TEditorModel::Shift(TShiftDirection direction)
{
    ShiftPicture(picture_, direction, TransparentKeyColor);
    PictureChanged();
}

void TEditorModel::Rotate()
{
    RotatePicture(picture_);
    PictureChanged();
}

void TEditorModel::MirrorLeftRight()
{
    TmorvPaintFX::FlipLeftRight(picture_);
    PictureChanged();
}

void TEditorModel::MirrorTopBottom()
{
    TmorvPaintFX::FlipTopBottom(picture_);
    PictureChanged();
}

void TEditorModel::SwapColors()
{
    std::swap(PrimaryColor, SecondaryColor);
}

bool TEditorModel::SetButtonColor(TMouseButton button, TColor color)
{
    if (button == mbLeft)
        PrimaryColor = color;
    else if (button == mbRight)
        SecondaryColor = color;
    else
        return false;
    return true;
}
