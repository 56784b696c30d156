// TDragDetector: tells a drag from a click. After a button goes down on the control, a mouse
// hook of the thread watches until the pointer leaves the press's square (a drag), the button
// comes up (none) or the other button goes down too (cancelled until both are up). One
// detector at a time holds the hook.
#pragma once

#include <windows.h>

#include <functional>

enum TDragDetectStatus { ddsNone = 0, ddsLeft = 1, ddsRight = 2, ddsCancel = 3, ddsDrag = 4 };

class TDragDetector {
public:
    // Hears every reported change: the modifier keys (MK_SHIFT, MK_CONTROL), where the button
    // went down and where the pointer is, all in screen coordinates.
    using TReport = std::function<void(DWORD keyState, POINT detectStart, POINT pt, TDragDetectStatus status)>;

    // `delta` is the owner's setting, read at every move: how far the pointer may stray in x
    // and y before a drag starts.
    TDragDetector(const BYTE& delta, TReport report);
    ~TDragDetector();
    TDragDetector(const TDragDetector&) = delete;
    TDragDetector& operator=(const TDragDetector&) = delete;

    TDragDetectStatus Status() const { return status_; }
    // Sets the state without a report (a drag started or refused by code).
    void SetStatus(TDragDetectStatus status) { status_ = status; }
    // Whether this detector holds the hook.
    bool Detecting() const;

    // 0 left, 1 right: begins as a button press does; anything else only sets ddsNone.
    void Start(int button);
    // A press of the left (ddsLeft) or right (ddsRight) button at the cursor: takes the hook
    // over from any other detector, which reports ddsNone.
    void Begin(TDragDetectStatus status);
    // Ends the detection with a ddsNone report (the buttons are up, seen by the control).
    void Cancel();
    // Gives the hook up when this detector holds it; no report.
    void ReleaseHook();
    // The hook's work for one mouse message of the thread (screen coordinates).
    void MouseMessage(UINT msg, POINT pt);

private:
    void Report(TDragDetectStatus status, POINT pt = {});

    const BYTE& delta_;
    TReport report_;
    TDragDetectStatus status_ = ddsNone;
    POINT detectStart_ = {};
    int buttonCount_ = 0;
};
