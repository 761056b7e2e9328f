#include "platform/qt/qt_window.h"

#include <QCloseEvent>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QRegion>
#include <QScreen>
#include <QTimer>
#include <optional>

#include "platform/core/screen_layout.h"
#include "platform/qt/qt_label_text.h"
#include "platform/qt/qt_outline.h"
#include "platform/qt/qt_quiet_moves.h"
#include "platform/qt/qt_wm_hints.h"

namespace kelvory::qt {
namespace {

std::optional<MouseButton> GameButton(Qt::MouseButton button) {
  switch (button) {
    case Qt::LeftButton:
      return MouseButton::Left;
    case Qt::RightButton:
      return MouseButton::Right;
    case Qt::MiddleButton:
      return MouseButton::Middle;
    default:
      return std::nullopt;
  }
}

// The three mouse handlers of every widget kind do the same thing.
void ReportPress(QMouseEvent* event, InputSink& listener, WindowId window, ControlId id) {
  event->accept();
  if (const auto button = GameButton(event->button())) listener.mouseDown(window, id, *button);
}

void ReportRelease(QMouseEvent* event, InputSink& listener, WindowId window, ControlId id) {
  event->accept();
  if (const auto button = GameButton(event->button())) listener.mouseUp(window, id, *button);
}

void ReportMove(QMouseEvent* event, InputSink& listener, WindowId window, ControlId id) {
  event->accept();
  listener.mouseMove(window, id);
}

// The scene stays above ordinary windows and never takes the focus. On X11
// its windows bypass the window manager (override-redirect): a tiling one
// would tile or float and enlarge them, and every one would frame, place or
// (for a utility window transient for Qt's unmapped client leader) hide
// them; unmanaged, they stand where the game puts them and in no task list.
constexpr Qt::WindowFlags kSceneFlags = Qt::FramelessWindowHint | Qt::Tool |
                                        Qt::WindowStaysOnTopHint | Qt::WindowDoesNotAcceptFocus |
                                        Qt::X11BypassWindowManagerHint;

Qt::WindowFlags FlagsFor(Frame frame) {
  switch (frame) {
    case Frame::Dialog:
      return Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
             Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint;
    case Frame::None:
      // The figures let every click through to what lies below: only the
      // panel takes the player's input.
      return kSceneFlags | Qt::WindowTransparentForInput;
    case Frame::Thin:
    case Frame::Hidden:
      break;
  }
  return kSceneFlags;
}

// The part of a figure's box on the screen under its centre.
QRect OnScreen(const QRect& box) {
  const QScreen* screen = QGuiApplication::screenAt(box.center());
  if (screen == nullptr) screen = QGuiApplication::primaryScreen();
  return screen != nullptr ? box & screen->geometry() : box;
}

// The thin frame's border, drawn inside the window's own rectangle.
constexpr int kThinBorder = 1;
const QColor kBorderColour(0x40, 0x40, 0x40);

}  // namespace

ControlView::ControlView(QWidget* parent, WindowId window, ControlId id, const ControlDesc& desc,
                         Resources& resources, InputSink& listener)
    : QWidget(parent),
      window_(window),
      id_(id),
      kind_(desc.kind),
      text_(ToQString(desc.text)),
      font_(resources.font(desc.font)),
      fore_(desc.fore),
      back_(desc.back),
      transparent_(desc.transparent),
      resources_(resources),
      listener_(listener) {
  setMouseTracking(true);
}

// The game sets the clock's text every second and many pictures every step,
// mostly to what they already are: only a change is worth a repaint.
void ControlView::setText(std::string_view text) {
  QString next = ToQString(text);
  if (next == text_) return;
  text_ = std::move(next);
  update();
}

void ControlView::setBack(Rgb back) {
  if (back == back_) return;
  back_ = back;
  update();
}

void ControlView::setImage(const QImage* image) {
  if (image == image_) return;
  image_ = image;
  update();
}

void ControlView::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  const bool opaque =
      kind_ == ControlKind::PictureBox || (kind_ == ControlKind::Label && !transparent_);
  if (opaque) painter.fillRect(rect(), ToColor(back_));
  if (image_ != nullptr) DrawPicture(painter, *image_, resources_.grid().pictureScale);
  if (kind_ == ControlKind::Label && !text_.isEmpty()) {
    painter.setPen(ToColor(fore_));
    const QtLabelText measured(font_, text_);
    const LabelFit fit = FitLabel(measured, measured.naturalSize(), width(), height());
    painter.setFont(measured.at(fit.pixelSize));
    int flags = Qt::AlignLeft | Qt::AlignTop;
    if (fit.wrap) flags |= Qt::TextWordWrap;
    // Text is clipped to its rectangle: a lifted one still ends at the bottom.
    painter.drawText(QRect(0, -fit.lift, width(), height() + fit.lift), flags, text_);
  }
}

