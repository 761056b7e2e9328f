#include "platform/sim/recording_window.h"

#include <cstdint>
#include <utility>

namespace kelvory::sim {

namespace {

std::string RgbText(Rgb c) {
  constexpr char kHex[] = "0123456789ABCDEF";
  std::string text = "#";
  for (const int part : {c.r, c.g, c.b}) {
    text += kHex[(part >> 4) & 15];
    text += kHex[part & 15];
  }
  return text;
}

}  // namespace

RecordingWindow::RecordingWindow(WindowId id, const WindowDesc& desc, Screen& screen,
                                 Recorder& trace)
    : screen_(screen), trace_(trace) {
  state_.id = id;
  state_.created = desc;
  state_.geometry = desc.geometry;
  state_.back = desc.back;
  screen_.add(state_);
  trace_.emit(line("load").integer("id", id).str("rgb", RgbText(desc.back)));
}

RecordingWindow::~RecordingWindow() { screen_.remove(state_); }

ControlState* RecordingWindow::control(ControlId id) {
  if (id == kSurface || id > state_.controls.size()) return nullptr;
  return &state_.controls[id - 1];
}

void RecordingWindow::traceMove(std::string_view control, const Twips& g) {
  trace_.emit(line("move")
                  .str("ctrl", control)
                  .num("left", g.left)
                  .num("top", g.top)
                  .num("width", g.width)
                  .num("height", g.height));
}

// ---- the window --------------------------------------------------------

void RecordingWindow::setTwips(const Twips& g) {
  if (state_.geometry == g) return;
  state_.geometry = g;
  // The commonest line of all: when nobody reads it, not even begun.
  if (trace_.reads("move")) traceMove("", g);
}

void RecordingWindow::setWanted(bool shown, bool modal) {
  if (!shown) {
    if (!state_.visible) return;
    state_.visible = false;
    state_.modal = false;
    trace_.emit(line("hide"));
    return;
  }
  // Shown again without modality, a window stays as it was.
  if (modal ? state_.visible && state_.modal : state_.visible) return;
  state_.visible = true;
  if (!modal) {
    trace_.emit(line("show"));
    return;
  }
  state_.modal = true;
  trace_.emit(line("show").boolean("modal", true));
}

void RecordingWindow::sendToBack() {
  if (screen_.toBack(state_)) trace_.emit(line("order").str("to", "back"));
}

void RecordingWindow::bringToFront() {
  if (screen_.toFront(state_)) trace_.emit(line("order").str("to", "front"));
}

void RecordingWindow::retire() {
  screen_.remove(state_);
  trace_.emit(line("unload"));
}

ShapeResult RecordingWindow::setShape(const Shape& shape) {
  if (screen_.shapeResult() != ShapeResult::Ok) return screen_.shapeResult();
  ShapeInfo& kept = state_.shape ? *state_.shape : state_.shape.emplace();
  if (kept.table != shape.table) kept.table = shape.table;  // mostly the same table
  kept.index = shape.index;
  kept.rectCount = shape.rects.size();
  if (!trace_.reads("shape")) return ShapeResult::Ok;
  trace_.emit(line("shape")
                  .str("table", shape.table)
                  .integer("index", shape.index)
                  .integer("rects", static_cast<std::int64_t>(shape.rects.size())));
  return ShapeResult::Ok;
}

void RecordingWindow::setBack(ControlId id, Rgb colour) {
  Rgb* target = &state_.back;
  if (id != kSurface) {
    ControlState* c = control(id);
    if (c == nullptr) return;
    target = &c->back;
  }
  *target = colour;
  trace_.emit(line("color").str("ctrl", state_.controlName(id)).str("rgb", RgbText(colour)));
}

void RecordingWindow::setPicture(ControlId id, const Picture& picture) {
  std::string* source = &state_.picture;
  const Bitmap** bitmap = &state_.bitmap;
  if (id != kSurface) {
    ControlState* c = control(id);
    if (c == nullptr) return;
    source = &c->picture;
    bitmap = &c->bitmap;
  }
  *source = picture.source;
  *bitmap = picture.bitmap;
  if (!trace_.reads("picture")) return;  // nor the control's name looked up
  trace_.emit(line("picture").str("ctrl", state_.controlName(id)).str("src", picture.source));
}

void RecordingWindow::print(std::string_view text, double x, double y, const Font& font) {
  state_.texts.push_back(PrintedText{std::string(text), x, y, font});
  trace_.emit(line("text").str("ctrl", "").num("x", x).num("y", y).str("text", text));
}

void RecordingWindow::clearPrinted() {
  if (state_.texts.empty()) return;
  state_.texts.clear();
  trace_.emit(line("text").str("ctrl", "").boolean("clear", true));
}

// ---- controls ----------------------------------------------------------

ControlId RecordingWindow::addControl(const ControlDesc& desc) {
  ControlState c;
  c.id = static_cast<ControlId>(state_.controls.size() + 1);
  c.created = desc;
  c.geometry = desc.box;
  c.line = desc.line;
  c.text = desc.text;
  c.visible = desc.visible;
  c.back = desc.back;
  state_.controls.push_back(std::move(c));
  return state_.controls.back().id;
}

void RecordingWindow::setControlBox(ControlId id, const Twips& g) {
  if (id == kSurface) {
    setTwips(g);
    return;
  }
  ControlState* c = control(id);
  if (c == nullptr || c->geometry == g) return;
  c->geometry = g;
  if (trace_.reads("move")) traceMove(c->created.name, g);
}

void RecordingWindow::setControlText(ControlId id, std::string_view text) {
  std::string* target = &state_.created.caption;  // the surface's text is the caption
  if (id != kSurface) {
    ControlState* c = control(id);
    if (c == nullptr) return;
    target = &c->text;
  }
  *target = text;
  trace_.emit(line("text").str("ctrl", state_.controlName(id)).str("text", text));
}

void RecordingWindow::setControlVisible(ControlId id, bool visible) {
  if (id == kSurface) {
    setWanted(visible, false);
    return;
  }
  ControlState* c = control(id);
  if (c == nullptr) return;
  c->visible = visible;
  trace_.emit(line("visible").str("ctrl", c->created.name).boolean("visible", visible));
}

void RecordingWindow::setControlToolTip(ControlId id, std::string_view tip) {
  ControlState* c = control(id);
  if (c == nullptr) return;
  c->toolTip = tip;
  trace_.emit(line("tooltip").str("ctrl", c->created.name).str("text", tip));
}

}  // namespace kelvory::sim
