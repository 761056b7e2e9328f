#include "records/version.h"

#include "app/scene.h"
#include "assets/pictures.h"

namespace kelvory {
namespace {

WindowSpec VersionSpec() {
  WindowSpec spec;
  spec.name = "frm_Version";
  spec.frame = Frame::Dialog;
  spec.caption = "ﾊﾞｰｼﾞｮﾝ情報";
  spec.icon = true;
  spec.geometry = {0, 0, 3945, 1125};
  return spec;
}

ControlSpec Text(const char* name, Twips box, const char* text, Font font) {
  ControlSpec spec;
  spec.name = name;
  spec.kind = ControlKind::Label;
  spec.box = box;
  spec.text = text;
  spec.font = std::move(font);
  return spec;
}

ControlSpec Rule(const char* name, double y, Rgb colour, int width) {
  ControlSpec spec;
  spec.name = name;
  spec.kind = ControlKind::Line;
  spec.line = {0, y, 3945, y};
  spec.fore = colour;
  spec.lineWidth = width;
  return spec;
}

ControlSpec OkButton() {
  ControlSpec spec = Text("Command1", {3075, 120, 795, 345}, "OK", {"ＭＳ Ｐゴシック", 9});
  spec.kind = ControlKind::Button;
  return spec;
}

ControlSpec IconImage() {
  ControlSpec spec;
  spec.name = "Image1";
  spec.kind = ControlKind::Image;
  spec.box = {105, 195, 480, 480};
  return spec;
}

}  // namespace

VersionWindow::VersionWindow(Scene& s)
    : GameWindow(s, VersionSpec()), Command1(form.add(OkButton())) {
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
