// Handles this thread's window messages in tests, until a condition holds or time runs out.
#pragma once

#include <windows.h>

#include <functional>

// Returns whether `done` held before the timeout.
bool PumpMessagesUntil(const std::function<bool()>& done, DWORD timeoutMs = 3000);
// Handles what is queued now, and keeps handling for `forMs` milliseconds.
void PumpMessages(DWORD forMs = 0);
