// CImageControlDialog: when a new program image is loaded, asks which of the other
// images stay under debugger control. Each other image is a row with a check box (its
// state image); the rows' checks come back as the images' keep flags.
#pragma once

#include "programpattern.h"

#include <afx.h>

// The list of images, with the state images of bitmap 130 (1 not kept, 2 kept).
class CProgramImageListCtrl : public CListCtrl {
public:
    // Loads the state images; FALSE when the bitmap is missing.
    BOOL Init();
    // One row per image of `images` (not owned, kept for the flags).
    void Fill(CProgramPatternArray *images);
    // Toggles the check of `row` and writes it into the image of its program number.
    void ToggleKeep(int row);

private:
    CImageList m_states;
    CProgramPatternArray *m_pImages = nullptr;
};

class CImageControlDialog : public CDialog {
public:
    explicit CImageControlDialog(CWnd *pParentWnd = nullptr);

    // The new program file's full path.
    CString m_strNewFile;
    // The other images; OK leaves their keep flags as the user set them.
    CProgramPatternArray m_images;

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange *pDX) override;
    afx_msg void OnClickImage(NMHDR *header, LRESULT *result);

    DECLARE_MESSAGE_MAP()

private:
    CProgramImageListCtrl m_list;
};

// "%s {%s}" of the path's file name and the path; a path without a separator as it is.
CString ImageText(const CString &path);
