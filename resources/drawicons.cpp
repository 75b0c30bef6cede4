// Paints the tool-bar icons and the application icon of Quillmar and saves
// them as PNG files (plus the Windows .ico). The application icon is painted
// from the same drawing at every size the desktop themes ask for (the
// 128-pixel one is quillmar.png, the others icons/quillmar-N.png), so the
// sizes never drift apart. Run by hand after changing a picture: build the
// target `drawicons`, then
//   QT_QPA_PLATFORM=offscreen build/app/drawicons resources
// and commit the images.

#include <QDir>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include <cstdio>
#include <functional>

namespace {

constexpr int Size = 96;

const QColor ink(40, 48, 60);
const QColor paper(250, 250, 246);
const QColor green(46, 160, 67);
const QColor red(210, 50, 45);
const QColor blue(40, 110, 200);
const QColor yellow(240, 190, 60);
const QColor grey(120, 130, 140);

QPen outline(const QColor &colour = ink, qreal width = 4)
{
    return QPen(colour, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

void page(QPainter &p)
{
    QPainterPath path;
    path.moveTo(20, 8);
    path.lineTo(60, 8);
    path.lineTo(78, 26);
    path.lineTo(78, 88);
    path.lineTo(20, 88);
    path.closeSubpath();
    p.setPen(outline());
    p.setBrush(paper);
    p.drawPath(path);
    p.setBrush(QColor(215, 215, 210));
    p.drawPolygon(QPolygonF({QPointF(60, 8), QPointF(60, 26), QPointF(78, 26)}));
    p.setPen(outline(grey, 3));
    for (int y = 40; y <= 76; y += 12)
        p.drawLine(30, y, 68, y);
}

void arrow(QPainter &p, QPointF from, QPointF to, const QColor &colour)
{
    QLineF line(from, to);
    p.setPen(QPen(colour, 9, Qt::SolidLine, Qt::FlatCap));
    QLineF shaft(from, line.pointAt(1.0 - 16.0 / line.length()));
    p.drawLine(shaft);
    QLineF normal = line.normalVector().unitVector();
    const QPointF side(normal.dx() * 14, normal.dy() * 14);
    const QPointF base = line.pointAt(1.0 - 18.0 / line.length());
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    p.drawPolygon(QPolygonF({to, base + side, base - side}));
}

void plug(QPainter &p, qreal x, const QColor &colour, bool pinsRight)
{
    p.setPen(outline());
    p.setBrush(colour);
    p.drawRoundedRect(QRectF(x, 32, 26, 32), 5, 5);
    p.setBrush(grey);
    if (pinsRight) {
        p.drawRect(QRectF(x + 26, 38, 12, 6));
        p.drawRect(QRectF(x + 26, 52, 12, 6));
    }
}

void device(QPainter &p, QRectF r)
{
    p.setPen(outline());
    p.setBrush(QColor(90, 100, 112));
    p.drawRoundedRect(r, 6, 6);
    p.setBrush(QColor(170, 230, 150));
    p.setPen(outline(ink, 2));
    p.drawRect(QRectF(r.left() + 8, r.top() + 8, r.width() * 0.55, r.height() - 16));
    p.setBrush(yellow);
    p.drawEllipse(QPointF(r.right() - 14, r.center().y()), 7, 7);
}

void floppy(QPainter &p, QRectF r)
{
    p.setPen(outline());
    p.setBrush(blue);
    QPainterPath body;
    body.moveTo(r.topLeft());
    body.lineTo(r.right() - 14, r.top());
    body.lineTo(r.right(), r.top() + 14);
    body.lineTo(r.bottomRight());
    body.lineTo(r.bottomLeft());
    body.closeSubpath();
    p.drawPath(body);
    p.setBrush(QColor(220, 225, 230));
    p.drawRect(QRectF(r.left() + r.width() * 0.25, r.top(), r.width() * 0.45, r.height() * 0.3));
    p.setBrush(paper);
    p.drawRect(QRectF(r.left() + 10, r.top() + r.height() * 0.5, r.width() - 20, r.height() * 0.5 - 6));
}

using Painter = std::function<void(QPainter &)>;

const std::pair<const char *, Painter> icons[] = {
    {"connect.png", [](QPainter &p) {
         plug(p, 12, green, true);
         p.setPen(outline());
         p.setBrush(green);
         p.drawRoundedRect(QRectF(50, 32, 26, 32), 5, 5);
         p.setPen(outline(ink, 5));
         p.drawLine(76, 48, 90, 48);
         p.drawLine(6, 48, 12, 48);
     }},
    {"disconnect.png", [](QPainter &p) {
         plug(p, 4, grey, true);
         p.setPen(outline());
         p.setBrush(grey);
         p.drawRoundedRect(QRectF(62, 32, 26, 32), 5, 5);
         p.setPen(outline(red, 7));
         p.drawLine(42, 18, 56, 78);
     }},
    {"about.png", [](QPainter &p) {
         p.setPen(outline());
         p.setBrush(blue);
         p.drawEllipse(QPointF(48, 48), 40, 40);
         p.setPen(Qt::NoPen);
         p.setBrush(Qt::white);
         p.drawEllipse(QPointF(48, 28), 6.5, 6.5);
         p.drawRoundedRect(QRectF(42, 40, 12, 36), 4, 4);
     }},
    {"open.png", [](QPainter &p) {
         p.setPen(outline());
         p.setBrush(QColor(200, 150, 40));
         p.drawPolygon(QPolygonF({QPointF(8, 20), QPointF(34, 20), QPointF(42, 28), QPointF(80, 28),
                                  QPointF(80, 80), QPointF(8, 80)}));
         p.setBrush(yellow);
         p.drawPolygon(QPolygonF({QPointF(20, 42), QPointF(90, 42), QPointF(80, 80), QPointF(8, 80)}));
     }},
    {"save.png", [](QPainter &p) { floppy(p, QRectF(12, 12, 72, 72)); }},
    {"SaveAs2.png", [](QPainter &p) {
         floppy(p, QRectF(6, 6, 64, 64));
         p.save();
         p.translate(66, 66);
         p.rotate(45);
         p.setPen(outline(ink, 3));
         p.setBrush(yellow);
         p.drawRect(QRectF(-7, -34, 14, 40));
         p.setBrush(QColor(240, 200, 160));
         p.drawPolygon(QPolygonF({QPointF(-7, 6), QPointF(7, 6), QPointF(0, 20)}));
         p.restore();
     }},
    {"root-terminal.png", [](QPainter &p) {
         p.setPen(outline());
         p.setBrush(QColor(30, 34, 40));
         p.drawRoundedRect(QRectF(8, 14, 80, 68), 6, 6);
         p.setPen(outline(QColor(110, 230, 110), 6));
         p.drawPolyline(QPolygonF({QPointF(22, 34), QPointF(38, 48), QPointF(22, 62)}));
         p.drawLine(46, 64, 70, 64);
     }},
    {"receive.png", [](QPainter &p) {
         device(p, QRectF(8, 52, 80, 38));
         arrow(p, QPointF(48, 4), QPointF(48, 50), blue);
     }},
    {"outbox.png", [](QPainter &p) {
         device(p, QRectF(8, 52, 80, 38));
         arrow(p, QPointF(48, 50), QPointF(48, 4), green);
     }},
    {"device-cells.png", [](QPainter &p) {
         device(p, QRectF(8, 58, 80, 32));
         // The four memory cells, the first one filled.
         p.setPen(outline(ink, 3));
         for (int i = 0; i < 4; ++i) {
             p.setBrush(i == 0 ? green : paper);
             p.drawRoundedRect(QRectF(10 + i * 20, 10, 16, 38), 3, 3);
         }
     }},
    {"Actions-document-new-icon.png", [](QPainter &p) {
         page(p);
         p.setPen(Qt::NoPen);
         p.setBrush(green);
         p.drawEllipse(QPointF(70, 72), 20, 20);
         p.setBrush(Qt::white);
         p.drawRect(QRectF(67, 60, 6, 24));
         p.drawRect(QRectF(58, 69, 24, 6));
     }},
    {"Actions-document-import-icon.png", [](QPainter &p) {
         page(p);
         arrow(p, QPointF(2, 60), QPointF(52, 60), blue);
     }},
    {"Actions-document-export-icon.png", [](QPainter &p) {
         page(p);
         arrow(p, QPointF(46, 60), QPointF(94, 60), green);
     }},
    {"clear.png", [](QPainter &p) {
         p.setPen(outline(red, 12));
         p.drawLine(20, 20, 76, 76);
         p.drawLine(76, 20, 20, 76);
     }},
    {"Programming.png", [](QPainter &p) {
         QFont font(QStringLiteral("DejaVu Sans Mono"));
         font.setPixelSize(64);
         font.setBold(true);
         p.setFont(font);
         p.setPen(blue);
         p.drawText(QRectF(0, 0, Size, Size), Qt::AlignCenter, QStringLiteral("{ }"));
     }},
};

void paintApplicationIcon(QPainter &p)
{
    // A bench power supply with a quill across its front.
    QLinearGradient shade(0, 10, 0, 118);
    shade.setColorAt(0, QColor(96, 108, 124));
    shade.setColorAt(1, QColor(52, 60, 72));
    p.setPen(outline(ink, 4));
    p.setBrush(shade);
    p.drawRoundedRect(QRectF(8, 22, 112, 90), 12, 12);
    p.setBrush(QColor(160, 230, 140));
    p.setPen(outline(ink, 3));
    p.drawRoundedRect(QRectF(20, 36, 58, 30), 4, 4);
    QFont font(QStringLiteral("DejaVu Sans Mono"));
    font.setPixelSize(22);
    font.setBold(true);
    p.setFont(font);
    p.setPen(QColor(20, 70, 20));
    p.drawText(QRectF(20, 36, 58, 30), Qt::AlignCenter, QStringLiteral("12.0"));
    p.setPen(outline(ink, 3));
    p.setBrush(red);
    p.drawEllipse(QPointF(34, 90), 9, 9);
    p.setBrush(QColor(30, 30, 30));
    p.drawEllipse(QPointF(62, 90), 9, 9);

    p.save();
    p.translate(100, 114);
    p.rotate(-10);
    QPainterPath feather;
    feather.moveTo(0, 0);
    feather.cubicTo(-14, -30, -10, -70, 0, -92);
    feather.cubicTo(10, -70, 14, -30, 0, 0);
    p.setPen(outline(ink, 3));
    p.setBrush(paper);
    p.drawPath(feather);
    p.drawLine(QPointF(0, 6), QPointF(0, -80));
    p.restore();
}

bool save(const QImage &image, const QString &path, const char *format = "PNG")
{
    if (image.save(path, format))
        return true;
    std::fprintf(stderr, "drawicons: cannot write %s\n", qPrintable(path));
    return false;
}

} // namespace

int main(int argc, char *argv[])
{
    QGuiApplication app(argc, argv);
    const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("resources");
    QDir().mkpath(out + QStringLiteral("/rec"));
    bool ok = true;
    for (const auto &icon : icons) {
        QImage image(Size, Size, QImage::Format_ARGB32);
        image.fill(Qt::transparent);
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        icon.second(p);
        p.end();
        ok = save(image, out + QStringLiteral("/rec/") + QLatin1String(icon.first)) && ok;
    }
    QDir().mkpath(out + QStringLiteral("/icons"));
    for (const int size : {48, 64, 128, 256}) {
        // The drawing is laid out on a 128-pixel square.
        QImage appIcon(size, size, QImage::Format_ARGB32);
        appIcon.fill(Qt::transparent);
        QPainter p(&appIcon);
        p.setRenderHint(QPainter::Antialiasing);
        p.scale(size / 128.0, size / 128.0);
        paintApplicationIcon(p);
        p.end();
        if (size == 128) {
            ok = save(appIcon, out + QStringLiteral("/quillmar.png")) && ok;
            ok = save(appIcon, out + QStringLiteral("/quillmar.ico"), "ICO") && ok;
        } else {
            ok = save(appIcon, out + QStringLiteral("/icons/quillmar-%1.png").arg(size)) && ok;
        }
    }
    return ok ? 0 : 1;
}
