// A borderless form at a fixed place of the screen for a control's tests, freed with the test:
// the controls put on it, the mouse messages the system would send it, and what it paints.
#pragma once

#include <windows.h>

#include "Bitmap.h"
#include "Forms.h"
#include "ListView.h"
#include "MessagePump.h"

#include <memory>
#include <string>
#include <vector>

// The text of a list view window's row in one column, as the window shows it.
std::string ListViewText(HWND window, int row, int column);

struct TestForm {
    TestForm(int left, int top, int width, int height);

    // A control of type T on the form, at a place of its client area; the form owns it.
    template <typename T>
    T* Add(int left, int top, int width, int height)
    {
        auto* control = new T(form.get());
        control->SetParent(form.get());
        control->SetBounds(left, top, width, height);
        return control;
    }

    // Mouse messages sent to the form as the system sends them for a windowless control, at a
    // point given from `mouseOrigin` (the control's corner, say).
    void Send(UINT msg, int x, int y, WPARAM keys = 0);
    void Move(int x, int y) { Send(WM_MOUSEMOVE, x, y); }
    void Press(int x, int y) { Send(WM_LBUTTONDOWN, x, y, MK_LBUTTON); }
    void Release(int x, int y) { Send(WM_LBUTTONUP, x, y); }
    void Send(UINT msg, POINT p, WPARAM keys = 0) { Send(msg, p.x, p.y, keys); }
    void Move(POINT p) { Move(p.x, p.y); }
    void Press(POINT p) { Press(p.x, p.y); }
    void Release(POINT p) { Release(p.x, p.y); }
    // The mouse leaves the form.
    void MoveAway();

    // The form's client area as it paints itself.
    std::unique_ptr<TBitmap> Shot();

    std::unique_ptr<TForm> form;
    POINT mouseOrigin = {0, 0};
};

// A list view of type List on a form, 20 pixels smaller than the form, in report view unless
// asked otherwise, with the columns and items a test adds.
template <typename List>
struct ListViewOnForm : TestForm {
    ListViewOnForm(int left, int top, int width, int height, bool report = true) : TestForm(left, top, width, height)
    {
        list = Add<List>(0, 0, width - 20, height - 20);
        if (report)
            list->SetViewStyle(vsReport);
    }

    void AddColumns(const std::vector<std::string>& captions, int width = 100)
    {
        for (const std::string& caption : captions) {
            TListColumn* column = list->Columns().Add();
            column->SetCaption(caption);
            column->SetWidth(width);
        }
    }

    TListItem* AddItem(const std::string& caption, const std::vector<std::string>& subItems = {})
    {
        TListItem* item = list->Items().Add();
        item->SetCaption(caption);
        for (const std::string& text : subItems)
            item->SubItems().Add(text);
        return item;
    }

    void Show()
    {
        form->Show();
        PumpMessages();
    }

    // The rows of the window, and the text of a row's column, as the window shows them.
    int ShownRows() { return static_cast<int>(SendMessageA(list->Handle(), LVM_GETITEMCOUNT, 0, 0)); }
    std::string ShownText(int row, int column) { return ListViewText(list->Handle(), row, column); }

    // A column's place in the header (of the list views that have one of their own).
    RECT HeaderItemRect(int column)
    {
        RECT rect = {};
        SendMessageA(list->HeaderHandle(), HDM_GETITEMRECT, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&rect));
        return rect;
    }

    List* list;
};
