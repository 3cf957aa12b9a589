// Module state: which module's instance and resources the framework works with.
//
// Each module (a server library or a program) binds its compiled-in resource tables to
// its module state with QEL_DEFINE_MODULE_RESOURCES, placed in one .cpp of the module:
//
//     static const QEL_STRING_ENTRY kStrings[] = {{3000, "Unknown error occurred."}};
//     static const QEL_MODULE_RESOURCES kResources = {kStrings, 1, nullptr, 0};
//     QEL_DEFINE_MODULE_RESOURCES(kResources)
//
// While the module loads, before its other static objects are made, the macro registers
// the module with the Win32 layer (QelRegisterModule) and keeps the handle as the state's
// instance and resource handle; when the module unloads it unregisters it.
//
// The framework is compiled into each module, as when it is linked statically, so each
// module has its own static module state and its own "current" state per thread.
// AfxGetModuleState answers the state that the calling thread last switched to with
// AFX_MANAGE_STATE inside this module, or else the module's own; so code of one module
// never sees another module's resources by accident. AFX_MANAGE_STATE at the start of an
// entry point still matters within the module: AfxSetResourceHandle changes the state
// that is current, and a scope that switches restores the previous state when it ends.
#pragma once

#include "basetypes.h"
#include "resources.h"

struct AFX_MODULE_STATE {
    HINSTANCE m_hCurrentInstanceHandle; // the module; NULL until it has registered
    HINSTANCE m_hCurrentResourceHandle; // where resources are looked up first
};

AFX_MODULE_STATE *AfxGetModuleState();
AFX_MODULE_STATE *AfxGetStaticModuleState();

// Switches the calling thread to `newState` for the life of the object.
class AFX_MAINTAIN_STATE {
public:
    explicit AFX_MAINTAIN_STATE(AFX_MODULE_STATE *newState);
    ~AFX_MAINTAIN_STATE();
    AFX_MAINTAIN_STATE(const AFX_MAINTAIN_STATE &) = delete;
    AFX_MAINTAIN_STATE &operator=(const AFX_MAINTAIN_STATE &) = delete;

private:
    AFX_MODULE_STATE *m_pPrevModuleState;
};

#define AFX_MANAGE_STATE(p) AFX_MAINTAIN_STATE _ctlState(p)

HINSTANCE AfxGetInstanceHandle();
HINSTANCE AfxGetResourceHandle();
void AfxSetResourceHandle(HINSTANCE resourceHandle);
// The module that has the resource: the resource handle when it has it, else the
// instance handle when that has it, else the resource handle.
HINSTANCE AfxFindResourceHandle(LPCSTR name, LPCSTR type);

// The string `id` of the resource module into `buffer` (at most `maxBuffer` - 1
// characters, always terminated); the count copied, 0 when there is none.
int AfxLoadString(UINT id, LPSTR buffer, UINT maxBuffer = 256);

// Made by QEL_DEFINE_MODULE_RESOURCES; see above.
class QelModuleResourceBinding {
public:
    QelModuleResourceBinding(const void *addressInModule, const QEL_MODULE_RESOURCES *resources);
    ~QelModuleResourceBinding();
    QelModuleResourceBinding(const QelModuleResourceBinding &) = delete;
    QelModuleResourceBinding &operator=(const QelModuleResourceBinding &) = delete;

private:
    HINSTANCE m_module;
};

// 101 is the first priority open to programs: the binding is made before every static
// object of the module without a priority, so their constructors find the resources.
#define QEL_DEFINE_MODULE_RESOURCES(table)                                                         \
    static QelModuleResourceBinding qelModuleResourceBinding __attribute__((init_priority(101)))( \
        &qelModuleResourceBinding, &(table));
