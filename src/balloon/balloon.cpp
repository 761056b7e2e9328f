#include "balloon/balloon.h"

#include "assets/pictures.h"
#include "base/fonts.h"
#include "base/scene.h"
#include "base/shape_table.h"
#include "shapes/apply_shape.h"

namespace kelvory {
namespace {

std::unique_ptr<GameWindow> MakePiece(Scene& scene, const char* name, const char* caption, Rgb back,
                                      Twips design) {
  return std::make_unique<GameWindow>(scene, WindowDesc{.name = name,
                                                        .frame = Frame::None,
                                                        .caption = caption,
                                                        .back = back,
                                                        .geometry = design});
}

Picture Cap(int index) { return {&assets::balloonCap(index), PictureArraySource(index)}; }

void ShapeCap(Scene& scene, Form& piece, int cap, double width) {
  piece.setPicture(Cap(cap));
  piece.setHeight(270);
  piece.setWidth(width);
  ApplyBalloonShape(scene, cap, piece);
}

ControlDesc LineDesc(const char* name, double y, double width) {
  return {.name = name, .kind = ControlKind::Line, .line = {0, y, width, y}};
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

void ShowBalloon(Scene& scene, std::string_view text, double x, double y, BalloonSide side) {
  Form& centre = scene.frmC().form;
  centre.clearText();
  if (!scene.balloonShapes) scene.balloonShapes = BuildBalloonShapes();
  Form& left = scene.frmL().form;
  const double top = y - left.height();

  centre.setWidth(scene.desktop.textWidth(SmallFont(), text));
  centre.setHeight(220);
  centre.printText(text, 0, 40, SmallFont());

  Form& right = scene.frmR().form;
  if (side == BalloonSide::Right) {
    ShapeCap(scene, left, cap::kLeftWithTail, 120);
    ShapeCap(scene, right, cap::kRight, 105);
  } else {
    ShapeCap(scene, left, cap::kLeft, 105);
    ShapeCap(scene, right, cap::kRightWithTail, 120);
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
