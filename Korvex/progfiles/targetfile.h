// CQelTargetFile: the base of every program-file reader and recogniser.
//
// It owns the opened program file and one read-only view of all of it, through which a
// reader addresses the file by offset; it knows the file's name, path, size and time,
// writes the optional text dump, posts the load's progress to a window and collects the
// program's loadable memory (its download pattern), which it hands to the host's
// target-pattern interface in merged blocks.
//
// To keep the program file free for the tool chain, Open reads a temporary copy of it
// when one can be made; the copy disappears with the handle. A reader derives from this
// class, usually over several levels (a section level, a globals level, a module level),
// and overrides the passes.
#pragma once

#include <addressvalue.h>
#include <afx.h>

#include "dumpbuffer.h"
#include "programinfo.h"

#include <cstdarg>
#include <cstdint>
#include <vector>

// One range of the download pattern. The data belongs to the reader, normally to the
// mapped view.
struct DownloadRange {
    DWORD AddressMode;
    DWORD AddressValue;
    DWORD AddressExtra;
    DWORD Kind;
    DWORD Length;
    const void *Data;
};

// One block of a download: the sorted ranges [First, Last) and its length, gaps included.
struct DownloadBlock {
    size_t First;
    size_t Last;
    uint64_t Length;
};

// The message of the load progress, posted to the window that the load request names:
// wParam QEL_PROGRESS_START (a phase starts; lParam its total), QEL_PROGRESS_TOTAL (the
// total of the steps that follow) or QEL_PROGRESS_POSITION (lParam the position).
#define WM_QEL_LOAD_PROGRESS (WM_USER + 9)
enum : WPARAM {
    QEL_PROGRESS_START = 100,
    QEL_PROGRESS_TOTAL = 110,
    QEL_PROGRESS_POSITION = 111,
};

// The request status that a failed pass asks the loading request for (GetFailureStatus).
enum : int {
    QEL_LOAD_FILE_ERROR = 4,        // a file that the load needs cannot be read
    QEL_LOAD_READER_FAILED = 7,     // the program file is damaged or the reader failed
    QEL_LOAD_CONTENTS_REFUSED = 9,  // the host did not take the memory image
};

class CQelTargetFile : public CObject {
    DECLARE_DYNAMIC(CQelTargetFile)
public:
    // `host` is the host's debug-server object, not counted: the loader keeps it alive.
    CQelTargetFile(DWORD programId, IUnknown *host);
    ~CQelTargetFile() override;
    CQelTargetFile(const CQelTargetFile &) = delete;
    CQelTargetFile &operator=(const CQelTargetFile &) = delete;

    // Opens and recognises the file (IsFileType) and maps it; FALSE, with everything
    // closed again, when it is missing, unreadable or of another format, or when the dump
    // asked for cannot be made: GetFailureStatus and GetFailureText then say which.
    // `dumpTarget`: NULL for no dump (a file whose name begins with "testsuit" is dumped
    // all the same), "stdout" or "stderr", the path given here for "<name>.dmp" beside
    // the file, or the path of a dump file.
    virtual BOOL Open(LPCSTR path, LPCSTR dumpTarget);
    // The passes: 1 when loading goes on, 0 when it stops (GetFailureStatus then says
    // why). This class reads nothing.
    virtual int ReadSections(HWND progressWindow);
    virtual int ReadGlobals(HWND progressWindow);
    virtual int ReadModules(int moduleIndex, int flag);
    // 1 when the open file (positioned at its start) is of the reader's format; a reader
    // may say why not with RefuseFileType.
    virtual int IsFileType(HANDLE file) = 0;

