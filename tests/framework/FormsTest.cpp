// Forms on real windows: border styles, placing, stay-on-top, modal loops, key preview, the
// page control, the screen cursor and the application's form creation.
#include "ComCtrls.h"
#include "Exceptions.h"
#include "ExtCtrls.h"
#include "Forms.h"
#include "MessagePump.h"
#include "StdCtrls.h"

#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <memory>
#include <string>
#include <vector>

namespace {

SIZE ClientSize(HWND window)
{
    RECT r;
    GetClientRect(window, &r);
    return {r.right, r.bottom};
}

SIZE WindowSize(HWND window)
{
    RECT r;
    GetWindowRect(window, &r);
    return {r.right - r.left, r.bottom - r.top};
}

}  // namespace

TEST(FormBorder, NoneIsAPopupOfTheClientSizeAndLiveChangesKeepIt)
{
    TForm form(nullptr);
    form.SetBorderStyle(bsNone);
    form.SetClientSize(211, 199);
    form.Show();
    HWND window = form.Handle();

    struct Step {
        TFormBorderStyle style;
        bool popup, caption;
    };
    const Step steps[] = {
        {bsNone, true, false},
        {bsSingle, false, true},
        {bsDialog, true, true},
        {bsNone, true, false},
    };
    for (const Step& step : steps) {
        form.SetBorderStyle(step.style);
        LONG style = GetWindowLongA(window, GWL_STYLE);
        EXPECT_EQ((style & WS_POPUP) != 0, step.popup) << "style " << std::hex << style << " for " << step.style;
        EXPECT_EQ((style & WS_CAPTION) == WS_CAPTION, step.caption) << "style " << std::hex << style;
        EXPECT_TRUE(style & WS_VISIBLE) << "a visible form was hidden by the change";
        SIZE client = ClientSize(window);
        EXPECT_EQ(client.cx, 211) << "client width with border style " << step.style;
        EXPECT_EQ(client.cy, 199) << "client height with border style " << step.style;
        EXPECT_EQ(form.ClientWidth(), 211);
        SIZE outer = WindowSize(window);
        EXPECT_EQ(outer.cx == 211 && outer.cy == 199, step.style == bsNone)
            << "window " << outer.cx << "x" << outer.cy << " for border style " << step.style;
        EXPECT_EQ(form.Width(), outer.cx) << "the form's width does not follow its window";
    }
}

TEST(FormPlacing, ScreenCentreAndStayOnTop)
{
    TForm form(nullptr);
    form.SetBorderStyle(bsNone);
    form.SetClientSize(640, 458);
    form.SetPosition(poScreenCenter);
    form.SetFormStyle(fsStayOnTop);
    form.Show();
    RECT r;
    GetWindowRect(form.Handle(), &r);
    int sw = GetSystemMetrics(SM_CXSCREEN), sh = GetSystemMetrics(SM_CYSCREEN);
    EXPECT_NEAR(r.left, (sw - 640) / 2, 1) << "left";
    EXPECT_NEAR(r.top, (sh - 458) / 2, 1) << "top";
    EXPECT_EQ(form.Left(), r.left);

    EXPECT_TRUE(GetWindowLongA(form.Handle(), GWL_EXSTYLE) & WS_EX_TOPMOST) << "made without topmost";
    form.SetFormStyle(fsNormal);
    EXPECT_FALSE(GetWindowLongA(form.Handle(), GWL_EXSTYLE) & WS_EX_TOPMOST) << "still topmost";
    form.SetFormStyle(fsStayOnTop);
    EXPECT_TRUE(GetWindowLongA(form.Handle(), GWL_EXSTYLE) & WS_EX_TOPMOST) << "not topmost again";
}

TEST(FormShow, OnShowRunsBeforeTheWindowIsVisibleAndCloseHides)
{
    TForm form(nullptr);
    std::vector<std::string> log;
    form.OnShow = [&](TComponent*) {
        log.push_back(IsWindowVisible(form.Handle()) ? "show visible" : "show hidden");
    };
    form.OnClose = [&](TComponent*, TCloseAction& action) {
        log.push_back("close");
        EXPECT_EQ(action, caHide);
    };
    form.Show();
    EXPECT_TRUE(IsWindowVisible(form.Handle()));
    SendMessageA(form.Handle(), WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindowVisible(form.Handle())) << "closed form still visible";
    EXPECT_FALSE(form.Visible());
    EXPECT_EQ(log, (std::vector<std::string>{"show hidden", "close"}));
}

