#include "extendedfiledialog.h"

#include <progfilepaths.h>

namespace {

// The binary target files' description and pattern, each taking the added pattern.
const char kBinaryFormat[] = "Binary target files (*.out;*.elf%s)|*.out;*.elf%s|";
const char kOtherKinds[] = "Intel hex files (*.hex;*.h66;*.h86)|*.hex;*.h66;*.h86|"
                           "All target files (*.out;*.elf;*.hex)|*.out;*.elf;*.hex|"
                           "All files (*.*)|*.*|";

// Whether `pattern` is one of the filter's whole patterns, blind to case.
bool HoldsPattern(const std::string &filter, const CString &pattern)
{
    size_t start = 0;
    while (start <= filter.size()) {
        size_t end = filter.find_first_of(";|", start);
        if (end == std::string::npos)
            end = filter.size();
        if (pattern.CompareNoCase(filter.substr(start, end - start).c_str()) == 0)
            return true;
        start = end + 1;
    }
    return false;
}

std::string BinaryKind(const CString &added)
{
    CString text;
    text.Format(kBinaryFormat, static_cast<LPCSTR>(added), static_cast<LPCSTR>(added));
    return static_cast<LPCSTR>(text);
}

} // namespace

std::string CExtendedFileDialog::ProgramFileFilter(LPCSTR currentFile, BOOL extensionInFilter, bool *extensionAdded)
{
    *extensionAdded = false;
    const std::string plain = BinaryKind("") + kOtherKinds;
    if (!extensionInFilter || currentFile == nullptr)
        return plain;
    // The extension keeps its point, as _splitpath gives it; taken here whole, since
    // _splitpath would cut a long one to its buffer.
    const CString name = ExtractFileName(currentFile);
    const int dot = name.ReverseFind('.');
    if (dot < 0 || dot + 1 == name.GetLength())
        return plain;
    CString extension = name.Mid(dot);
    extension.MakeLower();
    // One that would change the filter's syntax, or match other files, is not taken.
    if (extension.FindOneOf("|;*?") >= 0 || HoldsPattern(plain, "*" + extension))
        return plain;
    *extensionAdded = true;
    return BinaryKind(";*" + extension) + kOtherKinds;
}

CExtendedFileDialog::CExtendedFileDialog(BOOL openFileDialog, LPCSTR defaultExtension, LPCSTR currentFile,
                                         DWORD flags, LPCSTR filter, CWnd *parent, BOOL extensionInFilter)
    : CFileDialog(openFileDialog, defaultExtension, currentFile,
                  (flags & ~static_cast<DWORD>(OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST)) | OFN_EXPLORER, nullptr, parent),
      m_strInitialDirectory(ExtractDirectory(currentFile))
{
    bool added = false;
    SetFilter(filter != nullptr && filter[0] != '\0' ? std::string(filter)
                                                     : ProgramFileFilter(currentFile, extensionInFilter, &added));
    if (added)
        m_ofn.nFilterIndex = 1;
    m_ofn.lpstrTitle = "Open program file";
    if (!m_strInitialDirectory.IsEmpty())
        m_ofn.lpstrInitialDir = m_strInitialDirectory;
}
