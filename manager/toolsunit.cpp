// TToolsform: never shown; it fills the tables the other windows look things up in, builds the
// catalogue tree and loads the gallery.
#include <windows.h>

#include "toolsunit.h"

#include "DesktopSettings.h"
#include "Dialogs.h"
#include "Exceptions.h"
#include "Gallery.h"
#include "Icon.h"
#include "IconInfo.h"
#include "IconFileReader.h"
#include "IconSpec.h"
#include "LateLibrary.h"
#include "Main.h"
#include "Registry.h"
#include "SysUtils.h"
#include "TransparentKey.h"

#include <map>
#include <memory>
#include <utility>

TToolsform* Toolsform = nullptr;

namespace {

// A see-through picture in place of an icon that is missing, so that later images keep their index.
void AddBlankImage(TImageList& list)
{
    TBitmap blank(list.Width(), list.Height());
    blank.Canvas().Brush().SetColor(TransparentKeyColor);
    blank.Canvas().FillRect({0, 0, blank.Width(), blank.Height()});
    list.AddMasked(blank, TransparentKeyColor);
}

// The same in place of image `index`.
void PutBlankImage(TImageList& list, int index)
{
    TBitmap blank(list.Width(), list.Height()), mask(list.Width(), list.Height(), pf1bit);
    blank.Canvas().Brush().SetColor(clBlack);
    blank.Canvas().FillRect({0, 0, blank.Width(), blank.Height()});
    mask.Canvas().Brush().SetColor(clWhite);
    mask.Canvas().FillRect({0, 0, mask.Width(), mask.Height()});
    ComCtl32::ImageList_Replace(list.Handle(), index, blank.Handle(), mask.Handle());
}

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
}

void TToolsform::FillGalleryPage()
{
    CheckedFiles files;
    LoadTreeImages(files);
    BuildCategoryTree();
}

void TToolsform::FillSystemPage()
{
    if (systemIconsRead_)
        ShowSystemIconTable(false);
    else
        BuildSystemIconTable(false);
}

void TToolsform::FillDesktopPage()
{
    if (systemIconsRead_)
        ShowSystemIconPreviews();
    else
        BuildSystemIconTable(false);
    ReadDesktopSettings();
}

std::shared_ptr<const TCheckedIconFile> TToolsform::CheckedFile(CheckedFiles& files, const std::string& fileName)
{
    std::shared_ptr<const TCheckedIconFile>& file = files[AnsiUpperCase(fileName)];
    if (!file)
        file = std::make_shared<const TCheckedIconFile>(fileName);
    return file;
}

void TToolsform::BuildSystemIconTable()
{
    BuildSystemIconTable(true);
}

void TToolsform::BuildSystemIconTable(bool selectGalleryItem)
{
    CheckedFiles files;
    TSystemIconSpecs current;
    SystemIconTable = ReadSystemIconTable(CurrentSystemFolders(), &current);
    SystemImages.Clear();
    // Room for all at once: growing the list image by image copies it again and again.
    int count = 0;
    for (int size : SystemIconSectionSizes)
        count += size;
    ComCtl32::ImageList_SetImageCount(SystemImages.Handle(), static_cast<UINT>(count));
    int index = 0;
    for (int section = 0; section < SystemIconSections; ++section) {
        for (int item = 0; item < SystemIconSectionSizes[section]; ++item, ++index) {
            const std::string& spec = current[section][item];
            std::shared_ptr<const TCheckedIconFile> file = CheckedFile(files, IconSpecFile(spec));
            TIcon icon;
            icon.SetHandle(file->MakeIcon(IconSpecIndex(spec), SystemImages.Width(), SystemImages.Height()),
                           SystemImages.Width(), SystemImages.Height());
            // A file without that icon leaves an empty picture, so that the numbers stay in step.
            if (!icon.Handle() || ComCtl32::ImageList_ReplaceIcon(SystemImages.Handle(), index, icon.Handle()) != index)
                PutBlankImage(SystemImages, index);
            if (section == 0 && (item == 0 || item == 2)) {
                TIcon& preview = previewIcons_[item / 2];
                if (icon.Handle())
                    preview.Assign(icon);
                else
                    preview.SetHandle(nullptr);
            }
        }
    }
    systemIconsRead_ = true;
    ShowSystemIconTable(selectGalleryItem);
}

