// A look through a folder tree before it is copied or deleted, so that an operation that could not
// end well is refused before anything is written.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <string>

struct TFolderWalkLimits {
    uint64_t maxEntries = 500000;
    int maxDepth = 128;
    // Links of the file system stop the walk (a delete would reach what they point at); else they
    // are followed, as a copy follows them, and only a link back into the tree stops it.
    bool linksStop = false;
};

struct TFolderWalk {
    bool loop = false;           // a link leads back to a folder above it
    bool link = false;           // a link was met where links stop the walk
    bool tooLarge = false;       // more entries or levels than the limits allow
    uint64_t entries = 0;
    size_t longestRelative = 0;  // the longest path below the folder, with its leading backslash
    std::wstring where;          // the entry that stopped the walk

    bool Stopped() const { return loop || link || tooLarge; }
};

// Walks `folder` (an existing folder's wide path, without a trailing backslash). Folders that
// cannot be read are passed by.
TFolderWalk WalkFolder(const std::wstring& folder, const TFolderWalkLimits& limits = {});
