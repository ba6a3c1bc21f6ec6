#include "shell/pictures.h"

#include <QGuiApplication>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <cmath>

namespace tarnwick {

namespace {

qreal Scale() {
  const qreal ratio = qApp ? qApp->devicePixelRatio() : 1.0;
  // Drawn at least twice as fine, so a scaled-up screen still sees sharp edges.
  return std::max<qreal>(2.0, ratio);
}

// A transparent pixmap of the logical size, and a painter on it in logical units.
class Canvas {
 public:
  Canvas(int width, int height) : pixmap_(std::ceil(width * Scale()), std::ceil(height * Scale())) {
    pixmap_.setDevicePixelRatio(Scale());
    pixmap_.fill(Qt::transparent);
    painter_.begin(&pixmap_);
    painter_.setRenderHint(QPainter::Antialiasing);
    painter_.setRenderHint(QPainter::TextAntialiasing);
  }
  QPainter& P() { return painter_; }
  QPixmap Take() {
    painter_.end();
    return pixmap_;
  }

 private:
  QPixmap pixmap_;
  QPainter painter_;
};

// A rounded tile with a soft vertical gradient and a thin light rim: the base of every icon.
void Tile(QPainter& p, const QRectF& r, const QColor& colour) {
  QLinearGradient g(r.topLeft(), r.bottomLeft());
  g.setColorAt(0, colour.lighter(135));
  g.setColorAt(1, colour.darker(115));
  p.setPen(QPen(colour.darker(150), 1));
  p.setBrush(g);
  p.drawRoundedRect(r.adjusted(0.5, 0.5, -0.5, -0.5), r.width() * 0.22, r.height() * 0.22);
  p.setPen(QPen(QColor(255, 255, 255, 70), 1));
  p.setBrush(Qt::NoBrush);
  p.drawRoundedRect(r.adjusted(1.5, 1.5, -1.5, -1.5), r.width() * 0.19, r.height() * 0.19);
}

QPen Stroke(qreal width, const QColor& c = Qt::white) {
  return QPen(c, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

// A page with a folded corner.
void Page(QPainter& p, const QRectF& r, const QColor& fill, const QColor& line) {
  const qreal fold = r.width() * 0.3;
  QPainterPath path;
  path.moveTo(r.topLeft());
  path.lineTo(r.right() - fold, r.top());
  path.lineTo(r.right(), r.top() + fold);
  path.lineTo(r.bottomRight());
  path.lineTo(r.bottomLeft());
  path.closeSubpath();
  p.setPen(QPen(line, 1));
  p.setBrush(fill);
  p.drawPath(path);
  QPainterPath corner;
  corner.moveTo(r.right() - fold, r.top());
  corner.lineTo(r.right() - fold, r.top() + fold);
  corner.lineTo(r.right(), r.top() + fold);
  p.setBrush(fill.darker(115));
  p.drawPath(corner);
}

void Arrow(QPainter& p, QPointF from, QPointF to, qreal width, const QColor& c) {
  p.setPen(Stroke(width, c));
  p.drawLine(from, to);
  const qreal angle = std::atan2(to.y() - from.y(), to.x() - from.x());
  const qreal head = width * 2.2;
  const QPointF a = to - QPointF(std::cos(angle - 0.6) * head, std::sin(angle - 0.6) * head);
  const QPointF b = to - QPointF(std::cos(angle + 0.6) * head, std::sin(angle + 0.6) * head);
  p.drawLine(to, a);
  p.drawLine(to, b);
}

void Globe(QPainter& p, const QPointF& c, qreal r, const QColor& line) {
  QRadialGradient g(c - QPointF(r * 0.35, r * 0.35), r * 1.4);
  g.setColorAt(0, QColor(170, 220, 255));
  g.setColorAt(1, QColor(40, 120, 200));
  p.setPen(QPen(line, 1.2));
  p.setBrush(g);
  p.drawEllipse(c, r, r);
  p.setBrush(Qt::NoBrush);
  p.setPen(QPen(QColor(255, 255, 255, 200), 1));
  p.drawEllipse(c, r * 0.45, r);
  p.drawLine(QPointF(c.x() - r, c.y()), QPointF(c.x() + r, c.y()));
  p.drawLine(QPointF(c.x(), c.y() - r), QPointF(c.x(), c.y() + r));
}

void Heart(QPainter& p, const QRectF& r, const QColor& fill) {
  QPainterPath path;
  const qreal w = r.width(), h = r.height();
  path.moveTo(r.left() + w / 2, r.top() + h * 0.95);
  path.cubicTo(r.left() - w * 0.05, r.top() + h * 0.55, r.left() + w * 0.05, r.top() - h * 0.05,
               r.left() + w / 2, r.top() + h * 0.28);
  path.cubicTo(r.left() + w * 0.95, r.top() - h * 0.05, r.left() + w * 1.05, r.top() + h * 0.55,
               r.left() + w / 2, r.top() + h * 0.95);
  p.setPen(Qt::NoPen);
  p.setBrush(fill);
  p.drawPath(path);
}

void Bubble(QPainter& p, const QRectF& r, const QColor& fill, const QColor& line) {
  QPainterPath path;
  path.addRoundedRect(QRectF(r.left(), r.top(), r.width(), r.height() * 0.75), r.height() * 0.2,
                      r.height() * 0.2);
  QPainterPath tail;
  tail.moveTo(r.left() + r.width() * 0.25, r.top() + r.height() * 0.7);
  tail.lineTo(r.left() + r.width() * 0.2, r.bottom());
  tail.lineTo(r.left() + r.width() * 0.48, r.top() + r.height() * 0.7);
  tail.closeSubpath();
  p.setPen(QPen(line, 1));
  p.setBrush(fill);
  p.drawPath(path.united(tail));
}

void Gear(QPainter& p, const QPointF& c, qreal outer, qreal inner, int teeth, const QColor& fill) {
  QPainterPath path;
  for (int i = 0; i < teeth * 2; ++i) {
    const qreal a0 = M_PI * i / teeth;
    const qreal a1 = M_PI * (i + 1) / teeth;
    const qreal r = (i % 2 == 0) ? outer : inner;
    const QPointF p0 = c + QPointF(std::cos(a0) * r, std::sin(a0) * r);
    const QPointF p1 = c + QPointF(std::cos(a1) * r, std::sin(a1) * r);
    if (i == 0) path.moveTo(p0);
    path.lineTo(p0);
    path.lineTo(p1);
  }
  path.closeSubpath();
  QPainterPath hole;
  hole.addEllipse(c, inner * 0.42, inner * 0.42);
  p.setPen(Qt::NoPen);
  p.setBrush(fill);
  p.drawPath(path.subtracted(hole));
}

void Glyph(QPainter& p, const QRectF& r, const QString& text, qreal pointSize) {
  QFont f = p.font();
  f.setBold(true);
  f.setPixelSize(qRound(pointSize));
  p.setFont(f);
  p.setPen(QColor(0, 0, 0, 70));
  p.drawText(r.translated(0.8, 1.0), Qt::AlignCenter, text);
  p.setPen(Qt::white);
  p.drawText(r, Qt::AlignCenter, text);
}

// The product emblem: a page carrying a globe, with an arrow out to the right.
void Emblem(QPainter& p, const QRectF& r) {
  const qreal u = r.width() / 64.0;
  Page(p, QRectF(r.left() + 6 * u, r.top() + 6 * u, 34 * u, 44 * u), QColor(250, 250, 246),
       QColor(90, 100, 120));
  p.setPen(QPen(QColor(150, 160, 180), 2 * u, Qt::SolidLine, Qt::RoundCap));
  for (int i = 0; i < 4; ++i)
    p.drawLine(QPointF(r.left() + 11 * u, r.top() + (24 + 6 * i) * u),
               QPointF(r.left() + 30 * u, r.top() + (24 + 6 * i) * u));
  Globe(p, QPointF(r.left() + 44 * u, r.top() + 42 * u), 15 * u, QColor(20, 70, 130));
  Arrow(p, QPointF(r.left() + 12 * u, r.top() + 14 * u),
        QPointF(r.left() + 30 * u, r.top() + 14 * u), 3 * u, QColor(46, 160, 90));
}

}  // namespace

QColor Pictures::StripTop() { return QColor(44, 62, 88); }
QColor Pictures::StripBottom() { return QColor(24, 34, 50); }
QColor Pictures::Accent() { return QColor(64, 148, 220); }

QPixmap Pictures::QuickMenuIcon(int index) {
  Canvas canvas(32, 32);
  QPainter& p = canvas.P();
  const QRectF tile(1, 1, 30, 30);
  switch (index) {
    case 0: {  // Start Converting: a page turned into a globe
      Tile(p, tile, QColor(46, 150, 86));
      Page(p, QRectF(6, 7, 11, 15), QColor(255, 255, 255), QColor(30, 90, 50));
      Arrow(p, QPointF(14, 24), QPointF(22, 17), 2.0, Qt::white);
      Globe(p, QPointF(22.5, 12), 5.5, QColor(20, 70, 120));
      break;
    }
    case 1: {  // Compare: three bars of differing height
      Tile(p, tile, QColor(52, 112, 196));
      p.setPen(Qt::NoPen);
      p.setBrush(Qt::white);
      p.drawRoundedRect(QRectF(7, 14, 5, 11), 1, 1);
      p.setBrush(QColor(200, 230, 255));
      p.drawRoundedRect(QRectF(13.5, 8, 5, 17), 1, 1);
      p.setBrush(QColor(255, 214, 120));
      p.drawRoundedRect(QRectF(20, 18, 5, 7), 1, 1);
      break;
    }
    case 2: {  // Settings: a gear
      Tile(p, tile, QColor(110, 120, 136));
      Gear(p, QPointF(16, 16), 10.5, 7.5, 8, Qt::white);
      break;
    }
    case 3: {  // Help
      Tile(p, tile, QColor(228, 138, 36));
      Glyph(p, tile, QStringLiteral("?"), 22);
      break;
    }
    case 4: {  // About
      Tile(p, tile, QColor(30, 150, 160));
      Glyph(p, tile, QStringLiteral("i"), 22);
      break;
    }
    case 5: {  // Donate: a heart
      Tile(p, tile, QColor(200, 60, 80));
      Heart(p, QRectF(7, 8, 18, 17), Qt::white);
      break;
    }
    case 6: {  // Feedback: a speech bubble
      Tile(p, tile, QColor(126, 84, 180));
      Bubble(p, QRectF(6, 7, 20, 18), Qt::white, QColor(80, 50, 120));
      p.setPen(Qt::NoPen);
      p.setBrush(QColor(126, 84, 180));
      for (int i = 0; i < 3; ++i) p.drawEllipse(QPointF(11 + 5 * i, 14), 1.4, 1.4);
      break;
    }
    default:
      break;
  }
  return canvas.Take();
}

QPixmap Pictures::SelectionMarker() {
  Canvas canvas(52, 41);
  QPainter& p = canvas.P();
  const QRectF r(1, 1, 50, 39);
  QLinearGradient g(r.topLeft(), r.bottomLeft());
  g.setColorAt(0, QColor(255, 255, 255, 90));
  g.setColorAt(1, QColor(255, 255, 255, 35));
  p.setPen(QPen(QColor(140, 200, 255, 220), 1.2));
  p.setBrush(g);
  p.drawRoundedRect(r, 7, 7);
  // A notch on the right edge points at the panel the item shows.
  QPainterPath notch;
  notch.moveTo(52, 14);
  notch.lineTo(46, 20.5);
  notch.lineTo(52, 27);
  notch.closeSubpath();
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(236, 240, 245));
  p.drawPath(notch);
  return canvas.Take();
}

QPixmap Pictures::Logo() {
  Canvas canvas(40, 40);
  QPainter& p = canvas.P();
  Emblem(p, QRectF(0, 0, 40, 40));
  return canvas.Take();
}

QPixmap Pictures::ConvertPicture() {
  Canvas canvas(64, 64);
  QPainter& p = canvas.P();
  Emblem(p, QRectF(0, 0, 64, 64));
  return canvas.Take();
}

QPixmap Pictures::AboutPicture() {
  Canvas canvas(64, 64);
  QPainter& p = canvas.P();
  Tile(p, QRectF(2, 2, 60, 60), QColor(30, 150, 160));
  Emblem(p, QRectF(8, 8, 48, 48));
  return canvas.Take();
}

QPixmap Pictures::DonatePicture() {
  Canvas canvas(64, 64);
  QPainter& p = canvas.P();
  // A gold coin with a heart on it.
  QRadialGradient g(QPointF(26, 24), 36);
  g.setColorAt(0, QColor(255, 236, 150));
  g.setColorAt(1, QColor(214, 160, 40));
  p.setPen(QPen(QColor(150, 105, 20), 1.5));
  p.setBrush(g);
  p.drawEllipse(QPointF(32, 32), 28, 28);
  p.setPen(QPen(QColor(255, 245, 200, 180), 1.2));
  p.setBrush(Qt::NoBrush);
  p.drawEllipse(QPointF(32, 32), 22, 22);
  Heart(p, QRectF(19, 20, 26, 25), QColor(200, 60, 80));
  return canvas.Take();
}

QPixmap Pictures::FeedbackPicture() {
  Canvas canvas(64, 64);
  QPainter& p = canvas.P();
  Bubble(p, QRectF(4, 6, 44, 38), QColor(236, 228, 250), QColor(100, 70, 150));
  Bubble(p, QRectF(22, 22, 38, 34), QColor(126, 84, 180), QColor(80, 50, 120));
  p.setPen(Qt::NoPen);
  p.setBrush(Qt::white);
  for (int i = 0; i < 3; ++i) p.drawEllipse(QPointF(32 + 9 * i, 35), 2.4, 2.4);
  return canvas.Take();
}

QIcon Pictures::WindowIcon() {
  QIcon icon;
  for (int size : {16, 32, 48, 64}) {
    Canvas canvas(size, size);
    Emblem(canvas.P(), QRectF(0, 0, size, size));
    icon.addPixmap(canvas.Take());
  }
  return icon;
}

}  // namespace tarnwick
