// How the drive tree words and draws its nodes: drive names, folder sizes, dimmed and bold
// nodes, and the texts of invalid names and failed renames by language.
#include <windows.h>
#include <commctrl.h>

#include "DriveView.h"

#include "BaseUtils.h"
#include "Forms.h"
#include "KtDriveInfo.h"

std::string FormatDirSize(int64_t size)
{
    const uint64_t bytes = size < 0 ? 0 : static_cast<uint64_t>(size);
    const uint64_t kilobytes = bytes > 0 && bytes < 1024 ? 1 : bytes / 1024;
    std::string digits;
    if (kilobytes > 99999) {
        IntToThousands(static_cast<int64_t>(kilobytes / 1024), digits);
        return digits + "M";
    }
    IntToThousands(static_cast<int64_t>(kilobytes), digits);
    return digits + "K";
}

std::string InvalidDirNameTextFor(LANGID primaryLanguage)
{
    switch (primaryLanguage) {
    case LANG_GERMAN: return "Verzeichnisname enthält ungültige Zeichen:";
    case LANG_FRENCH: return "Le nouveau nom contient des caractères invalides:";
    default: return "New name contains Invalid characters:";
    }
}

const std::string& InvalidDirNameText()
{
    static const std::string text = InvalidDirNameTextFor(PRIMARYLANGID(GetUserDefaultLangID()));
    return text;
}

std::string RenameFailedTextFor(LANGID primaryLanguage)
{
    switch (primaryLanguage) {
    case LANG_GERMAN: return "Datei oder Verzeichnis kann nicht umbenannt werden:";
    case LANG_FRENCH: return "Ne peux renommer le fichier: ";
    default: return "Can't rename file or directory: ";
    }
}

const std::string& RenameFailedText()
{
    static const std::string text = RenameFailedTextFor(PRIMARYLANGID(GetUserDefaultLangID()));
    return text;
}

TNodeColors NodeColors(const TNodeLook& look)
{
    TNodeColors colors;
    if (look.dimmHiddenDirs && look.hidden && !look.selected) {
        colors.font = clGrayText;
    } else if (!look.viewFocused && look.selected && look.hideSelection) {
        // The selection stays visible, in grey, while another control has the focus.
        colors.brush = clBtnFace;
        colors.font = clBtnText;
    }
    if (look.bold) {
        colors.font = look.colorBold;
        colors.bold = true;
    }
    return colors;
}

std::string TDriveView::GetDisplayName(const TTreeNode* node)
{
    const TNodeData& data = DataOf(node, "GetDisplayName");
    std::string text = node->Parent() ? data.DisplayName : DriveCaption(GetDrive(node));
    if (showDirSize_)
        text += " = " + FormatDirSize(GetDirSize(const_cast<TTreeNode*>(node)));
    return text;
}

std::string TDriveView::DriveCaption(char drive) const
{
    TDriveInfoRec rec;
    DriveInfo().GetDriveRec(drive, rec);
    if (showVolLabel_ && !rec.PrettyName.empty()) {
        switch (volDisplayStyle_) {
        case doDisplayName: return rec.DisplayName;
        case doLongPrettyName: return rec.LongName;
        default: return rec.PrettyName;
        }
    }
    return std::string(1, drive) + ":";
}

int64_t TDriveView::GetDirSize(TTreeNode* node)
{
    if (DataOf(node, "GetDirSize").DirSize == -1)
        SetDirSize(node);
    return NodeData(node)->DirSize;
}

