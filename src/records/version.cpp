#include "records/version.h"

#include <string>

#include "assets/pictures.h"
#include "base/fonts.h"
#include "base/scene.h"
#include "kelvory_version.h"

namespace kelvory {
namespace {

WindowDesc VersionDesc() {
  return {.name = "frm_Version",
          .frame = Frame::Dialog,
          .caption = "ﾊﾞｰｼﾞｮﾝ情報",
          .icon = true,
          .geometry = {0, 0, 3945, 1125}};
}

ControlDesc Text(const char* name, Twips box, std::string text, Font font) {
  return {.name = name,
          .kind = ControlKind::Label,
          .box = box,
          .text = std::move(text),
          .font = std::move(font)};
}

ControlDesc Rule(const char* name, double y, Rgb colour, int width) {
  return {.name = name,
          .kind = ControlKind::Line,
          .line = {0, y, 3945, y},
          .fore = colour,
          .lineWidth = width};
}

ControlDesc OkButton() {
  ControlDesc desc = Text("Command1", {3075, 120, 795, 345}, "OK", DialogFont());
  desc.kind = ControlKind::Button;
  return desc;
}

ControlDesc IconImage() {
  return {.name = "Image1", .kind = ControlKind::Image, .box = {105, 195, 480, 480}};
}

}  // namespace

VersionWindow::VersionWindow(Scene& s)
    : GameWindow(s, VersionDesc()), Command1(form.add(OkButton())) {
  form.add(IconImage()).setPicture({&assets::icon(), "Image1"});
  form.add(
      Text("Label2(0)", {645, 150, 2385, 285}, "Kelvory", {"Times New Roman", 14, true, true}));
  form.add(Text("Label2(1)", {1515, 525, 1515, 285}, "Version " + std::string(kVersion),
                {"Times New Roman", 9.75, true, true}));
  form.add(Rule("Line1(2)", 870, kWhite, 1));
  form.add(Rule("Line1(3)", 885, kBlack, 2));
  form.add(Rule("Line1(4)", 870, kWhite, 1));
  form.add(Text("Label1", {780, 930, 2775, 225}, "Copyright (C) 2026 The Kelvory Project",
                DialogFont()));

  form.move((scene.screenWidthTwips() - form.width()) / 2,
            (scene.screenHeightTwips() - form.height()) / 2);
}

void VersionWindow::clicked(ControlId ctrl) {
  if (ctrl == Command1.id()) scene.unloadVersion();
}

}  // namespace kelvory
