// Controls on real windows: the window procedure, exceptions from Windows entries, windowless
// children (mouse, capture, enter/leave, painting), alignment, edits, labels and ownership.
#include "ComCtrls.h"
#include "Controls.h"
#include "ExceptionLog.h"
#include "Exceptions.h"
#include "ExtCtrls.h"
#include "Forms.h"
#include "GdiCount.h"
#include "GdiObject.h"
#include "MessagePump.h"
#include "Pixels.h"
#include "StdCtrls.h"
#include "TestForm.h"

#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

std::string Joined(const std::vector<std::string>& items)
{
    std::string text;
    for (const std::string& item : items)
        text += (text.empty() ? "" : " | ") + item;
    return text;
}

// Keeps the real pointer off our windows, so that only the messages a test posts move "the mouse".
struct PointerAway {
    PointerAway() { SetCursorPos(GetSystemMetrics(SM_CXSCREEN) - 1, GetSystemMetrics(SM_CYSCREEN) - 1); }
};

// A borderless form at a fixed place, freed with the test.
std::unique_ptr<TForm> MakeForm(int width = 300, int height = 200)
{
    return TestForm(100, 100, width, height).form;
}

// A windowless control that writes down what reaches it.
class Recorder : public TGraphicControl {
public:
    Recorder(TWinControl* parent, std::vector<std::string>& log, const std::string& name, RECT bounds)
        : TGraphicControl(parent), log_(log), name_(name)
    {
        SetParent(parent);
        SetBounds(bounds.left, bounds.top, bounds.right - bounds.left, bounds.bottom - bounds.top);
    }

    TColor fill = clNone;
    bool throwInPaint = false;
    std::function<void()> duringPaint;

protected:
    void MouseDown(TMouseButton, TShiftState, int x, int y) override { Note("down", x, y); TGraphicControl::MouseDown(mbLeft, 0, x, y); }
    void MouseMove(TShiftState, int x, int y) override { Note("move", x, y); }
    void MouseUp(TMouseButton, TShiftState, int x, int y) override { Note("up", x, y); }
    void MouseEnter() override { log_.push_back(name_ + " enter"); }
    void MouseLeave() override { log_.push_back(name_ + " leave"); }
    void MouseCancel() override { log_.push_back(name_ + " cancel"); }
    void Click() override { log_.push_back(name_ + " click"); }
    void Paint() override
    {
        if (throwInPaint)
            throw Exception("Fehler beim Zeichnen");
        if (fill != clNone) {
            Canvas().Brush().SetColor(fill);
            Canvas().FillRect(ClientRect());
        }
        if (duringPaint)
            duringPaint();
    }

private:
    void Note(const char* what, int x, int y)
    {
        log_.push_back(name_ + " " + what + " " + std::to_string(x) + "," + std::to_string(y));
    }

    std::vector<std::string>& log_;
    std::string name_;
};

template <typename Base>
class RecordingWindow : public Base {
public:
    using Base::Base;
    std::vector<UINT> seen;
    bool handleKnownAtFirstMessage = false;

    LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override
    {
        if (seen.empty())
            handleKnownAtFirstMessage = this->HandleAllocated();
        seen.push_back(msg);
        return Base::WndProc(msg, wParam, lParam);
    }
};

WNDPROC originalEditProc = nullptr;

LRESULT CALLBACK PassThrough(HWND window, UINT msg, WPARAM wParam, LPARAM lParam)
{
    return CallWindowProcA(originalEditProc, window, msg, wParam, lParam);
}

}  // namespace

