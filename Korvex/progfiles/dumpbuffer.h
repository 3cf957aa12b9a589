// CDumpBuffer: the text of a program-file dump on its way to the dump's file.
//
// A dump is written with one system call per 64 KiB instead of one per line: lines are
// collected and written with write(2) when the buffer fills, when the dump asks for it
// (at the end of each section and unit) and at the end. What was dumped before a crash
// of the reader must not be lost, since that is when a dump is wanted most: every
// buffer holds one slot of a process-wide table, and a handler of the fatal signals
// (SIGSEGV, SIGBUS, SIGILL, SIGFPE, SIGABRT), installed when the first dump starts,
// writes out every slot's complete lines before the signal takes its course (the
// handler that was there before, or the default action). A dump that finds the table
// full writes every line at once, as dumps did before.
#pragma once

#include <afx.h>

#include <cstdarg>
#include <cstddef>

struct DumpSlot;

class CDumpBuffer {
public:
    CDumpBuffer() = default;
    ~CDumpBuffer();
    CDumpBuffer(const CDumpBuffer &) = delete;
    CDumpBuffer &operator=(const CDumpBuffer &) = delete;

    // Starts collecting for the file descriptor `fd`, which stays the caller's; FALSE
    // (GetError ENOMEM) when there is no memory for the buffer.
    BOOL Attach(int fd);
    // Writes out what was collected and lets the descriptor go.
    void Detach();
    BOOL IsAttached() const { return m_slot != nullptr; }

    // Appends the formatted text, cut at 8191 characters and at its first zero byte.
    void AppendV(LPCSTR format, va_list args) __attribute__((format(printf, 2, 0)));
    // Appends `length` bytes of text, at most 8191.
    void Append(const char *text, size_t length);
    // Writes out what was collected.
    void Flush();

    // The errno of the first write that failed, 0 while every write succeeded; from then
    // on nothing more is written.
    int GetError() const { return m_nError; }

private:
    // Room for a line of 8191 characters and its terminator behind the collected text,
    // made by writing that out when needed; null when there is no dump to write.
    char *LineSpace();
    // Adds the `length` bytes made in the line space to the collected text.
    void CommitLine(size_t length);
    // Takes the slot from the crash handler's reach and writes out what it holds; the
    // caller gives the slot back.
    void WriteOutInOwnersTurn();

    DumpSlot *m_slot = nullptr;
    DumpSlot *m_ownSlot = nullptr; // when the table was full: a slot no handler sees
    char *m_pData = nullptr;
    int m_nError = 0;
};
