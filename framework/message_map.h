#pragma once

// Static message maps: each class has one constexpr table of entries, searched
// in order, then its base class's table. Entries are made from member-function
// pointers through the templates below, so a handler with the wrong signature
// does not compile.

#include "win_types.h"

#include <span>

class CCmdTarget;

using AFX_PMSG = LRESULT (*)(CCmdTarget* target, WPARAM wParam, LPARAM lParam);

struct AFX_MSGMAP_ENTRY {
    UINT nMessage; // window message
    UINT nCode;    // notification code, for WM_COMMAND
    UINT nID;      // control identifier, for WM_COMMAND; 0 otherwise
    AFX_PMSG pfn;
};

struct AFX_MSGMAP {
    const AFX_MSGMAP* (*pfnGetBaseMap)();
    std::span<const AFX_MSGMAP_ENTRY> entries;
};

class CCmdTarget {
  public:
    virtual ~CCmdTarget() = default;
    virtual const AFX_MSGMAP* GetMessageMap() const { return GetThisMessageMap(); }
    static const AFX_MSGMAP* GetThisMessageMap();

    // First entry of this object's map chain for the message (and, for
    // WM_COMMAND, the notification code and control id), or nullptr.
    const AFX_MSGMAP_ENTRY* FindMessageEntry(UINT message, UINT code, UINT id) const;
};

namespace afx {

template <typename T> struct ClassOf;
template <typename C, typename R, typename... A> struct ClassOf<R (C::*)(A...)> {
    using type = C;
};
template <auto F> using HandlerClass = typename ClassOf<decltype(F)>::type;

template <auto F> LRESULT CallVoid(CCmdTarget* t, WPARAM, LPARAM)
{
    (static_cast<HandlerClass<F>*>(t)->*F)();
    return 0;
}

template <auto F, auto Arg> LRESULT CallWithValue(CCmdTarget* t, WPARAM, LPARAM)
{
    (static_cast<HandlerClass<F>*>(t)->*F)(Arg);
    return 0;
}

template <auto F> LRESULT CallWithWParam(CCmdTarget* t, WPARAM w, LPARAM)
{
    (static_cast<HandlerClass<F>*>(t)->*F)(static_cast<UINT_PTR>(w));
    return 0;
}

template <auto F> LRESULT CallReturning(CCmdTarget* t, WPARAM, LPARAM)
{
    return reinterpret_cast<LRESULT>((static_cast<HandlerClass<F>*>(t)->*F)());
}

// ON_COMMAND / ON_BN_CLICKED / ON_EN_CHANGE: void handler().
template <auto F> constexpr AFX_MSGMAP_ENTRY OnCommand(UINT code, UINT id)
{
    return {WM_COMMAND, code, id, &CallVoid<F>};
}

// A command whose handler takes a fixed argument, one entry per control.
template <auto F, auto Arg> constexpr AFX_MSGMAP_ENTRY OnCommandWith(UINT code, UINT id)
{
    return {WM_COMMAND, code, id, &CallWithValue<F, Arg>};
}

// Plain messages (WM_PAINT, WM_CLOSE): void handler().
template <auto F> constexpr AFX_MSGMAP_ENTRY OnMessage(UINT message)
{
    return {message, 0, 0, &CallVoid<F>};
}

// WM_TIMER: void handler(UINT_PTR nIDEvent).
template <auto F> constexpr AFX_MSGMAP_ENTRY OnTimerMessage()
{
    return {WM_TIMER, 0, 0, &CallWithWParam<F>};
}

// WM_QUERYDRAGICON: HCURSOR handler().
template <auto F> constexpr AFX_MSGMAP_ENTRY OnQueryDragIconMessage()
{
    return {WM_QUERYDRAGICON, 0, 0, &CallReturning<F>};
}

} // namespace afx
