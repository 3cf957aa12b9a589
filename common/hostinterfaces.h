// Interfaces of the debugger host that the system knows only by identifier and by the
// slots of the methods it calls. Each is declared with a method in every slot up to the
// last one called, so that the slots stand where the host has them. The host's own names
// are not known; the names here say what a slot gives. A slot named SlotNN is one whose
// meaning the system has not needed yet: it takes nothing and is never called, and gets
// its true name and signature when a caller first needs it.
#pragma once

#include <ole2.h>

interface IQelTargetObject;

// The holder, offered by the host's debug-server object. Slot 13 gives the configuration
// profile, 17 the object that offers the error receiver, 18 a flag that forbids message
// boxes and 20 the owner window; they are declared as SlotNN until their callers come.
interface IQelHostHolder : public IUnknown {
    STDMETHOD(Slot03)() PURE;
    STDMETHOD(Slot04)() PURE;
    STDMETHOD(Slot05)() PURE;
    STDMETHOD(Slot06)() PURE;
    STDMETHOD(Slot07)() PURE;
    STDMETHOD(Slot08)() PURE;
    STDMETHOD(Slot09)() PURE;
    STDMETHOD(Slot10)() PURE;
    STDMETHOD(Slot11)() PURE;
    STDMETHOD(Slot12)() PURE;
    STDMETHOD(Slot13)() PURE;
    STDMETHOD(Slot14)() PURE;
    STDMETHOD(Slot15)() PURE;
    // Slot 16: the object with the code and data window values (IQelWindowValues).
    STDMETHOD(GetWindowValues)(IUnknown **ppWindowValues) PURE;
    STDMETHOD(Slot17)() PURE;
    STDMETHOD(Slot18)() PURE;
    STDMETHOD(Slot19)() PURE;
    STDMETHOD(Slot20)() PURE;
};
QEL_DEFINE_IID(IQelHostHolder, 0xFB6B1BC0, 0xE5AB, 0x11D1, 0x9B, 0x98, 0x00, 0x60, 0x97, 0x80, 0x44, 0x45);

// The window-value interface. Slot 4 reads a value by its wide property name
// ("CodeBaseAddr", "CodeEndAddr", "DataBaseAddr", "DataEndAddr"); it is declared as Slot04
// until its caller comes.
interface IQelWindowValues : public IUnknown {
    STDMETHOD(Slot03)() PURE;
    STDMETHOD(Slot04)() PURE;
    STDMETHOD(Slot05)() PURE;
    STDMETHOD(Slot06)() PURE;
    STDMETHOD(Slot07)() PURE;
    STDMETHOD(Slot08)() PURE;
    STDMETHOD(Slot09)() PURE;
    STDMETHOD(Slot10)() PURE;
    STDMETHOD(Slot11)() PURE;
    STDMETHOD(Slot12)() PURE;
    STDMETHOD(Slot13)() PURE;
    STDMETHOD(Slot14)() PURE;
    STDMETHOD(Slot15)() PURE;
    STDMETHOD(Slot16)() PURE;
    STDMETHOD(Slot17)() PURE;
    STDMETHOD(Slot18)() PURE;
    STDMETHOD(Slot19)() PURE;
    STDMETHOD(Slot20)() PURE;
    STDMETHOD(Slot21)() PURE;
    STDMETHOD(Slot22)() PURE;
    STDMETHOD(Slot23)() PURE;
    // Slot 24: the object that leads to the controller information.
    STDMETHOD(GetTargetObject)(IQelTargetObject **ppTarget) PURE;
};
QEL_DEFINE_IID(IQelWindowValues, 0x64D202C0, 0x2BFA, 0x11D4, 0x9E, 0xE8, 0x00, 0x10, 0x5A, 0xAF, 0x26, 0xD3);

// The object that slot 24 of IQelWindowValues gives. The system calls it directly, never
// asks it for an interface, so it has no identifier here.
interface IQelTargetObject : public IUnknown {
    STDMETHOD(Slot03)() PURE;
    STDMETHOD(Slot04)() PURE;
    STDMETHOD(Slot05)() PURE;
    STDMETHOD(Slot06)() PURE;
    STDMETHOD(Slot07)() PURE;
    STDMETHOD(Slot08)() PURE;
    STDMETHOD(Slot09)() PURE;
    STDMETHOD(Slot10)() PURE;
    STDMETHOD(Slot11)() PURE;
    STDMETHOD(Slot12)() PURE;
    STDMETHOD(Slot13)() PURE;
    STDMETHOD(Slot14)() PURE;
    STDMETHOD(Slot15)() PURE;
    STDMETHOD(Slot16)() PURE;
    STDMETHOD(Slot17)() PURE;
    STDMETHOD(Slot18)() PURE;
    STDMETHOD(Slot19)() PURE;
    STDMETHOD(Slot20)() PURE;
    STDMETHOD(Slot21)() PURE;
    STDMETHOD(Slot22)() PURE;
    STDMETHOD(Slot23)() PURE;
    STDMETHOD(Slot24)() PURE;
    STDMETHOD(Slot25)() PURE;
    STDMETHOD(Slot26)() PURE;
    // Slot 27: the object that offers IQelControllerInfo.
    STDMETHOD(GetControllerObject)(IUnknown **ppController) PURE;
};
