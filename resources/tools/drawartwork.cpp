// Draws the dictionary editor's artwork: the toolbar images, the edit-cell button glyph and
// the logo (a still and the frames of its animation). Every image is drawn here from simple
// shapes, so the whole set can be redrawn, restyled or resized from this one file.
//
// Usage: drawartwork <resources directory> <directory for the animation frames>

#include <QDir>
#include <QFont>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QTextStream>

#include <cmath>
#include <functional>

namespace {

using namespace Qt::StringLiterals;

// One palette for everything, so the toolbar reads as one set.
const QColor kOutline(0x2b, 0x3a, 0x4a);
const QColor kPaperLight(0xff, 0xff, 0xff);
const QColor kPaperDark(0xdd, 0xe6, 0xf0);
const QColor kSeaLight(0x8f, 0xc8, 0xf7);
const QColor kSeaMid(0x2f, 0x78, 0xc8);
const QColor kSeaDark(0x15, 0x47, 0x8a);
const QColor kGreen(0x3a, 0xa6, 0x55);
const QColor kGreenDark(0x1f, 0x6e, 0x35);
const QColor kRed(0xdc, 0x45, 0x3b);
const QColor kRedDark(0x99, 0x26, 0x1f);
const QColor kAmberLight(0xfb, 0xd3, 0x6b);
const QColor kAmber(0xf0, 0xa8, 0x30);
const QColor kAmberDark(0xb0, 0x6c, 0x12);
const QColor kSteel(0x8a, 0x97, 0xa6);
const QColor kSteelDark(0x4d, 0x5a, 0x68);
const QColor kInk(0x5a, 0x6b, 0x7d);

constexpr qreal kPi = 3.14159265358979323846;

QString fontFamily()
{
    return u"DejaVu Sans"_s;
}

QFont boldFont(qreal pixelSize)
{
    QFont font(fontFamily());
    font.setPixelSize(qRound(pixelSize));
    font.setBold(true);
    font.setHintingPreference(QFont::PreferFullHinting);
    return font;
}

QImage blankImage(int width, int height)
{
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

void setupPainter(QPainter& p)
{
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
}

QPen outlinePen(qreal width = 1.0)
{
    QPen pen(kOutline, width);
    pen.setJoinStyle(Qt::RoundJoin);
    pen.setCapStyle(Qt::RoundCap);
    return pen;
}

QLinearGradient verticalGradient(qreal top, qreal bottom, const QColor& from, const QColor& to)
{
    QLinearGradient g(0, top, 0, bottom);
    g.setColorAt(0, from);
    g.setColorAt(1, to);
    return g;
}

// ---- Building blocks ------------------------------------------------------------------

// A sheet of paper with a folded top-right corner.
void drawPage(QPainter& p, const QRectF& r, qreal fold)
{
    QPainterPath sheet;
    sheet.moveTo(r.left(), r.top());
    sheet.lineTo(r.right() - fold, r.top());
    sheet.lineTo(r.right(), r.top() + fold);
    sheet.lineTo(r.right(), r.bottom());
    sheet.lineTo(r.left(), r.bottom());
    sheet.closeSubpath();
    p.setPen(outlinePen());
    p.setBrush(verticalGradient(r.top(), r.bottom(), kPaperLight, kPaperDark));
    p.drawPath(sheet);

    QPainterPath corner;
    corner.moveTo(r.right() - fold, r.top());
    corner.lineTo(r.right() - fold, r.top() + fold);
    corner.lineTo(r.right(), r.top() + fold);
    corner.closeSubpath();
    p.setBrush(kPaperDark.darker(112));
    p.drawPath(corner);
}

// Grey lines of text on a page, left to right from x to right.
void drawTextLines(QPainter& p, qreal x, qreal right, qreal top, int count, qreal step)
{
    p.setPen(QPen(kInk, 1.0, Qt::SolidLine, Qt::FlatCap));
    for (int i = 0; i < count; ++i) {
        const qreal y = top + i * step;
        // Every other line ends early, as real text does.
        const qreal end = (i % 2 == 1) ? right - (right - x) * 0.3 : right;
        p.drawLine(QPointF(x, y), QPointF(end, y));
    }
}

// A sphere with a grid of meridians and parallels, seen slightly from above. rotation turns
// the sphere about its axis (degrees), which is all the logo's animation does.
void drawGlobe(QPainter& p, const QPointF& c, qreal r, qreal rotation, qreal lineWidth)
{
    p.save();
    QRadialGradient sea(c.x() - r * 0.35, c.y() - r * 0.4, r * 1.45);
    sea.setColorAt(0.0, kSeaLight);
    sea.setColorAt(0.5, kSeaMid);
    sea.setColorAt(1.0, kSeaDark);
    p.setPen(Qt::NoPen);
    p.setBrush(sea);
    p.drawEllipse(c, r, r);

    const qreal tilt = 22.0 * kPi / 180.0;
    // Orthographic projection; returns false for the far side of the sphere.
    auto project = [&](qreal latDeg, qreal lonDeg, QPointF* out) {
        const qreal lat = latDeg * kPi / 180.0;
        const qreal lon = (lonDeg + rotation) * kPi / 180.0;
        const qreal x = std::cos(lat) * std::sin(lon);
        const qreal y = std::sin(lat) * std::cos(tilt) - std::cos(lat) * std::cos(lon) * std::sin(tilt);
        const qreal z = std::sin(lat) * std::sin(tilt) + std::cos(lat) * std::cos(lon) * std::cos(tilt);
        *out = QPointF(c.x() + r * x, c.y() - r * y);
        return z >= 0;
    };
    // Draws one grid line from its samples, leaving out the stretches behind the sphere.
    auto drawCurve = [&](const std::function<bool(int, QPointF*)>& sample, int samples) {
        QPainterPath path;
        bool drawing = false;
        for (int i = 0; i <= samples; ++i) {
            QPointF pt;
            const bool visible = sample(i, &pt);
            if (visible && drawing)
                path.lineTo(pt);
            else if (visible)
                path.moveTo(pt);
            drawing = visible;
        }
        p.drawPath(path);
    };

    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(255, 255, 255, 170), lineWidth, Qt::SolidLine, Qt::RoundCap));
    for (int lon = 0; lon < 180; lon += 30) {
        // A full great circle through both poles covers the meridians lon and lon + 180.
        drawCurve([&](int i, QPointF* pt) { return project(-90.0 + i * 360.0 / 96, lon, pt); }, 96);
    }
    for (int lat = -60; lat <= 60; lat += 30)
        drawCurve([&](int i, QPointF* pt) { return project(lat, i * 360.0 / 96, pt); }, 96);

