// The four exports of an in-process COM server and its class factory.
#include <windows.h>

#include <atomic>
#include <new>

#include "shell/Registration.h"
#include "shell/ShellModule.h"

namespace {

std::atomic<long> LiveCount{0};

class TClassFactory : public IClassFactory {
public:
    STDMETHODIMP QueryInterface(REFIID Iid, void** Object) override
    {
        if (!Object)
            return E_POINTER;
        if (!IsEqualIID(Iid, __uuidof(IUnknown)) && !IsEqualIID(Iid, __uuidof(IClassFactory))) {
            *Object = nullptr;
            return E_NOINTERFACE;
        }
        *Object = static_cast<IClassFactory*>(this);
        AddRef();
        return S_OK;
    }
    // One static factory: its references keep the module as locks do.
    STDMETHODIMP_(ULONG) AddRef() override
    {
        ModuleAddRef();
        return 2;
    }
    STDMETHODIMP_(ULONG) Release() override
    {
        ModuleRelease();
        return 1;
    }
    STDMETHODIMP CreateInstance(IUnknown* Outer, REFIID Iid, void** Object) override
    {
        if (!Object)
            return E_POINTER;
        *Object = nullptr;
        if (Outer)
            return CLASS_E_NOAGGREGATION;
        try {
            return CreateThumbnailProvider(Iid, Object);
        } catch (...) {
            return E_FAIL;
        }
    }
    STDMETHODIMP LockServer(BOOL Lock) override
    {
        if (Lock)
            ModuleAddRef();
        else
            ModuleRelease();
        return S_OK;
    }
};

TClassFactory Factory;

}

void ModuleAddRef() { ++LiveCount; }
void ModuleRelease() { --LiveCount; }
bool ModuleInUse() { return LiveCount > 0; }

extern "C" {

STDAPI DllGetClassObject(REFCLSID ClassId, REFIID Iid, void** Object)
{
    if (!Object)
        return E_POINTER;
    *Object = nullptr;
    if (!IsEqualCLSID(ClassId, CLSID_BrisleafThumbnailProvider))
        return CLASS_E_CLASSNOTAVAILABLE;
    return Factory.QueryInterface(Iid, Object);
}

STDAPI DllCanUnloadNow() { return ModuleInUse() ? S_FALSE : S_OK; }

STDAPI DllRegisterServer()
{
    try {
        return RegisterShellHandler();
    } catch (...) {
        return SELFREG_E_CLASS;
    }
}

STDAPI DllUnregisterServer()
{
    try {
        return UnregisterShellHandler();
    } catch (...) {
        return SELFREG_E_CLASS;
    }
}

}
