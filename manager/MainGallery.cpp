// TMainForm's gallery page: the category tree, the gallery of a category's files, the icons of
// one library, and how the selection becomes the current icon.
#include <windows.h>

#include "Main.h"

#include "Gallery.h"
#include "IconInfo.h"
#include "SysUtils.h"
#include "toolsunit.h"

namespace {

constexpr TColor GalleryStatusColor = 16768449;
constexpr int ListLeft = 157;
constexpr int ListWidth = 419;
constexpr int ListHeight = 296;
constexpr int TreeWidth = 153;
constexpr int TreeHeight = 269;
constexpr int ButtonTop = 275;
constexpr int ButtonWidth = 74;
constexpr int ButtonHeight = 20;
constexpr int StatusTop = 302;
constexpr int StatusHeight = 19;

bool IsWithin(HWND window, HWND ancestor)
{
    return window && (window == ancestor || IsChild(ancestor, window));
}

}  // namespace

void TMainForm::NeedGalleryPage()
{
    if (ListView1)
        return;
    NeedPageControl();
    MakeGalleryPage();
    if (Toolsform)
        Toolsform->FillGalleryPage();
}

void TMainForm::NeedDriveTree()
{
    if (DriveView1)
        return;
    NeedGalleryPage();
    DriveView1 = new TDriveView(this);
    DriveView1->SetName("DriveView1");
    // All set before its window is made: the page has one, so the tree gets its own at once.
    DriveView1->SetVisible(false);
    DriveView1->SetBounds(0, 0, TreeWidth, TreeHeight);
    DriveView1->SetShowVolLabel(true);
    DriveView1->SetColor(clWhite);
    DriveView1->SetCtl3D(false);
    DriveView1->SetParent(pIcons);
    DriveView1->OnChange = [this](TComponent* sender, TTreeNode* node) { DriveView1Change(sender, node); };
    DriveView1->OnDDError = [this](TComponent* sender, int errorNo) { DriveView1DDError(sender, errorNo); };
    DriveView1->OnEnter = [this](TComponent*) { GalleryControlEnter(); };
    DriveView1->OnExit = [this](TComponent*) { GalleryControlExit(); };
}

