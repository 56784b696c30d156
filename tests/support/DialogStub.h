// A dialog service for tests: records every request and answers from queues set up beforehand.
// Installed for its lifetime; nothing blocks and nothing is started (help only when asked).
#pragma once

#include "Dialogs.h"
#include "Forms.h"

#include <deque>
#include <string>
#include <vector>

class DialogStub : public TDialogService {
public:
    DialogStub();
    ~DialogStub() override;
    DialogStub(const DialogStub&) = delete;
    DialogStub& operator=(const DialogStub&) = delete;

    struct Message {
        std::string text, caption;
        TMsgDlgType type;
        TMsgDlgButtons buttons;
    };
    struct Shell {
        HWND owner;
        std::string verb, file, parameters, directory;
        int show;
    };
    struct Help {
        HWND owner;
        std::string file, keyword;
    };

    // Answers in order; when empty: mrOk for an OK button, else the first of Yes, No, Cancel.
    std::deque<int> messageAnswers;
    // File names to choose in order; "" cancels; when empty, every file dialog is cancelled.
    std::deque<std::string> fileAnswers;
    std::deque<TColor> colorAnswers;   // when empty: cancelled
    std::deque<bool> fontAnswers;      // true: accepted unchanged; when empty: cancelled

    std::vector<Message> messages;
    std::vector<TFileDialogRequest> fileRequests;
    std::vector<Shell> shellCalls;
    std::vector<Help> helpCalls;
    std::vector<HWND> drags;
    int colorRequests = 0;
    int fontRequests = 0;
    // Help calls are recorded and, when set, passed on to the platform's help viewer too.
    bool helpReachesTheViewer = false;

    int MessageDialog(const std::string& text, const std::string& caption, TMsgDlgType type,
                      TMsgDlgButtons buttons) override;
    bool FileDialog(TFileDialogRequest& request) override;
    bool ColorDialog(HWND owner, TColor& color) override;
    bool FontDialog(HWND owner, TFont& font) override;
    bool ShellExecuteFile(HWND owner, const std::string& verb, const std::string& file,
                          const std::string& parameters, const std::string& directory, int show) override;
    bool ShowHelp(HWND owner, const std::string& helpFile, const std::string& keyword) override;
    void DragWindow(HWND window) override;

private:
    TDialogService* previous_;
};
