#include "oletarcmdclass.h"

#include "viewsrvregistry.h"

#include <new>

IMPLEMENT_DYNAMIC(CBasicOleTarCmdClass, CObject)

CBasicOleTarCmdClass::CBasicOleTarCmdClass(const CLSID *server) : m_handlers(10), m_nHighestViewCat(0)
{
    LoadViewServerNames(server, m_viewServerNames, m_nHighestViewCat);
}

CBasicOleTarCmdClass::~CBasicOleTarCmdClass()
{
    while (!m_handlers.IsEmpty())
        delete m_handlers.RemoveHead();
    m_viewServerNames.RemoveAll();
}

CRuntimeClass **CBasicOleTarCmdClass::GetHandlerClasses()
{
    return nullptr;
}

void CBasicOleTarCmdClass::CreateHandlers()
{
    CRuntimeClass **classes = GetHandlerClasses();
    for (int i = 0; classes && classes[i]; ++i) {
        if (!classes[i]->IsDerivedFrom(RUNTIME_CLASS(CBasicOleTarCmdHndl)))
            continue;
        auto *handler = static_cast<CBasicOleTarCmdHndl *>(classes[i]->CreateObject());
        if (!handler)
            continue;
        try {
            m_handlers.AddTail(handler);
        } catch (CException *e) {
            e->Delete();
            delete handler;
            continue;
        } catch (const std::bad_alloc &) {
            delete handler;
            continue;
        }
        handler->MatchViewServers(&m_viewServerNames);
    }
}

HRESULT CBasicOleTarCmdClass::QueryStatus(const GUID *group, ULONG count, OLECMD *cmds, OLECMDTEXT *text)
{
    if (!cmds)
        return E_POINTER;
    BOOL allSupported = TRUE;
    for (ULONG i = 0; i < count; ++i) {
        OLECMD &cmd = cmds[i];
        if (!(cmd.cmdf & OLECMDF_SUPPORTED)) {
            for (POSITION position = m_handlers.GetHeadPosition(); position;) {
                BOOL handled = FALSE;
                if (m_handlers.GetNext(position)->QueryStatus(group, &cmd, text, &handled)) {
                    if (handled)
                        cmd.cmdf |= OLECMDF_SUPPORTED;
                    else
                        cmd.cmdf &= ~static_cast<DWORD>(OLECMDF_SUPPORTED);
                    break;
                }
            }
        }
        if (!(cmd.cmdf & OLECMDF_SUPPORTED))
            allSupported = FALSE;
    }
    return allSupported ? S_OK : OLECMDERR_E_UNKNOWNGROUP;
}

HRESULT CBasicOleTarCmdClass::Exec(const GUID *group, DWORD id, DWORD options, VARIANT *in, VARIANT *out)
{
    for (POSITION position = m_handlers.GetHeadPosition(); position;) {
        HRESULT hr = S_OK;
        if (m_handlers.GetNext(position)->Exec(group, id, options, in, out, &hr))
            return hr;
    }
    return OLECMDERR_E_UNKNOWNGROUP;
}

BOOL CBasicOleTarCmdClass::Connect(IUnknown *frame, CStorage *settings)
{
    for (POSITION position = m_handlers.GetHeadPosition(); position;) {
        if (!m_handlers.GetNext(position)->Connect(frame, settings))
            return FALSE;
    }
    return TRUE;
}

BOOL CBasicOleTarCmdClass::Disconnect()
{
    for (POSITION position = m_handlers.GetHeadPosition(); position;) {
        if (!m_handlers.GetNext(position)->Disconnect())
            return FALSE;
    }
    return TRUE;
}

HRESULT CBasicOleTarCmdClass::GetHandlerStatus()
{
    HRESULT status = S_OK;
    for (POSITION position = m_handlers.GetHeadPosition(); position;) {
        HRESULT hr = m_handlers.GetNext(position)->GetHandlerStatus();
        if (FAILED(hr))
            status = hr;
    }
    return status;
}

void CBasicOleTarCmdClass::SetServerInterface(IUnknown *owner)
{
    for (POSITION position = m_handlers.GetHeadPosition(); position;)
        m_handlers.GetNext(position)->SetServerInterface(owner);
}

void CBasicOleTarCmdClass::SetCommandTarget(IUnknown *target)
{
    for (POSITION position = m_handlers.GetHeadPosition(); position;)
        m_handlers.GetNext(position)->SetCommandTarget(target);
}

void CBasicOleTarCmdClass::SetHandlerFlag(int flag)
{
    for (POSITION position = m_handlers.GetHeadPosition(); position;)
        m_handlers.GetNext(position)->SetHandlerFlag(flag);
}
