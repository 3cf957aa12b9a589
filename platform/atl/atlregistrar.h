// Registry scripts: the .rgs texts by which a server writes its classes into the
// registry and takes them out again.
//
//     HKCR
//     {
//         QEL.Thing.1 = s 'Thing Class'
//         {
//             CLSID = s '%CLSID%'
//         }
//         NoRemove CLSID
//         {
//             ForceRemove %CLSID% = s 'Thing Class'
//             {
//                 InprocServer32 = s '%MODULE%'
//                 {
//                     val ThreadingModel = s 'Free'
//                 }
//                 'Programmable'
//             }
//         }
//     }
//
// Tokens stand apart by white space; a name or value may be quoted with ' (a quote inside
// is written twice). A root is HKCR, HKCU or HKLM (or its long name). A key may carry a
// default value (`= s 'text'`, `= d 'number'`, `= b 'hex bytes'`) and, inside its braces,
// named values (`val name = ...`) and subkeys. %NAME% is replaced by the text given with
// AddReplacement for NAME, and %% by %; a replaced text is taken as it stands, so a path
// with quotes or braces cannot change the script's shape.
//
// Registering creates every key and sets every value; a ForceRemove key is deleted with
// all below it first, and a Delete key is deleted. Unregistering deletes ForceRemove keys
// with all below them; a NoRemove key stays, and so does a plain key that still holds
// subkeys or values that the script does not name (another server's), so unregistering
// takes out only what the script put in. The whole script is read before the registry is
// touched: a malformed one (DISP_E_EXCEPTION) changes nothing. A failure of the registry
// itself (HRESULT_FROM_WIN32 of its code) stops the run where it happened.
#pragma once

#include <ole2.h>

#include <cstring>
#include <map>
#include <string>

class CRegObject {
public:
    // NAME is found blind to case; a later text for the same NAME replaces the earlier.
    HRESULT AddReplacement(LPCSTR key, LPCSTR item);
    HRESULT ClearReplacements();

    // The script is the text up to its terminating zero.
    HRESULT StringRegister(LPCSTR script) { return Run(script, script ? strlen(script) : 0, TRUE); }
    HRESULT StringUnregister(LPCSTR script) { return Run(script, script ? strlen(script) : 0, FALSE); }
    // The script is the resource `id` of type `type` of the module: its bytes, up to a
    // zero when there is one. HRESULT_FROM_WIN32 of the resource functions' error when
    // the module has no such resource.
    HRESULT ResourceRegister(HINSTANCE module, UINT id, LPCSTR type = "REGISTRY");
    HRESULT ResourceUnregister(HINSTANCE module, UINT id, LPCSTR type = "REGISTRY");

    HRESULT Run(const char *script, size_t length, BOOL bRegister);

private:
    HRESULT RunResource(HINSTANCE module, UINT id, LPCSTR type, BOOL bRegister);

    std::map<std::string, std::string> m_replacements; // by upper-case name
};
