// CCmdTarget with message maps and command routing, and CWnd: the window object bound to an HWND.
#pragma once

#include "framework/Geometry.h"
#include "framework/Handles.h"
#include "framework/RuntimeClass.h"
#include "framework/String.h"

#include <windows.h>
#include <shellapi.h>

class CCmdTarget;
class CWnd;
class CScrollBar;
class CCmdUI;
class CMenu;
class CFrameWnd;
struct CCreateContext;

#ifndef WM_CTLCOLOR
#define WM_CTLCOLOR 0x0019
#endif
// Messages a parent sends back to the control that caused them live at this offset.
#define WM_REFLECT_BASE 0xBC00

// Notification codes carried in OnCmdMsg's nCode beside the control notifications.
#define CN_COMMAND 0
#define CN_UPDATE_COMMAND_UI ((UINT)(-1))

// The framework's own window messages.
#define WM_SIZEPARENT 0x0361        // lParam AFX_SIZEPARENTPARAMS*: a bar takes its share of the frame
#define WM_SETMESSAGESTRING 0x0362
#define WM_IDLEUPDATECMDUI 0x0363   // wParam: disable commands without a handler
#define WM_INITIALUPDATE 0x0364     // sent to the views of a frame once its document is ready
#define WM_COMMANDHELP 0x0365       // help asked for in a dialog whose ID_HELP no map takes
#define WM_KICKIDLE 0x036A          // sent by modal loops when their queue runs empty

typedef void (CCmdTarget::*AFX_PMSG)(void);
typedef void (CWnd::*AFX_PMSGW)(void);

#ifdef GetNextWindow
#undef GetNextWindow
#endif

namespace detail {
// Map entries keep every handler as AFX_PMSG; dispatch turns it back into its real type.
// A byte copy (not a cast) keeps -Wcast-function-type quiet; the types have one size.
template <class To, class From>
inline To HandlerCast(From from)
{
    static_assert(sizeof(To) == sizeof(From), "member function pointers of one size");
    To to;
    __builtin_memcpy(&to, &from, sizeof(to));
    return to;
}
}

// How a map entry's handler is called: return type and the parameters cracked from the message.
enum AfxSig : UINT_PTR {
    AfxSig_end = 0,
    AfxSig_vv,          // void ()
    AfxSig_vu,          // void (UINT id) for command ranges
    AfxSig_notify,      // void (NMHDR*, LRESULT*)
    AfxSig_lwl,         // LRESULT (WPARAM, LPARAM)
    AfxSig_is,          // int (LPCREATESTRUCT)
    AfxSig_vwii,        // void (UINT, int, int) from wParam and the low/high words of lParam
    AfxSig_vii,         // void (int, int) signed words of lParam
    AfxSig_bD,          // BOOL (CDC*) from wParam
    AfxSig_vw,          // void (UINT_PTR)
    AfxSig_vwp,         // void (UINT flags, CPoint)
    AfxSig_bwsp,        // BOOL (UINT flags, short delta, CPoint screen)
    AfxSig_vwww,        // void (UINT, UINT, UINT) from wParam and the words of lParam
    AfxSig_vW,          // void (CWnd*) from wParam
    AfxSig_vWl,         // void (CWnd*) from lParam, for WM_CAPTURECHANGED
    AfxSig_bWCDS,       // BOOL (CWnd*, COPYDATASTRUCT*)
    AfxSig_vHDROP,      // void (HDROP)
    AfxSig_bWww,        // BOOL (CWnd*, UINT hit, UINT message)
    AfxSig_vwwx,        // void (UINT code, UINT pos, CScrollBar*)
    AfxSig_hDWw,        // HBRUSH (CDC*, CWnd*, UINT ctlType)
    AfxSig_vMINMAX,     // void (MINMAXINFO*)
    AfxSig_vbw,         // void (BOOL, UINT)
    AfxSig_vwWb,        // void (UINT state, CWnd* other, BOOL minimized)
    AfxSig_vWp,         // void (CWnd*, CPoint screen)
    AfxSig_vDRAWITEM,   // void (int id, LPDRAWITEMSTRUCT)
    AfxSig_vMEASUREITEM,// void (int id, LPMEASUREITEMSTRUCT)
    AfxSig_lp,          // LRESULT (CPoint screen), for WM_NCHITTEST
    AfxSig_vPOS,        // void (WINDOWPOS*)
    AfxSig_vwl,         // void (UINT, LPARAM) for WM_SYSCOMMAND
    AfxSig_bv,          // BOOL ()
    AfxSig_vb,          // void (BOOL)
    AfxSig_vbh,         // void (BOOL, DWORD) for WM_ACTIVATEAPP
    AfxSig_iWww,        // int (CWnd*, UINT, UINT) for WM_MOUSEACTIVATE
    AfxSig_uv,          // UINT () for WM_GETDLGCODE
    AfxSig_vMwb,        // void (CMenu*, UINT, BOOL) for WM_INITMENUPOPUP
    AfxSig_vwwh,        // void (UINT item, UINT flags, HMENU) for WM_MENUSELECT
    AfxSig_bb,          // BOOL (BOOL) for WM_NCACTIVATE
    AfxSig_vDRAWITEM_r, // void (LPDRAWITEMSTRUCT), reflected
    AfxSig_hDw_r,       // HBRUSH (CDC*, UINT), reflected
    AfxSig_vwpR,        // void (UINT side, LPRECT) for WM_SIZING
    AfxSig_vws,         // void (UINT, LPCTSTR) for WM_SETTINGCHANGE
    AfxSig_cmdui,       // void (CCmdUI*) update handlers
    AfxSig_bu,          // BOOL (UINT id) for ON_COMMAND_EX: FALSE routes on
    AfxSig_vunotify,    // void (UINT id, NMHDR*, LRESULT*) for ON_NOTIFY_RANGE
    AfxSig_bunotify,    // BOOL (UINT id, NMHDR*, LRESULT*) for ON_NOTIFY_EX: FALSE routes on
    AfxSig_bv_r,        // BOOL () reflected command, FALSE passes it on to the parent
    AfxSig_bnotify_r,   // BOOL (NMHDR*, LRESULT*) reflected notification, FALSE passes it on
    AfxSig_vMEASUREITEM_r, // void (LPMEASUREITEMSTRUCT), reflected
    AfxSig_lwwM,        // LRESULT (UINT ch, UINT flags, CMenu*) for WM_MENUCHAR
};

struct AFX_MSGMAP_ENTRY {
    UINT nMessage;   // window message, or WM_COMMAND / WM_NOTIFY (plus WM_REFLECT_BASE when reflected)
    UINT nCode;      // control notification code, or CN_COMMAND
    UINT nID;        // first control or command id
    UINT nLastID;    // last id of a range
    UINT_PTR nSig;   // an AfxSig value
    AFX_PMSG pfn;
};

struct AFX_MSGMAP {
    const AFX_MSGMAP* (PASCAL* pfnGetBaseMap)();
    const AFX_MSGMAP_ENTRY* lpEntries;
};

// pExtra of OnCmdMsg for a WM_NOTIFY routed as nCode MAKELONG(code, WM_NOTIFY).
struct AFX_NOTIFY {
    LRESULT* pResult;
    NMHDR* pNMHDR;
};

struct AFX_CMDHANDLERINFO {
    CCmdTarget* pTarget;
    AFX_PMSG pmf;
};