void ControlView::mousePressEvent(QMouseEvent* event) {
  ReportPress(event, listener_, window_, id_);
}
void ControlView::mouseReleaseEvent(QMouseEvent* event) {
  ReportRelease(event, listener_, window_, id_);
}
void ControlView::mouseMoveEvent(QMouseEvent* event) { ReportMove(event, listener_, window_, id_); }

Surface::Surface(QWidget* parent, WindowId window, Rgb back, Resources& resources,
                 InputSink& listener)
    : QWidget(parent), window_(window), back_(back), resources_(resources), listener_(listener) {
  setMouseTracking(true);
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void Surface::setBack(Rgb back, bool repaint) {
  if (back == back_) return;
  back_ = back;
  if (repaint) update();
}

void Surface::setImage(const QImage* image, bool repaint) {
  if (image == image_) return;
  image_ = image;
  if (repaint) update();
}

void Surface::print(std::string_view text, double x, double y, const QFont& font) {
  printed_.push_back({ToQString(text), x, y, font});
  update();
}

void Surface::clearPrinted() {
  printed_.clear();
  update();
}

Surface::Decoration* Surface::decoration(ControlId id) {
  const auto it = decorations_.find(id);
  return it == decorations_.end() ? nullptr : &it->second;
}

void Surface::addDecoration(ControlId id, const Decoration& decoration) {
  decorations_[id] = decoration;
  update();
}

void Surface::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), ToColor(back_));
  if (image_ != nullptr) DrawPicture(painter, *image_, resources_.grid().pictureScale);
  for (const auto& [id, d] : decorations_) {
    if (!d.visible) continue;
    QPen pen(ToColor(d.colour));
    pen.setWidth(std::max(1, d.width));
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    if (d.kind == ControlKind::Line) {
      painter.drawLine(resources_.grid().px(d.line.x1), resources_.grid().px(d.line.y1),
                       resources_.grid().px(d.line.x2), resources_.grid().px(d.line.y2));
    } else {
      // An aliased outline covers one pixel more than its rectangle.
      painter.drawRect(resources_.toPx(d.box).adjusted(0, 0, -1, -1));
    }
  }
  painter.setPen(Qt::black);
  for (const Printed& p : printed_) {
    painter.setFont(p.font);
    const QFontMetrics metrics(p.font);
    painter.drawText(
        QPoint(resources_.grid().px(p.x), resources_.grid().px(p.y) + metrics.ascent()), p.text);
  }
}

void Surface::mousePressEvent(QMouseEvent* event) {
  ReportPress(event, listener_, window_, kSurface);
}
void Surface::mouseReleaseEvent(QMouseEvent* event) {
  ReportRelease(event, listener_, window_, kSurface);
}
void Surface::mouseMoveEvent(QMouseEvent* event) {
  ReportMove(event, listener_, window_, kSurface);
}

