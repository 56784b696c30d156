// Drag and drop: the effect and menu rules, scroll-band detection, the data object's format
// negotiation, the drop target driven directly, and the detection state machine of the hook.
#include <windows.h>
#include <ole2.h>
#include <commctrl.h>

#include "DragDrop.h"

#include "Controls.h"
#include "Forms.h"
#include "MessagePump.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

FORMATETC Format(CLIPFORMAT format, DWORD tymed = TYMED_HGLOBAL, DWORD aspect = DVASPECT_CONTENT, LONG lindex = -1)
{
    return {format, nullptr, aspect, lindex, tymed};
}

// Renders every offered format as the same text in global memory.
class TextDataObject : public TDataObject {
public:
    explicit TextDataObject(std::string text) : text_(std::move(text)) {}
    HRESULT RenderData(const FORMATETC& format, STGMEDIUM& medium) override
    {
        ++renders;
        HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, text_.size() + 1);
        if (!memory)
            return E_OUTOFMEMORY;
        std::memcpy(GlobalLock(memory), text_.c_str(), text_.size() + 1);
        GlobalUnlock(memory);
        medium.tymed = TYMED_HGLOBAL;
        medium.hGlobal = memory;
        medium.pUnkForRelease = nullptr;
        return S_OK;
    }
    int renders = 0;

private:
    std::string text_;
};

std::string ReadText(IDataObject* data)
{
    FORMATETC format = Format(CF_TEXT);
    STGMEDIUM medium = {};
    if (FAILED(data->GetData(&format, &medium)))
        return "<none>";
    std::string text(static_cast<const char*>(GlobalLock(medium.hGlobal)));
    GlobalUnlock(medium.hGlobal);
    ReleaseStgMedium(&medium);
    return text;
}

LONG RefCount(IUnknown* object)
{
    object->AddRef();
    return static_cast<LONG>(object->Release());
}

// ---- Window-free rules ----

TEST(DragDropRules, DropMenuCaptionsByLanguage)
{
    struct Case { WORD language; const char* copy; const char* move; const char* shortcut; const char* abort; };
    const Case cases[] = {
        {LANG_GERMAN, "Hierher &kopieren", "Hierher &verschieben", "Verknüpfung(en) hier &erstellen", "&Abbrechen"},
        {LANG_SPANISH, "&Copie aquí", "&Muévase aquí", "&Atajo(s) crea aquí ", "&Aborto"},
        {LANG_FRENCH, "&Copier ici", "&Transférer ici", "&Créer un ou des raccourci(s) ici", "&Arrêt"},
        {LANG_ITALIAN, "&Copiare qui", "&Muoversi qui", "&Scorciatoia(e) crea qui", "&Terminazione"},
        {LANG_POLISH, "&Kopiuj tutaj", "&Przenie\x9C tutaj", "Utwórz &skrót(y) tutaj", "&Anuluj"},
        {LANG_PORTUGUESE, "&Copíe aqui", "&Mova aqui", "&Atalho(s) cría aqui", "&Aborto"},
        {LANG_ENGLISH, "&Copy Here", "&Move Here", "&Shortcut(s) Create Here", "&Abort"},
        {LANG_JAPANESE, "&Copy Here", "&Move Here", "&Shortcut(s) Create Here", "&Abort"},
    };
    for (const Case& c : cases) {
        TDropMenuCaptions captions = DropMenuCaptions(c.language);
        EXPECT_EQ(captions.copy, c.copy) << "language " << c.language;
        EXPECT_EQ(captions.move, c.move) << "language " << c.language;
        EXPECT_EQ(captions.shortcut, c.shortcut) << "language " << c.language;
        EXPECT_EQ(captions.abort, c.abort) << "language " << c.language;
    }
}

