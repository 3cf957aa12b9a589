#include "ole2.h"
#include "testing/comobjectbalance.h"
#include "testing/countedobject.h"

#include <gtest/gtest.h>

namespace {

class ConnectionEnumerator : public ComObjectBalance {};

TEST_F(ConnectionEnumerator, HoldsItsSinksAndHandsThemOutCounted)
{
    CountedObject first, second;
    CONNECTDATA connections[] = {{&first, 1}, {&second, 2}};
    IEnumConnections *enumerator = nullptr;
    ASSERT_EQ(QelCreateEnumConnections(connections, 2, &enumerator), S_OK);
    EXPECT_EQ(first.References(), 2u);
    CONNECTDATA got[3];
    ULONG fetched = 0;
    EXPECT_EQ(enumerator->Next(3, got, &fetched), S_FALSE);
    ASSERT_EQ(fetched, 2u);
    EXPECT_EQ(got[0].pUnk, &first);
    EXPECT_EQ(got[1].dwCookie, 2u);
    EXPECT_EQ(first.References(), 3u);
    got[0].pUnk->Release();
    got[1].pUnk->Release();
    EXPECT_EQ(enumerator->Release(), 0u);
    EXPECT_EQ(first.References(), 1u);
    EXPECT_EQ(second.References(), 1u);
}

TEST_F(ConnectionEnumerator, ClonesCarryOnFromTheSamePlace)
{
    CountedObject sink;
    CONNECTDATA connections[] = {{&sink, 7}, {&sink, 8}};
    IEnumConnections *enumerator = nullptr;
    ASSERT_EQ(QelCreateEnumConnections(connections, 2, &enumerator), S_OK);
    ASSERT_EQ(enumerator->Skip(1), S_OK);
    IEnumConnections *clone = nullptr;
    ASSERT_EQ(enumerator->Clone(&clone), S_OK);
    enumerator->Release();
    CONNECTDATA got;
    ASSERT_EQ(clone->Next(1, &got, nullptr), S_OK);
    EXPECT_EQ(got.dwCookie, 8u);
    got.pUnk->Release();
    EXPECT_EQ(clone->Next(1, &got, nullptr), S_FALSE);
    EXPECT_EQ(clone->Next(2, &got, nullptr), E_INVALIDARG);
    EXPECT_EQ(clone->Next(1, nullptr, nullptr), E_POINTER);
    clone->Release();
    EXPECT_EQ(sink.References(), 1u);
}

TEST_F(ConnectionEnumerator, AnEmptyListEnumeratesNothing)
{
    IEnumConnections *enumerator = nullptr;
    ASSERT_EQ(QelCreateEnumConnections(nullptr, 0, &enumerator), S_OK);
    CONNECTDATA got;
    ULONG fetched = 5;
    EXPECT_EQ(enumerator->Next(1, &got, &fetched), S_FALSE);
    EXPECT_EQ(fetched, 0u);
    enumerator->Release();
    EXPECT_EQ(QelCreateEnumConnections(nullptr, 1, &enumerator), E_POINTER);
    EXPECT_EQ(QelCreateEnumConnections(nullptr, 0, nullptr), E_POINTER);
}

} // namespace