    // A soft highlight makes it read as a ball rather than a disc.
    QRadialGradient shine(c.x() - r * 0.4, c.y() - r * 0.45, r * 0.55);
    shine.setColorAt(0, QColor(255, 255, 255, 150));
    shine.setColorAt(1, QColor(255, 255, 255, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(shine);
    p.drawEllipse(c, r, r);

    p.setPen(QPen(kSeaDark.darker(130), 1.0));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(c, r - 0.5, r - 0.5);
    p.restore();
}

enum class Badge { Plus, Cross, Gear };

// The small round sign in the bottom-right corner that tells "add", "delete" or
// "properties" apart on otherwise equal pictures.
void drawBadge(QPainter& p, Badge kind)
{
    const QPointF c(22.5, 22.5);
    const qreal r = 6.5;
    p.save();
    if (kind == Badge::Gear) {
        QPainterPath gear;
        const int teeth = 8;
        for (int i = 0; i < teeth * 2; ++i) {
            const qreal a0 = (i - 0.5) * kPi / teeth;
            const qreal a1 = (i + 0.5) * kPi / teeth;
            const qreal rr = (i % 2 == 0) ? r : r - 2.0;
            const QPointF p0(c.x() + rr * std::cos(a0), c.y() + rr * std::sin(a0));
            const QPointF p1(c.x() + rr * std::cos(a1), c.y() + rr * std::sin(a1));
            if (i == 0)
                gear.moveTo(p0);
            else
                gear.lineTo(p0);
            gear.lineTo(p1);
        }
        gear.closeSubpath();
        QPainterPath hole;
        hole.addEllipse(c, 1.8, 1.8);
        gear = gear.subtracted(hole);
        // A white rim keeps the gear apart from what lies under it.
        p.setPen(QPen(Qt::white, 2.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.setBrush(Qt::NoBrush);
        p.drawPath(gear);
        p.setPen(QPen(kSteelDark, 1.0));
        p.setBrush(verticalGradient(c.y() - r, c.y() + r, kSteel.lighter(125), kSteel.darker(110)));
        p.drawPath(gear);
        p.restore();
        return;
    }

    const QColor fill = kind == Badge::Plus ? kGreen : kRed;
    const QColor dark = kind == Badge::Plus ? kGreenDark : kRedDark;
    p.setPen(QPen(Qt::white, 1.5));
    p.setBrush(verticalGradient(c.y() - r, c.y() + r, fill.lighter(120), fill));
    p.drawEllipse(c, r + 0.5, r + 0.5);
    p.setPen(QPen(dark, 1.0));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(c, r - 0.3, r - 0.3);

    p.setPen(QPen(Qt::white, 2.0, Qt::SolidLine, Qt::RoundCap));
    const qreal a = 3.0;
    if (kind == Badge::Plus) {
        p.drawLine(QPointF(c.x() - a, c.y()), QPointF(c.x() + a, c.y()));
        p.drawLine(QPointF(c.x(), c.y() - a), QPointF(c.x(), c.y() + a));
    } else {
        const qreal d = a * 0.8;
        p.drawLine(QPointF(c.x() - d, c.y() - d), QPointF(c.x() + d, c.y() + d));
        p.drawLine(QPointF(c.x() - d, c.y() + d), QPointF(c.x() + d, c.y() - d));
    }
    p.restore();
}

// A card of phrase rows, one of them highlighted: the editor's grid in small.
void drawPhraseCard(QPainter& p)
{
    const QRectF card(3.5, 5.5, 22, 18);
    p.setPen(outlinePen());
    p.setBrush(kPaperLight);
    p.drawRoundedRect(card, 1.5, 1.5);
    // Header row, as in the grid.
    p.setPen(Qt::NoPen);
    p.setBrush(kSeaMid);
    p.drawRect(QRectF(card.left() + 0.5, card.top() + 0.5, card.width() - 1, 4));
    // The current row.
    p.setBrush(QColor(0xcf, 0xe3, 0xfa));
    p.drawRect(QRectF(card.left() + 0.5, card.top() + 9.5, card.width() - 1, 4));
    p.setPen(QPen(kSteel, 1.0));
    for (qreal y : {card.top() + 9.0, card.top() + 14.0})
        p.drawLine(QPointF(card.left() + 0.5, y), QPointF(card.right() - 0.5, y));
    p.drawLine(QPointF(card.center().x(), card.top() + 4.5),
               QPointF(card.center().x(), card.bottom() - 0.5));
    p.setPen(QPen(kInk, 1.0, Qt::SolidLine, Qt::FlatCap));
    for (qreal y : {card.top() + 7.0, card.top() + 11.5, card.top() + 16.0}) {
        p.drawLine(QPointF(card.left() + 2, y), QPointF(card.center().x() - 2, y));
        p.drawLine(QPointF(card.center().x() + 2, y), QPointF(card.right() - 3, y));
    }
    p.setPen(outlinePen());
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(card, 1.5, 1.5);
}

// A four-pointed sparkle.
void drawSparkle(QPainter& p, const QPointF& c, qreal size)
{
    QPainterPath star;
    const qreal w = size * 0.28;
    star.moveTo(c.x(), c.y() - size);
    star.quadTo(c.x() + w * 0.3, c.y() - w * 0.3, c.x() + size, c.y());
    star.quadTo(c.x() + w * 0.3, c.y() + w * 0.3, c.x(), c.y() + size);
    star.quadTo(c.x() - w * 0.3, c.y() + w * 0.3, c.x() - size, c.y());
    star.quadTo(c.x() - w * 0.3, c.y() - w * 0.3, c.x(), c.y() - size);
    p.setPen(QPen(kAmberDark, 0.8));
    p.setBrush(kAmberLight);
    p.drawPath(star);
}

void drawArrow(QPainter& p, const QPointF& from, const QPointF& to, qreal width, qreal head,
               const QColor& fill, const QColor& edge)
{
    const QLineF line(from, to);
    const QLineF unit = line.unitVector();
    const QPointF dir(unit.dx(), unit.dy());
    const QPointF normal(-dir.y(), dir.x());
    const QPointF neck = to - dir * head;
    QPainterPath arrow;
    arrow.moveTo(from + normal * (width / 2));
    arrow.lineTo(neck + normal * (width / 2));
    arrow.lineTo(neck + normal * (width / 2 + head * 0.55));
    arrow.lineTo(to);
    arrow.lineTo(neck - normal * (width / 2 + head * 0.55));
    arrow.lineTo(neck - normal * (width / 2));
    arrow.lineTo(from - normal * (width / 2));
    arrow.closeSubpath();
    QPen pen(edge, 1.0);
    pen.setJoinStyle(Qt::MiterJoin);
    p.setPen(pen);
    p.setBrush(fill);
    p.drawPath(arrow);
}

// A speech bubble with one letter in it.
void drawBubble(QPainter& p, const QRectF& r, bool tailLeft, const QColor& fill,
                const QColor& edge, const QString& letter)
{
    QPainterPath bubble;
    bubble.addRoundedRect(r, 3.5, 3.5);
    QPainterPath tail;
    const qreal x = tailLeft ? r.left() + 4 : r.right() - 4;
    const qreal dx = tailLeft ? -1.0 : 1.0;
    tail.moveTo(x - 2.5 * dx, r.bottom() - 1);
    tail.lineTo(x + 1.5 * dx, r.bottom() + 4);
    tail.lineTo(x + 2.5 * dx, r.bottom() - 1);
    tail.closeSubpath();
    bubble = bubble.united(tail);
    p.setPen(QPen(Qt::white, 2.0));
    p.setBrush(Qt::NoBrush);
    p.drawPath(bubble);
    p.setPen(QPen(edge, 1.0));
    p.setBrush(verticalGradient(r.top(), r.bottom(), fill.lighter(118), fill));
    p.drawPath(bubble);
    p.setPen(Qt::white);
    p.setFont(boldFont(r.height() * 0.72));
    p.drawText(r.adjusted(0, -0.5, 0, 0), Qt::AlignCenter, letter);
}

// ---- The toolbar images, by image index --------------------------------------------------

void drawNewDictionary(QPainter& p)
{
    drawPage(p, QRectF(6.5, 3.5, 17, 23), 6);
    drawTextLines(p, 10, 20, 13.5, 5, 2.6);
    drawSparkle(p, QPointF(23.5, 7.5), 5.5);
}

void drawOpenDictionary(QPainter& p)
{
    // Back of the folder with its tab.
    QPainterPath back;
    back.moveTo(2.5, 24.5);
    back.lineTo(2.5, 7.5);
    back.lineTo(4.5, 5.5);
    back.lineTo(10.5, 5.5);
    back.lineTo(12.5, 8.5);
    back.lineTo(24.5, 8.5);
    back.lineTo(24.5, 24.5);
    back.closeSubpath();
    p.setPen(QPen(kAmberDark, 1.0));
    p.setBrush(verticalGradient(5, 25, kAmber, kAmberDark.lighter(130)));
    p.drawPath(back);
    // A dictionary sheet sticking out.
    p.setPen(outlinePen());
    p.setBrush(kPaperLight);
    p.drawRect(QRectF(6.5, 10.5, 16, 12));
    drawTextLines(p, 9, 20, 13.5, 3, 2.5);
    // Front flap, tilted open.
    QPainterPath front;
    front.moveTo(2.5, 24.5);
    front.lineTo(6.5, 14.5);
    front.lineTo(28.5, 14.5);
    front.lineTo(24.5, 24.5);
    front.closeSubpath();
    p.setPen(QPen(kAmberDark, 1.0, Qt::SolidLine, Qt::FlatCap, Qt::RoundJoin));
    p.setBrush(verticalGradient(14, 25, kAmberLight, kAmber));
    p.drawPath(front);
}

void drawSaveDictionary(QPainter& p)
{
    const QRectF body(4.5, 4.5, 21, 21);
    QPainterPath disk;
    disk.moveTo(body.left() + 1.5, body.top());
    disk.lineTo(body.right() - 3, body.top());
    disk.lineTo(body.right(), body.top() + 3);
    disk.lineTo(body.right(), body.bottom() - 1.5);
    disk.quadTo(body.right(), body.bottom(), body.right() - 1.5, body.bottom());
    disk.lineTo(body.left() + 1.5, body.bottom());
    disk.quadTo(body.left(), body.bottom(), body.left(), body.bottom() - 1.5);
    disk.lineTo(body.left(), body.top() + 1.5);
    disk.quadTo(body.left(), body.top(), body.left() + 1.5, body.top());
    p.setPen(QPen(kSeaDark.darker(120), 1.0));
    p.setBrush(verticalGradient(body.top(), body.bottom(), kSeaMid.lighter(115), kSeaDark));
    p.drawPath(disk);
    // Metal shutter with its window.
    p.setPen(QPen(kSteelDark, 1.0));
    p.setBrush(verticalGradient(4.5, 12.5, QColor(0xe8, 0xec, 0xf0), kSteel));
    p.drawRect(QRectF(9.5, 4.5, 11, 8));
    p.setPen(Qt::NoPen);
    p.setBrush(kSteelDark);
    p.drawRect(QRectF(16.5, 6, 2.5, 5));
    // Label.
    p.setPen(QPen(kSteelDark, 1.0));
    p.setBrush(kPaperLight);
    p.drawRoundedRect(QRectF(7.5, 15.5, 15, 10), 1, 1);
    drawTextLines(p, 10, 20, 18.5, 3, 2.5);
}

void drawLanguage(QPainter& p, Badge badge)
{
    drawGlobe(p, QPointF(13.5, 13.5), 10.5, 15, 0.9);
    drawBadge(p, badge);
}

void drawPhrase(QPainter& p, Badge badge)
{
    drawPhraseCard(p);
    drawBadge(p, badge);
}

void drawWizard(QPainter& p)
{
    // The wand: a dark stick with a white tip, lying from bottom-left to top-right.
    p.save();
    p.translate(13, 17);
    p.rotate(-45);
    p.setPen(QPen(kOutline, 1.0));
    p.setBrush(verticalGradient(-2, 2, QColor(0x55, 0x5f, 0x6b), kOutline));
    p.drawRoundedRect(QRectF(-12, -2, 20, 4), 1, 1);
    p.setBrush(kPaperLight);
    p.drawRoundedRect(QRectF(4, -2, 5, 4), 1, 1);
    p.restore();
    drawSparkle(p, QPointF(21.5, 8.5), 6.5);
    drawSparkle(p, QPointF(11, 6), 3.2);
    drawSparkle(p, QPointF(25, 18.5), 3.2);
}

void drawSort(QPainter& p)
{
    p.setFont(boldFont(13));
    p.setPen(kSeaDark);
    p.drawText(QRectF(1, 0, 16, 14), Qt::AlignCenter, u"A"_s);
    p.setPen(kOutline);
    p.drawText(QRectF(1, 15, 16, 14), Qt::AlignCenter, u"Z"_s);
    drawArrow(p, QPointF(22.5, 3.5), QPointF(22.5, 27), 4, 6.5, kGreen, kGreenDark);
}

void drawAbout(QPainter& p)
{
    const QPointF c(15, 15);
    p.setPen(QPen(kSeaDark.darker(120), 1.0));
    QRadialGradient ball(c.x() - 4, c.y() - 5, 16);
    ball.setColorAt(0, kSeaLight);
    ball.setColorAt(0.55, kSeaMid);
    ball.setColorAt(1, kSeaDark);
    p.setBrush(ball);
    p.drawEllipse(c, 12, 12);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(15, 8.8), 2.1, 2.1);
    QPainterPath stem;
    stem.moveTo(12, 12.5);
    stem.lineTo(16.8, 12.5);
    stem.lineTo(16.8, 20.5);
    stem.lineTo(18.5, 20.5);
    stem.lineTo(18.5, 22.5);
    stem.lineTo(11.5, 22.5);
    stem.lineTo(11.5, 20.5);
    stem.lineTo(13.2, 20.5);
    stem.lineTo(13.2, 14.5);
    stem.lineTo(12, 14.5);
    stem.closeSubpath();
    p.drawPath(stem);
}

void drawInterfaceLanguage(QPainter& p)
{
    drawBubble(p, QRectF(1.5, 2.5, 16, 13), true, kSeaMid, kSeaDark, u"A"_s);
    drawBubble(p, QRectF(12.5, 11.5, 16, 13), false, kAmber, kAmberDark, u"Я"_s);
}

void drawImport(QPainter& p)
{
    drawPage(p, QRectF(10.5, 3.5, 16, 23), 5.5);
    drawTextLines(p, 16, 23.5, 11.5, 5, 2.8);
    drawArrow(p, QPointF(1.5, 17), QPointF(17.5, 17), 4.5, 7, kGreen, kGreenDark);
}

void drawLanguageProperties(QPainter& p)
{
    drawLanguage(p, Badge::Gear);
}

// A bubble of pseudo text: an accented letter between the brackets that mark it.
void drawPseudoTranslation(QPainter& p)
{
    drawBubble(p, QRectF(1.5, 4.5, 27, 17), true, kGreen, kGreenDark, u"[à]"_s);
}

// ---- Edit-cell glyph --------------------------------------------------------------------

// A pencil writing a line: "edit this cell's text in full".
QImage editCellGlyph()
{
    QImage image = blankImage(18, 18);
    QPainter p(&image);
    setupPainter(p);
    p.setPen(QPen(kInk, 1.0, Qt::SolidLine, Qt::FlatCap));
    p.drawLine(QPointF(3, 16.5), QPointF(16, 16.5));
    // The pencil is drawn along the x axis, tip at +9, and turned so the tip rests on the line.
    p.translate(10.5, 8.5);
    p.rotate(135);
    p.setPen(QPen(kOutline, 0.9));
    // Body, eraser end, wooden cone and lead, along the x axis from -7 to +8.
    p.setBrush(verticalGradient(-2, 2, kAmberLight, kAmber));
    p.drawRect(QRectF(-4, -2, 9, 4));
    p.setBrush(QColor(0xe8, 0x8a, 0x9a));
    p.drawRect(QRectF(-7, -2, 3, 4));
    QPainterPath cone;
    cone.moveTo(5, -2);
    cone.lineTo(9, 0);
    cone.lineTo(5, 2);
    cone.closeSubpath();
    p.setBrush(QColor(0xf3, 0xd9, 0xb1));
    p.drawPath(cone);
    // The lead: the last third of the cone.
    QPainterPath lead;
    lead.moveTo(7.7, -0.65);
    lead.lineTo(9, 0);
    lead.lineTo(7.7, 0.65);
    lead.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(kOutline);
    p.drawPath(lead);
    p.end();
    return image;
}

// The disabled look: a grey shape with a white shadow, as disabled glyphs are drawn.
QImage disabledVersion(const QImage& normal)
{
    QImage grey = blankImage(normal.width(), normal.height());
    QImage shadow = blankImage(normal.width(), normal.height());
    for (int y = 0; y < normal.height(); ++y) {
        for (int x = 0; x < normal.width(); ++x) {
            const int alpha = qAlpha(normal.pixel(x, y));
            grey.setPixelColor(x, y, QColor(0x8c, 0x93, 0x9b, alpha));
            shadow.setPixelColor(x, y, QColor(255, 255, 255, alpha));
        }
    }
    QImage result = blankImage(normal.width(), normal.height());
    QPainter p(&result);
    p.drawImage(1, 1, shadow);
    p.drawImage(0, 0, grey);
    p.end();
    return result;
}

// ---- Logo -------------------------------------------------------------------------------

constexpr int kLogoWidth = 130;
constexpr int kLogoHeight = 40;
constexpr int kLogoFrames = 24;
constexpr int kLogoStillFrame = 7;

QImage logoFrame(int frame)
{
    QImage image = blankImage(kLogoWidth, kLogoHeight);
    QPainter p(&image);
    setupPainter(p);
    const QRectF badge(0.5, 0.5, kLogoWidth - 1, kLogoHeight - 1);
    QLinearGradient night(0, 0, 0, kLogoHeight);
    night.setColorAt(0, QColor(0x2c, 0x5f, 0xa3));
    night.setColorAt(1, QColor(0x14, 0x2f, 0x5a));
    p.setPen(QPen(QColor(0x0e, 0x22, 0x42), 1.0));
    p.setBrush(night);
    p.drawRoundedRect(badge, 5, 5);

    // One turn of the loop moves the grid on by one meridian step, so the last frame joins
    // the first without a jump.
    const qreal rotation = 30.0 * frame / kLogoFrames;
    drawGlobe(p, QPointF(20.5, 20), 14.5, rotation, 1.0);

    const QRectF textArea(40, 4, kLogoWidth - 45, kLogoHeight - 8);
    QFont title = boldFont(19);
    p.setFont(title);
    p.setPen(Qt::white);
    p.drawText(QRectF(textArea.left(), textArea.top(), textArea.width(), 21),
               Qt::AlignLeft | Qt::AlignVCenter, u"Varnok"_s);

    // The tag line is shrunk until it fits under the name.
    const QString tagLine = u"translation toolkit"_s;
    QFont small(fontFamily());
    int size = 11;
    small.setPixelSize(size);
    while (QFontMetricsF(small).horizontalAdvance(tagLine) > textArea.width() && size > 6)
        small.setPixelSize(--size);
    p.setFont(small);
    p.setPen(QColor(0xc6, 0xdc, 0xf5));
    p.drawText(QRectF(textArea.left() + 1, textArea.top() + 20, textArea.width(), 12),
               Qt::AlignLeft | Qt::AlignVCenter, tagLine);
    p.end();
    return image;
}

// ---- Output -----------------------------------------------------------------------------

bool save(const QImage& image, const QString& path)
{
    if (image.save(path, "PNG"))
        return true;
    QTextStream(stderr) << "drawartwork: cannot write " << path << '\n';
    return false;
}

QImage toolbarImage(const std::function<void(QPainter&)>& draw)
{
    QImage image = blankImage(30, 30);
    QPainter p(&image);
    setupPainter(p);
    draw(p);
    p.end();
    return image;
}

} // namespace

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    if (argc != 3) {
        QTextStream(stderr) << "usage: drawartwork <resources directory> <frames directory>\n";
        return 2;
    }
    const QDir resources(QString::fromLocal8Bit(argv[1]));
    const QDir frames(QString::fromLocal8Bit(argv[2]));
    if (!resources.mkpath(u"toolbar"_s) || !frames.mkpath(u"."_s)) {
        QTextStream(stderr) << "drawartwork: cannot create the output directories\n";
        return 1;
    }

    // In image-index order: the main window's commands refer to the pictures by index.
    const std::function<void(QPainter&)> toolbar[] = {
        drawNewDictionary,                                  // 0 new dictionary
        drawOpenDictionary,                                 // 1 open
        drawSaveDictionary,                                 // 2 save
        [](QPainter& p) { drawLanguage(p, Badge::Plus); },  // 3 new language
        [](QPainter& p) { drawLanguage(p, Badge::Cross); }, // 4 delete language
        [](QPainter& p) { drawPhrase(p, Badge::Plus); },    // 5 new phrase
        [](QPainter& p) { drawPhrase(p, Badge::Cross); },   // 6 delete phrase
        drawWizard,                                         // 7 project wizard
        drawSort,                                           // 8 sort
        drawAbout,                                          // 9 about
        drawInterfaceLanguage,                              // 10 interface language
        drawImport,                                         // 11 import
        drawLanguageProperties,                             // 12 language properties
        drawPseudoTranslation,                              // 13 pseudo-translation
    };
    bool ok = true;
    int index = 0;
    for (const auto& draw : toolbar) {
        const QString name = u"toolbar/%1.png"_s.arg(index++, 2, 10, QLatin1Char('0'));
        ok = save(toolbarImage(draw), resources.filePath(name)) && ok;
    }

    const QImage normal = editCellGlyph();
    QImage glyph = blankImage(36, 18);
    QPainter p(&glyph);
    p.drawImage(0, 0, normal);
    p.drawImage(18, 0, disabledVersion(normal));
    p.end();
    ok = save(glyph, resources.filePath(u"editcell.png"_s)) && ok;

    ok = save(logoFrame(kLogoStillFrame), resources.filePath(u"logo.png"_s)) && ok;
    for (int frame = 0; frame < kLogoFrames; ++frame) {
        const QString name = u"frame_%1.png"_s.arg(frame, 2, 10, QLatin1Char('0'));
        ok = save(logoFrame(frame), frames.filePath(name)) && ok;
    }
    return ok ? 0 : 1;
}
