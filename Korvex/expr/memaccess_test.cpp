#include "memcomplexintf.h"
#include "memtargetintf.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace {

// A host object with both memory interfaces, each of which may be withheld, that
// records every slot called with its arguments and answers a set HRESULT.
class FakeHostMemory final : public IQelTargetMemory, public IQelComplexMemory {
public:
    STDMETHODIMP QueryInterface(REFIID riid, void **ppv) override
    {
        // A real object would be gone once its last reference went.
        if (references == 0)
            queriedWhileFreed = true;
        *ppv = nullptr;
        if (riid == IID_IUnknown)
            *ppv = static_cast<IQelTargetMemory *>(this);
        else if (riid == IID_IQelTargetMemory && offerTarget)
            *ppv = static_cast<IQelTargetMemory *>(this);
        else if (riid == IID_IQelComplexMemory && offerComplex)
            *ppv = static_cast<IQelComplexMemory *>(this);
        if (*ppv == nullptr)
            return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++references; }
    STDMETHODIMP_(ULONG) Release() override { return --references; }

#define FAKE_SLOT(n) \
    STDMETHODIMP Slot##n() override { return Record("slot " #n); }
    FAKE_SLOT(03) FAKE_SLOT(04) FAKE_SLOT(05) FAKE_SLOT(06) FAKE_SLOT(07) FAKE_SLOT(08) FAKE_SLOT(09)
    FAKE_SLOT(10) FAKE_SLOT(11) FAKE_SLOT(12) FAKE_SLOT(13) FAKE_SLOT(14) FAKE_SLOT(15) FAKE_SLOT(16)
    FAKE_SLOT(17) FAKE_SLOT(18) FAKE_SLOT(19) FAKE_SLOT(20) FAKE_SLOT(21) FAKE_SLOT(22) FAKE_SLOT(23)
    FAKE_SLOT(24) FAKE_SLOT(25) FAKE_SLOT(26) FAKE_SLOT(27) FAKE_SLOT(28) FAKE_SLOT(29) FAKE_SLOT(30)
    FAKE_SLOT(31)
#undef FAKE_SLOT
    STDMETHODIMP WriteBlock(DWORD space, DWORD address, DWORD count, BYTE *buffer, DWORD flags) override
    {
        return Record("slot 32", {space, address, count, buffer[0], flags});
    }
    STDMETHODIMP ReadBlock(DWORD space, DWORD address, DWORD count, BYTE *buffer, DWORD flags) override
    {
        buffer[0] = 0x5A;
        return Record("slot 33", {space, address, count, flags});
    }
    STDMETHODIMP SetUser(IUnknown *) override { return Record("slot 24"); }
    STDMETHODIMP WriteMemory(DWORD address, DWORD size, BYTE *buffer) override
    {
        return Record("slot 28", {address, size, buffer[0]});
    }
    STDMETHODIMP ReadMemory(DWORD address, DWORD size, BYTE *buffer) override
    {
        buffer[0] = 0xA5;
        return Record("slot 29", {address, size});
    }

    IUnknown *Unknown() { return static_cast<IQelTargetMemory *>(this); }

    bool offerTarget = true;
    bool offerComplex = true;
    HRESULT answer = S_OK;
    ULONG references = 1;
    bool queriedWhileFreed = false;
    std::vector<std::string> calls;

private:
    HRESULT Record(const std::string &slot, std::initializer_list<DWORD> args = {})
    {
        std::ostringstream text;
        text << slot << std::hex;
        for (DWORD arg : args)
            text << " " << arg;
        calls.push_back(text.str());
        return answer;
    }
};

