// The reference count shared by the drag-and-drop COM objects.
#pragma once

#include <windows.h>
#include <unknwn.h>

// Creation gives the creator the first reference, so a ComPtr that takes the new object over
// frees it with its last Release.
template <typename Interface>
class TDDInterfacedObject : public Interface {
public:
    TDDInterfacedObject(const TDDInterfacedObject&) = delete;
    TDDInterfacedObject& operator=(const TDDInterfacedObject&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override
    {
        if (!object)
            return E_POINTER;
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, interfaceId_)) {
            *object = static_cast<Interface*>(this);
            this->AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&refCount_)); }
    ULONG STDMETHODCALLTYPE Release() override
    {
        LONG count = InterlockedDecrement(&refCount_);
        if (count == 0)
            delete this;
        return static_cast<ULONG>(count);
    }
    LONG RefCount() const { return refCount_; }

protected:
    explicit TDDInterfacedObject(REFIID interfaceId) : interfaceId_(interfaceId) {}
    virtual ~TDDInterfacedObject() = default;

private:
    LONG refCount_ = 1;
    IID interfaceId_;
};