TEST(FormFocus, ActivationGivesTheFocusBackToTheActiveControl)
{
    TForm form(nullptr);
    form.SetBounds(100, 100, 300, 200);
    auto* first = new TEdit(&form);
    first->SetParent(&form);
    auto* second = new TEdit(&form);
    second->SetParent(&form);
    second->SetTop(40);
    form.SetActiveControl(second);
    form.Show();
    // Activation and focus arrive through the system's queue.
    PumpMessagesUntil([&] { return GetFocus() == second->Handle(); });
    ASSERT_EQ(GetFocus(), second->Handle()) << "focus after showing";

    first->SetFocus();
    EXPECT_EQ(form.ActiveControl(), first);
    TForm other(nullptr);
    other.SetBounds(450, 100, 100, 100);
    other.Show();
    SetForegroundWindow(other.Handle());
    PumpMessagesUntil([&] { return GetActiveWindow() == other.Handle(); });
    ASSERT_EQ(GetActiveWindow(), other.Handle()) << "the other form did not become active";
    SetForegroundWindow(form.Handle());
    SetActiveWindow(form.Handle());
    PumpMessagesUntil([&] { return GetFocus() == first->Handle(); });
    ASSERT_EQ(GetActiveWindow(), form.Handle()) << "the form did not become active again";
    EXPECT_EQ(GetFocus(), first->Handle()) << "focus after coming back";

    delete first;
    EXPECT_EQ(form.ActiveControl(), nullptr) << "a freed control stays active";

    // Freeing a container moves the focus up through it as its children go.
    auto* panel = new TPanel(&form);
    panel->SetParent(&form);
    panel->SetTop(80);
    auto* inner = new TEdit(&form);
    inner->SetParent(panel);
    inner->SetFocus();
    ASSERT_EQ(form.ActiveControl(), inner);
    int events = 0;
    panel->OnEnter = panel->OnExit = [&](TComponent*) { ++events; };
    delete panel;
    EXPECT_EQ(form.ActiveControl(), nullptr) << "a freed container stays active";
    EXPECT_EQ(events, 0) << "focus events of a container being freed";
}

namespace {

class TrackedForm : public TForm {
public:
    TrackedForm(TComponent* owner, bool& freed) : TForm(owner), freed_(freed) {}
    ~TrackedForm() override { freed_ = true; }

private:
    bool& freed_;
};

}  // namespace

TEST(FormShow, CloseWithCaFreeFreesTheFormAfterTheMessage)
{
    bool freed = false;
    auto* form = new TrackedForm(nullptr, freed);
    form->OnClose = [](TComponent*, TCloseAction& action) { action = caFree; };
    form->Show();
    SendMessageA(form->Handle(), WM_CLOSE, 0, 0);
    EXPECT_FALSE(freed) << "freed while its message was still being handled";
    EXPECT_TRUE(PumpMessagesUntil([&] { return freed; })) << "never freed";
}

TEST(ShowModal, ButtonResultEndsTheLoopAndTheOwnerComesBack)
{
    TForm owner(nullptr);
    owner.SetBounds(50, 50, 200, 150);
    owner.Show();
    HWND ownerWindow = owner.Handle();

    TForm dialog(nullptr);
    dialog.SetBounds(100, 100, 200, 150);
    auto* ok = new TButton(&dialog);
    ok->SetParent(&dialog);
    ok->SetModalResult(mrOk);
    bool ownerDisabledDuringLoop = false;
    int closes = 0;
    ok->OnClick = [&](TComponent*) { ownerDisabledDuringLoop = !IsWindowEnabled(ownerWindow); };
    dialog.OnClose = [&](TComponent*, TCloseAction&) { ++closes; };

    PostMessageA(ok->Handle(), BM_CLICK, 0, 0);
    TModalResult result = dialog.ShowModal();
    EXPECT_EQ(result, mrOk);
    EXPECT_TRUE(ownerDisabledDuringLoop) << "the owner stayed enabled during the modal loop";
    EXPECT_TRUE(IsWindowEnabled(ownerWindow)) << "the owner was not enabled again";
    EXPECT_FALSE(IsWindowVisible(dialog.Handle()));
    EXPECT_FALSE(dialog.Modal());
    EXPECT_EQ(closes, 1) << "OnClose runs once as the modal loop ends";

    // A second run starts from no result.
    PostMessageA(dialog.Handle(), WM_CLOSE, 0, 0);
    EXPECT_EQ(dialog.ShowModal(), mrCancel) << "closing the window";
}

TEST(ShowModal, OnCloseMayRefuseAndAVisibleFormCannotGoModal)
{
    TForm dialog(nullptr);
    int refusals = 1;
    dialog.OnClose = [&](TComponent*, TCloseAction& action) {
        if (refusals-- > 0) {
            action = caNone;
            // Asked again later: the loop must still be running then.
            PostMessageA(dialog.Handle(), WM_CLOSE, 0, 0);
        }
    };
    PostMessageA(dialog.Handle(), WM_CLOSE, 0, 0);
    EXPECT_EQ(dialog.ShowModal(), mrCancel);
    EXPECT_EQ(refusals, -1) << "OnClose calls";

    dialog.Show();
    EXPECT_THROW(dialog.ShowModal(), Exception);
}

