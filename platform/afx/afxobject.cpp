#include "afxobject.h"

#include "afxexcept.h"

#include <cstring>
#include <new>

namespace {

// Constant-initialised, so classes may link themselves in from any constructor that
// runs while the module loads.
CRuntimeClass *g_firstClass = nullptr;

} // namespace

CRuntimeClass CObject::classCObject = {"CObject", static_cast<int>(sizeof(CObject)), 0xFFFF, nullptr, nullptr,
                                       nullptr};
static AFX_CLASSINIT qelClassInit_CObject(RUNTIME_CLASS(CObject));

CRuntimeClass *CObject::GetRuntimeClass() const { return RUNTIME_CLASS(CObject); }

BOOL CObject::IsKindOf(const CRuntimeClass *someClass) const { return GetRuntimeClass()->IsDerivedFrom(someClass); }

AFX_CLASSINIT::AFX_CLASSINIT(CRuntimeClass *newClass)
{
    newClass->m_pNextClass = g_firstClass;
    g_firstClass = newClass;
}

CObject *CRuntimeClass::CreateObject()
{
    if (m_pfnCreateObject == nullptr)
        return nullptr;
    try {
        return m_pfnCreateObject();
    } catch (CException *e) {
        e->Delete();
    } catch (const std::bad_alloc &) {
    }
    return nullptr;
}

BOOL CRuntimeClass::IsDerivedFrom(const CRuntimeClass *baseClass) const
{
    for (const CRuntimeClass *c = this; c != nullptr; c = c->m_pBaseClass) {
        if (c == baseClass)
            return TRUE;
    }
    return FALSE;
}

CRuntimeClass *CRuntimeClass::FromName(LPCSTR className)
{
    if (className == nullptr)
        return nullptr;
    for (CRuntimeClass *c = g_firstClass; c != nullptr; c = c->m_pNextClass) {
        if (strcmp(c->m_lpszClassName, className) == 0)
            return c;
    }
    return nullptr;
}
