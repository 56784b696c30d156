// Typing for tests: real key input through the system's input queue, which reaches whatever
// window has the keyboard focus, as the user's keys do.
#pragma once

#include <windows.h>

#include <string>

// Presses and releases the key of each character (letters, digits, blanks); false when the
// system took not all of the input.
bool TypeKeys(const std::string& text);
