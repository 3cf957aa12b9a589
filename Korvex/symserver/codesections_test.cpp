// Code sections defined and undefined through the engine's requests 2002 and 2003.
#include "enginetesting.h"

#include <symbolcodes.h>

namespace {

using enginetest::EngineTest;

TEST(ClipRange, CutsARangeByASectionIntoWhatIsLeftOfIt)
{
    struct Case {
        DWORD first, last;
        int result;
        DWORD leftFirst, leftLast, secondFirst, secondLast;
    };
    // Against the section [0x100, 0x1FF].
    const Case cases[] = {
        {0x000, 0x0FF, 0, 0x000, 0x0FF, 0, 0},     // before it
        {0x100, 0x1FF, 1, 0, 0, 0, 0},             // covered
        {0x080, 0x17F, 2, 0x080, 0x0FF, 0, 0},     // its end cut
        {0x080, 0x27F, 3, 0x080, 0x0FF, 0x200, 0x27F}, // split around it
        {0x1FF, 0x27F, 4, 0x200, 0x27F, 0, 0},     // its start cut; the second piece stays empty
    };
    for (const Case &c : cases) {
        DWORD first = c.first, last = c.last, secondFirst = 0xAA, secondLast = 0xBB;
        EXPECT_EQ(ClipRange(0x100, 0x1FF, first, last, secondFirst, secondLast), c.result) << c.first;
        EXPECT_EQ(first, c.leftFirst);
        EXPECT_EQ(last, c.leftLast);
        EXPECT_EQ(secondFirst, c.secondFirst);
        EXPECT_EQ(secondLast, c.secondLast);
    }
}

class CodeSectionsTest : public EngineTest {
protected:
    // Request 2002 with the description, the contents (null: none) and the id (-1: none);
    // the request's status.
    int Define(const char *description, const std::vector<BYTE> *contents = nullptr, LONG id = -1,
               std::string *text = nullptr)
    {
        CSymbolRequest request(RequesterSynchronous);
        request.m_nCode = RequestCodeDefineCodeSection;
        request.Param1.vt = VT_BSTR;
        request.Param1.bstrVal = CString(description).AllocSysString();
        if (contents != nullptr) {
            SAFEARRAY *array = SafeArrayCreateVector(VT_UI1, 0, static_cast<ULONG>(contents->size()));
            if (!contents->empty())
                memcpy(array->pvData, contents->data(), contents->size());
            request.Param2.vt = VT_ARRAY | VT_UI1;
            request.Param2.parray = array;
        }
        if (id >= 0) {
            request.Param3.vt = VT_I4;
            request.Param3.lVal = id;
        }
        std::unique_ptr<CSymbolRequest> done(
            m_engine->TakeRequest(m_engine->Submit(request), RequestCodeLoadFile));
        if (text != nullptr)
            *text = done->m_strErrorText;
        return done->m_nStatus;
    }
    DWORD Undefine(const char *description)
    {
        CSymbolRequest request(RequesterSynchronous);
        request.m_nCode = RequestCodeUndefineCodeSection;
        request.Param1.vt = VT_BSTR;
        request.Param1.bstrVal = CString(description).AllocSysString();
        std::unique_ptr<CSymbolRequest> done(
            m_engine->TakeRequest(m_engine->Submit(request), RequestCodeLoadFile));
        return done->m_nResult;
    }
    std::vector<std::string> Names() const
    {
        std::vector<std::string> names;
        for (int i = 0; i < m_engine->CodeSections.GetSize(); ++i)
            names.push_back(static_cast<LPCSTR>(m_engine->CodeSections[i].Name));
        return names;
    }
};

TEST_F(CodeSectionsTest, ARangeIsDefinedOnlyWhereNoSectionCoversItYet)
{
    ASSERT_EQ(Define("Patch (1800h - 18FFh)", nullptr, 40), StatusSuccess);
    const std::vector<BYTE> bytes(0x1000, 0x5A);
    ASSERT_EQ(Define("Boot (1000h - 1FFFh)", &bytes), StatusSuccess);
    // A range that starts on the last address of a section keeps what lies behind it.
    ASSERT_EQ(Define("Tail (1FFFh - 20FFh)"), StatusSuccess);
    EXPECT_EQ(Names(), (std::vector<std::string>{"Patch  (1800h - 18FFh)", "Boot  (1000h - 17FFh)",
                                                 "Boot  (1900h - 1FFFh)", "Tail  (2000h - 20FFh)"}))
        << "the name keeps its blank before the range";

    const auto blocks = m_host->Downloads()->Blocks();
    ASSERT_EQ(blocks.size(), 4u);
    EXPECT_EQ(blocks[1].start, 0x1000u);
    EXPECT_EQ(blocks[1].bytes, std::vector<BYTE>(0x800, 0x5A));
    EXPECT_EQ(blocks[1].kind, 0u);
    EXPECT_EQ(blocks[2].start, 0x1900u);
    EXPECT_EQ(blocks[1].programId, 1u) << "the first id given out";
    EXPECT_EQ(blocks[2].programId, 2u);
    // Without an id of its own the host learns of each piece first, and then where the
    // program starts: at the first piece, since the host's target says nothing.
    EXPECT_EQ(m_host->Downloads()->Announcements().size(), 3u);
    const auto starts = m_host->Downloads()->StartAddresses();
    ASSERT_EQ(starts.size(), 2u);
    EXPECT_EQ(starts[0].id, 2);
    EXPECT_EQ(starts[0].address, 0x1000u);

    EXPECT_EQ(m_engine->FindCodeSectionByAddress(SYAM_ABSOLUTE, 0x1900, 0), 2);
    EXPECT_EQ(m_engine->FindCodeSectionByAddress(SYAM_ABSOLUTE, 0x1FFF, 0), 2);
    EXPECT_EQ(m_engine->FindCodeSectionByAddress(SYAM_ABSOLUTE, 0x2100, 0), -1);
    EXPECT_EQ(m_engine->FindCodeSectionByAddress(SYAM_VIRTUAL, 0x1900, 0), -1);

    EXPECT_EQ(Undefine("Boot (1900h - 1FFFh)"), 0u) << "only the stored name is known";
    EXPECT_EQ(Undefine("Boot  (1900h - 1FFFh)"), 1u);
    EXPECT_EQ(Undefine("Patch  (1800h - 18FFh)"), 1u);
    EXPECT_EQ(m_host->Downloads()->ForgottenSections(), (std::vector<LONG>{2, 40}));
    EXPECT_EQ(Names(), (std::vector<std::string>{"Boot  (1000h - 17FFh)", "Tail  (2000h - 20FFh)"}));
}

TEST_F(CodeSectionsTest, TheProgramStartsWhereTheHostsTargetStands)
{
    m_host->Target()->SetPc(0x1234);
    ASSERT_EQ(Define("Boot (1000h - 1FFFh)"), StatusSuccess);
    ASSERT_EQ(m_host->Downloads()->StartAddresses().size(), 1u);
    EXPECT_EQ(m_host->Downloads()->StartAddresses()[0].address, 0x1234u);
    EXPECT_EQ(m_host->Downloads()->StartAddresses()[0].address2, 0x1234u);
}

TEST_F(CodeSectionsTest, BadRangesAndContentsAreRefusedOrReservedAndNotSentAsBytes)
{
    std::string text;
    EXPECT_EQ(Define("Back (2000h - 1000h)", nullptr, -1, &text), StatusOtherError);
    EXPECT_EQ(text, "Error: Start >= End");
    EXPECT_EQ(Define("Huge (0h - 1000000h)", nullptr, -1, &text), StatusOtherError);
    EXPECT_EQ(text, "Error: End - Start  >  FFFFFFh");
    EXPECT_EQ(Define("no range at all"), StatusSuccess);
    EXPECT_EQ(Define("Bad (12h - zzh)"), StatusSuccess);
    EXPECT_TRUE(Names().empty());

    // Contents of another length reserve the range; they are not the range's bytes.
    const std::vector<BYTE> shortContents(4, 0x11);
    ASSERT_EQ(Define("Short (100h - 10Fh)", &shortContents), StatusSuccess);
    // A range that ends at the top of the address space is found to its last byte.
    ASSERT_EQ(Define("Top (FFFFFF00h - FFFFFFFFh)"), StatusSuccess);
    const auto blocks = m_host->Downloads()->Blocks();
    ASSERT_EQ(blocks.size(), 2u);
    EXPECT_TRUE(blocks[0].bytes.empty());
    EXPECT_EQ(blocks[0].kind, 3u);
    EXPECT_EQ(blocks[1].bytes.size(), 0x100u);
    EXPECT_EQ(blocks[1].kind, 3u);
    EXPECT_EQ(m_engine->FindCodeSectionByAddress(SYAM_ABSOLUTE, 0xFFFFFFFF, 0), 1);
    EXPECT_EQ(m_engine->FindCodeSectionByAddress(SYAM_ABSOLUTE, 0x10, 0), -1);

    m_host->Downloads()->RefuseAfter(0);
    EXPECT_EQ(Define("Refused (200h - 2FFh)"), StatusCodeRefused);
    EXPECT_EQ(Names().size(), 3u) << "the section is defined all the same";
}

} // namespace
