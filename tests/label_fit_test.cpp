#include "platform/core/label_fit.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace kelvory::testing {
namespace {

// Text whose size scales with the pixel size: ten characters of 0.6 em,
// lines of 1.25 em, ink from 0.25 em to 1.2 em below the line's top.
struct ScaledText final : LabelText {
  int characters = 10;
  int wrappedHeight(int size, int width) const override {
    const int perLine = std::max(1, width * 10 / (size * 6));
    const int lines = (characters + perLine - 1) / perLine;
    return lines * lineHeight(size);
  }
  int lineWidth(int size) const override { return characters * size * 6 / 10; }
  int lineHeight(int size) const override { return size * 5 / 4; }
  Ink ink(int size) const override { return {.top = size / 4, .bottom = size * 6 / 5}; }
};

TEST(LabelFit, TextThatFitsIsDrawnAsSet) {
  const ScaledText text;
  // One line: 60 px wide, ink down to 12 of a 15-pixel label.
  EXPECT_EQ(FitLabel(text, 10, 100, 15), (LabelFit{.pixelSize = 10, .wrap = true, .lift = 0}));
  // Two lines that both show keep wrapping.
  EXPECT_EQ(FitLabel(text, 10, 40, 30), (LabelFit{.pixelSize = 10, .wrap = true, .lift = 0}));
}

TEST(LabelFit, AHiddenSecondLineBecomesOneSmallerLine) {
  const ScaledText text;
  // Wrapped, the second line would not show: one line, shrunk to fit 40 px.
  const LabelFit fit = FitLabel(text, 10, 40, 15);
  EXPECT_FALSE(fit.wrap);
  EXPECT_EQ(fit.pixelSize, 6);
  EXPECT_LE(text.lineWidth(fit.pixelSize), 40);
  // Never below six pixels, however narrow the label.
  EXPECT_EQ(FitLabel(text, 10, 5, 15).pixelSize, 6);
}

TEST(LabelFit, ALineHangingBelowIsLiftedToTheMiddleOrMadeSmaller) {
  const ScaledText text;
  // Ink 5..24 of a 20-pixel label at 20 px: 19 pixels of ink, lifted 5 - 0.
  EXPECT_EQ(FitLabel(text, 20, 200, 20), (LabelFit{.pixelSize = 20, .wrap = false, .lift = 5}));
  // Ink 4..19 (15 px) in 12 pixels does not fit: smaller until it does.
  const LabelFit fit = FitLabel(text, 16, 200, 12);
  const Ink ink = text.ink(fit.pixelSize);
  EXPECT_LT(fit.pixelSize, 16);
  EXPECT_LE(ink.bottom - fit.lift, 12);
  EXPECT_GE(ink.top - fit.lift, 0);
}

}  // namespace
}  // namespace kelvory::testing
