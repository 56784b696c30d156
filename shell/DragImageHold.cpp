// The shared drag image list and its count of holders; used on the user-interface thread only.
#include <windows.h>

#include "DragImageHold.h"

#include "ImageList.h"

#include <memory>

namespace {

std::unique_ptr<TImageList>& SharedList()
{
    static std::unique_ptr<TImageList> list;
    return list;
}

int holders = 0;

}  // namespace

TDragImageHold::TDragImageHold()
{
    if (holders++ == 0)
        SharedList() = std::make_unique<TImageList>(16, 16);
}

TDragImageHold::~TDragImageHold()
{
    if (--holders == 0)
        SharedList().reset();
}

TImageList* TDragImageHold::List()
{
    return SharedList().get();
}

int TDragImageHold::Holders()
{
    return holders;
}
