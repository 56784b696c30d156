// TqelIconListBox: every icon of one file (icon file, icon library or program) side by side in
// an owner-drawn, multi-column system list box, one item per icon index.
#pragma once

#include <windows.h>

#include "Controls.h"
#include "Icon.h"
#include "IconFileReader.h"
#include "IconImagePainter.h"

#include <memory>
#include <string>
#include <vector>

class TqelIconListBox : public TWinControl {
public:
    explicit TqelIconListBox(TComponent* owner);
    ~TqelIconListBox() override;

    // A different name (exact comparison) reloads the list, then OnFileChange runs.
    const std::string& FileName() const { return fileName_; }
    void SetFileName(const std::string& fileName);
    // On: the control is enabled only while FileName names an existing file.
    bool AutoDisable() const { return autoDisable_; }
    void SetAutoDisable(bool autoDisable);
    // On: an icon is extracted when first needed. Off: all are extracted when the file is
    // loaded (switching it off reloads).
    bool EnableCaching() const { return enableCaching_; }
    void SetEnableCaching(bool enableCaching);
    // Pixels added to the system icon size for the column width and the item height.
    int Margin() const { return margin_; }
    void SetMargin(int margin);
    // The icons of the file; -1 when no file is loaded (none named, or it does not exist).
    int NumberOfIcons() const { return numberOfIcons_; }
    std::string Version() const { return "TqelIconListBox v1.16"; }

    int ItemHeight() const;
    int ColumnWidth() const;
    int ItemCount() const { return static_cast<int>(icons_.size()); }
    // -1: nothing selected.
    int ItemIndex() const;
    void SetItemIndex(int index);
    // The icon of an item, owned by the list box; nullptr outside the list or when the file
    // gives no icon at that index. An item drawn before has its icon made from the image it
    // was drawn from.
    TIcon* GetIcon(int index);

    // A new window for the same items; their icons stay.
    void RecreateWnd();

    TNotifyEvent OnFileChange;

protected:
    void CreateParams(TCreateParams& params) override;
    void CreateWnd() override;
    bool Reflected(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    void TextChanged() override {}
    // Paints one item on `canvas`, whose brush already has the selected or normal colour.
    virtual void DrawItem(TCanvas& canvas, int index, const RECT& rect);

private:
    void Reload();
    // Icon `index` of the loaded file, or nullptr when the file gives none.
    std::unique_ptr<TIcon> FetchIcon(int index);
    // The checked bytes of item `index`'s image, kept from its first drawing on; nullptr when
    // the file gives none.
    const std::vector<uint8_t>* ItemImage(int index);
    // The items the window shows at once.
    int ItemsPerScreen() const;
    void ApplyAutoDisable();
    void FillWindow();
    void DrawItemMessage(const DRAWITEMSTRUCT& item);

    std::string fileName_;
    bool autoDisable_ = true;
    bool enableCaching_ = true;
    int margin_ = 5;
    int numberOfIcons_ = -1;
    int itemIndex_ = -1;   // while there is no window
    // The items: icons live here rather than in the window's item data, so a new window (or
    // the system deleting the window's items) never touches them.
    std::vector<std::unique_ptr<TIcon>> icons_;
    // Per item, the image its drawing and its icon come from; icons are made only when asked
    // for, or for images only the platform draws faithfully.
    std::vector<std::shared_ptr<const std::vector<uint8_t>>> images_;
    std::unique_ptr<TIconFileReader> reader_;
    TCanvas itemCanvas_;
    TIconImagePainter painter_;
};
