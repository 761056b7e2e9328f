#include "records/history.h"

#include <algorithm>
#include <array>
#include <string>

#include "assets/pictures.h"
#include "base/catalogue.h"
#include "base/fonts.h"
#include "base/scene.h"
#include "base/wait.h"

namespace kelvory {
namespace {

// The grid: kColumns cells a row, kCell twips each way, one cell per species.
// The count under the mouse sits in the last row's two right cells, or in a
// row of its own below when the species fill them.
constexpr int kColumns = 5;
constexpr double kCell = 630;
constexpr double kGridTop = 300;
constexpr int kRows = (kSpeciesCount + kColumns - 1) / kColumns;
constexpr bool kCountInGrid = kRows * kColumns - kSpeciesCount >= 2;
// What lies below the grid moves down a cell for each row beyond three.
constexpr double kShift = kCell * ((kCountInGrid ? kRows : kRows + 1) - 3);
// The lines between the columns, each as long as the column to its left.
constexpr std::array<double, kColumns - 1> kColumnLine{615, 1260, 1885, 2520};

double RowBottom(int rows) { return kGridTop + kCell * rows; }

WindowDesc HistoryDesc() {
  return {.name = "frmList",
          .frame = Frame::Dialog,
          .caption = "Kelvory",
          .icon = true,
          .geometry = {0, 0, 3180, 2715 + kShift}};
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

// Cell of species i.
Twips Cell(int i) {
  return {45.0 + kCell * (i % kColumns), kGridTop + 45.0 + kCell * (i / kColumns), 540, 540};
}

}  // namespace

HistoryWindow::HistoryWindow(Scene& s) : GameWindow(s, HistoryDesc()) {
  form.add(Label("Label1", {75, 60, 3075, 165}, "釣果履歴"));
  surface_.push_back(form.add(Border({0, kGridTop, 3165, kCell * kRows + 15})).id());
  for (int row = 1; row < kRows; ++row) {
    const double y = RowBottom(row);
    surface_.push_back(
        form.add(Line("Line1(" + std::to_string(row - 1) + ")", {15, y, 3150, y})).id());
  }
  for (int column = 0; column < kColumns - 1; ++column) {
    const int rows = (kSpeciesCount - column + kColumns - 1) / kColumns;
    const double x = kColumnLine[static_cast<std::size_t>(column)];
    surface_.push_back(
        form.add(Line("Line" + std::to_string(column + 2), {x, kGridTop, x, RowBottom(rows)}))
            .id());
  }
  for (int i = 0; i < kSpeciesCount; ++i) {
    const ControlDesc desc{.name = "Picture1(" + std::to_string(i) + ")",
                           .kind = ControlKind::PictureBox,
                           .box = Cell(i),
                           .visible = false};
    Control& picture = form.add(desc);
    picture.setPicture({&assets::historySprite(i), desc.name});
    Picture1[static_cast<std::size_t>(i)] = &picture;
  }
  Label2 = &form.add(Label("Label2", {1980, 1800 + kShift, 1095, 240}, ""));
  Command1 = &form.add(Button("Command1", {360, 2250 + kShift, 1080, 420}, "閉じる"));
  Command2 = &form.add(Button("Command2", {1845, 2250 + kShift, 1080, 420}, "釣果クリア"));

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
