// CTaskingOutSections: the section level of the Tasking ".out" reader, and
// CTaskingOutCheck, its recogniser.
//
// The sections pass makes one section record per entry of the section table and hands
// the sections' contents to the download, cut around the gaps that the gap table names
// (holes in a section's memory that its file contents skip). The interrupt vector table
// of a C16x lies in the first 512 bytes and comes as many small fragments; they are
// collected in a vector image and downloaded as the runs they form.
//
// The whole file is checked (CTaskingOutImage) when the pass begins, before any record
// is handed on: a damaged file fails the pass with the reason and nothing written.
#pragma once

#include <tagrecords.h>

#include "taskingimage.h"
#include "targetfile.h"

#include <memory>
#include <vector>

class CTaskingOutSections : public CQelTargetFile {
public:
    // `owner` is the host's debug-server object, not counted.
    CTaskingOutSections(DWORD programId, IUnknown *owner);
    ~CTaskingOutSections() override;

    // The base's Open; the structures are checked by the sections pass.
    BOOL Open(LPCSTR path, LPCSTR dumpTarget) override;
    int IsFileType(HANDLE file) override;
    // The sections pass: 1 when the file's records were all handed on (this level
    // downloads nothing itself: the collected pattern waits for DownloadPattern); 0, with
    // the failure set, when the file is damaged or AddSection refused a record.
    int ReadSections(HWND progressWindow) override;
    // Ranges of absolute addresses that lie wholly below 512 go into the vector image;
    // every other range goes to the base.
    void AddDownloadRange(const CAddressValue &address, DWORD length, DWORD kind, const void *data) override;

    // The text of the current name record.
    virtual CString GetString();
    // Called for every section record with its running index (from 2 on). This level
    // keeps nothing and answers 1; 0 abandons the load.
    virtual int AddSection(int index, SectionTag *record);

    const CTaskingOutImage &GetImage() const { return m_image; }
    // Whether the sections pass checked the file that is open now: the passes after it
    // read nothing of a file that has been closed since.
    BOOL HasImage() const { return m_image.IsAttached() && m_image.GetView() == GetView(); }

protected:
    // The name record that GetString reads.
    void SetCurrentRecord(DWORD index) { m_nCurrentRecord = index; }
    DWORD GetCurrentRecord() const { return m_nCurrentRecord; }
    // Lets go of the vector image once its ranges have been downloaded.
    void FreeVectorImage() { m_vectorImage.reset(); }

private:
    // The pass proper; a refused record raises CUserException.
    void MakeSections(std::vector<TaskingGap> &gaps);
    void DownloadSection(const TaskingSectionEntry &section, const CAddressValue &address, DWORD kind,
                         const BYTE *data, std::vector<TaskingGap> &gaps);
    // Every run of written vector addresses becomes one range of the base.
    void FlushVectorImage();

    CTaskingOutImage m_image;
    DWORD m_nCurrentRecord = 0;
    // Bytes 0-511 the image of target addresses 0-511, bytes 512-1023 one mark per
    // address (1 = written).
    std::unique_ptr<BYTE[]> m_vectorImage;
};

// 1 when the open file, read from its current position, starts with the header of a
// Tasking program file; *refusal (when given) says why not.
int CheckTaskingOutFile(HANDLE file, CString *refusal);

// The recogniser that the loading request asks first.
class CTaskingOutCheck : public CQelTargetFile {
public:
    CTaskingOutCheck() : CQelTargetFile(1, nullptr) {}
    int IsFileType(HANDLE file) override;
};
