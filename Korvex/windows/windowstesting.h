// What the tests of the symbol server's windows share: the real symbol server, from the
// test program's own module, inside a host debug-server object, started in the host's
// order with a host frame whose watch views are doubles, and its commands sent through
// the debug-server object as the host's menus and the other servers send them.
#pragma once

#include <debugserver.h>
#include <hostcfgprofile.h>
#include <hostframe.h>
#include <hostviewservers.h>
#include <hostwatchview.h>
#include <oletarcmdcaller.h>
#include <qelsymbol.h>
#include <qelsymbsrv.h>

#include "korvextestmodule.h"

#include <testing/comallocbalance.h>
#include <testing/stgtesting.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace windowstest {

// One argument of a command, as the tests write them.
inline CComVariant U4(ULONG value)
{
    CComVariant v;
    v.vt = VT_UI4;
    v.ulVal = value;
    return v;
}

inline CComVariant I4(LONG value)
{
    return CComVariant(value);
}

inline CComVariant Text(const std::string &text)
{
    return CComVariant(text.c_str());
}

class SymbolServerWindows : public ComAllocBalance {
protected:
    void SetUp() override
    {
        ComAllocBalance::SetUp();
        module_.Register();
        ASSERT_EQ(QelHost::RegisterSymbolViewServers(), ERROR_SUCCESS);
        BeforeServer();
        ASSERT_EQ(QelHost::CreateDebugServer(QelHost::ControllerConfig(), &host_), S_OK);
        ASSERT_EQ(Host()->CreateSymbolServer(CLSID_QelSymbol), S_OK);
        ASSERT_EQ(host_->QueryInterface(IID_IQelSymbSrv, reinterpret_cast<void **>(&server_)), S_OK);
        CComObject<QelHost::CHostFrame> *frame = nullptr;
        ASSERT_EQ(CComObject<QelHost::CHostFrame>::CreateInstance(&frame), S_OK);
        frame_ = frame;
        frame->SetViewFactory("StdQelWatchWin", QelHost::WatchViewFactory());
        workspace_.Attach(MakeWorkspace());
        ASSERT_NE(workspace_, nullptr);
        ASSERT_EQ(workspace_->CreateStorage(u"QelSymbol", kStgCreate, 0, 0, &storage_), S_OK);
        ASSERT_EQ(server_->Init(host_, nullptr), S_OK);
        ASSERT_EQ(server_->Init(storage_, static_cast<IQelHostFrame *>(frame_)), S_OK);
        ASSERT_EQ(server_->RestoreSettings(), S_OK);
    }

    void TearDown() override
    {
        EndServers();
        workspace_.Release();
        module_.Revoke();
        ComAllocBalance::TearDown();
    }

    // Cleanup and release of every debugger, and of their storages; the workspace stays.
    void EndServers()
    {
        if (pcpServer_ != nullptr) {
            pcpServer_->Cleanup();
            pcpServer_.Release();
            PcpHost()->ReleaseSymbolServer();
            pcpHost_.Release();
        }
        if (server_ != nullptr) {
            server_->Cleanup();
            server_.Release();
        }
        if (host_ != nullptr) {
            Host()->ReleaseSymbolServer();
            host_.Release();
        }
        frame_.Release();
        pcpStorage_.Release();
        storage_.Release();
    }

    // What a test changes in the registry before the symbol server reads it.
    virtual void BeforeServer() {}

    // The root storage of the workspace, with the caller's reference; in memory unless a
    // test says otherwise.
    virtual IStorage *MakeWorkspace() { return NewMemoryStorage(); }

    // A PCP debugger bound to the main one, as the host binds them, with a storage of its
    // own in the workspace.
    void StartBoundPcp()
    {
        ASSERT_EQ(QelHost::CreateDebugServer(QelHost::ControllerConfig(), &pcpHost_), S_OK);
        ASSERT_EQ(PcpHost()->CreateSymbolServer(CLSID_QelSymbolPCP), S_OK);
        ASSERT_EQ(pcpHost_->QueryInterface(IID_IQelSymbSrv, reinterpret_cast<void **>(&pcpServer_)), S_OK);
        CComPtr<IUnknown> profile, values;
        PcpHost()->GetProfile(&profile);
        PcpHost()->GetWindowValues(&values);
        static_cast<QelHost::CHostCfgProfile *>(static_cast<IQelCfgProfile2 *>(profile.p))->SetDebugServer(u"TriCore", host_);
        static_cast<QelHost::CHostWindowValues *>(static_cast<IQelWindowValues *>(values.p))->SetPcpMaster(u"TriCore");
        ASSERT_EQ(workspace_->CreateStorage(u"QelSymbolPCP", kStgCreate, 0, 0, &pcpStorage_), S_OK);
        ASSERT_EQ(pcpServer_->Init(pcpHost_, nullptr), S_OK);
        ASSERT_EQ(pcpServer_->Init(pcpStorage_, static_cast<IQelHostFrame *>(frame_)), S_OK);
        ASSERT_EQ(pcpServer_->RestoreSettings(), S_OK);
    }

