// Auto-scrolling while something is dragged over a control: the bands along its edges, the
// delays, and the window-free rules that decide the direction.
#pragma once

#include <windows.h>

#include <functional>

enum TScrollDirection { sdUp = 0, sdDown = 1, sdLeft = 2, sdRight = 3 };
using TScrollInterval = WORD;

// 0 none, 1 towards the start (up/left), 2 towards the end (down/right), from a client
// coordinate along one axis of `extent` pixels and the bands at its two edges.
int DetectScrollBand(int position, int extent, WORD nearMargin, WORD nearRange, WORD farMargin, WORD farRange);
// Whether a scroll bar in that state can move that way (1 towards the start, 2 towards the end).
bool ScrollBarCanMove(const SCROLLINFO& info, int direction);

// The band along one edge in which auto-scrolling starts.
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
