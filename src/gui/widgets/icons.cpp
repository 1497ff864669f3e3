#include "gui/widgets/icons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include <cmath>
#include <functional>
#include <numbers>

namespace norva {

namespace {

using Drawer = std::function<void(QPainter &)>;

// Every image is drawn on a 16 x 16 grid and rendered at several sizes so that
// it stays sharp on any screen.
QIcon render(const Drawer &draw)
{
    QIcon icon;
    for (int size : {16, 24, 32, 48}) {
        QPixmap pm(size, size);
        pm.fill(Qt::transparent);
        QPainter p(&pm);
        p.setRenderHint(QPainter::Antialiasing);
        p.scale(size / 16.0, size / 16.0);
        draw(p);
        p.end();
        icon.addPixmap(pm);
    }
    return icon;
}

QPen outline(const QColor &c, double width = 1.0)
{
    QPen pen(c, width);
    pen.setJoinStyle(Qt::RoundJoin);
    pen.setCapStyle(Qt::RoundCap);
    return pen;
}

const QColor Ink(0x30, 0x30, 0x30);

void folder(QPainter &p)
{
    p.setPen(outline(QColor(0x9a, 0x6b, 0x10)));
    p.setBrush(QColor(0xf2, 0xc2, 0x4e));
    QPainterPath back;
    back.moveTo(1.5, 3.5);
    back.lineTo(6, 3.5);
    back.lineTo(7.5, 5);
    back.lineTo(13.5, 5);
    back.lineTo(13.5, 13.5);
    back.lineTo(1.5, 13.5);
    back.closeSubpath();
    p.drawPath(back);
    p.setBrush(Qt::white);
    p.setPen(outline(QColor(0x80, 0x80, 0x80)));
    p.drawRect(QRectF(4, 2.5, 7, 8));
    p.setBrush(QColor(0xf8, 0xd8, 0x7a));
    p.setPen(outline(QColor(0x9a, 0x6b, 0x10)));
    QPainterPath front;
    front.moveTo(1.5, 13.5);
    front.lineTo(3.5, 7.5);
    front.lineTo(15, 7.5);
    front.lineTo(13.5, 13.5);
    front.closeSubpath();
    p.drawPath(front);
}

void disk(QPainter &p)
{
    p.setPen(outline(QColor(0x1d, 0x3f, 0x7a)));
    p.setBrush(QColor(0x3a, 0x6e, 0xc8));
    QPainterPath body;
    body.moveTo(1.5, 1.5);
    body.lineTo(12.5, 1.5);
    body.lineTo(14.5, 3.5);
    body.lineTo(14.5, 14.5);
    body.lineTo(1.5, 14.5);
    body.closeSubpath();
    p.drawPath(body);
    p.setBrush(Qt::white);
    p.drawRect(QRectF(3.5, 1.5, 8, 5));
    p.setBrush(QColor(0x1d, 0x3f, 0x7a));
    p.drawRect(QRectF(8.5, 2.5, 2, 3));
    p.setBrush(QColor(0xe8, 0xe8, 0xe8));
    p.drawRect(QRectF(3.5, 9, 9, 5.5));
}

void printer(QPainter &p)
{
    p.setPen(outline(QColor(0x70, 0x70, 0x70)));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(4.5, 1.5, 7, 5));
    p.setPen(outline(Ink));
    p.setBrush(QColor(0x9c, 0xa3, 0xad));
    p.drawRoundedRect(QRectF(1.5, 6, 13, 6), 1.2, 1.2);
    p.setBrush(Qt::white);
    p.drawRect(QRectF(4.5, 10, 7, 4.5));
    p.setPen(outline(QColor(0x90, 0x90, 0x90)));
    p.drawLine(QPointF(6, 12), QPointF(10, 12));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x2e, 0xb8, 0x4b));
    p.drawEllipse(QPointF(12.5, 8), 0.8, 0.8);
}

