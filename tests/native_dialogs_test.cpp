#include <gtest/gtest.h>

#include <set>
#include <string>

#include "platform/core/font_choice.h"
#include "platform/core/menu_entries.h"
#include "platform/core/message_box.h"

namespace kelvory::testing {
namespace {

TEST(MenuEntries, VisibleItemsWithCommandsThatFindTheirItem) {
  const std::vector<MenuItemDesc> items{{.name = "a", .caption = "釣果履歴"},
                                        {.name = "b", .caption = "hidden", .visible = false},
                                        {.name = "c", .caption = "-"},
                                        {.name = "d", .caption = "終了"}};
  const std::vector<MenuEntry> entries = MenuEntries(items);
  ASSERT_EQ(entries.size(), 3u);
  EXPECT_EQ(entries[0].caption, "釣果履歴");
  EXPECT_TRUE(entries[1].separator);
  EXPECT_EQ(entries[1].command, 0);
  EXPECT_EQ(ChosenItem(entries[2].command), 3);
  // Nothing chosen, or a separator.
  EXPECT_EQ(ChosenItem(0), std::nullopt);
  EXPECT_EQ(ChosenItem(-1), std::nullopt);
}

TEST(MessageBox, IconsAndAnswers) {
  constexpr BoxIcons<int> icons{.none = 0, .question = 1, .warning = 2, .error = 3};
  EXPECT_EQ(BoxIcon(MsgIcon::None, icons), 0);
  EXPECT_EQ(BoxIcon(MsgIcon::Question, icons), 1);
  EXPECT_EQ(BoxIcon(MsgIcon::Warning, icons), 2);
  EXPECT_EQ(BoxIcon(MsgIcon::Error, icons), 3);
  EXPECT_EQ(BoxAnswer(MsgButtons::Ok, false), MsgAnswer::Ok);
  EXPECT_EQ(BoxAnswer(MsgButtons::Ok, true), MsgAnswer::Ok);
  EXPECT_EQ(BoxAnswer(MsgButtons::YesNo, true), MsgAnswer::Yes);
  EXPECT_EQ(BoxAnswer(MsgButtons::YesNo, false), MsgAnswer::No);
}

TEST(FontChoice, TheWantedFaceOrTheNearestOfItsKind) {
  std::set<std::string> installed{"IPAGothic", "IPAPGothic", "Tahoma"};
  const FaceInstalled has = [&](std::string_view face) {
    return installed.contains(std::string(face));
  };
  const std::string proportional = "ＭＳ Ｐゴシック";
  EXPECT_EQ(ChosenFace({.face = proportional}, has), "IPAPGothic");
  EXPECT_EQ(ChosenFace({.face = "ＭＳ ゴシック"}, has), "IPAGothic");
  EXPECT_EQ(ChosenFace({.face = "Some P Face"}, has), "IPAPGothic");
  EXPECT_EQ(ChosenFace({.face = "Mincho", .serif = true}, has), "Tahoma");
  installed.insert(proportional);
  EXPECT_EQ(ChosenFace({.face = proportional}, has), proportional);
  // None there: the system's default of the kind.
  installed.clear();
  EXPECT_EQ(ChosenFace({.face = proportional}, has), "");
  EXPECT_EQ(ChosenPoints({.points = 0}), 9);
  EXPECT_EQ(ChosenPoints({.points = 12}), 12);
}

}  // namespace
}  // namespace kelvory::testing
