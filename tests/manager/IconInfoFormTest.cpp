// The icon information window: its skinned layout beside the main window, the current icon and
// its file name and credit, copying the reference, exporting as icon, bitmap or JPEG (and what a
// failed export leaves), the hand-over to the editor, the links, and the keys and buttons that
// lead back to the main window.
#include <windows.h>

#include "../framework/GdiCount.h"
#include "Bitmap.h"
#include "Classes.h"
#include "Clipboard.h"
#include "DialogStub.h"
#include "Icon.h"
#include "IconConverter.h"
#include "IconInfo.h"
#include "Info.h"
#include "JpegImage.h"
#include "Main.h"
#include "MessagePump.h"
#include "MouseInput.h"
#include "ProgramForms.h"
#include "StagedFolder.h"
#include "Startup.h"
#include "SysUtils.h"
#include "TransparentKey.h"
#include "toolsunit.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

namespace {

constexpr size_t IconFileSize = 3262;
constexpr size_t IconColourData = 62;
constexpr size_t IconMaskData = 3134;
constexpr int PanelRight = 205;   // inner edge of the skin's panel
constexpr int PanelBottom = 142;
constexpr TColor Red = 0x0000FF;

std::string Joined(const std::vector<std::string>& names)
{
    std::string all;
    for (const auto& name : names)
        all += (all.empty() ? "" : ", ") + name;
    return all;
}

// The test icon: its left half red, its right half clear, and a blue ball with a light spot
// across the middle, so that a screenshot shows a real icon.
void DrawTestIcon(TBitmap& bitmap)
{
    DrawIconBitmap(bitmap, nullptr, TransparentKeyColor);
    TCanvas& canvas = bitmap.Canvas();
    canvas.Brush().SetColor(Red);
    canvas.FillRect(RECT{0, 0, 16, 32});
    canvas.Pen().SetColor(0x803010);
    canvas.Brush().SetColor(0xE08A3C);
    canvas.Ellipse(6, 6, 26, 26);
    canvas.Pen().SetColor(0xFFE8D0);
    canvas.Brush().SetColor(0xFFE8D0);
    canvas.Ellipse(10, 9, 16, 15);
}

// Picture row y (top = 0) is file row 31 - y: icon images are stored bottom row first.
COLORREF IconFileColour(const std::vector<uint8_t>& file, int x, int y)
{
    size_t at = IconColourData + static_cast<size_t>(31 - y) * 96 + static_cast<size_t>(x) * 3;
    return RGB(file[at + 2], file[at + 1], file[at]);
}

bool IconFileTransparent(const std::vector<uint8_t>& file, int x, int y)
{
    uint8_t bits = file[IconMaskData + static_cast<size_t>(31 - y) * 4 + static_cast<size_t>(x) / 8];
    return (bits >> (7 - x % 8)) & 1;
}

int ColourDistance(TColor a, TColor b)
{
    int d = 0;
    for (int shift : {0, 8, 16})
        d = std::max(d, std::abs(static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF)));
    return d;
}

// The program's forms over a program folder staged for the test, the icon window showing an
// icon drawn into that folder.
class IconInfoFormTest : public testing::Test {
protected:
    void SetUp() override
    {
        OverrideProgramFolder(program.Path());
        ResetMainState();
        CreateProgramForms();
        ASSERT_NE(IconInfoForm, nullptr);
        form = IconInfoForm;
        TBitmap picture;
        DrawTestIcon(picture);
        sourceIcon = program.Folder("Natur") + "quelle.ico";
        SaveBitmapAsIcon(sourceIcon, picture, TransparentKeyColor);
        form->ShowIconSpec(AnsiUpperCase(sourceIcon), "Natur");
        window = form->Handle();
    }
    void TearDown() override
    {
        FreeProgramForms();
        OverrideProgramFolder("");
    }

    // A click as the mouse makes it, at the centre of a control of the window.
    void Click(TControl* control) { ClickControl(control); }
    // "Exportieren", answering the save dialog with `name`.
    void ExportAs(const std::string& name)
    {
        dialogs.fileAnswers.push_back(name);
        Click(form->bExportieren);
    }

    StagedFolder program{"ql_iinfo Programm"};
    StagedFolder target{"ql_iinfo_export"};
    DialogStub dialogs;
    TIconInfoForm* form = nullptr;
    HWND window = nullptr;
    std::string sourceIcon;
};

}  // namespace