TEST(DragDropRules, EffectChoice)
{
    const DWORD all = DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK;
    struct Case { bool own; bool acceptOwn; DWORD keys; DWORD target; DWORD offered; bool scrolling; DWORD expected; };
    const Case cases[] = {
        {false, false, 0, all, all, false, DROPEFFECT_COPY},
        {true, false, 0, all, all, false, DROPEFFECT_NONE},   // own drag refused
        {true, true, 0, all, all, false, DROPEFFECT_COPY},
        {false, false, MK_SHIFT, all, all, false, DROPEFFECT_MOVE},
        {false, false, MK_SHIFT | MK_CONTROL, all, all, false, DROPEFFECT_LINK},
        {false, false, MK_CONTROL, all, all, false, DROPEFFECT_COPY},
        {false, false, 0, DROPEFFECT_MOVE | DROPEFFECT_LINK, all, false, DROPEFFECT_MOVE},
        {false, false, 0, DROPEFFECT_LINK, all, false, DROPEFFECT_LINK},
        {false, false, 0, all, DROPEFFECT_LINK, false, DROPEFFECT_LINK},
        {false, false, 0, all, DROPEFFECT_MOVE, false, DROPEFFECT_MOVE},
        // Shift asks for a move the source does not offer: the next rule decides.
        {false, false, MK_SHIFT, all, DROPEFFECT_COPY, false, DROPEFFECT_COPY},
        {false, false, 0, DROPEFFECT_COPY, DROPEFFECT_MOVE, false, DROPEFFECT_NONE},
        {false, false, 0, 0, all, false, DROPEFFECT_NONE},
        {false, false, 0, all, all, true, DROPEFFECT_COPY | DROPEFFECT_SCROLL},
    };
    int row = 0;
    for (const Case& c : cases) {
        TEffectChoiceInput in;
        in.ownDrag = c.own;
        in.acceptOwnDnD = c.acceptOwn;
        in.keyState = c.keys;
        in.targetEffects = c.target;
        in.offered = c.offered;
        in.scrolling = c.scrolling;
        DWORD effect = ChooseDropEffect(in);
        EXPECT_EQ(effect, c.expected) << "row " << row << ": got " << std::hex << effect;
        ++row;
    }
}

