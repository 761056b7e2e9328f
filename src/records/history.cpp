#include "records/history.h"

#include <algorithm>
#include <string>

#include "assets/pictures.h"
#include "base/catalogue.h"
#include "base/fonts.h"
#include "base/scene.h"
#include "base/wait.h"

namespace kelvory {
namespace {

WindowDesc HistoryDesc() {
  return {.name = "frmList",
          .frame = Frame::Dialog,
          .caption = "Kelvory",
          .icon = true,
          .geometry = {0, 0, 3180, 2715}};
}

ControlDesc Label(const char* name, Twips box, const char* text) {
  return {.name = name, .kind = ControlKind::Label, .box = box, .text = text, .font = DialogFont()};
}

ControlDesc Line(std::string name, Segment segment) {
  return {.name = std::move(name), .kind = ControlKind::Line, .line = segment};
}

ControlDesc Button(const char* name, Twips box, const char* text) {
  ControlDesc desc = Label(name, box, text);
  desc.kind = ControlKind::Button;
  return desc;
}

ControlDesc Border(Twips box) {
  return {.name = "Shape1", .kind = ControlKind::Rectangle, .box = box};
}

// Cell of species i: five columns, 630 twips apart.
Twips Cell(int i) { return {45.0 + 630 * (i % 5), 345.0 + 630 * (i / 5), 540, 540}; }

}  // namespace

HistoryWindow::HistoryWindow(Scene& s) : GameWindow(s, HistoryDesc()) {
  form.add(Label("Label1", {75, 60, 3075, 165}, "釣果履歴"));
  surface_ = {
      form.add(Border({0, 300, 3165, 1905})).id(),
      form.add(Line("Line1(0)", {15, 930, 3150, 930})).id(),
      form.add(Line("Line1(1)", {15, 1560, 3150, 1560})).id(),
      form.add(Line("Line2", {615, 300, 615, 2190})).id(),
      form.add(Line("Line3", {1260, 300, 1260, 2190})).id(),
      form.add(Line("Line4", {1885, 300, 1885, 2190})).id(),
      form.add(Line("Line5", {2520, 300, 2520, 1560})).id(),
  };
  for (int i = 0; i < kSpeciesCount; ++i) {
    const ControlDesc desc{.name = "Picture1(" + std::to_string(i) + ")",
                           .kind = ControlKind::PictureBox,
                           .box = Cell(i),
                           .visible = false};
    Control& picture = form.add(desc);
    picture.setPicture({&assets::historySprite(i), desc.name});
    Picture1[static_cast<std::size_t>(i)] = &picture;
  }
  Label2 = &form.add(Label("Label2", {1980, 1800, 1095, 240}, ""));
  Command1 = &form.add(Button("Command1", {360, 2250, 1080, 420}, "閉じる"));
  Command2 = &form.add(Button("Command2", {1845, 2250, 1080, 420}, "釣果クリア"));

  form.move(0, scene.frmMan().form.top() - form.height() - 100);
  for (int i = 0; i < kSpeciesCount; ++i) {
    Control& picture = *Picture1[static_cast<std::size_t>(i)];
    if (scene.catches.CatchCount[static_cast<std::size_t>(i)] > 0) {
      picture.setVisible(true);
      picture.setToolTip(FishName(i));
    } else {
      picture.setVisible(false);
    }
  }
}

void HistoryWindow::mouseMove(ControlId ctrl) {
  for (int i = 0; i < kSpeciesCount; ++i) {
    if (Picture1[static_cast<std::size_t>(i)]->id() == ctrl) {
      Label2->setText(std::to_string(scene.catches.CatchCount[static_cast<std::size_t>(i)]) +
                      " 匹");
      return;
    }
  }
  if (ctrl == kSurface || std::find(surface_.begin(), surface_.end(), ctrl) != surface_.end()) {
    Label2->setText("");
  }
}

void HistoryWindow::clicked(ControlId ctrl) {
  if (ctrl == Command1->id()) {
    scene.unloadHistory();
  } else if (ctrl == Command2->id()) {
    clearRecord();
  }
}

void HistoryWindow::clearRecord() {
  const MsgAnswer answer = scene.desktop.messageBox("釣果をクリアしていいですか？",
                                                    MsgButtons::YesNo, MsgIcon::Question);
  if (answer != MsgAnswer::Yes || !alive()) return;
  for (Control* picture : Picture1) {
    picture->setVisible(false);
    picture->setToolTip("");
  }
  scene.catches.CatchCount.fill(0);
  if (!scene.catches.SaveCatchCounts()) {
    scene.desktop.messageBox(kNotSavedMessage, MsgButtons::Ok, MsgIcon::Warning);
  }
}

}  // namespace kelvory