    // Appends a range to the download pattern; a range of length 0 is ignored.
    virtual void AddDownloadRange(const CAddressValue &address, DWORD length, DWORD kind, const void *data);
    // Sorts and merges the ranges into blocks and hands the blocks to the host; the
    // pattern is empty afterwards. A follower joins a block when it has the block's mode
    // and kind and starts at the block's end, or at that end plus (end modulo
    // `alignment`), the gap being filled with 0xFF. FALSE when a range runs past the end
    // of the 32-bit address space (nothing is handed over then), when the host refused a
    // block or when a block's buffer could not be had (the failure is then set); a host
    // without a download interface, or a program id of 0, means there is nothing to hand
    // over.
    virtual BOOL DownloadPattern(HWND progressWindow, DWORD alignment);
    // One block to the host's download interface; TRUE when it took it, FALSE when it
    // refused it and when there is nobody to take it (no interface, program id 0).
    virtual BOOL CallDownloadSink(DWORD start, DWORD length, const void *data, DWORD kind, DWORD programId);

    // 1 when the file given to Open cannot be compared (no path, size or time kept), is
    // gone or has not changed; 0 when it differs from what was opened with a size or time
    // not seen by the previous call (it may still be written); 2 when the same changed
    // size and time are seen twice in a row, which tells that the tool chain has finished
    // writing it.
    int CheckFileChanged();

    // Closes the view, the file and the dump.
    void Close();
    // Opens the file for reading, asks IsFileType and closes it; 0 when it cannot be
    // opened. Recognisers are used through this.
    int IsFileOfType(LPCSTR path);

    DWORD GetProgramId() const { return m_nProgramId; }
    IUnknown *GetHostObject() const { return m_pHost; }
    CString GetFileName() const { return m_strName; }
    CString GetFilePath() const { return m_strPath; }
    const FILETIME *GetStoredFileTime() const { return &m_storedTime; }
    DWORD GetStoredFileSize() const { return m_nStoredSize; }

    // The program-information object that the download announcements fill; not counted.
    void SetProgramInfo(CProgramInfo *info) { m_pProgramInfo = info; }
    CProgramInfo *GetProgramInfo() const { return m_pProgramInfo; }
    // The Intel HEX file whose memory image is downloaded in place of this program's own
    // (when the program was loaded as the ELF file that belongs to that image).
    void SetImageFileName(LPCSTR name) { m_strImageFile = name; }
    CString GetImageFileName() const { return m_strImageFile; }

    // After Open failed or a pass answered 0: the request status it asks for
    // (QEL_LOAD_...) and the reason, "" when none was given.
    int GetFailureStatus() const { return m_nFailureStatus; }
    CString GetFailureText() const { return m_strFailure; }

    // The dump: a formatted line (cut at 8191 characters), and bytes as hex lines of 16.
    // Nothing without a dump. The text is collected and written in large pieces
    // (CDumpBuffer, which also writes it out when the process crashes); FlushDump writes
    // what was collected, as the dumps do at the end of each section and unit.
    void DumpPrintf(LPCSTR format, ...) __attribute__((format(printf, 2, 3)));
    void DumpHex(DWORD address, const void *data, DWORD count);
    void FlushDump();
    BOOL IsDumping() const { return m_pDumpStream != nullptr; }
    // Why the dump of the last Open could not be written whole, "" while it could. A
    // dump that cannot be written any more is closed, but it does not fail the load; the
    // text stays after Close.
    CString GetDumpError() const { return m_strDumpError; }

    // The progress protocol (WM_QEL_LOAD_PROGRESS), each message only when the window
    // exists: a phase starts (only with a total that is not 0), its total, and the
    // position, thinned to about twenty messages per total, the last one always sent.
    void PostProgressStart(HWND window, DWORD total);
    void PostProgressTotal(HWND window, DWORD total);
    void PostProgressPosition(HWND window, DWORD position);

    // Tells the host how many blocks and bytes are coming, and keeps the numbers in the
    // program-information object.
    void AnnouncePattern(DWORD blockCount, DWORD byteCount);

