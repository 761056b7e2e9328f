#include "platform/form.h"

#include <utility>

namespace kelvory {

Control::Control(Form& owner, const ControlDesc& desc)
    : owner_(owner),
      id_(owner.desktop().addControl(owner.id(), desc)),
      name_(desc.name),
      box_(desc.box),
      text_(desc.text),
      visible_(desc.visible),
      back_(desc.back) {}

void Control::setBox(const Twips& box) {
  box_ = box;
  if (owner_.open()) owner_.desktop().setControlGeometry(owner_.id(), id_, box_);
}

void Control::setWidth(double width) {
  Twips box = box_;
  box.width = width;
  setBox(box);
}

void Control::setLeft(double left) {
  Twips box = box_;
  box.left = left;
  setBox(box);
}

void Control::setText(std::string_view text) {
  text_ = text;
  if (owner_.open()) owner_.desktop().setText(owner_.id(), id_, text_);
}

void Control::setVisible(bool visible) {
  visible_ = visible;
  if (owner_.open()) owner_.desktop().setVisible(owner_.id(), id_, visible);
}

void Control::setBackColor(Rgb colour) {
  back_ = colour;
  if (owner_.open()) owner_.desktop().setBackColor(owner_.id(), id_, colour);
}

void Control::setToolTip(std::string_view tip) {
  toolTip_ = tip;
  if (owner_.open()) owner_.desktop().setToolTip(owner_.id(), id_, toolTip_);
}

void Control::setPicture(const Picture& picture) {
  if (owner_.open()) owner_.desktop().setPicture(owner_.id(), id_, picture);
}

Form::Form(Desktop& desktop, const WindowDesc& desc)
    : desktop_(desktop), id_(desktop.createWindow(desc)), name_(desc.name), back_(desc.back) {
  Twips geometry = desc.geometry;
  if (desc.frame == Frame::Dialog) {
    // A framed window's size is its outer size, frame and caption included,
    // so that placing it by its Height keeps the whole frame where meant.
    const ScreenMetrics m = desktop.metrics();
    geometry.width += m.dialogFrameWidthPx * m.twipsPerPixel;
    geometry.height += m.dialogFrameHeightPx * m.twipsPerPixel;
  }
  setGeometry(geometry);
}

Form::~Form() { close(); }

void Form::close() {
  if (!open()) return;
  desktop_.destroyWindow(std::exchange(id_, 0));
  visible_ = false;
}

void Form::setGeometry(const Twips& geometry) {
  if (geometry == geometry_) return;
  geometry_ = geometry;
  if (open()) desktop_.setGeometry(id_, geometry_);
}

void Form::setLeft(double left) {
  setGeometry({left, geometry_.top, geometry_.width, geometry_.height});
}
void Form::setTop(double top) {
  setGeometry({geometry_.left, top, geometry_.width, geometry_.height});
}
void Form::setWidth(double width) {
  setGeometry({geometry_.left, geometry_.top, width, geometry_.height});
}
void Form::setHeight(double height) {
  setGeometry({geometry_.left, geometry_.top, geometry_.width, height});
}
void Form::move(double left, double top) {
  setGeometry({left, top, geometry_.width, geometry_.height});
}

void Form::show() {
  visible_ = open();
  if (open()) desktop_.show(id_);
}

void Form::showModal() {
  visible_ = open();
  if (open()) desktop_.showModal(id_);
}

void Form::hide() {
  visible_ = false;
  if (open()) desktop_.hide(id_);
}

void Form::sendToBack() {
  if (open()) desktop_.sendToBack(id_);
}
void Form::bringToFront() {
  if (open()) desktop_.bringToFront(id_);
}

void Form::setBackColor(Rgb colour) {
  back_ = colour;
  if (open()) desktop_.setBackColor(id_, kSurface, colour);
}

void Form::setPicture(const Picture& picture) {
  if (open()) desktop_.setPicture(id_, kSurface, picture);
}

ShapeResult Form::setShape(const Shape& shape) {
  return open() ? desktop_.setShape(id_, shape) : ShapeResult::Ok;
}

void Form::clearText() {
  if (open()) desktop_.clearText(id_);
}

void Form::printText(std::string_view text, double x, double y, const Font& font) {
  if (open()) desktop_.printText(id_, text, x, y, font);
}

Control& Form::add(const ControlDesc& desc) { return controls_.emplace_back(*this, desc); }

Timer::Timer(const Form& owner, std::string_view name, int interval, bool enabled,
             std::function<void()> handler)
    : desktop_(owner.desktop()),
      id_(desktop_.createTimer(owner.id(), name, [this] { tick(); })),
      interval_(interval),
      enabled_(enabled),
      handler_(std::move(handler)) {
  if (enabled_) desktop_.setTimer(id_, enabled_, interval_);
}

Timer::~Timer() { close(); }

void Timer::close() {
  if (id_ != 0) desktop_.destroyTimer(std::exchange(id_, 0));
  enabled_ = false;
}

void Timer::setEnabled(bool enabled) {
  if (id_ == 0) return;
  enabled_ = enabled;
  desktop_.setTimer(id_, enabled_, interval_);
}

void Timer::setInterval(int interval) {
  if (id_ == 0) return;
  interval_ = interval;
  desktop_.setTimer(id_, enabled_, interval_);
}

void Timer::tick() {
  if (running_ || !enabled_) return;
  running_ = true;
  struct Reset {
    bool& flag;
    ~Reset() { flag = false; }
  } reset{running_};
  handler_();
}

}  // namespace kelvory
