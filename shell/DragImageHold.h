// TDragImageHold: a hold on the one drag image list that the shell's trees and views share. The
// first hold makes the list, the last one frees it, so no view frees it under another.
#pragma once

class TImageList;

class TDragImageHold {
public:
    TDragImageHold();
    ~TDragImageHold();
    TDragImageHold(const TDragImageHold&) = delete;
    TDragImageHold& operator=(const TDragImageHold&) = delete;

    // The shared list; nullptr while nobody holds it.
    static TImageList* List();
    static int Holders();
};
