// The offered formats and their enumerator.
#include <windows.h>
#include <ole2.h>

#include "FormatEtcList.h"

#include "Exceptions.h"

#include <algorithm>
#include <utility>

// ---- TFormatEtcList ----

int TFormatEtcList::Add(const FORMATETC& format)
{
    items_.push_back(format);
    return Count() - 1;
}

FORMATETC TFormatEtcList::GetItem(int index) const
{
    if (index < 0 || index >= Count())
        throw ERangeError("Invalid item index");
    return items_[index];
}

void TFormatEtcList::SetItem(int index, const FORMATETC& format)
{
    if (index < 0 || index >= Count())
        throw ERangeError("Invalid item index");
    items_[index] = format;
}

// ---- TEnumFormatEtc ----

TEnumFormatEtc::TEnumFormatEtc(std::unique_ptr<TFormatEtcList> list, ULONG position)
    : TDDInterfacedObject(IID_IEnumFORMATETC), list_(std::move(list)), position_(position)
{
    if (!list_)
        list_ = std::make_unique<TFormatEtcList>();
}

HRESULT STDMETHODCALLTYPE TEnumFormatEtc::Next(ULONG celt, FORMATETC* records, ULONG* fetched)
{
    if (fetched)
        *fetched = 0;
    const ULONG count = static_cast<ULONG>(list_->Count());
    if (celt < 1 || count == 0 || position_ >= count || (!fetched && celt != 1) || !records)
        return S_FALSE;
    const ULONG n = std::min(celt, count - position_);
    for (ULONG i = 0; i < n; ++i)
        records[i] = list_->GetItem(static_cast<int>(position_ + i));
    position_ += n;
    if (fetched)
        *fetched = n;
    return n == celt ? S_OK : S_FALSE;
}

HRESULT STDMETHODCALLTYPE TEnumFormatEtc::Skip(ULONG celt)
{
    if (static_cast<ULONGLONG>(position_) + celt > static_cast<ULONG>(list_->Count()))
        return S_FALSE;
    position_ += celt;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE TEnumFormatEtc::Reset()
{
    position_ = 0;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE TEnumFormatEtc::Clone(IEnumFORMATETC** result)
{
    if (!result)
        return E_POINTER;
    *result = nullptr;
    try {
        *result = new TEnumFormatEtc(list_->Clone(), position_);
        return S_OK;
    } catch (...) {
        return E_FAIL;
    }
}
