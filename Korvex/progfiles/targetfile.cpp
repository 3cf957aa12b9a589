#include "targetfile.h"

#include <diaghelper.h>
#include <hostinterfaces.h>

#include "progfilepaths.h"
#include "symbolcodes.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <new>
#include <strings.h>

IMPLEMENT_DYNAMIC(CQelTargetFile, CObject)

namespace {

bool SameTime(const FILETIME &a, const FILETIME &b)
{
    return a.dwLowDateTime == b.dwLowDateTime && a.dwHighDateTime == b.dwHighDateTime;
}

// The host's download interface, or null.
CComPtr<IQelTargetPattern> DownloadSink(IUnknown *host)
{
    CComPtr<IQelTargetPattern> sink;
    if (host != nullptr)
        host->QueryInterface(qel_uuidof<IQelTargetPattern>(), reinterpret_cast<void **>(&sink));
    return sink;
}

// The system's text for GetLastError, without its line end.
CString LastErrorText()
{
    char text[256];
    DWORD length = FormatMessage(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, GetLastError(),
                                 MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), text, sizeof text, nullptr);
    while (length > 0 && (text[length - 1] == '\n' || text[length - 1] == '\r'))
        --length;
    return CString(text, static_cast<int>(length));
}

} // namespace

CQelTargetFile::CQelTargetFile(DWORD programId, IUnknown *host) : m_pHost(host), m_nProgramId(programId) {}

CQelTargetFile::~CQelTargetFile()
{
    Close();
}

int CQelTargetFile::ReadSections(HWND)
{
    return 0;
}

int CQelTargetFile::ReadGlobals(HWND)
{
    return 0;
}

int CQelTargetFile::ReadModules(int, int)
{
    return 0;
}

BOOL CQelTargetFile::Open(LPCSTR path, LPCSTR dumpTarget)
{
    Close();
    m_nFailureStatus = QEL_LOAD_READER_FAILED;
    m_strFailure.Empty();
    m_strDumpError.Empty();
    m_strRefusal.Empty();
    if (path == nullptr)
        return OpenFailed(QEL_LOAD_FILE_ERROR, "No program file is named.");
    HANDLE file =
        CreateFile(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return OpenFailed(QEL_LOAD_FILE_ERROR, "The program file %s cannot be opened: %s", path,
                          static_cast<LPCSTR>(LastErrorText()));
    if (IsFileType(file) != 1) {
        CloseHandle(file);
        return OpenFailed(QEL_LOAD_READER_FAILED, "The program file %s cannot be read: %s.", path,
                          m_strRefusal.IsEmpty() ? "it is not of this reader's format"
                                                 : static_cast<LPCSTR>(m_strRefusal));
    }
    m_hFile = file;

    CString fullPath = MakeFullPath(path);
    if (!fullPath.IsEmpty()) {
        m_strPath = fullPath;
        m_strName = ExtractFileName(fullPath);
        WIN32_FIND_DATA found;
        HANDLE find = FindFirstFile(fullPath, &found);
        if (find != INVALID_HANDLE_VALUE) {
            FindClose(find);
            m_storedTime = found.ftLastWriteTime;
            m_nStoredSize = found.nFileSizeLow;
            HANDLE copy = INVALID_HANDLE_VALUE;
            if (OpenCopy(path, &copy)) {
                CloseHandle(m_hFile);
                m_hFile = copy;
            }
        }
    }
    if (!MapFile())
        return OpenFailed(QEL_LOAD_FILE_ERROR, "The program file %s cannot be mapped: %s", path,
                          static_cast<LPCSTR>(LastErrorText()));
    return OpenDump(path, dumpTarget);
}

BOOL CQelTargetFile::OpenFailed(int status, LPCSTR format, ...)
{
    Close();
    m_strName.Empty();
    m_strPath.Empty();
    m_storedTime = FILETIME{0, 0};
    m_nStoredSize = 0;
    va_list args;
    va_start(args, format);
    SetFailureV(status, format, args);
    va_end(args);
    return FALSE;
}

BOOL CQelTargetFile::OpenCopy(LPCSTR path, HANDLE *file)
{
    CString copyName;
    if (MakeTempCopyName("qel", &copyName) == 0)
        return FALSE;
    // The copy is gone once it is open (delete on close); a copy that cannot be made or
    // opened is removed here, so that no temporary file stays behind.
    if (CopyFile(path, copyName, FALSE)) {
        *file = CreateFile(copyName, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_FLAG_DELETE_ON_CLOSE,
                           nullptr);
        if (*file != INVALID_HANDLE_VALUE)
            return TRUE;
    }
    DeleteFile(copyName);
    return FALSE;
}

BOOL CQelTargetFile::MapFile()
{
    DWORD sizeHigh = 0;
    DWORD sizeLow = GetFileSize(m_hFile, &sizeHigh);
    HANDLE mapping = CreateFileMapping(m_hFile, nullptr, PAGE_READONLY | SEC_COMMIT, 0, 0, nullptr);
    if (mapping == nullptr)
        return FALSE;
    m_pView = static_cast<const BYTE *>(MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0));
    CloseHandle(mapping);
    if (m_pView == nullptr)
        return FALSE;
    m_nViewSize = (uint64_t(sizeHigh) << 32) | sizeLow;
    return TRUE;
}

