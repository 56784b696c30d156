// TToolsform: the hidden worker form that owns the registry, shell and desktop routines, the
// catalogue tree's and the gallery's pictures and the gallery loader.
#pragma once

#include <windows.h>

#include "ArtistCredits.h"
#include "DesktopSettings.h"
#include "Forms.h"
#include "Gallery.h"
#include "Icon.h"
#include "ImageList.h"
#include "SystemIcons.h"

class TTreeNode;

#include <map>
#include <memory>
#include <string>
#include <vector>

// A setting of that key as an icon reference, or icon `defaultIndex` of Shell32.dll in
// `systemFolder` when the setting is empty.
std::string ShellIconSpec(const std::string& value, const std::string& systemFolder, int defaultIndex);
// The index of the shell's own folder icon, closed or open, in Shell32.dll: the icon stored as
// resource 4 or 5, which has index 3 or 4 in the system's library, or that index when the
// library keeps no such resource.
int ShellFolderIconIndex(const TSmallIconSource& shell32, bool open);

class TToolsform : public TForm {
public:
    explicit TToolsform(TComponent* owner);
    ~TToolsform() override;

    // The catalogue's artist credits, looked up for the icon shown in the information window.
    ArtistCreditTable ArtistCredits;

    // Category tree: 0 open folder, 1 closed folder.
    TImageList TreeImages{16, 16};
    // The gallery's pictures, behind MainForm->ListView1.
    TImageList GalleryImages{32, 32};
    // Type badges of the library thumbnails (see TTypeBadge).
    TImageList ilOverlays{20, 11};

    // With trailing backslash.
    std::string WindowsFolder;
    std::string SystemFolder;

    // The folder the gallery shows, and the full path of gallery item i in line i.
    std::string GalleryFolder;
    // The folder of a node of the category tree, by the folders' exact names (the nodes show
    // them as the platform does); "" for a node the tree did not get from here.
    std::string CategoryFolder(const TTreeNode* node) const;
    std::vector<std::string> GalleryFiles;

    // Where the shell's own items keep their icons, and those icons in table order (32x32).
    TSystemIconTable SystemIconTable;
    TImageList SystemImages{32, 32};

    // The desktop page's state: the wallpaper to apply ("" none), the one read or last picked,
    // and the icon size "large icons" goes back to.
    std::string Wallpaper;
    std::string PickedWallpaper;
    int RememberedIconSize = 32;

    void FormCreate(TComponent* sender);
    // What fills a page, run when the main window makes it: the category tree with its pictures
    // (selecting its first node loads the first category); the system-icon table into the list;
    // the table's two preview icons and the desktop settings. The table is read once for both
    // pages, as the start used to read it.
    void FillGalleryPage();
    void FillSystemPage();
    void FillDesktopPage();
    // Reads the system-icon table and its icons from the registry; the system-icon list, the
    // desktop page's two preview icons and the gallery's selection follow.
    void BuildSystemIconTable();
    // Gives a shell item the current icon and lets the shell reload its icons.
    void AssignSystemIcon(int section, int item);
    // Writes an item's Windows default; the shell is not told.
    void ResetSystemIcon(int section, int item);
    // The shell reloads its icons; the main window and the table follow.
    void RefreshShellIcons();
    // Puts the desktop's settings into the page, and the page's into the system.
    void ReadDesktopSettings();
    void ApplyDesktopSettings();
    // The desktop colour and wallpaper as the screen shows them, in the page's two previews.
    void UpdateWallpaperPreview();
    // Fills GalleryFiles, GalleryImages and the gallery's items from GalleryFolder. A call while
    // it runs is ignored.
    void LoadGallery();
    bool LoadingGallery() const { return loadingGallery_; }

private:
    // Files read for one task, by upper-cased name: each is opened and checked once.
    using CheckedFiles = std::map<std::string, std::shared_ptr<const TCheckedIconFile>>;
    static std::shared_ptr<const TCheckedIconFile> CheckedFile(CheckedFiles& files, const std::string& fileName);
    void LoadTreeImages(CheckedFiles& files);
    void BuildCategoryTree();
    std::map<const TTreeNode*, std::string> categoryFolders_;
    // A first reading leaves the gallery's selection alone: the start made the table before the
    // gallery was first shown, and that showing selects its first item anyway.
    void BuildSystemIconTable(bool selectGalleryItem);
    // The table as read, into the pages made so far.
    void ShowSystemIconTable(bool selectGalleryItem);
    void ShowSystemIconPreviews();
    // The settings as the page's controls hold them now.
    TDesktopSettings PageSettings() const;

    bool loadingGallery_ = false;
    bool systemIconsRead_ = false;
    // "Arbeitsplatz" and "Papierkorb (leer)" as last read, for the desktop page's previews;
    // empty where the shell's file has no such icon.
    TIcon previewIcons_[2];
    // The settings as last read, and as the page showed them then: what the user leaves alone
    // is written back as read.
    TDesktopSettings read_;
    TDesktopSettings shownAtRead_;
};

extern TToolsform* Toolsform;