TEST(DragDropRules, ScrollBands)
{
    // Client height 100, bands of 10 at both edges with default margins 0.
    struct Case { int position; int extent; WORD nm, nr, fm, fr; int expected; };
    const Case cases[] = {
        {0, 100, 0, 10, 0, 10, 1},   {10, 100, 0, 10, 0, 10, 1}, {11, 100, 0, 10, 0, 10, 0},
        {50, 100, 0, 10, 0, 10, 0},  {88, 100, 0, 10, 0, 10, 0}, {89, 100, 0, 10, 0, 10, 2},
        {99, 100, 0, 10, 0, 10, 2},  {100, 100, 0, 10, 0, 10, 0},
        {3, 100, 5, 10, 0, 10, 0},   {5, 100, 5, 10, 0, 10, 1},  {94, 100, 0, 10, 5, 10, 2},
        {96, 100, 0, 10, 5, 10, 0},
        // Bands that meet leave no room: nothing scrolls.
        {0, 20, 0, 10, 0, 10, 0},    {19, 20, 0, 10, 0, 10, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(DetectScrollBand(c.position, c.extent, c.nm, c.nr, c.fm, c.fr), c.expected)
            << "position " << c.position << " of " << c.extent << " margins " << c.nm << "/" << c.fm;
}

TEST(DragDropRules, ScrollBarMovement)
{
    struct Case { int min, max; UINT page; int pos; int direction; bool expected; };
    const Case cases[] = {
        {0, 100, 0, 0, 1, false}, {0, 100, 0, 1, 1, true},   {0, 100, 0, 99, 2, true},
        {0, 100, 0, 100, 2, false}, {0, 100, 11, 89, 2, true}, {0, 100, 11, 90, 2, false},
        {0, 100, 1, 99, 2, true}, {0, 100, 0, 50, 0, false},
    };
    for (const Case& c : cases) {
        SCROLLINFO info = {};
        info.nMin = c.min;
        info.nMax = c.max;
        info.nPage = c.page;
        info.nPos = c.pos;
        EXPECT_EQ(ScrollBarCanMove(info, c.direction), c.expected)
            << "pos " << c.pos << " page " << c.page << " direction " << c.direction;
    }
}

// ---- Format list and enum object ----

TEST(DragDropFormats, ListIndexChecked)
{
    TFormatEtcList list;
    EXPECT_EQ(list.Add(Format(CF_TEXT)), 0);
    EXPECT_EQ(list.Add(Format(CF_HDROP)), 1);
    EXPECT_EQ(list.GetItem(1).cfFormat, CF_HDROP);
    for (int index : {-1, 2}) {
        try {
            list.GetItem(index);
            ADD_FAILURE() << "no error for index " << index;
        } catch (const std::exception& error) {
            EXPECT_STREQ(error.what(), "Invalid item index") << "index " << index;
        }
        EXPECT_THROW(list.SetItem(index, Format(CF_TEXT)), std::exception) << "index " << index;
    }
    EXPECT_EQ(TFormatEtcList().Clone()->Count(), 0);
}

TEST(DragDropFormats, EnumNextSkipClone)
{
    auto list = std::make_unique<TFormatEtcList>();
    list->Add(Format(CF_TEXT));
    list->Add(Format(CF_HDROP));
    ComPtr<IEnumFORMATETC> items(new TEnumFormatEtc(std::move(list)));

    FORMATETC out[3] = {};
    ULONG fetched = 99;
    EXPECT_EQ(items->Next(3, out, &fetched), S_FALSE);
    EXPECT_EQ(fetched, 2u);
    EXPECT_EQ(out[1].cfFormat, CF_HDROP) << "second record";
    EXPECT_EQ(items->Next(3, out, &fetched), S_FALSE);
    EXPECT_EQ(fetched, 0u) << "at the end";

    EXPECT_EQ(items->Reset(), S_OK);
    EXPECT_EQ(items->Next(2, out, nullptr), S_FALSE) << "no fetched pointer needs celt 1";
    EXPECT_EQ(items->Skip(3), S_FALSE);
    EXPECT_EQ(items->Skip(1), S_OK);

    ComPtr<IEnumFORMATETC> clone;
    ASSERT_EQ(items->Clone(clone.put()), S_OK);
    EXPECT_EQ(RefCount(clone.get()), 1) << "the caller holds the only reference";
    items.reset();   // the clone owns its own list
    EXPECT_EQ(clone->Next(1, out, nullptr), S_OK);
    EXPECT_EQ(out[0].cfFormat, CF_HDROP) << "the clone continues at the original's position";
}

// ---- Data object ----

TEST(DragDropDataObject, GetDataAndQueryGetData)
{
    ComPtr<TextDataObject> data(new TextDataObject("Hallo"));
    data->Formats().Add(Format(CF_TEXT));
    data->Formats().Add(Format(CF_OEMTEXT, TYMED_HGLOBAL, DVASPECT_CONTENT, 0));

    EXPECT_EQ(ReadText(data.get()), "Hallo");
    EXPECT_EQ(RefCount(data.get()), 1);

    struct Case { FORMATETC request; bool checkLindex; HRESULT get; HRESULT query; };
    const Case cases[] = {
        {Format(CF_TEXT), true, S_OK, S_OK},
        {Format(CF_TEXT, TYMED_ISTREAM), true, DV_E_FORMATETC, DV_E_TYMED},
        {Format(CF_TEXT, TYMED_HGLOBAL, DVASPECT_ICON), true, DV_E_FORMATETC, DV_E_DVASPECT},
        {Format(CF_TEXT, TYMED_HGLOBAL, DVASPECT_CONTENT, 3), true, DV_E_FORMATETC, DV_E_LINDEX},
        {Format(CF_TEXT, TYMED_HGLOBAL, DVASPECT_CONTENT, 3), false, S_OK, DV_E_LINDEX},
        {Format(CF_OEMTEXT, TYMED_HGLOBAL | TYMED_FILE, DVASPECT_CONTENT, 0), true, S_OK, S_OK},
        {Format(CF_BITMAP), true, DV_E_FORMATETC, DV_E_FORMATETC},
    };
    int row = 0;
    for (Case c : cases) {
        data->CheckLindex = c.checkLindex;
        STGMEDIUM medium = {};
        HRESULT got = data->GetData(&c.request, &medium);
        if (SUCCEEDED(got))
            ReleaseStgMedium(&medium);
        EXPECT_EQ(got, c.get) << "row " << row << ": GetData gave " << std::hex << got;
        HRESULT query = data->QueryGetData(&c.request);
        EXPECT_EQ(query, c.query) << "row " << row << ": QueryGetData gave " << std::hex << query;
        ++row;
    }
}

TEST(DragDropDataObject, SetDataAndEnumeration)
{
    ComPtr<TextDataObject> data(new TextDataObject("x"));
    data->Formats().Add(Format(CF_TEXT));
    FORMATETC replaced = Format(CF_TEXT, TYMED_ISTREAM);
    STGMEDIUM medium = {};
    EXPECT_EQ(data->SetData(&replaced, &medium, FALSE), E_FAIL);
    FORMATETC added = Format(CF_HDROP);
    data->SetData(&added, &medium, FALSE);
    ASSERT_EQ(data->Formats().Count(), 2);
    EXPECT_EQ(data->Formats().GetItem(0).tymed, static_cast<DWORD>(TYMED_ISTREAM)) << "record overwritten";
    EXPECT_EQ(data->Formats().GetItem(1).cfFormat, CF_HDROP) << "record added";

    IEnumFORMATETC* setEnum = reinterpret_cast<IEnumFORMATETC*>(1);
    EXPECT_EQ(data->EnumFormatEtc(DATADIR_SET, &setEnum), OLE_S_USEREG);
    EXPECT_EQ(setEnum, nullptr);

    ComPtr<IEnumFORMATETC> items;
    ASSERT_EQ(data->EnumFormatEtc(DATADIR_GET, items.put()), S_OK);
    data->Formats().Add(Format(CF_BITMAP));   // the enum object keeps its own copy
    FORMATETC out[4] = {};
    ULONG fetched = 0;
    items->Next(4, out, &fetched);
    EXPECT_EQ(fetched, 2u);
    EXPECT_EQ(RefCount(data.get()), 1) << "enumeration holds no reference to the data object";
}

TEST(DragDropDataObject, ClipboardCopy)
{
    InitDragDrop();
    ComPtr<TextDataObject> empty(new TextDataObject("leer"));
    DWORD before = GetClipboardSequenceNumber();
    EXPECT_FALSE(empty->PutOnClipboard());
    EXPECT_EQ(GetClipboardSequenceNumber(), before) << "an empty offer leaves the clipboard alone";

    ComPtr<TextDataObject> data(new TextDataObject("Übertragen"));
    data->Formats().Add(Format(CF_TEXT));
    data->Formats().Add(Format(CF_OEMTEXT, TYMED_ISTREAM));   // not an HGLOBAL: skipped
    ASSERT_TRUE(data->PutOnClipboard());
    EXPECT_EQ(data->renders, 1) << "only the HGLOBAL record is rendered";

    ComPtr<IDataObject> pasted;
    ASSERT_EQ(OleGetClipboard(pasted.put()), S_OK);
    EXPECT_EQ(ReadText(pasted.get()), "Übertragen");
}

// ---- The component on a real control ----

// A child with a vertical scroll bar that records the scroll messages it gets.
class ScrollPane : public TCustomControl {
public:
    using TCustomControl::TCustomControl;
    std::vector<WPARAM> scrolls;

protected:
    void CreateParams(TCreateParams& params) override
    {
        TCustomControl::CreateParams(params);
        params.style |= WS_VSCROLL;
    }
    LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override
    {
        if (msg == WM_VSCROLL)
            scrolls.push_back(LOWORD(wParam));
        return TCustomControl::WndProc(msg, wParam, lParam);
    }
};

// A drop target that counts its readings of the dropped data.
class CountingTarget : public TDropTarget {
public:
    using TDropTarget::TDropTarget;
    int rendered = 0;
    std::string text;

protected:
    void RenderDropped(IDataObject* data, DWORD, POINTL, DWORD&) override
    {
        ++rendered;
        text = ReadText(data);
    }
};

class TestDragDrop : public TDragDrop {
public:
    explicit TestDragDrop(TComponent* owner) : TDragDrop(owner)
    {
        target = new CountingTarget(this);
        ReplaceDropTarget(target);
    }
    CountingTarget* target;
};

class DragDropComponent : public testing::Test {
protected:
    void SetUp() override
    {
        InitDragDrop();
        form = std::make_unique<TForm>(nullptr);
        form->SetBounds(100, 100, 300, 300);
        pane = new ScrollPane(form.get());
        pane->SetParent(form.get());
        pane->SetBounds(10, 10, 200, 200);
        form->Show();
        SCROLLINFO info = {sizeof(info), SIF_ALL, 0, 100, 10, 50, 0};
        SetScrollInfo(pane->Handle(), SB_VERT, &info, TRUE);
        dd = std::make_unique<TestDragDrop>(nullptr);
        data = ComPtr<TextDataObject>(new TextDataObject("Ablage"));
        data->Formats().Add(Format(CF_TEXT));
    }
    void TearDown() override
    {
        dd.reset();
        form.reset();
    }
    POINTL ScreenPoint(int x, int y)
    {
        POINT point = {x, y};
        ClientToScreen(pane->Handle(), &point);
        return {point.x, point.y};
    }

    std::unique_ptr<TForm> form;
    ScrollPane* pane = nullptr;
    std::unique_ptr<TestDragDrop> dd;
    ComPtr<TextDataObject> data;
};

TEST_F(DragDropComponent, MenuCaptionsFollowUserLanguage)
{
    TDropMenuCaptions captions = DropMenuCaptions(PRIMARYLANGID(LANGIDFROMLCID(GetUserDefaultLCID())));
    const std::string expected[] = {captions.move, captions.copy, captions.shortcut, "", captions.abort};
    ASSERT_EQ(GetMenuItemCount(dd->DropMenu()), 5);
    for (int i = 0; i < 5; ++i) {
        char text[256] = {};
        GetMenuStringA(dd->DropMenu(), i, text, sizeof(text), MF_BYPOSITION);
        EXPECT_EQ(std::string(text), expected[i]) << "item " << i;
    }
    MENUITEMINFOA info = {};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_FTYPE;
    GetMenuItemInfoA(dd->DropMenu(), 3, TRUE, &info);
    EXPECT_TRUE(info.fType & MFT_SEPARATOR) << "type " << info.fType;
}

TEST_F(DragDropComponent, RegistrationAndSubclassing)
{
    const LONG targetRefs = RefCount(dd->DropTarget());
    WNDPROC original = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(pane->Handle(), GWLP_WNDPROC));
    dd->SetDragDropControl(pane);
    EXPECT_FALSE(dd->Subclassed()) << "no effects: the control is left alone";
    dd->SetTargetEffects(deCopy | deMove);
    EXPECT_TRUE(dd->Registered());
    EXPECT_TRUE(dd->Subclassed());
    EXPECT_FALSE(dd->RegisterTarget()) << "registered only once";
    dd->SetSourceEffects(deCopy);
    dd->SetSourceEffects(0);
    EXPECT_TRUE(dd->Subclassed()) << "target effects keep the subclassing";
    dd->SetTargetEffects(0);
    EXPECT_FALSE(dd->Registered());
    EXPECT_FALSE(dd->Subclassed());
    EXPECT_EQ(reinterpret_cast<WNDPROC>(GetWindowLongPtrA(pane->Handle(), GWLP_WNDPROC)), original);
    EXPECT_EQ(RefCount(dd->DropTarget()), targetRefs) << "registration references all given back";

    dd->SetTargetEffects(deCopy);
    ASSERT_TRUE(dd->Registered());
    delete pane;
    pane = nullptr;
    EXPECT_EQ(dd->DragDropControl(), nullptr);
    EXPECT_FALSE(dd->Registered());
    EXPECT_EQ(RefCount(dd->DropTarget()), targetRefs) << "destroying the control revokes the target";
}

// Counts the messages of one kind that reach a window through a subclass.
LRESULT CALLBACK CountingSubclass(HWND window, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR counter)
{
    if (msg == WM_USER + 7)
        ++*reinterpret_cast<int*>(counter);
    return DefSubclassProc(window, msg, wParam, lParam);
}

TEST_F(DragDropComponent, UnhookingLeavesALaterSubclassInPlace)
{
    dd->SetDragDropControl(pane);
    dd->SetTargetEffects(deCopy);
    ASSERT_TRUE(dd->Subclassed());
    int heard = 0;
    ASSERT_TRUE(SetWindowSubclass(pane->Handle(), &CountingSubclass, 1, reinterpret_cast<DWORD_PTR>(&heard)));
    SendMessageA(pane->Handle(), WM_VSCROLL, SB_LINEDOWN, 0);
    EXPECT_EQ(pane->scrolls.size(), 1u) << "both subclasses pass the control's messages on";

    dd->SetTargetEffects(0);
    ASSERT_FALSE(dd->Subclassed());
    SendMessageA(pane->Handle(), WM_USER + 7, 0, 0);
    EXPECT_EQ(heard, 1) << "the subclass added after ours still hears the control";
    SendMessageA(pane->Handle(), WM_VSCROLL, SB_LINEDOWN, 0);
    EXPECT_EQ(pane->scrolls.size(), 2u) << "and the control still gets its messages";
    RemoveWindowSubclass(pane->Handle(), &CountingSubclass, 1);
}

TEST_F(DragDropComponent, DropReadsDataAndProcessesLater)
{
    dd->SetDragDropControl(pane);
    dd->SetTargetEffects(deCopy | deMove);
    dd->TargetPopUpMenu = false;
    DWORD dropped = 99;
    int processed = 0;
    dd->OnDrop = [&](IDataObject*, DWORD, POINT, DWORD& effect) { dropped = effect; };
    dd->OnProcessDropped = [&](TComponent*, DWORD, POINT, DWORD effect) { ++processed; };
    const LONG dataRefs = RefCount(data.get());

    IDropTarget* target = dd->DropTarget();
    DWORD effect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
    POINTL pt = ScreenPoint(100, 100);
    ASSERT_EQ(target->DragEnter(data.get(), MK_LBUTTON, pt, &effect), S_OK);
    EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_COPY));
    EXPECT_EQ(dd->target->rendered, 0) << "rdoDropSync reads nothing on enter";
    effect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
    target->DragOver(MK_LBUTTON | MK_SHIFT, pt, &effect);
    EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_MOVE)) << "shift moves";
    effect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
    EXPECT_EQ(target->Drop(data.get(), 0, pt, &effect), S_OK);
    EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_COPY));
    EXPECT_EQ(dropped, static_cast<DWORD>(DROPEFFECT_COPY));
    EXPECT_EQ(dd->target->rendered, 1);
    EXPECT_EQ(dd->target->text, "Ablage");
    EXPECT_EQ(processed, 0) << "processing waits for the end of the drag loop";
    EXPECT_TRUE(PumpMessagesUntil([&] { return processed == 1; })) << "processed " << processed;
    EXPECT_EQ(RefCount(data.get()), dataRefs);
}

