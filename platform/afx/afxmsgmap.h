// Message maps: how a framework object finds the member that handles a message.
//
// A class with DECLARE_MESSAGE_MAP lists its handlers between BEGIN_MESSAGE_MAP (the
// class and its base) and END_MESSAGE_MAP; a message goes to the first entry for it in
// the class's map, then in its base's, and so on up to CCmdTarget. Each entry macro makes
// a small function that calls the handler with the arguments of its kind, so handlers
// are named as the framework names them (`ON_MESSAGE(WM_USER + 1, OnMyMessage)`) and
// checked by the compiler.
#pragma once

#include "afxobject.h"
#include "basetypes.h"
#include "windowcreate.h"
#include "dialogs.h"
#include "listview.h"
#include "windowmessages.h"

class CCmdTarget;

// Calls one handler of `target` with the message's words and answers its result.
typedef LRESULT (*AFX_MSG_HANDLER)(CCmdTarget *target, WPARAM wParam, LPARAM lParam);

struct AFX_MSGMAP_ENTRY {
    UINT nMessage;
    // ON_REGISTERED_MESSAGE: the variable that holds the number, read when a message
    // comes, so it may be set after the map is made; 0 in it matches nothing.
    const UINT *pnRegisteredMessage;
    AFX_MSG_HANDLER pfnHandler; // null ends the map
    // A WM_COMMAND entry of ON_COMMAND and the notification macros, or a WM_NOTIFY
    // entry of ON_NOTIFY: it takes the command or notification of identifier nID with
    // code nCode only.
    bool bCommand;
    UINT nCode;
    UINT nID;
};

struct AFX_MSGMAP {
    const AFX_MSGMAP *(*pfnGetBaseMap)(); // null for the root
    const AFX_MSGMAP_ENTRY *lpEntries;
};

// Marks handlers, as in the framework; it means nothing to the compiler.
#define afx_msg

class CCmdTarget : public CObject {
protected:
    CCmdTarget() = default;

    static const AFX_MSGMAP *GetThisMessageMap();
    virtual const AFX_MSGMAP *GetMessageMap() const;

    // The entry for `message` in this object's map or those of its bases, or null.
    const AFX_MSGMAP_ENTRY *FindMessageEntry(UINT message) const;
    // The entry for the command `nID` with notification code `nCode`, or null.
    const AFX_MSGMAP_ENTRY *FindCommandEntry(UINT nCode, UINT nID) const;
    // The ON_NOTIFY entry for the notification `nCode` of the control `nID`, or null.
    const AFX_MSGMAP_ENTRY *FindNotifyEntry(UINT nCode, UINT nID) const;
};

#define DECLARE_MESSAGE_MAP()                     \
protected:                                        \
    static const AFX_MSGMAP *GetThisMessageMap(); \
    const AFX_MSGMAP *GetMessageMap() const override;

#define BEGIN_MESSAGE_MAP(theClass, baseClass)                \
    const AFX_MSGMAP *theClass::GetMessageMap() const         \
    {                                                         \
        return GetThisMessageMap();                           \
    }                                                         \
    const AFX_MSGMAP *theClass::GetThisMessageMap()           \
    {                                                         \
        using ThisClass [[maybe_unused]] = theClass;          \
        using TheBaseClass = baseClass;                       \
        static const AFX_MSGMAP_ENTRY qelMessageEntries[] = {

#define END_MESSAGE_MAP()                                                                              \
            {0, nullptr, nullptr, false, 0, 0}};                                                       \
        static const AFX_MSGMAP qelMessageMap = {&TheBaseClass::GetThisMessageMap, &qelMessageEntries[0]}; \
        return &qelMessageMap;                                                                         \
    }

// LRESULT OnMessage(WPARAM, LPARAM)
#define ON_MESSAGE(message, memberFxn)                                                    \
    {static_cast<UINT>(message), nullptr,                                                 \
     [](CCmdTarget *target, WPARAM wParam, LPARAM lParam) -> LRESULT {                    \
         return static_cast<LRESULT>(static_cast<ThisClass *>(target)->memberFxn(wParam, lParam)); \
     }, false, 0, 0},

// LRESULT OnMessage(WPARAM, LPARAM), for the number held in a UINT variable.
#define ON_REGISTERED_MESSAGE(nMessageVariable, memberFxn)                                \
    {0, &(nMessageVariable),                                                              \
     [](CCmdTarget *target, WPARAM wParam, LPARAM lParam) -> LRESULT {                    \
         return static_cast<LRESULT>(static_cast<ThisClass *>(target)->memberFxn(wParam, lParam)); \
     }, false, 0, 0},

// int OnCreate(LPCREATESTRUCT): -1 refuses the creation.
#define ON_WM_CREATE()                                                                      \
    {WM_CREATE, nullptr, [](CCmdTarget *target, WPARAM, LPARAM lParam) -> LRESULT {         \
         return static_cast<ThisClass *>(target)->OnCreate(reinterpret_cast<LPCREATESTRUCT>(lParam)); \
     }, false, 0, 0},

// void OnDestroy()
#define ON_WM_DESTROY()                                                      \
    {WM_DESTROY, nullptr, [](CCmdTarget *target, WPARAM, LPARAM) -> LRESULT { \
         static_cast<ThisClass *>(target)->OnDestroy();                      \
         return 0;                                                           \
     }, false, 0, 0},

// void OnTimer(UINT_PTR nIDEvent)
#define ON_WM_TIMER()                                                             \
    {WM_TIMER, nullptr, [](CCmdTarget *target, WPARAM wParam, LPARAM) -> LRESULT { \
         static_cast<ThisClass *>(target)->OnTimer(static_cast<UINT_PTR>(wParam)); \
         return 0;                                                                \
     }, false, 0, 0},

// void OnClose()
#define ON_WM_CLOSE()                                                      \
    {WM_CLOSE, nullptr, [](CCmdTarget *target, WPARAM, LPARAM) -> LRESULT { \
         static_cast<ThisClass *>(target)->OnClose();                      \
         return 0;                                                         \
     }, false, 0, 0},

// void OnCommand(): the command `id`, from a menu, an accelerator or a button.
#define ON_COMMAND(id, memberFxn)                                           \
    {WM_COMMAND, nullptr, [](CCmdTarget *target, WPARAM, LPARAM) -> LRESULT { \
         static_cast<ThisClass *>(target)->memberFxn();                     \
         return 0;                                                          \
     }, true, 0, static_cast<UINT>(id)},

// void OnClicked(): BN_CLICKED of the button `id`.
#define ON_BN_CLICKED(id, memberFxn) ON_COMMAND(id, memberFxn)

// void OnNotify(NMHDR *, LRESULT *): WM_NOTIFY of code `code` from the control `id`; the
// handler's result is the message's answer. Controls tell their parent only: there is no
// reflection back to the control's own object.
#define ON_NOTIFY(code, id, memberFxn)                                                          \
    {WM_NOTIFY, nullptr, [](CCmdTarget *target, WPARAM, LPARAM lParam) -> LRESULT {              \
         LRESULT result = 0;                                                                    \
         static_cast<ThisClass *>(target)->memberFxn(reinterpret_cast<NMHDR *>(lParam), &result); \
         return result;                                                                         \
     }, true, static_cast<UINT>(code), static_cast<UINT>(id)},