TEST(WindowProcedure, FindsItsObjectFromTheFirstMessage)
{
    auto* form = new RecordingWindow<TForm>(nullptr);
    std::unique_ptr<TForm> owner(form);
    auto* edit = new RecordingWindow<TEdit>(form);
    edit->SetParent(form);

    HWND window = form->Handle();
    ASSERT_FALSE(form->seen.empty());
    EXPECT_EQ(form->seen.front(), static_cast<UINT>(WM_NCCREATE)) << "first message of our own class";
    EXPECT_TRUE(form->handleKnownAtFirstMessage);
    EXPECT_EQ(TWinControl::FromHandle(window), form);

    // The child was made with its parent, and a system control too starts with our procedure.
    ASSERT_TRUE(edit->HandleAllocated());
    ASSERT_FALSE(edit->seen.empty());
    EXPECT_EQ(edit->seen.front(), static_cast<UINT>(WM_NCCREATE)) << "first message of the derived edit class";
    EXPECT_EQ(GetParent(edit->Handle()), window);

    // Another component subclassing the window does not hide the object.
    originalEditProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(edit->Handle(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&PassThrough)));
    EXPECT_EQ(TWinControl::FromHandle(edit->Handle()), edit);
    SetWindowLongPtrA(edit->Handle(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(originalEditProc));

    EXPECT_EQ(TWinControl::FromHandle(GetDesktopWindow()), nullptr);
    EXPECT_EQ(TWinControl::FromHandle(nullptr), nullptr);

    owner.reset();
    EXPECT_FALSE(IsWindow(window)) << "the form's window outlived the form";
    EXPECT_EQ(TWinControl::FromHandle(window), nullptr);
}

TEST(WindowProcedure, SystemControlKeepsItsBehaviour)
{
    auto form = MakeForm();
    auto* edit = new TEdit(form.get());
    edit->SetParent(form.get());
    int changes = 0;
    edit->OnChange = [&](TComponent* sender) {
        EXPECT_EQ(sender, edit);
        ++changes;
    };

    edit->SetText("vorher");   // no window yet: reported at once
    EXPECT_EQ(changes, 1);
    form->Handle();
    EXPECT_EQ(edit->Text(), "vorher");
    EXPECT_EQ(changes, 1) << "making the window reported a change";

    edit->SetText("C:\\Icons\\a.ico,3");
    EXPECT_EQ(changes, 2);
    edit->SetText("C:\\Icons\\a.ico,3");
    EXPECT_EQ(changes, 2) << "the same text again";

    // Typing goes through the system's edit and comes back as a change.
    SendMessageA(edit->Handle(), EM_SETSEL, 0, -1);
    SendMessageA(edit->Handle(), WM_CHAR, 'x', 0);
    EXPECT_EQ(edit->Text(), "x");
    EXPECT_EQ(changes, 3);
}

TEST(WindowProcedure, ExceptionsFromEveryEntryReachTheHandler)
{
    PointerAway away;
    ExceptionLog log;
    auto form = MakeForm();
    std::vector<std::string> events;

    auto* button = new TButton(form.get());
    button->SetParent(form.get());
    button->SetBounds(200, 150, 75, 25);
    button->OnClick = [](TComponent*) { throw Exception("Klick fehlgeschlagen"); };

    auto* graphic = new Recorder(form.get(), events, "G", {10, 10, 60, 60});
    graphic->OnMouseDown = [](TComponent*, TMouseButton, TShiftState, int, int) {
        throw Exception("Maus fehlgeschlagen");
    };
    auto* painter = new Recorder(form.get(), events, "P", {70, 10, 120, 60});

    form->OnKeyDown = [](TComponent*, WORD&, TShiftState) { throw std::runtime_error("Taste fehlgeschlagen"); };

    auto* timer = new TTimer(form.get());
    timer->SetInterval(10);
    timer->OnTimer = [](TComponent* sender) {
        static_cast<TTimer*>(sender)->SetEnabled(false);
        throw Exception("Zeitgeber fehlgeschlagen");
    };

    form->Show();
    HWND window = form->Handle();
    struct Case {
        const char* expected;
        std::function<void()> trigger;
    };
    const Case cases[] = {
        {"Klick fehlgeschlagen", [&] { SendMessageA(button->Handle(), BM_CLICK, 0, 0); }},
        {"Maus fehlgeschlagen", [&] { PostMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 20)); }},
        {"Taste fehlgeschlagen", [&] { PostMessageA(window, WM_KEYDOWN, VK_F5, 0); }},
        {"Fehler beim Zeichnen", [&] {
             painter->throwInPaint = true;
             painter->Repaint();
             painter->throwInPaint = false;
         }},
        {"Zeitgeber fehlgeschlagen", [] {}},
    };
    for (const Case& c : cases) {
        c.trigger();
        bool reached = PumpMessagesUntil([&] {
            for (const std::string& m : log.messages)
                if (m == c.expected)
                    return true;
            return false;
        });
        EXPECT_TRUE(reached) << c.expected << " not handled; handled: " << Joined(log.messages);
    }
    PostMessageA(window, WM_LBUTTONUP, 0, MAKELPARAM(20, 20));
    PumpMessages();

    // Still alive and answering.
    int clicks = 0;
    button->OnClick = [&](TComponent*) { ++clicks; };
    SendMessageA(button->Handle(), BM_CLICK, 0, 0);
    EXPECT_EQ(clicks, 1);
}