void exitDoor(QPainter &p)
{
    p.setPen(outline(QColor(0x5a, 0x3a, 0x1a)));
    p.setBrush(QColor(0xb0, 0x7a, 0x45));
    p.drawRect(QRectF(2.5, 1.5, 7, 13));
    p.setBrush(QColor(0xf2, 0xc2, 0x4e));
    p.setPen(Qt::NoPen);
    p.drawEllipse(QPointF(8, 8), 0.8, 0.8);
    p.setPen(outline(QColor(0xc6, 0x28, 0x28), 2));
    p.drawLine(QPointF(9, 8), QPointF(14.5, 8));
    p.drawLine(QPointF(12, 5.5), QPointF(14.5, 8));
    p.drawLine(QPointF(12, 10.5), QPointF(14.5, 8));
}

void calculator(QPainter &p)
{
    p.setPen(outline(Ink));
    p.setBrush(QColor(0x5b, 0x63, 0x70));
    p.drawRoundedRect(QRectF(2.5, 0.5, 11, 15), 1.5, 1.5);
    p.setBrush(QColor(0xc8, 0xe6, 0xc9));
    p.setPen(outline(QColor(0x20, 0x20, 0x20), 0.6));
    p.drawRect(QRectF(4, 2, 8, 3.5));
    p.setPen(Qt::NoPen);
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c) {
            p.setBrush(r == 2 && c == 2 ? QColor(0xf0, 0x8a, 0x24) : QColor(0xee, 0xee, 0xee));
            p.drawRect(QRectF(4 + c * 2.8, 7 + r * 2.8, 2.1, 2.1));
        }
}

void user(QPainter &p)
{
    p.setPen(outline(QColor(0x60, 0x60, 0x60)));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(6.5, 4.5, 8, 10));
    p.setPen(outline(QColor(0x90, 0x90, 0x90)));
    for (double y : {7.0, 9.0, 11.0, 13.0})
        p.drawLine(QPointF(10, y), QPointF(13, y));
    p.setPen(outline(QColor(0x1d, 0x3f, 0x7a)));
    p.setBrush(QColor(0x3a, 0x6e, 0xc8));
    p.drawEllipse(QPointF(5, 4.5), 2.5, 2.5);
    QPainterPath body;
    body.moveTo(0.5, 14.5);
    body.cubicTo(0.5, 9, 9.5, 9, 9.5, 14.5);
    body.closeSubpath();
    p.drawPath(body);
}

void podium(QPainter &p)
{
    p.setPen(outline(Ink));
    p.setBrush(QColor(0xc0, 0xc0, 0xc8));
    p.drawRect(QRectF(0.5, 8.5, 5, 6));
    p.setBrush(QColor(0xf2, 0xc2, 0x4e));
    p.drawRect(QRectF(5.5, 4.5, 5, 10));
    p.setBrush(QColor(0xcd, 0x8a, 0x4e));
    p.drawRect(QRectF(10.5, 10.5, 5, 4));
    p.setPen(outline(Ink, 1.3));
    p.drawLine(QPointF(8, 6.5), QPointF(8, 12));
    p.drawLine(QPointF(8, 6.5), QPointF(7, 7.5));
}

void tile(QPainter &p)
{
    p.setPen(outline(QColor(0x1b, 0x5e, 0x20)));
    p.setBrush(QColor(0x2e, 0x7d, 0x32));
    p.drawRoundedRect(QRectF(3.5, 1.5, 10, 14), 1.5, 1.5);
    p.setPen(outline(QColor(0x80, 0x80, 0x80)));
    p.setBrush(QColor(0xfb, 0xf8, 0xef));
    p.drawRoundedRect(QRectF(2.5, 0.5, 10, 13.5), 1.5, 1.5);
    p.setPen(outline(QColor(0xc6, 0x28, 0x28), 1.2));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QPointF(7.5, 7.25), 3.2, 3.2);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x1d, 0x3f, 0x7a));
    p.drawEllipse(QPointF(7.5, 7.25), 1.4, 1.4);
}

void star(QPainter &p)
{
    QPainterPath path;
    for (int i = 0; i < 10; ++i) {
        const double r = i % 2 ? 3.0 : 7.0;
        const double a = -std::numbers::pi / 2 + i * std::numbers::pi / 5;
        const QPointF pt(8 + r * std::cos(a), 8.5 + r * std::sin(a));
        if (i == 0)
            path.moveTo(pt);
        else
            path.lineTo(pt);
    }
    path.closeSubpath();
    p.setPen(outline(QColor(0xa0, 0x6a, 0x00)));
    p.setBrush(QColor(0xf9, 0xc8, 0x2b));
    p.drawPath(path);
}