TEST(MemTargetIntf, ReadsAndWritesThroughSlots33And32InSpace3)
{
    FakeHostMemory host;
    CMemTargetIntf memory;
    BYTE buffer[4] = {0x11};
    EXPECT_FALSE(memory.Read(0x100, 4, buffer)) << "no interface yet";
    EXPECT_FALSE(memory.Write(0x100, 4, buffer));
    memory.Attach(host.Unknown());
    EXPECT_TRUE(memory.Read(0x40000010, 4, buffer));
    EXPECT_EQ(buffer[0], 0x5A);
    buffer[0] = 0x77;
    EXPECT_TRUE(memory.Write(0x40000020, 2, buffer));
    host.answer = S_FALSE;
    EXPECT_TRUE(memory.Read(0, 1, buffer)) << "only a negative HRESULT fails";
    host.answer = E_FAIL;
    EXPECT_FALSE(memory.Read(0, 1, buffer));
    EXPECT_FALSE(memory.Write(0, 1, buffer));
    EXPECT_EQ(host.calls, (std::vector<std::string>{"slot 33 3 40000010 4 0", "slot 32 3 40000020 2 77 0",
                                                    "slot 33 3 0 1 0", "slot 33 3 0 1 0", "slot 32 3 0 1 5a 0"}));
}

TEST(MemComplexIntf, ReadsAndWritesThroughSlots29And28)
{
    FakeHostMemory host;
    CMemComplexIntf memory;
    BYTE buffer[2] = {0x33};
    EXPECT_FALSE(memory.Read(0x10, 2, buffer));
    EXPECT_FALSE(memory.Write(0x10, 2, buffer));
    EXPECT_TRUE(memory.Attach(host.Unknown()));
    EXPECT_TRUE(memory.Read(0x10, 2, buffer));
    EXPECT_EQ(buffer[0], 0xA5);
    EXPECT_TRUE(memory.Write(0x20, 1, buffer));
    host.answer = E_FAIL;
    EXPECT_FALSE(memory.Read(0x30, 1, buffer));
    EXPECT_EQ(host.calls, (std::vector<std::string>{"slot 29 10 2", "slot 28 20 1 a5", "slot 29 30 1"}));
}

TEST(MemAccess, AttachLetsGoOfTheOldInterfaceAndTheDestructorOfTheLast)
{
    FakeHostMemory host, other;
    other.offerTarget = false;
    other.offerComplex = false;
    {
        CMemTargetIntf target;
        CMemComplexIntf complex;
        target.Attach(host.Unknown());
        EXPECT_TRUE(complex.Attach(host.Unknown()));
        EXPECT_EQ(host.references, 3u);
        target.Attach(other.Unknown());
        EXPECT_FALSE(complex.Attach(other.Unknown())) << "an object without the interface";
        EXPECT_EQ(host.references, 1u);
        EXPECT_FALSE(target.IsAttached());
        BYTE byte = 0;
        EXPECT_FALSE(target.Read(0, 1, &byte));
        EXPECT_FALSE(complex.Write(0, 1, &byte));
        target.Attach(host.Unknown());
        complex.Attach(host.Unknown());
        target.Attach(nullptr);
        EXPECT_EQ(host.references, 2u);
        target.Attach(host.Unknown());
    }
    EXPECT_EQ(host.references, 1u) << "both destructors release";
    EXPECT_EQ(other.references, 1u);
    EXPECT_TRUE(host.calls.empty());
}

// Attaching the object that the holder's interface alone keeps alive asks the object
// before the old reference goes.
template <class Holder>
void ReattachTheObjectHeldOnlyThroughTheHolder()
{
    FakeHostMemory host;
    Holder holder;
    holder.Attach(host.Unknown());
    host.Release(); // the caller lets go
    holder.Attach(host.Unknown());
    EXPECT_FALSE(host.queriedWhileFreed);
    EXPECT_TRUE(holder.IsAttached());
    EXPECT_EQ(host.references, 1u);
    holder.Attach(nullptr);
    EXPECT_EQ(host.references, 0u);
}

TEST(MemAccess, ReattachingTheObjectHeldOnlyThroughTheInterfaceQueriesItBeforeLettingGo)
{
    ReattachTheObjectHeldOnlyThroughTheHolder<CMemTargetIntf>();
    ReattachTheObjectHeldOnlyThroughTheHolder<CMemComplexIntf>();
}

} // namespace