TEST_F(DragDropComponent, AsyncDropKeepsDataUntilProcessed)
{
    dd->SetDragDropControl(pane);
    dd->SetTargetEffects(deCopy);
    dd->RenderDataOn = rdoDropAsync;
    const LONG dataRefs = RefCount(data.get());
    IDropTarget* target = dd->DropTarget();
    DWORD effect = DROPEFFECT_COPY;
    POINTL pt = ScreenPoint(100, 100);
    target->DragEnter(data.get(), MK_LBUTTON, pt, &effect);
    effect = DROPEFFECT_COPY;
    EXPECT_EQ(target->Drop(data.get(), 0, pt, &effect), S_OK);
    EXPECT_EQ(dd->target->rendered, 0);
    EXPECT_EQ(RefCount(data.get()), dataRefs + 1) << "kept for the later reading";
    EXPECT_TRUE(PumpMessagesUntil([&] { return dd->target->rendered == 1; })) << "rendered " << dd->target->rendered;
    EXPECT_EQ(RefCount(data.get()), dataRefs) << "released after reading";
}

TEST_F(DragDropComponent, RefusedDataGivesNoEffect)
{
    dd->SetDragDropControl(pane);
    dd->SetTargetEffects(deCopy | deMove | deLink);
    dd->RenderDataOn = rdoEnter;
    dd->OnDragEnter = [](IDataObject*, DWORD, POINT, DWORD&, bool& accept) { accept = false; };
    bool dropped = false;
    dd->OnDrop = [&](IDataObject*, DWORD, POINT, DWORD& effect) { dropped = effect == 0; };
    IDropTarget* target = dd->DropTarget();
    POINTL pt = ScreenPoint(100, 100);
    DWORD effect = DROPEFFECT_COPY;
    target->DragEnter(data.get(), MK_LBUTTON, pt, &effect);
    EXPECT_EQ(effect, 0u);
    EXPECT_EQ(dd->target->rendered, 1) << "rdoEnter reads on enter";
    for (DWORD keys : {0ul, static_cast<unsigned long>(MK_SHIFT), static_cast<unsigned long>(MK_SHIFT | MK_CONTROL)}) {
        effect = DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK;
        target->DragOver(keys, pt, &effect);
        EXPECT_EQ(effect, 0u) << "keys " << keys;
    }
    effect = DROPEFFECT_COPY;
    EXPECT_EQ(target->Drop(data.get(), 0, pt, &effect), E_FAIL);
    EXPECT_EQ(effect, 0u);
    EXPECT_TRUE(dropped);
}

