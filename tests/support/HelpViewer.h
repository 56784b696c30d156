// The platform's help viewer as a test sees it: the text of the topic it shows, the message boxes
// on the screen, and ending it again.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// The text of the viewer's topic once it holds every one of `expected` (a bounded wait, pumping
// this thread's messages); otherwise what it showed when the time ran out ("" without a viewer).
std::string WaitForHelpText(const std::vector<std::string>& expected, DWORD timeoutMs = 30000);
// "caption: text" of every message box or dialog shown on the screen, of any process.
std::vector<std::string> VisibleDialogs();
// Asks the viewer to end and waits until its window is gone; true when it is.
bool CloseHelpViewer(const std::string& helpFile);
