// The validator on a real program: the expression object that the symbol server hands
// out evaluates the text on the program that the simulated target holds.
#include "validator.h"

#include "korvextestmodule.h"

#include <debugserver.h>
#include <hosttarget.h>
#include <qelsymbsrv.h>
#include <symbolprocessing.h>

#include <testing/buildpaths.h>
#include <testing/countedobject.h>
#include <testing/messagepump.h>
#include <testing/stgtesting.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

namespace {

namespace fs = std::filesystem;

// The address of main in arm7-mixed.elf, as arm-none-eabi-nm gives it.
const ULONG kMainAddress = 0x68;

void OnLoaded(int, const ProgramLoadResult *result, DWORD_PTR context)
{
    *reinterpret_cast<LONG *>(context) = result->Status;
}

class ValidatorOnProgram : public ::testing::Test {
protected:
    void SetUp() override
    {
        module_.Register();
        QelHost::ControllerConfig config;
        config.wordSize = 32;
        ASSERT_EQ(QelHost::CreateDebugServer(config, &host_), S_OK);
        ASSERT_EQ(Host()->CreateSymbolServer(CLSID_QelSymbol), S_OK);
        ASSERT_EQ(host_->QueryInterface(IID_IQelSymbSrv, reinterpret_cast<void **>(&srv_)), S_OK);
        ASSERT_EQ(srv_->Init(host_, nullptr), S_OK);
        storage_.Attach(NewMemoryStorage());
        ASSERT_EQ(srv_->Init(storage_, &gui_), S_OK);
        ASSERT_EQ(srv_->RestoreSettings(), S_OK);
        std::string folder = (fs::temp_directory_path() / "qelvalidator-XXXXXX").string();
        ASSERT_NE(mkdtemp(folder.data()), nullptr);
        folder_ = folder;
        const fs::path copy = folder_ / "arm7-mixed.elf";
        fs::copy_file(fs::path(kQelSourceDir) / "testdata/elf/arm7-mixed.elf", copy);
        std::string reason;
        ASSERT_TRUE(Host()->Target()->LoadProgram(copy.c_str(), &reason)) << reason;
        client_ = std::make_unique<CSymbolProcessing>(host_, TRUE, FALSE);
        LONG status = -1;
        const int load = client_->LoadFile(copy.c_str(), 1, nullptr);
        ASSERT_TRUE(client_->RegisterProgramInfoCallbackWithId(load, OnLoaded, reinterpret_cast<DWORD_PTR>(&status)));
        ASSERT_TRUE(QelPumpMessagesUntil([&] { return status != -1; }, 60000));
        ASSERT_EQ(status, 0);
    }

    void TearDown() override
    {
        client_.reset();
        if (srv_ != nullptr)
            srv_->Cleanup();
        srv_.Release();
        if (host_ != nullptr)
            Host()->ReleaseSymbolServer();
        host_.Release();
        module_.Revoke();
        std::error_code ignored;
        fs::remove_all(folder_, ignored);
    }

    QelHost::CHostDebugServer *Host() { return static_cast<QelHost::CHostDebugServer *>(static_cast<IQelHostHolder *>(host_.p)); }

    CKorvexTestModule module_;
    CComPtr<IUnknown> host_;
    CComPtr<IQelSymbSrv> srv_;
    CComPtr<IStorage> storage_;
    CountedObject gui_;
    fs::path folder_;
    std::unique_ptr<CSymbolProcessing> client_;
};

// Symbols, arithmetic and addresses in the upper half (TriCore's code lies at
// 0x80000000 and 0xA0000000) all come back as their 32 bits; text that does not
// evaluate fails.
TEST_F(ValidatorOnProgram, EvaluatesTheTextOnTheTarget)
{
    CValidator validator;
    validator.SetTarget(host_);
    const struct {
        const char *text;
        ULONG value;
    } cases[] = {{"&main", kMainAddress}, {"0x10+2", 18}, {"0xA0000000", 0xA0000000}, {"0x80000000+4", 0x80000004}};
    for (const auto &c : cases) {
        ULONG value = 0;
        EXPECT_TRUE(validator.ToULong(&value, c.text)) << c.text;
        EXPECT_EQ(value, c.value) << c.text;
    }
    double number = 0;
    EXPECT_TRUE(validator.Convert(CValidator::KindDouble, &number, "3+4"));
    EXPECT_EQ(number, 7.0);
    ULONG value = 7;
    EXPECT_FALSE(validator.ToULong(&value, "no_such_symbol"));
    EXPECT_FALSE(validator.ToULong(&value, "1+"));
    // Letting go of the target falls back to plain numbers.
    validator.SetTarget(nullptr);
    EXPECT_FALSE(validator.ToULong(&value, "0x10+2"));
}

// Without a target the text is a number whose radix it names itself.
TEST(Validator, WithoutATargetReadsPlainNumbers)
{
    CValidator validator;
    const struct {
        const char *text;
        bool ok;
        ULONG value;
    } cases[] = {{"0x10", true, 16}, {"10h", true, 16}, {"101b", true, 5}, {"12", true, 12},
                 {"", false, 0},     {"1x", false, 0},  {"main", false, 0}};
    for (const auto &c : cases) {
        ULONG value = 0;
        EXPECT_EQ(validator.ToULong(&value, c.text) != FALSE, c.ok) << c.text;
        if (c.ok) {
            EXPECT_EQ(value, c.value) << c.text;
        }
    }
    double number = 0;
    EXPECT_TRUE(validator.Convert(CValidator::KindDouble, &number, "2.5"));
    EXPECT_EQ(number, 2.5);
    EXPECT_FALSE(validator.Convert(CValidator::KindDouble, &number, "x"));
}

} // namespace
