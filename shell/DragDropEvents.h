// The drag-and-drop events that the drive tree and the file list pass on from their
// drag-and-drop component, each fired after the view's own handling of the step with the view as
// sender.
#pragma once

#include <windows.h>
#include <ole2.h>

#include "Component.h"
#include "DragDetector.h"

#include <functional>
#include <string>

struct TDragDropEvents {
    using TDDDragEnterEvent = std::function<void(TComponent* sender, IDataObject* data, DWORD keyState, POINT pt,
                                                 DWORD& effect, bool& accept)>;
    using TDDDragLeaveEvent = std::function<void(TComponent* sender)>;
    using TDDDragOverEvent = std::function<void(TComponent* sender, DWORD keyState, POINT pt, DWORD& effect)>;
    using TDDDropEvent = std::function<void(TComponent* sender, IDataObject* data, DWORD keyState, POINT pt,
                                            DWORD& effect)>;
    using TDDQueryContinueDragEvent = std::function<void(TComponent* sender, BOOL escapePressed, DWORD keyState,
                                                         HRESULT& result)>;
    using TDDGiveFeedbackEvent = std::function<void(TComponent* sender, DWORD effect, HRESULT& result)>;
    using TDDDragDetectEvent = std::function<void(TComponent* sender, DWORD keyState, POINT detectStart, POINT pt,
                                                  TDragDetectStatus status)>;
    using TDDProcessDroppedEvent = std::function<void(TComponent* sender, DWORD keyState, POINT pt, DWORD effect)>;
    using TDDErrorEvent = std::function<void(TComponent* sender, int errorNo)>;
    using TDDExecutedEvent = std::function<void(TComponent* sender, DWORD effect)>;
    using TDDFileOperationEvent = std::function<void(TComponent* sender, DWORD effect, const std::string& sourcePath,
                                                     const std::string& targetPath, bool& doOperation)>;
    using TDDFileOperationExecutedEvent = std::function<void(TComponent* sender, DWORD effect,
                                                             const std::string& sourcePath,
                                                             const std::string& targetPath)>;

    TDDDragEnterEvent OnDDDragEnter;
    TDDDragLeaveEvent OnDDDragLeave;
    TDDDragOverEvent OnDDDragOver;
    TDDDropEvent OnDDDrop;
    TDDQueryContinueDragEvent OnDDQueryContinueDrag;
    TDDGiveFeedbackEvent OnDDGiveFeedback;
    TDDDragDetectEvent OnDDDragDetect;
    TDDProcessDroppedEvent OnDDProcessDropped;
    TDDErrorEvent OnDDError;
    TDDExecutedEvent OnDDExecuted;
    TDDFileOperationEvent OnDDFileOperation;
    TDDFileOperationExecutedEvent OnDDFileOperationExecuted;
};
