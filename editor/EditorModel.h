// TEditorModel: the icon editor's state apart from its window: the working picture, its history,
// the two drawing colours and the flags that the window's commands consult.
#pragma once

#include <windows.h>

#include "Bitmap.h"
#include "Color.h"
#include "Controls.h"
#include "PictureOps.h"
#include "UndoHistory.h"

#include <string>

// Codes of CurrentTool.
enum TEditorTool : int {
    etText = 1, etLine = 2, etEllipse = 3, etRectangle = 4, etPen = 5, etPolygon = 6, etFill = 7, etPipette = 8
};

class TEditorModel {
public:
    // Edits `picture`, which the window shows enlarged; it becomes a blank 32 x 32 picture.
    explicit TEditorModel(TBitmap& picture);

    TBitmap& Picture() { return picture_; }

    int CurrentTool = etPen;
    TColor PrimaryColor = clBlack;
    TColor SecondaryColor = clWhite;
    int PenHalfWidth = 0;
    bool Busy = false;              // a button is held on the picture, or a polygon is open
    bool ShapeInProgress = false;   // a tool gesture has begun and not ended
    bool Loading = false;           // a file is being opened
    bool Modified = false;          // changed since last saved, opened or cleared
    std::string CurrentFileName;

    TUndoHistory& History() { return history_; }
    int UndoCount() const { return history_.Count(); }

    // Clears the history and stores the current picture as its first state.
    void ResetUndo();
    // Stores the current picture as the newest state. A history that already held an earlier
    // state marks the picture modified.
    void PushUndo();
    // Undo needs an earlier state and no gesture under way.
    bool UndoAvailable() const { return history_.CanUndo() && !Busy && !ShapeInProgress; }
    bool Undo();

    // A fresh, all-transparent picture with a history of one state; not modified, no file.
    void NewPicture();

    // The whole-picture commands; each records the change.
    void Shift(TShiftDirection direction);
    void Rotate();
    void MirrorLeftRight();
    void MirrorTopBottom();

    // Records a change made to the picture: modified, and a new state in the history.
    void PictureChanged();

    void SwapColors();
    // Left button: primary colour; right button: secondary colour. False (nothing set) otherwise.
    bool SetButtonColor(TMouseButton button, TColor color);

private:
    TBitmap& picture_;
    TUndoHistory history_;
};
