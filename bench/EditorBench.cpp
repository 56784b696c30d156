// Times the editor's operations on the picture, each with the repaint it causes, against the
// whole picture's repaint alone, in alternating runs. Run by hand: EditorBench.exe
#include <windows.h>

#include "BenchTiming.h"
#include "EditorStartup.h"
#include "Forms.h"
#include "Info.h"
#include "fontunit.h"
#include "malen.h"

#include <cstdio>
#include <functional>
#include <string>

namespace {

constexpr int OperationsPerRun = 18;   // as many steps as the history can undo

// Everything the operation left to do, paints included.
void Settle()
{
    RedrawWindow(Form1->Handle(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    Application.ProcessMessages();
    GdiFlush();
}

// A press and a release at picture pixel (px, py), as the mouse sends them to the window.
void ClickPixel(int px, int py, bool left)
{
    const LPARAM at = MAKELPARAM(Form1->Image7->Left() + px * 8 + 1, Form1->Image7->Top() + py * 8 + 1);
    SendMessageA(Form1->Handle(), left ? WM_LBUTTONDOWN : WM_RBUTTONDOWN, left ? MK_LBUTTON : MK_RBUTTON, at);
    SendMessageA(Form1->Handle(), left ? WM_LBUTTONUP : WM_RBUTTONUP, 0, at);
}

// The picture's view, its grid and the preview painted again whole, as every change once had them.
void WholeRepaint()
{
    Form1->Image1->Invalidate();
    Form1->pbox->Invalidate();
    Form1->Image7->Invalidate();
}

// Seconds per operation, over a run of them; the operation is told the run and its step.
double PerOperation(int run, const std::function<void(int, int)>& operation)
{
    return bench::SecondsOf([&] {
               for (int i = 0; i < OperationsPerRun; ++i) {
                   operation(run, i);
                   Settle();
               }
           }) /
           OperationsPerRun;
}

void Measure(const std::string& what, const std::function<void()>& prepare,
             const std::function<void(int, int)>& operation)
{
    bench::Samples ours, repaint;
    for (int run = 0; run < bench::Runs(); ++run) {
        prepare();
        Settle();
        auto timeOperation = [&] { ours.values.push_back(PerOperation(run, operation)); };
        auto timeRepaint = [&] {
            repaint.values.push_back(PerOperation(run, [](int, int) { WholeRepaint(); }));
        };
        if (run % 2 == 0) {
            timeOperation();
            timeRepaint();
        } else {
            timeRepaint();
            timeOperation();
        }
    }
    bench::Report(what + " | the whole repaint alone", ours, repaint);
}

void SelectTool(TMaskSpeedButton* button)
{
    Form1->ToolButtonClick(button);
}

}  // namespace

int main()
{
    Application.Initialize();
    Application.SetTitle("Quillandora! Editor");
    CreateEditorForms();
    Form1->Show();
    Settle();

    // The least any change costs: one cell of the view painted, nothing else done.
    Measure("one cell's repaint", [] {}, [](int, int i) {
        RECT cell = {Form1->pbox->Left() + (i % 32) * 8, Form1->pbox->Top() + (i * 7 % 32) * 8, 0, 0};
        cell.right = cell.left + 8;
        cell.bottom = cell.top + 8;
        InvalidateRect(Form1->Handle(), &cell, FALSE);
    });
    // The pen and the line hit the same pixels in every run, with the left and the right button
    // in turn from run to run, so that every click changes its pixel.
    Measure("pen click", [] { SelectTool(Form1->bStift); },
            [](int run, int i) { ClickPixel(i % 32, (i * 7) % 32, run % 2 == 0); });
    // Left and right in turn, so that every fill changes the whole picture.
    Measure("fill click", [] { SelectTool(Form1->bFuellwerkzeug); }, [](int, int i) { ClickPixel(5, 5, i % 2 == 0); });
    Measure("line click", [] { SelectTool(Form1->bLinie); }, [](int run, int i) { ClickPixel(i % 32, 3, run % 2 == 0); });
    Measure("rotate", [] {}, [](int, int) { Form1->bRotierenClick(Form1); });
    Measure("undo", [] {
        for (int i = 0; i <= OperationsPerRun; ++i)
            Form1->bRotierenClick(Form1);
    }, [](int, int) { Form1->SpeedButton4Click(Form1); });

    // The forms go before the program's globals do.
    delete InfoForm;
    delete FontForm;
    delete Form1;
    return 0;
}
