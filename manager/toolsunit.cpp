// TToolsform: never shown; it fills the tables the other windows look things up in, builds the
// catalogue tree and loads the gallery.
#include <windows.h>

#include "toolsunit.h"

#include "Exceptions.h"
#include "Gallery.h"
#include "Icon.h"
#include "IconFileReader.h"
#include "IconSpec.h"
#include "Main.h"
#include "Registry.h"
#include "SysUtils.h"
#include "TransparentKey.h"

#include <utility>


TToolsform* Toolsform = nullptr;

namespace {

std::string WithBackslash(UINT(WINAPI* query)(LPSTR, UINT))
{
    char buffer[MAX_PATH] = {};
    UINT length = query(buffer, MAX_PATH);
    return length > 0 && length < MAX_PATH ? IncludeTrailingBackslash(buffer) : std::string();
}

// Sets a flag for a scope and clears it on every path out.
class TBusyGuard {
public:
    explicit TBusyGuard(bool& flag) : flag_(flag) { flag_ = true; }
    ~TBusyGuard() { flag_ = false; }
    TBusyGuard(const TBusyGuard&) = delete;
    TBusyGuard& operator=(const TBusyGuard&) = delete;

private:
    bool& flag_;
};

}  // namespace

std::string ShellIconSpec(const std::string& value, const std::string& systemFolder, int defaultIndex)
{
    return value.empty() ? systemFolder + "Shell32.dll," + IntToStr(defaultIndex) : value;
}

int ShellFolderIconIndex(const TSmallIconSource& shell32, bool open)
{
    int index = shell32.IndexOfResource(open ? 5 : 4);
    return index >= 0 ? index : open ? 4 : 3;
}

TToolsform::TToolsform(TComponent* owner) : TForm(owner)
{
    SetName("Toolsform");
    OnCreate = [this](TComponent* sender) { FormCreate(sender); };
}

TToolsform::~TToolsform()
{
    if (Toolsform == this)
        Toolsform = nullptr;
}

void TToolsform::FormCreate(TComponent* sender)
{
    WindowsFolder = WithBackslash(GetWindowsDirectoryA);
    SystemFolder = WithBackslash(GetSystemDirectoryA);
    ArtistCredits = CatalogArtistCredits();
    FillTypeBadges(ilOverlays);
    LoadTreeImages();
    BuildCategoryTree();
}

void TToolsform::LoadTreeImages()
{
    TRegIniFile registry(HKEY_LOCAL_MACHINE, "");
    TSmallIconSource shell32(SystemFolder + "Shell32.dll");
    // Image 0 the open folder (value "4"), image 1 the closed one (value "3").
    for (auto [ident, open] : {std::pair<const char*, bool>{"4", true}, {"3", false}}) {
        int shellIndex = ShellFolderIconIndex(shell32, open);
        std::string spec = ShellIconSpec(registry.ReadString(ShellIconsKey, ident, ""), SystemFolder, shellIndex);
        std::string file = IconSpecFile(spec);
        int index = IconSpecIndex(spec);
        // The small picture of the setting's icon, else its large one shrunk, else the shell's own.
        TIcon icon;
        icon.SetHandle(SameText(file, SystemFolder + "Shell32.dll") ? shell32.Extract(index)
                                                                   : TSmallIconSource(file).Extract(index));
        if (!icon.Handle())
            icon.SetHandle(ExtractCheckedIcon(file, index));
        if (!icon.Handle())
            icon.SetHandle(shell32.Extract(shellIndex));
        // Without an icon the place stays empty, so that the other image keeps its index.
        if (!icon.Handle() || TreeImages.AddIcon(icon) < 0) {
            TBitmap blank(TreeImages.Width(), TreeImages.Height());
            blank.Canvas().Brush().SetColor(TransparentKeyColor);
            blank.Canvas().FillRect({0, 0, blank.Width(), blank.Height()});
            TreeImages.AddMasked(blank, TransparentKeyColor);
        }
    }
}

void TToolsform::BuildCategoryTree()
{
    if (!MainForm)
        return;
    TTreeView& tree = *MainForm->TreeView;
    tree.SetImages(&TreeImages);
    tree.Items().Clear();
    for (const std::string& category : ListSubfolders(ProgramFolder())) {
        TTreeNode* node = tree.Items().Add(ExtractLastFolderName(category));
        node->SetImageIndex(1);
        node->SetSelectedIndex(0);
        for (const std::string& sub : ListSubfolders(category + "\\")) {
            TTreeNode* child = tree.Items().AddChild(node, ExtractLastFolderName(sub));
            child->SetImageIndex(1);
            child->SetSelectedIndex(0);
        }
    }
    tree.AlphaSort();
    // Selecting reports the change, which loads the first category.
    tree.SetSelected(tree.Items().GetFirstNode());
}

void TToolsform::LoadGallery()
{
    if (loadingGallery_ || !MainForm)
        return;
    TBusyGuard busy(loadingGallery_);
    TCursorGuard hourglass;
    TqelEnhListView& view = *MainForm->ListView1;
    view.Items().BeginUpdate();
    // Whatever happens below, the list view gets its repaints back.
    struct UpdateBracket {
        TListItems& items;
        ~UpdateBracket() { items.EndUpdate(); }
    } bracket{view.Items()};
    GalleryFiles.clear();
    view.Items().Clear();
    GalleryImages.Clear();
    view.SetLargeImages(&GalleryImages);
    TGalleryContents contents = BuildGallery(GalleryFolder, GalleryImages, ilOverlays);
    GalleryFiles = std::move(contents.files);
    for (int image : contents.imageIndexes)
        view.Items().Add()->SetImageIndex(image);
}
