// Common controls: TPageControl with its TTabSheet pages, and TStatusBar (one simple text).
#pragma once

#include <windows.h>

#include "Controls.h"
#include "Exceptions.h"

#include <string>
#include <vector>

enum TTabStyle { tsTabs, tsButtons, tsFlatButtons };

class TPageControl;

// A page of a page control; only the active page is visible.
class TTabSheet : public TWinControl {
public:
    explicit TTabSheet(TComponent* owner);
    ~TTabSheet() override;

    TPageControl* PageControl() const { return pageControl_; }
    // Also makes the page control the parent.
    void SetPageControl(TPageControl* pageControl);
    // Pages without a visible tab are reached only through ActivePage.
    bool TabVisible() const { return tabVisible_; }
    void SetTabVisible(bool visible);

protected:
    void CreateParams(TCreateParams& params) override;
    void TextChanged() override;

private:
    friend class TPageControl;
    TPageControl* pageControl_ = nullptr;
    bool tabVisible_ = true;
};

class TPageControl : public TWinControl {
public:
    explicit TPageControl(TComponent* owner);
    ~TPageControl() override;

    int PageCount() const { return static_cast<int>(pages_.size()); }
    TTabSheet* Pages(int index) const { return ListAt(pages_, index); }
    TTabSheet* ActivePage() const { return activePage_; }
    void SetActivePage(TTabSheet* page);
    int ActivePageIndex() const;
    void SetActivePageIndex(int index);
    TTabStyle Style() const { return style_; }
    void SetStyle(TTabStyle style);

    // After the user chose another tab.
    TNotifyEvent OnChange;

protected:
    void CreateParams(TCreateParams& params) override;
    void CreateWnd() override;
    bool Reflected(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    // The pages fill the area below the tabs.
    void AlignControls() override;

private:
    friend class TTabSheet;
    void InsertPage(TTabSheet* page);
    void RemovePage(TTabSheet* page);
    void UpdateTabs();
    int TabIndexOf(const TTabSheet* page) const;
    DWORD StyleBits() const;

    std::vector<TTabSheet*> pages_;
    TTabSheet* activePage_ = nullptr;
    TTabStyle style_ = tsTabs;
};

class TStatusBar : public TWinControl {
public:
    explicit TStatusBar(TComponent* owner);

    const std::string& SimpleText() const { return simpleText_; }
    void SetSimpleText(const std::string& text);

    // With panels the bar shows them side by side instead of the simple text; the last one
    // reaches to the bar's end.
    void SetPanelWidths(const std::vector<int>& widths);
    int PanelCount() const { return static_cast<int>(panels_.size()); }
    std::string PanelText(int index) const;
    void SetPanelText(int index, const std::string& text);

protected:
    void CreateParams(TCreateParams& params) override;
    void CreateWnd() override;
    void ColorChanged() override;
    // The text is drawn here: the bar itself paints it on the button face whatever its colour.
    bool Reflected(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    void ApplyColor();
    void ApplyText();

    struct Panel {
        int width;
        std::string text;
    };
    std::string simpleText_;
    std::vector<Panel> panels_;
};
