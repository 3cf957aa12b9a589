#include "qelhostsessionwindows.h"

#include <imagecontroldialog.h>
#include <loaddialogs.h>
#include <notedialog.h>
#include <posdialog.h>

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
    return Fail(error, "dialog takes pos, images, load, reload or note");
}

} // namespace QelHost
