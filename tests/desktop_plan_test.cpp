#include "platform/core/desktop_plan.h"

#include <gtest/gtest.h>

namespace kelvory {
namespace {

TEST(DesktopPlan, WaylandWhereItsCompositorCanPlaceTheFiguresX11Otherwise) {
  const DesktopPlan wayland = PlanDesktop("", true);
  EXPECT_TRUE(wayland.tryWayland);
  EXPECT_TRUE(wayland.x11Otherwise);  // GNOME has no layer shell: XWayland
  const DesktopPlan x11 = PlanDesktop("", false);
  EXPECT_FALSE(x11.tryWayland);
  EXPECT_TRUE(x11.x11Otherwise);
}

TEST(DesktopPlan, TheSettingDecidesAndANonsenseOneIsNamed) {
  EXPECT_FALSE(PlanDesktop("x11", true).tryWayland);
  EXPECT_TRUE(PlanDesktop("x11", true).x11Otherwise);
  // Asked for, Wayland is tried without a session too, and nothing else.
  const DesktopPlan forced = PlanDesktop("wayland", false);
  EXPECT_TRUE(forced.tryWayland);
  EXPECT_FALSE(forced.x11Otherwise);
  const DesktopPlan wrong = PlanDesktop("Wayland", true);
  EXPECT_FALSE(wrong.tryWayland || wrong.x11Otherwise);
  EXPECT_NE(wrong.error.find("\"Wayland\""), std::string::npos);
  EXPECT_TRUE(PlanDesktop("wayland", true).error.empty());
}

}  // namespace
}  // namespace kelvory
