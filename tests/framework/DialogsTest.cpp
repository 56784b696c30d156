// The dialog service: what the program asks and how answers come back, the default exception
// handler, help jumps, and the platform's message box with German buttons.
#include "DialogStub.h"
#include "Dialogs.h"
#include "Exceptions.h"
#include "ExtCtrls.h"
#include "Forms.h"
#include "MessagePump.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <new>
#include <stdexcept>
#include <string>
#include <vector>

TEST(MessageDialogs, AnsweredByTheInstalledService)
{
    DialogStub dialogs;
    struct Case {
        TMsgDlgType type;
        TMsgDlgButtons buttons;
        int answer;
        const char* caption;
    };
    const Case cases[] = {
        {mtConfirmation, mbYesNo, mrNo, "Bestätigen"},
        {mtWarning, mbYesNoCancel, mrCancel, "Warnung"},
        {mtError, mbOK, mrOk, "Fehler"},
        {mtInformation, mbOKCancel, mrOk, "Information"},
    };
    for (const Case& c : cases) {
        dialogs.messageAnswers.push_back(c.answer);
        EXPECT_EQ(MessageDlg("Das aktuelle Icon wurde geändert.", c.type, c.buttons), c.answer)
            << "answer for " << c.caption;
        ASSERT_FALSE(dialogs.messages.empty());
        const DialogStub::Message& shown = dialogs.messages.back();
        EXPECT_EQ(shown.caption, c.caption);
        EXPECT_EQ(shown.buttons, c.buttons) << "buttons for " << c.caption;
        EXPECT_EQ(shown.text, "Das aktuelle Icon wurde ge\xE4ndert.");
    }

    Application.SetTitle("Quillandora! Ostrane");
    ShowMessage("Fertig");
    EXPECT_EQ(dialogs.messages.back().caption, "Quillandora! Ostrane");
    EXPECT_EQ(dialogs.messages.back().buttons, mbOK);
}

TEST(MessageDialogs, DefaultExceptionHandlerShowsTheMessage)
{
    DialogStub dialogs;
    ASSERT_FALSE(Application.OnException) << "another test left a handler installed";
    Application.SetTitle("Quillandora! Editor");
    Application.HandleException(EWriteError("Die Datei kann nicht geschrieben werden."));
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, "Die Datei kann nicht geschrieben werden.");
    EXPECT_EQ(dialogs.messages[0].caption, "Quillandora! Editor");
    EXPECT_EQ(dialogs.messages[0].type, mtError);

    // The standard library's English never reaches the user.
    Application.HandleException(std::bad_alloc());
    Application.HandleException(std::out_of_range("vector::_M_range_check"));
    ASSERT_EQ(dialogs.messages.size(), 3u);
    EXPECT_EQ(dialogs.messages[1].text, "Nicht genügend Arbeitsspeicher.");
    EXPECT_EQ(dialogs.messages[2].text, "Interner Fehler.");

    // A handler that fails itself does not escape.
    Application.OnException = [](const std::exception&) { throw std::runtime_error("auch kaputt"); };
    EXPECT_NO_THROW(Application.HandleException(Exception("kaputt")));
    Application.OnException = nullptr;
}

TEST(FileDialogs, RequestCarriesTheSettingsAndTheAnswerComesBack)
{
    DialogStub dialogs;
    TSaveDialog save;
    save.SetTitle("Icon exportieren...");
    save.SetFilter("Icon-Datei (*.ico)|*.ico|Alle Dateien (*.*)|*.*");
    save.SetDefaultExt("*.bmp");
    save.SetInitialDir("C:\\Q\\Eigene Icons");
    save.SetOptions(OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST);

    dialogs.fileAnswers = {"C:\\Q\\Eigene Icons\\x.ico", ""};
    ASSERT_TRUE(save.Execute());
    EXPECT_EQ(save.FileName(), "C:\\Q\\Eigene Icons\\x.ico");
    ASSERT_EQ(dialogs.fileRequests.size(), 1u);
    const TFileDialogRequest& asked = dialogs.fileRequests[0];
    EXPECT_TRUE(asked.save);
    EXPECT_EQ(asked.title, "Icon exportieren...");
    EXPECT_EQ(asked.defaultExt, "bmp") << "the extension as the dialog wants it";
    EXPECT_EQ(asked.initialDir, "C:\\Q\\Eigene Icons");
    EXPECT_EQ(asked.options, static_cast<DWORD>(OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST));

    EXPECT_FALSE(save.Execute()) << "cancelled";
    EXPECT_EQ(save.FileName(), "C:\\Q\\Eigene Icons\\x.ico") << "a cancel changed the name";

    for (auto [given, expected] : {std::pair{"bmp", "bmp"}, {".jpg", "jpg"}, {"*.ico", "ico"}, {"", ""}}) {
        save.SetDefaultExt(given);
        EXPECT_EQ(save.DefaultExt(), expected) << "from " << given;
    }

    TColorDialog color;
    color.SetColor(clRed);
    EXPECT_FALSE(color.Execute());
    EXPECT_EQ(color.Color(), clRed) << "a cancel changed the colour";
    dialogs.colorAnswers.push_back(0x00FFEBDD);
    EXPECT_TRUE(color.Execute());
    EXPECT_EQ(color.Color(), 0x00FFEBDD);
}