TEST_F(IconInfoFormTest, IsAStayOnTopSkinnedWindowBesideTheMainWindow)
{
    LONG style = GetWindowLongA(window, GWL_STYLE);
    EXPECT_FALSE(style & (WS_CAPTION | WS_THICKFRAME)) << std::hex << style;
    EXPECT_TRUE(GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_TRUE(form->KeyPreview());
    RECT client;
    GetClientRect(window, &client);
    EXPECT_EQ(client.right, 211);
    EXPECT_EQ(client.bottom, 199);
    GdiObject<HRGN> applied(CreateRectRgn(0, 0, 0, 0));
    EXPECT_NE(GetWindowRgn(window, applied.get()), ERROR) << "the window has no region";

    MainForm->SetBounds(100, 150, MainForm->Width(), MainForm->Height());
    form->Show();
    RECT placed;
    GetWindowRect(window, &placed);
    EXPECT_EQ(placed.left, 585);
    EXPECT_EQ(placed.top, 120);
    // Shown anew after the main window moved, it follows.
    form->Hide();
    MainForm->SetBounds(40, 90, MainForm->Width(), MainForm->Height());
    form->Show();
    GetWindowRect(window, &placed);
    EXPECT_EQ(placed.left, 525);
    EXPECT_EQ(placed.top, 60);

    // QL_HOLD_MS keeps the window up for a look at it (a screenshot of the test's display).
    if (const char* hold = std::getenv("QL_HOLD_MS")) {
        MainForm->SetBounds(60, 80, MainForm->Width(), MainForm->Height());
        MainForm->Show();
        form->Hide();
        form->Show();
        PumpMessages(static_cast<DWORD>(std::atoi(hold)));
    }
    form->Hide();
}

TEST_F(IconInfoFormTest, ControlsCarryTheirTextsAndHints)
{
    const struct {
        TControl* control;
        const char* caption;
        const char* hint;
    } cases[] = {
        {form->bKopieren, "Kopieren", "Kopiert den Dateipfad des Icons in die Zwischenablage"},
        {form->bExportieren, "Exportieren", "Speichert das Icon als Bitmap"},
        {form->bBearbeiten, "Bearbeiten", "Öffnet das Icon im Iconeditor"},
        {form->bZuweisen, "Zuweisen", "Weist das Icon einer Systemkomponente zu"},
        {form->bBeenden, "", "Beenden"},
        {form->leMail1, "eMail:", ""},
        {form->lWeb1, "Web:", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.control->Caption(), c.caption) << c.control->Name();
        EXPECT_EQ(c.control->Hint(), c.hint) << c.control->Name();
        EXPECT_LE(c.control->Left() + c.control->Width(), 211) << c.control->Name();
        EXPECT_LE(c.control->Top() + c.control->Height(), 199) << c.control->Name();
    }
    for (TVantuButton* button : {form->bKopieren, form->bExportieren, form->bBearbeiten, form->bZuweisen}) {
        EXPECT_EQ(button->ImageList(), &MainForm->ilButtonsStandard) << button->Name();
        EXPECT_EQ(button->Height(), 20) << button->Name() << ": one row of the strip";
        EXPECT_GT(button->Top(), PanelBottom) << button->Name() << " lies on the panel";
    }
    EXPECT_EQ(form->bBeenden->ImageList(), &MainForm->ilButtonsRund_Klein);
    EXPECT_EQ(form->bBeenden->Left(), 190);
    EXPECT_EQ(form->iIcon->Left(), 12);
    EXPECT_EQ(form->iIcon->Top(), 30);
    EXPECT_EQ(form->iIcon->Width(), 32);
    EXPECT_TRUE(form->lRubrikname->Font().Style() & fsBold);
    EXPECT_TRUE(form->lGrafiker1->Font().Style() & fsBold);
    EXPECT_FALSE(form->lFile->Visible());
    for (TLabel* link : {form->leMail2, form->lWeb2}) {
        EXPECT_EQ(link->Cursor(), crHandPoint) << link->Name();
        EXPECT_TRUE(link->Font().Style() & fsUnderline) << link->Name();
    }
}

TEST_F(IconInfoFormTest, ShowsTheCurrentIconWithItsCategoryFileNameAndCredit)
{
    EXPECT_EQ(form->lFile->Text(), AnsiUpperCase(sourceIcon));
    EXPECT_EQ(form->lDateiname->Caption(), "quelle.ico");
    EXPECT_EQ(form->lRubrikname->Caption(), "Natur");
    auto* icon = dynamic_cast<TIcon*>(form->iIcon->Picture().Graphic());
    ASSERT_NE(icon, nullptr) << "no icon shown";
    EXPECT_EQ(icon->Width(), 32);

    // The file-name label follows the field, whoever sets it.
    form->lFile->SetText("C:\\X\\SHELL32.DLL,5");
    EXPECT_EQ(form->lDateiname->Caption(), "shell32.dll,5");

    form->ShowIconSpec("C:\\KATALOG\\KEIN ICON.DLL,3", "Geraete\\Medien und Technik");
    EXPECT_EQ(form->lRubrikname->Caption(), "Geraete\\Medien und T...");
    EXPECT_EQ(form->lDateiname->Caption(), "kein icon.dll,3");
    EXPECT_EQ(form->iIcon->Picture().Graphic(), nullptr) << "a missing file shows no icon";
    // A reference to an icon the file does not have.
    form->ShowIconSpec(AnsiUpperCase(sourceIcon) + ",3", "Natur");
    EXPECT_EQ(form->iIcon->Picture().Graphic(), nullptr) << "icon 3 of a one-icon file";
}

TEST_F(IconInfoFormTest, CreditShowsTheArtistOfTheCategoryOrThatNoneIsKnown)
{
    const struct {
        const char* spec;
        const char* caption;
        const char* artist;   // nullptr: none known
    } cases[] = {
        {"C:\\Q\\NATUR\\WETTER\\SONNE.ICO", "Grafiker:", "Jorek"},
        {"C:\\Q\\BUERO\\ABLAGE\\AKTENORDNER.ICO", "Grafiker:", "Alwine"},   // the later key word wins
        {"c:\\q\\symbole\\formen\\kreis.ico", "Grafiker:", "Selma"},         // looked up upper-cased
        {"C:\\WINDOWS\\SYSTEM32\\SHELL32.DLL,5", "Keine Informationen verfügbar", nullptr},
        {"C:\\Q\\GERAETE\\Geraete.dll,1", "Grafiker:", "Tobin"},
    };
    for (const auto& c : cases) {
        form->ShowIconSpec(c.spec, "Rubrik");
        EXPECT_EQ(form->lGrafiker1->Caption(), c.caption) << c.spec;
        bool known = c.artist != nullptr;
        for (TLabel* label : {form->lGrafiker2, form->leMail1, form->leMail2, form->lWeb1, form->lWeb2})
            EXPECT_EQ(label->Visible(), known) << c.spec << ": " << label->Name();
        EXPECT_TRUE(form->lGrafiker1->Visible()) << c.spec;
        EXPECT_LE(form->lGrafiker1->Left() + form->lGrafiker1->Width(), PanelRight)
            << c.spec << ": width " << form->lGrafiker1->Width();
        if (!known)
            continue;
        EXPECT_EQ(form->lGrafiker2->Caption(), c.artist) << c.spec;
        EXPECT_EQ(form->CreditMail(), AnsiLowerCase(c.artist) + "@quillandora.example") << c.spec;
        EXPECT_EQ(form->leMail2->Caption(), form->CreditMail()) << c.spec;
        EXPECT_EQ(form->lWeb2->Caption(), CutWithEllipsis(form->CreditWeb(), 27)) << c.spec;
        EXPECT_LE(form->lGrafiker1->Left() + form->lGrafiker1->Width(), form->lGrafiker2->Left())
            << "\"Grafiker:\" runs into the name: width " << form->lGrafiker1->Width();
        // Everything fits inside the panel.
        for (TLabel* label : {form->lGrafiker1, form->lGrafiker2, form->leMail2, form->lWeb2, form->lDateiname}) {
            EXPECT_LE(label->Left() + label->Width(), PanelRight) << label->Name() << " \"" << label->Caption()
                                                                  << "\" width " << label->Width();
            EXPECT_LE(label->Top() + label->Height(), PanelBottom) << label->Name();
        }
    }
}

TEST_F(IconInfoFormTest, LongAddressesAreCutWhileTheLinksOpenThemWhole)
{
    const std::string mail = "abcdefghij@quillandora.example";   // 30 characters
    const std::string web = "https://quillandora.example/grafik/natur";
    form->ShowArtistCredit(nullptr);
    ArtistCredit credit{"Jorek", mail, web};
    form->ShowArtistCredit(&credit);
    EXPECT_EQ(form->leMail2->Caption(), "abcdefghij@quillandora.exam...");
    EXPECT_EQ(form->lWeb2->Caption(), "https://quillandora.example...");
    EXPECT_LE(form->leMail2->Left() + form->leMail2->Width(), PanelRight) << "width " << form->leMail2->Width();
    EXPECT_LE(form->lWeb2->Left() + form->lWeb2->Width(), PanelRight) << "width " << form->lWeb2->Width();

    Click(form->leMail2);
    Click(form->lWeb2);
    ASSERT_EQ(dialogs.shellCalls.size(), 2u);
    EXPECT_EQ(dialogs.shellCalls[0].file, "mailto:" + mail);
    EXPECT_EQ(dialogs.shellCalls[1].file, web);
    for (const auto& call : dialogs.shellCalls) {
        EXPECT_EQ(call.owner, MainForm->Handle()) << call.file;
        EXPECT_EQ(call.parameters, "") << call.file;
        EXPECT_EQ(call.show, SW_SHOWNORMAL) << call.file;
    }
}

TEST_F(IconInfoFormTest, AddressesThatAreNotPlainAreNotOpened)
{
    const ArtistCredit unsafe[] = {
        {"A", "x@quillandora.example\" & calc", "https://quillandora.example/a\" & calc"},
        {"B", "x y@quillandora.example", "file:///C:/Windows/notepad.exe"},
        {"C", "", ""},
    };
    for (const auto& credit : unsafe) {
        form->ShowArtistCredit(&credit);
        form->leMail2Click(form->leMail2);
        form->lWeb2Click(form->lWeb2);
        EXPECT_TRUE(dialogs.shellCalls.empty()) << credit.name << ": " << dialogs.shellCalls.size() << " calls, first "
                                                << (dialogs.shellCalls.empty() ? "" : dialogs.shellCalls[0].file);
        dialogs.shellCalls.clear();
    }
}

TEST_F(IconInfoFormTest, KopierenPutsTheReferenceOnTheClipboardExactly)
{
    for (const char* spec : {"C:\\CAT\\LIB.DLL,5", "C:\\Programme\\Q\\Natur\\Sonne mit Wolke.ico"}) {
        form->lFile->SetText(spec);
        Clipboard().SetText("vorher");
        Click(form->bKopieren);
        EXPECT_EQ(Clipboard().GetText(), spec);
    }
}

TEST_F(IconInfoFormTest, ExportAsIconKeepsTheClearPixelsClear)
{
    std::string name = target.Path() + "x.ico";
    ExportAs(name);
    ASSERT_EQ(dialogs.fileRequests.size(), 1u);
    const TFileDialogRequest& asked = dialogs.fileRequests[0];
    EXPECT_TRUE(asked.save);
    EXPECT_EQ(asked.title, "Icon exportieren...");
    EXPECT_EQ(asked.defaultExt, "bmp");
    EXPECT_EQ(asked.filter,
              "Icon-Datei (*.ico)|*.ico|Windows-Bitmap (*.bmp)|*.bmp|JPEG-Datei (*.jpg)|*.jpg|Alle Dateien (*.*)|*.*");
    EXPECT_EQ(asked.options & (OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST),
              static_cast<DWORD>(OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST))
        << std::hex << asked.options;
    EXPECT_EQ(asked.initialDir, program.Path() + "Eigene Icons");
    EXPECT_TRUE(DirectoryExists(program.Path() + "Eigene Icons"));

    std::vector<uint8_t> file = ReadFileBytes(name);
    ASSERT_EQ(file.size(), IconFileSize);
    EXPECT_TRUE(dialogs.messages.empty()) << dialogs.messages[0].text;
    const struct {
        int x, y;
        bool clear;
        COLORREF colour;
    } pixels[] = {{0, 0, false, RGB(255, 0, 0)}, {2, 30, false, RGB(255, 0, 0)}, {31, 0, true, 0},
                  {30, 31, true, 0}, {16, 16, false, 0}};
    for (const auto& p : pixels) {
        EXPECT_EQ(IconFileTransparent(file, p.x, p.y), p.clear) << p.x << "," << p.y;
        if (p.colour || p.clear) {
            EXPECT_EQ(IconFileColour(file, p.x, p.y), p.colour) << p.x << "," << p.y << std::hex << " got "
                                                               << IconFileColour(file, p.x, p.y);
        }
    }
}

TEST_F(IconInfoFormTest, ExportAsBitmapOrJpegShowsTheIconOnWhite)
{
    std::string bmp = target.Path() + "x.bmp";
    ExportAs(bmp);
    TBitmap bitmap;
    bitmap.LoadFromFile(bmp);
    EXPECT_EQ(bitmap.Width(), 32);
    EXPECT_EQ(bitmap.Height(), 32);
    EXPECT_EQ(bitmap.PixelColor(1, 1), Red);
    EXPECT_EQ(bitmap.PixelColor(30, 1), clWhite) << "clear pixel: " << std::hex << bitmap.PixelColor(30, 1);

    for (const char* name : {"x.jpg", "x.xyz", "x"}) {
        std::string path = target.Path() + name;
        ExportAs(path);
        std::vector<uint8_t> file = FileExists(path) ? ReadFileBytes(path) : std::vector<uint8_t>();
        ASSERT_GE(file.size(), 2u) << name;
        EXPECT_EQ(file[0], 0xFF) << name;
        EXPECT_EQ(file[1], 0xD8) << name;
        TJPEGImage jpeg;
        jpeg.LoadFromFile(path);
        auto decoded = jpeg.ToBitmap();
        EXPECT_EQ(decoded->Width(), 32) << name;
        EXPECT_LE(ColourDistance(decoded->PixelColor(2, 2), Red), 24)
            << name << std::hex << " red corner " << decoded->PixelColor(2, 2);
        EXPECT_LE(ColourDistance(decoded->PixelColor(29, 2), clWhite), 24)
            << name << std::hex << " clear corner " << decoded->PixelColor(29, 2);
    }
    EXPECT_TRUE(dialogs.messages.empty()) << dialogs.messages[0].text;
    EXPECT_EQ(target.Files().size(), 4u) << Joined(target.Files());
}

TEST_F(IconInfoFormTest, CancelledExportWritesNothing)
{
    dialogs.fileAnswers.push_back("");
    Click(form->bExportieren);
    EXPECT_EQ(dialogs.fileRequests.size(), 1u);
    EXPECT_TRUE(target.Files().empty()) << Joined(target.Files());
    EXPECT_TRUE(program.Files("Eigene Icons\\").empty()) << Joined(program.Files("Eigene Icons\\"));
}

TEST_F(IconInfoFormTest, FailedExportSaysSoAndLeavesNoFile)
{
    // A folder that does not exist, and a file that another program holds open.
    std::string missing = target.Path() + "fehlt\\x.bmp";
    std::string locked = target.Path() + "alt.jpg";
    const std::vector<uint8_t> old = {'a', 'l', 't'};
    SaveFileReplacing(locked, old.data(), old.size());
    HANDLE holder = CreateFileA(locked.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    for (const std::string& name : {missing, locked, target.Path() + "fehlt\\x.ico"}) {
        dialogs.messages.clear();
        ExportAs(name);
        ASSERT_EQ(dialogs.messages.size(), 1u) << name << ": no message";
        EXPECT_EQ(dialogs.messages[0].type, mtError) << name;
        EXPECT_EQ(dialogs.messages[0].caption, "Fehler") << name;
        EXPECT_NE(dialogs.messages[0].text.find("Das Icon konnte nicht als \"" + name + "\" gespeichert werden"),
                  std::string::npos)
            << dialogs.messages[0].text;
    }
    CloseHandle(holder);
    EXPECT_FALSE(DirectoryExists(target.Path() + "fehlt"));
    EXPECT_EQ(ReadFileBytes(locked), old) << "the old file was changed";
    EXPECT_EQ(target.Files(), std::vector<std::string>{"alt.jpg"}) << Joined(target.Files());
}

TEST_F(IconInfoFormTest, BearbeitenHandsTheEditorTheShortPathOfTheHandOverFile)
{
    Click(form->bBearbeiten);
    std::string handOver = program.Path() + "temp$$$.ico";
    std::vector<uint8_t> file = FileExists(handOver) ? ReadFileBytes(handOver) : std::vector<uint8_t>();
    ASSERT_EQ(file.size(), IconFileSize) << handOver;
    EXPECT_TRUE(IconFileTransparent(file, 31, 0));
    EXPECT_EQ(IconFileColour(file, 0, 0), RGB(255, 0, 0));

    ASSERT_EQ(dialogs.shellCalls.size(), 1u);
    const auto& call = dialogs.shellCalls[0];
    EXPECT_EQ(call.file, program.Path() + "editor.exe");
    EXPECT_EQ(call.verb, "");
    EXPECT_EQ(call.directory, program.Path());
    EXPECT_EQ(call.owner, MainForm->Handle());
    EXPECT_EQ(call.show, SW_SHOWNORMAL);
    // The staged folder's name has blanks: the parameter is its short form, one word that names
    // the same file.
    EXPECT_EQ(call.parameters.find(' '), std::string::npos) << call.parameters;
    EXPECT_EQ(call.parameters.find('"'), std::string::npos) << call.parameters;
    char longPath[MAX_PATH] = {};
    ASSERT_GT(GetLongPathNameA(call.parameters.c_str(), longPath, MAX_PATH), 0u) << call.parameters;
    EXPECT_TRUE(SameText(longPath, handOver)) << longPath;
    EXPECT_TRUE(dialogs.messages.empty()) << dialogs.messages[0].text;
}

TEST_F(IconInfoFormTest, OwnIconsReloadAfterExportAndHandOver)
{
    int reloads = 0;
    form->OnOwnIconsChanged = [&reloads] { ++reloads; };
    ExportAs(target.Path() + "a.ico");
    Click(form->bBearbeiten);
    EXPECT_EQ(reloads, 0) << "category Natur";

    form->ShowIconSpec(AnsiUpperCase(sourceIcon), "Eigene Icons");
    ExportAs(target.Path() + "b.ico");
    EXPECT_EQ(reloads, 1);
    Click(form->bBearbeiten);
    EXPECT_EQ(reloads, 2);
    dialogs.fileAnswers.push_back("");
    Click(form->bExportieren);
    ExportAs(target.Path() + "fehlt\\c.ico");
    EXPECT_EQ(reloads, 2) << "a cancelled or failed export changes nothing";
}

TEST_F(IconInfoFormTest, ZuweisenOpensTheSystemPageAndF1TheMainWindowsTopic)
{
    form->Show();
    Click(form->bZuweisen);
    EXPECT_FALSE(form->Visible());
    EXPECT_EQ(MainForm->PageControl->ActivePage(), MainForm->pSystem);
    EXPECT_EQ(HelpKeyword, "Icon_zuweisen");

    form->Show();
    SendMessageA(window, WM_KEYDOWN, VK_F1, 0);
    SendMessageA(form->lFile->Handle(), WM_KEYDOWN, VK_F1, 0);
    ASSERT_EQ(dialogs.helpCalls.size(), 2u);
    for (const auto& call : dialogs.helpCalls)
        EXPECT_EQ(call.keyword, "Icon_zuweisen");

    Click(form->bBeenden);
    EXPECT_FALSE(form->Visible()) << "the close button hides the window";
    EXPECT_NE(IconInfoForm, nullptr);
}

TEST_F(IconInfoFormTest, ShowingExportingAndHandingOverLeakNoGdiObjects)
{
    auto round = [this](int i) {
        form->ShowIconSpec(AnsiUpperCase(sourceIcon), "Natur");
        for (const char* ext : {".ico", ".bmp", ".jpg"})
            ExportAs(target.Path() + "x" + std::to_string(i) + ext);
        Click(form->bBearbeiten);
        Click(form->bKopieren);
    };
    round(0);   // first use makes what lives on (fonts, caches)
    long before = gdicount::LiveObjects();
    if (before < 0)
        GTEST_SKIP() << "no way to count GDI objects here";
    for (int i = 1; i <= 5; ++i)
        round(i);
    EXPECT_EQ(gdicount::LiveObjects(), before) << "after 5 rounds";
    EXPECT_TRUE(dialogs.messages.empty()) << dialogs.messages[0].text;
}
