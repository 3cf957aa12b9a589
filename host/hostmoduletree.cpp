#include "hostmoduletree.h"

#include <symbolprocessing.h>

#include <algorithm>
#include <cctype>
#include <map>

namespace QelHost {

namespace {

constexpr int kSynchronous = 0;
constexpr char kNoSource[] = "<no source>";

std::string Folded(const CString &path)
{
    std::string folded = static_cast<LPCSTR>(path);
    for (char &c : folded)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return folded;
}

} // namespace

std::vector<HostModule> ReadModuleTree(IUnknown *debugServer)
{
    std::vector<HostModule> modules;
    CSymbolProcessing client;
    if (!debugServer || !client.Attach(debugServer) || !client.IsDatabase())
        return modules;
    CSourceFileTagArray files;
    CFunctionTagArray functions;
    client.GetSourceFiles(client.RequestSourceFiles(kSynchronous), files);
    client.GetFunctions(client.RequestFunctions(kSynchronous), functions);
    std::map<std::string, size_t> byPath;
    for (int i = 0; i < files.GetSize(); ++i) {
        byPath.emplace(Folded(files[i].EntryInFile), modules.size());
        modules.push_back({static_cast<LPCSTR>(files[i].Name), static_cast<LPCSTR>(files[i].EntryInFile), {}});
    }
    HostModule unplaced{kNoSource, "", {}};
    for (int i = 0; i < functions.GetSize(); ++i) {
        const FunctionTag &function = functions[i];
        LocationTag location;
        bool located = client.GetLocation(
            client.RequestLocation(static_cast<LONG>(function.AddressMode), static_cast<LONG>(function.AddressValue),
                                   kSynchronous),
            location);
        auto file = located && !location.EntryInFile.IsEmpty() ? byPath.find(Folded(location.EntryInFile)) : byPath.end();
        HostModule &module = file != byPath.end() ? modules[file->second] : unplaced;
        module.functions.push_back({static_cast<LPCSTR>(function.Name), function.AddressValue, function.Length});
    }
    if (!unplaced.functions.empty())
        modules.push_back(unplaced);
    for (HostModule &module : modules) {
        std::stable_sort(module.functions.begin(), module.functions.end(),
                         [](const HostFunction &a, const HostFunction &b) { return a.start < b.start; });
    }
    std::sort(modules.begin(), modules.end(), [](const HostModule &a, const HostModule &b) {
        return a.name != b.name ? a.name < b.name : a.path < b.path;
    });
    return modules;
}

} // namespace QelHost