TEST(ShowModal, TheCloseQuestionMayKeepAModalFormOpen)
{
    TForm dialog(nullptr);
    int questions = 0;
    dialog.OnCloseQuery = [&](TComponent*, bool& canClose) {
        canClose = ++questions > 1;
        if (!canClose)
            PostMessageA(dialog.Handle(), WM_CLOSE, 0, 0);
    };
    PostMessageA(dialog.Handle(), WM_CLOSE, 0, 0);
    EXPECT_EQ(dialog.ShowModal(), mrCancel);
    EXPECT_EQ(questions, 2);
}

TEST(KeyPreview, TheFormSeesKeysFirstAndMaySwallowThem)
{
    struct Case {
        bool preview;
        WORD key;
        std::vector<std::string> expected;
    };
    const Case cases[] = {
        {true, VK_F1, {"form 112"}},               // the form swallows F1
        {true, VK_F2, {"form 113", "edit 113"}},   // and passes others on
        {false, VK_F1, {"edit 112"}},
    };
    for (const Case& c : cases) {
        TForm form(nullptr);
        form.SetKeyPreview(c.preview);
        auto* edit = new TEdit(&form);
        edit->SetParent(&form);
        std::vector<std::string> log;
        form.OnKeyDown = [&](TComponent*, WORD& key, TShiftState) {
            log.push_back("form " + std::to_string(key));
            if (key == VK_F1)
                key = 0;
        };
        edit->OnKeyDown = [&](TComponent*, WORD& key, TShiftState) { log.push_back("edit " + std::to_string(key)); };
        PostMessageA(edit->Handle(), WM_KEYDOWN, c.key, 0);
        PumpMessages();
        EXPECT_EQ(log, c.expected) << "preview " << c.preview << ", key " << c.key;
    }
}

TEST(PageControl, SwitchesPagesAndStaysInvisibleUntilShown)
{
    TForm form(nullptr);
    form.SetClientSize(640, 458);
    auto* pages = new TPageControl(&form);
    pages->SetParent(&form);
    pages->SetBounds(27, 98, 584, 331);
    pages->SetStyle(tsFlatButtons);
    pages->SetVisible(false);
    std::vector<TTabSheet*> sheets;
    for (const char* name : {"pIcons", "pAnzeige", "pSystem"}) {
        auto* sheet = new TTabSheet(&form);
        sheet->SetName(name);
        sheet->SetTabVisible(false);
        sheet->SetPageControl(pages);
        sheets.push_back(sheet);
    }
    EXPECT_EQ(pages->ActivePage(), sheets[0]) << "the first page is active at first";
    pages->SetActivePage(sheets[1]);
    form.Show();

    HWND window = pages->Handle();
    EXPECT_FALSE(IsWindowVisible(window)) << "page control visible before it was shown";
    EXPECT_FALSE(IsWindowVisible(sheets[1]->Handle()));
    EXPECT_EQ(SendMessageA(window, TCM_GETITEMCOUNT, 0, 0), 0) << "hidden tabs were made";
    EXPECT_TRUE(GetWindowLongA(window, GWL_STYLE) & TCS_FLATBUTTONS);

    pages->SetVisible(true);
    for (int active : {1, 2, 0}) {
        pages->SetActivePage(sheets[active]);
        EXPECT_EQ(pages->ActivePageIndex(), active);
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(IsWindowVisible(sheets[i]->Handle()) != FALSE, i == active)
                << "page " << sheets[i]->Name() << " with " << sheets[active]->Name() << " active";
        SIZE client = ClientSize(sheets[active]->Handle());
        EXPECT_EQ(client.cx, 584) << "page width without tabs";
        EXPECT_EQ(client.cy, 331) << "page height without tabs";
    }

    // Tabs shown: the user's choice switches pages.
    int changes = 0;
    pages->OnChange = [&](TComponent*) { ++changes; };
    for (TTabSheet* sheet : sheets)
        sheet->SetTabVisible(true);
    EXPECT_EQ(SendMessageA(window, TCM_GETITEMCOUNT, 0, 0), 3);
    SendMessageA(window, TCM_SETCURSEL, 2, 0);
    NMHDR notice = {window, static_cast<UINT_PTR>(GetDlgCtrlID(window)), static_cast<UINT>(TCN_SELCHANGE)};
    SendMessageA(form.Handle(), WM_NOTIFY, notice.idFrom, reinterpret_cast<LPARAM>(&notice));
    EXPECT_EQ(pages->ActivePage(), sheets[2]);
    EXPECT_EQ(changes, 1);

    delete sheets[2];
    EXPECT_EQ(pages->PageCount(), 2);
    EXPECT_EQ(pages->ActivePage(), sheets[1]) << "the neighbour takes over from a freed active page";
}

