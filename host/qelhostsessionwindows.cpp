#include "qelhostsessionwindows.h"

#include <downloaddialog.h>
#include <imagecontroldialog.h>
#include <loaddialogs.h>
#include <notedialog.h>
#include <posdialog.h>
#include <symbolprocessing.h>

#include <cstdio>

namespace QelHost {

namespace {

const char *ButtonName(INT_PTR result)
{
    return result == IDOK ? "ok" : result == IDCANCEL ? "cancel" : "none";
}

bool Fail(std::string *error, const std::string &reason)
{
    *error = reason;
    return false;
}

void OnLoaded(int, const ProgramLoadResult *result, DWORD_PTR context)
{
    *reinterpret_cast<LONG *>(context) = result->Status;
}

// Dispatches the thread's messages until `done` or `timeoutMs` have passed; then what is
// still queued.
template <typename Done>
void PumpUntil(Done done, DWORD timeoutMs)
{
    const DWORD start = GetTickCount();
    MSG message;
    while (!done() && GetTickCount() - start < timeoutMs) {
        if (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageA(&message);
        else
            Sleep(1);
    }
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
        DispatchMessageA(&message);
}

// The progress window of a load of `path`, pumped until the load has failed, or has
// succeeded and the window has hidden or closed itself (or a minute has passed).
bool Download(IUnknown *debugServer, const std::string &path)
{
    CDownloadDialog dialog;
    dialog.SetOwner(debugServer);
    if (!dialog.Create(nullptr))
        return false;
    dialog.ShowWindow(SW_SHOW);
    HWND window = dialog.m_hWnd;
    CSymbolProcessing client(debugServer, TRUE, FALSE);
    LONG status = -1;
    const int load = client.LoadFile(path.c_str(), 1, window);
    if (!client.RegisterProgramInfoCallbackWithId(load, OnLoaded, reinterpret_cast<DWORD_PTR>(&status)))
        status = -2;
    const DWORD kMinute = 60000;
    PumpUntil([&] { return status != -1; }, kMinute);
    // The window hides or closes itself after a load that succeeded; after one that
    // failed it stays for the user to read.
    if (status == 0)
        PumpUntil([&] { return !IsWindow(window) || !IsWindowVisible(window); }, kMinute);
    std::printf("download %ld %s\n", static_cast<long>(status),
                !IsWindow(window) ? "closed" : IsWindowVisible(window) ? "open" : "hidden");
    // What the bars and texts showed last, which outlives a window that closed itself.
    const CDownloadCounts &counts = dialog.Counts();
    std::printf("bytes %d%% %lu of %lu\nanalysis %d%%\n", counts.DownloadPercent(),
                static_cast<unsigned long>(counts.DownloadBytes()), static_cast<unsigned long>(counts.ByteTotal()),
                counts.AnalysisPercent());
    return true;
}

} // namespace

bool RunWindowsDialog(IUnknown *debugServer, IStorage *storage, const std::vector<std::string> &words,
                      std::string *error)
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    const std::string kind = words.size() > 1 ? words[1] : "";
    if (kind == "pos") {
        if (words.size() != 2)
            return Fail(error, "dialog pos takes nothing");
        CPosDialog dialog(debugServer, storage);
        INT_PTR result = dialog.DoModal();
        if (result == IDOK)
            std::printf("pos %s 0x%08X\n", ButtonName(result), static_cast<unsigned>(dialog.m_nAddress));
        else
            std::printf("pos %s -\n", ButtonName(result));
        return true;
    }
    if (kind == "images") {
        if (words.size() < 3)
            return Fail(error, "dialog images takes the new file and the others");
        CImageControlDialog dialog;
        dialog.m_strNewFile = words[2].c_str();
        for (size_t i = 3; i < words.size(); ++i)
            dialog.m_images.Add(PROGRAM_PATTERN{words[i].c_str(), 0, 0, static_cast<LONG>(i - 2), 1});
        INT_PTR result = dialog.DoModal();
        std::printf("images %s", ButtonName(result));
        for (int i = 0; i < dialog.m_images.GetSize(); ++i)
            std::printf(" %d", dialog.m_images[i].keep);
        std::printf("\n");
        return true;
    }
    if (kind == "load" || kind == "reload") {
        if (words.size() != 3)
            return Fail(error, "dialog " + kind + " takes a file");
        INT_PTR result;
        if (kind == "load") {
            CLoadDialog dialog;
            dialog.m_strFileName = words[2].c_str();
            result = dialog.DoModal();
        } else {
            CReloadDialog dialog;
            dialog.m_strFileName = words[2].c_str();
            result = dialog.DoModal();
        }
        std::printf("%s %s\n", kind.c_str(), ButtonName(result));
        return true;
    }
    if (kind == "note") {
        if (words.size() > 3)
            return Fail(error, "dialog note takes at most a text");
        CNoteDialog dialog;
        if (words.size() == 3)
            dialog.m_strText = words[2].c_str();
        INT_PTR result = dialog.DoModal();
        std::printf("note %s %s\n", ButtonName(result), static_cast<LPCSTR>(dialog.m_strText));
        return true;
    }
    if (kind == "download") {
        if (words.size() != 3)
            return Fail(error, "dialog download takes a file");
        return Download(debugServer, words[2]) || Fail(error, "dialog download could not make its window");
    }
    return Fail(error, "dialog takes pos, images, load, reload, note or download");
}

} // namespace QelHost