void TDriveView::SetDirSize(TTreeNode* node)
{
    TNodeData& data = DataOf(node, "SetDirSize");
    int64_t size = 0;
    for (const TFoundEntry& found : FindExactEntries(GetDirPath(node)))
        if (!(found.Data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            size += (static_cast<int64_t>(found.Data.nFileSizeHigh) << 32) | found.Data.nFileSizeLow;
    data.DirSize = size;
}

void TDriveView::RefreshTexts(TTreeNode* node)
{
    node->SetText(GetDisplayName(node));
    for (int i = 0; i < node->Count(); ++i)
        RefreshTexts(node->Item(i));
}

void TDriveView::RefreshDirSize(TTreeNode* node)
{
    if (!node)
        throw ENodeNotAssigned("RefreshDirSize: Node not assigned");
    SetDirSize(node);
    if (showDirSize_)
        node->SetText(GetDisplayName(node));
    RepaintMeanwhile();
}

int64_t TDriveView::GetSubTreeSize(TTreeNode* node)
{
    if (!node)
        throw ENodeNotAssigned("GetSubTreeSize: Node not assigned");
    TCursorGuard hourglass;
    SyncAll(node);
    RefreshDirSize(node);
    int64_t total = 0;
    TScanScope busy(*this);
    WalkSubtree(node, 1, true, [&](TTreeNode*& n) {
        if (!n)
            throw ENodeNotAssigned("GetSubTreeSize: Node not assigned");
        SetDirSize(n);
        if (showDirSize_)
            n->SetText(GetDisplayName(n));
        total += NodeData(n)->DirSize;
        RepaintMeanwhile();
        return true;
    });
    return total;
}

void TDriveView::SetBoldDraw(TTreeNode* node, bool bold)
{
    TNodeData& data = DataOf(node, "SetBoldDraw");
    if (data.Bold == bold)
        return;
    data.Bold = bold;
    // The same text again: the control repaints the node.
    node->SetText(node->Text());
}

void TDriveView::SetShowDirSize(bool on)
{
    if (on == showDirSize_)
        return;
    showDirSize_ = on;
    TCursorGuard hourglass;
    TUpdateHold update(Items());
    for (char drive = 'C'; drive <= 'Z'; ++drive) {
        TDriveInfoRec rec;
        DriveInfo().GetDriveRec(drive, rec);
        if (rec.Valid && SlotOf(drive).root)
            RefreshTexts(SlotOf(drive).root);
    }
}

void TDriveView::SetShowVolLabel(bool on)
{
    if (on == showVolLabel_)
        return;
    showVolLabel_ = on;
    UpdateDriveRoots(false, 8);
}

void TDriveView::SetVolDisplayStyle(TVolumeDisplayStyle style)
{
    if (style == volDisplayStyle_)
        return;
    volDisplayStyle_ = style;
    if (!loading_)
        UpdateDriveRoots(false, 8);
}

void TDriveView::SetDimmHiddenDirs(bool on)
{
    if (on == dimmHiddenDirs_)
        return;
    dimmHiddenDirs_ = on;
    Invalidate();
}

void TDriveView::SetColorBold(TColor color)
{
    if (color == colorBold_)
        return;
    colorBold_ = color;
    Invalidate();
}

void TDriveView::FontChanged()
{
    TTreeView::FontChanged();
    boldFont_.reset();
}

bool TDriveView::Reflected(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    const UINT code = msg == WM_NOTIFY ? reinterpret_cast<NMHDR*>(lParam)->code : 0;
    switch (code) {
    case NM_CUSTOMDRAW:
        result = CustomDraw(reinterpret_cast<NMTVCUSTOMDRAW*>(lParam));
        return true;
    case TVN_BEGINDRAGA:
    case TVN_BEGINDRAGW:
    case TVN_BEGINRDRAGA:
    case TVN_BEGINRDRAGW: {
        // The drag is the view's own, with the button that began it.
        POINT cursor;
        GetCursorPos(&cursor);
        const bool right = code == TVN_BEGINRDRAGA || code == TVN_BEGINRDRAGW;
        DDDragDetect(right ? MK_RBUTTON : MK_LBUTTON, mouseDownPoint_, cursor, ddsDrag);
        result = 0;
        return true;
    }
    case TVN_ENDLABELEDITA:
    case TVN_ENDLABELEDITW: {
        // However the edit ends (a new name, given up, refused), the tree is left at its edge.
        struct AtLeftEdge {
            TDriveView& view;
            ~AtLeftEdge() { view.ScrollToLeftEdge(); }
        } atLeftEdge{*this};
        return TTreeView::Reflected(msg, wParam, lParam, result);
    }
    default:
        return TTreeView::Reflected(msg, wParam, lParam, result);
    }
}

LRESULT TDriveView::CustomDraw(NMTVCUSTOMDRAW* draw)
{
    if (draw->nmcd.dwDrawStage == CDDS_PREPAINT)
        return CDRF_NOTIFYITEMDRAW;
    if (draw->nmcd.dwDrawStage != CDDS_ITEMPREPAINT)
        return CDRF_DODEFAULT;
    auto* node = reinterpret_cast<TTreeNode*>(draw->nmcd.lItemlParam);
    const TNodeData* data = NodeData(node);
    if (!data || node == DropTarget())
        return CDRF_DODEFAULT;
    TNodeLook look;
    look.dimmHiddenDirs = dimmHiddenDirs_;
    look.hidden = (data->Attr & FILE_ATTRIBUTE_HIDDEN) != 0;
    look.selected = node->Selected();
    look.viewFocused = Focused();
    look.hideSelection = HideSelection();
    look.bold = data->Bold;
    look.colorBold = colorBold_;
    const TNodeColors colors = NodeColors(look);
    if (colors.font != clNone)
        draw->clrText = ColorToRGB(colors.font) & 0xFFFFFF;
    if (colors.brush != clNone)
        draw->clrTextBk = ColorToRGB(colors.brush) & 0xFFFFFF;
    if (!colors.bold)
        return CDRF_DODEFAULT;
    if (!boldFont_) {
        auto shown = reinterpret_cast<HFONT>(SendMessageA(Handle(), WM_GETFONT, 0, 0));
        LOGFONTA font = {};
        GetObjectA(shown ? shown : GetStockObject(DEFAULT_GUI_FONT), sizeof font, &font);
        font.lfWeight = FW_BOLD;
        boldFont_.reset(CreateFontIndirectA(&font));
    }
    SelectObject(draw->nmcd.hdc, boldFont_.get());
    return CDRF_NEWFONT;
}