TEST(Help, JumpsGoThroughTheServiceWithTheHelpFile)
{
    DialogStub dialogs;
    Application.SetHelpFile("");
    EXPECT_FALSE(Application.HelpJump("Index")) << "a jump without help file";
    EXPECT_TRUE(dialogs.helpCalls.empty());

    Application.SetHelpFile("C:\\Q\\hilfe.hlp");
    EXPECT_TRUE(Application.HelpJump("Icons_betrachten"));
    ASSERT_EQ(dialogs.helpCalls.size(), 1u);
    EXPECT_EQ(dialogs.helpCalls[0].file, "C:\\Q\\hilfe.hlp");
    EXPECT_EQ(dialogs.helpCalls[0].keyword, "Icons_betrachten");
    Application.SetHelpFile("");
}

// The numbers the help file maps its topics to: what the help viewers compute from a name.
TEST(Help, ATopicsContextIsTheViewersHashOfItsName)
{
    const struct {
        const char* topic;
        DWORD context;
    } cases[] = {
        {"Index", 87893158u},
        {"Icons_betrachten", 3711226831u},   // past 2^31: the sum wraps
        {"Iconeditor", 3840439154u},
        {"INDEX", 87893158u},                // letters count alike in either case
        {"a.0", (17u * 43 + 12) * 43 + 10},  // "." and "0" have digits of their own
        {"a-b", 17u * 43 + 18},              // characters outside the table are skipped
        {"", 0u},
    };
    for (const auto& c : cases)
        EXPECT_EQ(HelpTopicContext(c.topic), c.context) << "\"" << c.topic << "\"";
}

namespace {

std::string ItemText(HWND box, int id)
{
    char text[64] = {};
    if (HWND item = GetDlgItem(box, id))
        GetWindowTextA(item, text, sizeof text);
    return text;
}

}  // namespace

// The real box blocks in its own loop; a timer of ours, run by that loop, reads and answers it.
TEST(PlatformMessageBox, ShowsGermanCaptionAndButtons)
{
    std::vector<std::string> seen;
    TTimer timer;
    timer.SetInterval(100);
    int ticks = 0;
    timer.OnTimer = [&](TComponent*) {
        HWND box = FindWindowA("#32770", "Best\xE4tigen");
        if (!box) {
            // Give up after a while so that a broken box cannot hang the test run.
            if (++ticks > 50)
                if (HWND any = FindWindowA("#32770", nullptr))
                    PostMessageA(any, WM_COMMAND, IDCANCEL, 0);
            return;
        }
        timer.SetEnabled(false);
        for (int id : {IDYES, IDNO, IDCANCEL})
            seen.push_back(ItemText(box, id));
        PostMessageA(box, WM_COMMAND, IDNO, 0);
    };
    int answer = MessageDlg("Speichern?", mtConfirmation, mbYesNoCancel);
    EXPECT_EQ(answer, mrNo);
    EXPECT_EQ(seen, (std::vector<std::string>{"Ja", "Nein", "Abbrechen"}));
}

// A box opened while another is up (an error shown from a timer, say) must not leave the
// renaming behind: it would rename the buttons of every later dialog of the program.
TEST(PlatformMessageBox, ABoxInsideAnotherLeavesNoRenamingBehind)
{
    int stage = 0, ticks = 0;
    TTimer timer;
    timer.SetInterval(50);
    timer.OnTimer = [&](TComponent*) {
        if (++ticks > 200)
            if (HWND any = FindWindowA("#32770", nullptr))
                PostMessageA(any, WM_COMMAND, IDCANCEL, 0);
        if (stage == 0) {
            if (HWND outer = FindWindowA("#32770", "Fehler")) {
                stage = 1;
                MessageDlg("Innen", mtWarning, mbOK);
                stage = 3;
                PostMessageA(outer, WM_COMMAND, IDOK, 0);
            }
        } else if (stage == 1) {
            if (HWND inner = FindWindowA("#32770", "Warnung")) {
                stage = 2;
                PostMessageA(inner, WM_COMMAND, IDOK, 0);
            }
        }
    };
    MessageDlg("Au\xDF" "en", mtError, mbOK);
    timer.SetEnabled(false);
    ASSERT_EQ(stage, 3);

    HWND dialog = CreateWindowExA(0, "#32770", "Eigener Dialog", WS_POPUP | WS_CAPTION, 10, 10, 200, 100, nullptr,
                                  nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_TRUE(dialog);
    CreateWindowExA(0, "BUTTON", "Weiter", WS_CHILD | WS_VISIBLE, 10, 10, 80, 24, dialog,
                    reinterpret_cast<HMENU>(IDOK), GetModuleHandleA(nullptr), nullptr);
    ShowWindow(dialog, SW_SHOW);
    SetActiveWindow(dialog);
    PumpMessages(100);
    EXPECT_EQ(ItemText(dialog, IDOK), "Weiter");
    DestroyWindow(dialog);
}