TEST(WindowProcedure, AFailedPaintEndsThePaint)
{
    ExceptionLog log;
    auto form = MakeForm();
    std::vector<std::string> events;
    auto* painter = new Recorder(form.get(), events, "P", {10, 10, 60, 60});
    form->Show();
    PumpMessages();
    painter->throwInPaint = true;
    painter->Repaint();   // the first failure may make what lives on (the message's texts)
    const long before = gdicount::LiveObjects();
    if (before < 0)
        GTEST_SKIP() << "the platform offers no count of GDI objects";
    for (int round = 0; round < 5; ++round)
        painter->Repaint();
    const long after = gdicount::LiveObjects();
    EXPECT_EQ(log.messages.size(), 6u);
    EXPECT_EQ(after, before) << "GDI objects before 5 failed paints " << before << ", after " << after;

    // Printed into somebody else's DC, a failure leaves that DC as it was.
    MemoryDC dc(nullptr);
    GdiObject<HBITMAP> surface(CreateBitmap(200, 200, 1, 32, nullptr));
    SelectedObject selected(dc.get(), surface.get());
    const int level = SaveDC(dc.get());
    RestoreDC(dc.get(), level);
    SendMessageA(form->Handle(), WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc.get()), PRF_CLIENT);
    POINT origin = {-1, -1};
    GetViewportOrgEx(dc.get(), &origin);
    EXPECT_EQ(origin.x, 0) << "origin " << origin.x << "," << origin.y;
    EXPECT_EQ(SaveDC(dc.get()), level) << "states left saved";
    painter->throwInPaint = false;
}