void chart(QPainter &p)
{
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawRect(QRectF(1.5, 1.5, 13, 13));
    p.setPen(outline(Ink));
    p.drawLine(QPointF(1.5, 1.5), QPointF(1.5, 14.5));
    p.drawLine(QPointF(1.5, 14.5), QPointF(14.5, 14.5));
    p.setPen(outline(QColor(0xc6, 0x28, 0x28), 1.4));
    const QPointF line1[] = {{2.5, 11}, {5.5, 7}, {8.5, 9}, {11.5, 4}, {14, 5}};
    p.drawPolyline(line1, 5);
    p.setPen(outline(QColor(0x2e, 0x7d, 0x32), 1.4));
    const QPointF line2[] = {{2.5, 13}, {5.5, 12}, {8.5, 12.5}, {11.5, 10}, {14, 8.5}};
    p.drawPolyline(line2, 5);
}

void gear(QPainter &p)
{
    QPainterPath path;
    const int teeth = 8;
    for (int i = 0; i < teeth * 4; ++i) {
        const double a = i * 2 * std::numbers::pi / (teeth * 4);
        const double r = (i % 4 == 0 || i % 4 == 1) ? 7.2 : 5.4;
        const QPointF pt(8 + r * std::cos(a), 8 + r * std::sin(a));
        if (i == 0)
            path.moveTo(pt);
        else
            path.lineTo(pt);
    }
    path.closeSubpath();
    QPainterPath hole;
    hole.addEllipse(QPointF(8, 8), 2.2, 2.2);
    p.setPen(outline(QColor(0x37, 0x47, 0x4f)));
    p.setBrush(QColor(0x90, 0xa4, 0xae));
    p.drawPath(path.subtracted(hole));
}

void info(QPainter &p)
{
    p.setPen(outline(QColor(0x0d, 0x47, 0xa1)));
    p.setBrush(QColor(0x1e, 0x88, 0xe5));
    p.drawEllipse(QPointF(8, 8), 7, 7);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(8, 4.6), 1.2, 1.2);
    p.drawRoundedRect(QRectF(6.9, 6.7, 2.2, 6.3), 0.6, 0.6);
}

void program(QPainter &p)
{
    // A mahjong tile with a rising chart on its face.
    p.setPen(outline(QColor(0x1b, 0x5e, 0x20)));
    p.setBrush(QColor(0x2e, 0x7d, 0x32));
    p.drawRoundedRect(QRectF(2.5, 1.5, 12, 14), 1.8, 1.8);
    p.setPen(outline(QColor(0x80, 0x80, 0x80)));
    p.setBrush(QColor(0xfb, 0xf8, 0xef));
    p.drawRoundedRect(QRectF(1.5, 0.5, 12, 13.5), 1.8, 1.8);
    p.setPen(Qt::NoPen);
    const QColor bars[] = {QColor(0x1e, 0x88, 0xe5), QColor(0x2e, 0x7d, 0x32),
                           QColor(0xc6, 0x28, 0x28)};
    for (int i = 0; i < 3; ++i) {
        p.setBrush(bars[i]);
        const double h = 3.0 + i * 2.5;
        p.drawRect(QRectF(3.5 + i * 3, 12 - h, 2.2, h));
    }
}

Drawer drawerFor(const QString &key)
{
    struct Entry
    {
        const char16_t *key;
        void (*draw)(QPainter &);
    };
    static const Entry entries[] = {
        {u"ScoreFileOpen", folder}, {u"ResultsSave", disk},  {u"Printer", printer},
        {u"Exit", exitDoor},        {u"NvCalc", calculator}, {u"UserWindow", user},
        {u"RankWindow", podium},    {u"StageWindow", tile},  {u"WinWindow", star},
        {u"GraphWindow", chart},    {u"Customize", gear},    {u"AboutNorva", info},
    };
    for (const Entry &e : entries)
        if (key == QStringView(e.key))
            return e.draw;
    return {};
}

} // namespace

QIcon toolbarIcon(const QString &key)
{
    const Drawer d = drawerFor(key);
    return d ? render(d) : QIcon();
}

QIcon programIcon()
{
    return render(program);
}

} // namespace norva
