#include "qelhostdump.h"

#include "debugserver.h"
#include "hostdownloads.h"

#include <elfsections.h>
#include <eomfsections.h>
#include <programformats.h>

#include <cerrno>
#include <memory>
#include <cstdio>
#include <cstring>

int DumpProgramFile(const char *path, const char *target)
{
    HRESULT hr = CoInitializeEx(nullptr, 0);
    if (FAILED(hr)) {
        std::fprintf(stderr, "qelhost: COM could not be initialised (0x%08X)\n", static_cast<unsigned>(hr));
        return 1;
    }
    int result = 1;
    {
        CComPtr<IUnknown> debugServer;
        hr = QelHost::CreateDebugServer(QelHost::ControllerConfig(), &debugServer);
        if (FAILED(hr)) {
            std::fprintf(stderr, "qelhost: no debug-server object (0x%08X)\n", static_cast<unsigned>(hr));
        } else {
            auto *host = static_cast<QelHost::CHostDebugServer *>(static_cast<IQelHostHolder *>(debugServer.p));
            // The section level of the format that the recogniser table finds (ELF when
            // none takes the file, so that the ELF reader says why it is none); the
            // program id of a load, since 0 would tell it that nobody takes downloads.
            LONG kind = QEL_PROGRAM_ELF;
            for (const QelProgramFormat &format : GetProgramFormats()) {
                if (format.IsFileOfFormat(path) == 1) {
                    kind = format.Kind;
                    break;
                }
            }
            std::unique_ptr<CQelTargetFile> sections;
            if (kind == QEL_PROGRAM_EOMF)
                sections.reset(new CEOMFSections(1, debugServer));
            else
                sections.reset(new CELFSections(1, debugServer));
            CQelTargetFile &reader = *sections;
            if (!reader.Open(path, target)) {
                std::fprintf(stderr, "qelhost: %s\n", static_cast<LPCSTR>(reader.GetFailureText()));
            } else if (reader.ReadSections(nullptr) != 1) {
                std::fprintf(stderr, "qelhost: the sections pass of %s failed: %s\n", path,
                             static_cast<LPCSTR>(reader.GetFailureText()));
            } else {
                result = 0;
            }
            reader.Close();
            if (!reader.GetDumpError().IsEmpty()) {
                std::fprintf(stderr, "qelhost: %s\n", static_cast<LPCSTR>(reader.GetDumpError()));
                result = 1;
            }
            // Written after the dump is closed, so that a dump to standard output ends first.
            std::printf("\n");
            for (const auto &announcement : host->Downloads()->Announcements())
                std::printf("qelhost: download of %u blocks, %u bytes announced for program %u\n",
                            announcement.blockCount, announcement.byteCount, announcement.programId);
            for (const auto &block : host->Downloads()->Blocks())
                std::printf("qelhost:   block at 0x%08X, %zu bytes, kind %u\n", block.start, block.bytes.size(),
                            block.kind);
            if (std::fflush(stdout) != 0) {
                std::fprintf(stderr, "qelhost: the standard output cannot be written: %s\n", std::strerror(errno));
                result = 1;
            }
        }
    }
    CoUninitialize();
    return result;
}