TEST(GraphicControls, MouseIsRoutedWithCaptureAndEnterLeave)
{
    PointerAway away;
    auto form = MakeForm();
    std::vector<std::string> log;
    new Recorder(form.get(), log, "A", {10, 10, 60, 60});
    auto* b = new Recorder(form.get(), log, "B", {70, 10, 120, 60});
    form->OnMouseEnter = [&](TComponent*) { log.push_back("form enter"); };
    form->OnMouseLeave = [&](TComponent*) { log.push_back("form leave"); };
    form->OnMouseDown = [&](TComponent*, TMouseButton, TShiftState, int x, int y) {
        log.push_back("form down " + std::to_string(x) + "," + std::to_string(y));
    };
    HWND window = form->Handle();

    struct Step {
        UINT msg;
        WPARAM keys;
        int x, y;
        std::vector<std::string> expected;
        HWND capture;   // expected afterwards
    };
    const Step steps[] = {
        {WM_MOUSEMOVE, 0, 20, 20, {"form enter", "A enter", "A move 10,10"}, nullptr},
        {WM_MOUSEMOVE, 0, 80, 20, {"A leave", "B enter", "B move 10,10"}, nullptr},
        {WM_LBUTTONDOWN, MK_LBUTTON, 80, 20, {"B down 10,10"}, window},
        // B keeps the mouse while the button is down; enter and leave follow the pointer.
        {WM_MOUSEMOVE, MK_LBUTTON, 20, 20, {"B leave", "A enter", "B move -50,10"}, window},
        {WM_LBUTTONUP, 0, 20, 20, {"B up -50,10"}, nullptr},
        {WM_LBUTTONDOWN, MK_LBUTTON, 30, 30, {"A down 20,20"}, window},
        {WM_LBUTTONUP, 0, 30, 30, {"A click", "A up 20,20"}, nullptr},
        {WM_LBUTTONDOWN, MK_LBUTTON, 200, 150, {"form down 200,150"}, window},
        {WM_LBUTTONUP, 0, 200, 150, {}, nullptr},
        {WM_MOUSEMOVE, 0, 90, 30, {"A leave", "B enter", "B move 20,20"}, nullptr},
        {WM_MOUSELEAVE, 0, 0, 0, {"B leave", "form leave"}, nullptr},
    };
    for (const Step& step : steps) {
        log.clear();
        PostMessageA(window, step.msg, step.keys, MAKELPARAM(step.x, step.y));
        PumpMessages();
        EXPECT_EQ(Joined(log), Joined(step.expected)) << "after message " << std::hex << step.msg << std::dec
                                                      << " at " << step.x << "," << step.y;
        EXPECT_EQ(GetCapture(), step.capture) << "capture after message " << std::hex << step.msg;
    }

    // A child that goes while it holds the mouse lets it go.
    PostMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(80, 20));
    PumpMessages();
    ASSERT_EQ(GetCapture(), window);
    delete b;
    EXPECT_EQ(GetCapture(), nullptr) << "capture kept for a freed control";
    PostMessageA(window, WM_LBUTTONUP, 0, MAKELPARAM(80, 20));
    PumpMessages();
}

TEST(GraphicControls, AMouseTakenAwayCancelsAHeldPressOnly)
{
    PointerAway away;
    auto form = MakeForm();
    std::vector<std::string> log;
    new Recorder(form.get(), log, "A", {10, 10, 60, 60});
    HWND window = form->Handle();
    auto thief = MakeForm(20, 20);
    HWND thiefWindow = thief->Handle();
    const LPARAM onA = MAKELPARAM(20, 20);

    struct Step {
        const char* what;
        std::function<void()> act;
        std::vector<std::string> expected;
    };
    const Step steps[] = {
        {"press", [&] { SendMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, onA); }, {"A down 10,10"}},
        {"capture taken", [&] { SetCapture(thiefWindow); }, {"A cancel"}},
        {"late release", [&] { SendMessageA(window, WM_LBUTTONUP, 0, onA); }, {"A up 10,10"}},
        {"press", [&] { SendMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, onA); }, {"A down 10,10"}},
        // The other button's release leaves the first one held.
        {"right press", [&] { SendMessageA(window, WM_RBUTTONDOWN, MK_LBUTTON | MK_RBUTTON, onA); }, {"A down 10,10"}},
        {"right release", [&] { SendMessageA(window, WM_RBUTTONUP, MK_LBUTTON, onA); }, {"A up 10,10"}},
        {"cancel mode", [&] { SendMessageA(window, WM_CANCELMODE, 0, 0); }, {"A cancel"}},
        {"click", [&] {
             SendMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, onA);
             SendMessageA(window, WM_LBUTTONUP, 0, onA);
         }, {"A down 10,10", "A click", "A up 10,10"}},
        {"cancel mode after the release", [&] { SendMessageA(window, WM_CANCELMODE, 0, 0); }, {}},
    };
    for (const Step& step : steps) {
        log.clear();
        step.act();
        EXPECT_EQ(Joined(log), Joined(step.expected)) << step.what;
    }
    EXPECT_EQ(GetCapture(), nullptr);
}

