// The FORMATETC records a data object offers, and the enumerator handed out over a copy of them.
#pragma once

#include <windows.h>
#include <ole2.h>

#include "DDInterfacedObject.h"

#include <memory>
#include <vector>

class TFormatEtcList {
public:
    int Count() const { return static_cast<int>(items_.size()); }
    int Add(const FORMATETC& format);
    // Both raise ERangeError "Invalid item index" outside 0..Count-1.
    FORMATETC GetItem(int index) const;
    void SetItem(int index, const FORMATETC& format);
    std::unique_ptr<TFormatEtcList> Clone() const { return std::make_unique<TFormatEtcList>(*this); }

private:
    std::vector<FORMATETC> items_;
};

class TEnumFormatEtc : public TDDInterfacedObject<IEnumFORMATETC> {
public:
    // Owns the list; the caller holds the first reference.
    explicit TEnumFormatEtc(std::unique_ptr<TFormatEtcList> list, ULONG position = 0);

    HRESULT STDMETHODCALLTYPE Next(ULONG celt, FORMATETC* records, ULONG* fetched) override;
    HRESULT STDMETHODCALLTYPE Skip(ULONG celt) override;
    HRESULT STDMETHODCALLTYPE Reset() override;
    HRESULT STDMETHODCALLTYPE Clone(IEnumFORMATETC** result) override;

private:
    std::unique_ptr<TFormatEtcList> list_;
    ULONG position_;
};
