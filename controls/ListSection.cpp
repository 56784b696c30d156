// The sections of the section list box and their sub-item strings, mirrored into the list's rows.
#include <windows.h>

#include "ListSection.h"

#include "SectionRows.h"
#include "slstbox.h"

#include <algorithm>


namespace {

const char* const SubItemIndexError = "Access of imageindex of non-existing subitem";

}  // namespace

// ---------------------------------------------------------------------------------------------
// TSectionListStrings

void TSectionListStrings::CheckIndex(int index) const
{
    if (index < 0 || index >= Count())
        throw ListIndexError(index);
}

const std::string& TSectionListStrings::Strings(int index) const
{
    CheckIndex(index);
    return items_[static_cast<size_t>(index)].text;
}

void TSectionListStrings::SetStrings(int index, const std::string& text)
{
    CheckIndex(index);
    if (items_[static_cast<size_t>(index)].text == text)
        return;
    items_[static_cast<size_t>(index)].text = text;
    section_->StringChanged(index);
}

unsigned TSectionListStrings::Objects(int index) const
{
    CheckIndex(index);
    return items_[static_cast<size_t>(index)].object;
}

void TSectionListStrings::SetObjects(int index, unsigned value)
{
    CheckIndex(index);
    items_[static_cast<size_t>(index)].object = value;
}

int TSectionListStrings::Add(const std::string& text, unsigned object)
{
    items_.push_back({text, object});
    section_->StringAdded(Count() - 1);
    return Count() - 1;
}

void TSectionListStrings::Insert(int index, const std::string& text, unsigned object)
{
    if (index < 0 || index > Count())
        throw ListIndexError(index);
    items_.insert(items_.begin() + index, {text, object});
    section_->StringInserted(index);
}

void TSectionListStrings::Delete(int index)
{
    CheckIndex(index);
    items_.erase(items_.begin() + index);
    section_->StringDeleted(index);
}

void TSectionListStrings::Clear()
{
    int count = Count();
    items_.clear();
    if (count > 0)
        section_->StringsCleared(count);
}

int TSectionListStrings::IndexOf(const std::string& text) const
{
    for (int index = 0; index < Count(); ++index)
        if (items_[static_cast<size_t>(index)].text == text)
            return index;
    return -1;
}

std::vector<std::string> TSectionListStrings::ToVector() const
{
    std::vector<std::string> strings;
    for (const TEntry& entry : items_)
        strings.push_back(entry.text);
    return strings;
}

// ---------------------------------------------------------------------------------------------
// TListSection

TListSection::TListSection(TListSectionCollection* collection, TSectionListBox* list)
    : collection_(collection), list_(list)
{
    if (list_) {
        color_ = list_->Color();
        itemHeight_ = list_->SubItemHeight();
    }
}

int TListSection::Index() const
{
    return collection_ ? collection_->IndexOf(this) : -1;
}

bool TListSection::RowsShown() const
{
    return state_ == lssExpanded && list_ && Index() >= 0;
}

void TListSection::Changed()
{
    if (list_)
        list_->Invalidate();
}

void TListSection::SetCaption(const std::string& caption)
{
    if (list_ && Index() >= 0) {
        const int header = list_->HeaderRow(Index());
        list_->ExtentRowRemoving(*this, list_->Item(header));
        list_->SetItem(header, caption);
        list_->ExtentRowAdded(*this, caption);
    }
    caption_ = caption;
}

void TListSection::SetSubItems(const std::vector<std::string>& strings)
{
    TListSectionState previous = state_;
    SetState(lssContracted);
    subItems_.items_.clear();
    for (const std::string& text : strings)
        subItems_.items_.push_back({text, 0});
    SetState(previous);
}

void TListSection::SetState(TListSectionState state)
{
    if (state == state_)
        return;
    if (list_ && Index() >= 0) {
        if (state == lssExpanded)
            list_->ExpandRows(*this);
        else
            list_->ContractRows(*this);
    }
    state_ = state;
}

void TListSection::SetEndEllipsis(bool endEllipsis)
{
    endEllipsis_ = endEllipsis;
    if (list_)
        list_->UpdateHorizontalExtent();
    Changed();
}

void TListSection::SetControlType(TSectionControlType type)
{
    controlType_ = type;
    if (RowsShown()) {
        TSectionListBox::TUpdateScope update(*list_);
        list_->RemeasureSubItems(*this, 0, subItems_.Count());
    }
    Changed();
}

void TListSection::SetSortDirection(TSortDirection direction)
{
    sortDirection_ = direction;
    if (direction == sdNone || subItems_.Count() == 0)
        return;
    bool expanded = state_ == lssExpanded && list_;
    if (expanded)
        list_->BeginUpdate();
    SetState(lssContracted);
    // Byte order (case matters); equal strings keep their order and their check marks.
    auto& items = subItems_.items_;
    std::stable_sort(items.begin(), items.end(), [direction](const auto& a, const auto& b) {
        return direction == sdAscending ? a.text < b.text : b.text < a.text;
    });
    if (expanded) {
        SetState(lssExpanded);
        list_->EndUpdate();
    }
}

void TListSection::SetItemHeight(int height)
{
    itemHeight_ = height;
    if (state_ == lssExpanded && list_) {
        list_->BeginUpdate();
        SetState(lssContracted);
        SetState(lssExpanded);
        list_->EndUpdate();
    }
}