TEST(GraphicControls, PaintedInZOrderOverTheBackground)
{
    auto form = MakeForm(100, 100);
    form->SetColor(clRed);
    std::vector<std::string> log;
    auto* a = new Recorder(form.get(), log, "A", {0, 0, 40, 40});
    a->fill = clBlue;
    auto* b = new Recorder(form.get(), log, "B", {20, 20, 60, 60});
    b->fill = clLime;
    auto* hidden = new Recorder(form.get(), log, "H", {0, 0, 10, 10});
    hidden->fill = clYellow;
    hidden->SetVisible(false);

    WindowDC screen;
    MemoryDC memory(screen.get());
    GdiObject<HBITMAP> bitmap(CreateCompatibleBitmap(screen.get(), 100, 100));
    SelectedObject selected(memory.get(), bitmap.get());
    SendMessageA(form->Handle(), WM_PRINTCLIENT, reinterpret_cast<WPARAM>(memory.get()), PRF_CLIENT);

    struct Probe {
        int x, y;
        COLORREF expected;
    };
    const Probe probes[] = {
        {5, 5, RGB(0, 0, 255)},     // under the hidden control: A
        {10, 30, RGB(0, 0, 255)},   // A only
        {30, 30, RGB(0, 255, 0)},   // B lies over A
        {55, 55, RGB(0, 255, 0)},
        {80, 80, RGB(255, 0, 0)},   // the form's colour
    };
    for (const Probe& p : probes)
        EXPECT_EQ(GetPixel(memory.get(), p.x, p.y), p.expected) << "pixel " << p.x << "," << p.y;

    // The same once B is sent to the back.
    b->SendToBack();
    SendMessageA(form->Handle(), WM_PRINTCLIENT, reinterpret_cast<WPARAM>(memory.get()), PRF_CLIENT);
    EXPECT_EQ(GetPixel(memory.get(), 30, 30), RGB(0, 0, 255)) << "A now lies over B";
}

namespace {

constexpr COLORREF Smear = RGB(255, 0, 255);

// Paints the window's client area behind its back: what the window paints afterwards shows
// again, what it leaves alone keeps the smear.
void SmearClient(HWND window)
{
    WindowDC screen(window);
    GdiObject<HBRUSH> brush(CreateSolidBrush(Smear));
    RECT client;
    GetClientRect(window, &client);
    FillRect(screen.get(), &client, brush.get());
}

COLORREF ShownAt(HWND window, int x, int y)
{
    WindowDC screen(window);
    return GetPixel(screen.get(), x, y) & 0xFFFFFF;
}

}  // namespace

