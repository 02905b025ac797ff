// The library as a COM server: its exports, the class object, the lock
// count, aggregation and the object's interface set.
#include <windows.h>
#include <ocidl.h>
#include <wrl/client.h>

#include <gtest/gtest.h>

#include "Kestrix.h"
#include "com_fixture.h"

using Microsoft::WRL::ComPtr;

namespace kestrix::test {
namespace {

using GetClassObjectFn = HRESULT(WINAPI*)(REFCLSID, REFIID, void**);
using CanUnloadFn = HRESULT(WINAPI*)();

class KestrixServer : public ::testing::Test {
protected:
    void SetUp() override {
        module = LoadLibraryW(KestrixDll().c_str());
        ASSERT_NE(module, nullptr);
        get_class_object =
            reinterpret_cast<GetClassObjectFn>(reinterpret_cast<void*>(GetProcAddress(module, "DllGetClassObject")));
        can_unload = reinterpret_cast<CanUnloadFn>(reinterpret_cast<void*>(GetProcAddress(module, "DllCanUnloadNow")));
        ASSERT_TRUE(get_class_object && can_unload);
        ASSERT_EQ(can_unload(), S_OK) << "an earlier test left an object alive";
    }
    void TearDown() override {
        if (module) FreeLibrary(module);
    }
    ComPtr<IClassFactory> Factory() {
        ComPtr<IClassFactory> f;
        EXPECT_EQ(get_class_object(CLSID_CashDrawer_SO, IID_IClassFactory, &f), S_OK);
        return f;
    }

    HMODULE module = nullptr;
    GetClassObjectFn get_class_object = nullptr;
    CanUnloadFn can_unload = nullptr;
};

// An outer object that counts what reaches it through the inner object.
class Outer final : public IUnknown {
public:
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
        ++queries;
        if (IsEqualIID(riid, IID_IUnknown)) {
            *ppv = this;
            AddRef();
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(++refs); }
    STDMETHODIMP_(ULONG) Release() override { return static_cast<ULONG>(--refs); }
    int refs = 1;
    int queries = 0;
};

TEST_F(KestrixServer, ExportsAreNamedWithOrdinalsOneToFive) {
    const char* names[] = {"DllCanUnloadNow", "DllGetClassObject", "DllInstall", "DllRegisterServer",
                           "DllUnregisterServer"};
    for (WORD ordinal = 1; ordinal <= 5; ++ordinal) {
        FARPROC by_name = GetProcAddress(module, names[ordinal - 1]);
        ASSERT_NE(by_name, nullptr) << names[ordinal - 1];
        EXPECT_EQ(by_name, GetProcAddress(module, MAKEINTRESOURCEA(ordinal))) << names[ordinal - 1];
    }
}

TEST_F(KestrixServer, ClassObjectOfAnotherClassIsNotAvailable) {
    const CLSID other = {0x11111111, 0x2222, 0x3333, {0x44, 0x44, 0x55, 0x55, 0x55, 0x55, 0x55, 0x55}};
    void* out = reinterpret_cast<void*>(0x1234);
    EXPECT_EQ(get_class_object(other, IID_IClassFactory, &out), CLASS_E_CLASSNOTAVAILABLE);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(get_class_object(CLSID_CashDrawer_SO, IID_IClassFactory, nullptr), E_POINTER);
    out = reinterpret_cast<void*>(0x1234);
    EXPECT_EQ(get_class_object(CLSID_CashDrawer_SO, IID_IDispatch, &out), E_NOINTERFACE);
    EXPECT_EQ(out, nullptr);
}

TEST_F(KestrixServer, ClassObjectIsCachedAndClientReferencesLockTheModule) {
    ComPtr<IClassFactory> first = Factory();
    ComPtr<IClassFactory> second = Factory();
    EXPECT_EQ(first.Get(), second.Get());
    EXPECT_EQ(can_unload(), S_FALSE);
    EXPECT_EQ(first->LockServer(TRUE), S_OK);
    first.Reset();
    second.Reset();
    EXPECT_EQ(can_unload(), S_FALSE) << "LockServer";
    ComPtr<IClassFactory> again = Factory();
    EXPECT_EQ(again->LockServer(FALSE), S_OK);
    again.Reset();
    EXPECT_EQ(can_unload(), S_OK);
}

TEST_F(KestrixServer, LiveObjectKeepsTheLibraryLoaded) {
    ComPtr<ICashDrawer_SO> object;
    ASSERT_EQ(Factory()->CreateInstance(nullptr, IID_ICashDrawer_SO, &object), S_OK);
    EXPECT_EQ(can_unload(), S_FALSE);
    ComPtr<IConnectionPointContainer> container;
    ASSERT_EQ(object.As(&container), S_OK);
    object.Reset();
    EXPECT_EQ(can_unload(), S_FALSE);
    container.Reset();
    EXPECT_EQ(can_unload(), S_OK);
}

TEST_F(KestrixServer, CreateInstanceChecksItsArguments) {
    ComPtr<IClassFactory> factory = Factory();
    EXPECT_EQ(factory->CreateInstance(nullptr, IID_ICashDrawer_SO, nullptr), E_POINTER);
    Outer outer;
    void* out = reinterpret_cast<void*>(0x1234);
    EXPECT_EQ(factory->CreateInstance(&outer, IID_ICashDrawer_SO, &out), CLASS_E_NOAGGREGATION);
    EXPECT_EQ(out, nullptr);
    out = reinterpret_cast<void*>(0x1234);
    EXPECT_EQ(factory->CreateInstance(nullptr, IID_IPersist, &out), E_NOINTERFACE);
    EXPECT_EQ(out, nullptr);
    factory.Reset();
    EXPECT_EQ(can_unload(), S_OK) << "the refused object is gone";
}

TEST_F(KestrixServer, AggregatedObjectDelegatesToItsOuterObject) {
    Outer outer;
    IUnknown* inner = nullptr;
    ASSERT_EQ(Factory()->CreateInstance(&outer, IID_IUnknown, reinterpret_cast<void**>(&inner)), S_OK);
    ASSERT_NE(inner, nullptr);
    EXPECT_EQ(outer.refs, 1) << "the inner unknown counts on its own";

    ICashDrawer_SO* so = nullptr;
    ASSERT_EQ(inner->QueryInterface(IID_ICashDrawer_SO, reinterpret_cast<void**>(&so)), S_OK);
    EXPECT_EQ(outer.refs, 2) << "an interface of the inner object counts on the outer";
    IUnknown* identity = nullptr;
    ASSERT_EQ(so->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&identity)), S_OK);
    EXPECT_EQ(identity, static_cast<IUnknown*>(&outer));
    EXPECT_EQ(outer.queries, 1);
    identity->Release();
    LONG version = 0;
    EXPECT_EQ(so->GetPropertyNumber(8, &version), S_OK);
    EXPECT_EQ(version, 1005019);
    so->Release();
    EXPECT_EQ(outer.refs, 1);
    EXPECT_EQ(can_unload(), S_FALSE);
    inner->Release();
    EXPECT_EQ(can_unload(), S_OK);
}

