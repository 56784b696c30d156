// Files dropped on the file list through its OLE drop target, on staged folders of the test's own
// drive Q:: the effect the view takes by keys, drives and what the source offers, copies, moves
// and links, drops it refuses, the Recycle Bin as target, and a drag from one view into another.
#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include "DialogStub.h"
#include "DirView.h"
#include "DirViewTestSupport.h"
#include "DragDropFilesEx.h"
#include "FileOperator.h"
#include "MessagePump.h"
#include "ShellLink.h"
#include "ShellViewShare.h"
#include "StagedFolder.h"
#include "SysUtils.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr DWORD CopyMoveLink = DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK;

// Drops files on the view as OLE does: drag enter and over at a point of its client area, then
// the drop with the buttons up. Returns the effect the view reported for the drop.
DWORD DropFiles(TDirView* view, const std::vector<std::string>& files, DWORD offered, POINT client,
                DWORD keys = 0, bool mapped = false, bool handle = true)
{
    TFileList list;
    for (const std::string& file : files)
        list.AddItemMapped(nullptr, file, mapped ? "Kopie von " + ExtractFileName(file) : "");
    ComPtr<TDataObjectFilesEx> data(new TDataObjectFilesEx(list, false, true));
    IDropTarget* target = view->DragDropFiles().DropTarget();
    const POINT screen = view->ClientToScreen(client);
    const POINTL pt = {screen.x, screen.y};
    DWORD effect = offered;
    target->DragEnter(data.get(), keys | MK_LBUTTON, pt, &effect);
    effect = offered;
    target->DragOver(keys | MK_LBUTTON, pt, &effect);
    DWORD dropped = offered;
    target->Drop(data.get(), keys, pt, &dropped);
    if (handle)
        PumpMessages();
    return dropped;
}