void TMainForm::MakeGalleryPage()
{
    TreeView = new TTreeView(this);
    TreeView->SetName("TreeView");
    TreeView->SetParent(pIcons);
    TreeView->SetBounds(0, 0, TreeWidth, TreeHeight);
    TreeView->SetAutoExpand(true);
    TreeView->SetSortType(stText);
    TreeView->SetHideSelection(false);
    TreeView->SetColor(clWhite);
    TreeView->SetCtl3D(false);
    TreeView->OnChange = [this](TComponent* sender, TTreeNode* node) { TreeViewChange(sender, node); };
    TreeView->OnExpanded = [this](TComponent* sender, TTreeNode* node) { TreeViewExpanded(sender, node); };
    TreeView->OnCollapsed = [this](TComponent* sender, TTreeNode* node) { TreeViewCollapsed(sender, node); };

    ListView1 = new TqelEnhListView(this);
    ListView1->SetName("ListView1");
    ListView1->SetParent(pIcons);
    ListView1->SetBounds(ListLeft, 0, ListWidth, ListHeight);
    ListView1->SetViewStyle(vsIcon);
    ListView1->SetReadOnly(true);
    ListView1->SetNoColumnResize(false);
    ListView1->SetColor(clWhite);
    ListView1->SetCtl3D(false);
    ListView1->SetExtendedStyle(LVS_EX_FLATSB);
    ListView1->OnClick = [this](TComponent* sender) { ListView1Click(sender); };
    ListView1->OnDblClick = [this](TComponent* sender) { ListView1DblClick(sender); };
    ListView1->OnKeyPress = [this](TComponent* sender, char& key) { ListView1KeyPress(sender, key); };
    ListView1->OnKeyUp = [this](TComponent* sender, WORD& key, TShiftState shift) {
        ListView1KeyUp(sender, key, shift);
    };

    lbIcons = new TqelIconListBox(this);
    lbIcons->SetName("lbIcons");
    lbIcons->SetParent(pIcons);
    lbIcons->SetBounds(ListLeft, 0, ListWidth, ListHeight);
    lbIcons->SetColor(clWhite);
    lbIcons->SetVisible(false);
    lbIcons->OnClick = [this](TComponent* sender) { lbIconsClick(sender); };

    sbIcons = new TStatusBar(this);
    sbIcons->SetName("sbIcons");
    sbIcons->SetParent(pIcons);
    sbIcons->SetAlign(alNone);
    sbIcons->SetBounds(0, StatusTop, ListLeft + ListWidth, StatusHeight);
    sbIcons->SetColor(GalleryStatusColor);

    auto makeButton = [this](const char* name, int left, const std::string& caption, const std::string& hint) {
        auto* button = new TVantuButton(this);
        button->SetName(name);
        button->SetParent(pIcons);
        button->SetBounds(left, ButtonTop, ButtonWidth, ButtonHeight);
        button->SetAlignment(taCenter);
        button->SetImageList(&ilButtonsStandard);
        button->SetCaption(caption);
        button->SetHint(hint);
        button->SetShowHint(!hint.empty());
        return button;
    };
    bZurueck = makeButton("bZurueck", 0, "Zurück", "");
    bZurueck->OnClick = [this](TComponent* sender) { bZurueckClick(sender); };
    bErweitert = makeButton("bErweitert", TreeWidth - ButtonWidth, "Erweitert", "Wechselt zwischen Katalog- und Dateiansicht");
    bErweitert->OnClick = [this](TComponent* sender) { bErweitertClick(sender); };

    // The page's own entry: focus arriving from another control of this window.
    for (TWinControl* control : {static_cast<TWinControl*>(TreeView), static_cast<TWinControl*>(ListView1),
                                 static_cast<TWinControl*>(lbIcons)}) {
        control->OnEnter = [this](TComponent*) { GalleryControlEnter(); };
        control->OnExit = [this](TComponent*) { GalleryControlExit(); };
    }
}

void TMainForm::GalleryControlExit()
{
    // The window taking the focus is known by now; another program window (the information
    // window) is no entry when the focus comes back.
    HWND next = GetFocus();
    bool toOtherControl = IsWithin(next, Handle()) && !IsWithin(next, pIcons->Handle());
    galleryFocusMoving_ = !toOtherControl;
    if (toOtherControl)
        pIconsExit(pIcons);
}

void TMainForm::GalleryControlEnter()
{
    bool entering = !galleryFocusMoving_;
    galleryFocusMoving_ = false;
    if (entering)
        pIconsEnter(pIcons);
}

void TMainForm::FirstGalleryUse()
{
    TCursorGuard hourglass;
    NeedGalleryPage();
    Toolsform->LoadGallery();
    TreeView->SetSelected(TreeView->Items().GetFirstNode());
    if (ListView1->Items().Count() > 0)
        ListView1->SetSelected(ListView1->Items()[0]);
    ShowSelectedIconInfo();
}

void TMainForm::TreeViewChange(TComponent* sender, TTreeNode* node)
{
    if (!node)
        return;
    CurrentCategory = node->Parent() ? node->Parent()->Text() + "\\" + node->Text() : node->Text();
    // The category's name as shown; its folder by the exact names the tree was made from.
    const std::string folder = Toolsform->CategoryFolder(node);
    Toolsform->GalleryFolder = folder.empty() ? ProgramFolder() + CurrentCategory : folder;
    Toolsform->LoadGallery();
    bZurueckClick(bZurueck);
}

void TMainForm::TreeViewExpanded(TComponent* sender, TTreeNode* node)
{
    node->SetImageIndex(0);
}

void TMainForm::TreeViewCollapsed(TComponent* sender, TTreeNode* node)
{
    node->SetImageIndex(1);
}

void TMainForm::bZurueckClick(TComponent* sender)
{
    ListView1->Show();
    lbIcons->Hide();
    TreeView->Update();
    if (FormShown && ListView1->CanFocus())
        ListView1->SetFocus();
}

