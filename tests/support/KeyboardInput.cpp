// Key input for tests.
#include "KeyboardInput.h"

#include <vector>

bool TypeKeys(const std::string& text)
{
    std::vector<INPUT> inputs;
    for (char c : text) {
        const SHORT scan = VkKeyScanA(c);
        if (scan == -1)
            return false;
        const bool shift = (HIBYTE(scan) & 1) != 0;
        auto key = [&](WORD vk, bool up) {
            INPUT input = {};
            input.type = INPUT_KEYBOARD;
            input.ki.wVk = vk;
            input.ki.wScan = static_cast<WORD>(MapVirtualKeyA(vk, MAPVK_VK_TO_VSC));
            input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
            inputs.push_back(input);
        };
        if (shift)
            key(VK_SHIFT, false);
        key(LOBYTE(scan), false);
        key(LOBYTE(scan), true);
        if (shift)
            key(VK_SHIFT, true);
    }
    return SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT)) == inputs.size();
}