DeskWindow::DeskWindow(WindowId id, const WindowDesc& desc, Resources& resources,
                       InputSink& listener, const QImage* icon)
    : QWidget(nullptr, FlagsFor(desc.frame)),
      id_(id),
      frame_(desc.frame),
      surface_(new Surface(this, id, desc.back, resources, listener)),
      resources_(resources),
      listener_(listener) {
  setMouseTracking(true);
  // Tooltips of the history cells must show though the window is not active.
  setAttribute(Qt::WA_AlwaysShowToolTips);
  if (frame_ == Frame::Dialog) {
    setWindowTitle(ToQString(desc.caption));
    if (desc.icon && icon != nullptr) {
      setWindowIcon(QPixmap::fromImage(*icon));
    } else {
      QPixmap blank(16, 16);
      blank.fill(Qt::transparent);
      setWindowIcon(blank);
    }
    // The game places a dialog by its outer size: learn the frame first,
    // for a window that cannot be resized (some frames lose a handle then).
    setFixedSize(resources_.toPx(desc.geometry).size());
    DialogDecorations(*this);
    if (const auto frame = RequestFrameExtents(*this)) resources_.setDialogFrame(*frame);
  } else {
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFocusPolicy(Qt::NoFocus);
    DrawWithoutShadow(*this);
    if (frame_ == Frame::None) PassInputThrough(*this);
    KeepAboveManagedWindows(*this);
    QuietMoves(*this);
  }
  // The description gives a dialog's client area; the geometry is the frame's.
  twips_ = frame_ == Frame::Dialog
               ? WithDialogFrame(desc.geometry, resources_.dialogExtents(), resources_.grid())
               : desc.geometry;
  relayout(false);
}

DeskWindow::~DeskWindow() {
  if (frame_ != Frame::Dialog) ForgetKeepAbove(*this);
}

void DeskWindow::setTwips(const Twips& geometry) {
  twips_ = geometry;
  relayout(false);
}

void DeskWindow::relayout(bool rescaled) {
  if (rescaled && shape_) shapeDirty_ = true;
  const QRect box = resources_.toPx(twips_);
  const bool area = box.width() > 0 && box.height() > 0;
  if (!area) {
    // X has no empty windows: keep the last size and stay unmapped.
    applyVisibility();
    return;
  }
  if (frame_ == Frame::Dialog) {
    // The frame goes around the client area, inside the game's box.
    const QRect client = box.marginsRemoved(resources_.dialogFrame());
    setFixedSize(client.size());
    setGeometry(client);
    surface_->setGeometry(0, 0, client.width(), client.height());
  } else {
    // The native window is cut at the screen's edges (the game's box stays
    // as set): no window manager then slides it back over a panel.
    const QRect shown = OnScreen(box);
    if (shown.isEmpty()) {
      applyVisibility();
      return;
    }
    inner_ = QRect(box.topLeft() - shown.topLeft(), box.size());
    place(shown);
    const int inset = frame_ == Frame::Thin ? kThinBorder : 0;
    surface_->setGeometry(inner_.marginsRemoved(QMargins(inset, inset, inset, inset)));
  }
  for (auto& [id, c] : children_) {
    if (QWidget* w = c.widget()) w->setGeometry(resources_.toPx(c.box));
  }
  if (shape_ && (shapeDirty_ || inner_.topLeft() != maskOrigin_)) {
    maskOrigin_ = inner_.topLeft();
    // Cutting a window is costly on X: only when the outline changes.
    shapeDirty_ = false;
    const int s = resources_.grid().pictureScale;
    QRegion region;
    for (const PixelRect& r : *shape_) {
      region += QRect(r.left * s, r.top * s, (r.right - r.left) * s, (r.bottom - r.top) * s);
    }
    SetOutline(*this, region.translated(inner_.topLeft()));
  }
  applyVisibility();
}

void DeskWindow::place(const QRect& shown) {
  if (placed_ == shown) return;
  // A move alone is one request of our own, and so is a new size of a figure
  // the X server draws (the float cut at the screen's bottom as it dips).
  // A new size of a window Qt draws is Qt's, with the whole geometry, so
  // that Qt's idea of both is right again.
  const bool resized = !placed_ || placed_->size() != shown.size();
  const bool quiet = (!resized || drawing_.active()) && PlaceQuietly(*this, shown, resized);
  if (!quiet) setGeometry(shown);
  placed_ = shown;
}

