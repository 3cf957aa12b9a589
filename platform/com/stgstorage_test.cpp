#include "ole2.h"
#include "testing/comobjectbalance.h"
#include "testing/stgtesting.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

namespace {

class Storage : public ComObjectBalance {
protected:
    void SetUp() override
    {
        ComObjectBalance::SetUp();
        root_ = NewMemoryStorage();
        ASSERT_NE(root_, nullptr);
    }
    void TearDown() override
    {
        if (root_)
            root_->Release();
        ComObjectBalance::TearDown();
    }

    IStorage *SubStorage(const char16_t *name)
    {
        IStorage *sub = nullptr;
        EXPECT_EQ(root_->CreateStorage(name, kStgCreate, 0, 0, &sub), S_OK);
        return sub;
    }

    IStorage *root_ = nullptr;
};

TEST_F(Storage, StreamKeepsWhatWasWritten)
{
    WriteStream(root_, u"Number", std::string("\x01\x00\x00\x00", 4));
    EXPECT_EQ(ReadStream(root_, u"Number"), std::string("\x01\x00\x00\x00", 4));
}

TEST_F(Storage, NamesCompareBlindToCaseAndKeepTheirCase)
{
    WriteStream(root_, u"SourceFile", "a");
    EXPECT_EQ(ReadStream(root_, u"SOURCEFILE"), "a");
    EXPECT_EQ(ReadStream(root_, u"sourcefile"), "a");
    // Latin letters of code page 1252 beyond ASCII fold too.
    WriteStream(root_, u"\u00e9t\u00e9 \u0161", "b");
    EXPECT_EQ(ReadStream(root_, u"\u00c9T\u00c9 \u0160"), "b");
    EXPECT_EQ(ElementNames(root_), (std::vector<std::u16string>{u"\u00e9t\u00e9 \u0161", u"SourceFile"}));
}

TEST_F(Storage, NamesFollowThePlatformsRules)
{
    IStream *stream = nullptr;
    const char16_t *longest = u"abcdefghijklmnopqrstuvwxyz01234";
    EXPECT_EQ(root_->CreateStream(longest, kStgCreate, 0, 0, &stream), S_OK);
    stream->Release();
    EXPECT_EQ(root_->CreateStream(u"abcdefghijklmnopqrstuvwxyz012345", kStgCreate, 0, 0, &stream),
              STG_E_INVALIDNAME);
    EXPECT_EQ(stream, nullptr);
    for (const char16_t *bad : {u"", u"a/b", u"a\\b", u"a:b", u"a!b"})
        EXPECT_EQ(root_->CreateStream(bad, kStgCreate, 0, 0, &stream), STG_E_INVALIDNAME);
    EXPECT_EQ(root_->CreateStream(nullptr, kStgCreate, 0, 0, &stream), STG_E_INVALIDPOINTER);
    EXPECT_EQ(root_->OpenStream(u"abcdefghijklmnopqrstuvwxyz012345", nullptr, kStgOpenRW, 0, &stream),
              STG_E_INVALIDNAME);
    // Control characters are the platform's names of special elements, and allowed.
    EXPECT_EQ(root_->CreateStream(u"\x05SummaryInformation", kStgCreate, 0, 0, &stream), S_OK);
    stream->Release();
}

TEST_F(Storage, CreateWithoutReplaceFailsOnAnExistingElement)
{
    WriteStream(root_, u"Key", "old");
    IStream *stream = nullptr;
    EXPECT_EQ(root_->CreateStream(u"KEY", kStgOpenRW, 0, 0, &stream), STG_E_FILEALREADYEXISTS);
    EXPECT_EQ(stream, nullptr);
    EXPECT_EQ(ReadStream(root_, u"Key"), "old");
}

TEST_F(Storage, CreateWithReplaceEmptiesTheElementAndTakesTheNewCase)
{
    WriteStream(root_, u"Key", "old text");
    IStream *stream = nullptr;
    ASSERT_EQ(root_->CreateStream(u"KEY", kStgCreate, 0, 0, &stream), S_OK);
    stream->Release();
    EXPECT_EQ(ReadStream(root_, u"key"), "");
    EXPECT_EQ(ElementNames(root_), (std::vector<std::u16string>{u"KEY"}));
}

TEST_F(Storage, ReplacingAStorageByAStreamDestroysWhatItHeld)
{
    IStorage *section = SubStorage(u"Section");
    WriteStream(section, u"Entry", "x");
    section->Release();
    WriteStream(root_, u"Section", "now a stream");
    EXPECT_EQ(ReadStream(root_, u"Section"), "now a stream");
    IStorage *again = nullptr;
    EXPECT_EQ(root_->OpenStorage(u"Section", nullptr, kStgOpenRW, nullptr, 0, &again), STG_E_FILENOTFOUND);
}

TEST_F(Storage, OpeningWhatIsNotThereFails)
{
    IStream *stream = nullptr;
    IStorage *storage = nullptr;
    EXPECT_EQ(root_->OpenStream(u"Missing", nullptr, kStgOpenRW, 0, &stream), STG_E_FILENOTFOUND);
    EXPECT_EQ(root_->OpenStorage(u"Missing", nullptr, kStgOpenRW, nullptr, 0, &storage), STG_E_FILENOTFOUND);
    WriteStream(root_, u"Stream", "x");
    SubStorage(u"Storage")->Release();
    EXPECT_EQ(root_->OpenStorage(u"Stream", nullptr, kStgOpenRW, nullptr, 0, &storage), STG_E_FILENOTFOUND);
    EXPECT_EQ(root_->OpenStream(u"Storage", nullptr, kStgOpenRW, 0, &stream), STG_E_FILENOTFOUND);
    EXPECT_EQ(stream, nullptr);
    EXPECT_EQ(storage, nullptr);
}

TEST_F(Storage, AnElementIsOpenOnceAtATime)
{
    WriteStream(root_, u"Value", "1");
    IStream *first = nullptr, *second = nullptr;
    ASSERT_EQ(root_->OpenStream(u"Value", nullptr, kStgOpenRW, 0, &first), S_OK);
    EXPECT_EQ(root_->OpenStream(u"value", nullptr, kStgOpenRead, 0, &second), STG_E_ACCESSDENIED);
    first->Release();
    ASSERT_EQ(root_->OpenStream(u"value", nullptr, kStgOpenRead, 0, &second), S_OK);
    second->Release();

    IStorage *section = SubStorage(u"Section");
    IStorage *other = nullptr;
    EXPECT_EQ(root_->OpenStorage(u"Section", nullptr, kStgOpenRW, nullptr, 0, &other), STG_E_ACCESSDENIED);
    section->Release();
}

TEST_F(Storage, OnlyTheModesTheSystemUsesAreTaken)
{
    IStream *stream = nullptr;
    IStorage *storage = nullptr;
    WriteStream(root_, u"Value", "1");
    for (DWORD mode : {DWORD(0x01 | STGM_SHARE_EXCLUSIVE), DWORD(STGM_READWRITE), DWORD(STGM_READWRITE | 0x40),
                       DWORD(kStgOpenRW | 0x00010000), DWORD(kStgCreate)}) {
        EXPECT_EQ(root_->OpenStream(u"Value", nullptr, mode, 0, &stream), STG_E_INVALIDFLAG) << mode;
    }
    EXPECT_EQ(root_->CreateStream(u"New", kStgOpenRead, 0, 0, &stream), STG_E_INVALIDFLAG);
    EXPECT_EQ(root_->CreateStorage(u"New", STGM_CREATE | STGM_READWRITE, 0, 0, &storage), STG_E_INVALIDFLAG);
    EXPECT_EQ(root_->CreateStream(u"New", kStgCreate, 1, 0, &stream), STG_E_INVALIDPARAMETER);
    int reserved = 0;
    EXPECT_EQ(root_->OpenStream(u"Value", &reserved, kStgOpenRW, 0, &stream), STG_E_INVALIDPARAMETER);
    EXPECT_EQ(root_->OpenStorage(u"Value", root_, kStgOpenRW, nullptr, 0, &storage), STG_E_INVALIDPARAMETER);
    EXPECT_EQ(root_->CreateStream(u"New", kStgCreate, 0, 0, nullptr), STG_E_INVALIDPOINTER);
    EXPECT_EQ(ElementNames(root_), (std::vector<std::u16string>{u"Value"}));
}

TEST_F(Storage, AStorageOpenedForReadingChangesNothing)
{
    IStorage *section = SubStorage(u"Section");
    WriteStream(section, u"Entry", "value");
    section->Release();
    ASSERT_EQ(root_->OpenStorage(u"Section", nullptr, kStgOpenRead, nullptr, 0, &section), S_OK);
    IStream *stream = nullptr;
    IStorage *storage = nullptr;
    EXPECT_EQ(section->CreateStream(u"New", kStgCreate, 0, 0, &stream), STG_E_ACCESSDENIED);
    EXPECT_EQ(section->CreateStorage(u"New", kStgCreate, 0, 0, &storage), STG_E_ACCESSDENIED);
    EXPECT_EQ(section->DestroyElement(u"Entry"), STG_E_ACCESSDENIED);
    EXPECT_EQ(section->RenameElement(u"Entry", u"Other"), STG_E_ACCESSDENIED);
    EXPECT_EQ(section->OpenStream(u"Entry", nullptr, kStgOpenRW, 0, &stream), STG_E_ACCESSDENIED);
    ASSERT_EQ(section->OpenStream(u"Entry", nullptr, kStgOpenRead, 0, &stream), S_OK);
    ULONG written = 7;
    EXPECT_EQ(stream->Write("x", 1, &written), STG_E_ACCESSDENIED);
    EXPECT_EQ(written, 0u);
    ULARGE_INTEGER size;
    size.QuadPart = 0;
    EXPECT_EQ(stream->SetSize(size), STG_E_ACCESSDENIED);
    stream->Release();
    EXPECT_EQ(section->Commit(STGC_DEFAULT), S_OK);
    EXPECT_EQ(ReadStream(section, u"Entry"), "value");
    section->Release();
}

TEST_F(Storage, ElementsEnumerateShorterNamesFirstThenByUpperCase)
{
    for (const char16_t *name : {u"b", u"Zz", u"aa", u"C", u"_a"})
        WriteStream(root_, name, "");
    SubStorage(u"Ab")->Release();
    EXPECT_EQ(ElementNames(root_), (std::vector<std::u16string>{u"b", u"C", u"aa", u"dAb", u"Zz", u"_a"}));
}

TEST_F(Storage, EnumerationReportsTypeAndSize)
{
    WriteStream(root_, u"Text", "abcdef");
    SubStorage(u"Sub")->Release();
    IEnumSTATSTG *elements = nullptr;
    ASSERT_EQ(root_->EnumElements(0, nullptr, 0, &elements), S_OK);
    STATSTG stats[3];
    ULONG fetched = 0;
    EXPECT_EQ(elements->Next(3, stats, &fetched), S_FALSE);
    ASSERT_EQ(fetched, 2u);
    EXPECT_EQ(std::u16string(stats[0].pwcsName), u"Sub");
    EXPECT_EQ(stats[0].type, DWORD(STGTY_STORAGE));
    EXPECT_EQ(std::u16string(stats[1].pwcsName), u"Text");
    EXPECT_EQ(stats[1].type, DWORD(STGTY_STREAM));
    EXPECT_EQ(stats[1].cbSize.QuadPart, 6u);
    for (ULONG i = 0; i < fetched; i++)
        CoTaskMemFree(stats[i].pwcsName);
    EXPECT_EQ(elements->Next(2, stats, nullptr), STG_E_INVALIDPARAMETER);
    elements->Release();
}

TEST_F(Storage, EnumeratorSkipsResetsAndClones)
{
    for (const char16_t *name : {u"a", u"b", u"c"})
        WriteStream(root_, name, "");
    IEnumSTATSTG *elements = nullptr;
    ASSERT_EQ(root_->EnumElements(0, nullptr, 0, &elements), S_OK);
    EXPECT_EQ(elements->Skip(1), S_OK);
    IEnumSTATSTG *clone = nullptr;
    ASSERT_EQ(elements->Clone(&clone), S_OK);
    STATSTG stat;
    ASSERT_EQ(clone->Next(1, &stat, nullptr), S_OK);
    EXPECT_EQ(std::u16string(stat.pwcsName), u"b");
    CoTaskMemFree(stat.pwcsName);
    EXPECT_EQ(elements->Skip(5), S_FALSE);
    EXPECT_EQ(elements->Next(1, &stat, nullptr), S_FALSE);
    EXPECT_EQ(elements->Reset(), S_OK);
    ASSERT_EQ(elements->Next(1, &stat, nullptr), S_OK);
    EXPECT_EQ(std::u16string(stat.pwcsName), u"a");
    CoTaskMemFree(stat.pwcsName);
    clone->Release();
    elements->Release();
}

TEST_F(Storage, EnumerationShowsTheElementsAsTheyWereWhenItBegan)
{
    WriteStream(root_, u"a", "");
    IEnumSTATSTG *elements = nullptr;
    ASSERT_EQ(root_->EnumElements(0, nullptr, 0, &elements), S_OK);
    EXPECT_EQ(root_->DestroyElement(u"a"), S_OK);
    STATSTG stat;
    ASSERT_EQ(elements->Next(1, &stat, nullptr), S_OK);
    EXPECT_EQ(std::u16string(stat.pwcsName), u"a");
    CoTaskMemFree(stat.pwcsName);
    elements->Release();
}

TEST_F(Storage, DestroyElementTakesEverythingInsideWithIt)
{
    IStorage *section = SubStorage(u"Section");
    IStorage *inner = nullptr;
    ASSERT_EQ(section->CreateStorage(u"Inner", kStgCreate, 0, 0, &inner), S_OK);
    WriteStream(inner, u"Entry", "x");
    inner->Release();
    section->Release();
    EXPECT_EQ(root_->DestroyElement(u"SECTION"), S_OK);
    EXPECT_TRUE(ElementNames(root_).empty());
    EXPECT_EQ(root_->DestroyElement(u"Section"), STG_E_FILENOTFOUND);
}

TEST_F(Storage, DestroyingAnOpenElementRevertsItsObjects)
{
    IStorage *section = SubStorage(u"Section");
    IStream *stream = nullptr;
    ASSERT_EQ(section->CreateStream(u"Entry", kStgCreate, 0, 0, &stream), S_OK);
    EXPECT_EQ(root_->DestroyElement(u"Section"), S_OK);
    ULONG written = 0;
    EXPECT_EQ(stream->Write("x", 1, &written), STG_E_REVERTED);
    STATSTG stat;
    EXPECT_EQ(section->Stat(&stat, STATFLAG_DEFAULT), STG_E_REVERTED);
    IStream *other = nullptr;
    EXPECT_EQ(section->CreateStream(u"Other", kStgCreate, 0, 0, &other), STG_E_REVERTED);
    stream->Release();
    section->Release();
}

TEST_F(Storage, ReleasingAStorageRevertsWhatWasOpenedFromIt)
{
    IStorage *section = SubStorage(u"Section");
    IStream *stream = nullptr;
    ASSERT_EQ(section->CreateStream(u"Entry", kStgCreate, 0, 0, &stream), S_OK);
    section->Release();
    char byte;
    ULONG got = 5;
    EXPECT_EQ(stream->Read(&byte, 1, &got), STG_E_REVERTED);
    EXPECT_EQ(got, 0u);
    stream->Release();
    // The elements themselves stay, and may be opened again.
    ASSERT_EQ(root_->OpenStorage(u"Section", nullptr, kStgOpenRW, nullptr, 0, &section), S_OK);
    EXPECT_EQ(ElementNames(section), (std::vector<std::u16string>{u"Entry"}));
    section->Release();
}

TEST_F(Storage, RenameElementMovesTheElementToItsNewName)
{
    WriteStream(root_, u"Old", "content");
    WriteStream(root_, u"Other", "");
    EXPECT_EQ(root_->RenameElement(u"old", u"New"), S_OK);
    EXPECT_EQ(ReadStream(root_, u"New"), "content");
    EXPECT_EQ(ReadStream(root_, u"Old"), "<missing>");
    EXPECT_EQ(root_->RenameElement(u"New", u"OTHER"), STG_E_FILEALREADYEXISTS);
    EXPECT_EQ(root_->RenameElement(u"Missing", u"Any"), STG_E_FILENOTFOUND);
    EXPECT_EQ(root_->RenameElement(u"New", u"NEW"), S_OK);
    EXPECT_EQ(ElementNames(root_), (std::vector<std::u16string>{u"NEW", u"Other"}));
    IStream *stream = nullptr;
    ASSERT_EQ(root_->OpenStream(u"New", nullptr, kStgOpenRW, 0, &stream), S_OK);
    EXPECT_EQ(root_->RenameElement(u"New", u"Newer"), STG_E_ACCESSDENIED);
    stream->Release();
    EXPECT_EQ(root_->RenameElement(u"New", u"a/b"), STG_E_INVALIDNAME);
}

TEST_F(Storage, StatGivesNameTypeAndMode)
{
    IStorage *section = SubStorage(u"Section");
    STATSTG stat;
    ASSERT_EQ(section->Stat(&stat, STATFLAG_DEFAULT), S_OK);
    EXPECT_EQ(std::u16string(stat.pwcsName), u"Section");
    EXPECT_EQ(stat.type, DWORD(STGTY_STORAGE));
    EXPECT_EQ(stat.grfMode, DWORD(kStgOpenRW));
    CoTaskMemFree(stat.pwcsName);
    ASSERT_EQ(section->Stat(&stat, STATFLAG_NONAME), S_OK);
    EXPECT_EQ(stat.pwcsName, nullptr);
    EXPECT_EQ(section->Stat(&stat, 2), STG_E_INVALIDFLAG);
    EXPECT_EQ(section->Stat(nullptr, STATFLAG_DEFAULT), STG_E_INVALIDPOINTER);
    section->Release();
    // A root storage in memory has no file to be named after.
    ASSERT_EQ(root_->Stat(&stat, STATFLAG_DEFAULT), S_OK);
    EXPECT_EQ(std::u16string(stat.pwcsName), u"");
    CoTaskMemFree(stat.pwcsName);
}

TEST_F(Storage, CommitAndRevertOfAMemoryStorageKeepEverything)
{
    WriteStream(root_, u"Value", "1");
    EXPECT_EQ(root_->Commit(STGC_DEFAULT), S_OK);
    EXPECT_EQ(root_->Revert(), S_OK);
    EXPECT_EQ(root_->Commit(8), STG_E_INVALIDFLAG);
    EXPECT_EQ(ReadStream(root_, u"Value"), "1");
}

TEST_F(Storage, StoragesNestAsDeepAsTheLimitAndNoDeeper)
{
    std::vector<IStorage *> chain{root_};
    HRESULT hr = S_OK;
    while (hr == S_OK && chain.size() < 200) {
        IStorage *next = nullptr;
        hr = chain.back()->CreateStorage(u"Level", kStgCreate, 0, 0, &next);
        if (hr == S_OK)
            chain.push_back(next);
    }
    EXPECT_EQ(hr, STG_E_DOCFILETOOLARGE);
    EXPECT_EQ(chain.size(), 129u); // the root and 128 levels below it
    for (size_t i = chain.size() - 1; i > 0; i--)
        chain[i]->Release();
}

TEST_F(Storage, UnofferedSlotsSaySo)
{
    EXPECT_EQ(root_->CopyTo(0, nullptr, nullptr, root_), E_NOTIMPL);
    EXPECT_EQ(root_->SetClass(GUID_NULL), E_NOTIMPL);
    IUnknown *unknown = nullptr;
    ASSERT_EQ(root_->QueryInterface(IID_IUnknown, reinterpret_cast<void **>(&unknown)), S_OK);
    EXPECT_EQ(unknown, static_cast<IUnknown *>(root_));
    unknown->Release();
    IStream *notAStream = nullptr;
    EXPECT_EQ(root_->QueryInterface(&notAStream), E_NOINTERFACE);
}

TEST_F(Storage, ThreadsMayWorkInOneTreeAtOnce)
{
    auto work = [this](const char16_t *name) {
        IStorage *section = nullptr;
        ASSERT_EQ(root_->CreateStorage(name, kStgCreate, 0, 0, &section), S_OK);
        for (int i = 0; i < 200; i++)
            WriteStream(section, u"Entry", std::to_string(i));
        section->Release();
    };
    std::thread a(work, u"A"), b(work, u"B");
    a.join();
    b.join();
    EXPECT_EQ(ElementNames(root_), (std::vector<std::u16string>{u"dA", u"dB"}));
}

} // namespace
