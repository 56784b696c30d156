// A composed gallery picture put into an image list one at a time, as the gallery once did: the
// reference the gallery's own pictures are compared with.
#pragma once

#include "Gallery.h"
#include "ImageList.h"

// Puts the thumbnail in place of image `index` of a 32x32 list; false when the list refused it.
// The thumbnail's masked pixels turn black, as a masked image list wants them.
bool ReplaceThumbnail(TImageList& list, int index, TThumbnail& thumbnail);
