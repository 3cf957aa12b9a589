#include "extendedfiledialog.h"

#include <progfilepaths.h>

namespace {

const char kProgramFileFilter[] = "Binary target files (*.out;*.elf)|*.out;*.elf|"
                                  "Intel hex files (*.hex;*.h66;*.h86)|*.hex;*.h66;*.h86|"
                                  "All target files (*.out;*.elf;*.hex)|*.out;*.elf;*.hex|"
                                  "All files (*.*)|*.*|";

} // namespace

CExtendedFileDialog::CExtendedFileDialog(BOOL openFileDialog, LPCSTR defaultExtension, LPCSTR initialFile,
                                         DWORD flags, LPCSTR filter, CWnd *parent)
    : CFileDialog(openFileDialog, defaultExtension, initialFile, flags | OFN_EXPLORER,
                  filter != nullptr ? filter : kProgramFileFilter, parent),
      m_strInitialDirectory(ExtractDirectory(initialFile))
{
    m_ofn.lpstrTitle = "Open program file";
    if (!m_strInitialDirectory.IsEmpty())
        m_ofn.lpstrInitialDir = m_strInitialDirectory;
}
