#pragma once

namespace kelvory {

// Where the ink of one line of text lies below the line's top, pixels.
struct Ink {
  int top = 0;
  int bottom = 0;
};

// A label's text as a toolkit measures it in the label's face at a pixel
// size (the em, as both toolkits size their fonts).
class LabelText {
 public:
  virtual ~LabelText() = default;
  // The height the text takes wrapped at words into width.
  virtual int wrappedHeight(int pixelSize, int width) const = 0;
  // The whole text on one line: its advance, the line's height, its ink.
  virtual int lineWidth(int pixelSize) const = 0;
  virtual int lineHeight(int pixelSize) const = 0;
  virtual Ink ink(int pixelSize) const = 0;
};

// How a label draws its text: at which size, wrapped or not, and how many
// pixels above the label's top.
struct LabelFit {
  int pixelSize = 0;
  bool wrap = true;
  int lift = 0;
  friend constexpr bool operator==(const LabelFit&, const LabelFit&) = default;
};

// Labels wrap at words, but a second line that cannot show would hide what
// the first line pushed down (the clock's time): then the text stays on one
// line, made a pixel smaller at a time until it fits, since a stand-in face
// may run wider than the one the label was laid out for. A face taller
// than that one hangs a single line's descenders below the label: the line
// is lifted so that its ink sits in the middle, and made smaller when even
// that is not enough.
LabelFit FitLabel(const LabelText& text, int pixelSize, int width, int height);

}  // namespace kelvory
