#include "debugserver.h"
#include "hostcfgprofile.h"
#include "hostprogwinview.h"

#include <hostcmdgroups.h>
#include <oletarcmdcaller.h>
#include <qelsymbol.h>
#include <qelsymbsrv.h>

#include "testing/buildpaths.h"
#include "testing/comallocbalance.h"
#include "testing/countedobject.h"
#include "testing/stgtesting.h"

#include <gtest/gtest.h>

#include <dlfcn.h>

#include <filesystem>

namespace {

using QelHost::CHostFrame;
using QelHost::CHostProgWinView;

constexpr DWORD kCookie = 4;

CComVariant U4(ULONG value)
{
    CComVariant v;
    v.vt = VT_UI4;
    v.ulVal = value;
    return v;
}

// View command `id` with `in`; `outputs` values come back into *out.
HRESULT Send(IUnknown *view, DWORD id, const std::vector<CComVariant> &in, int outputs = 0,
             std::vector<CComVariant> *out = nullptr, const GUID *group = &CGID_QelProgWinView)
{
    CVariantArray arguments(static_cast<int>(in.size())), results(outputs);
    for (size_t i = 0; i < in.size(); ++i)
        arguments[static_cast<int>(i)].SetValue(in[i]);
    HRESULT hr = COleTarCmdCaller(view, group).Exec(id, in.empty() ? nullptr : &arguments, outputs ? &results : nullptr, 0);
    for (int i = 0; out && i < results.GetSize(); ++i)
        out->emplace_back(results[i].GetValue());
    return hr;
}

class ProgWinViewTest : public ComAllocBalance {
protected:
    void SetUp() override
    {
        ComAllocBalance::SetUp();
        CComObject<CHostFrame> *frame = nullptr;
        ASSERT_EQ(CComObject<CHostFrame>::CreateInstance(&frame), S_OK);
        frame_ = frame;
        frame_->SetViewFactory("StdQelProgWin", QelHost::ProgWinViewFactory());
        ASSERT_EQ(frame_->RegisterCommand(kCookie, 10, nullptr, &CLSID_QelSymbol, CComBSTR("StdQelProgWin")), S_OK);
    }

    void TearDown() override
    {
        frame_.Release();
        ComAllocBalance::TearDown();
    }

    // A new view, its identity in *view.
    CHostProgWinView *OpenView(IUnknown **view)
    {
        CComPtr<IStorage> storage;
        EXPECT_EQ(frame_->ShowView(kCookie, nullptr, view, &storage), S_OK);
        return static_cast<CHostProgWinView *>(frame_->Views(kCookie).back());
    }