BOOL CQelTargetFile::OpenDump(LPCSTR path, LPCSTR dumpTarget)
{
    // The program's path without its extension, which runs from the last '.' of its name.
    CString stem = path;
    const int dot = stem.ReverseFind('.');
    if (dot >= ExtractDirectory(path).GetLength())
        stem = stem.Left(dot);
    if (strncasecmp(ExtractFileName(stem), "testsuit", 8) == 0 && dumpTarget == nullptr)
        dumpTarget = path;
    if (dumpTarget == nullptr)
        return TRUE;
    CStdioFile *stream = nullptr;
    m_strDumpName = dumpTarget;
    if (strcasecmp(dumpTarget, "stdout") == 0 || strcasecmp(dumpTarget, "stderr") == 0) {
        stream = new CStdioFile(strcasecmp(dumpTarget, "stdout") == 0 ? stdout : stderr);
        // What the process wrote to the stream before comes first.
        fflush(stream->m_pStream);
    } else {
        if (strcmp(dumpTarget, path) == 0)
            m_strDumpName = stem + ".dmp";
        stream = new CStdioFile;
        CFileException error;
        if (!stream->Open(m_strDumpName, CFile::modeCreate | CFile::modeWrite | CFile::shareDenyWrite |
                                             CFile::typeText,
                          &error)) {
            delete stream;
            return OpenFailed(QEL_LOAD_FILE_ERROR, "The dump file %s cannot be created: %s.",
                              static_cast<LPCSTR>(m_strDumpName), strerror(static_cast<int>(error.m_lOsError)));
        }
    }
    // The text goes to the stream's descriptor in large pieces, never through the stream.
    m_pDumpStream = stream;
    if (!m_dump.Attach(fileno(stream->m_pStream)))
        CloseDump();
    return TRUE;
}

void CQelTargetFile::Close()
{
    if (m_pView != nullptr) {
        UnmapViewOfFile(m_pView);
        m_pView = nullptr;
        m_nViewSize = 0;
    }
    if (m_hFile != INVALID_HANDLE_VALUE) {
        CloseHandle(m_hFile);
        m_hFile = INVALID_HANDLE_VALUE;
    }
    CloseDump();
}