#define DECLARE_MESSAGE_MAP()                                       \
protected:                                                          \
    static const AFX_MSGMAP* PASCAL GetThisMessageMap();            \
    virtual const AFX_MSGMAP* GetMessageMap() const;

#define BEGIN_MESSAGE_MAP(theClass, baseClass)                      \
    const AFX_MSGMAP* theClass::GetMessageMap() const               \
        { return GetThisMessageMap(); }                             \
    const AFX_MSGMAP* PASCAL theClass::GetThisMessageMap()          \
    {                                                               \
        typedef theClass ThisClass;                                 \
        typedef baseClass TheBaseClass;                             \
        (void)sizeof(ThisClass);                                    \
        static const AFX_MSGMAP_ENTRY _messageEntries[] = {

#define BEGIN_TEMPLATE_MESSAGE_MAP(theClass, type_name, baseClass)  \
    template <typename type_name>                                   \
    const AFX_MSGMAP* theClass<type_name>::GetMessageMap() const    \
        { return GetThisMessageMap(); }                             \
    template <typename type_name>                                   \
    const AFX_MSGMAP* PASCAL theClass<type_name>::GetThisMessageMap() \
    {                                                               \
        typedef theClass<type_name> ThisClass;                      \
        typedef baseClass TheBaseClass;                             \
        (void)sizeof(ThisClass);                                    \
        static const AFX_MSGMAP_ENTRY _messageEntries[] = {

#define END_MESSAGE_MAP()                                           \
            {0, 0, 0, 0, AfxSig_end, (AFX_PMSG)0}                   \
        };                                                          \
        static const AFX_MSGMAP messageMap =                        \
            { &TheBaseClass::GetThisMessageMap, &_messageEntries[0] }; \
        return &messageMap;                                         \
    }

// The handler's signature is checked by the static_cast; the entry stores it type-erased.
#define FW_MSG_ENTRY(msg, sig, type, fxn) \
    { (UINT)(msg), 0, 0, 0, sig, detail::HandlerCast<AFX_PMSG>(static_cast<type>(&ThisClass::fxn)) },

#define ON_MESSAGE(message, memberFxn) \
    FW_MSG_ENTRY(message, AfxSig_lwl, LRESULT (CWnd::*)(WPARAM, LPARAM), memberFxn)
#define ON_REGISTERED_MESSAGE(nMessageVariable, memberFxn) \
    { 0xC000, 0, 0, 0, (UINT_PTR)&nMessageVariable, \
      detail::HandlerCast<AFX_PMSG>(static_cast<LRESULT (CWnd::*)(WPARAM, LPARAM)>(&ThisClass::memberFxn)) },
#define ON_COMMAND(id, memberFxn) \
    { WM_COMMAND, CN_COMMAND, (UINT)(id), (UINT)(id), AfxSig_vv, \
      static_cast<AFX_PMSG>(&ThisClass::memberFxn) },
#define ON_COMMAND_RANGE(id, idLast, memberFxn) \
    { WM_COMMAND, CN_COMMAND, (UINT)(id), (UINT)(idLast), AfxSig_vu, \
      detail::HandlerCast<AFX_PMSG>(static_cast<void (CCmdTarget::*)(UINT)>(&ThisClass::memberFxn)) },
#define ON_CONTROL(wNotifyCode, id, memberFxn) \
    { WM_COMMAND, (UINT)(wNotifyCode), (UINT)(id), (UINT)(id), AfxSig_vv, \
      static_cast<AFX_PMSG>(&ThisClass::memberFxn) },
#define ON_CONTROL_RANGE(wNotifyCode, id, idLast, memberFxn) \
    { WM_COMMAND, (UINT)(wNotifyCode), (UINT)(id), (UINT)(idLast), AfxSig_vu, \
      detail::HandlerCast<AFX_PMSG>(static_cast<void (CCmdTarget::*)(UINT)>(&ThisClass::memberFxn)) },
#define ON_NOTIFY(wNotifyCode, id, memberFxn) \
    { WM_NOTIFY, (UINT)(WORD)(wNotifyCode), (UINT)(id), (UINT)(id), AfxSig_notify, \
      detail::HandlerCast<AFX_PMSG>(static_cast<void (CCmdTarget::*)(NMHDR*, LRESULT*)>(&ThisClass::memberFxn)) },
#define ON_COMMAND_EX(id, memberFxn) \
    { WM_COMMAND, CN_COMMAND, (UINT)(id), (UINT)(id), AfxSig_bu, \
      detail::HandlerCast<AFX_PMSG>(static_cast<BOOL (CCmdTarget::*)(UINT)>(&ThisClass::memberFxn)) },
#define ON_COMMAND_EX_RANGE(id, idLast, memberFxn) \
    { WM_COMMAND, CN_COMMAND, (UINT)(id), (UINT)(idLast), AfxSig_bu, \
      detail::HandlerCast<AFX_PMSG>(static_cast<BOOL (CCmdTarget::*)(UINT)>(&ThisClass::memberFxn)) },
#define ON_UPDATE_COMMAND_UI(id, memberFxn) \
    { WM_COMMAND, CN_UPDATE_COMMAND_UI, (UINT)(id), (UINT)(id), AfxSig_cmdui, \
      detail::HandlerCast<AFX_PMSG>(static_cast<void (CCmdTarget::*)(CCmdUI*)>(&ThisClass::memberFxn)) },
#define ON_UPDATE_COMMAND_UI_RANGE(id, idLast, memberFxn) \
    { WM_COMMAND, CN_UPDATE_COMMAND_UI, (UINT)(id), (UINT)(idLast), AfxSig_cmdui, \
      detail::HandlerCast<AFX_PMSG>(static_cast<void (CCmdTarget::*)(CCmdUI*)>(&ThisClass::memberFxn)) },
// A control's own update handler, asked before its parent's (UpdateDialogControls, bars).
#define ON_UPDATE_COMMAND_UI_REFLECT(memberFxn) \
    { WM_COMMAND + WM_REFLECT_BASE, 0xFFFF, 0, 0, AfxSig_cmdui, \
      detail::HandlerCast<AFX_PMSG>(static_cast<void (CCmdTarget::*)(CCmdUI*)>(&ThisClass::memberFxn)) },
#define ON_NOTIFY_RANGE(wNotifyCode, id, idLast, memberFxn) \
    { WM_NOTIFY, (UINT)(WORD)(wNotifyCode), (UINT)(id), (UINT)(idLast), AfxSig_vunotify, \
      detail::HandlerCast<AFX_PMSG>(static_cast<void (CCmdTarget::*)(UINT, NMHDR*, LRESULT*)>(&ThisClass::memberFxn)) },
#define ON_NOTIFY_EX(wNotifyCode, id, memberFxn) \
    { WM_NOTIFY, (UINT)(WORD)(wNotifyCode), (UINT)(id), (UINT)(id), AfxSig_bunotify, \
      detail::HandlerCast<AFX_PMSG>(static_cast<BOOL (CCmdTarget::*)(UINT, NMHDR*, LRESULT*)>(&ThisClass::memberFxn)) },
#define ON_NOTIFY_EX_RANGE(wNotifyCode, id, idLast, memberFxn) \
    { WM_NOTIFY, (UINT)(WORD)(wNotifyCode), (UINT)(id), (UINT)(idLast), AfxSig_bunotify, \
      detail::HandlerCast<AFX_PMSG>(static_cast<BOOL (CCmdTarget::*)(UINT, NMHDR*, LRESULT*)>(&ThisClass::memberFxn)) },
#define ON_CONTROL_REFLECT_EX(wNotifyCode, memberFxn) \
    { WM_COMMAND + WM_REFLECT_BASE, (UINT)(wNotifyCode), 0, 0, AfxSig_bv_r, \
      detail::HandlerCast<AFX_PMSG>(static_cast<BOOL (CCmdTarget::*)()>(&ThisClass::memberFxn)) },
#define ON_NOTIFY_REFLECT_EX(wNotifyCode, memberFxn) \
    { WM_NOTIFY + WM_REFLECT_BASE, (UINT)(WORD)(wNotifyCode), 0, 0, AfxSig_bnotify_r, \
      detail::HandlerCast<AFX_PMSG>(static_cast<BOOL (CCmdTarget::*)(NMHDR*, LRESULT*)>(&ThisClass::memberFxn)) },
#define ON_CONTROL_REFLECT(wNotifyCode, memberFxn) \
    { WM_COMMAND + WM_REFLECT_BASE, (UINT)(wNotifyCode), 0, 0, AfxSig_vv, \
      static_cast<AFX_PMSG>(&ThisClass::memberFxn) },
#define ON_NOTIFY_REFLECT(wNotifyCode, memberFxn) \
    { WM_NOTIFY + WM_REFLECT_BASE, (UINT)(WORD)(wNotifyCode), 0, 0, AfxSig_notify, \
      detail::HandlerCast<AFX_PMSG>(static_cast<void (CCmdTarget::*)(NMHDR*, LRESULT*)>(&ThisClass::memberFxn)) },

#define ON_BN_CLICKED(id, memberFxn) ON_CONTROL(BN_CLICKED, id, memberFxn)
#define ON_BN_DOUBLECLICKED(id, memberFxn) ON_CONTROL(BN_DOUBLECLICKED, id, memberFxn)
#define ON_EN_CHANGE(id, memberFxn) ON_CONTROL(EN_CHANGE, id, memberFxn)
#define ON_EN_KILLFOCUS(id, memberFxn) ON_CONTROL(EN_KILLFOCUS, id, memberFxn)
#define ON_EN_SETFOCUS(id, memberFxn) ON_CONTROL(EN_SETFOCUS, id, memberFxn)
#define ON_CBN_SELCHANGE(id, memberFxn) ON_CONTROL(CBN_SELCHANGE, id, memberFxn)
#define ON_CBN_EDITCHANGE(id, memberFxn) ON_CONTROL(CBN_EDITCHANGE, id, memberFxn)
#define ON_CBN_DROPDOWN(id, memberFxn) ON_CONTROL(CBN_DROPDOWN, id, memberFxn)
#define ON_CBN_CLOSEUP(id, memberFxn) ON_CONTROL(CBN_CLOSEUP, id, memberFxn)
#define ON_LBN_SELCHANGE(id, memberFxn) ON_CONTROL(LBN_SELCHANGE, id, memberFxn)
#define ON_LBN_DBLCLK(id, memberFxn) ON_CONTROL(LBN_DBLCLK, id, memberFxn)
#define ON_STN_CLICKED(id, memberFxn) ON_CONTROL(STN_CLICKED, id, memberFxn)
#define ON_STN_DBLCLK(id, memberFxn) ON_CONTROL(STN_DBLCLK, id, memberFxn)
#define ON_BN_SETFOCUS(id, memberFxn) ON_CONTROL(BN_SETFOCUS, id, memberFxn)
#define ON_BN_KILLFOCUS(id, memberFxn) ON_CONTROL(BN_KILLFOCUS, id, memberFxn)
#define ON_EN_UPDATE(id, memberFxn) ON_CONTROL(EN_UPDATE, id, memberFxn)
#define ON_EN_MAXTEXT(id, memberFxn) ON_CONTROL(EN_MAXTEXT, id, memberFxn)
#define ON_CBN_DBLCLK(id, memberFxn) ON_CONTROL(CBN_DBLCLK, id, memberFxn)
#define ON_CBN_SETFOCUS(id, memberFxn) ON_CONTROL(CBN_SETFOCUS, id, memberFxn)
#define ON_CBN_KILLFOCUS(id, memberFxn) ON_CONTROL(CBN_KILLFOCUS, id, memberFxn)
#define ON_CBN_EDITUPDATE(id, memberFxn) ON_CONTROL(CBN_EDITUPDATE, id, memberFxn)
#define ON_CBN_SELENDOK(id, memberFxn) ON_CONTROL(CBN_SELENDOK, id, memberFxn)
#define ON_CBN_SELENDCANCEL(id, memberFxn) ON_CONTROL(CBN_SELENDCANCEL, id, memberFxn)
#define ON_LBN_SETFOCUS(id, memberFxn) ON_CONTROL(LBN_SETFOCUS, id, memberFxn)
#define ON_LBN_KILLFOCUS(id, memberFxn) ON_CONTROL(LBN_KILLFOCUS, id, memberFxn)

#define ON_WM_CREATE() FW_MSG_ENTRY(WM_CREATE, AfxSig_is, int (CWnd::*)(LPCREATESTRUCT), OnCreate)
#define ON_WM_DESTROY() FW_MSG_ENTRY(WM_DESTROY, AfxSig_vv, void (CWnd::*)(), OnDestroy)
#define ON_WM_NCDESTROY() FW_MSG_ENTRY(WM_NCDESTROY, AfxSig_vv, void (CWnd::*)(), OnNcDestroy)
#define ON_WM_CLOSE() FW_MSG_ENTRY(WM_CLOSE, AfxSig_vv, void (CWnd::*)(), OnClose)
#define ON_WM_SIZE() FW_MSG_ENTRY(WM_SIZE, AfxSig_vwii, void (CWnd::*)(UINT, int, int), OnSize)
#define ON_WM_SIZING() FW_MSG_ENTRY(WM_SIZING, AfxSig_vwpR, void (CWnd::*)(UINT, LPRECT), OnSizing)
#define ON_WM_MOVE() FW_MSG_ENTRY(WM_MOVE, AfxSig_vii, void (CWnd::*)(int, int), OnMove)
#define ON_WM_PAINT() FW_MSG_ENTRY(WM_PAINT, AfxSig_vv, void (CWnd::*)(), OnPaint)
#define ON_WM_NCPAINT() FW_MSG_ENTRY(WM_NCPAINT, AfxSig_vv, void (CWnd::*)(), OnNcPaint)
#define ON_WM_ERASEBKGND() FW_MSG_ENTRY(WM_ERASEBKGND, AfxSig_bD, BOOL (CWnd::*)(CDC*), OnEraseBkgnd)
#define ON_WM_TIMER() FW_MSG_ENTRY(WM_TIMER, AfxSig_vw, void (CWnd::*)(UINT_PTR), OnTimer)
#define ON_WM_LBUTTONDOWN() FW_MSG_ENTRY(WM_LBUTTONDOWN, AfxSig_vwp, void (CWnd::*)(UINT, CPoint), OnLButtonDown)
#define ON_WM_LBUTTONUP() FW_MSG_ENTRY(WM_LBUTTONUP, AfxSig_vwp, void (CWnd::*)(UINT, CPoint), OnLButtonUp)
#define ON_WM_LBUTTONDBLCLK() FW_MSG_ENTRY(WM_LBUTTONDBLCLK, AfxSig_vwp, void (CWnd::*)(UINT, CPoint), OnLButtonDblClk)
#define ON_WM_RBUTTONDOWN() FW_MSG_ENTRY(WM_RBUTTONDOWN, AfxSig_vwp, void (CWnd::*)(UINT, CPoint), OnRButtonDown)
#define ON_WM_RBUTTONUP() FW_MSG_ENTRY(WM_RBUTTONUP, AfxSig_vwp, void (CWnd::*)(UINT, CPoint), OnRButtonUp)
#define ON_WM_RBUTTONDBLCLK() FW_MSG_ENTRY(WM_RBUTTONDBLCLK, AfxSig_vwp, void (CWnd::*)(UINT, CPoint), OnRButtonDblClk)
#define ON_WM_MBUTTONDOWN() FW_MSG_ENTRY(WM_MBUTTONDOWN, AfxSig_vwp, void (CWnd::*)(UINT, CPoint), OnMButtonDown)
#define ON_WM_MBUTTONUP() FW_MSG_ENTRY(WM_MBUTTONUP, AfxSig_vwp, void (CWnd::*)(UINT, CPoint), OnMButtonUp)
#define ON_WM_MOUSEMOVE() FW_MSG_ENTRY(WM_MOUSEMOVE, AfxSig_vwp, void (CWnd::*)(UINT, CPoint), OnMouseMove)
#define ON_WM_MOUSEWHEEL() FW_MSG_ENTRY(WM_MOUSEWHEEL, AfxSig_bwsp, BOOL (CWnd::*)(UINT, short, CPoint), OnMouseWheel)
#define ON_WM_MOUSELEAVE() FW_MSG_ENTRY(WM_MOUSELEAVE, AfxSig_vv, void (CWnd::*)(), OnMouseLeave)
#define ON_WM_MOUSEHOVER() FW_MSG_ENTRY(WM_MOUSEHOVER, AfxSig_vwp, void (CWnd::*)(UINT, CPoint), OnMouseHover)
#define ON_WM_MOUSEACTIVATE() FW_MSG_ENTRY(WM_MOUSEACTIVATE, AfxSig_iWww, int (CWnd::*)(CWnd*, UINT, UINT), OnMouseActivate)
#define ON_WM_CAPTURECHANGED() FW_MSG_ENTRY(WM_CAPTURECHANGED, AfxSig_vWl, void (CWnd::*)(CWnd*), OnCaptureChanged)
#define ON_WM_KEYDOWN() FW_MSG_ENTRY(WM_KEYDOWN, AfxSig_vwww, void (CWnd::*)(UINT, UINT, UINT), OnKeyDown)
#define ON_WM_KEYUP() FW_MSG_ENTRY(WM_KEYUP, AfxSig_vwww, void (CWnd::*)(UINT, UINT, UINT), OnKeyUp)
#define ON_WM_SYSKEYDOWN() FW_MSG_ENTRY(WM_SYSKEYDOWN, AfxSig_vwww, void (CWnd::*)(UINT, UINT, UINT), OnSysKeyDown)
#define ON_WM_CHAR() FW_MSG_ENTRY(WM_CHAR, AfxSig_vwww, void (CWnd::*)(UINT, UINT, UINT), OnChar)
#define ON_WM_SETFOCUS() FW_MSG_ENTRY(WM_SETFOCUS, AfxSig_vW, void (CWnd::*)(CWnd*), OnSetFocus)
#define ON_WM_KILLFOCUS() FW_MSG_ENTRY(WM_KILLFOCUS, AfxSig_vW, void (CWnd::*)(CWnd*), OnKillFocus)
#define ON_WM_COPYDATA() FW_MSG_ENTRY(WM_COPYDATA, AfxSig_bWCDS, BOOL (CWnd::*)(CWnd*, COPYDATASTRUCT*), OnCopyData)
#define ON_WM_DROPFILES() FW_MSG_ENTRY(WM_DROPFILES, AfxSig_vHDROP, void (CWnd::*)(HDROP), OnDropFiles)
#define ON_WM_SETCURSOR() FW_MSG_ENTRY(WM_SETCURSOR, AfxSig_bWww, BOOL (CWnd::*)(CWnd*, UINT, UINT), OnSetCursor)
#define ON_WM_HSCROLL() FW_MSG_ENTRY(WM_HSCROLL, AfxSig_vwwx, void (CWnd::*)(UINT, UINT, CScrollBar*), OnHScroll)
#define ON_WM_VSCROLL() FW_MSG_ENTRY(WM_VSCROLL, AfxSig_vwwx, void (CWnd::*)(UINT, UINT, CScrollBar*), OnVScroll)
#define ON_WM_CTLCOLOR() FW_MSG_ENTRY(WM_CTLCOLOR, AfxSig_hDWw, HBRUSH (CWnd::*)(CDC*, CWnd*, UINT), OnCtlColor)
#define ON_WM_GETMINMAXINFO() FW_MSG_ENTRY(WM_GETMINMAXINFO, AfxSig_vMINMAX, void (CWnd::*)(MINMAXINFO*), OnGetMinMaxInfo)
#define ON_WM_SHOWWINDOW() FW_MSG_ENTRY(WM_SHOWWINDOW, AfxSig_vbw, void (CWnd::*)(BOOL, UINT), OnShowWindow)
#define ON_WM_ACTIVATE() FW_MSG_ENTRY(WM_ACTIVATE, AfxSig_vwWb, void (CWnd::*)(UINT, CWnd*, BOOL), OnActivate)
#define ON_WM_ACTIVATEAPP() FW_MSG_ENTRY(WM_ACTIVATEAPP, AfxSig_vbh, void (CWnd::*)(BOOL, DWORD), OnActivateApp)
#define ON_WM_NCACTIVATE() FW_MSG_ENTRY(WM_NCACTIVATE, AfxSig_bb, BOOL (CWnd::*)(BOOL), OnNcActivate)
#define ON_WM_CONTEXTMENU() FW_MSG_ENTRY(WM_CONTEXTMENU, AfxSig_vWp, void (CWnd::*)(CWnd*, CPoint), OnContextMenu)
#define ON_WM_DRAWITEM() FW_MSG_ENTRY(WM_DRAWITEM, AfxSig_vDRAWITEM, void (CWnd::*)(int, LPDRAWITEMSTRUCT), OnDrawItem)
#define ON_WM_MEASUREITEM() FW_MSG_ENTRY(WM_MEASUREITEM, AfxSig_vMEASUREITEM, void (CWnd::*)(int, LPMEASUREITEMSTRUCT), OnMeasureItem)
#define ON_WM_NCHITTEST() FW_MSG_ENTRY(WM_NCHITTEST, AfxSig_lp, LRESULT (CWnd::*)(CPoint), OnNcHitTest)
#define ON_WM_WINDOWPOSCHANGED() FW_MSG_ENTRY(WM_WINDOWPOSCHANGED, AfxSig_vPOS, void (CWnd::*)(WINDOWPOS*), OnWindowPosChanged)
#define ON_WM_WINDOWPOSCHANGING() FW_MSG_ENTRY(WM_WINDOWPOSCHANGING, AfxSig_vPOS, void (CWnd::*)(WINDOWPOS*), OnWindowPosChanging)
#define ON_WM_SYSCOMMAND() FW_MSG_ENTRY(WM_SYSCOMMAND, AfxSig_vwl, void (CWnd::*)(UINT, LPARAM), OnSysCommand)
#define ON_WM_ENABLE() FW_MSG_ENTRY(WM_ENABLE, AfxSig_vb, void (CWnd::*)(BOOL), OnEnable)
#define ON_WM_QUERYENDSESSION() FW_MSG_ENTRY(WM_QUERYENDSESSION, AfxSig_bv, BOOL (CWnd::*)(), OnQueryEndSession)
#define ON_WM_GETDLGCODE() FW_MSG_ENTRY(WM_GETDLGCODE, AfxSig_uv, UINT (CWnd::*)(), OnGetDlgCode)
#define ON_WM_INITMENUPOPUP() FW_MSG_ENTRY(WM_INITMENUPOPUP, AfxSig_vMwb, void (CWnd::*)(CMenu*, UINT, BOOL), OnInitMenuPopup)
#define ON_WM_MENUCHAR() FW_MSG_ENTRY(WM_MENUCHAR, AfxSig_lwwM, LRESULT (CWnd::*)(UINT, UINT, CMenu*), OnMenuChar)
#define ON_WM_SYSCOLORCHANGE() FW_MSG_ENTRY(WM_SYSCOLORCHANGE, AfxSig_vv, void (CWnd::*)(), OnSysColorChange)
#define ON_WM_CANCELMODE() FW_MSG_ENTRY(WM_CANCELMODE, AfxSig_vv, void (CWnd::*)(), OnCancelMode)
#define ON_WM_MENUSELECT() FW_MSG_ENTRY(WM_MENUSELECT, AfxSig_vwwh, void (CWnd::*)(UINT, UINT, HMENU), OnMenuSelect)
#define ON_WM_SETTINGCHANGE() FW_MSG_ENTRY(WM_SETTINGCHANGE, AfxSig_vws, void (CWnd::*)(UINT, LPCTSTR), OnSettingChange)
#define ON_WM_DRAWITEM_REFLECT() \
    FW_MSG_ENTRY(WM_DRAWITEM + WM_REFLECT_BASE, AfxSig_vDRAWITEM_r, void (CWnd::*)(LPDRAWITEMSTRUCT), DrawItem)
#define ON_WM_MEASUREITEM_REFLECT() \
    FW_MSG_ENTRY(WM_MEASUREITEM + WM_REFLECT_BASE, AfxSig_vMEASUREITEM_r, void (CWnd::*)(LPMEASUREITEMSTRUCT), MeasureItem)
#define ON_WM_CTLCOLOR_REFLECT() \
    FW_MSG_ENTRY(WM_CTLCOLOR + WM_REFLECT_BASE, AfxSig_hDw_r, HBRUSH (CWnd::*)(CDC*, UINT), CtlColor)

// The root of every object that takes commands: its message map and the command routing.
class CCmdTarget {
public:
    CCmdTarget() {}
    virtual ~CCmdTarget() {}
    CCmdTarget(const CCmdTarget&) = delete;
    CCmdTarget& operator=(const CCmdTarget&) = delete;

    // Finds and calls (or, with pHandlerInfo, only reports) the handler of a command or control
    // notification; frames override it to route commands on to views, documents and the app.
    // nCode is CN_COMMAND, CN_UPDATE_COMMAND_UI (pExtra a CCmdUI*), a control notification, or
    // MAKELONG(code, WM_NOTIFY) (pExtra an AFX_NOTIFY*). A handler that answers FALSE
    // (the _EX entries) and an update handler that calls ContinueRouting leave it unhandled.
    virtual BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo);

    static const CRuntimeClass classCCmdTarget;
    virtual CRuntimeClass* GetRuntimeClass() const;
    BOOL IsKindOf(const CRuntimeClass* pClass) const { return GetRuntimeClass()->IsDerivedFrom(pClass); }

protected:
    static const AFX_MSGMAP* PASCAL GetThisMessageMap();
    virtual const AFX_MSGMAP* GetMessageMap() const;
    // The first entry of this object's maps (most derived first) for the message and code.
    const AFX_MSGMAP_ENTRY* FindMessageEntry(UINT message, UINT code, UINT id) const;
};

class CWnd : public CCmdTarget {
    DECLARE_DYNAMIC(CWnd)
public:
    CWnd();
    explicit CWnd(HWND hWnd);  // a wrapper that is not entered in the permanent map
    ~CWnd() override;

    HWND m_hWnd = NULL;
    // Insert-after values for SetWindowPos.
    static const CWnd wndTop, wndBottom, wndTopMost, wndNoTopMost;
    operator HWND() const { return m_hWnd; }
    // Null-safe, as in GetParent()->GetSafeHwnd().
    HWND GetSafeHwnd() const { const CWnd* p = detail::OpaquePtr(this); return p ? p->m_hWnd : NULL; }

    // The object of a window: the permanent one when there is one, otherwise a wrapper that
    // lives as long as the calling thread.
    static CWnd* PASCAL FromHandle(HWND hWnd);
    static CWnd* PASCAL FromHandlePermanent(HWND hWnd);
    BOOL Attach(HWND hWnd);
    HWND Detach();
    // Attach plus routing the window's messages through this object's map.
    BOOL SubclassWindow(HWND hWnd);
    BOOL SubclassDlgItem(UINT nID, CWnd* pParent);
    HWND UnsubclassWindow();

    // A NULL class name uses the framework's default class (CS_DBLCLKS, arrow cursor).
    virtual BOOL Create(LPCWSTR lpszClassName, LPCWSTR lpszWindowName, DWORD dwStyle, const RECT& rect,
                        CWnd* pParentWnd, UINT nID, CCreateContext* pContext = NULL);
    virtual BOOL CreateEx(DWORD dwExStyle, LPCWSTR lpszClassName, LPCWSTR lpszWindowName, DWORD dwStyle,
                          int x, int y, int nWidth, int nHeight, HWND hWndParent, HMENU nIDorHMenu,
                          LPVOID lpParam = NULL);
    virtual BOOL CreateEx(DWORD dwExStyle, LPCWSTR lpszClassName, LPCWSTR lpszWindowName, DWORD dwStyle,
                          const RECT& rect, CWnd* pParentWnd, UINT nID, LPVOID lpParam = NULL);
    virtual BOOL DestroyWindow();

    virtual BOOL PreCreateWindow(CREATESTRUCT& cs);
    virtual BOOL PreTranslateMessage(MSG* pMsg);
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    virtual LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    virtual BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult);
    virtual BOOL OnCommand(WPARAM wParam, LPARAM lParam);
    virtual BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult);
    // Called once the window is gone (after WM_NCDESTROY); windows allocated with new that
    // own themselves override it with "delete this".
    virtual void PostNcDestroy();
    // A control gets the parent's notifications about itself here first.
    virtual BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult);
    BOOL ReflectChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult);
    static BOOL PASCAL ReflectLastMsg(HWND hWndChild, LRESULT* pResult = NULL);

    // The message being handled on this thread, and its default processing.
    static const MSG* PASCAL GetCurrentMessage();
    LRESULT Default();

    // ---- Win32 wrappers (same meaning as the API of the same name)
    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const { return ::SendMessageW(m_hWnd, message, wParam, lParam); }
    BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const { return ::PostMessageW(m_hWnd, message, wParam, lParam); }
    BOOL SendNotifyMessage(UINT message, WPARAM wParam, LPARAM lParam) const { return ::SendNotifyMessageW(m_hWnd, message, wParam, lParam); }
    BOOL ShowWindow(int nCmdShow) { return ::ShowWindow(m_hWnd, nCmdShow); }
    void MoveWindow(int x, int y, int w, int h, BOOL bRepaint = TRUE) { ::MoveWindow(m_hWnd, x, y, w, h, bRepaint); }
    void MoveWindow(LPCRECT rc, BOOL bRepaint = TRUE) { ::MoveWindow(m_hWnd, rc->left, rc->top, rc->right - rc->left, rc->bottom - rc->top, bRepaint); }
    BOOL SetWindowPos(const CWnd* pWndInsertAfter, int x, int y, int cx, int cy, UINT nFlags);
    void GetClientRect(LPRECT rc) const { ::GetClientRect(m_hWnd, rc); }
    void GetWindowRect(LPRECT rc) const { ::GetWindowRect(m_hWnd, rc); }
    void ScreenToClient(LPPOINT pt) const { ::ScreenToClient(m_hWnd, pt); }
    void ScreenToClient(LPRECT rc) const;
    void ClientToScreen(LPPOINT pt) const { ::ClientToScreen(m_hWnd, pt); }
    void ClientToScreen(LPRECT rc) const;
    void MapWindowPoints(CWnd* pwndTo, LPPOINT pts, UINT count) const { ::MapWindowPoints(m_hWnd, pwndTo->GetSafeHwnd(), pts, count); }
    void MapWindowPoints(CWnd* pwndTo, LPRECT rc) const { ::MapWindowPoints(m_hWnd, pwndTo->GetSafeHwnd(), (LPPOINT)rc, 2); }
    void Invalidate(BOOL bErase = TRUE) { ::InvalidateRect(m_hWnd, NULL, bErase); }
    void InvalidateRect(LPCRECT rc, BOOL bErase = TRUE) { ::InvalidateRect(m_hWnd, rc, bErase); }
    void InvalidateRgn(CRgn* rgn, BOOL bErase = TRUE) { ::InvalidateRgn(m_hWnd, (HRGN)rgn->GetSafeHandle(), bErase); }
    void ValidateRect(LPCRECT rc) { ::ValidateRect(m_hWnd, rc); }
    void UpdateWindow() { ::UpdateWindow(m_hWnd); }
    BOOL RedrawWindow(LPCRECT rc = NULL, CRgn* rgn = NULL, UINT flags = RDW_INVALIDATE | RDW_UPDATENOW | RDW_ERASE) {
        return ::RedrawWindow(m_hWnd, rc, rgn ? (HRGN)rgn->GetSafeHandle() : NULL, flags);
    }
    void SetRedraw(BOOL bRedraw = TRUE) { ::SendMessageW(m_hWnd, WM_SETREDRAW, bRedraw, 0); }
    void SetWindowText(LPCWSTR text) { ::SetWindowTextW(m_hWnd, text); }
    int GetWindowText(LPWSTR text, int nMaxCount) const { return ::GetWindowTextW(m_hWnd, text, nMaxCount); }
    void GetWindowText(CString& text) const;
    int GetWindowTextLength() const { return ::GetWindowTextLengthW(m_hWnd); }
    BOOL EnableWindow(BOOL bEnable = TRUE) { return ::EnableWindow(m_hWnd, bEnable); }
    BOOL IsWindowEnabled() const { return ::IsWindowEnabled(m_hWnd); }
    BOOL IsWindowVisible() const { return ::IsWindowVisible(m_hWnd); }
    BOOL IsIconic() const { return ::IsIconic(m_hWnd); }
    BOOL IsZoomed() const { return ::IsZoomed(m_hWnd); }
    BOOL IsChild(const CWnd* pWnd) const { return ::IsChild(m_hWnd, pWnd->GetSafeHwnd()); }
    CWnd* GetParent() const { return FromHandle(::GetParent(m_hWnd)); }
    CWnd* SetParent(CWnd* pWndNewParent) { return FromHandle(::SetParent(m_hWnd, pWndNewParent->GetSafeHwnd())); }
    // The window set by SetOwner; otherwise a child's parent or a top-level window's owner.
    CWnd* GetOwner() const;
    void SetOwner(CWnd* pOwnerWnd) { m_hWndOwner = pOwnerWnd->GetSafeHwnd(); }
    // The nearest frame among the ancestors (not this window itself).
    CFrameWnd* GetParentFrame() const;
    CFrameWnd* GetTopLevelFrame() const;
    virtual BOOL IsFrameWnd() const { return FALSE; }
    // Sends to every child (and with bDeep their children); bOnlyPerm skips windows without an object.
    void SendMessageToDescendants(UINT message, WPARAM wParam = 0, LPARAM lParam = 0, BOOL bDeep = TRUE,
                                  BOOL bOnlyPerm = FALSE);
    CWnd* GetDescendantWindow(int nID, BOOL bOnlyPerm = FALSE) const;
    // Updates every child control by its id through pTarget's update handlers (a control's own
    // reflected handler and this window's handlers first); buttons without a handler are
    // disabled when bDisableIfNoHndler is set (check boxes, radio buttons and group boxes never).
    void UpdateDialogControls(CCmdTarget* pTarget, BOOL bDisableIfNoHndler);

    // Lays the control bars among the children with ids nIDFirst..nIDLast against the client
    // area (each takes its share through WM_SIZEPARENT) and gives what is left to the child
    // nIDLeftOver. reposQuery only computes the rest into lpRectParam; reposExtra shrinks the
    // area by lpRectParam's amounts first.
    enum RepositionFlags { reposDefault = 0, reposQuery = 1, reposExtra = 2, reposNoPosLeftOver = 0x8000 };
    void RepositionBars(UINT nIDFirst, UINT nIDLast, UINT nIDLeftOver, UINT nFlag = reposDefault,
                        LPRECT lpRectParam = NULL, LPCRECT lpRectClient = NULL, BOOL bStretch = TRUE);
    CWnd* GetTopLevelParent() const;
    CWnd* GetWindow(UINT nCmd) const { return FromHandle(::GetWindow(m_hWnd, nCmd)); }
    CWnd* GetNextWindow(UINT nFlag = GW_HWNDNEXT) const { return FromHandle(::GetWindow(m_hWnd, nFlag)); }
    CWnd* GetDlgItem(int nID) const { return FromHandle(::GetDlgItem(m_hWnd, nID)); }
    int GetDlgCtrlID() const { return ::GetDlgCtrlID(m_hWnd); }
    int SetDlgCtrlID(int nID) { return (int)::SetWindowLongPtrW(m_hWnd, GWLP_ID, nID); }
    void SetDlgItemText(int nID, LPCWSTR text) { ::SetDlgItemTextW(m_hWnd, nID, text); }
    int GetDlgItemText(int nID, CString& text) const;
    void SetDlgItemInt(int nID, UINT value, BOOL bSigned = TRUE) { ::SetDlgItemInt(m_hWnd, nID, value, bSigned); }
    UINT GetDlgItemInt(int nID, BOOL* ok = NULL, BOOL bSigned = TRUE) const { return ::GetDlgItemInt(m_hWnd, nID, ok, bSigned); }
    void CheckDlgButton(int nID, UINT nCheck) { ::CheckDlgButton(m_hWnd, nID, nCheck); }
    UINT IsDlgButtonChecked(int nID) const { return ::IsDlgButtonChecked(m_hWnd, nID); }
    LRESULT SendDlgItemMessage(int nID, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const {
        return ::SendDlgItemMessageW(m_hWnd, nID, message, wParam, lParam);
    }
    UINT_PTR SetTimer(UINT_PTR nIDEvent, UINT nElapse, TIMERPROC lpfnTimer = NULL) { return ::SetTimer(m_hWnd, nIDEvent, nElapse, lpfnTimer); }
    BOOL KillTimer(UINT_PTR nIDEvent) { return ::KillTimer(m_hWnd, nIDEvent); }
    CWnd* SetFocus() { return FromHandle(::SetFocus(m_hWnd)); }
    static CWnd* PASCAL GetFocus() { return FromHandle(::GetFocus()); }
    CWnd* SetCapture() { return FromHandle(::SetCapture(m_hWnd)); }
    static CWnd* PASCAL GetCapture() { return FromHandle(::GetCapture()); }
    static BOOL PASCAL ReleaseCapture() { return ::ReleaseCapture(); }
    CWnd* SetActiveWindow() { return FromHandle(::SetActiveWindow(m_hWnd)); }
    static CWnd* PASCAL GetActiveWindow() { return FromHandle(::GetActiveWindow()); }
    BOOL SetForegroundWindow() { return ::SetForegroundWindow(m_hWnd); }
    static CWnd* PASCAL GetForegroundWindow() { return FromHandle(::GetForegroundWindow()); }
    static CWnd* PASCAL GetDesktopWindow() { return FromHandle(::GetDesktopWindow()); }
    static CWnd* PASCAL WindowFromPoint(POINT pt) { return FromHandle(::WindowFromPoint(pt)); }
    static CWnd* PASCAL FindWindow(LPCWSTR className, LPCWSTR windowName) { return FromHandle(::FindWindowW(className, windowName)); }
    CWnd* ChildWindowFromPoint(POINT pt) const { return FromHandle(::ChildWindowFromPoint(m_hWnd, pt)); }
    void BringWindowToTop() { ::BringWindowToTop(m_hWnd); }
    void CenterWindow(CWnd* pAlternateOwner = NULL);
    BOOL IsWindow() const { return m_hWnd != NULL && ::IsWindow(m_hWnd); }

    DWORD GetStyle() const { return (DWORD)::GetWindowLongPtrW(m_hWnd, GWL_STYLE); }
    DWORD GetExStyle() const { return (DWORD)::GetWindowLongPtrW(m_hWnd, GWL_EXSTYLE); }
    // Both return whether the style changed; nFlags non-zero also calls SetWindowPos with them.
    BOOL ModifyStyle(DWORD dwRemove, DWORD dwAdd, UINT nFlags = 0) { return ModifyStyle(m_hWnd, dwRemove, dwAdd, nFlags); }
    BOOL ModifyStyleEx(DWORD dwRemove, DWORD dwAdd, UINT nFlags = 0) { return ModifyStyleEx(m_hWnd, dwRemove, dwAdd, nFlags); }
    static BOOL PASCAL ModifyStyle(HWND hWnd, DWORD dwRemove, DWORD dwAdd, UINT nFlags);
    static BOOL PASCAL ModifyStyleEx(HWND hWnd, DWORD dwRemove, DWORD dwAdd, UINT nFlags);

    void SetFont(CFont* pFont, BOOL bRedraw = TRUE) { ::SendMessageW(m_hWnd, WM_SETFONT, (WPARAM)pFont->GetSafeHandle(), bRedraw); }
    CFont* GetFont() const { return CFont::FromHandle((HFONT)::SendMessageW(m_hWnd, WM_GETFONT, 0, 0)); }
    HICON SetIcon(HICON hIcon, BOOL bBigIcon) { return (HICON)::SendMessageW(m_hWnd, WM_SETICON, bBigIcon ? ICON_BIG : ICON_SMALL, (LPARAM)hIcon); }
    HICON GetIcon(BOOL bBigIcon) const { return (HICON)::SendMessageW(m_hWnd, WM_GETICON, bBigIcon ? ICON_BIG : ICON_SMALL, 0); }
    void DragAcceptFiles(BOOL bAccept = TRUE) { ::DragAcceptFiles(m_hWnd, bAccept); }
    CDC* GetDC() { return CDC::FromHandle(::GetDC(m_hWnd)); }
    CDC* GetWindowDC() { return CDC::FromHandle(::GetWindowDC(m_hWnd)); }
    int ReleaseDC(CDC* pDC) { return ::ReleaseDC(m_hWnd, pDC->GetSafeHdc()); }
    int SetWindowRgn(HRGN hRgn, BOOL bRedraw) { return ::SetWindowRgn(m_hWnd, hRgn, bRedraw); }
    HMENU GetMenuHandle() const { return ::GetMenu(m_hWnd); }
    // Menu wrappers are temporary objects of the calling thread (see CMenu::FromHandle).
    CMenu* GetMenu() const;
    BOOL SetMenu(CMenu* pMenu);
    CMenu* GetSystemMenu(BOOL bRevert) const;
    BOOL FlashWindow(BOOL bInvert) { return ::FlashWindow(m_hWnd, bInvert); }

    int SetScrollPos(int nBar, int nPos, BOOL bRedraw = TRUE) { return ::SetScrollPos(m_hWnd, nBar, nPos, bRedraw); }
    int GetScrollPos(int nBar) const { return ::GetScrollPos(m_hWnd, nBar); }
    void SetScrollRange(int nBar, int nMin, int nMax, BOOL bRedraw = TRUE) { ::SetScrollRange(m_hWnd, nBar, nMin, nMax, bRedraw); }
    BOOL SetScrollInfo(int nBar, LPSCROLLINFO info, BOOL bRedraw = TRUE) { ::SetScrollInfo(m_hWnd, nBar, info, bRedraw); return TRUE; }
    BOOL GetScrollInfo(int nBar, LPSCROLLINFO info, UINT nMask = SIF_ALL) const { info->cbSize = sizeof(SCROLLINFO); info->fMask = nMask; return ::GetScrollInfo(m_hWnd, nBar, info); }
    void ShowScrollBar(UINT nBar, BOOL bShow = TRUE) { ::ShowScrollBar(m_hWnd, (int)nBar, bShow); }
    void ScrollWindow(int dx, int dy, LPCRECT rc = NULL, LPCRECT clip = NULL) { ::ScrollWindow(m_hWnd, dx, dy, rc, clip); }

    // ---- Default handlers of the ON_WM_* entries: each does the window's default processing.
    int OnCreate(LPCREATESTRUCT) { return (int)Default(); }
    void OnDestroy() { Default(); }
    void OnNcDestroy() { Default(); }
    void OnClose() { Default(); }
    void OnSize(UINT, int, int) { Default(); }
    void OnSizing(UINT, LPRECT) { Default(); }
    void OnMove(int, int) { Default(); }
    void OnPaint() { Default(); }
    void OnNcPaint() { Default(); }
    BOOL OnEraseBkgnd(CDC*) { return (BOOL)Default(); }
    void OnTimer(UINT_PTR) { Default(); }
    void OnLButtonDown(UINT, CPoint) { Default(); }
    void OnLButtonUp(UINT, CPoint) { Default(); }
    void OnLButtonDblClk(UINT, CPoint) { Default(); }
    void OnRButtonDown(UINT, CPoint) { Default(); }
    void OnRButtonUp(UINT, CPoint) { Default(); }
    void OnRButtonDblClk(UINT, CPoint) { Default(); }
    void OnMButtonDown(UINT, CPoint) { Default(); }
    void OnMButtonUp(UINT, CPoint) { Default(); }
    void OnMouseMove(UINT, CPoint) { Default(); }
    BOOL OnMouseWheel(UINT, short, CPoint) { return (BOOL)Default(); }
    void OnMouseLeave() { Default(); }
    void OnMouseHover(UINT, CPoint) { Default(); }
    int OnMouseActivate(CWnd*, UINT, UINT) { return (int)Default(); }
    void OnCaptureChanged(CWnd*) { Default(); }
    void OnKeyDown(UINT, UINT, UINT) { Default(); }
    void OnKeyUp(UINT, UINT, UINT) { Default(); }
    void OnSysKeyDown(UINT, UINT, UINT) { Default(); }
    void OnChar(UINT, UINT, UINT) { Default(); }
    void OnSetFocus(CWnd*) { Default(); }
    void OnKillFocus(CWnd*) { Default(); }
    BOOL OnCopyData(CWnd*, COPYDATASTRUCT*) { return (BOOL)Default(); }
    void OnDropFiles(HDROP) { Default(); }
    BOOL OnSetCursor(CWnd*, UINT, UINT) { return (BOOL)Default(); }
    void OnHScroll(UINT, UINT, CScrollBar* pScrollBar);
    void OnVScroll(UINT, UINT, CScrollBar* pScrollBar);
    HBRUSH OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor);
    void OnGetMinMaxInfo(MINMAXINFO*) { Default(); }
    void OnShowWindow(BOOL, UINT) { Default(); }
    void OnActivate(UINT, CWnd*, BOOL) { Default(); }
    void OnActivateApp(BOOL, DWORD) { Default(); }
    BOOL OnNcActivate(BOOL) { return (BOOL)Default(); }
    void OnContextMenu(CWnd*, CPoint) { Default(); }
    void OnDrawItem(int nIDCtl, LPDRAWITEMSTRUCT lpDrawItemStruct);
    void OnMeasureItem(int nIDCtl, LPMEASUREITEMSTRUCT lpMeasureItemStruct);
    LRESULT OnNcHitTest(CPoint) { return Default(); }
    void OnWindowPosChanged(WINDOWPOS*) { Default(); }
    void OnWindowPosChanging(WINDOWPOS*) { Default(); }
    void OnSysCommand(UINT, LPARAM) { Default(); }
    void OnEnable(BOOL) { Default(); }
    BOOL OnQueryEndSession() { return (BOOL)Default(); }
    UINT OnGetDlgCode() { return (UINT)Default(); }
    void OnInitMenuPopup(CMenu*, UINT, BOOL) { Default(); }
    LRESULT OnMenuChar(UINT, UINT, CMenu*) { return Default(); }
    void OnSysColorChange() { Default(); }
    void OnCancelMode() { Default(); }
    void OnMenuSelect(UINT, UINT, HMENU) { Default(); }
    void OnSettingChange(UINT, LPCTSTR) { Default(); }

    // The window procedure of every framework window.
    static LRESULT CALLBACK AfxWndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);