void TMainForm::bErweitertClick(TComponent* sender)
{
    NeedDriveTree();
    const bool fileMode = !DriveView1->Visible();
    DriveView1->SetVisible(fileMode);
    TreeView->SetVisible(!fileMode);
    bErweitert->SetCaption(fileMode ? "Standard" : "Erweitert");
    // A path that names no drive (nothing chosen yet) leaves the drive tree as it is.
    DriveView1->SetDirectory(ExtractFilePath(sbIcons->SimpleText()));
}

void TMainForm::DriveView1Change(TComponent* sender, TTreeNode* node)
{
    const std::string directory = DriveView1->Directory();
    // Nothing selected: the tree is in the middle of a sync.
    if (directory.empty())
        return;
    const std::string problem = GalleryFolderProblem(directory);
    if (!problem.empty()) {
        MessageDlg(problem, mtError, mbOK);
        return;
    }
    Toolsform->GalleryFolder = directory;
    Toolsform->LoadGallery();
    ListView1->Show();
    lbIcons->Hide();
    CurrentCategory = directory.size() == 3 ? directory : ExtractLastFolderName(directory);
}

void TMainForm::DriveView1DDError(TComponent* sender, int errorNo)
{
    MessageDlg(errorNo == 0 ? "Die Verknüpfung konnte nicht angelegt werden."
                            : "Der Zielordner ist nicht mehr vorhanden; es wurde nichts kopiert oder verschoben.",
               mtError, mbOK);
}

void TMainForm::ShowSelectedIconInfo()
{
    TListItem* item = ListView1 ? ListView1->Selected() : nullptr;
    if (!item || !Toolsform)
        return;
    int index = item->Index();
    if (index < 0 || index >= static_cast<int>(Toolsform->GalleryFiles.size()))
        return;
    std::string path = AnsiUpperCase(Toolsform->GalleryFiles[static_cast<size_t>(index)]);
    sbIcons->SetSimpleText("");
    sbIcons->SetSimpleText(path);
    CurrentIconFile = path;
    // A reference without an index means the file's first icon.
    IconInfoForm->ShowIconSpec(path, CurrentCategory);
}

void TMainForm::ListView1Click(TComponent* sender)
{
    ShowSelectedIconInfo();
}

void TMainForm::ListView1KeyPress(TComponent* sender, char& key)
{
    ShowSelectedIconInfo();
}

void TMainForm::ListView1KeyUp(TComponent* sender, WORD& key, TShiftState shift)
{
    ShowSelectedIconInfo();
}

void TMainForm::ListView1DblClick(TComponent* sender)
{
    // A double click on empty space leaves the gallery as it is.
    if (!ListView1->Selected())
        return;
    ShowSelectedIconInfo();
    std::string path = sbIcons->SimpleText();
    std::string ext = AnsiUpperCase(ExtractFileExt(path));
    if (ext.empty() || ext == ".ICO")
        return;
    lbIcons->SetFileName(path);
    lbIcons->Show();
    ListView1->Hide();
    if (lbIcons->CanFocus())
        lbIcons->SetFocus();
    sbIcons->SetSimpleText(lbIcons->FileName());
    lbIconsClick(lbIcons);
}

void TMainForm::lbIconsClick(TComponent* sender)
{
    int index = lbIcons->ItemIndex();
    if (index < 0)
        return;
    sbIcons->SetSimpleText(lbIcons->FileName());
    IconInfoForm->ShowIconSpec(sbIcons->SimpleText() + "," + IntToStr(index), CurrentCategory);
}

void TMainForm::pIconsEnter(TComponent* sender)
{
    // Showing it again would take the focus that just came here.
    if (!IconInfoForm->Visible())
        IconInfoForm->Show();
    // The platform may move the focus only after a click selected its item: that choice stays.
    if (!ListView1->Selected() && ListView1->Items().Count() > 0)
        ListView1->SetSelected(ListView1->Items()[0]);
    ShowSelectedIconInfo();
}

void TMainForm::pIconsExit(TComponent* sender)
{
}