void CQelTargetFile::CloseDump()
{
    if (m_pDumpStream == nullptr)
        return;
    m_dump.Detach();
    int error = m_dump.GetError();
    try {
        m_pDumpStream->Close();
    } catch (CFileException *e) {
        if (error == 0)
            error = e->m_lOsError != 0 ? static_cast<int>(e->m_lOsError) : EIO;
        e->Delete();
    }
    delete m_pDumpStream;
    m_pDumpStream = nullptr;
    if (error != 0 && m_strDumpError.IsEmpty())
        m_strDumpError.Format("The dump to %s cannot be written: %s.", static_cast<LPCSTR>(m_strDumpName),
                              strerror(error));
}

int CQelTargetFile::IsFileOfType(LPCSTR path)
{
    HANDLE file = CreateFile(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return 0;
    int result = IsFileType(file);
    CloseHandle(file);
    return result;
}

// Linux cannot tell whether another program still has the file open for writing, so the
// change counts as finished only when the same new size and time are seen twice in a row.
int CQelTargetFile::CheckFileChanged()
{
    if (m_strPath.IsEmpty() || m_nStoredSize == 0 || SameTime(m_storedTime, FILETIME{0, 0}))
        return 1;
    WIN32_FIND_DATA found;
    HANDLE find = FindFirstFile(m_strPath, &found);
    if (find == INVALID_HANDLE_VALUE)
        return 1;
    FindClose(find);
    if (found.nFileSizeLow == m_nStoredSize && SameTime(found.ftLastWriteTime, m_storedTime))
        return 1;
    int result = found.nFileSizeLow == m_nObservedSize && SameTime(found.ftLastWriteTime, m_observedTime) ? 2 : 0;
    m_nObservedSize = found.nFileSizeLow;
    m_observedTime = found.ftLastWriteTime;
    return result;
}

void CQelTargetFile::DumpPrintf(LPCSTR format, ...)
{
    if (m_pDumpStream == nullptr)
        return;
    va_list args;
    va_start(args, format);
    m_dump.AppendV(format, args);
    va_end(args);
    if (m_dump.GetError() != 0)
        CloseDump();
}

void CQelTargetFile::FlushDump()
{
    if (m_pDumpStream == nullptr)
        return;
    m_dump.Flush();
    if (m_dump.GetError() != 0)
        CloseDump();
}

void CQelTargetFile::DumpHex(DWORD address, const void *data, DWORD count)
{
    if (m_pDumpStream == nullptr)
        return;
    const BYTE *bytes = static_cast<const BYTE *>(data);
    DWORD i = 0;
    do {
        char line[64];
        int used = std::snprintf(line, sizeof line, "%7Xh: ", address + i);
        for (DWORD end = std::min(count, i + 16); i < end; ++i)
            used += std::snprintf(line + used, sizeof line - used, (i + 1) % 16 == 0 ? "%02X\n" : "%02X ", bytes[i]);
        m_dump.Append(line, used);
    } while (i < count && m_dump.GetError() == 0);
    DumpPrintf("\n");
}

void CQelTargetFile::PostProgress(HWND window, WPARAM what, DWORD value)
{
    PostMessage(window, WM_QEL_LOAD_PROGRESS, what, static_cast<LPARAM>(value));
}

void CQelTargetFile::PostProgressStart(HWND window, DWORD total)
{
    if (IsWindow(window) && total != 0)
        PostProgress(window, QEL_PROGRESS_START, total);
}

void CQelTargetFile::PostProgressTotal(HWND window, DWORD total)
{
    if (IsWindow(window))
        PostProgress(window, QEL_PROGRESS_TOTAL, total);
    m_nProgressTotal = total;
    m_nProgressStep = 0;
}

void CQelTargetFile::PostProgressPosition(HWND window, DWORD position)
{
    // Readers call this for every record; the window is looked up only when a step is
    // reached.
    if (m_nProgressTotal == 0)
        return;
    DWORD step = m_nProgressTotal / 20;
    if (step == 0)
        return;
    DWORD reached = position / step;
    if ((reached > m_nProgressStep || position == m_nProgressTotal) && IsWindow(window)) {
        m_nProgressStep = reached;
        PostProgress(window, QEL_PROGRESS_POSITION, position);
    }
}

void CQelTargetFile::AddDownloadRange(const CAddressValue &address, DWORD length, DWORD kind, const void *data)
{
    if (length == 0)
        return;
    m_downloadRanges.push_back({address.AddressMode, address.AddressValue, address.AddressExtra, kind, length, data});
}

BOOL CQelTargetFile::HasDownloadSink() const
{
    return m_nProgramId != 0 && DownloadSink(m_pHost) != nullptr;
}

BOOL CQelTargetFile::TakeDownloadRanges(std::vector<DownloadRange> *ranges)
{
    ranges->clear();
    ranges->swap(m_downloadRanges);
    std::stable_sort(ranges->begin(), ranges->end(), [](const DownloadRange &a, const DownloadRange &b) {
        if (a.AddressMode != b.AddressMode)
            return a.AddressMode < b.AddressMode;
        if (a.AddressExtra != b.AddressExtra)
            return a.AddressExtra < b.AddressExtra;
        return a.AddressValue < b.AddressValue;
    });
    // The target has no address above 0xFFFFFFFF: a range past it would reach the host
    // wrapped, at address 0 on. The readers refuse such ranges; this keeps any reader's
    // from being handed over.
    for (const DownloadRange &range : *ranges) {
        if (uint64_t(range.AddressValue) + range.Length > 0x100000000ull) {
            SetFailure(QEL_LOAD_READER_FAILED,
                       "The download range of %u bytes at %08Xh runs past the end of the 32-bit address space.",
                       range.Length, range.AddressValue);
            return FALSE;
        }
    }
    return TRUE;
}

std::vector<DownloadBlock> CQelTargetFile::MergeDownloadRanges(const std::vector<DownloadRange> &ranges,
                                                                DWORD alignment, BOOL joinVirtual)
{
    if (alignment == 0)
        alignment = 1;
    std::vector<DownloadBlock> blocks;
    for (size_t i = 0; i < ranges.size();) {
        DownloadBlock block{i, i + 1, ranges[i].Length};
        const DownloadRange &head = ranges[i];
        // Ends are kept in 64 bits: a range that reaches the top of the address space
        // has no follower, instead of one that wraps to address 0.
        for (; block.Last < ranges.size() && (joinVirtual || head.AddressMode != SYAM_VIRTUAL); ++block.Last) {
            const DownloadRange &next = ranges[block.Last];
            uint64_t end = uint64_t(head.AddressValue) + block.Length;
            uint64_t gap = end % alignment;
            if (next.AddressMode != head.AddressMode || next.Kind != head.Kind ||
                (next.AddressValue != end && (gap == 0 || next.AddressValue != end + gap)))
                break;
            block.Length += (next.AddressValue - end) + next.Length;
        }
        blocks.push_back(block);
        i = block.Last;
    }
    return blocks;
}

BOOL CQelTargetFile::FillDownloadBlock(const std::vector<DownloadRange> &ranges, const DownloadBlock &block,
                                       std::vector<BYTE> *buffer)
{
    const DownloadRange &head = ranges[block.First];
    try {
        buffer->assign(block.Length, 0xFF);
    } catch (const std::bad_alloc &) {
        SetFailure(QEL_LOAD_CONTENTS_REFUSED, "No memory for the download block of %llu bytes at %08Xh.",
                   static_cast<unsigned long long>(block.Length), head.AddressValue);
        return FALSE;
    }
    for (size_t r = block.First; r < block.Last; ++r) {
        const DownloadRange &range = ranges[r];
        if (range.Data != nullptr)
            memcpy(buffer->data() + (range.AddressValue - head.AddressValue), range.Data, range.Length);
    }
    return TRUE;
}

BOOL CQelTargetFile::DownloadPattern(HWND progressWindow, DWORD alignment)
{
    std::vector<DownloadRange> ranges;
    if (!TakeDownloadRanges(&ranges))
        return FALSE;
    if (ranges.empty())
        return TRUE;
    const std::vector<DownloadBlock> blocks = MergeDownloadRanges(ranges, alignment, TRUE);
    uint64_t totalBytes = 0;
    for (const DownloadBlock &block : blocks)
        totalBytes += block.Length;

    PostProgressStart(progressWindow, static_cast<DWORD>(totalBytes));
    AnnouncePattern(static_cast<DWORD>(blocks.size()), static_cast<DWORD>(totalBytes));
    // Without a download interface or a program there is nothing to hand over, which
    // is no failure.
    if (!HasDownloadSink())
        return TRUE;

    std::vector<BYTE> buffer;
    for (const DownloadBlock &block : blocks) {
        const DownloadRange &head = ranges[block.First];
        if (!FillDownloadBlock(ranges, block, &buffer))
            return FALSE;
        DWORD sinkKind = head.Kind == 1 ? 0 : 2;
        if (!CallDownloadSink(head.AddressValue, static_cast<DWORD>(block.Length), buffer.data(), sinkKind,
                              m_nProgramId)) {
            SetFailure(QEL_LOAD_CONTENTS_REFUSED, "The host refused the download block of %u bytes at %08Xh.",
                       static_cast<unsigned>(block.Length), head.AddressValue);
            return FALSE;
        }
    }
    return TRUE;
}

void CQelTargetFile::AnnouncePattern(DWORD blockCount, DWORD byteCount)
{
    CComPtr<IQelTargetPattern> sink = DownloadSink(m_pHost);
    if (sink == nullptr || m_nProgramId == 0)
        return;
    sink->AnnounceDownload(blockCount, byteCount, m_nProgramId);
    if (m_pProgramInfo != nullptr) {
        m_pProgramInfo->m_nDownloadBlocks = blockCount;
        m_pProgramInfo->m_nDownloadBytes = byteCount;
    }
}

BOOL CQelTargetFile::CallDownloadSink(DWORD start, DWORD length, const void *data, DWORD kind, DWORD programId)
{
    CComPtr<IQelTargetPattern> sink = DownloadSink(m_pHost);
    if (sink == nullptr || programId == 0)
        return FALSE;
    return sink->DownloadBlock(start, length, static_cast<const BYTE *>(data), kind, programId) == S_OK;
}

void CQelTargetFile::SetFailure(int status, LPCSTR format, ...)
{
    va_list args;
    va_start(args, format);
    SetFailureV(status, format, args);
    va_end(args);
}

void CQelTargetFile::SetFailureV(int status, LPCSTR format, va_list args)
{
    m_strFailure.FormatV(format, args);
    m_nFailureStatus = status;
    DumpPrintf("%s\n", static_cast<LPCSTR>(m_strFailure));
    Trace(CQelDiagHelper::KindError, m_strFailure);
}

void CQelTargetFile::SetNotice(LPCSTR format, ...)
{
    CString notice;
    va_list args;
    va_start(args, format);
    notice.FormatV(format, args);
    va_end(args);
    DumpPrintf("%s\n", static_cast<LPCSTR>(notice));
    Trace(CQelDiagHelper::KindWarning, notice);
}

void CQelTargetFile::Trace(LONG kind, const CString &text)
{
    if (m_pHost == nullptr)
        return;
    CQelDiagHelper diagnostics(m_pHost, "QelSymbolEngine", nullptr);
    if (diagnostics.GetLevel() == 0)
        return;
    if (m_strPath.IsEmpty())
        diagnostics.TraceKind(kind, "%s", static_cast<LPCSTR>(text));
    else
        diagnostics.TraceKind(kind, "%s: %s", static_cast<LPCSTR>(m_strPath), static_cast<LPCSTR>(text));
}
