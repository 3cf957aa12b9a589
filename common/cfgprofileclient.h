// CQelCfgProfileClientImpl: one item of the host's configuration profile, as a component
// reads and writes it.
//
// The item is described by two strings of the component's string table: a section
// ("System", "Compiler") and a key text, an entry name, a slash, a type and optionally a
// colon and a default: "SERVICE/BOOL", "MAIN_FUNC/BSTR",
// "IgnoreProgramFromWsp/BOOL:FALSE". The types and how their defaults read:
//
//     BOOL    VT_BOOL  true for ON, TRUE or YES (blind to case), else false
//     short   VT_I2    a number, decimal unless its form says otherwise (a final H:
//     int     VT_I4      hexadecimal; see ParseRadixNumber)
//     BYTE    VT_UI1   a number, hexadecimal unless its form says otherwise
//     WORD    VT_UI2
//     DWORD   VT_UI4
//     float   VT_R4    atof
//     double  VT_R8
//     BSTR    VT_BSTR  the text as it stands, blanks and case kept
//
// Type names compare blind to case. A key text without a slash or with another type gives an
// item that is never bound; a default that is no number leaves the default VT_EMPTY.
//
// Attach binds the item in the host's profile, handing it the default, and connects to
// the profile's events: "valid" and "modified" mark the value, "reset" unbinds the item
// (the next read or write binds it again) and "bind" binds it. A value is read or
// written only while the profile says it is valid; when it is not, the profile is asked
// to load first. Reads that cannot be made leave the caller's VARIANT as it was.
#pragma once

#include <afx.h>

#include "cfgevtclient.h"

class CQelCfgProfileClientImpl : public CQelCfgEvtClient {
public:
    // The section and key text from the strings of the calling module.
    CQelCfgProfileClientImpl(UINT sectionId, UINT entryId);
    ~CQelCfgProfileClientImpl() override;

    void Init(UINT sectionId, UINT entryId);
    void ParseKeySpec(CString keyText);

    // The item is bound when not bound yet and configured.
    HRESULT OnProfileBind() override;
    HRESULT OnProfileValid() override;
    HRESULT OnProfileModified() override;
    HRESULT OnProfileReset() override;

    // The profile is what the host object's holder gives (E_NOINTERFACE when it gives
    // none), or the host object itself; the answer is that of asking it for
    // IQelCfgProfile2. A profile other than the one held closes the item first.
    virtual HRESULT Attach(IUnknown *hostObject);
    // Ends the events and lets go of the profile; the item's state stays as it is.
    virtual HRESULT Detach();

    // *out is an initialised VARIANT: it is cleared before the value goes into it, and
    // left as it was when there is no value to read.
    void GetValue(VARIANT *out);
    // E_FAIL when the item cannot be bound or its value is not valid, else the profile's
    // answer: a value that it refuses is not kept.
    HRESULT PutValue(VARIANT *in);
    // TRUE only for a VT_BOOL value that is true.
    BOOL GetBool();
    HRESULT PutBool(BOOL value);
    // The text of a VT_BSTR value, kept until the next call; NULL for any other value.
    const char *GetString();

    LPCSTR GetSection() const { return m_section; }
    LPCSTR GetEntry() const { return m_entry; }
    // The default before the item is bound, then the value the profile gave on binding.
    const VARIANT &GetDefault() const { return m_value; }
    BOOL IsConfigured() const { return m_configured; }
    BOOL IsBound() const { return m_bound; }
    BOOL IsValid() const { return m_valid; }
    BOOL IsModified() const { return m_modified; }
    // The host's profile, without a reference of the caller's own; NULL while detached.
    IQelCfgProfile2 *GetProfile() const { return m_profile; }

private:
    // The item is bound and its value valid, loading the profile when it is not.
    bool ReadyForValue();

    CComPtr<IUnknown> m_eventSource;
    CComPtr<IQelCfgProfile2> m_profile;
    CString m_section;
    CString m_entry;
    VARIANT m_value;
    LONG m_handle;
    BOOL m_bound;
    BOOL m_valid;
    BOOL m_modified;
    BOOL m_configured;
    CString m_text;
};