    CComPtr<CHostFrame> frame_;
};

TEST_F(ProgWinViewTest, KeepsWhatItIsShownAndRefusesWhatItCannotTake)
{
    CComPtr<IUnknown> view;
    CHostProgWinView *window = OpenView(&view);
    EXPECT_EQ(Send(view, 10, {U4(1), CComVariant("<code: 0x68-0x867>"), U4(0)}), S_OK);
    EXPECT_EQ(window->Name(), "<code: 0x68-0x867>");
    EXPECT_TRUE(window->Temporary());
    EXPECT_EQ(Send(view, 10, {U4(2), CComVariant("main.c")}), S_OK);
    EXPECT_EQ(Send(view, 15, {U4(12), U4(0x68), CComVariant("main")}), S_OK);
    EXPECT_EQ(Send(view, 15, {CComVariant("13")}), S_OK) << "no line: the line stays";
    // A line may carry marks of several kinds; clearing takes the one of its kind.
    for (const auto &mark : {std::vector<ULONG>{1, 12, 1}, {1, 12, 0}, {1, 20, 1}, {0, 12, 1}, {0, 30, 0}})
        EXPECT_EQ(Send(view, 18, {U4(mark[0]), U4(mark[1]), U4(mark[2])}), S_OK);
    EXPECT_EQ(Send(view, 91, {U4(0x100), U4(0)}), S_OK);
    for (DWORD id : {13, 14, 16, 17, 19, 90, 96})
        EXPECT_EQ(Send(view, id, {}), S_OK) << id;

    // Refused, changing nothing.
    const std::pair<DWORD, std::vector<CComVariant>> wrong[] = {{10, {CComVariant("thumb.c"), U4(1)}},
                                                                {10, {U4(1)}},
                                                                {18, {U4(1), CComVariant(static_cast<LONG>(12)), U4(0)}},
                                                                {18, {U4(1), U4(12)}},
                                                                {91, {CComVariant("0x100")}},
                                                                {22, {U4(0x68)}},
                                                                {22, {U4(0x68), U4(1)}},
                                                                {21, {}}};
    for (const auto &command : wrong)
        EXPECT_EQ(Send(view, command.first, command.second), E_INVALIDARG) << command.first;
    for (DWORD id : {1, 11, 12, 20, 92})
        EXPECT_EQ(Send(view, id, {}), OLECMDERR_E_NOTSUPPORTED) << id;
    EXPECT_EQ(window->Name(), "main.c");
    EXPECT_FALSE(window->Temporary());
    EXPECT_EQ(window->Marks(), (std::set<std::pair<ULONG, ULONG>>{{12, 0}, {20, 1}}));
    EXPECT_EQ(window->InstructionPointer(), std::optional<ULONG>(0x100));
    EXPECT_TRUE(window->Modules().empty()) << "no debug-server object";

    std::vector<CComVariant> answers;
    EXPECT_EQ(Send(view, 21, {}, 3, &answers), S_OK);
    ASSERT_EQ(answers.size(), 3u);
    EXPECT_TRUE(answers[0].vt == VT_I4 && answers[1].vt == VT_I4 && answers[2].vt == VT_I4);
    EXPECT_EQ(answers[0].lVal, 12);
    EXPECT_EQ(answers[1].lVal, 2);
    EXPECT_EQ(answers[2].lVal, 2);
    // The open command of other views stays.
    EXPECT_EQ(Send(view, 1, {CComVariant("/src/main.c")}, 0, nullptr, nullptr), S_OK);
    EXPECT_EQ(window->SourceFile(), "/src/main.c");
}

typedef HRESULT (*EntryPoint)();

TEST_F(ProgWinViewTest, ReadsTheLoadedProgramsModulesWhenMadeAndAfterALoad)
{
    // libKorvex.so's symbol server in a debug-server object, its databases in a folder of
    // the test's own.
    QelUseRegistryFile(nullptr);
    ASSERT_EQ(CoInitializeEx(nullptr, 0), S_OK);
    void *library = dlopen(kQelKorvexLibraryPath, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(library, nullptr) << dlerror();
    ASSERT_EQ(reinterpret_cast<EntryPoint>(dlsym(library, "DllRegisterServer"))(), S_OK);
    std::string databases = (std::filesystem::temp_directory_path() / "progwintree-XXXXXX").string();
    ASSERT_NE(mkdtemp(databases.data()), nullptr);
    {
        CComPtr<IUnknown> host, profile;
        ASSERT_EQ(QelHost::CreateDebugServer(QelHost::ControllerConfig(), &host), S_OK);
        auto *debugServer = static_cast<QelHost::CHostDebugServer *>(static_cast<IQelHostHolder *>(host.p));
        ASSERT_EQ(debugServer->CreateSymbolServer(CLSID_QelSymbol), S_OK);
        debugServer->GetProfile(&profile);
        auto *items = static_cast<QelHost::CHostCfgProfile *>(static_cast<IQelCfgProfile2 *>(profile.p));
        items->SetItem(u"System", u"DATABASE_SPECIAL", CComVariant(true));
        items->SetItem(u"System", u"DATABASE_DIRECTORY", CComVariant(databases.c_str()));
        CComQIPtr<IQelSymbSrv> server(host);
        CComQIPtr<IQelSymbol> symbol(host);
        CComPtr<IStorage> storage;
        storage.Attach(NewMemoryStorage());
        CountedObject gui;
        ASSERT_EQ(server->Init(host, nullptr), S_OK);
        ASSERT_EQ(server->Init(storage, &gui), S_OK);
        ASSERT_EQ(server->RestoreSettings(), S_OK);
        frame_->SetDebugServer(host);

        CComPtr<IUnknown> early, late;
        CHostProgWinView *before = OpenView(&early);
        EXPECT_TRUE(before->Modules().empty()) << "no program yet";
        int request = 0;
        std::string program = std::string(kQelSourceDir) + "/testdata/elf/arm7-mixed.elf";
        CComPtr<IUnknown> info;
        ASSERT_EQ(symbol->LoadFile(CComBSTR(program.c_str()), 1, 0, &request), S_OK);
        ASSERT_EQ(symbol->GetProgramInfo(request, &info), S_OK);
        CHostProgWinView *after = OpenView(&late);
        EXPECT_EQ(Send(early, 14, {}), S_OK);
        for (CHostProgWinView *window : {before, after}) {
            std::string tree;
            for (const QelHost::HostModule &module : window->Modules()) {
                tree += module.name + ":";
                for (const QelHost::HostFunction &function : module.functions)
                    tree += " " + function.name + "@" + std::to_string(function.start) + "+" + std::to_string(function.length);
                tree += ";";
            }
            EXPECT_EQ(tree, "main.c: main@104+168;startup.s:;thumb.c: thumb_checksum@272+44 thumb_scale@316+20;");
        }
        frame_.Release();
        server->Cleanup();
        server.Release();
        symbol.Release();
        debugServer->ReleaseSymbolServer();
    }
    CoFreeUnusedLibraries();
    reinterpret_cast<EntryPoint>(dlsym(library, "DllUnregisterServer"))();
    dlclose(library);
    CoUninitialize();
    QelUseRegistryFile(nullptr);
    std::filesystem::remove_all(databases);
}

} // namespace
