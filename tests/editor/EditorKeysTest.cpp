// The editor's keyboard table: which released key with which shift keys runs what.
#include <windows.h>

#include "EditorKeys.h"

#include <gtest/gtest.h>

TEST(EditorKeys, CtrlLettersRunTheirCommands)
{
    const struct {
        WORD key;
        TEditorCommand command;
    } letters[] = {{'N', ecNew}, {'O', ecOpen}, {'S', ecSave}, {'Z', ecUndo}, {'V', ecPaste}, {'C', ecCopy}};
    for (const auto& letter : letters) {
        EXPECT_EQ(EditorShortcut(letter.key, ssCtrl, false), letter.command) << "Ctrl+" << char(letter.key);
        EXPECT_EQ(EditorShortcut(letter.key, ssCtrl, true), ecNone) << "Ctrl+" << char(letter.key) << " while busy";
        EXPECT_EQ(EditorShortcut(letter.key, 0, false), ecNone) << char(letter.key) << " alone";
        EXPECT_EQ(EditorShortcut(letter.key, ssCtrl | ssShift, false), ecNone) << "Ctrl+Shift+" << char(letter.key);
        EXPECT_EQ(EditorShortcut(letter.key, ssCtrl | ssAlt, false), ecNone) << "Ctrl+Alt+" << char(letter.key);
    }
    // Mouse buttons held meanwhile do not matter.
    EXPECT_EQ(EditorShortcut('S', ssCtrl | ssLeft, false), ecSave);
}

TEST(EditorKeys, KeysWhoseCodesLookLikeLowerCaseLettersDoNothing)
{
    // F4 = 's', F7 = 'v', F11 = 'z', numpad 3 = 'c', decimal = 'n', divide = 'o'.
    for (WORD key : {WORD(VK_F4), WORD(VK_F7), WORD(VK_F11), WORD(VK_NUMPAD3), WORD(VK_DECIMAL), WORD(VK_DIVIDE),
                     WORD(VK_NUMPAD0), WORD(VK_ADD), WORD('A'), WORD('1')})
        EXPECT_EQ(EditorShortcut(key, ssCtrl, false), ecNone) << "Ctrl with key code " << key;
}

TEST(EditorKeys, F1OpensHelpInEveryState)
{
    for (TShiftState shift : {0u, unsigned(ssCtrl), unsigned(ssShift | ssAlt)})
        for (bool busy : {false, true})
            EXPECT_EQ(EditorShortcut(VK_F1, shift, busy), ecHelp) << "shift " << shift << " busy " << busy;
}