TEST_F(KestrixServer, AnswersItsInterfaceSetAndNothingElse) {
    ComPtr<ICashDrawer_SO> object;
    ASSERT_EQ(Factory()->CreateInstance(nullptr, IID_ICashDrawer_SO, &object), S_OK);
    ComPtr<IDispatch> dispatch;
    ComPtr<ISupportErrorInfo> error_info;
    ComPtr<IConnectionPointContainer> container;
    ComPtr<IUnknown> identity1, identity2;
    ASSERT_EQ(object.As(&dispatch), S_OK);
    EXPECT_EQ(static_cast<void*>(dispatch.Get()), static_cast<void*>(object.Get())) << "the dual interface";
    ASSERT_EQ(object.As(&error_info), S_OK);
    ASSERT_EQ(object.As(&container), S_OK);
    ASSERT_EQ(object.As(&identity1), S_OK);
    ASSERT_EQ(container.As(&identity2), S_OK);
    EXPECT_EQ(identity1.Get(), identity2.Get());
    for (const IID* iid : {&IID_IConnectionPoint, &IID_IProvideClassInfo, &IID_IPersist, &IID_IClassFactory,
                           &DIID__ICashDrawer_SOEvents}) {
        void* out = reinterpret_cast<void*>(0x1234);
        EXPECT_EQ(object->QueryInterface(*iid, &out), E_NOINTERFACE);
        EXPECT_EQ(out, nullptr);
    }
    EXPECT_EQ(error_info->InterfaceSupportsErrorInfo(IID_ICashDrawer_SO), S_OK);
    EXPECT_EQ(error_info->InterfaceSupportsErrorInfo(IID_IDispatch), S_FALSE);
    EXPECT_EQ(error_info->InterfaceSupportsErrorInfo(IID_IConnectionPointContainer), S_FALSE);
}

}  // namespace
}  // namespace kestrix::test
