// For the tests of the watch and locals trees: a scripted variable object that fills its
// tree through IQelCommonWatch as the symbol server's does, a debug server that makes such
// objects for command 200 with 8 and records what the trees ask of its variable services,
// and a forwarder of IQelCommonWatch to a tree.
#pragma once

#include "commonwatchcontrol.h"

#include <hostcmdgroups.h>
#include <hostinterfaces.h>
#include <qelcommonwatch.h>
#include <qelcommvariable.h>
#include <qelhostframe.h>
#include <symbolservertesting.h>
#include <variantarray.h>

#include <atlbase.h>

#include <cstdio>
#include <deque>
#include <functional>
#include <string>
#include <vector>

// One variable as the test scripts it; the object shows it and its members.
struct ScriptedVariableScript {
    std::string name = "counter";
    std::string typeName = "int";
    std::string location = "0x20000000";
    std::string scope;
    LONG type = 0;
    LONG children = 0;
    LONG baseType = -1; // the type whose members the root asks for; -1: none
    LONG value = 65;
    std::vector<std::string> formats = {"decimal", "hexadecimal", "ASCII"};
    LONG format = 0;
    std::vector<std::string> enumerators;
    LONG state = 0;
    LONG symbolIndex = 0;
    std::vector<std::string> members; // "name=value", added by AddMembers
};

