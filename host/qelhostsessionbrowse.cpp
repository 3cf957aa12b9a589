#include "qelhostsessionbrowse.h"

#include "qelhostanswers.h"
#include "qelhostbrowseline.h"
#include "hostreports.h"

#include <atlbase.h>
#include <controllerinfoholder.h>
#include <qelsymbolbrowser.h>

#include <cstdio>

namespace QelHost {

namespace {

bool Fail(std::string *error, std::string reason)
{
    if (error)
        *error = std::move(reason);
    return false;
}

std::string Hex(HRESULT hr)
{
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(hr));
    return text;
}

bool Browse(const BrowseLine &line, IUnknown *debugServer, HostMainWindow &main, std::string *error)
{
    CComPtr<IQelSymbolBrowser> browser;
    HRESULT hr = CoCreateInstance(CLSID_QelSymbolBrowser, nullptr, CLSCTX_INPROC_SERVER, IID_IQelSymbolBrowser,
                                  reinterpret_cast<void **>(&browser));
    if (FAILED(hr) || !browser)
        return Fail(error, "no symbol browser can be made (" + Hex(hr) + ")");
    main.TakeChoices(); // what came before is no answer of this browser
    browser->Mode(static_cast<SYMBOLBROWSERMODE>(line.mode));
    browser->put_DebugServer(debugServer);
    browser->put_ParentWindow(static_cast<LONG>(reinterpret_cast<INT_PTR>(main.Handle())));
    if (line.post)
        browser->put_MessageID(static_cast<LONG>(HostMainWindow::ChoiceMessage()));
    hr = browser->DoModal();
    // A choice posted as the dialog ended may still wait in the queue.
    MSG message;
    const UINT choice = HostMainWindow::ChoiceMessage();
    while (PeekMessageA(&message, main.Handle(), choice, choice, PM_REMOVE))
        DispatchMessageA(&message);
    LONG address = 0, parameter = 0;
    browser->get_Address(&address);
    browser->get_Parameter(&parameter);
    CComBSTR label;
    browser->get_Label(&label);
    std::printf("browse\t%s\t0x%X\t%ld\t%s\n", Hex(hr).c_str(), static_cast<unsigned>(address),
                static_cast<long>(parameter), Escaped(AnsiText(label.m_str)).c_str());
    for (const auto &posted : main.TakeChoices())
        std::printf("posted\t%llu\t%lld\n", static_cast<unsigned long long>(posted.first),
                    static_cast<long long>(posted.second));
    return true;
}

bool LoadController(const std::string &name, IUnknown *debugServer)
{
    CControllerInfoHolder controller;
    controller = debugServer;
    HRESULT hr = !controller ? E_NOINTERFACE : controller->LoadSFRegisters(CComBSTR(name.c_str()));
    std::printf("load\t%s\t%s\n", Hex(hr).c_str(), Escaped(name).c_str());
    return true;
}

} // namespace

bool SessionBrowser::Run(const std::vector<std::string> &words, IUnknown *debugServer, HostMainWindow &main,
                         std::string *error)
{
    if (words[0] == "controller") {
        std::string name;
        return ParseControllerLine(words, &name, error) && LoadController(name, debugServer);
    }
    BrowseLine line;
    return ParseBrowseLine(words, &line, error) && Browse(line, debugServer, main, error);
}

} // namespace QelHost
