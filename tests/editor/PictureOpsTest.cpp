// Shifting and rotating the picture, and its history: where pixels go, what comes in at the
// edge, and how many steps can be taken back.
#include <windows.h>

#include "EditorModel.h"
#include "Exceptions.h"
#include "PictureOps.h"
#include "PicturePattern.h"
#include "TransparentKey.h"
#include "UndoHistory.h"

#include <gtest/gtest.h>

namespace {

constexpr int N = PictureSize;

void PatternPicture(TBitmap& picture)
{
    picture.SetSize(N, N);
    FillPattern(picture);
}

struct ShiftCase {
    TShiftDirection direction;
    const char* name;
    int dx, dy;   // where a pixel moves
};

const ShiftCase Shifts[] = {
    {sdUp, "up", 0, -1}, {sdDown, "down", 0, 1}, {sdRight, "right", 1, 0}, {sdLeft, "left", -1, 0}};

}  // namespace

TEST(PictureOps, ShiftMovesEveryPixelOneStepAndFillsOnlyTheRowOrColumnLeftBehind)
{
    for (const ShiftCase& shift : Shifts) {
        TBitmap picture;
        PatternPicture(picture);
        ShiftPicture(picture, shift.direction, TransparentKeyColor);
        std::string difference = FirstDifference(picture, [&](int x, int y) {
            int fromX = x - shift.dx, fromY = y - shift.dy;
            if (fromX < 0 || fromY < 0 || fromX >= N || fromY >= N)
                return TransparentKeyColor;
            return PatternColour(fromX, fromY);
        });
        EXPECT_EQ(difference, "") << "shift " << shift.name;
    }
}

TEST(PictureOps, ShiftConvertsAnotherFormatFirst)
{
    TBitmap picture(N, N);
    picture.Canvas().Brush().SetColor(clRed);
    picture.Canvas().FillRect({0, 0, N, N});
    picture.SetPixelFormat(pf8bit);
    ShiftPicture(picture, sdLeft, clBlue);
    EXPECT_EQ(picture.PixelFormat(), pf24bit);
    EXPECT_EQ(Hex(picture.PixelColor(0, 0)), Hex(clRed));
    EXPECT_EQ(Hex(picture.PixelColor(N - 1, 5)), Hex(clBlue));
}

TEST(PictureOps, RotationTurnsAnticlockwiseAndFourTurnsGiveThePictureBack)
{
    TBitmap picture;
    PatternPicture(picture);
    RotatePicture(picture);
    // The top-right corner comes to the top left: new (x, y) = old (31 - y, x).
    EXPECT_EQ(Hex(picture.PixelColor(0, 0)), Hex(PatternColour(31, 0)));
    EXPECT_EQ(FirstDifference(picture, [](int x, int y) { return PatternColour(N - 1 - y, x); }), "");
    for (int turn = 2; turn <= 4; ++turn)
        RotatePicture(picture);
    EXPECT_EQ(FirstDifference(picture, PatternColour), "") << "after four turns";
}

TEST(PictureOps, NonSquarePictureIsRefused)
{
    TBitmap picture(4, 3);
    EXPECT_THROW(RotatePicture(picture), EInvalidGraphic);
    EXPECT_THROW(ShiftPicture(picture, sdUp, clBlack), EInvalidGraphic);
}

TEST(PictureOps, ClearMakesA24BitPictureOfTheRightSize)
{
    TBitmap picture(5, 7, pf8bit);
    ClearPicture(picture, TransparentKeyColor);
    EXPECT_EQ(picture.Width(), N);
    EXPECT_EQ(picture.Height(), N);
    EXPECT_EQ(picture.PixelFormat(), pf24bit);
    EXPECT_EQ(FirstDifference(picture, [](int, int) { return TransparentKeyColor; }), "");
}

TEST(PictureOps, TheChangedAreaBoundsEveryDifferingPixel)
{
    TBitmap before, after;
    PatternPicture(before);
    PatternPicture(after);
    RECT area = ChangedArea(before, after);
    EXPECT_TRUE(IsRectEmpty(&area)) << "alike";

    after.Canvas().SetPixel(7, 3, clLime);
    area = ChangedArea(before, after);
    EXPECT_EQ(area.left, 7);
    EXPECT_EQ(area.top, 3);
    EXPECT_EQ(area.right, 8);
    EXPECT_EQ(area.bottom, 4);

    // The first and last pixel of a row, and the last row.
    after.Canvas().SetPixel(0, 9, clLime);
    after.Canvas().SetPixel(N - 1, N - 1, clLime);
    area = ChangedArea(before, after);
    EXPECT_EQ(area.left, 0);
    EXPECT_EQ(area.top, 3);
    EXPECT_EQ(area.right, N);
    EXPECT_EQ(area.bottom, N);

    TBitmap larger(N, N + 2);
    area = ChangedArea(before, larger);
    EXPECT_EQ(area.right, N);
    EXPECT_EQ(area.bottom, N + 2) << "another size differs everywhere";
    TBitmap none;
    area = ChangedArea(none, before);
    EXPECT_EQ(area.right, N) << "from nothing";
}

// ---------------------------------------------------------------------------------------------
// The history