TEST_F(DragDropComponent, AutoScrollBands)
{
    dd->SetDragDropControl(pane);
    dd->SetTargetEffects(deCopy);
    dd->ScrollDetectOptions.VertScrolling = true;
    dd->ScrollDetectOptions.SetStartDelay(50);
    dd->ScrollDetectOptions.SetScrollDelay(20);
    IDropTarget* target = dd->DropTarget();
    DWORD effect = DROPEFFECT_COPY;
    target->DragEnter(data.get(), MK_LBUTTON, ScreenPoint(50, 100), &effect);
    effect = DROPEFFECT_COPY;
    target->DragOver(MK_LBUTTON, ScreenPoint(50, 2), &effect);
    EXPECT_EQ(dd->DropTarget()->VertDirection(), 1) << "top band scrolls up";
    EXPECT_TRUE(dd->DropTarget()->VertStartRunning());

    // The repeat ticks read the cursor: keep it in the top band while the timers run.
    POINTL top = ScreenPoint(50, 2);
    SetCursorPos(top.x, top.y);
    POINT cursor;
    GetCursorPos(&cursor);
    if (cursor.x == top.x && cursor.y == top.y) {
        EXPECT_TRUE(PumpMessagesUntil([&] { return !pane->scrolls.empty(); }, 2000)) << "no scroll step";
        EXPECT_TRUE(dd->DropTarget()->VertRepeatRunning());
        ASSERT_FALSE(pane->scrolls.empty());
        EXPECT_EQ(pane->scrolls.front(), static_cast<WPARAM>(SB_LINEUP));
        effect = DROPEFFECT_COPY;
        target->DragOver(MK_LBUTTON, top, &effect);
        EXPECT_TRUE(dd->DropTarget()->VertRepeatRunning()) << "staying in the band keeps scrolling";
        EXPECT_TRUE(effect & DROPEFFECT_SCROLL) << "effect " << std::hex << effect;
        pane->scrolls.clear();
        target->DragLeave();
        ASSERT_EQ(pane->scrolls.size(), 1u);
        EXPECT_EQ(pane->scrolls[0], static_cast<WPARAM>(SB_ENDSCROLL));
    } else {
        ADD_FAILURE() << "cursor not placed";
        target->DragLeave();
    }
    EXPECT_EQ(dd->DropTarget()->VertDirection(), 0);
    EXPECT_FALSE(dd->DropTarget()->VertStartRunning());

    // The bottom band scrolls down; a scroll bar at its end does not.
    effect = DROPEFFECT_COPY;
    target->DragEnter(data.get(), MK_LBUTTON, ScreenPoint(50, 100), &effect);
    target->DragOver(MK_LBUTTON, ScreenPoint(50, 195), &effect);
    EXPECT_EQ(dd->DropTarget()->VertDirection(), 2);
    target->DragOver(MK_LBUTTON, ScreenPoint(50, 100), &effect);
    EXPECT_EQ(dd->DropTarget()->VertDirection(), 0) << "the middle stops scrolling";
    SCROLLINFO info = {sizeof(info), SIF_POS, 0, 0, 0, 0, 0};
    SetScrollInfo(pane->Handle(), SB_VERT, &info, TRUE);
    target->DragOver(MK_LBUTTON, ScreenPoint(50, 2), &effect);
    EXPECT_EQ(dd->DropTarget()->VertDirection(), 0) << "at the top nothing scrolls up";
    target->DragLeave();
}

