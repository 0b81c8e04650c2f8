#include "ui/framework/cmd_target.h"

namespace ovalink {

namespace {

bool Matches(const MessageEntry& entry, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (entry.kind) {
    case MessageEntry::Kind::Message:
      return message == entry.first;
    case MessageEntry::Kind::RegisteredMessage:
      return *entry.registered != 0 && message == *entry.registered;
    case MessageEntry::Kind::Command:
    case MessageEntry::Kind::CommandRange: {
      if (message != WM_COMMAND) return false;
      // Menus and accelerators come without a control; from controls only clicks count.
      if (lParam != 0 && HIWORD(wParam) != 0) return false;
      const UINT id = LOWORD(wParam);
      return id >= entry.first && id <= entry.last;
    }
  }
  return false;
}

}  // namespace

const MessageMap* CCmdTarget::ClassMessageMap() {
  static const MessageMap map{nullptr, nullptr, 0};
  return &map;
}

bool CCmdTarget::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
  for (const MessageMap* map = GetMessageMap(); map != nullptr; map = map->base) {
    for (std::size_t i = 0; i < map->count; ++i) {
      const MessageEntry& entry = map->entries[i];
      if (Matches(entry, message, wParam, lParam)) {
        *result = entry.invoke(*this, message, wParam, lParam);
        return true;
      }
    }
  }
  return false;
}

}  // namespace ovalink
