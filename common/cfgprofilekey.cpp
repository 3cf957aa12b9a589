// The key text of a profile item: entry, type and default.
#include "cfgprofileclient.h"

#include "numberparse.h"

namespace {

enum class DefaultForm { Bool, Decimal, Hexadecimal, Real, Text };

struct ItemType {
    const char *name;
    VARTYPE vt;
    DefaultForm form;
};

// In the order they are tried.
constexpr ItemType kItemTypes[] = {
    {"bool", VT_BOOL, DefaultForm::Bool},   {"short", VT_I2, DefaultForm::Decimal},
    {"int", VT_I4, DefaultForm::Decimal},   {"BYTE", VT_UI1, DefaultForm::Hexadecimal},
    {"WORD", VT_UI2, DefaultForm::Hexadecimal}, {"DWORD", VT_UI4, DefaultForm::Hexadecimal},
    {"float", VT_R4, DefaultForm::Real},    {"double", VT_R8, DefaultForm::Real},
    {"BSTR", VT_BSTR, DefaultForm::Text},
};

const ItemType *FindType(const CString &typeText)
{
    for (const ItemType &type : kItemTypes) {
        CString name = type.name;
        name.TrimLeft();
        name.TrimRight();
        name.MakeUpper();
        if (name == typeText)
            return &type;
    }
    return nullptr;
}

void SetNumber(VARIANT *value, VARTYPE vt, DWORD number)
{
    value->vt = vt;
    switch (vt) {
    case VT_I2:
        value->iVal = static_cast<SHORT>(number);
        break;
    case VT_I4:
        value->lVal = static_cast<LONG>(number);
        break;
    case VT_UI1:
        value->bVal = static_cast<BYTE>(number);
        break;
    case VT_UI2:
        value->uiVal = static_cast<USHORT>(number);
        break;
    default:
        value->ulVal = number;
        break;
    }
}

} // namespace

void CQelCfgProfileClientImpl::ParseKeySpec(CString keyText)
{
    m_configured = FALSE;
    VariantClear(&m_value);
    keyText.TrimLeft();
    int slash = keyText.Find('/');
    if (slash < 0) {
        m_entry = keyText;
        return;
    }
    m_entry = keyText.Left(slash);
    CString rest = keyText.Mid(slash + 1);
    CString typeText = rest;
    CString defaultText;
    int colon = rest.Find(':');
    if (colon >= 0) {
        typeText = rest.Left(colon);
        defaultText = rest.Mid(colon + 1);
    }
    typeText.TrimLeft();
    typeText.TrimRight();
    typeText.MakeUpper();
    const ItemType *type = FindType(typeText);
    if (type == nullptr)
        return;

    if (type->form == DefaultForm::Text) {
        m_value.bstrVal = defaultText.AllocSysString();
        m_value.vt = VT_BSTR;
    } else {
        defaultText.TrimLeft();
        defaultText.TrimRight();
        defaultText.MakeUpper();
        DWORD number = 0;
        switch (type->form) {
        case DefaultForm::Bool:
            m_value.vt = VT_BOOL;
            m_value.boolVal = defaultText == "ON" || defaultText == "TRUE" || defaultText == "YES" ? VARIANT_TRUE
                                                                                                   : VARIANT_FALSE;
            break;
        case DefaultForm::Decimal:
        case DefaultForm::Hexadecimal:
            if (ParseRadixNumber(defaultText, &number, type->form == DefaultForm::Decimal ? 10 : 16))
                SetNumber(&m_value, type->vt, number);
            break;
        case DefaultForm::Real:
            if (type->vt == VT_R4) {
                m_value.vt = VT_R4;
                m_value.fltVal = static_cast<FLOAT>(TextToDouble(defaultText));
            } else {
                m_value.vt = VT_R8;
                m_value.dblVal = TextToDouble(defaultText);
            }
            break;
        case DefaultForm::Text:
            break;
        }
    }
    m_configured = TRUE;
}
