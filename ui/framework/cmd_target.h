#pragma once
// CCmdTarget and message tables.
//
// A class that handles messages declares OVALINK_DECLARE_MESSAGE_MAP() and defines
// ClassMessageMap() in its .cpp as a static table chained to its base's:
//
//   const MessageMap* CMyDialog::ClassMessageMap() {
//     static const MessageEntry entries[] = {
//         OnMessage<&CMyDialog::OnTimer>(WM_TIMER),        // LRESULT f(WPARAM, LPARAM)
//         OnCommand<&CMyDialog::OnOK>(IDOK),               // void f()
//         OnCommandRange<&CMyDialog::OnKey>(2013, 2046),   // void f(UINT id)
//     };
//     static const MessageMap map = MessageMapOf(CDialog::ClassMessageMap(), entries);
//     return &map;
//   }
//
// Dispatch walks the most derived table first, then each base's; the first matching entry
// handles the message. Message handlers may also take the message: LRESULT f(UINT, WPARAM,
// LPARAM). Command entries match menu items, accelerators and control notifications with
// code 0 (BN_CLICKED, STN_CLICKED), as a click is what a command binding means.

#include <windows.h>

#include <cstddef>
#include <type_traits>

namespace ovalink {

class CCmdTarget;

struct MessageEntry {
  enum class Kind : unsigned char { Message, RegisteredMessage, Command, CommandRange };
  using Invoker = LRESULT (*)(CCmdTarget& target, UINT message, WPARAM wParam, LPARAM lParam);

  Kind kind;
  UINT first;              // message, or first command id
  UINT last;               // last command id of a range
  const UINT* registered;  // a RegisterWindowMessage result, read at dispatch time
  Invoker invoke;
};

struct MessageMap {
  const MessageMap* base;  // consulted after this one; null ends the chain
  const MessageEntry* entries;
  std::size_t count;
};

template <std::size_t N>
constexpr MessageMap MessageMapOf(const MessageMap* base, const MessageEntry (&entries)[N]) {
  return MessageMap{base, entries, N};
}

class CCmdTarget {
 public:
  CCmdTarget() = default;
  virtual ~CCmdTarget() = default;
  CCmdTarget(const CCmdTarget&) = delete;
  CCmdTarget& operator=(const CCmdTarget&) = delete;

  // Looks the message up in the table chain; true (with *result set) when an entry took it.
  bool OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);

  static const MessageMap* ClassMessageMap();

 protected:
  virtual const MessageMap* GetMessageMap() const { return ClassMessageMap(); }
};

#define OVALINK_DECLARE_MESSAGE_MAP()                                  \
 public:                                                               \
  static const ::ovalink::MessageMap* ClassMessageMap();               \
                                                                       \
 protected:                                                            \
  const ::ovalink::MessageMap* GetMessageMap() const override {        \
    return ClassMessageMap();                                          \
  }

namespace message_map_detail {
template <typename T>
struct ClassOf;
template <typename C, typename R, typename... Args>
struct ClassOf<R (C::*)(Args...)> {
  using Type = C;
};
template <auto Handler>
using HandlerClass = typename ClassOf<decltype(Handler)>::Type;

template <auto Handler>
LRESULT InvokeMessage(CCmdTarget& target, UINT message, WPARAM wParam, LPARAM lParam) {
  auto& self = static_cast<HandlerClass<Handler>&>(target);
  if constexpr (std::is_invocable_v<decltype(Handler), decltype(self), UINT, WPARAM, LPARAM>) {
    return (self.*Handler)(message, wParam, lParam);
  } else {
    return (self.*Handler)(wParam, lParam);
  }
}

template <auto Handler>
LRESULT InvokeCommand(CCmdTarget& target, UINT, WPARAM wParam, LPARAM) {
  auto& self = static_cast<HandlerClass<Handler>&>(target);
  if constexpr (std::is_invocable_v<decltype(Handler), decltype(self), UINT>) {
    (self.*Handler)(LOWORD(wParam));
  } else {
    (self.*Handler)();
  }
  return 0;
}
}  // namespace message_map_detail

template <auto Handler>
constexpr MessageEntry OnMessage(UINT message) {
  return {MessageEntry::Kind::Message, message, message, nullptr,
          &message_map_detail::InvokeMessage<Handler>};
}

// For messages numbered at run time (RegisterWindowMessage); `message` is read on each
// dispatch, so the variable may be filled after the table was built. 0 never matches.
template <auto Handler>
constexpr MessageEntry OnRegisteredMessage(const UINT* message) {
  return {MessageEntry::Kind::RegisteredMessage, 0, 0, message,
          &message_map_detail::InvokeMessage<Handler>};
}

template <auto Handler>
constexpr MessageEntry OnCommand(UINT id) {
  return {MessageEntry::Kind::Command, id, id, nullptr, &message_map_detail::InvokeCommand<Handler>};
}

template <auto Handler>
constexpr MessageEntry OnCommandRange(UINT first, UINT last) {
  return {MessageEntry::Kind::CommandRange, first, last, nullptr,
          &message_map_detail::InvokeCommand<Handler>};
}

}  // namespace ovalink
