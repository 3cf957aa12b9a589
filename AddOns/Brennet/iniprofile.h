// Profile::CIniProfile: a project profile kept in an INI file.
//
// Every operation reads or writes the file at once (GetPrivateProfileStringA,
// WritePrivateProfileStringA), so the file is always as the last call left it. The
// component sets its own name as section prefix, so that its sections stay apart from
// those of the host and of other add-ons in a shared project file.
#pragma once

#include <profile.h>

#include <string>

namespace Profile {

class CIniProfile : public CProfile {
public:
    // `defaultSection` (NULL: none) is the section of calls that name none; without it
    // they go to "Main". The path is kept whole, however long.
    CIniProfile(LPCSTR filePath, LPCSTR defaultSection);

    // The file exists.
    BOOL IsOpen() override;
    BOOL DeleteSection(LPCSTR section) override;
    BOOL DeleteEntry(LPCSTR section, LPCSTR entry) override;
    // "%Xh" for PROFILE_STYLE_HEX, signed decimal otherwise.
    BOOL WriteDWORD(LPCSTR section, LPCSTR entry, DWORD value, int style) override;
    // A missing entry, or one that is no number in any of the forms that profiles read
    // (ParseNumber), gives the default; the answer is TRUE.
    BOOL GetDWORD(LPCSTR section, LPCSTR entry, DWORD defaultValue, DWORD *out) override;
    BOOL WriteString(LPCSTR section, LPCSTR entry, LPCSTR text) override;
    BOOL GetString(LPCSTR section, LPCSTR entry, LPCSTR defaultText, char *buffer, int size) override;
    // An INI file keeps no blocks: FALSE.
    BOOL WriteBinary(LPCSTR section, LPCSTR entry, const void *data, int size) override;
    BOOL GetBinary(LPCSTR section, LPCSTR entry, void *buffer, int size) override;

    // With a prefix P the section S of every call is "P.S", and a call without section
    // goes to "P"; NULL takes the prefix away. FALSE only when there is no memory for it.
    BOOL SetSectionPrefix(LPCSTR prefix);

private:
    // The section that the INI calls take for the caller's `section`.
    const char *SectionName(LPCSTR section);

    std::string m_path;
    bool m_hasDefaultSection;
    std::string m_defaultSection;
    bool m_hasPrefix = false;
    std::string m_prefix;
    std::string m_section; // the last section name made
};

} // namespace Profile