namespace {

// A model after New, with one distinct edit per step: pixel (i, 0) becomes red.
struct EditedModel {
    TBitmap picture;
    TEditorModel model{picture};

    EditedModel() { model.NewPicture(); }
    void Edit(int i)
    {
        picture.Canvas().SetPixel(i % N, i / N, clRed);
        model.PictureChanged();
    }
    int RedPixels() const
    {
        int count = 0;
        for (int y = 0; y < N; ++y)
            for (int x = 0; x < N; ++x)
                count += picture.PixelColor(x, y) == clRed;
        return count;
    }
};

}  // namespace

TEST(EditorHistory, AfterNewThereIsNothingToUndoAndOneEditGoesBackToTheBlankPicture)
{
    EditedModel m;
    EXPECT_FALSE(m.model.UndoAvailable()) << "count " << m.model.UndoCount();
    EXPECT_FALSE(m.model.Modified);
    EXPECT_FALSE(m.model.Undo());

    m.Edit(0);
    EXPECT_TRUE(m.model.Modified) << "the first change after New counts";
    ASSERT_TRUE(m.model.UndoAvailable());
    EXPECT_TRUE(m.model.Undo());
    EXPECT_EQ(FirstDifference(m.picture, [](int, int) { return TransparentKeyColor; }), "");
    EXPECT_FALSE(m.model.UndoAvailable()) << "count " << m.model.UndoCount();
}

TEST(EditorHistory, TwentyEditsLeaveEighteenStepsBackAndTheCountStaysCapped)
{
    EditedModel m;
    for (int i = 0; i < 20; ++i) {
        m.Edit(i);
        EXPECT_LE(m.model.UndoCount(), TUndoHistory::MaxCount) << "after edit " << i + 1;
    }
    EXPECT_EQ(m.model.UndoCount(), TUndoHistory::MaxCount);
    int steps = 0;
    while (m.model.Undo()) {
        ++steps;
        EXPECT_EQ(m.RedPixels(), 20 - steps) << "after " << steps << " steps back";
    }
    EXPECT_EQ(steps, 18);
    EXPECT_EQ(m.RedPixels(), 2) << "the oldest states fell out";
}

TEST(EditorHistory, NothingCanBeUndoneDuringAGesture)
{
    EditedModel m;
    m.Edit(0);
    m.model.Busy = true;
    EXPECT_FALSE(m.model.UndoAvailable());
    EXPECT_FALSE(m.model.Undo());
    EXPECT_EQ(m.RedPixels(), 1);
    m.model.Busy = false;
    m.model.ShapeInProgress = true;
    EXPECT_FALSE(m.model.Undo());
    m.model.ShapeInProgress = false;
    EXPECT_TRUE(m.model.Undo());
}

TEST(EditorHistory, NewForgetsTheHistoryAndTheFileName)
{
    EditedModel m;
    m.Edit(0);
    m.Edit(1);
    m.model.CurrentFileName = "C:\\x.ico";
    m.model.NewPicture();
    EXPECT_FALSE(m.model.Modified);
    EXPECT_EQ(m.model.UndoCount(), 1);
    EXPECT_EQ(m.model.CurrentFileName, "");
    EXPECT_EQ(m.RedPixels(), 0);
}

TEST(EditorHistory, WholePictureCommandsMarkTheChangeAndCanBeUndone)
{
    struct Command {
        const char* name;
        void (*run)(TEditorModel&);
    };
    const Command commands[] = {
        {"shift up", [](TEditorModel& m) { m.Shift(sdUp); }},
        {"rotate", [](TEditorModel& m) { m.Rotate(); }},
        {"mirror left-right", [](TEditorModel& m) { m.MirrorLeftRight(); }},
        {"mirror top-bottom", [](TEditorModel& m) { m.MirrorTopBottom(); }},
    };
    for (const Command& command : commands) {
        EditedModel m;
        FillPattern(m.picture);
        m.model.ResetUndo();
        m.model.PushUndo();
        command.run(m.model);
        EXPECT_TRUE(m.model.Modified) << command.name;
        EXPECT_NE(FirstDifference(m.picture, PatternColour), "") << command.name << " changed nothing";
        ASSERT_TRUE(m.model.Undo()) << command.name;
        EXPECT_EQ(FirstDifference(m.picture, PatternColour), "") << command.name << " undone";
    }
}

TEST(EditorColours, ButtonsSetTheirOwnColourAndTheMiddleButtonNone)
{
    TBitmap picture;
    TEditorModel model(picture);
    EXPECT_TRUE(model.SetButtonColor(mbLeft, clRed));
    EXPECT_TRUE(model.SetButtonColor(mbRight, clBlue));
    EXPECT_FALSE(model.SetButtonColor(mbMiddle, clLime));
    EXPECT_EQ(Hex(model.PrimaryColor), Hex(clRed));
    EXPECT_EQ(Hex(model.SecondaryColor), Hex(clBlue));
    model.SwapColors();
    EXPECT_EQ(Hex(model.PrimaryColor), Hex(clBlue));
    EXPECT_EQ(Hex(model.SecondaryColor), Hex(clRed));
}
