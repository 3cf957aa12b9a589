#include "qelhostsessionaddons.h"

#include "qelhostanswers.h"
#include "qelhostscript.h"

#include <hostcmdgroups.h>

#include <cstdio>

namespace QelHost {

namespace {

bool Fail(std::string *error, std::string reason)
{
    if (error)
        *error = std::move(reason);
    return false;
}

std::string Text(BSTR text)
{
    return text != nullptr ? AnsiText(text) : "";
}

} // namespace

bool SessionAddOnCommands::Handles(const std::string &command)
{
    return command == "traces" || command == "addon";
}

bool SessionAddOnCommands::BeforeStart(const std::string &command)
{
    return command == "project" || command == "trace-level";
}

bool SessionAddOnCommands::Configure(const std::vector<std::string> &words, std::string *error)
{
    if (words[0] == "trace-level") {
        long long level = 0;
        if (words.size() != 2 || !ParseScriptNumber(words[1], 0, 0xFFFFFFFFLL, &level))
            return Fail(error, "trace-level takes a number");
        m_level = static_cast<DWORD>(level);
        return true;
    }
    if (words.size() != 2 || words[1].empty())
        return Fail(error, "project takes a file, workspace or none");
    m_project = words[1] == "workspace" ? Project::Workspace : words[1] == "none" ? Project::None : Project::File;
    m_projectFile = m_project == Project::File ? words[1] : "";
    return true;
}

void SessionAddOnCommands::Start(IUnknown *debugServer, IStorage *workspace)
{
    auto *host = static_cast<CHostDebugServer *>(static_cast<IQelHostHolder *>(debugServer));
    host->Reports()->SetLevel(m_level);
    CComVariant project;
    if (m_project == Project::File)
        project = m_projectFile.c_str();
    else if (m_project == Project::Workspace)
        project = static_cast<IUnknown *>(workspace);
    std::vector<std::string> problems;
    m_addOns.Start(debugServer, project, m_level, &problems);
    for (const std::string &problem : problems)
        std::printf("addon-error %s\n", problem.c_str());
}

bool SessionAddOnCommands::Run(const std::vector<std::string> &words, CHostDebugServer *host, HWND mainWindow,
                               std::string *error)
{
    if (words[0] == "traces") {
        if (words.size() != 1)
            return Fail(error, "traces takes nothing");
        std::vector<HostTraceLine> lines = host->Reports()->TraceLines();
        for (size_t i = m_tracesSeen; i < lines.size(); ++i)
            std::printf("trace\t%d\t%s\t%s\n", static_cast<int>(lines[i].kind), Escaped(lines[i].source).c_str(),
                        Escaped(lines[i].text).c_str());
        m_tracesSeen = lines.size();
        std::vector<HostError> errors = host->Reports()->Errors();
        for (size_t i = m_errorsSeen; i < errors.size(); ++i)
            std::printf("error\t%s\t%s\n", Escaped(errors[i].source).c_str(), Escaped(errors[i].description).c_str());
        m_errorsSeen = errors.size();
        return true;
    }
    if (m_addOns.AddOns().empty())
        return Fail(error, "no add-on is loaded");
    if (words.size() == 1) {
        PrintAddOn();
        return true;
    }
    IQelComponent *component = m_addOns.AddOns().front().component;
    HRESULT hr = S_OK;
    if (words.size() == 2 && words[1] == "begin")
        hr = component->BeginCmdSequence();
    else if (words.size() == 2 && words[1] == "end")
        hr = component->EndCmdSequence();
    else if (words.size() == 2 && words[1] == "info")
        hr = component->ShowInfo(mainWindow);
    else
        return Fail(error, "addon takes begin, end, info or nothing");
    std::printf("result 0x%08X\n", static_cast<unsigned>(hr));
    return true;
}

void SessionAddOnCommands::PrintAddOn()
{
    const HostAddOn &addOn = m_addOns.AddOns().front();
    CComBSTR name, description, version;
    addOn.component->GetName(&description, &name);
    addOn.component->GetVersion(nullptr, &version);
    std::printf("name\t%s\n", Escaped(Text(name)).c_str());
    std::printf("description\t%s\n", Escaped(Text(description)).c_str());
    std::printf("version\t%s\n", Escaped(Text(version)).c_str());
    std::printf("initialised\t%d\n", addOn.component->IsInitialized() == S_OK ? 1 : 0);
    std::string events = "events";
    if (addOn.events != nullptr) {
        for (unsigned count : addOn.events->Counts())
            events += "\t" + std::to_string(count);
    }
    std::printf("%s\n", events.c_str());
    OLECMD command = {2, 0};
    CComQIPtr<IOleCommandTarget> target(addOn.component);
    bool checked = target != nullptr && SUCCEEDED(target->QueryStatus(&CGID_QelFrameAddOn, 1, &command, nullptr)) &&
                   (command.cmdf & OLECMDF_LATCHED) != 0;
    std::printf("checked\t%d\n", checked ? 1 : 0);
}

} // namespace QelHost