void DeskWindow::tellQtPlace() {
  if (placed_ && geometry() != *placed_) setGeometry(*placed_);
}

void DeskWindow::refreshLook() {
  // A window is built (its controls added) before it is first shown.
  const bool plain = frame_ == Frame::None && children_.empty() && surface_->plain();
  if (plain && (visibility_.wanted || drawing_.active())) {
    // As far as the game's box reaches from the window's corner: a figure
    // cut at the screen's bottom or right edge keeps the look it had whole.
    const FigureLook look{.picture = surface_->image(),
                          .back = ToColor(surface_->back()).rgb(),
                          .scale = resources_.grid().pictureScale,
                          .origin = inner_.topLeft(),
                          .size = QSize(inner_.right() + 1, inner_.bottom() + 1)};
    if (drawing_.show(look)) return;
  }
  if (!drawing_.active()) return;
  drawing_.stop();
  tellQtPlace();
  surface_->update();
}

void DeskWindow::applyVisibility() {
  if (frame_ == Frame::Hidden) return;
  const QRect box = resources_.toPx(twips_);
  // An empty mask is no mask to Qt: an empty outline keeps the window
  // unmapped instead, as if it had no area.
  const bool cutAway = shape_ && shape_->empty();
  const bool area = frame_ == Frame::Dialog ? !box.isEmpty() : !OnScreen(box).isEmpty();
  const bool show = visibility_.onScreen(frame_, area && !cutAway);
  // On the server before the window is mapped.
  if (show) refreshLook();
  const bool appears = show && !isVisible();
  const bool goes = !show && isVisible();
  // Qt maps a window where it last put it itself: after moves of our own,
  // it is told the place first.
  if (appears) tellQtPlace();
  setVisible(show);
  if (frame_ == Frame::Dialog) return;
  if (appears || goes) TellMapped(*this, appears);
  // A figure shown afresh is mapped where it stood among the windows.
  if (appears) KeepAboveManagedWindows(*this);
}

void DeskWindow::sendToBack() {
  lower();
  // Back among the figures, still above the managed windows.
  if (frame_ != Frame::Dialog) KeepAboveManagedWindows(*this);
}

void DeskWindow::setCovered(bool covered) {
  visibility_.covered = covered;
  applyVisibility();
}

void DeskWindow::setWanted(bool shown, bool modal) {
  const Qt::WindowModality modality = modal ? Qt::ApplicationModal : Qt::NonModal;
  if (windowModality() != modality) {
    // Modality only takes effect when the window is mapped afresh.
    if (isVisible()) QWidget::hide();
    setWindowModality(modality);
  }
  visibility_.wanted = shown;
  applyVisibility();
  if (shown && isVisible() && frame_ == Frame::Dialog) {
    raise();
    activateWindow();
  }
}

ShapeResult DeskWindow::setShape(const Shape& shape) {
  std::vector<PixelRect> rects(shape.rects.begin(), shape.rects.end());
  // The angler is given the outline it already has about every other step:
  // cutting the window again would only cost the X server work.
  if (shape_ && *shape_ == rects) return ShapeResult::Ok;
  shape_ = std::move(rects);
  shapeDirty_ = true;
  relayout(false);
  return ShapeResult::Ok;
}

void DeskWindow::setBack(ControlId control, Rgb back) {
  if (control == kSurface) {
    surface_->setBack(back, !drawing_.active());
    refreshLook();
  } else if (Child* c = child(control); c && c->view) {
    c->view->setBack(back);
  }
}

void DeskWindow::setPicture(ControlId control, const Picture& picture) {
  const Bitmap* bitmap = picture.bitmap;
  const QImage* image = resources_.image(bitmap);
  if (control == kSurface) {
    surface_->setImage(image, !drawing_.active());
    refreshLook();
  } else if (Child* c = child(control); c && c->view) {
    c->view->setImage(image);
  }
}

void DeskWindow::print(std::string_view text, double x, double y, const Font& font) {
  surface_->print(text, x, y, resources_.font(font));
  refreshLook();
}

