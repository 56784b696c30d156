// The data object: format negotiation, rendering on request and the copy to the clipboard.
#include <windows.h>
#include <ole2.h>

#include "DataObject.h"

#include "Exceptions.h"
#include "Forms.h"
#include "LateLibrary.h"

#include <algorithm>

namespace {

// Owner of what PutOnClipboard leaves there: the clipboard refuses data without one.
class ClipboardWindow {
public:
    ~ClipboardWindow()
    {
        if (window_)
            DestroyWindow(window_);
    }
    HWND Get()
    {
        if (!window_)
            window_ = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                      GetModuleHandleA(nullptr), nullptr);
        return window_;
    }

private:
    HWND window_ = nullptr;
};
ClipboardWindow clipboardWindow;

bool FormatMatches(const FORMATETC& offered, const FORMATETC& wanted, bool checkLindex, bool checkAspect)
{
    return (offered.tymed & wanted.tymed) != 0 && (!checkLindex || offered.lindex == wanted.lindex) &&
           (!checkAspect || offered.dwAspect == wanted.dwAspect) && offered.cfFormat == wanted.cfFormat;
}

}  // namespace

TDataObject::TDataObject() : TDDInterfacedObject(IID_IDataObject) {}

HRESULT STDMETHODCALLTYPE TDataObject::GetData(FORMATETC* format, STGMEDIUM* medium)
{
    if (!format || !medium)
        return E_INVALIDARG;
    try {
        *medium = {};
        for (int i = 0; i < formats_.Count(); ++i) {
            if (FormatMatches(formats_.GetItem(i), *format, CheckLindex, CheckdwAspect)) {
                TCursorGuard hourglass(crHourGlass);
                return RenderData(*format, *medium);
            }
        }
        return DV_E_FORMATETC;
    } catch (...) {
        medium->hGlobal = nullptr;
        return E_FAIL;
    }
}

HRESULT STDMETHODCALLTYPE TDataObject::QueryGetData(FORMATETC* format)
{
    if (!format)
        return E_INVALIDARG;
    // Misses ranked from far to near: the answer names the nearest one.
    int nearest = -1;
    static const HRESULT misses[] = {DV_E_TYMED, DV_E_DVASPECT, DV_E_LINDEX};
    for (int i = 0; i < formats_.Count(); ++i) {
        FORMATETC offered = formats_.GetItem(i);
        if (offered.cfFormat != format->cfFormat)
            continue;
        int miss;
        if (!(offered.tymed & format->tymed))
            miss = 0;
        else if (offered.dwAspect != format->dwAspect)
            miss = 1;
        else if (offered.lindex != format->lindex)
            miss = 2;
        else
            return S_OK;
        nearest = std::max(nearest, miss);
    }
    return nearest < 0 ? DV_E_FORMATETC : misses[nearest];
}

HRESULT STDMETHODCALLTYPE TDataObject::GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out)
{
    if (out)
        out->ptd = nullptr;
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE TDataObject::SetData(FORMATETC* format, STGMEDIUM*, BOOL release)
{
    if (!format || release)
        return E_FAIL;
    // Only the offer is kept; a target device belongs to the caller and is not kept.
    FORMATETC offer = *format;
    offer.ptd = nullptr;
    bool found = false;
    for (int i = 0; i < formats_.Count(); ++i) {
        if (formats_.GetItem(i).cfFormat == offer.cfFormat) {
            formats_.SetItem(i, offer);
            found = true;
        }
    }
    if (!found)
        formats_.Add(offer);
    return E_FAIL;
}

HRESULT STDMETHODCALLTYPE TDataObject::EnumFormatEtc(DWORD direction, IEnumFORMATETC** result)
{
    if (!result)
        return E_POINTER;
    *result = nullptr;
    if (direction != DATADIR_GET)
        return OLE_S_USEREG;
    try {
        *result = new TEnumFormatEtc(formats_.Clone());
        return S_OK;
    } catch (...) {
        return E_OUTOFMEMORY;
    }
}

HRESULT STDMETHODCALLTYPE TDataObject::EnumDAdvise(IEnumSTATDATA** result)
{
    if (result)
        *result = nullptr;
    return OLE_E_ADVISENOTSUPPORTED;
}

bool TDataObject::PutOnClipboard()
{
    if (formats_.Count() == 0)
        return false;
    HWND owner = clipboardWindow.Get();
    bool open = false;
    try {
        if (!OpenClipboard(owner))
            throw Exception("Cannot open clipboard");
        open = true;
        if (!EmptyClipboard())
            throw Exception("Cannot clear clipboard");
        for (int i = 0; i < formats_.Count(); ++i) {
            FORMATETC format = formats_.GetItem(i);
            if (format.tymed != TYMED_HGLOBAL)
                continue;
            STGMEDIUM medium = {};
            // A failed rendering would leave a null handle, which the clipboard takes as a
            // promise of delayed rendering that nobody keeps.
            if (FAILED(RenderData(format, medium)) || !medium.hGlobal)
                throw Exception("Cannot add data to clipboard");
            if (!SetClipboardData(format.cfFormat, medium.hGlobal)) {
                Ole32::ReleaseStgMedium(&medium);
                throw Exception("Cannot add data to clipboard");
            }
        }
        open = false;
        if (!CloseClipboard())
            throw Exception("Cannot close clipboard");
        return true;
    } catch (...) {
        if (open) {
            EmptyClipboard();
            CloseClipboard();
        }
        return false;
    }
}
