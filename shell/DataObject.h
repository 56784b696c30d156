// TDataObject: an IDataObject over a list of offered formats, which a derived class renders,
// with a copy of its contents to the clipboard.
#pragma once

#include <windows.h>
#include <ole2.h>

#include "DDInterfacedObject.h"
#include "FormatEtcList.h"

class TDataObject : public TDDInterfacedObject<IDataObject> {
public:
    TDataObject();

    TFormatEtcList& Formats() { return formats_; }
    bool CheckLindex = true;
    bool CheckdwAspect = true;

    // Fills `medium` for one offered format; the receiver owns what it gets.
    virtual HRESULT RenderData(const FORMATETC& format, STGMEDIUM& medium) = 0;
    // Puts every HGLOBAL format on the clipboard; false (clipboard emptied) on any failure, and
    // false without touching the clipboard when nothing is offered.
    virtual bool PutOnClipboard();

    HRESULT STDMETHODCALLTYPE GetData(FORMATETC* format, STGMEDIUM* medium) override;
    HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* format) override;
    HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) override;
    HRESULT STDMETHODCALLTYPE SetData(FORMATETC* format, STGMEDIUM* medium, BOOL release) override;
    HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD direction, IEnumFORMATETC** result) override;
    HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE DUnadvise(DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA** result) override;

private:
    TFormatEtcList formats_;
};
