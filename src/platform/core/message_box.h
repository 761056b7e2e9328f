#pragma once

#include <string_view>

#include "platform/types.h"

namespace kelvory {

// Every message box of the program is captioned so.
inline constexpr std::string_view kMessageBoxCaption = "Kelvory";

// A native toolkit's value for each of the game's box icons.
template <class Native>
struct BoxIcons {
  Native none;
  Native question;
  Native warning;
  Native error;
};

template <class Native>
constexpr Native BoxIcon(MsgIcon icon, const BoxIcons<Native>& native) {
  switch (icon) {
    case MsgIcon::Question:
      return native.question;
    case MsgIcon::Warning:
      return native.warning;
    case MsgIcon::Error:
      return native.error;
    case MsgIcon::None:
      break;
  }
  return native.none;
}

// What the game hears from a box: an Ok box says Ok however it was closed;
// a question says Yes only when Yes was pressed.
constexpr MsgAnswer BoxAnswer(MsgButtons buttons, bool yesPressed) {
  if (buttons != MsgButtons::YesNo) return MsgAnswer::Ok;
  return yesPressed ? MsgAnswer::Yes : MsgAnswer::No;
}

}  // namespace kelvory