// Parts of a window painted at once show there and then what a paint of them would, and nothing
// else is painted or left to paint; another window painted so from within such a paint too.
TEST(GraphicControls, PaintNowPaintsThePartsAtOnceAndNothingElse)
{
    PointerAway away;
    auto form = MakeForm(200, 100);
    form->SetColor(clRed);
    std::vector<std::string> log;
    auto* child = new Recorder(form.get(), log, "C", {0, 0, 100, 100});
    child->fill = clBlue;
    auto other = TestForm(400, 100, 60, 60).form;
    other->SetColor(clYellow);
    form->Show();
    other->Show();
    PumpMessages();
    HWND window = form->Handle();

    struct Probe {
        HWND window;
        int x, y;
        COLORREF expected;
        const char* what;
    };
    auto check = [](const char* when, std::initializer_list<Probe> probes) {
        for (const Probe& p : probes)
            EXPECT_EQ(Hex(ShownAt(p.window, p.x, p.y)), Hex(p.expected)) << when << ": " << p.what;
    };
    // After a paint of the whole window, which leaves a bitmap as large as the window to paint
    // the small parts through.
    SmearClient(window);
    child->fill = clLime;
    form->PaintNow({10, 10, 20, 20});
    form->PaintNow({150, 50, 160, 60});
    EXPECT_FALSE(GetUpdateRect(window, nullptr, FALSE)) << "left to paint";
    check("two parts", {{window, 15, 15, RGB(0, 255, 0), "the child in the first part"},
                        {window, 10, 19, RGB(0, 255, 0), "the first part's corner"},
                        {window, 20, 15, Smear, "right of the first part"},
                        {window, 15, 9, Smear, "above it"},
                        {window, 155, 55, RGB(255, 0, 0), "the window's colour in the second part"},
                        {window, 100, 55, Smear, "between the parts"},
                        {window, 160, 60, Smear, "past the second part"}});

    SmearClient(window);
    SmearClient(other->Handle());
    child->duringPaint = [&] { other->PaintNow({0, 0, 60, 60}); };
    form->PaintNow({0, 0, 200, 100});
    child->duringPaint = nullptr;
    check("a paint within a paint", {{window, 50, 50, RGB(0, 255, 0), "the child"},
                                     {window, 150, 50, RGB(255, 0, 0), "the window's colour"},
                                     {other->Handle(), 30, 30, RGB(255, 255, 0), "the other window"}});
    SmearClient(window);
    form->PaintNow({40, 40, 60, 60});
    check("and after it", {{window, 50, 50, RGB(0, 255, 0), "the child"}, {window, 70, 50, Smear, "beside it"}});
}

TEST(Alignment, ClientAndBottomFollowTheParent)
{
    auto form = MakeForm();
    form->SetClientSize(200, 100);
    auto* status = new TStatusBar(form.get());
    status->SetParent(form.get());
    auto* image = new TImage(form.get());
    image->SetParent(form.get());
    image->SetAlign(alClient);

    struct Expect {
        int clientWidth, clientHeight;
        bool handle;
    };
    for (const Expect& e : {Expect{200, 100, false}, Expect{300, 150, true}}) {
        if (e.handle)
            form->Handle();
        form->SetClientSize(e.clientWidth, e.clientHeight);
        RECT statusBounds = status->BoundsRect();
        RECT imageBounds = image->BoundsRect();
        int bar = status->Height();
        EXPECT_EQ(statusBounds.top, e.clientHeight - bar) << "status bar top, client " << e.clientWidth;
        EXPECT_EQ(statusBounds.right, e.clientWidth) << "status bar right";
        EXPECT_EQ(imageBounds.left, 0);
        EXPECT_EQ(imageBounds.right, e.clientWidth) << "image right";
        EXPECT_EQ(imageBounds.bottom, e.clientHeight - bar) << "image bottom";
    }
    RECT window;
    GetWindowRect(status->Handle(), &window);
    EXPECT_EQ(window.right - window.left, 300) << "the status bar window's width";
}

TEST(Labels, AutoSizeFollowsTextAndAnchor)
{
    auto form = MakeForm();
    auto* label = new TLabel(form.get());
    label->SetParent(form.get());
    label->SetCaption("Icon");
    int shortWidth = label->Width();
    label->SetCaption("Keine Informationen verfügbar");
    EXPECT_GT(label->Width(), shortWidth) << "width for the long text";
    EXPECT_GT(label->Height(), 5);

    label->SetAlignment(taRightJustify);
    label->SetBounds(50, 10, label->Width(), label->Height());
    int right = label->Left() + label->Width();
    label->SetCaption("kurz");
    EXPECT_EQ(label->Left() + label->Width(), right) << "a right-aligned label keeps its right edge";
}

namespace {

class Partner : public TComponent {
public:
    Partner(TComponent* owner, std::vector<std::string>& log, const std::string& name)
        : TComponent(owner), log_(log)
    {
        SetName(name);
    }
    ~Partner() override { log_.push_back("free " + Name()); }

protected:
    void Notification(TComponent* component, TOperation operation) override
    {
        if (operation == opRemove)
            log_.push_back(Name() + " hears " + component->Name());
    }

private:
    std::vector<std::string>& log_;
};

}  // namespace