class CScriptedVariable : public CComObjectRootEx<CComSingleThreadModel>,
                          public IQelCommVariableObj,
                          public IQelUniCommStub,
                          public IQelValueNotices {
public:
    BEGIN_COM_MAP(CScriptedVariable)
        COM_INTERFACE_ENTRY(IQelCommVariableObj)
        COM_INTERFACE_ENTRY(IQelUniCommStub)
        COM_INTERFACE_ENTRY(IQelValueNotices)
    END_COM_MAP()

    ScriptedVariableScript script;
    std::vector<std::string> log;
    CComPtr<IQelCommonWatch> tree;
    LONG item = 0;
    std::vector<LONG> memberItems;
    std::vector<std::string> memberValues;
    LONG window = 0;
    UINT message = 0;
    LONG selectedEnumerator = -1;

    std::string ValueText() const
    {
        char text[32];
        std::string format = script.format >= 0 && script.format < static_cast<LONG>(script.formats.size())
                                 ? script.formats[static_cast<size_t>(script.format)]
                                 : "";
        if (!script.enumerators.empty() && selectedEnumerator >= 0 &&
            selectedEnumerator < static_cast<LONG>(script.enumerators.size()))
            return script.enumerators[static_cast<size_t>(selectedEnumerator)];
        if (format == "hexadecimal")
            std::snprintf(text, sizeof text, "0x%X", static_cast<unsigned>(script.value));
        else if (format == "octal")
            std::snprintf(text, sizeof text, "0%o", static_cast<unsigned>(script.value));
        else if (format == "ASCII")
            std::snprintf(text, sizeof text, "'%c'", static_cast<char>(script.value));
        else
            std::snprintf(text, sizeof text, "%d", static_cast<int>(script.value));
        return text;
    }

    STDMETHODIMP CreateExpressionVariable(BSTR expression, IUnknown *pTree, LONG at) override
    {
        script.name = std::string(static_cast<LPCSTR>(CString(expression)));
        return Insert(pTree, at);
    }
    // Reads the name and the symbol index (the first number) of the answer's entry.
    STDMETHODIMP CreateVariable(LONG index, VARIANT names, VARIANT values, IUnknown *pTree, LONG at) override
    {
        log.push_back("create " + std::to_string(index));
        if ((V_VT(&names) & ~VT_BYREF) == (VT_ARRAY | VT_BSTR)) {
            BSTR *texts = static_cast<BSTR *>(V_ARRAY(&names)->pvData);
            script.name = std::string(static_cast<LPCSTR>(CString(texts[3 * index])));
        }
        if ((V_VT(&values) & ~VT_BYREF) == (VT_ARRAY | VT_I4))
            script.symbolIndex = static_cast<LONG *>(V_ARRAY(&values)->pvData)[9 * index];
        return Insert(pTree, at);
    }
    STDMETHODIMP SetRegisterMap(VARIANT, VARIANT) override
    {
        log.push_back("registers");
        return S_OK;
    }
    STDMETHODIMP SetLifetimes(VARIANT) override
    {
        log.push_back("lifetimes");
        return S_OK;
    }
    STDMETHODIMP AddMembers(LONG parent, VARIANT, VARIANT) override
    {
        log.push_back("members " + std::to_string(parent == item ? 0 : parent));
        CComVariant ignored;
        tree->InsertItemBatch(0, nullptr, 0, static_cast<LONG>(script.members.size()), nullptr, &ignored);
        for (const std::string &member : script.members) {
            CComBSTR name(member.substr(0, member.find('=')).c_str());
            tree->InsertItemBatch(1, name, 0, 0, static_cast<IQelCommVariableObj *>(this), &ignored);
        }
        CComVariant handles;
        HRESULT hr = tree->InsertItemBatch(2, nullptr, 0, parent, static_cast<IQelCommVariableObj *>(this), &handles);
        if (FAILED(hr))
            return hr;
        memberItems.clear();
        memberValues.clear();
        for (size_t i = 0; i < script.members.size(); ++i) {
            LONG position = static_cast<LONG>(i), id = 0;
            SafeArrayGetElement(V_ARRAY(&handles), &position, &id);
            memberItems.push_back(id);
            memberValues.push_back(script.members[i].substr(script.members[i].find('=') + 1));
        }
        return S_OK;
    }
    STDMETHODIMP GetBaseType(LONG at, LONG *out) override
    {
        *out = at == item && memberItems.empty() ? script.baseType : -1;
        return S_OK;
    }
    STDMETHODIMP IsEnum(LONG, LONG *out) override
    {
        *out = script.enumerators.empty() ? 0 : 1;
        return S_OK;
    }
    STDMETHODIMP UpdateItemText(LONG at) override
    {
        log.push_back("text " + std::to_string(at == item ? 0 : at == 0 ? -1 : at));
        return S_OK;
    }
    STDMETHODIMP SetExpanded(LONG, LONG expanded) override
    {
        log.push_back("expanded " + std::to_string(expanded));
        return S_OK;
    }
    STDMETHODIMP GetItemHandle(LONG *out) override
    {
        *out = item;
        return S_OK;
    }
    STDMETHODIMP GetValue(VARIANT *) override { return E_FAIL; }
    STDMETHODIMP SetValue(VARIANT) override { return E_FAIL; }
    STDMETHODIMP GetDisplayFormats(LONG at, VARIANT *names, VARIANT *values) override
    {
        if (at != item || script.formats.empty())
            return S_OK;
        SAFEARRAYBOUND nameBound = {static_cast<ULONG>(2 * script.formats.size()), 0};
        SAFEARRAYBOUND numberBound = nameBound;
        SAFEARRAY *textArray = SafeArrayCreate(VT_BSTR, 1, &nameBound);
        SAFEARRAY *numberArray = SafeArrayCreate(VT_I4, 1, &numberBound);
        for (size_t i = 0; i < script.formats.size(); ++i) {
            CComBSTR name(script.formats[i].c_str());
            LONG slots[2] = {static_cast<LONG>(2 * i), static_cast<LONG>(2 * i + 1)};
            LONG numbers[2] = {static_cast<LONG>(i), static_cast<LONG>(i) == script.format ? 1 : 0};
            for (int k = 0; k < 2; ++k) {
                SafeArrayPutElement(textArray, &slots[k], name.m_str);
                SafeArrayPutElement(numberArray, &slots[k], &numbers[k]);
            }
        }
        V_VT(names) = VT_ARRAY | VT_BSTR;
        V_ARRAY(names) = textArray;
        V_VT(values) = VT_ARRAY | VT_I4;
        V_ARRAY(values) = numberArray;
        return S_OK;
    }
    STDMETHODIMP SetDisplayFormat(LONG at, LONG format) override
    {
        if (at != item)
            return E_FAIL;
        script.format = format;
        log.push_back("format " + std::to_string(format));
        return S_OK;
    }
    STDMETHODIMP GetEnumerators(LONG at, VARIANT *names, VARIANT *selected) override
    {
        if (at != item || script.enumerators.empty())
            return S_OK;
        SAFEARRAYBOUND bound = {static_cast<ULONG>(script.enumerators.size()), 0};
        SAFEARRAY *textArray = SafeArrayCreate(VT_BSTR, 1, &bound);
        SAFEARRAY *flagArray = SafeArrayCreate(VT_I4, 1, &bound);
        for (size_t i = 0; i < script.enumerators.size(); ++i) {
            CComBSTR name(script.enumerators[i].c_str());
            LONG slot = static_cast<LONG>(i), flag = slot == selectedEnumerator ? 1 : 0;
            SafeArrayPutElement(textArray, &slot, name.m_str);
            SafeArrayPutElement(flagArray, &slot, &flag);
        }
        V_VT(names) = VT_ARRAY | VT_BSTR;
        V_ARRAY(names) = textArray;
        V_VT(selected) = VT_ARRAY | VT_I4;
        V_ARRAY(selected) = flagArray;
        return S_OK;
    }
    STDMETHODIMP SelectEnumerator(LONG, LONG index) override
    {
        selectedEnumerator = index;
        log.push_back("select " + std::to_string(index));
        return S_OK;
    }
    STDMETHODIMP GetDisplayState(LONG at, LONG *out) override
    {
        *out = at == item ? script.state : 0;
        return S_OK;
    }
    STDMETHODIMP GetItemString(LONG at, LONG code, BSTR *out) override
    {
        std::string text;
        size_t member = 0;
        while (member < memberItems.size() && memberItems[member] != at)
            ++member;
        if (member < memberItems.size()) {
            const std::string &entry = script.members[member];
            text = code == 1 ? memberValues[member] : entry.substr(0, entry.find('='));
        } else if (code == 0 || code == 10) {
            text = script.name;
        } else if (code == 1) {
            text = ValueText();
        } else if (code == 100) {
            text = script.location;
        } else if (code == 101) {
            text = script.typeName;
        } else if (code == 102) {
            text = script.scope;
        }
        *out = CComBSTR(text.c_str()).Detach();
        return S_OK;
    }
    STDMETHODIMP SetItemString(LONG, LONG valueText, BSTR text) override
    {
        log.push_back(std::string(valueText ? "value '" : "name '") + std::string(static_cast<LPCSTR>(CString(text))) + "'");
        return S_OK;
    }
    STDMETHODIMP GetSymbolId(LONG *out) override
    {
        *out = script.symbolIndex;
        return S_OK;
    }
    STDMETHODIMP GetNames(BSTR *name, BSTR *scope) override
    {
        *name = CComBSTR(script.name.c_str()).Detach();
        *scope = CComBSTR(script.scope.c_str()).Detach();
        return S_OK;
    }
    STDMETHODIMP GetSymbolIndex(LONG *out) override
    {
        *out = script.symbolIndex;
        return S_OK;
    }
    STDMETHODIMP Refresh(LONG write) override
    {
        log.push_back("refresh " + std::to_string(write));
        return S_OK;
    }
    STDMETHODIMP Detach() override { return S_OK; }
    STDMETHODIMP SetOwner(IUnknown *) override { return S_OK; }
    STDMETHODIMP SetNotifyWindow(LONG notifyWindow, UINT notifyMessage) override
    {
        window = notifyWindow;
        message = notifyMessage;
        return S_OK;
    }

private:
    HRESULT Insert(IUnknown *pTree, LONG at)
    {
        tree.Release();
        pTree->QueryInterface(qel_uuidof<IQelCommonWatch>(), reinterpret_cast<void **>(&tree));
        LONG newItem = 0;
        CComBSTR name(script.name.c_str());
        HRESULT hr = at == 0 ? tree->InsertItem(name, script.type, script.children,
                                                static_cast<IQelCommVariableObj *>(this), &newItem)
                             : tree->ChangeItem(name, script.type, script.children,
                                                static_cast<IQelCommVariableObj *>(this), at, &newItem);
        item = SUCCEEDED(hr) ? newItem : 0;
        return hr;
    }
};