TEST(DragDropOptions, AssignCopiesDelaysAndAreas)
{
    TScrollDetectOptions source, dest;
    source.SetScrollDelay(300);
    source.SetStartDelay(20);
    source.AreaBottom.SetMargin(4);
    source.AreaLeft.SetRange(25);
    int changes = 0;
    dest.OnChange = [&](TScrollDetectOptions*) { ++changes; };
    dest.Assign(source);
    EXPECT_EQ(dest.ScrollDelay(), 300);
    EXPECT_EQ(dest.StartDelay(), 20);
    EXPECT_EQ(dest.AreaBottom.Margin(), 4);
    EXPECT_EQ(dest.AreaLeft.Range(), 25);
    EXPECT_EQ(dest.AreaTop.Range(), 10);
    EXPECT_EQ(changes, 1);
}

// ---- Drag detection ----

class DragDetection : public testing::Test {
protected:
    void SetUp() override
    {
        InitDragDrop();
        dd = std::make_unique<TDragDrop>(nullptr);
        dd->SetSourceEffects(deCopy);
        dd->OnDragDetect = [this](DWORD, POINT, POINT, TDragDetectStatus status) { reports.push_back(status); };
        dd->StartDetectDragDrop(0);
        GetCursorPos(&start);
        reports.clear();
    }
    POINT At(int dx, int dy) const { return {start.x + dx, start.y + dy}; }