void TToolsform::ShowSystemIconTable(bool selectGalleryItem)
{
    ShowSystemIconPreviews();
    if (!MainForm)
        return;
    if (MainForm->lbSystem) {
        TSectionListBox& list = *MainForm->lbSystem;
        list.SetSubItemImages(&SystemImages);
        list.ContractAll();
        list.ExpandAll();
        list.SelectSubItem(SelectedSection, SelectedSubItem);
    }
    // The gallery's first item is selected again, without changing the icon shown.
    TqelEnhListView* gallery = MainForm->ListView1;
    if (selectGalleryItem && gallery && gallery->Items().Count() > 0)
        gallery->SetSelected(gallery->Items().Item(0));
}

void TToolsform::ShowSystemIconPreviews()
{
    if (!MainForm || !MainForm->iArbeitsplatz)
        return;
    for (int i = 0; i < 2; ++i) {
        TImage* preview = i == 0 ? MainForm->iArbeitsplatz : MainForm->iPapierkorb;
        if (previewIcons_[i].Handle())
            preview->Picture().Icon().Assign(previewIcons_[i]);
        else
            preview->Picture().SetGraphic(nullptr);
        preview->Invalidate();
    }
}

void TToolsform::AssignSystemIcon(int section, int item)
{
    AssignSystemIconSpec(SystemIconTable, section, item, IconInfoForm ? IconInfoForm->lFile->Text() : "");
    RefreshShellIcons();
}

void TToolsform::ResetSystemIcon(int section, int item)
{
    ::ResetSystemIcon(SystemIconTable, section, item);
}

void TToolsform::RefreshShellIcons()
{
    ReloadShellIcons();
    if (MainForm) {
        MainForm->Invalidate();
        UpdateWindow(MainForm->Handle());
    }
    BuildSystemIconTable();
}

void TToolsform::ReadDesktopSettings()
{
    if (!MainForm || !MainForm->seIcongroesse)
        return;
    TMainForm& m = *MainForm;
    const TDesktopSettings s = ReadDesktopValues();
    m.cShortcutOverlays->SetChecked(s.shortcutOverlays);
    m.seIcongroesse->SetValue(s.iconSize);
    m.cGrosseIcons->SetChecked(s.iconSize == 48);
    RememberedIconSize = s.iconSize;
    m.seIconzellenbreite->SetValue(s.iconSpacingX);
    m.seIconzellenhoehe->SetValue(s.iconSpacingY);

    m.cbFarbanzahl->ClearItems();
    for (const std::string& name : ColorDepthNames(ScreenBits()))
        m.cbFarbanzahl->AddItem(name);
    m.cbFarbanzahl->SetItemIndex(s.colorDepthIndex);

    m.cbSchriftart->ClearItems();
    const std::vector<std::string> fonts = ScreenFontNames();
    for (const std::string& name : fonts)
        m.cbSchriftart->AddItem(name);
    m.cbSchriftart->SetItemIndex(FontNameIndex(fonts, s.font.name));
    m.seGroesse->SetValue(s.font.size);
    m.cFett->SetChecked(s.font.bold);
    m.cKursiv->SetChecked(s.font.italic);
    m.cUnterstrichen->SetChecked(s.font.underline);
    m.cDurchgestrichen->SetChecked(s.font.strikeOut);
    m.cSchriftTransparent->SetChecked(s.fontTransparent);

    m.sDesktopfarbe->Brush().SetColor(s.desktopColor);
    m.UpdateFontPreview();
    Wallpaper = PickedWallpaper = s.wallpaper;
    UpdateWallpaperPreview();
    read_ = s;
    shownAtRead_ = PageSettings();
}

TDesktopSettings TToolsform::PageSettings() const
{
    const TMainForm& m = *MainForm;
    TDesktopSettings s;
    s.iconSize = m.seIcongroesse->Value();
    s.colorDepthIndex = m.cbFarbanzahl->ItemIndex();
    s.shortcutOverlays = m.cShortcutOverlays->Checked();
    s.iconSpacingX = m.seIconzellenbreite->Value();
    s.iconSpacingY = m.seIconzellenhoehe->Value();
    s.desktopColor = m.sDesktopfarbe->Brush().Color();
    s.wallpaper = Wallpaper;
    const int font = m.cbSchriftart->ItemIndex();
    s.font.name = font >= 0 ? m.cbSchriftart->Item(font) : std::string();
    s.font.size = m.seGroesse->Value();
    s.font.bold = m.cFett->Checked();
    s.font.italic = m.cKursiv->Checked();
    s.font.underline = m.cUnterstrichen->Checked();
    s.font.strikeOut = m.cDurchgestrichen->Checked();
    return s;
}

void TToolsform::ApplyDesktopSettings()
{
    if (!MainForm || !MainForm->seIcongroesse)
        return;
    const TDesktopSettings s = KeepUnchanged(PageSettings(), shownAtRead_, read_);
    bool restart = false;
    {
        TCursorGuard hourglass;
        restart = ApplyDesktopValues(s);
    }
    // From now on "as read" is what the system holds after this.
    read_ = ReadDesktopValues();
    shownAtRead_ = PageSettings();
    if (restart)
        ShowMessage("Bitte starten Sie das System neu!");
}

