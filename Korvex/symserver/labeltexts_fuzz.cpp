// Fuzz target of the texts that clients hand to the variable, label and breakpoint
// queries: a name with its scope text (code 406), the name of a data label (code 701) and
// a breakpoint descriptor (code 704), asked of the engine with handwritten-O0.elf of
// testdata/firmware loaded. The first byte picks the code, the rest is the text.
// Whatever the text, the request finishes and answers an array of its records.
#include "controllerengine.h"
#include "symserverstrings.h"

#include <progfilestrings.h>
#include <symdbstrings.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace {

const QEL_MODULE_RESOURCES &FuzzResources()
{
    static const std::vector<QEL_STRING_ENTRY> strings = [] {
        std::vector<QEL_STRING_ENTRY> all(g_SymserverStrings, g_SymserverStrings + g_SymserverStringCount);
        all.insert(all.end(), g_WindowsStrings, g_WindowsStrings + g_WindowsStringCount);
        all.insert(all.end(), g_SymdbStrings, g_SymdbStrings + g_SymdbStringCount);
        all.insert(all.end(), g_ProgfilesStrings, g_ProgfilesStrings + g_ProgfilesStringCount);
        return all;
    }();
    static const QEL_MODULE_RESOURCES resources = {strings.data(), strings.size(), nullptr, 0};
    return resources;
}

void Check(bool condition)
{
    if (!condition)
        abort();
}

CControllerSymbolEngine *g_engine = nullptr;

std::unique_ptr<CSymbolRequest> Run(CSymbolRequest &request)
{
    return std::unique_ptr<CSymbolRequest>(g_engine->TakeRequest(g_engine->Submit(request), request.GetGroup()));
}

} // namespace

QEL_DEFINE_MODULE_RESOURCES(FuzzResources())

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    namespace fs = std::filesystem;
    const fs::path sample = fs::path(QEL_SOURCE_DIR) / "testdata/firmware/handwritten-O0.elf";
    std::string pattern = (fs::temp_directory_path() / "qellabels-fuzz-XXXXXX").string();
    Check(mkdtemp(pattern.data()) != nullptr);
    const fs::path program = fs::path(pattern) / "handwritten-O0.elf";
    fs::copy_file(sample, program, fs::copy_options::overwrite_existing);
    g_engine = new CControllerSymbolEngine(nullptr);
    CSymbolRequest load(RequesterSynchronous);
    load.m_nCode = RequestCodeLoadFile;
    load.Param1.vt = VT_BSTR;
    load.Param1.bstrVal = CString(program.c_str()).AllocSysString();
    load.Param2.vt = load.Param3.vt = VT_I4;
    load.Param2.lVal = 0;
    load.Param3.lVal = 1;
    std::unique_ptr<CSymbolRequest> loaded = Run(load);
    Check(loaded && loaded->m_nStatus == StatusSuccess);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    const int codes[] = {406, 701, RequestCodeBreakpointAddresses};
    const int code = codes[data[0] % 3];
    const bool descriptor = code == RequestCodeBreakpointAddresses;
    const std::string text(reinterpret_cast<const char *>(data + 1), size - 1);
    CSymbolRequest request(RequesterSynchronous);
    request.m_nCode = code;
    VARIANT &parameter = descriptor ? request.Param2 : request.Param1;
    parameter.vt = VT_BSTR;
    parameter.bstrVal = CString(text.c_str()).AllocSysString();
    if (descriptor) {
        request.Param1.vt = VT_I4;
        request.Param1.lVal = 1;
    }
    std::unique_ptr<CSymbolRequest> done = Run(request);
    Check(done && done->m_nStatus == StatusSuccess);
    if (code == 406)
        Check(dynamic_cast<CArray<VariableTag, VariableTag &> *>(done->m_pResult) != nullptr);
    else
        Check(dynamic_cast<CArray<LabelTag, LabelTag &> *>(done->m_pResult) != nullptr);
    return 0;
}