    std::unique_ptr<TDragDrop> dd;
    std::vector<TDragDetectStatus> reports;
    POINT start = {};
};

std::string Statuses(const std::vector<TDragDetectStatus>& reports)
{
    std::string text;
    for (TDragDetectStatus s : reports)
        text += std::to_string(s) + " ";
    return text;
}

TEST_F(DragDetection, ReleaseNearPressStartsNoDrag)
{
    EXPECT_EQ(dd->DragDetectStatus(), ddsLeft);
    dd->HookMouseMessage(WM_MOUSEMOVE, At(10, -10));
    EXPECT_EQ(dd->DragDetectStatus(), ddsLeft) << "within the delta";
    dd->HookMouseMessage(WM_LBUTTONUP, At(10, 10));
    EXPECT_EQ(dd->DragDetectStatus(), ddsNone);
    EXPECT_EQ(reports, std::vector<TDragDetectStatus>{ddsNone}) << Statuses(reports);
}

TEST_F(DragDetection, MovingBeyondDeltaStartsDrag)
{
    dd->HookMouseMessage(WM_MOUSEMOVE, At(0, 11));
    EXPECT_EQ(reports, (std::vector<TDragDetectStatus>{ddsDrag, ddsNone})) << Statuses(reports);
    reports.clear();
    dd->HookMouseMessage(WM_MOUSEMOVE, At(0, 40));
    EXPECT_TRUE(reports.empty()) << "detection is over: " << Statuses(reports);
}