protected:
    static const AFX_MSGMAP* PASCAL GetThisMessageMap();
    const AFX_MSGMAP* GetMessageMap() const override;

    WNDPROC m_pfnSuper = NULL;  // the class's own procedure of a subclassed window
    bool m_bPermanent = false;
    HWND m_hWndOwner = NULL;

private:
    BOOL DispatchEntry(const AFX_MSGMAP_ENTRY* entry, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult);
    friend struct CWndCreateHook;
};

namespace detail {
// While it lives, the first window created on this thread is subclassed into 'wnd' before its
// first message: for the windows the system creates, dialogs and property sheets. Scopes nest.
class CSubclassNextWindow {
public:
    explicit CSubclassNextWindow(CWnd* wnd);
    ~CSubclassNextWindow();
    CSubclassNextWindow(const CSubclassNextWindow&) = delete;
    CSubclassNextWindow& operator=(const CSubclassNextWindow&) = delete;

private:
    CWnd* m_pWnd;
    CWnd* m_pOuter;
    HHOOK m_hHook;
};
}

// A scroll bar control; the scroll handlers receive this type.
class CScrollBar : public CWnd {
public:
    int GetScrollPos() const { return ::GetScrollPos(m_hWnd, SB_CTL); }
    int SetScrollPos(int nPos, BOOL bRedraw = TRUE) { return ::SetScrollPos(m_hWnd, SB_CTL, nPos, bRedraw); }
    void SetScrollRange(int nMin, int nMax, BOOL bRedraw = TRUE) { ::SetScrollRange(m_hWnd, SB_CTL, nMin, nMax, bRedraw); }
    BOOL SetScrollInfo(LPSCROLLINFO info, BOOL bRedraw = TRUE) { ::SetScrollInfo(m_hWnd, SB_CTL, info, bRedraw); return TRUE; }
    BOOL GetScrollInfo(LPSCROLLINFO info, UINT nMask = SIF_ALL) { info->cbSize = sizeof(SCROLLINFO); info->fMask = nMask; return ::GetScrollInfo(m_hWnd, SB_CTL, info); }
};

