// The icon gallery's window-free part: the catalogue's folders, the files a folder shows, their
// type badges and 32x32 thumbnails.
#pragma once

#include <windows.h>

#include "Bitmap.h"
#include "IconFileReader.h"
#include "ImageList.h"

#include <memory>
#include <string>
#include <vector>

// A sub-folder: its full path (folder + its exact name) and its name as the platform shows it.
struct TSubfolder {
    std::string path;
    std::string shown;
};
// The sub-folders of `folder`, which ends in a backslash, in the order the file system reports
// them; names starting with "." are skipped.
std::vector<TSubfolder> ListSubfolders(const std::string& folder);
// The characters after the last backslash of `path`.
std::string ExtractLastFolderName(const std::string& path);

// One icon file or library read and checked once, for the small (16x16) pictures of its icons,
// which a tree shows far better than a shrunk large one.
class TSmallIconSource {
public:
    // A file that cannot be read or fails the check holds no icons.
    explicit TSmallIconSource(const std::string& fileName);
    // A file already open for other icons too.
    explicit TSmallIconSource(std::shared_ptr<const TCheckedIconFile> file);
    int Count() const { return file_->Count(); }
    // The index of the icon stored as numbered resource `id`; -1 when there is none.
    int IndexOfResource(int id) const;
    // The 16x16 picture of icon `index`, or nullptr when it has none. The caller destroys it.
    HICON Extract(int index) const;

private:
    std::shared_ptr<const TCheckedIconFile> file_;
};

// The names of the files in `folder` that the gallery may show (.ICL, .ICO, .EXE, .DLL, .NIL in
// any case), sorted by name without regard to case.
std::vector<std::string> GalleryCandidateNames(const std::string& folder);
// Why the gallery cannot show `folder`, in German; "" when it can. A drive without its medium
// says so; a folder that went, or one that cannot be read, says that.
std::string GalleryFolderProblem(const std::string& folder);
// `name` in `folder`, with one backslash between them, also in a drive root.
std::string GalleryFilePath(const std::string& folder, const std::string& name);
// By the extension, in any case.
bool IsIconFile(const std::string& path);

// The type badges of the library thumbnails, in the order of their images in the badge list.
enum TTypeBadge { tbNil = 0, tbExe = 1, tbIcl = 2, tbDll = 3 };
constexpr int TypeBadgeCount = 4;
constexpr int TypeBadgeWidth = 20;
constexpr int TypeBadgeHeight = 11;
// Badges sit in the bottom-left corner of a thumbnail.
constexpr int TypeBadgeTop = 32 - TypeBadgeHeight;
// The badge of a library file by its extension; -1 for any other file.
int TypeBadgeOf(const std::string& path);
// Draws one badge on a bitmap of the badge size; its rounded corners are TransparentKeyColor.
void DrawTypeBadge(TBitmap& bitmap, TTypeBadge badge);
// Fills an image list of the badge size with the four badges.
void FillTypeBadges(TImageList& badges);

// A gallery picture before it goes into the gallery's image list: a 32x32, 24-bit bitmap and its
// monochrome mask (white where transparent).
struct TThumbnail {
    TBitmap image;
    TBitmap mask;
};
// Icon 0 of a library on TransparentKeyColor with its type badge drawn at (0, TypeBadgeTop); the
// mask is made from the key colour. A badge index out of range draws no badge.
void ComposeLibraryThumbnail(HICON icon, TImageList& badges, int badge, TThumbnail& thumbnail);

// The gallery of one folder: the files with at least one icon (an .ico is always listed), one
// picture per file added to `images` in the same order. A file that cannot be read gets a blank
// picture, so that file i and picture i always belong together. Each file is read once, and the
// pictures come from its checked bytes: the platform never opens the file. They look as the
// platform's own extraction of icon 0 would make them. The pictures are written into `images`
// directly, which tells none of its watchers.
struct TGalleryContents {
    std::vector<std::string> files;   // full paths, in the order of GalleryCandidateNames
    std::vector<int> imageIndexes;    // the picture of files[i] in `images`
    // What item i says under its picture: nothing, but the file name of a file that gives no
    // picture, which would otherwise be an invisible item.
    std::vector<std::string> captions;
};
TGalleryContents BuildGallery(const std::string& folder, TImageList& images, TImageList& badges);