    QelHost::CHostDebugServer *Host() { return static_cast<QelHost::CHostDebugServer *>(static_cast<IQelHostHolder *>(host_.p)); }
    QelHost::CHostDebugServer *PcpHost() { return static_cast<QelHost::CHostDebugServer *>(static_cast<IQelHostHolder *>(pcpHost_.p)); }
    QelHost::CHostFrame *Frame() { return frame_; }

    // Command `id` of `group` through the debug-server object, with `in` and `outCount`
    // output values, which come back in *out; every BSTR and SAFEARRAY that the command
    // made is freed again once the lists are gone, unless an output keeps it (an object
    // handed out keeps its own until it goes, which the test's end checks). Tests whose
    // commands the host records (a copy of each input, kept until the host goes) clear
    // checkEachCommand_: their allocations balance at the end only.
    HRESULT Exec(DWORD id, const std::vector<CComVariant> &in, int outCount = 0, std::vector<CComVariant> *out = nullptr,
                 const GUID *group = &CLSID_QelSymbol)
    {
        QelComAllocCounts before = QelGetComAllocCounts();
        HRESULT hr = S_OK;
        {
            CVariantArray arguments(static_cast<int>(in.size()));
            for (size_t i = 0; i < in.size(); ++i)
                arguments[static_cast<int>(i)].SetValue(in[i]);
            CVariantArray results(outCount);
            hr = COleTarCmdCaller(host_, group).Exec(id, &arguments, &results, 0);
            if (out) {
                out->clear();
                for (int i = 0; i < results.GetSize(); ++i)
                    out->emplace_back(results[i].GetValue());
            }
        }
        bool keepsAllocations = false;
        for (const CComVariant &value : out ? *out : std::vector<CComVariant>())
            keepsAllocations = keepsAllocations || value.vt == VT_BSTR || value.vt == VT_UNKNOWN || (value.vt & VT_ARRAY) != 0;
        if (!keepsAllocations && checkEachCommand_) {
            EXPECT_EQ(QelGetComAllocCounts(), before) << "command " << id;
        }
        return hr;
    }

    // The ids of the commands of `group` that the host object received since the
    // `from`th command it recorded.
    std::vector<DWORD> Commands(size_t from = 0, const GUID &group = CLSID_QelSymbol)
    {
        std::vector<DWORD> ids;
        std::vector<QelHost::HostCommand> all = Host()->Commands()->Commands();
        for (size_t i = from; i < all.size(); ++i) {
            if (IsEqualGUID(all[i].group, group))
                ids.push_back(all[i].id);
        }
        return ids;
    }
    size_t CommandCount() { return Host()->Commands()->Commands().size(); }

    // The command's enabled state as the host asks for it.
    bool Enabled(DWORD id)
    {
        OLECMD cmd{id, 0};
        EXPECT_EQ(static_cast<IOleCommandTarget *>(Host())->QueryStatus(&CLSID_QelSymbol, 1, &cmd, nullptr), S_OK);
        return (cmd.cmdf & OLECMDF_ENABLED) != 0;
    }

    std::vector<QelHost::CHostWatchView *> WatchViews()
    {
        std::vector<QelHost::CHostWatchView *> views;
        for (QelHost::CHostView *view : Frame()->Views("StdQelWatchWin"))
            views.push_back(static_cast<QelHost::CHostWatchView *>(view));
        return views;
    }

    bool checkEachCommand_ = true;
    CKorvexTestModule module_;
    CComPtr<IUnknown> host_;
    CComPtr<IQelSymbSrv> server_;
    CComPtr<QelHost::CHostFrame> frame_;
    CComPtr<IStorage> workspace_;
    CComPtr<IStorage> storage_;
    CComPtr<IUnknown> pcpHost_;
    CComPtr<IQelSymbSrv> pcpServer_;
    CComPtr<IStorage> pcpStorage_;
};

} // namespace windowstest