TEST(ScreenCursor, GuardRestoresOnEveryPath)
{
    TForm form(nullptr);
    form.SetCursor(crCross);
    form.Show();
    HWND window = form.Handle();
    auto cursorShown = [&] {
        SendMessageA(window, WM_SETCURSOR, reinterpret_cast<WPARAM>(window), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
        return GetCursor();
    };
    ASSERT_EQ(Screen.Cursor(), crDefault);
    EXPECT_EQ(cursorShown(), LoadCursor(nullptr, IDC_CROSS)) << "the form's own cursor";

    try {
        TCursorGuard busy;
        EXPECT_EQ(Screen.Cursor(), crHourGlass);
        EXPECT_EQ(cursorShown(), LoadCursor(nullptr, IDC_WAIT)) << "hourglass over the form";
        {
            TCursorGuard inner(crHandPoint);
            EXPECT_EQ(Screen.Cursor(), crHandPoint);
        }
        EXPECT_EQ(Screen.Cursor(), crHourGlass) << "the inner guard restored the wrong cursor";
        throw EReadError("abgebrochen");
    } catch (const EReadError&) {
    }
    EXPECT_EQ(Screen.Cursor(), crDefault) << "cursor left after an exception";
    EXPECT_EQ(cursorShown(), LoadCursor(nullptr, IDC_CROSS));

    EXPECT_FALSE(Screen.Fonts().empty());
    EXPECT_GT(Screen.Width(), 0);
}

namespace {

class StartForm : public TForm {
public:
    explicit StartForm(TComponent* owner) : TForm(owner)
    {
        OnCreate = [this](TComponent*) { referenceSetAtCreate = (created == this); };
    }
    static StartForm* created;
    bool referenceSetAtCreate = false;
};
StartForm* StartForm::created = nullptr;

}  // namespace

TEST(SessionEnd, TheMainFormsCloseQuestionDecidesAndItsCloseEndsTheProgram)
{
    ASSERT_EQ(Application.MainForm(), nullptr);
    TForm* main = nullptr;
    Application.CreateForm(main);
    std::unique_ptr<TForm> owned(main);
    TForm other(nullptr);
    std::vector<std::string> log;
    bool allow = false;
    main->OnCloseQuery = [&](TComponent*, bool& canClose) {
        log.push_back("query");
        canClose = allow;
    };
    main->OnClose = [&](TComponent*, TCloseAction& action) {
        log.push_back("close");
        action = caNone;
    };
    other.OnCloseQuery = [&](TComponent*, bool&) { log.push_back("other query"); };
    HWND window = main->Handle();
    MSG quit;

    EXPECT_EQ(SendMessageA(window, WM_QUERYENDSESSION, 0, 0), FALSE);
    main->Close();
    EXPECT_EQ(log, (std::vector<std::string>{"query", "query"})) << "a refused close goes no further";
    EXPECT_FALSE(PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));

    log.clear();
    allow = true;
    EXPECT_EQ(SendMessageA(window, WM_QUERYENDSESSION, 0, 0), TRUE);
    EXPECT_EQ(SendMessageA(other.Handle(), WM_QUERYENDSESSION, 0, 0), TRUE);
    SendMessageA(window, WM_ENDSESSION, FALSE, 0);
    EXPECT_EQ(log, std::vector<std::string>{"query"}) << "only the main form asks; a session that goes on changes nothing";

    log.clear();
    SendMessageA(window, WM_ENDSESSION, TRUE, 0);
    EXPECT_EQ(log, std::vector<std::string>{"close"}) << "the session ends even where a close may refuse";
    EXPECT_TRUE(PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) << "the program ends";
}

TEST(ApplicationForms, CreateFormSetsTheReferenceFirstAndTheMainForm)
{
    ASSERT_EQ(Application.MainForm(), nullptr);
    Application.CreateForm(StartForm::created);
    StartForm* second = nullptr;
    Application.CreateForm(second);
    EXPECT_TRUE(StartForm::created->referenceSetAtCreate) << "the global was not set when OnCreate ran";
    EXPECT_EQ(Application.MainForm(), StartForm::created);
    EXPECT_EQ(second->Owner(), &Application);

    // Other forms belong to the main form's window.
    EXPECT_EQ(GetWindow(second->Handle(), GW_OWNER), StartForm::created->Handle());
    EXPECT_NE(Application.Icon(), nullptr);

    delete second;
    delete StartForm::created;
    EXPECT_EQ(Application.MainForm(), nullptr);
    EXPECT_FALSE(Application.Terminated()) << "freeing a form outside Run ended the program";
}
