// The sections of the section list box: each a header row and, while expanded, one row per
// sub-item string; every change is mirrored into the list's rows.
#pragma once

#include <windows.h>

#include "Controls.h"
#include "Exceptions.h"
#include "Graphics.h"

#include <memory>
#include <string>
#include <vector>

class TListSection;
class TListSectionCollection;
class TSectionListBox;

class ESectionListBoxError : public Exception {
public:
    using Exception::Exception;
};

enum TListSectionState { lssExpanded, lssContracted };
enum TVAlignment { vtaCenter, vtaTop, vtaBottom };
enum TFontUsage { fuSubItems, fuSection, fuBoth };
enum TSectionControlType { scText, scCheckbox, scRadiobutton };
enum TSortDirection { sdNone, sdAscending, sdDescending };
enum TSectionLines { slNone, slVertical, slHorizontal, slBoth };

// The sub-item strings of a section, each with an object value: bit 16 is the check mark, the low
// 16 bits hold the sub-item's image index plus one (0: no image). Every change is mirrored into
// the list box's rows while the section is expanded.
class TSectionListStrings {
public:
    static constexpr unsigned CheckFlag = 0x10000;

    explicit TSectionListStrings(TListSection* section) : section_(section) {}

    int Count() const { return static_cast<int>(items_.size()); }
    const std::string& Strings(int index) const;
    void SetStrings(int index, const std::string& text);
    unsigned Objects(int index) const;
    void SetObjects(int index, unsigned value);
    int Add(const std::string& text, unsigned object = 0);
    void Insert(int index, const std::string& text, unsigned object = 0);
    void Delete(int index);
    void Clear();
    int IndexOf(const std::string& text) const;
    std::vector<std::string> ToVector() const;

private:
    friend class TListSection;
    struct TEntry {
        std::string text;
        unsigned object = 0;
    };
    void CheckIndex(int index) const;

    TListSection* section_;
    std::vector<TEntry> items_;
};

class TListSection {
public:
    // Made through TListSectionCollection::Add.
    TListSection(TListSectionCollection* collection, TSectionListBox* list);
    TListSection(const TListSection&) = delete;
    TListSection& operator=(const TListSection&) = delete;

    // The position in the collection.
    int Index() const;
    TSectionListBox* ListBox() const { return list_; }

    const std::string& Caption() const { return caption_; }
    void SetCaption(const std::string& caption);
    TSectionListStrings& SubItems() { return subItems_; }
    const TSectionListStrings& SubItems() const { return subItems_; }
    // Contracts the section, takes the strings (object values 0) and restores the state.
    void SetSubItems(const std::vector<std::string>& strings);
    TListSectionState State() const { return state_; }
    void SetState(TListSectionState state);

