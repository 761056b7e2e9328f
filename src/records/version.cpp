#include "records/version.h"

#include "app/scene.h"
#include "assets/pictures.h"

namespace kelvory {
namespace {

WindowDesc VersionDesc() {
  WindowDesc desc;
  desc.name = "frm_Version";
  desc.frame = Frame::Dialog;
  desc.caption = "ﾊﾞｰｼﾞｮﾝ情報";
  desc.icon = true;
  desc.geometry = {0, 0, 3945, 1125};
  return desc;
}

ControlDesc Text(const char* name, Twips box, const char* text, Font font) {
  ControlDesc desc;
  desc.name = name;
  desc.kind = ControlKind::Label;
  desc.box = box;
  desc.text = text;
  desc.font = std::move(font);
  return desc;
}

ControlDesc Rule(const char* name, double y, Rgb colour, int width) {
  ControlDesc desc;
  desc.name = name;
  desc.kind = ControlKind::Line;
  desc.line = {0, y, 3945, y};
  desc.fore = colour;
  desc.lineWidth = width;
  return desc;
}

ControlDesc OkButton() {
  ControlDesc desc = Text("Command1", {3075, 120, 795, 345}, "OK", {"ＭＳ Ｐゴシック", 9});
  desc.kind = ControlKind::Button;
  return desc;
}

ControlDesc IconImage() {
  ControlDesc desc;
  desc.name = "Image1";
  desc.kind = ControlKind::Image;
  desc.box = {105, 195, 480, 480};
  return desc;
}

}  // namespace

VersionWindow::VersionWindow(Scene& s)
    : GameWindow(s, VersionDesc()), Command1(form.add(OkButton())) {
  form.add(IconImage()).setPicture({&assets::icon(), "Image1"});
  form.add(
      Text("Label2(0)", {645, 150, 2385, 285}, "Kelvory", {"Times New Roman", 14, true, true}));
  form.add(Text("Label2(1)", {1515, 525, 1515, 285}, "Version 1.1.0",
                {"Times New Roman", 9.75, true, true}));
  form.add(Rule("Line1(2)", 870, kWhite, 1));
  form.add(Rule("Line1(3)", 885, kBlack, 2));
  form.add(Rule("Line1(4)", 870, kWhite, 1));
  form.add(Text("Label1", {780, 930, 2775, 225}, "Copyright (C) 2026 The Kelvory Project",
                {"ＭＳ Ｐゴシック", 9}));

  const ScreenMetrics m = scene.desktop.metrics();
  const double screenHeight = static_cast<double>(m.heightPx) * m.twipsPerPixel;
  form.move((scene.screenWidthTwips() - form.width()) / 2, (screenHeight - form.height()) / 2);
}

void VersionWindow::clicked(ControlId ctrl) {
  if (ctrl == Command1.id()) scene.unloadVersion();
}

}  // namespace kelvory
