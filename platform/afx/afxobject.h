// CObject and its run-time classes.
//
// A class declared with DECLARE_DYNAMIC knows its CRuntimeClass: its name, its size and
// its base class; one declared with DECLARE_DYNCREATE can also be made from its run-time
// class, and so by name through CRuntimeClass::FromName. Each IMPLEMENT_ macro links its
// class into the list of the module it is compiled into (the framework is compiled into
// every module, so FromName finds the classes of the calling module). The list is built
// while the module loads and only read afterwards.
#pragma once

#include "afxdiag.h"
#include "basetypes.h"

class CObject;

struct CRuntimeClass {
    LPCSTR m_lpszClassName;
    int m_nObjectSize;
    UINT m_wSchema; // 0xFFFF: not serialisable; kept for the framework's layout
    CObject *(*m_pfnCreateObject)(); // NULL unless DECLARE_DYNCREATE
    CRuntimeClass *m_pBaseClass;
    CRuntimeClass *m_pNextClass; // the module's class list

    // A new object of this class, or NULL when the class cannot be made that way or its
    // constructor failed with a framework exception or for want of memory.
    CObject *CreateObject();
    BOOL IsDerivedFrom(const CRuntimeClass *baseClass) const;
    // The class of that name among the module's classes, or NULL.
    static CRuntimeClass *FromName(LPCSTR className);
};

// Links a run-time class into the module's list; IMPLEMENT_DYNAMIC makes one per class.
struct AFX_CLASSINIT {
    explicit AFX_CLASSINIT(CRuntimeClass *newClass);
};

#define RUNTIME_CLASS(class_name) (&class_name::class##class_name)

#define DECLARE_DYNAMIC(class_name)               \
public:                                           \
    static CRuntimeClass class##class_name;       \
    CRuntimeClass *GetRuntimeClass() const override;

#define DECLARE_DYNCREATE(class_name) \
    DECLARE_DYNAMIC(class_name)       \
    static CObject *CreateObject();

#define QEL_IMPLEMENT_RUNTIMECLASS(class_name, base_class_name, pfnNew)                                           \
    CRuntimeClass class_name::class##class_name = {#class_name, static_cast<int>(sizeof(class_name)), 0xFFFF,       \
                                                   pfnNew, RUNTIME_CLASS(base_class_name), nullptr};                 \
    static AFX_CLASSINIT qelClassInit_##class_name(RUNTIME_CLASS(class_name));                                    \
    CRuntimeClass *class_name::GetRuntimeClass() const { return RUNTIME_CLASS(class_name); }

#define IMPLEMENT_DYNAMIC(class_name, base_class_name) QEL_IMPLEMENT_RUNTIMECLASS(class_name, base_class_name, nullptr)

#define IMPLEMENT_DYNCREATE(class_name, base_class_name)                        \
    CObject *class_name::CreateObject() { return new class_name; }              \
    QEL_IMPLEMENT_RUNTIMECLASS(class_name, base_class_name, class_name::CreateObject)

class CObject {
public:
    virtual CRuntimeClass *GetRuntimeClass() const;
    virtual ~CObject() = default;
    virtual void AssertValid() const {}

    BOOL IsKindOf(const CRuntimeClass *someClass) const;

    static CRuntimeClass classCObject;

    // Framework objects are not copied unless a class says how.
    CObject(const CObject &) = delete;
    CObject &operator=(const CObject &) = delete;

protected:
    CObject() = default;
};

// Checks an object in the debug build: that there is one and that it finds itself sound.
#ifdef NDEBUG
#define ASSERT_VALID(pOb) ((void)0)
#else
#define ASSERT_VALID(pOb) (ASSERT((pOb) != nullptr), (pOb)->AssertValid())
#endif