    int ImageIndex() const { return imageIndex_; }
    void SetImageIndex(int index) { imageIndex_ = index; Changed(); }
    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment alignment) { alignment_ = alignment; Changed(); }
    TVAlignment VAlignment() const { return vAlignment_; }
    void SetVAlignment(TVAlignment alignment) { vAlignment_ = alignment; Changed(); }
    bool AutoSize() const { return autoSize_; }
    void SetAutoSize(bool autoSize) { autoSize_ = autoSize; Changed(); }
    bool AutoEdit() const { return autoEdit_; }
    void SetAutoEdit(bool autoEdit) { autoEdit_ = autoEdit; }
    bool Fixed() const { return fixed_; }
    void SetFixed(bool fixed) { fixed_ = fixed; Changed(); }
    bool ReadOnly() const { return readOnly_; }
    void SetReadOnly(bool readOnly) { readOnly_ = readOnly; Changed(); }
    TColor Color() const { return color_; }
    void SetColor(TColor color) { color_ = color; Changed(); }
    TFont& Font() { return font_; }
    TFontUsage FontUsage() const { return fontUsage_; }
    void SetFontUsage(TFontUsage usage) { fontUsage_ = usage; Changed(); }
    bool EndEllipsis() const { return endEllipsis_; }
    // Rows of a section with end ellipsis count nothing for the horizontal extent.
    void SetEndEllipsis(bool endEllipsis);
    TSectionControlType ControlType() const { return controlType_; }
    // A check box or radio button moves the text: the rows are measured again.
    void SetControlType(TSectionControlType type);
    int RadioIndex() const { return radioIndex_; }
    void SetRadioIndex(int index) { radioIndex_ = index; Changed(); }
    TSortDirection SortDirection() const { return sortDirection_; }
    void SetSortDirection(TSortDirection direction);
    bool SortShow() const { return sortShow_; }
    void SetSortShow(bool show) { sortShow_ = show; Changed(); }
    TSectionLines Lines() const { return lines_; }
    void SetLines(TSectionLines lines) { lines_ = lines; Changed(); }
    bool OwnerDraw() const { return ownerDraw_; }
    void SetOwnerDraw(bool ownerDraw) { ownerDraw_ = ownerDraw; Changed(); }
    int ItemHeight() const { return itemHeight_; }
    void SetItemHeight(int height);
    int Tag() const { return tag_; }
    void SetTag(int tag) { tag_ = tag; }

    // Check marks of a check-box section. Reading outside 0..count-1 gives false; writing there
    // raises ESectionListBoxError.
    bool SubItemChecked(int index) const;
    void SetSubItemChecked(int index, bool checked);
    // The image of a sub-item in SubItemImages, -1 for none.
    int SubItemImageIndex(int index) const;
    void SetSubItemImageIndex(int index, int image);

    void Assign(const TListSection& source);

private:
    friend class TSectionListStrings;
    friend class TListSectionCollection;
    friend class TSectionListBox;
    void Changed();
    // Expanded, in a list box: the sub-items stand in its rows.
    bool RowsShown() const;
    // Mirror of a sub-item change into the rows (only while expanded).
    void StringAdded(int index);
    void StringInserted(int index);
    void StringDeleted(int index);
    void StringsCleared(int count);
    void StringChanged(int index);

    TListSectionCollection* collection_;
    TSectionListBox* list_;
    std::string caption_;
    TSectionListStrings subItems_{this};
    TListSectionState state_ = lssContracted;
    int imageIndex_ = -1;
    TAlignment alignment_ = taLeftJustify;
    TVAlignment vAlignment_ = vtaCenter;
    bool autoSize_ = true;
    bool autoEdit_ = false;
    bool fixed_ = false;
    bool readOnly_ = true;
    TColor color_ = clWindow;
    TFont font_;
    TFontUsage fontUsage_ = fuSubItems;
    bool endEllipsis_ = false;
    TSectionControlType controlType_ = scText;
    int radioIndex_ = 0;
    TSortDirection sortDirection_ = sdNone;
    bool sortShow_ = false;
    TSectionLines lines_ = slNone;
    bool ownerDraw_ = false;
    int itemHeight_ = 13;
    int tag_ = 0;
};

class TListSectionCollection {
public:
    explicit TListSectionCollection(TSectionListBox* list) : list_(list) {}
    TListSectionCollection(const TListSectionCollection&) = delete;
    TListSectionCollection& operator=(const TListSectionCollection&) = delete;

    int Count() const { return static_cast<int>(items_.size()); }
    // Throws Exception for an index outside the collection.
    TListSection& Items(int index) const;
    TListSection& operator[](int index) const { return Items(index); }
    // Appended, contracted, its header row added.
    TListSection& Add();
    // Removes the section with its rows.
    void Delete(int index);
    void Clear();
    // Copies the sections (with their sub-items and states) of another collection.
    void Assign(const TListSectionCollection& source);
    int IndexOf(const TListSection* section) const;

private:
    TSectionListBox* list_;
    std::vector<std::unique_ptr<TListSection>> items_;
};