// The middle of a row, or a point below all rows.
POINT OnRow(ViewOnForm& on, const std::string& name)
{
    RECT rect = {};
    ListView_GetItemRect(on.view->Handle(), on.Row(name), &rect, LVIR_LABEL);
    return {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
}
const POINT Empty = {300, 330};

std::string ReadText(const std::string& file)
{
    std::ifstream in(file, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

class DirViewDrops : public testing::Test {
protected:
    void SetUp() override
    {
        InitDragDrop();
        on.view->ConfirmOverwrite = false;
        on.view->ConfirmDelete = false;
        target.Folder("Unter");
        on.view->SetPath(target.Path());
    }
    std::string From(const std::string& name) const { return source.folder.Path() + name; }
    std::string To(const std::string& name) const { return target.Path() + name; }

    StagedListing source{"Quelle", "Q:\\"};
    StagedFolder target{"Ziel", "Q:\\"};
    ViewOnForm on;
};

}  // namespace

TEST_F(DirViewDrops, CopyMoveAndLinkBySourceKeysAndDrive)
{
    // A source that offers only a copy gets a copy, also on its own drive.
    EXPECT_EQ(DropFiles(on.view, {From("Alpha.txt")}, DROPEFFECT_COPY, Empty), DWORD(DROPEFFECT_COPY));
    EXPECT_TRUE(Exists(To("Alpha.txt")));
    EXPECT_TRUE(Exists(From("Alpha.txt")));
    EXPECT_NE(on.view->FindFileItem("Alpha.txt"), nullptr) << "the view reloaded: " << on.Names();
    EXPECT_TRUE(on.view->CanUndoFileOperation());
    EXPECT_TRUE(on.view->UndoFileOperation());
    EXPECT_FALSE(Exists(To("Alpha.txt"))) << "undo takes the copy back";
    EXPECT_TRUE(Exists(From("Alpha.txt")));

    // On the same drive a plain drop moves; Ctrl copies.
    EXPECT_EQ(DropFiles(on.view, {From("Alpha.txt")}, CopyMoveLink, Empty), DWORD(DROPEFFECT_MOVE));
    EXPECT_TRUE(Exists(To("Alpha.txt")));
    EXPECT_FALSE(Exists(From("Alpha.txt")));
    EXPECT_EQ(DropFiles(on.view, {From("delta.bmp")}, CopyMoveLink, Empty, MK_CONTROL), DWORD(DROPEFFECT_COPY));
    EXPECT_TRUE(Exists(From("delta.bmp")));

    // Programs offered for linking are linked, not copied.
    WriteFile(From("prog.exe"), 10);
    EXPECT_EQ(DropFiles(on.view, {From("prog.exe")}, CopyMoveLink, Empty), DWORD(DROPEFFECT_LINK));
    EXPECT_EQ(ShellLinkTarget(To("prog.exe.lnk")), From("prog.exe"));
    EXPECT_FALSE(Exists(To("prog.exe")));

    // Onto a folder's row, into that folder.
    EXPECT_EQ(DropFiles(on.view, {From("gamma.ICO")}, DROPEFFECT_COPY, OnRow(on, "Unter")), DWORD(DROPEFFECT_COPY));
    EXPECT_TRUE(Exists(To("Unter\\gamma.ICO")));

    // Links: one per file, and a second never replaces the first.
    EXPECT_EQ(DropFiles(on.view, {From("beta.ico")}, DROPEFFECT_LINK, Empty), DWORD(DROPEFFECT_LINK));
    EXPECT_EQ(ShellLinkTarget(To("beta.ico.lnk")), From("beta.ico"));
    const std::string first = ReadText(To("beta.ico.lnk"));
    DropFiles(on.view, {From("beta.ico")}, DROPEFFECT_LINK, Empty);
    EXPECT_EQ(ReadText(To("beta.ico.lnk")), first);
    EXPECT_EQ(ShellLinkTarget(To("beta.ico (2).lnk")), From("beta.ico")) << "the collision keeps both";
    EXPECT_NE(on.view->FindFileItem("beta.ico (2).lnk"), nullptr);
}

TEST_F(DirViewDrops, DropsItRefuses)
{
    // A folder never goes into itself or below itself.
    on.view->SetPath(source.Path());
    EXPECT_EQ(DropFiles(on.view, {From("Unter")}, CopyMoveLink, OnRow(on, "Unter")), DWORD(DROPEFFECT_NONE));
    CreateDirectoryA(From("Unter\\Tiefer").c_str(), nullptr);
    on.view->SetPath(From("Unter"));
    EXPECT_EQ(DropFiles(on.view, {From("Unter")}, CopyMoveLink, OnRow(on, "Tiefer")), DWORD(DROPEFFECT_NONE));
    EXPECT_EQ(DropFiles(on.view, {source.Path()}, DROPEFFECT_COPY, Empty), DWORD(DROPEFFECT_NONE));
    EXPECT_FALSE(Exists(From("Unter\\Tiefer\\Unter")));
    EXPECT_TRUE(Exists(From("Unter\\Tiefer")));

    // Even when asked directly, the operation leaves such a folder where it is, and says why.
    {
        DialogStub dialogs;
        on.view->DragDropFiles().FileList.Clear();
        on.view->DragDropFiles().FileList.AddItem(nullptr, From("Unter"));
        EXPECT_FALSE(on.view->ExecuteDropFileOperation(From("Unter\\Tiefer"), DROPEFFECT_MOVE));
        EXPECT_TRUE(Exists(From("Unter\\Tiefer")));
        ASSERT_EQ(dialogs.messages.size(), 1u);
        EXPECT_NE(dialogs.messages[0].text.find("in sich selbst"), std::string::npos) << dialogs.messages[0].text;
    }

    // A target folder that went away meanwhile reports error 1.
    std::vector<int> errors;
    on.view->OnDDError = [&](TComponent*, int error) { errors.push_back(error); };
    on.view->DragDropFiles().FileList.AddItem(nullptr, From("Alpha.txt"));
    EXPECT_FALSE(on.view->ExecuteDropFileOperation(To("fehlt"), DROPEFFECT_COPY));
    EXPECT_EQ(errors, std::vector<int>{1});
    on.view->OnDDError = nullptr;
    try {
        on.view->ExecuteDropFileOperation(To("fehlt"), DROPEFFECT_COPY);
        FAIL() << "no error";
    } catch (const EDragDrop& error) {
        EXPECT_STREQ(error.what(), "DragDrop Error: 1");
    }

    // A handler may stop the operation; the view still reloads.
    on.view->SetPath(target.Path());
    bool executed = false;
    on.view->OnDDFileOperation = [](TComponent*, DWORD, const std::string& sourcePath, const std::string&, bool& go) {
        go = false;
        EXPECT_EQ(ExtractFileName(RemoveTrailing(sourcePath)), "Quelle " + std::to_string(GetCurrentProcessId()));
    };
    on.view->OnDDFileOperationExecuted = [&](TComponent*, DWORD, const std::string&, const std::string&) {
        executed = true;
    };
    WriteFile(To("neu.txt"), 1);
    DropFiles(on.view, {From("Alpha.txt")}, DROPEFFECT_COPY, Empty);
    EXPECT_FALSE(Exists(To("Alpha.txt")));
    EXPECT_FALSE(executed);
    EXPECT_NE(on.view->FindFileItem("neu.txt"), nullptr) << "reloaded all the same";
}

TEST_F(DirViewDrops, TheRecycleBinAsTarget)
{
    // A drive root's "RECYCLED" folder stands for the bin.
    ASSERT_TRUE(CreateDirectoryA("Q:\\RECYCLED", nullptr));
    SetFileAttributesA("Q:\\RECYCLED", FILE_ATTRIBUTE_SYSTEM);
    on.view->SetPath("Q:\\");
    ASSERT_NE(on.Rec("RECYCLED"), nullptr) << on.Names();
    EXPECT_TRUE(on.Rec("RECYCLED")->IsRecycleBin);

    EXPECT_EQ(DropFiles(on.view, {From("Alpha.txt")}, DROPEFFECT_COPY, OnRow(on, "RECYCLED")), DWORD(DROPEFFECT_NONE))
        << "a source that only lends its files does not lose them to the bin";
    EXPECT_TRUE(Exists(From("Alpha.txt")));
    DropFiles(on.view, {From("Alpha.txt")}, DROPEFFECT_COPY, OnRow(on, "RECYCLED"), 0, true);
    EXPECT_TRUE(Exists(From("Alpha.txt"))) << "bin items coming back are never deleted again";
    EXPECT_EQ(DropFiles(on.view, {From("Alpha.txt")}, CopyMoveLink, OnRow(on, "RECYCLED"), MK_CONTROL),
              DWORD(DROPEFFECT_MOVE)) << "the bin always takes a move";
    EXPECT_FALSE(Exists(From("Alpha.txt")));
    EXPECT_FALSE(Exists("Q:\\RECYCLED\\Alpha.txt")) << "deleted, not moved into the folder";
    EXPECT_FALSE(on.view->CanUndoFileOperation());
    SetFileAttributesA("Q:\\RECYCLED", FILE_ATTRIBUTE_NORMAL);
    RemoveDirectoryA("Q:\\RECYCLED");

    // A folder whose name only begins like the bin's is an ordinary folder: a copy goes into it.
    StagedFolder lookalike{"Recycled Sachen", "Q:\\"};
    WriteFile(lookalike.Path() + "drin.txt", 1);
    on.view->SetPath(lookalike.Path());
    EXPECT_FALSE(on.view->IsRecycleBin());
    EXPECT_NE(on.view->FindFileItem("drin.txt"), nullptr) << on.Names();
    WriteFile(From("Alpha.txt"), 1);
    DropFiles(on.view, {From("Alpha.txt")}, CopyMoveLink, Empty, MK_CONTROL);
    EXPECT_TRUE(Exists(From("Alpha.txt"))) << "copied, not deleted";
    EXPECT_TRUE(Exists(lookalike.Path() + "Alpha.txt"));
}

TEST_F(DirViewDrops, MovingFromAnotherViewTakesItsItemsAtOnce)
{
    ViewOnForm from;
    from.view->SetPath(source.Path());
    from.Select({"Alpha.txt", "beta.ico"});
    bool complete = false;
    DWORD dropped = 0;
    from.view->OnDDQueryContinueDrag = [&](TComponent*, BOOL, DWORD, HRESULT& result) {
        if (result == DRAGDROP_S_CANCEL)
            return;
        complete = from.view->DragDropFiles().CompleteFileList;
        // Inside the drag loop: what the drop hands on waits for its end, as OLE's does. One
        // file only: Wine's shell moves no list of several files into one folder (it reports a
        // cancel).
        dropped = DropFiles(on.view, {From("Alpha.txt")}, CopyMoveLink, Empty, 0, false, false);
        result = DRAGDROP_S_CANCEL;
    };
    int executed = 0;
    on.view->OnDDExecuted = [&](TComponent*, DWORD) { ++executed; };
    TWinControl* sourceSeen = nullptr;
    on.view->OnDDProcessDropped = [&](TComponent*, DWORD, POINT, DWORD) { sourceSeen = DragSourceView(); };
    from.view->StartDrag();
    EXPECT_EQ(executed, 1);
    EXPECT_EQ(sourceSeen, static_cast<TWinControl*>(from.view)) << "the drop is handled after the drag loop, with its source known";
    EXPECT_TRUE(complete);
    EXPECT_EQ(dropped, DWORD(DROPEFFECT_MOVE));
    EXPECT_TRUE(Exists(To("Alpha.txt")));
    EXPECT_EQ(from.Names(), "Unter,beta.ico,delta.bmp,gamma.ICO") << "the moved file's row went with it";
    EXPECT_EQ(DragSourceView(), nullptr);
}

TEST_F(DirViewDrops, ListsOfMoreThanAHundredFilesAreNotCompleted)
{
    StagedFolder many("Hundert", "Q:\\");
    for (int i = 0; i < 101; ++i)
        WriteFile(many.Path() + "f" + std::to_string(1000 + i) + ".txt", 1);
    ViewOnForm from;
    from.view->SetPath(many.Path());
    std::vector<bool> complete;
    from.view->OnDDQueryContinueDrag = [&](TComponent*, BOOL, DWORD, HRESULT& result) {
        if (result != DRAGDROP_S_CANCEL)
            complete.push_back(from.view->DragDropFiles().CompleteFileList);
        result = DRAGDROP_S_CANCEL;
    };
    std::vector<std::string> hundred;
    for (int i = 0; i < 100; ++i)
        hundred.push_back("f" + std::to_string(1000 + i) + ".txt");
    from.Select(hundred);
    from.view->StartDrag();
    hundred.push_back("f1100.txt");
    from.Select(hundred);
    from.view->StartDrag();
    EXPECT_EQ(complete, (std::vector<bool>{true, false}));
}

TEST_F(DirViewDrops, AViewIgnoresADropOfItsOwnDragThatComesAtOnce)
{
    on.view->SetPath(source.Path());
    on.Select({"Alpha.txt"});
    DWORD dropped = 0;
    on.view->OnDDQueryContinueDrag = [&](TComponent*, BOOL, DWORD, HRESULT& result) {
        if (result == DRAGDROP_S_CANCEL)
            return;
        // A click the system took for a tiny drag onto the folder's row beside it.
        dropped = DropFiles(on.view, {From("Alpha.txt")}, CopyMoveLink, OnRow(on, "Unter"), 0, false, false);
        result = DRAGDROP_S_CANCEL;
    };
    on.view->StartDrag();
    EXPECT_EQ(dropped, DWORD(DROPEFFECT_MOVE));
    EXPECT_TRUE(Exists(From("Alpha.txt"))) << "the drop came within 0.2 s of the drag's start";
    EXPECT_FALSE(Exists(From("Unter\\Alpha.txt")));
}
