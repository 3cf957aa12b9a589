#include "afxexcept.h"

#include <gtest/gtest.h>

#include <cerrno>

namespace {

CString MessageOf(CException *e, UINT size = 512)
{
    char buffer[512];
    UINT help = 99;
    e->GetErrorMessage(buffer, size, &help);
    EXPECT_EQ(help, 0u);
    return buffer;
}

TEST(CExceptionTest, ThrownAsPointersAndCaughtAsTheBase)
{
    bool caught = false;
    try {
        AfxThrowFileException(CFileException::fileNotFound, ENOENT, "/no/such");
    } catch (CException *e) {
        caught = true;
        EXPECT_TRUE(e->IsKindOf(RUNTIME_CLASS(CFileException)));
        CFileException *file = static_cast<CFileException *>(e);
        EXPECT_EQ(file->m_cause, CFileException::fileNotFound);
        EXPECT_EQ(file->m_lOsError, ENOENT);
        EXPECT_EQ(file->m_strFileName, "/no/such");
        e->Delete(); // freed: the leak checker would see it otherwise
    }
    EXPECT_TRUE(caught);
}

TEST(CExceptionTest, MemoryExceptionIsAStaticObjectThatDeleteKeeps)
{
    CMemoryException *first = nullptr;
    try {
        AfxThrowMemoryException();
    } catch (CMemoryException *e) {
        first = e;
        EXPECT_FALSE(e->m_bAutoDelete);
        e->Delete();
    }
    try {
        AfxThrowMemoryException();
    } catch (CException *e) {
        EXPECT_EQ(e, first);
        EXPECT_EQ(MessageOf(e), "Out of memory.");
        e->Delete();
    }
}

TEST(CExceptionTest, MessagesOfTheSimpleExceptions)
{
    try {
        AfxThrowNotSupportedException();
    } catch (CException *e) {
        EXPECT_TRUE(e->IsKindOf(RUNTIME_CLASS(CSimpleException)));
        EXPECT_FALSE(MessageOf(e).IsEmpty());
        e->Delete();
    }
    try {
        AfxThrowUserException();
    } catch (CUserException *e) {
        char buffer[8] = "x";
        EXPECT_FALSE(e->GetErrorMessage(buffer, sizeof buffer));
        EXPECT_STREQ(buffer, "");
        e->Delete();
    }
}

TEST(CFileExceptionTest, MessageNamesTheCauseAndTheFile)
{
    CFileException e(CFileException::fileNotFound, ENOENT, "/tmp/x.mdb");
    EXPECT_EQ(MessageOf(&e), "/tmp/x.mdb was not found.");
    CFileException denied(CFileException::accessDenied);
    EXPECT_EQ(MessageOf(&denied), "Access to an unnamed file was denied.");
    CFileException odd(1234);
    EXPECT_EQ(MessageOf(&odd), "An unexpected error occurred while accessing an unnamed file.");
}

TEST(CFileExceptionTest, MessageIsCutToTheBuffer)
{
    CFileException e(CFileException::diskFull, ENOSPC, "f");
    EXPECT_EQ(MessageOf(&e, 5), "Disk");
    char untouched = 'u';
    EXPECT_TRUE(e.GetErrorMessage(&untouched, 0));
    EXPECT_EQ(untouched, 'u');
}

TEST(CFileExceptionTest, MapsErrnoToCauses)
{
    EXPECT_EQ(CFileException::ErrnoToException(0), CFileException::none);
    EXPECT_EQ(CFileException::ErrnoToException(ENOENT), CFileException::fileNotFound);
    EXPECT_EQ(CFileException::ErrnoToException(ENOTDIR), CFileException::badPath);
    EXPECT_EQ(CFileException::ErrnoToException(EACCES), CFileException::accessDenied);
    EXPECT_EQ(CFileException::ErrnoToException(EMFILE), CFileException::tooManyOpenFiles);
    EXPECT_EQ(CFileException::ErrnoToException(ENOSPC), CFileException::diskFull);
    EXPECT_EQ(CFileException::ErrnoToException(EINTR), CFileException::generic);
    try {
        CFileException::ThrowErrno(EBADF, "h");
    } catch (CFileException *e) {
        EXPECT_EQ(e->m_cause, CFileException::invalidFile);
        EXPECT_EQ(e->m_lOsError, EBADF);
        e->Delete();
    }
}

} // namespace