// The register object of command 202: the program counter and the registers by name.
class CScriptedTargetAccess : public CComObjectRootEx<CComSingleThreadModel>, public IQelTargetAccess {
public:
    BEGIN_COM_MAP(CScriptedTargetAccess)
        COM_INTERFACE_ENTRY(IQelTargetAccess)
    END_COM_MAP()

    ULONG pc = 0x8000;
    int pcReads = 0;

    STDMETHODIMP GetRegisterId(BSTR name, LONG *pId) override
    {
        *pId = CString(name) == "PC" ? 15 : 0;
        return S_OK;
    }
    STDMETHODIMP ReadRegister(LONG, ULONG *) override { return E_INVALIDARG; }
    STDMETHODIMP WriteRegister(LONG, ULONG *) override { return E_INVALIDARG; }
    STDMETHODIMP GetCurrentAddress(ULONG *pAddress) override
    {
        ++pcReads;
        *pAddress = pc;
        return S_OK;
    }
    STDMETHODIMP Slot07() override { return E_NOTIMPL; }
    STDMETHODIMP PointerToLinear(LONG, ULONG, ULONG, ULONG *) override { return E_INVALIDARG; }
};

// The host's debug-server object as the trees reach it: the symbol server double behind
// it, command 200 with 8 making the next scripted variable, command 202 the register
// object, and the variable services recording "update N deferred write", "withdraw N"
// (N: the object's place among those made, from 0).
class CScriptedDebugServer : public CComObjectRootEx<CComSingleThreadModel>,
                             public IOleCommandTarget,
                             public IQelVariableUpdate,
                             public IQelTargetState,
                             public IQelRefreshWindows {
public:
    BEGIN_COM_MAP(CScriptedDebugServer)
        COM_INTERFACE_ENTRY(IOleCommandTarget)
        COM_INTERFACE_ENTRY(IQelVariableUpdate)
        COM_INTERFACE_ENTRY(IQelTargetState)
        COM_INTERFACE_ENTRY(IQelRefreshWindows)
        COM_INTERFACE_ENTRY_AGGREGATE_BLIND(symbols)
    END_COM_MAP()

    CComPtr<IUnknown> symbols;
    CComPtr<CComObject<CScriptedTargetAccess>> access;
    // The scripts of the objects that command 200 makes, in order; empty: the default one.
    std::deque<ScriptedVariableScript> scripts;
    std::vector<CComPtr<CComObject<CScriptedVariable>>> made;
    std::vector<std::string> calls;
    ULONG state = QEL_TARGET_STOPPED;
    LONG refreshWindow = 0;
    UINT refreshMessage = 0;
    bool failVariables = false;

    HRESULT FinalConstruct()
    {
        CComObject<CScriptedTargetAccess> *object = nullptr;
        HRESULT hr = CComObject<CScriptedTargetAccess>::CreateInstance(&object);
        access = object;
        return hr;
    }

    int IndexOf(IUnknown *object)
    {
        CComPtr<IUnknown> self;
        object->QueryInterface(IID_IUnknown, reinterpret_cast<void **>(&self));
        for (size_t i = 0; i < made.size(); ++i) {
            CComPtr<IUnknown> other;
            made[i]->QueryInterface(IID_IUnknown, reinterpret_cast<void **>(&other));
            if (other == self)
                return static_cast<int>(i);
        }
        return -1;
    }

    STDMETHODIMP QueryStatus(const GUID *, ULONG, OLECMD[], OLECMDTEXT *) override { return E_NOTIMPL; }
    STDMETHODIMP Exec(const GUID *group, DWORD id, DWORD, VARIANT *in, VARIANT *out) override
    {
        if (group == nullptr || *group != CGID_QelHostCommands || out == nullptr)
            return OLECMDERR_E_UNKNOWNGROUP;
        CComPtr<IUnknown> answer;
        if (id == 202) {
            answer = static_cast<IQelTargetAccess *>(access);
        } else if (id == 200 && !failVariables) {
            CVariantArray args(in, FALSE);
            if (args.GetSize() < 1 || V_VT(&args[0].GetValue()) != VT_UI4 || V_UI4(&args[0].GetValue()) != 8)
                return E_INVALIDARG;
            CComObject<CScriptedVariable> *variable = nullptr;
            CComObject<CScriptedVariable>::CreateInstance(&variable);
            if (!scripts.empty()) {
                variable->script = scripts.front();
                scripts.pop_front();
            }
            made.emplace_back(variable);
            answer = static_cast<IQelCommVariableObj *>(variable);
        } else {
            return E_FAIL;
        }
        CVariantArray result(out, TRUE);
        result.SetSize(1);
        result[0].SetValue(CComVariant(answer));
        return S_OK;
    }
    STDMETHODIMP Update(IUnknown *object, LONG deferred, LONG write) override
    {
        calls.push_back("update " + std::to_string(IndexOf(object)) + " " + std::to_string(deferred) + " " +
                        std::to_string(write));
        CComQIPtr<IQelUniCommStub> stub(object);
        if (stub != nullptr)
            stub->Refresh(write);
        return S_OK;
    }
    STDMETHODIMP Withdraw(IUnknown *object) override
    {
        calls.push_back("withdraw " + std::to_string(IndexOf(object)));
        return S_OK;
    }
    STDMETHODIMP GetTargetState(ULONG *pState) override
    {
        *pState = state;
        return S_OK;
    }
    STDMETHODIMP Register(LONG window, UINT message) override
    {
        refreshWindow = window;
        refreshMessage = message;
        return S_OK;
    }
    STDMETHODIMP Unregister(LONG window) override
    {
        if (window != refreshWindow)
            return S_FALSE;
        refreshWindow = 0;
        return S_OK;
    }
};

