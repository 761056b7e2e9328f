#include "balloon/balloon.h"

#include "app/scene.h"
#include "assets/pictures.h"
#include "shapes/apply_shape.h"

namespace kelvory {
namespace {

const Font& BalloonFont() {
  static const Font font{"ＭＳ Ｐゴシック", 8.25, false, false};
  return font;
}

std::unique_ptr<GameWindow> MakePiece(Scene& scene, const char* name, const char* caption, Rgb back,
                                      Twips design) {
  WindowDesc desc;
  desc.name = name;
  desc.caption = caption;
  desc.frame = Frame::None;
  desc.back = back;
  desc.geometry = design;
  return std::make_unique<GameWindow>(scene, desc);
}

Picture Cap(int index) {
  return {&assets::balloonCap(index), "Picture1(" + std::to_string(index) + ")"};
}

void ShapeCap(Scene& scene, Form& piece, int cap, double width) {
  piece.setPicture(Cap(cap));
  piece.setHeight(270);
  piece.setWidth(width);
  ApplyBalloonShape(scene, cap, piece);
}

ControlDesc LineDesc(const char* name, double y, double width) {
  ControlDesc desc;
  desc.name = name;
  desc.kind = ControlKind::Line;
  desc.line = {0, y, width, y};
  return desc;
}

}  // namespace

std::unique_ptr<GameWindow> MakeBalloonLeft(Scene& scene) {
  return MakePiece(scene, "frmL", "LEFT", kRed, {0, 0, 5055, 150});
}

std::unique_ptr<GameWindow> MakeBalloonCentre(Scene& scene) {
  return MakePiece(scene, "frmC", "CENTER", kWhite, {0, 0, 5550, 420});
}

std::unique_ptr<GameWindow> MakeBalloonRight(Scene& scene) {
  return MakePiece(scene, "frmR", "RIGHT", kRed, {0, 0, 5370, 285});
}

void ShowBalloon(Scene& scene, std::string_view text, double x, double y, int side) {
  Form& centre = scene.frmC().form;
  centre.clearText();
  if (!scene.balloonShapes) scene.balloonShapes = BuildBalloonShapes();
  Form& left = scene.frmL().form;
  const double top = y - left.height();

  centre.setWidth(scene.desktop.textWidth(BalloonFont(), text));
  centre.setHeight(220);
  centre.printText(text, 0, 40, BalloonFont());

  Form& right = scene.frmR().form;
  if (side == 0) {
    ShapeCap(scene, left, 0, 120);
    ShapeCap(scene, right, 1, 105);
  } else if (side == 1) {
    ShapeCap(scene, left, 2, 105);
    ShapeCap(scene, right, 3, 120);
    x -= centre.width() + left.width();
  }

  centre.add(LineDesc("Line1", 0, centre.width()));
  centre.add(LineDesc("Line2", centre.height() - 8, centre.width()));

  left.move(x, top);
  centre.move(x + left.width(), top + 10);
  right.move(x + left.width() + centre.width(), top);
  left.show();
  centre.show();
  right.show();
}

}  // namespace kelvory
