// The drive table: letters, the lazily read records and the drive choice of a combo box.
#include <windows.h>

#include "Exceptions.h"
#include "KtDriveInfo.h"

#include <gtest/gtest.h>

TEST(DriveInfo, LettersAreCheckedAndLowerCaseIsReadAsUpperCase)
{
    TDriveInfoRec rec;
    EXPECT_THROW(DriveInfo().GetDriveRec('c', rec), EConvertError);
    EXPECT_THROW(DriveInfo().GetDriveRec('1', rec), EConvertError);
    EXPECT_THROW(DriveInfo().ReadDriveStatus('#', 0), EConvertError);
    DriveInfo().ReadDriveStatus('c', drSize);
    DriveInfo().GetDriveRec('C', rec);
    EXPECT_TRUE(rec.Scanned);
    EXPECT_TRUE(rec.Valid) << "type " << rec.DriveType;
    EXPECT_TRUE(rec.DriveReady);
    EXPECT_GT(rec.Size, 0);
}

TEST(DriveInfo, NamesAndTheIconIndexOfTheSystemDrive)
{
    TDriveInfo table;
    TDriveInfoRec rec;
    table.GetDriveRec('C', rec);
    EXPECT_FALSE(rec.Scanned);
    EXPECT_EQ(rec.Size, -1);
    EXPECT_EQ(rec.ImageIndex, 0);
    EXPECT_TRUE(table.ReadDriveStatus('C', drIcon | drSize | drNames));
    table.GetDriveRec('C', rec);
    EXPECT_EQ(rec.PrettyName.substr(0, 3), "C: ") << rec.PrettyName;
    EXPECT_EQ(rec.LongName.substr(0, 3), "C: ") << rec.LongName;
    EXPECT_FALSE(rec.DisplayName.empty());
    EXPECT_NE(rec.ImageIndex, 0);
    const int index = rec.ImageIndex;
    table.ReadDriveStatus('C', drIcon);
    table.GetDriveRec('C', rec);
    EXPECT_EQ(rec.ImageIndex, index) << "read once";
}

TEST(DriveInfo, ANonExistentDriveIsInvalidAndEmpty)
{
    TDriveInfo table;
    char drive = 0;
    for (char c = 'Z'; c > 'D' && !drive; --c)
        if (GetDriveTypeA((std::string(1, c) + ":\\").c_str()) == DRIVE_NO_ROOT_DIR)
            drive = c;
    ASSERT_NE(drive, 0) << "every letter is a drive";
    EXPECT_FALSE(table.ReadDriveStatus(drive, drSize | drNames));
    TDriveInfoRec rec;
    table.GetDriveRec(drive, rec);
    EXPECT_FALSE(rec.Valid);
    EXPECT_EQ(rec.Size, 0);
    EXPECT_EQ(rec.DisplayName, "");
}

TEST(DriveInfo, TheComboTakesOnlyValidDrivesOfAllowedTypes)
{
    std::vector<std::string> items = {"A: Diskette", "C: System", "D: Daten"};
    EXPECT_EQ(TDriveChoice::FindDriveItem(items, 'C'), 1);
    EXPECT_EQ(TDriveChoice::FindDriveItem(items, 'X'), -1);
    TDriveChoice choice;
    choice.AllowedTypes = {DRIVE_REMOTE};
    choice.SetDrive('c', items);
    EXPECT_EQ(choice.Drive, '\0') << "a fixed drive is not allowed here";
    choice.AllowedTypes = {DRIVE_FIXED, DRIVE_REMOTE};
    choice.SetDrive('c', items);
    EXPECT_EQ(choice.Drive, 'C');
    EXPECT_EQ(choice.ItemIndex, 1);
}