    // The path of a source file as the program names it, completed by the compilation
    // directory: the completed path when that file exists, else the name relative to the
    // directory when it lies below it, else the name.
    CString ResolveSourcePath(LPCSTR name, LPCSTR compilationDirectory);
    // The two forms ResolveSourcePath chooses from: the completed path, and the name (or
    // its part below the directory).
    void SourcePathForms(LPCSTR name, LPCSTR compilationDirectory, CString *completed, CString *fallback);
    // `path` completed by the drive and directory of `basePath` (NULL: the program
    // file's path), made a full path; "" when that cannot be made.
    CString CompletePath(LPCSTR path, LPCSTR basePath = nullptr);

protected:
    // The view of the whole file (null when not mapped) and its size.
    const BYTE *GetView() const { return m_pView; }
    uint64_t GetViewSize() const { return m_nViewSize; }

    // Records why the pass stops, writes it to the dump and traces it to the host.
    void SetFailure(int status, LPCSTR format, ...) __attribute__((format(printf, 3, 4)));
    // Writes a notice that does not stop the load to the dump and traces it to the host
    // as a warning.
    void SetNotice(LPCSTR format, ...) __attribute__((format(printf, 2, 3)));
    // The steps of a download. The pattern taken out of the reader, sorted by mode, third
    // word and value; FALSE, with the failure set, when a range runs past the end of the
    // 32-bit address space. The blocks of the sorted ranges, by the rule of
    // DownloadPattern; ranges of SYAM_VIRTUAL join only with `joinVirtual`. A block's bytes
    // in `buffer`, 0xFF in its gaps; FALSE, with the failure set, when there is no memory
    // for them.
    BOOL TakeDownloadRanges(std::vector<DownloadRange> *ranges);
    static std::vector<DownloadBlock> MergeDownloadRanges(const std::vector<DownloadRange> &ranges, DWORD alignment,
                                                          BOOL joinVirtual);
    BOOL FillDownloadBlock(const std::vector<DownloadRange> &ranges, const DownloadBlock &block,
                           std::vector<BYTE> *buffer);

    // For IsFileType: why the file is not of the reader's format, for Open's failure.
    void RefuseFileType(LPCSTR reason) { m_strRefusal = reason; }

    std::vector<DownloadRange> m_downloadRanges;

private:
    // Whether the host offers its download interface and the program id is not 0.
    BOOL HasDownloadSink() const;
    // Closes everything and forgets the file, with the failure set; FALSE.
    BOOL OpenFailed(int status, LPCSTR format, ...) __attribute__((format(printf, 3, 4)));
    BOOL OpenCopy(LPCSTR path, HANDLE *file);
    BOOL MapFile();
    // FALSE, with the failure set, when the dump file cannot be created.
    BOOL OpenDump(LPCSTR path, LPCSTR dumpTarget);
    // Writes out and closes the dump, keeping why it could not be written.
    void CloseDump();
    void SetFailureV(int status, LPCSTR format, va_list args) __attribute__((format(printf, 3, 0)));
    // Traces `text` to the host, after the program's path when it is known.
    void Trace(LONG kind, const CString &text);
    void PostProgress(HWND window, WPARAM what, DWORD value);

    CProgramInfo *m_pProgramInfo = nullptr;
    CString m_strImageFile;
    const BYTE *m_pView = nullptr;
    uint64_t m_nViewSize = 0;
    HANDLE m_hFile = INVALID_HANDLE_VALUE;
    IUnknown *m_pHost;
    DWORD m_nProgramId;
    CString m_strName;
    CString m_strPath;
    FILETIME m_storedTime = {0, 0};
    DWORD m_nStoredSize = 0;
    FILETIME m_observedTime = {0, 0};
    DWORD m_nObservedSize = 0;
    DWORD m_nProgressTotal = 0;
    DWORD m_nProgressStep = 0;
    CStdioFile *m_pDumpStream = nullptr;
    CDumpBuffer m_dump;
    CString m_strDumpName;
    CString m_strDumpError;
    CString m_strRefusal;
    int m_nFailureStatus = QEL_LOAD_READER_FAILED;
    CString m_strFailure;
};
