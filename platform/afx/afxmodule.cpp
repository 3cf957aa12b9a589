#include "afxmodule.h"

#include <climits>
#include <cstdio>

namespace {

// Constant-initialised, so it is there before any constructor of the module runs.
AFX_MODULE_STATE g_moduleState = {nullptr, nullptr};

thread_local AFX_MODULE_STATE *t_currentState = nullptr;

} // namespace

AFX_MODULE_STATE *AfxGetStaticModuleState() { return &g_moduleState; }

AFX_MODULE_STATE *AfxGetModuleState() { return t_currentState != nullptr ? t_currentState : &g_moduleState; }

AFX_MAINTAIN_STATE::AFX_MAINTAIN_STATE(AFX_MODULE_STATE *newState) : m_pPrevModuleState(t_currentState)
{
    t_currentState = newState;
}

AFX_MAINTAIN_STATE::~AFX_MAINTAIN_STATE() { t_currentState = m_pPrevModuleState; }

HINSTANCE AfxGetInstanceHandle() { return AfxGetModuleState()->m_hCurrentInstanceHandle; }

HINSTANCE AfxGetResourceHandle() { return AfxGetModuleState()->m_hCurrentResourceHandle; }

void AfxSetResourceHandle(HINSTANCE resourceHandle) { AfxGetModuleState()->m_hCurrentResourceHandle = resourceHandle; }

HINSTANCE AfxFindResourceHandle(LPCSTR name, LPCSTR type)
{
    HINSTANCE resources = AfxGetResourceHandle();
    if (FindResourceA(resources, name, type) != nullptr)
        return resources;
    HINSTANCE instance = AfxGetInstanceHandle();
    if (instance != resources && FindResourceA(instance, name, type) != nullptr)
        return instance;
    return resources;
}

int AfxLoadString(UINT id, LPSTR buffer, UINT maxBuffer)
{
    return LoadStringA(AfxGetResourceHandle(), id, buffer, maxBuffer > INT_MAX ? INT_MAX : static_cast<int>(maxBuffer));
}

QelModuleResourceBinding::QelModuleResourceBinding(const void *addressInModule, const QEL_MODULE_RESOURCES *resources)
    : m_module(QelRegisterModule(addressInModule, resources))
{
    // A module whose tables cannot be registered still runs; it finds no resources, and
    // says so once where a developer will see it.
    if (m_module == nullptr)
        fprintf(stderr, "framework: the module's resources could not be registered\n");
    g_moduleState.m_hCurrentInstanceHandle = m_module;
    g_moduleState.m_hCurrentResourceHandle = m_module;
}

QelModuleResourceBinding::~QelModuleResourceBinding()
{
    if (g_moduleState.m_hCurrentResourceHandle == m_module)
        g_moduleState.m_hCurrentResourceHandle = nullptr;
    g_moduleState.m_hCurrentInstanceHandle = nullptr;
    if (m_module != nullptr)
        QelUnregisterModule(m_module);
}
