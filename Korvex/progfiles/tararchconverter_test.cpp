#include "tararchconverter.h"

#include "c16xinfo.h"

#include <qelsymbol.h>

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

// A symbol server that offers IQelSymbol2 over one program-information object (or
// none), records which programs it was asked for and shows its reference count. It
// lives on the test's stack.
class CProgramServer final : public IQelSymbol2 {
public:
    CProgramServer(IUnknown *program, LONG programId, bool offersPrograms = true)
        : program_(program), programId_(programId), offersPrograms_(offersPrograms)
    {
    }

    ULONG References() const { return references_; }
    const std::vector<LONG> &AskedIds() const { return askedIds_; }

    STDMETHODIMP QueryInterface(REFIID riid, void **ppv) override
    {
        if (riid == IID_IUnknown || (offersPrograms_ && riid == IID_IQelSymbol2)) {
            *ppv = static_cast<IQelSymbol2 *>(this);
            AddRef();
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++references_; }
    STDMETHODIMP_(ULONG) Release() override { return --references_; }

    STDMETHODIMP GetProgramCount(LONG *pnCount) override
    {
        *pnCount = program_ != nullptr ? 1 : 0;
        return S_OK;
    }
    STDMETHODIMP GetProgramId(LONG nIndex, LONG *pnProgramId) override
    {
        *pnProgramId = nIndex == 0 && program_ != nullptr ? programId_ : 0;
        return *pnProgramId != 0 ? S_OK : E_FAIL;
    }
    STDMETHODIMP GetProgramInfoById(LONG nProgramId, IUnknown **ppProgramInfo) override
    {
        askedIds_.push_back(nProgramId);
        *ppProgramInfo = nullptr;
        if (program_ == nullptr || nProgramId != programId_)
            return E_FAIL;
        program_->AddRef();
        *ppProgramInfo = program_;
        return S_OK;
    }

private:
    IUnknown *program_;
    LONG programId_;
    bool offersPrograms_;
    ULONG references_ = 1; // the creator's
    std::vector<LONG> askedIds_;
};

// A program-information object of the format, released when the holder goes.
class Program {
public:
    explicit Program(LONG type) { EXPECT_EQ(CreateProgramInfo(type, &info_), S_OK); }
    ~Program() { info_->Release(); }
    Program(const Program &) = delete;
    Program &operator=(const Program &) = delete;

    IUnknown *Unknown() const { return static_cast<IProgramInfo *>(info_); }
    LONG References() const { return info_->m_dwRef; }

private:
    CProgramInfo *info_ = nullptr;
};

template <class Number, size_t Size>
Number FromBytes(const unsigned char (&bytes)[Size])
{
    static_assert(Size == sizeof(Number));
    Number value;
    std::memcpy(&value, bytes, Size);
    return value;
}

template <class Number>
std::vector<unsigned char> Bytes(Number value)
{
    std::vector<unsigned char> bytes(sizeof value);
    std::memcpy(bytes.data(), &value, sizeof value);
    return bytes;
}

TEST(TarArchConverter, LeavesValuesAsTheyStandUnlessTheProgramIsATaskingC16xProgram)
{
    const float one = 1.0f;
    const double pi = 3.141592653589793;
    auto expectUnchanged = [&](const CTarArchConverter &converter, const char *what) {
        EXPECT_FALSE(converter.IsSwappedWordOrder()) << what;
        EXPECT_EQ(Bytes(converter.ConvertFloat(&one)), Bytes(one)) << what;
        EXPECT_EQ(Bytes(converter.ConvertDouble(&pi)), Bytes(pi)) << what;
    };

    CTarArchConverter none(nullptr, 1);
    expectUnchanged(none, "no symbol server");
    EXPECT_FALSE(none.Attach(nullptr, 1));

    CProgramServer oldServer(nullptr, 0, false);
    expectUnchanged(CTarArchConverter(&oldServer, 1), "a server without IQelSymbol2");

    CProgramServer empty(nullptr, 0);
    expectUnchanged(CTarArchConverter(&empty, 1), "no program loaded");
    EXPECT_TRUE(empty.AskedIds().empty()) << "a server without programs is asked for none";

    Program tasking(QEL_PROGRAM_TASKING_OUT);
    CProgramServer other(tasking.Unknown(), 7);
    expectUnchanged(CTarArchConverter(&other, 1), "another program than the one loaded");

    for (LONG type : {QEL_PROGRAM_ELF, QEL_PROGRAM_EOMF, QEL_PROGRAM_GNU166, QEL_PROGRAM_INTEL_HEX}) {
        Program program(type);
        CProgramServer server(program.Unknown(), 1);
        expectUnchanged(CTarArchConverter(&server, 1), "a program that is not Tasking's");
    }
}

TEST(TarArchConverter, ReversesTheWordsOfATaskingProgramsFloatingPointValues)
{
    Program tasking(QEL_PROGRAM_TASKING_OUT);
    CProgramServer server(tasking.Unknown(), 1);
    CTarArchConverter converter(&server, 1);
    ASSERT_TRUE(converter.IsSwappedWordOrder());

    const unsigned char inMemory[] = {0x00, 0x00, 0x80, 0x3F};
    const float target = FromBytes<float>(inMemory);
    const float host = converter.ConvertFloat(&target);
    EXPECT_EQ(Bytes(host), (std::vector<unsigned char>{0x80, 0x3F, 0x00, 0x00}));
    EXPECT_EQ(Bytes(converter.ConvertFloat(&host)), Bytes(target));

    const unsigned char doubleInMemory[] = {0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08};
    const double targetDouble = FromBytes<double>(doubleInMemory);
    const double hostDouble = converter.ConvertDouble(&targetDouble);
    EXPECT_EQ(Bytes(hostDouble), (std::vector<unsigned char>{0x07, 0x08, 0x05, 0x06, 0x03, 0x04, 0x01, 0x02}));
    EXPECT_EQ(Bytes(converter.ConvertDouble(&hostDouble)), Bytes(targetDouble));
}

TEST(TarArchConverter, AsksForTheProgramItIsGivenAndKeepsNoReference)
{
    Program tasking(QEL_PROGRAM_TASKING_OUT);
    CProgramServer server(tasking.Unknown(), 1);
    CTarArchConverter converter(&server, -1);
    EXPECT_TRUE(converter.IsSwappedWordOrder()) << "-1 stands for program 1";
    EXPECT_TRUE(converter.Attach(&server, 5));
    EXPECT_FALSE(converter.IsSwappedWordOrder()) << "the server has no program 5";
    EXPECT_EQ(server.AskedIds(), (std::vector<LONG>{1, 5}));
    EXPECT_EQ(server.References(), 1u);
    EXPECT_EQ(tasking.References(), 1);

    converter.Attach(&server, 1);
    ASSERT_TRUE(converter.IsSwappedWordOrder());
    EXPECT_FALSE(converter.Attach(nullptr, 1));
    EXPECT_FALSE(converter.IsSwappedWordOrder()) << "without a server nothing is converted";
}

} // namespace
