#pragma once

#include <QPushButton>
#include <QWidget>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/core/native_window.h"
#include "platform/desktop.h"
#include "platform/qt/qt_resources.h"
#include "platform/qt/qt_server_drawing.h"

namespace kelvory::qt {

// Labels, picture boxes and images: each paints itself and reports the
// mouse under its own id.
class ControlView final : public QWidget {
 public:
  ControlView(QWidget* parent, WindowId window, ControlId id, const ControlDesc& desc,
              Resources& resources, InputSink& listener);

  void setText(std::string_view text);
  void setBack(Rgb back);
  void setImage(const QImage* image);

 protected:
  void paintEvent(QPaintEvent*) override;
  void mousePressEvent(QMouseEvent*) override;
  void mouseReleaseEvent(QMouseEvent*) override;
  void mouseMoveEvent(QMouseEvent*) override;

 private:
  WindowId window_;
  ControlId id_;
  ControlKind kind_;
  QString text_;
  QFont font_;
  Rgb fore_;
  Rgb back_;
  bool transparent_;
  const QImage* image_ = nullptr;
  Resources& resources_;
  InputSink& listener_;
};

// The client area: back colour, picture, lines and rectangles, printed text.
class Surface final : public QWidget {
 public:
  struct Decoration {
    ControlKind kind = ControlKind::Line;
    Segment line;
    Twips box;
    Rgb colour;
    int width = 1;
    bool visible = true;
  };

  Surface(QWidget* parent, WindowId window, Rgb back, Resources& resources, InputSink& listener);

  // A figure the X server draws takes a new look without a repaint in Qt.
  void setBack(Rgb back, bool repaint = true);
  void setImage(const QImage* image, bool repaint = true);
  Rgb back() const { return back_; }
  const QImage* image() const { return image_; }
  // Nothing but the colour and the picture: no lines, boxes or text.
  bool plain() const { return printed_.empty() && decorations_.empty(); }
  void print(std::string_view text, double x, double y, const QFont& font);
  void clearPrinted();
  Decoration* decoration(ControlId id);
  void addDecoration(ControlId id, const Decoration& decoration);

 protected:
  void paintEvent(QPaintEvent*) override;
  void mousePressEvent(QMouseEvent*) override;
  void mouseReleaseEvent(QMouseEvent*) override;
  void mouseMoveEvent(QMouseEvent*) override;

 private:
  struct Printed {
    QString text;
    double x, y;
    QFont font;
  };

  WindowId window_;
  Rgb back_;
  const QImage* image_ = nullptr;
  std::vector<Printed> printed_;
  std::map<ControlId, Decoration> decorations_;
  Resources& resources_;
  InputSink& listener_;
};

// One top-level window of the game. It keeps its geometry in twips and lays
// itself out in pixels whenever that or the screen's scale changes.
class DeskWindow final : public QWidget, public NativeWindow {
 public:
  DeskWindow(WindowId id, const WindowDesc& desc, Resources& resources, InputSink& listener,
             const QImage* icon);
  ~DeskWindow() override;
  DeskWindow(const DeskWindow&) = delete;
  DeskWindow& operator=(const DeskWindow&) = delete;

  void setTwips(const Twips& geometry) override;
  void relayout(bool rescaled) override;
  // A window without area stays unmapped. Modal: application-modal, so Qt
  // itself blocks the other windows.
  void setWanted(bool shown, bool modal) override;
  void setCovered(bool covered) override;
  void allowInput(bool) override {}
  void sendToBack() override;
  void bringToFront() override { raise(); }
  void retire() override { QWidget::hide(); }
  ShapeResult setShape(const Shape& shape) override;

  // Controls are widgets on the surface; lines and rectangles the surface
  // draws itself.
  ControlId addControl(const ControlDesc& desc) override;
  void setControlBox(ControlId control, const Twips& box) override;
  void setControlText(ControlId control, std::string_view text) override;
  void setControlVisible(ControlId control, bool visible) override;
  void setControlToolTip(ControlId control, std::string_view tip) override;

  // The surface: back colour, picture and printed text.
  void setBack(ControlId control, Rgb back) override;
  void setPicture(ControlId control, const Picture& picture) override;
  void print(std::string_view text, double x, double y, const Font& font) override;
  void clearPrinted() override;

 protected:
  void paintEvent(QPaintEvent*) override;
  void changeEvent(QEvent*) override;
  void closeEvent(QCloseEvent*) override;
  void mousePressEvent(QMouseEvent*) override;
  void mouseReleaseEvent(QMouseEvent*) override;
  void mouseMoveEvent(QMouseEvent*) override;

 private:
  struct Child {
    ControlKind kind;
    Twips box;
    ControlView* view = nullptr;    // owned by the surface
    QPushButton* button = nullptr;  // owned by the surface
    QWidget* widget() const { return view ? static_cast<QWidget*>(view) : button; }
  };

  Child* child(ControlId control);
  void applyVisibility();
  // A figure of one colour and one picture is drawn by the X server where it
  // can be; any other window, or a figure that gains more, by Qt.
  void refreshLook();
  // A figure's window to its place on the screen.
  void place(const QRect& shown);
  // Qt's idea of a figure's geometry made right again, before Qt maps or
  // paints the window.
  void tellQtPlace();

  WindowId id_;
  Frame frame_;
  Twips twips_;
  Visibility visibility_;
  std::optional<std::vector<PixelRect>> shape_;
  bool shapeDirty_ = false;
  // The game's box in the window's own coordinates: off its top left where
  // the window is cut at the screen's edge. The outline is laid from there.
  QRect inner_;
  QPoint maskOrigin_;
  std::optional<QRect> placed_;  // where the figure's window stands, once placed
  Surface* surface_;             // owned by this window
  std::map<ControlId, Child> children_;
  ControlId nextControl_ = 1;
  Resources& resources_;
  InputSink& listener_;
  ServerDrawing drawing_{*this};
};

}  // namespace kelvory::qt
