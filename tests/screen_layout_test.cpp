#include "platform/core/screen_layout.h"

#include <gtest/gtest.h>

#include "platform/core/pixel_grid.h"

namespace kelvory::testing {
namespace {

TEST(PixelGrid, EdgesRoundOnTheirOwnHalvesToEven) {
  const PixelGrid grid;
  EXPECT_EQ(grid.px(22.5), 2);  // 1.5
  EXPECT_EQ(grid.px(37.5), 2);  // 2.5
  EXPECT_EQ(grid.px(-7.5), 0);
  // Two boxes that meet in twips meet in pixels.
  const PixelRect a = grid.box({.left = 7.5, .top = 0, .width = 15, .height = 22.5});
  const PixelRect b = grid.box({.left = 22.5, .top = 22.5, .width = 15, .height = 15});
  EXPECT_EQ(a.right, b.left);
  EXPECT_EQ(a.bottom, b.top);
}

TEST(PixelGrid, ScalesByWholeFactors) {
  // A toolkit that maps its own pixels: twips follow the logical DPI.
  EXPECT_EQ(LogicalGrid(96).twipsPerPixel, 15);
  EXPECT_EQ(LogicalGrid(192).twipsPerPixel, 8);
  EXPECT_EQ(LogicalGrid(192).pictureScale, 2);
  EXPECT_EQ(LogicalGrid(144).pictureScale, 2);
  EXPECT_EQ(LogicalGrid(0).twipsPerPixel, 15);
  EXPECT_EQ(LogicalGrid(192).deviceScale, 1);
  // A desktop that draws device pixels: 15 twips, whole squares of them.
  const PixelGrid device = DeviceGrid(144);
  EXPECT_EQ(device.twipsPerPixel, 15);
  EXPECT_EQ(device.deviceScale, 2);
  EXPECT_EQ(device.pictureScale, 2);
  EXPECT_EQ(DeviceGrid(120).deviceScale, 1);
  EXPECT_EQ(DeviceGrid(-1).deviceScale, 1);
  EXPECT_EQ(device.px(22.5), 4);
  // Measured text comes back in twips the same way.
  EXPECT_EQ(device.twips(3), 22.5);
  EXPECT_EQ(LogicalGrid(192).twips(3), 24);
}

TEST(ScreenLayout, MetricsAndDialogFramesInWholeLayoutPixels) {
  const DeviceScreen screen{.width = 3840,
                            .height = 2160,
                            .workAreaBottom = 2080,
                            .dialogFrame = {.left = 3, .top = 25, .right = 3, .bottom = 3}};
  const ScreenMetrics m = LayoutMetrics(screen, DeviceGrid(192));
  EXPECT_EQ(m.widthPx, 1920);
  EXPECT_EQ(m.heightPx, 1080);
  EXPECT_EQ(m.workAreaBottomPx, 1040);
  EXPECT_EQ(m.twipsPerPixel, 15);
  EXPECT_EQ(m.dialogFrameWidthPx, 3);
  EXPECT_EQ(m.dialogFrameHeightPx, 14);
  // The window keeps the client area plus what the game was told.
  const Twips outer = WithDialogFrame({.left = 150, .top = 300, .width = 3000, .height = 1500},
                                      screen.dialogFrame, DeviceGrid(192));
  EXPECT_EQ(outer, (Twips{.left = 150, .top = 300, .width = 3045, .height = 1710}));
}

}  // namespace
}  // namespace kelvory::testing