TEST(Components, OwnersFreeAndPartnersHear)
{
    std::vector<std::string> log;
    auto* owner = new Partner(nullptr, log, "owner");
    auto* first = new Partner(owner, log, "first");
    new Partner(owner, log, "second");
    auto* outsider = new Partner(nullptr, log, "outsider");
    outsider->FreeNotification(first);
    EXPECT_EQ(owner->FindComponent("FIRST"), first);
    EXPECT_EQ(owner->ComponentCount(), 2);

    delete owner;
    // Newest first; a partner hears of a component once nothing of it but the base is left.
    EXPECT_EQ(Joined(log), "free owner | free second | free first | outsider hears first");

    // The partner is gone from the list: freeing it tells nobody and nothing dangles.
    log.clear();
    delete outsider;
    EXPECT_EQ(Joined(log), "free outsider");
}

TEST(Components, FreeingAFormFreesItsControls)
{
    PointerAway away;
    std::vector<std::string> log;
    auto form = MakeForm();
    auto* panel = new TPanel(form.get());
    panel->SetParent(form.get());
    new Recorder(panel, log, "inner", {0, 0, 20, 20});
    HWND panelWindow = panel->Handle();
    // The pointer over the inner control, so that the form holds references into the panel.
    PostMessageA(panelWindow, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
    PumpMessages();
    EXPECT_EQ(Joined(log), "inner enter | inner move 5,5");
    log.clear();
    form.reset();
    EXPECT_FALSE(IsWindow(panelWindow));
    EXPECT_TRUE(log.empty()) << "events during destruction: " << Joined(log);
}

TEST(Hints, ToolFollowsTheHintedControlUnderThePointer)
{
    PointerAway away;
    auto form = MakeForm();
    std::vector<std::string> log;
    auto* hinted = new Recorder(form.get(), log, "H", {10, 10, 60, 60});
    hinted->SetHint("Icongalerie aufrufen");
    hinted->SetShowHint(true);
    new Recorder(form.get(), log, "P", {70, 10, 120, 60});
    HWND window = form->Handle();

    auto moveTo = [&](int x, int y) {
        PostMessageA(window, WM_MOUSEMOVE, 0, MAKELPARAM(x, y));
        PumpMessages();
    };
    auto toolText = [] {
        HWND tip = Application.HintWindow();
        if (!tip || SendMessageA(tip, TTM_GETTOOLCOUNT, 0, 0) != 1)
            return std::string("(no tool)");
        char text[80] = {};
        TTTOOLINFOA tool = {};
        tool.cbSize = TTTOOLINFOA_V2_SIZE;
        tool.lpszText = text;
        SendMessageA(tip, TTM_ENUMTOOLSA, 0, reinterpret_cast<LPARAM>(&tool));
        return std::string(text);
    };
    moveTo(20, 20);
    EXPECT_EQ(toolText(), "Icongalerie aufrufen");
    moveTo(80, 20);
    EXPECT_EQ(toolText(), "(no tool)") << "a control without hint keeps the last one's";
    moveTo(20, 20);
    EXPECT_EQ(toolText(), "Icongalerie aufrufen");
    delete hinted;
    EXPECT_EQ(toolText(), "(no tool)") << "the hint of a freed control";
}

TEST(StatusBar, TextShowsOnTheBarsOwnColour)
{
    auto form = MakeForm(300, 100);
    auto* status = new TStatusBar(form.get());
    status->SetParent(form.get());
    status->SetColor(16768449);
    status->SetSimpleText("C:\\Icons\\Tiere\\hund.ico");
    form->Show();   // the bar paints nothing while hidden
    HWND bar = status->Handle();
    WindowDC screen;
    MemoryDC memory(screen.get());
    GdiObject<HBITMAP> bitmap(CreateCompatibleBitmap(screen.get(), 300, status->Height()));
    SelectedObject selected(memory.get(), bitmap.get());
    SendMessageA(bar, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(memory.get()), PRF_CLIENT);
    // Right of the text, inside the text area.
    COLORREF pixel = GetPixel(memory.get(), 280, status->Height() / 2);
    EXPECT_EQ(pixel, ColorToRGB(16768449)) << "pixel " << std::hex << pixel;
}

TEST(Accelerators, TheCharacterAfterASingleAmpersand)
{
    const struct {
        const char* caption;
        char key;
        bool accel;
    } cases[] = {
        {"&Datei", 'd', true},   {"&Datei", 'D', true},  {"Da&tei", 't', true},   {"Da&tei", 'd', false},
        {"&&Datei", 'd', false}, {"A&&&B", 'b', true},  {"A&&&B", 'a', false},  {"Datei&", 'd', false},
        {"", 'a', false},        {"&Über", '\xFC', true}, {"&über", '\xDC', true}, {"&1 Symbol", '1', true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(IsAccel(c.key, c.caption), c.accel) << "\"" << c.caption << "\" and '" << c.key << "'";
}

namespace {

// A windowless control that takes its caption's accelerator.
class AccelRecorder : public TGraphicControl {
public:
    AccelRecorder(TWinControl* parent, std::vector<std::string>& log, const std::string& caption)
        : TGraphicControl(parent), log_(log)
    {
        SetParent(parent);
        SetCaption(caption);
    }

protected:
    LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override
    {
        if (msg == CM_DIALOGCHAR && IsAccel(static_cast<char>(wParam), Caption())) {
            log_.push_back(Caption());
            return 1;
        }
        return TGraphicControl::WndProc(msg, wParam, lParam);
    }

private:
    std::vector<std::string>& log_;
};

}  // namespace

// Alt and a letter, as the system sends it to the window with the focus: the form offers it to
// every shown control, also inside containers, until one takes it.
TEST(Accelerators, TheFormOffersAltAndACharacterToItsControls)
{
    PointerAway away;
    auto form = MakeForm(300, 200);
    std::vector<std::string> log;
    auto* panel = new TPanel(form.get());
    panel->SetParent(form.get());
    panel->SetBounds(10, 10, 200, 100);
    auto* hidden = new TPanel(form.get());
    hidden->SetParent(form.get());
    hidden->SetVisible(false);
    new AccelRecorder(form.get(), log, "&Erste");
    new AccelRecorder(panel, log, "&Zweite");
    new AccelRecorder(panel, log, "Z&weite");
    new AccelRecorder(hidden, log, "&Versteckt");
    auto* edit = new TEdit(form.get());
    edit->SetParent(panel);
    edit->SetBounds(5, 60, 100, 20);
    form->Show();
    edit->SetFocus();

    for (char key : {'e', 'Z', 'w', 'v', 'q'}) {
        LRESULT result = SendMessageA(edit->Handle(), WM_SYSCHAR, static_cast<BYTE>(key), 1 << 29);
        EXPECT_EQ(result, 0) << key;
    }
    EXPECT_EQ(Joined(log), "&Erste | &Zweite | Z&weite") << "a hidden control takes nothing";
    EXPECT_EQ(GetFocus(), edit->Handle());
}

TEST(ParentColor, SwitchedOffTheShownColourStays)
{
    auto form = MakeForm();
    form->SetColor(clTeal);
    auto* panel = new TPanel(form.get());
    panel->SetParent(form.get());
    panel->SetColor(clYellow);
    panel->SetParentColor(true);
    EXPECT_EQ(panel->Color(), clTeal);
    panel->SetParentColor(false);
    EXPECT_EQ(panel->Color(), clTeal) << "not the colour set before: " << std::hex << panel->Color();
    form->SetColor(clRed);
    EXPECT_EQ(panel->Color(), clTeal) << "no longer following";
}
