// CQelCfgEvtClient: the sink of the host's configuration-profile events. The profile has
// one event, whose code says what happened; each code has a handler, which does nothing
// here and is overridden by the profile client.
#pragma once

#include <atlbase.h>

#include "qelcfgprofile.h"

class CQelCfgEvtClient
    : public IDispEventImpl<0, CQelCfgEvtClient, &DIID__QelCfgProfileEvents, &LIBID_QELDEBUGSERVERLib, 1, 0> {
public:
    virtual ~CQelCfgEvtClient() = default;

    virtual HRESULT OnProfileBind() { return S_OK; }
    virtual HRESULT OnProfileValid() { return S_OK; }
    virtual HRESULT OnProfileModified() { return S_OK; }
    virtual HRESULT OnProfileReset() { return S_OK; }

    // Codes the sink does not know are ignored.
    void __stdcall OnProfileEvent(ULONG code)
    {
        switch (code) {
        case QELCFG_EVENT_BIND:
            OnProfileBind();
            break;
        case QELCFG_EVENT_VALID:
            OnProfileValid();
            break;
        case QELCFG_EVENT_MODIFIED:
            OnProfileModified();
            break;
        case QELCFG_EVENT_RESET:
            OnProfileReset();
            break;
        default:
            break;
        }
    }

    BEGIN_SINK_MAP(CQelCfgEvtClient)
        SINK_ENTRY_EX(0, DIID__QelCfgProfileEvents, DISPID_QELCFG_PROFILE_EVENT, OnProfileEvent)
    END_SINK_MAP()
};