// Registers (once) a window class with the framework's procedure and returns its name.
LPCWSTR AfxRegisterWndClass(UINT nClassStyle, HCURSOR hCursor = NULL, HBRUSH hbrBackground = NULL, HICON hIcon = NULL);
// The name of the framework's default window class (CS_DBLCLKS, arrow cursor, window colour).
LPCWSTR AfxDefaultWndClass();

// The work area of the monitor that holds most of the window (the nearest monitor when none does);
// drop-down lists and placed windows measure their room against it, not the primary screen.
CRect GetWindowWorkArea(HWND hWnd);
// How much of a window's top band must show on one monitor for the user to take it by its caption.
const int SAVED_PLACE_GRIP_WIDTH = 100;
const int SAVED_PLACE_GRIP_HEIGHT = 30;
// Whether a window of width x height at left, top could be taken by its caption: at least
// SAVED_PLACE_GRIP_WIDTH x SAVED_PLACE_GRIP_HEIGHT pixels of its top band (all of it, for a
// smaller window) lie in the work area of one present monitor. A place saved on a monitor that is
// gone, or with only a corner on one, is not usable; the sums are made in 64 bits, so huge saved
// values never wrap round into a place on the screen.
BOOL IsSavedPlaceUsable(int left, int top, int width, int height);

// Gives the windows on the way from pMsg's target up to hWndStop their PreTranslateMessage.
BOOL AfxWalkPreTranslateTree(HWND hWndStop, MSG* pMsg);

// What WM_SIZEPARENT carries to each control bar: the area still free (a bar takes its
// share from it), the deferred positions, and whether bars may stretch across the frame.
struct AFX_SIZEPARENTPARAMS {
    HDWP hDWP;     // NULL when only the layout is queried
    RECT rect;     // the free area, shrunk by each bar
    SIZE sizeTotal;
    BOOL bStretch;
};

// The calling thread's message filter: its CWinThread's PreTranslateMessage, or the walk from
// the target up to its top-level window on threads without one. Modal loops call it.
BOOL AfxPreTranslateMessage(MSG* pMsg);
