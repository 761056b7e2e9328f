#pragma once

#include <deque>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "platform/desktop.h"

namespace kelvory {

class Form;

// A child control as the game sees it: its properties read back exactly as
// they were set. Once its window is closed, setting them changes nothing.
class Control {
 public:
  Control(Form& owner, const ControlDesc& desc);

  ControlId id() const { return id_; }
  const std::string& name() const { return name_; }

  const Twips& box() const { return box_; }
  void setBox(const Twips& box);
  void setWidth(double width);
  void setLeft(double left);

  const std::string& text() const { return text_; }
  void setText(std::string_view text);
  bool visible() const { return visible_; }
  void setVisible(bool visible);
  Rgb backColor() const { return back_; }
  void setBackColor(Rgb colour);
  const std::string& toolTip() const { return toolTip_; }
  void setToolTip(std::string_view tip);
  void setPicture(const Picture& picture);

 private:
  Form& owner_;
  ControlId id_;
  std::string name_;
  Twips box_;
  std::string text_;
  bool visible_;
  Rgb back_;
  std::string toolTip_;
};

// A top-level window, created with the object and destroyed with it or by
// close(). A closed form keeps its last properties and ignores new ones, so
// code still running for a window that was just unloaded does no harm.
class Form {
 public:
  Form(Desktop& desktop, const WindowDesc& desc);
  ~Form();
  void close();
  bool open() const { return id_ != 0; }
  Form(const Form&) = delete;
  Form& operator=(const Form&) = delete;

  Desktop& desktop() const { return desktop_; }
  WindowId id() const { return id_; }
  const std::string& name() const { return name_; }

  const Twips& geometry() const { return geometry_; }
  double left() const { return geometry_.left; }
  double top() const { return geometry_.top; }
  double width() const { return geometry_.width; }
  double height() const { return geometry_.height; }
  void setLeft(double left);
  void setTop(double top);
  void setWidth(double width);
  void setHeight(double height);
  void move(double left, double top);
  void setGeometry(const Twips& geometry);

  bool visible() const { return visible_; }
  void show();
  void showModal();
  void hide();
  void sendToBack();
  void bringToFront();

  Rgb backColor() const { return back_; }
  void setBackColor(Rgb colour);
  void setPicture(const Picture& picture);
  ShapeResult setShape(const Shape& shape);
  void clearText();
  void printText(std::string_view text, double x, double y, const Font& font);

  Control& add(const ControlDesc& desc);

 private:
  Desktop& desktop_;
  WindowId id_;
  std::string name_;
  Twips geometry_;
  bool visible_ = false;
  Rgb back_;
  std::deque<Control> controls_;  // stable addresses
};

// A window timer with the familiar Enabled/Interval properties. Ticks that
// come while the handler is still on the stack (it may wait and so process
// messages) are dropped: a timer never re-enters its own handler.
class Timer {
 public:
  Timer(const Form& owner, std::string_view name, int interval, bool enabled,
        std::function<void()> handler);
  ~Timer();
  Timer(const Timer&) = delete;
  Timer& operator=(const Timer&) = delete;
  void close();  // a closed timer never ticks again

  bool enabled() const { return enabled_; }
  int interval() const { return interval_; }
  void setEnabled(bool enabled);
  void setInterval(int interval);

 private:
  void tick();

  Desktop& desktop_;
  TimerId id_;
  int interval_;
  bool enabled_;
  bool running_ = false;
  std::function<void()> handler_;
};

}  // namespace kelvory