TEST_F(DragDetection, OtherButtonCancelsUntilBothReleased)
{
    dd->HookMouseMessage(WM_RBUTTONDOWN, At(1, 1));
    EXPECT_EQ(dd->DragDetectStatus(), ddsCancel);
    dd->HookMouseMessage(WM_MOUSEMOVE, At(50, 50));
    EXPECT_EQ(dd->DragDetectStatus(), ddsCancel) << "no drag from a cancelled detection";
    dd->HookMouseMessage(WM_LBUTTONUP, At(50, 50));
    EXPECT_EQ(dd->DragDetectStatus(), ddsCancel) << "one button still held";
    dd->HookMouseMessage(WM_RBUTTONUP, At(50, 50));
    EXPECT_EQ(dd->DragDetectStatus(), ddsNone);
    EXPECT_EQ(reports, (std::vector<TDragDetectStatus>{ddsCancel, ddsNone})) << Statuses(reports);
}

TEST_F(DragDetection, SecondInstanceTakesOverTheHook)
{
    TDragDrop other(nullptr);
    other.SetSourceEffects(deMove);
    other.StartDetectDragDrop(1);
    EXPECT_EQ(other.DragDetectStatus(), ddsRight);
    EXPECT_EQ(dd->DragDetectStatus(), ddsNone);
    EXPECT_EQ(reports, std::vector<TDragDetectStatus>{ddsNone}) << Statuses(reports);
    other.StartDetectDragDrop(7);
    EXPECT_EQ(other.DragDetectStatus(), ddsNone);
}

TEST(DragDropSource, NoEffectsNoDrag)
{
    InitDragDrop();
    TDragDrop dd(nullptr);
    ComPtr<TextDataObject> data(new TextDataObject("x"));
    EXPECT_EQ(dd.DoDragDrop(data.get()), 1);
    EXPECT_EQ(dd.DragDetectStatus(), ddsNone);
}

TEST(DragDropSource, QueryContinueAndFeedback)
{
    InitDragDrop();
    TDragDrop dd(nullptr);
    ComPtr<IDropSource> source(new TDropSource(&dd));
    struct Case { BOOL escape; DWORD keys; HRESULT expected; };
    const Case cases[] = {
        {TRUE, MK_LBUTTON, DRAGDROP_S_CANCEL},
        {FALSE, MK_LBUTTON | MK_RBUTTON, DRAGDROP_S_CANCEL},
        {FALSE, 0, DRAGDROP_S_DROP},
        {FALSE, MK_LBUTTON, S_OK},
        {FALSE, MK_RBUTTON | MK_SHIFT, S_OK},
    };
    for (const Case& c : cases) {
        HRESULT result = source->QueryContinueDrag(c.escape, c.keys);
        EXPECT_EQ(result, c.expected) << "escape " << c.escape << " keys " << c.keys << ": " << std::hex << result;
    }
    EXPECT_EQ(source->GiveFeedback(DROPEFFECT_COPY), DRAGDROP_S_USEDEFAULTCURSORS);
    dd.CursorScrollMove = LoadCursor(nullptr, IDC_SIZEALL);
    EXPECT_EQ(source->GiveFeedback(DROPEFFECT_MOVE), DRAGDROP_S_USEDEFAULTCURSORS) << "no plain move cursor";
    EXPECT_EQ(source->GiveFeedback(DROPEFFECT_MOVE | DROPEFFECT_SCROLL), S_OK);
}

}  // namespace
