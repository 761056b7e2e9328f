#pragma once

#include <QPushButton>
#include <QWidget>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/qt/qt_resources.h"
#include "platform/types.h"

namespace kelvory::qt {

// Where a window sends what the user does to it; the desktop decides what
// reaches the game.
class WindowListener {
 public:
  virtual void pressed(WindowId, ControlId, MouseButton) = 0;
  virtual void released(WindowId, ControlId, MouseButton) = 0;
  virtual void moved(WindowId, ControlId) = 0;
  virtual void clicked(WindowId, ControlId) = 0;
  virtual void closeRequested(WindowId) = 0;

 protected:
  ~WindowListener() = default;
};

// Labels, picture boxes and images: each paints itself and reports the
// mouse under its own id.
class ControlView final : public QWidget {
 public:
  ControlView(QWidget* parent, WindowId window, ControlId id, const ControlDesc& desc,
              Resources& resources, WindowListener& listener);

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
  WindowListener& listener_;
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

  Surface(QWidget* parent, WindowId window, Rgb back, Resources& resources,
          WindowListener& listener);

  void setBack(Rgb back);
  void setImage(const QImage* image);
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
  WindowListener& listener_;
};

// One top-level window of the game. It keeps its geometry in twips and lays
// itself out in pixels whenever that or the screen's scale changes.
class DeskWindow final : public QWidget {
 public:
  DeskWindow(WindowId id, const WindowDesc& desc, Resources& resources, WindowListener& listener,
             const QImage* icon);
  ~DeskWindow() override;
  DeskWindow(const DeskWindow&) = delete;
  DeskWindow& operator=(const DeskWindow&) = delete;

  Frame frame() const { return frame_; }
  void setTwips(const Twips& geometry);
  // rescaled: the screen's scale changed, so the outline is cut again.
  void relayout(bool rescaled = false);
  // Visibility as the game wants it; a window without area stays unmapped.
  void setWanted(bool shown, bool modal);
  // A fullscreen window covers the screen: the figures step aside, and
  // come back as the game wants them when it leaves. Dialogs stay.
  void setCovered(bool covered);
  // Base-scale pixel rectangles; scaled with the pictures at every layout.
  void setShape(std::vector<PixelRect> rects);

  void setBack(ControlId control, Rgb back);
  void setImage(ControlId control, const QImage* image);
  void print(std::string_view text, double x, double y, const QFont& font);
  void clearPrinted();

  ControlId addControl(const ControlDesc& desc);
  void setControlBox(ControlId control, const Twips& box);
  void setControlText(ControlId control, std::string_view text);
  void setControlVisible(ControlId control, bool visible);
  void setControlToolTip(ControlId control, std::string_view tip);

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

  WindowId id_;
  Frame frame_;
  Twips twips_;
  bool wanted_ = false;
  bool covered_ = false;
  std::optional<std::vector<PixelRect>> shape_;
  bool shapeDirty_ = false;
  Surface* surface_;  // owned by this window
  std::map<ControlId, Child> children_;
  ControlId nextControl_ = 1;
  Resources& resources_;
  WindowListener& listener_;
};

}  // namespace kelvory::qt
