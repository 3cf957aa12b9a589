#include "cfgprofileclient.h"

#include "hostinterfaces.h"

namespace {

constexpr DWORD kNotAdvised = 0xFEFEFEFE;

// What the holder of `object` gives as its profile when `object` offers the holder
// (E_NOINTERFACE when it gives nothing), else `object` itself.
HRESULT ProfileObjectOf(IUnknown *object, CComPtr<IUnknown> &profileObject)
{
    CComPtr<IQelHostHolder> holder;
    if (FAILED(object->QueryInterface(IID_IQelHostHolder, reinterpret_cast<void **>(&holder))) || holder == nullptr) {
        profileObject = object;
        return S_OK;
    }
    IUnknown *given = nullptr;
    if (FAILED(holder->GetProfile(&given)) || given == nullptr) {
        if (given != nullptr)
            given->Release();
        return E_NOINTERFACE;
    }
    profileObject.Attach(given);
    return S_OK;
}

} // namespace

CQelCfgProfileClientImpl::CQelCfgProfileClientImpl(UINT sectionId, UINT entryId)
    : m_handle(0), m_bound(FALSE), m_valid(FALSE), m_modified(FALSE), m_configured(FALSE)
{
    VariantInit(&m_value);
    Init(sectionId, entryId);
}

CQelCfgProfileClientImpl::~CQelCfgProfileClientImpl()
{
    Detach();
    VariantClear(&m_value);
}

void CQelCfgProfileClientImpl::Init(UINT sectionId, UINT entryId)
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    OnProfileReset();
    m_section.LoadString(sectionId);
    CString keyText;
    keyText.LoadString(entryId);
    ParseKeySpec(keyText);
}

HRESULT CQelCfgProfileClientImpl::OnProfileBind()
{
    if (m_bound || !m_configured)
        return S_OK;
    // Detached: there is nothing to bind to.
    if (m_profile == nullptr)
        return S_FALSE;
    CComBSTR section(static_cast<LPCSTR>(m_section));
    CComBSTR entry(static_cast<LPCSTR>(m_entry));
    if (section.m_str == nullptr || entry.m_str == nullptr)
        return E_OUTOFMEMORY;
    LONG handle = 0;
    HRESULT hr = m_profile->OpenItem(section, entry, &m_value, &handle);
    if (FAILED(hr))
        return hr;
    m_handle = handle;
    m_bound = TRUE;
    return S_OK;
}

HRESULT CQelCfgProfileClientImpl::OnProfileValid()
{
    if (m_bound)
        m_valid = TRUE;
    return S_OK;
}

HRESULT CQelCfgProfileClientImpl::OnProfileModified()
{
    if (m_bound)
        m_modified = TRUE;
    return S_OK;
}

HRESULT CQelCfgProfileClientImpl::OnProfileReset()
{
    m_bound = FALSE;
    m_valid = FALSE;
    m_modified = FALSE;
    return S_OK;
}

HRESULT CQelCfgProfileClientImpl::Attach(IUnknown *hostObject)
{
    if (hostObject == nullptr)
        return E_POINTER;
    CComPtr<IUnknown> profileObject;
    HRESULT hr = ProfileObjectOf(hostObject, profileObject);
    if (FAILED(hr))
        return hr;
    CComPtr<IQelCfgProfile2> profile;
    hr = profileObject->QueryInterface(IID_IQelCfgProfile2, reinterpret_cast<void **>(&profile));
    if (FAILED(hr) || profile == nullptr) {
        Detach();
        return FAILED(hr) ? hr : E_NOINTERFACE;
    }
    // A handle names an item only in the profile that gave it.
    if (profile != m_profile)
        OnProfileReset();
    m_profile = profile;

    if (m_dwEventCookie != kNotAdvised && m_eventSource != nullptr)
        DispEventUnadvise(m_eventSource);
    m_dwEventCookie = kNotAdvised;
    m_eventSource.Release();
    CComPtr<IUnknown> source;
    if (SUCCEEDED(ProfileObjectOf(profileObject, source)) && SUCCEEDED(DispEventAdvise(source)))
        m_eventSource = source;

    OnProfileBind();
    return hr;
}

HRESULT CQelCfgProfileClientImpl::Detach()
{
    if (m_dwEventCookie != kNotAdvised && m_eventSource != nullptr)
        DispEventUnadvise(m_eventSource);
    m_dwEventCookie = kNotAdvised;
    m_eventSource.Release();
    m_profile.Release();
    return S_OK;
}

bool CQelCfgProfileClientImpl::ReadyForValue()
{
    OnProfileBind();
    if (!m_bound || m_profile == nullptr)
        return false;
    if (!m_valid) {
        // The host fires "valid" while it loads; a host that does not has no value to
        // give yet.
        CComPtr<IQelCfgProfile2> profile = m_profile;
        if (FAILED(profile->Load()))
            return false;
    }
    return m_valid && m_bound && m_profile != nullptr;
}

void CQelCfgProfileClientImpl::GetValue(VARIANT *out)
{
    if (out == nullptr || !ReadyForValue())
        return;
    CComPtr<IQelCfgProfile2> profile = m_profile;
    VARIANT value;
    VariantInit(&value);
    if (FAILED(profile->GetValue(m_handle, &value))) {
        VariantClear(&value);
        return;
    }
    VariantClear(out);
    *out = value;
}

HRESULT CQelCfgProfileClientImpl::PutValue(VARIANT *in)
{
    if (in == nullptr)
        return E_POINTER;
    if (!ReadyForValue())
        return E_FAIL;
    CComPtr<IQelCfgProfile2> profile = m_profile;
    return profile->PutValue(m_handle, in);
}

BOOL CQelCfgProfileClientImpl::GetBool()
{
    VARIANT value;
    VariantInit(&value);
    GetValue(&value);
    BOOL result = value.vt == VT_BOOL && value.boolVal != VARIANT_FALSE;
    VariantClear(&value);
    return result;
}

HRESULT CQelCfgProfileClientImpl::PutBool(BOOL value)
{
    VARIANT in;
    VariantInit(&in);
    in.vt = VT_BOOL;
    in.boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
    return PutValue(&in);
}

const char *CQelCfgProfileClientImpl::GetString()
{
    VARIANT value;
    VariantInit(&value);
    GetValue(&value);
    const char *text = nullptr;
    if (value.vt == VT_BSTR) {
        m_text = value.bstrVal;
        text = m_text;
    }
    VariantClear(&value);
    return text;
}