void DeskWindow::clearPrinted() {
  surface_->clearPrinted();
  refreshLook();
}

ControlId DeskWindow::addControl(const ControlDesc& desc) {
  const ControlId id = nextControl_++;
  Child c{desc.kind, desc.box};
  switch (desc.kind) {
    case ControlKind::Line:
    case ControlKind::Rectangle:
      surface_->addDecoration(
          id, {desc.kind, desc.line, desc.box, desc.fore, desc.lineWidth, desc.visible});
      break;
    case ControlKind::Button: {
      c.button = new QPushButton(ToQString(desc.text), surface_);
      c.button->setFont(resources_.font(desc.font));
      c.button->setFocusPolicy(Qt::NoFocus);
      const WindowId window = id_;
      InputSink& listener = listener_;
      QObject::connect(c.button, &QPushButton::clicked,
                       [&listener, window, id] { listener.clicked(window, id); });
      break;
    }
    case ControlKind::Label:
    case ControlKind::PictureBox:
    case ControlKind::Image:
      c.view = new ControlView(surface_, id_, id, desc, resources_, listener_);
      break;
  }
  if (QWidget* w = c.widget()) {
    w->setGeometry(resources_.toPx(desc.box));
    w->setVisible(desc.visible);
  }
  children_.emplace(id, c);
  refreshLook();
  return id;
}

DeskWindow::Child* DeskWindow::child(ControlId control) {
  const auto it = children_.find(control);
  return it == children_.end() ? nullptr : &it->second;
}

void DeskWindow::setControlBox(ControlId control, const Twips& box) {
  Child* c = child(control);
  if (c == nullptr) return;
  c->box = box;
  if (QWidget* w = c->widget()) {
    w->setGeometry(resources_.toPx(box));
  } else if (Surface::Decoration* d = surface_->decoration(control)) {
    d->box = box;
    surface_->update();
  }
}

void DeskWindow::setControlText(ControlId control, std::string_view text) {
  Child* c = child(control);
  if (c == nullptr) return;
  if (c->view) c->view->setText(text);
  if (c->button) c->button->setText(ToQString(text));
}

void DeskWindow::setControlVisible(ControlId control, bool visible) {
  Child* c = child(control);
  if (c == nullptr) return;
  if (QWidget* w = c->widget()) {
    w->setVisible(visible);
  } else if (Surface::Decoration* d = surface_->decoration(control)) {
    d->visible = visible;
    surface_->update();
  }
}

void DeskWindow::setControlToolTip(ControlId control, std::string_view tip) {
  Child* c = child(control);
  if (c == nullptr) return;
  if (QWidget* w = c->widget()) w->setToolTip(ToQString(tip));
}

void DeskWindow::paintEvent(QPaintEvent*) {
  if (frame_ != Frame::Thin) return;
  QPainter painter(this);
  painter.setPen(kBorderColour);
  painter.drawRect(inner_.adjusted(0, 0, -1, -1));
}

void DeskWindow::changeEvent(QEvent* event) {
  QWidget::changeEvent(event);
  // A dialog minimised away would leave a modal program that takes no
  // input and shows nothing: it comes straight back instead.
  if (event->type() == QEvent::WindowStateChange && frame_ == Frame::Dialog && isMinimized()) {
    QTimer::singleShot(0, this, [this] {
      setWindowState(windowState() & ~Qt::WindowMinimized);
      if (!isVisible()) return;
      raise();
      activateWindow();
    });
  }
}

void DeskWindow::closeEvent(QCloseEvent* event) {
  // The game decides whether the window goes.
  event->ignore();
  listener_.closeRequested(id_);
}

void DeskWindow::mousePressEvent(QMouseEvent* event) {
  ReportPress(event, listener_, id_, kSurface);
}
void DeskWindow::mouseReleaseEvent(QMouseEvent* event) {
  ReportRelease(event, listener_, id_, kSurface);
}
void DeskWindow::mouseMoveEvent(QMouseEvent* event) { ReportMove(event, listener_, id_, kSurface); }

}  // namespace kelvory::qt
