// The connection point for _ICashDrawer_SOEvents and its container.
#include <windows.h>
#include <ocidl.h>
#include <olectl.h>
#include <wrl/client.h>

#include <gtest/gtest.h>

#include <vector>

#include "Kestrix.h"

using Microsoft::WRL::ComPtr;

namespace kestrix::test {
namespace {

// A sink that answers the events interface (or not) and counts references.
class Sink final : public IDispatch {
public:
    explicit Sink(HRESULT answer = S_OK) : answer_(answer) {}
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
        ++queries;
        if (IsEqualIID(riid, IID_IUnknown) ||
            (answer_ == S_OK && (IsEqualIID(riid, IID_IDispatch) || IsEqualIID(riid, DIID__ICashDrawer_SOEvents)))) {
            *ppv = static_cast<IDispatch*>(this);
            AddRef();
            return S_OK;
        }
        *ppv = nullptr;
        return answer_ == S_OK ? E_NOINTERFACE : answer_;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(++refs); }
    STDMETHODIMP_(ULONG) Release() override { return static_cast<ULONG>(--refs); }
    STDMETHODIMP GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    STDMETHODIMP Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
        ++invokes;
        return S_OK;
    }
    int refs = 0;
    int queries = 0;
    int invokes = 0;

private:
    HRESULT answer_;
};

class ConnectionPoint : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(CoCreateInstance(CLSID_CashDrawer_SO, nullptr, CLSCTX_INPROC_SERVER, IID_IConnectionPointContainer,
                                   &container),
                  S_OK);
        ASSERT_EQ(container->FindConnectionPoint(DIID__ICashDrawer_SOEvents, &point), S_OK);
    }
    ComPtr<IConnectionPointContainer> container;
    ComPtr<IConnectionPoint> point;
};

TEST_F(ConnectionPoint, ContainerHasExactlyTheEventsPoint) {
    IConnectionPoint* out = reinterpret_cast<IConnectionPoint*>(0x1234);
    EXPECT_EQ(container->FindConnectionPoint(IID_IDispatch, &out), CONNECT_E_NOCONNECTION);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(container->FindConnectionPoint(DIID__ICashDrawer_SOEvents, nullptr), E_POINTER);

    IID iid = IID_NULL;
    EXPECT_EQ(point->GetConnectionInterface(&iid), S_OK);
    EXPECT_TRUE(IsEqualIID(iid, DIID__ICashDrawer_SOEvents));
    ComPtr<IConnectionPointContainer> back;
    ASSERT_EQ(point->GetConnectionPointContainer(&back), S_OK);
    EXPECT_EQ(back.Get(), container.Get());
    ComPtr<IUnknown> unknown;
    EXPECT_EQ(point.As(&unknown), S_OK);
    ComPtr<IConnectionPointContainer> not_answered;
    EXPECT_EQ(point.As(&not_answered), E_NOINTERFACE);

    ComPtr<IEnumConnectionPoints> points;
    ASSERT_EQ(container->EnumConnectionPoints(&points), S_OK);
    IConnectionPoint* listed[2] = {};
    ULONG fetched = 0;
    EXPECT_EQ(points->Next(2, listed, &fetched), S_FALSE);
    ASSERT_EQ(fetched, 1u);
    EXPECT_EQ(listed[0], point.Get());
    listed[0]->Release();
}

TEST_F(ConnectionPoint, CookiesAreSlotPositionsAndFreedSlotsAreReused) {
    Sink sinks[6];
    for (DWORD i = 0; i < 5; ++i) {
        DWORD cookie = 99;
        ASSERT_EQ(point->Advise(&sinks[i], &cookie), S_OK);
        EXPECT_EQ(cookie, i + 1);
        EXPECT_EQ(sinks[i].refs, 1) << "one reference per connection";
    }
    EXPECT_EQ(point->Unadvise(3), S_OK);
    EXPECT_EQ(sinks[2].refs, 0);
    DWORD cookie = 99;
    ASSERT_EQ(point->Advise(&sinks[5], &cookie), S_OK);
    EXPECT_EQ(cookie, 3u);
    EXPECT_EQ(point->Unadvise(3), S_OK);
    EXPECT_EQ(point->Unadvise(3), CONNECT_E_NOCONNECTION);
    EXPECT_EQ(point->Unadvise(0), CONNECT_E_NOCONNECTION);
    EXPECT_EQ(point->Unadvise(9), CONNECT_E_NOCONNECTION);

    ComPtr<IEnumConnections> connections;
    ASSERT_EQ(point->EnumConnections(&connections), S_OK);
    CONNECTDATA data[8] = {};
    ULONG fetched = 0;
    EXPECT_EQ(connections->Next(8, data, &fetched), S_FALSE);
    ASSERT_EQ(fetched, 4u);
    const DWORD cookies[] = {1, 2, 4, 5};
    const int owners[] = {0, 1, 3, 4};
    for (ULONG i = 0; i < fetched; ++i) {
        EXPECT_EQ(data[i].dwCookie, cookies[i]);
        EXPECT_EQ(data[i].pUnk, static_cast<IUnknown*>(&sinks[owners[i]]));
        data[i].pUnk->Release();
    }
    connections.Reset();

    // The object releases the sinks still connected when it goes; nothing was fired.
    point.Reset();
    container.Reset();
    for (const Sink& s : sinks) {
        EXPECT_EQ(s.refs, 0);
        EXPECT_EQ(s.invokes, 0);
    }
}

TEST_F(ConnectionPoint, AdviseRefusesWhatCannotConnect) {
    Sink plain(E_NOINTERFACE);
    DWORD cookie = 99;
    EXPECT_EQ(point->Advise(&plain, &cookie), CONNECT_E_CANNOTCONNECT);
    EXPECT_EQ(cookie, 0u);
    EXPECT_EQ(plain.refs, 0);

    Sink broken(E_FAIL);
    cookie = 99;
    EXPECT_EQ(point->Advise(&broken, &cookie), E_FAIL);
    EXPECT_EQ(cookie, 0u);

    cookie = 99;
    EXPECT_EQ(point->Advise(nullptr, &cookie), E_POINTER);
    EXPECT_EQ(cookie, 0u);
    Sink good;
    EXPECT_EQ(point->Advise(&good, nullptr), E_POINTER);
    EXPECT_EQ(good.refs, 0);
}

TEST_F(ConnectionPoint, ArrayGrowsBeyondItsFirstSlots) {
    std::vector<Sink> sinks(9);
    for (DWORD i = 0; i < sinks.size(); ++i) {
        DWORD cookie = 0;
        ASSERT_EQ(point->Advise(&sinks[i], &cookie), S_OK);
        EXPECT_EQ(cookie, i + 1);
    }
    for (DWORD c = 1; c <= sinks.size(); ++c) EXPECT_EQ(point->Unadvise(c), S_OK);
    for (const Sink& s : sinks) EXPECT_EQ(s.refs, 0);
}

}  // namespace
}  // namespace kestrix::test
