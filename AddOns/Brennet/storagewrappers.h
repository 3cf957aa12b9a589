// The wrappers through which the component reaches the host's view of a project storage:
// the host's storage handler, the storage object it answers, and an enumerator of names.
#pragma once

#include <afx.h>
#include <atlbase.h>
#include <hostinterfaces.h>

// The host's storage handler, made by its ProgID "QEL.QELStorageHandler".
class CQelStorageHandlerWrapper {
public:
    // Makes the handler, letting an earlier one go; whether that worked.
    BOOL Create();
    // The handler's object for `storage` into *ppElements, with a reference for the
    // caller; whether the handler answered one.
    BOOL GetStorageElements(IStorage *storage, IQelStorageElements **ppElements);

private:
    CComPtr<IQelStorageHandler> m_handler;
};

// Holds the host's object of the project storage.
class CQelStorageWrapper {
public:
    // Holds `elements` (with a reference of its own) in place of the one held before.
    void Attach(IQelStorageElements *elements);
    BOOL IsAttached() const { return m_elements != nullptr; }
    // The number of the storage's elements; 0 without an object or when the call fails.
    LONG GetCount();
    // The storage's name; FALSE without an object or when the call fails.
    BOOL GetName(CString &name);

private:
    CComPtr<IQelStorageElements> m_elements;
};

// Holds a host enumerator of element names (with a reference of its own).
class CQelStorageEnumWrapper {
public:
    explicit CQelStorageEnumWrapper(IQelStorageEnum *enumerator);
    ~CQelStorageEnumWrapper();
    CQelStorageEnumWrapper(const CQelStorageEnumWrapper &) = delete;
    CQelStorageEnumWrapper &operator=(const CQelStorageEnumWrapper &) = delete;

    // The name at `position`; FALSE past the last or when the call fails.
    BOOL GetNextName(LONG position, CString &name);

private:
    IQelStorageEnum *m_enumerator;
};

// Gives `wrapper` the host's object of the project storage that the host handed over:
// the object itself when it offers IQelStorageElements, else the storage handler's
// answer for it. Without either the wrapper holds nothing, which is no error.
void AttachProjectStorage(IUnknown *storageObject, CQelStorageWrapper &wrapper);