bool TListSection::SubItemChecked(int index) const
{
    if (index < 0 || index >= subItems_.Count())
        return false;
    return (subItems_.Objects(index) & TSectionListStrings::CheckFlag) != 0;
}

void TListSection::SetSubItemChecked(int index, bool checked)
{
    if (index < 0 || index >= subItems_.Count())
        throw ESectionListBoxError(SubItemIndexError);
    unsigned object = subItems_.Objects(index);
    subItems_.SetObjects(index, checked ? object | TSectionListStrings::CheckFlag
                                        : object & ~TSectionListStrings::CheckFlag);
    if (RowsShown())
        list_->InvalidateRow(list_->HeaderRow(Index()) + 1 + index);
}

int TListSection::SubItemImageIndex(int index) const
{
    if (index < 0 || index >= subItems_.Count())
        return -1;
    return static_cast<int>(subItems_.Objects(index) & 0xFFFF) - 1;
}

void TListSection::SetSubItemImageIndex(int index, int image)
{
    if (index < 0 || index >= subItems_.Count())
        throw ESectionListBoxError(SubItemIndexError);
    unsigned object = subItems_.Objects(index) & ~0xFFFFu;
    subItems_.SetObjects(index, object | (static_cast<unsigned>(image + 1) & 0xFFFF));
    // The text starts past the image: its row is measured again.
    if (RowsShown())
        list_->RemeasureSubItems(*this, index, 1);
    Changed();
}

void TListSection::Assign(const TListSection& source)
{
    SetCaption(source.caption_);
    TListSectionState wanted = source.state_;
    SetState(lssContracted);
    subItems_.items_ = source.subItems_.items_;
    imageIndex_ = source.imageIndex_;
    alignment_ = source.alignment_;
    vAlignment_ = source.vAlignment_;
    autoSize_ = source.autoSize_;
    autoEdit_ = source.autoEdit_;
    fixed_ = source.fixed_;
    readOnly_ = source.readOnly_;
    color_ = source.color_;
    font_.Assign(source.font_);
    fontUsage_ = source.fontUsage_;
    endEllipsis_ = source.endEllipsis_;
    controlType_ = source.controlType_;
    radioIndex_ = source.radioIndex_;
    sortDirection_ = source.sortDirection_;
    sortShow_ = source.sortShow_;
    lines_ = source.lines_;
    ownerDraw_ = source.ownerDraw_;
    itemHeight_ = source.itemHeight_;
    tag_ = source.tag_;
    SetState(wanted);
}

void TListSection::StringAdded(int index)
{
    if (!RowsShown())
        return;
    const std::string& text = subItems_.Strings(index);
    int row = list_->HeaderRow(Index()) + 1 + index;
    list_->InsertItem(row, text, 0, list_->SubItemRowHeight(*this, index, text));
    list_->ExtentRowAdded(*this, text);
}

void TListSection::StringInserted(int index)
{
    StringAdded(index);
}

void TListSection::StringDeleted(int index)
{
    if (!RowsShown())
        return;
    int row = list_->HeaderRow(Index()) + 1 + index;
    list_->ExtentRowRemoving(*this, list_->Item(row));
    list_->DeleteItem(row);
}

void TListSection::StringsCleared(int count)
{
    if (!RowsShown())
        return;
    TSectionListBox::TUpdateScope update(*list_);
    int header = list_->HeaderRow(Index());
    for (int i = 0; i < count; ++i)
        list_->DeleteItem(header + 1);
}

void TListSection::StringChanged(int index)
{
    if (!RowsShown())
        return;
    int row = list_->HeaderRow(Index()) + 1 + index;
    const std::string& text = subItems_.Strings(index);
    if (list_->Item(row) != text) {
        list_->ExtentRowRemoving(*this, list_->Item(row));
        list_->SetItem(row, text);
        list_->SetRowHeight(row, list_->SubItemRowHeight(*this, index, text));
        list_->ExtentRowAdded(*this, text);
    }
}

// ---------------------------------------------------------------------------------------------
// TListSectionCollection

TListSection& TListSectionCollection::Items(int index) const
{
    if (index < 0 || index >= Count())
        throw ListIndexError(index);
    return *items_[static_cast<size_t>(index)];
}

TListSection& TListSectionCollection::Add()
{
    items_.push_back(std::make_unique<TListSection>(this, list_));
    TListSection& section = *items_.back();
    if (list_)
        list_->SectionAdded(section);
    return section;
}

void TListSectionCollection::Delete(int index)
{
    TListSection& section = Items(index);
    if (list_)
        list_->SectionRemoving(section);
    items_.erase(items_.begin() + index);
}

void TListSectionCollection::Clear()
{
    while (Count() > 0)
        Delete(Count() - 1);
}

void TListSectionCollection::Assign(const TListSectionCollection& source)
{
    if (&source == this)
        return;
    if (list_)
        list_->BeginUpdate();
    Clear();
    for (const auto& section : source.items_)
        Add().Assign(*section);
    if (list_)
        list_->EndUpdate();
}

int TListSectionCollection::IndexOf(const TListSection* section) const
{
    for (size_t i = 0; i < items_.size(); ++i)
        if (items_[i].get() == section)
            return static_cast<int>(i);
    return -1;
}
