// Message kinds: what each kind says, which buttons it shows and the result code each
// button returns. Front ends (window, terminal) show them; the session only picks a kind.
#pragma once

namespace cbx {

enum MessageButton : unsigned {
  kButtonNone = 0,
  kButtonOk = 1,
  kButtonCancel = 2,
  kButton1045 = 4,
  kButton1046 = 8,
};

struct MessageKindInfo {
  int kind = -1;
  int fixedTextId = 0;   // 0: the caller's text is shown
  int secondTextId = 0;  // the tall second text of the precaution kinds; 3113 for version lines
  unsigned buttons = kButtonNone;
  int okResult = 12, cancelResult = 12, result1045 = 12, result1046 = 12;
  int okLabelId = 0, cancelLabelId = 0, label1045Id = 0, label1046Id = 0;
};

// Every code a button does not set, and every close of a dialog through its own frame.
inline constexpr int kResultOfClose = 12;

// The kind's description; an unknown kind has no text and no buttons.
const MessageKindInfo& MessageKind(int kind);

}  // namespace cbx
