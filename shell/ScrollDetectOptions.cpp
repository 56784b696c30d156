// Scroll bands, delays and the direction rules of auto-scrolling.
#include <windows.h>

#include "ScrollDetectOptions.h"

#include <algorithm>

namespace {

// Stores `value` in `field`; false when it was there already.
bool Replace(WORD& field, WORD value)
{
    if (field == value)
        return false;
    field = value;
    return true;
}

}  // namespace

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

void TScrollDetectArea::SetMargin(WORD value)
{
    if (Replace(margin_, value))
        Change();
}

void TScrollDetectArea::SetRange(WORD value)
{
    if (Replace(range_, value))
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
    if (Replace(scrollDelay_, std::clamp<TScrollInterval>(value, 1, 10000)))
        Change();
}

void TScrollDetectOptions::SetStartDelay(TScrollInterval value)
{
    if (Replace(startDelay_, std::clamp<TScrollInterval>(value, 1, 10000)))
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