void TToolsform::UpdateWallpaperPreview()
{
    if (!MainForm || !MainForm->iDesktop)
        return;
    TMainForm& m = *MainForm;
    const TColor desktop = m.sDesktopfarbe->Brush().Color();
    const int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
    TBitmap screen;
    if (Wallpaper.empty()) {
        ComposeWallpaperPreview(screen, width, height, desktop, nullptr, 0);
        m.lBildDateiname->SetCaption("[Kein Hintergrundbild]");
        m.cBildanzeigen->SetChecked(false);
        m.cBildanzeigen->SetEnabled(false);
    } else {
        m.lBildDateiname->SetCaption(ExtractFileName(Wallpaper));
        m.cBildanzeigen->SetEnabled(true);
        m.cBildanzeigen->SetChecked(true);
        TBitmap picture;
        try {
            LoadWallpaper(Wallpaper, picture);
        } catch (const Exception&) {
            // A picture that cannot be read shows the desktop colour alone; applying it reports why.
            picture.SetSize(0, 0);
        }
        ComposeWallpaperPreview(screen, width, height, desktop, picture.Empty() ? nullptr : &picture,
                                WallpaperStyle());
    }
    m.iDesktop->Picture().Bitmap().Assign(screen);
    m.iDesktop->Invalidate();
    m.iDesktopVorschau2->Picture().Bitmap().Assign(screen);
    m.iDesktopVorschau2->Invalidate();
}

void TToolsform::LoadTreeImages(CheckedFiles& files)
{
    TRegIniFile registry(HKEY_LOCAL_MACHINE, "");
    TSmallIconSource shell32(CheckedFile(files, SystemFolder + "Shell32.dll"));
    // Image 0 the open folder (value "4"), image 1 the closed one (value "3").
    for (auto [ident, open] : {std::pair<const char*, bool>{"4", true}, {"3", false}}) {
        int shellIndex = ShellFolderIconIndex(shell32, open);
        std::string spec = ShellIconSpec(registry.ReadString(ShellIconsKey, ident, ""), SystemFolder, shellIndex);
        std::string file = IconSpecFile(spec);
        int index = IconSpecIndex(spec);
        // The small picture of the setting's icon, else its large one shrunk, else the shell's own.
        TIcon icon;
        std::shared_ptr<const TCheckedIconFile> checked = CheckedFile(files, file);
        icon.SetHandle(TSmallIconSource(checked).Extract(index));
        if (!icon.Handle())
            icon.SetHandle(checked->MakeIcon(index, GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON)));
        if (!icon.Handle())
            icon.SetHandle(shell32.Extract(shellIndex));
        // Without an icon the place stays empty, so that the other image keeps its index.
        if (!icon.Handle() || TreeImages.AddIcon(icon) < 0)
            AddBlankImage(TreeImages);
    }
}

void TToolsform::BuildCategoryTree()
{
    if (!MainForm || !MainForm->TreeView)
        return;
    TTreeView& tree = *MainForm->TreeView;
    tree.SetImages(&TreeImages);
    categoryFolders_.clear();
    tree.Items().Clear();
    for (const TSubfolder& category : ListSubfolders(ProgramFolder())) {
        TTreeNode* node = tree.Items().Add(category.shown);
        node->SetImageIndex(1);
        node->SetSelectedIndex(0);
        categoryFolders_[node] = category.path;
        for (const TSubfolder& sub : ListSubfolders(category.path + "\\")) {
            TTreeNode* child = tree.Items().AddChild(node, sub.shown);
            child->SetImageIndex(1);
            child->SetSelectedIndex(0);
            categoryFolders_[child] = sub.path;
        }
    }
    tree.AlphaSort();
    // Selecting reports the change, which loads the first category.
    tree.SetSelected(tree.Items().GetFirstNode());
}

std::string TToolsform::CategoryFolder(const TTreeNode* node) const
{
    const auto found = categoryFolders_.find(node);
    return found == categoryFolders_.end() ? std::string() : found->second;
}

void TToolsform::LoadGallery()
{
    // A gallery not made yet loads when it is.
    if (loadingGallery_ || !MainForm || !MainForm->ListView1)
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
    for (size_t i = 0; i < contents.imageIndexes.size(); ++i) {
        TListItem* item = view.Items().Add();
        item->SetImageIndex(contents.imageIndexes[i]);
        if (!contents.captions[i].empty())
            item->SetCaption(contents.captions[i]);
    }
}
