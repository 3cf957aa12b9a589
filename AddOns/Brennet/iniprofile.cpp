#include "iniprofile.h"

#include <numberparse.h>

#include <new>

namespace Profile {

CIniProfile::CIniProfile(LPCSTR filePath, LPCSTR defaultSection)
    : m_path(filePath != nullptr ? filePath : ""), m_hasDefaultSection(defaultSection != nullptr),
      m_defaultSection(defaultSection != nullptr ? defaultSection : "")
{
}

BOOL CIniProfile::SetSectionPrefix(LPCSTR prefix)
{
    try {
        m_prefix = prefix != nullptr ? prefix : "";
        m_hasPrefix = prefix != nullptr;
        return TRUE;
    } catch (const std::bad_alloc &) {
        m_prefix.clear();
        m_hasPrefix = false;
        return FALSE;
    }
}

const char *CIniProfile::SectionName(LPCSTR section)
{
    if (!m_hasPrefix) {
        if (section != nullptr && *section != '\0')
            return section;
        return m_hasDefaultSection ? m_defaultSection.c_str() : "Main";
    }
    m_section = m_prefix;
    if (section != nullptr)
        m_section.append(".").append(section);
    return m_section.c_str();
}

BOOL CIniProfile::IsOpen()
{
    // Opening the file for no access, as the platform would, asks no more than this: a
    // file (not a folder) is there.
    DWORD attributes = GetFileAttributesA(m_path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

BOOL CIniProfile::DeleteSection(LPCSTR section)
{
    return WritePrivateProfileStringA(SectionName(section), nullptr, nullptr, m_path.c_str());
}

BOOL CIniProfile::DeleteEntry(LPCSTR section, LPCSTR entry)
{
    if (entry == nullptr)
        return FALSE;
    return WritePrivateProfileStringA(SectionName(section), entry, nullptr, m_path.c_str());
}

BOOL CIniProfile::WriteDWORD(LPCSTR section, LPCSTR entry, DWORD value, int style)
{
    if (entry == nullptr)
        return FALSE;
    char text[16];
    if (style == PROFILE_STYLE_HEX)
        snprintf(text, sizeof text, "%Xh", value);
    else
        snprintf(text, sizeof text, "%d", static_cast<LONG>(value));
    return WritePrivateProfileStringA(SectionName(section), entry, text, m_path.c_str());
}

BOOL CIniProfile::GetDWORD(LPCSTR section, LPCSTR entry, DWORD defaultValue, DWORD *out)
{
    if (entry == nullptr || out == nullptr)
        return FALSE;
    char text[33];
    GetPrivateProfileStringA(SectionName(section), entry, "", text, sizeof text, m_path.c_str());
    DWORD value = 0;
    *out = text[0] != '\0' && ParseNumber(text, &value, 0) ? value : defaultValue;
    return TRUE;
}

BOOL CIniProfile::WriteString(LPCSTR section, LPCSTR entry, LPCSTR text)
{
    if (entry == nullptr)
        return FALSE;
    return WritePrivateProfileStringA(SectionName(section), entry, text, m_path.c_str());
}

BOOL CIniProfile::GetString(LPCSTR section, LPCSTR entry, LPCSTR defaultText, char *buffer, int size)
{
    if (entry == nullptr || buffer == nullptr || size <= 0)
        return FALSE;
    GetPrivateProfileStringA(SectionName(section), entry, defaultText, buffer, static_cast<DWORD>(size),
                             m_path.c_str());
    return TRUE;
}

BOOL CIniProfile::WriteBinary(LPCSTR, LPCSTR, const void *, int)
{
    return FALSE;
}

BOOL CIniProfile::GetBinary(LPCSTR, LPCSTR, void *, int)
{
    return FALSE;
}

} // namespace Profile