// IQelCommonWatch handed to a tree, as the control objects hand it.
class CTreeForwarder : public CComObjectRootEx<CComSingleThreadModel>, public IQelCommonWatch {
public:
    BEGIN_COM_MAP(CTreeForwarder)
        COM_INTERFACE_ENTRY(IQelCommonWatch)
    END_COM_MAP()

    CCommonWatchControl *tree = nullptr;

    STDMETHODIMP InsertItem(BSTR name, LONG type, LONG children, IUnknown *param, LONG *pItem) override
    {
        return tree->InsertItem(name, type, children, param, pItem);
    }
    STDMETHODIMP ChangeItem(BSTR name, LONG type, LONG children, IUnknown *param, LONG item, LONG *pNew) override
    {
        return tree->ChangeItem(name, type, children, param, item, pNew);
    }
    STDMETHODIMP CalculateItem(LONG item, LONG function, LONG mode, LONG value) override
    {
        return tree->CalculateItem(item, function, mode, value);
    }
    STDMETHODIMP SetItemText(LONG item) override { return tree->SetItemText(item); }
    STDMETHODIMP GetItemText(LONG item, BSTR *pText) override { return tree->GetItemText(item, pText); }
    STDMETHODIMP DeleteItem(LONG item) override { return tree->DeleteItem(item); }
    STDMETHODIMP InsertItemBatch(LONG function, BSTR name, LONG type, LONG children, IUnknown *param,
                                 VARIANT *pOut) override
    {
        return tree->InsertItemBatch(function, name, type, children, param, pOut);
    }
};
