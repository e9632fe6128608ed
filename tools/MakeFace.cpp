// SPDX-License-Identifier: MIT
// MakeFace: draws the sample clock face and writes a tokei-set.ini for it.
//
//   MakeFace OUTPUT_FOLDER [SIZE] [--relative-picture]
//
// writes OUTPUT_FOLDER/face.png and OUTPUT_FOLDER/tokei-set.ini, whose
// picture line holds the absolute path of face.png (or just "face.png",
// for a face copied elsewhere together with its picture). SIZE (pixels,
// default 244) draws the same face larger or smaller, with a design to
// match; the clock benchmark measures faces of several sizes this way. The
// picture and the design are made together here so that the dial, the
// hands area and the window size can never disagree.
//
// Geometry. The clock shows the picture from window pixel (2, 2) and cuts the
// window to the ellipse (2, 2)-(W/15, H/15), right and bottom exclusive. With
// a square picture of kPicturePx pixels and W = H = (kPicturePx + 2) * 15
// twips, that ellipse is exactly the circle inscribed in the picture, so the
// dial drawn here fills the clock window edge to edge. (W is the editor's
// picture frame plus 60 twips, so the frame is kPicturePx - 2 pixels wide.)
// The hands pivot on the picture's centre; the clock puts its twelve tick
// marks on the hands area's circle, which falls in a clear band just inside
// the dial's minute track.

#include <QByteArray>
#include <QColor>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPen>
#include <QRadialGradient>
#include <QString>

#include <cmath>
#include <cstdio>
#include <numbers>

namespace {

constexpr int kTwipsPerPixel = 15;

constexpr int kPicturePx = 244;                 // the picture is square
constexpr double kCentre = kPicturePx / 2.0;    // pixels, both axes
constexpr double kBezelOuter = kPicturePx / 2.0;
constexpr double kBezelInner = 113.0;           // where the dial begins
constexpr double kHandsRadiusPx = 100.0;        // half the hands area

// The face is drawn in the geometry above and scaled to this many pixels.
int gSizePx = kPicturePx;

// Colours of the face, and of the clock's own marks drawn over it.
const QColor kInk(0x27, 0x2f, 0x48);        // numerals, hour and minute hands
const QColor kBrass(0x9a, 0x7b, 0x3c);      // tick marks, fine detail
const QColor kCrimson(0xb8, 0x2b, 0x2e);    // second hand

// The settings file stores a colour as red + 256 * green + 65536 * blue.
int fileColour(const QColor &c)
{
    return c.red() + 256 * c.green() + 65536 * c.blue();
}

// Point at `radius` from the centre, `degrees` clockwise from 12 o'clock.
QPointF polar(double radius, double degrees)
{
    const double a = degrees * std::numbers::pi / 180.0;
    return {kCentre + radius * std::sin(a), kCentre - radius * std::cos(a)};
}

QRectF circle(double radius)
{
    return {kCentre - radius, kCentre - radius, 2 * radius, 2 * radius};
}

void drawBezel(QPainter &p)
{
    // A bevelled champagne rim: the outer band lit from the top left, the
    // inner band from the bottom right.
    QLinearGradient outer(0, 0, kPicturePx, kPicturePx);
    outer.setColorAt(0.0, QColor(0xfb, 0xf6, 0xea));
    outer.setColorAt(0.45, QColor(0xd8, 0xcb, 0xae));
    outer.setColorAt(1.0, QColor(0x86, 0x74, 0x55));
    p.setPen(Qt::NoPen);
    p.setBrush(outer);
    p.drawEllipse(circle(kBezelOuter));

    QLinearGradient inner(kPicturePx, kPicturePx, 0, 0);
    inner.setColorAt(0.0, QColor(0xf4, 0xeb, 0xd6));
    inner.setColorAt(0.5, QColor(0xc9, 0xb8, 0x95));
    inner.setColorAt(1.0, QColor(0x8e, 0x7b, 0x5a));
    p.setBrush(inner);
    p.drawEllipse(circle(kBezelInner + 4.0));

    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(0x6e, 0x5e, 0x44, 160), 1.0));
    p.drawEllipse(circle(kBezelInner + 0.5));
}

void drawDial(QPainter &p)
{
    // Warm ivory, lit slightly from the upper left.
    QRadialGradient light(QPointF(kCentre, kCentre), kBezelInner,
                          QPointF(kCentre - 28, kCentre - 34));
    light.setColorAt(0.0, QColor(0xff, 0xfe, 0xfa));
    light.setColorAt(0.55, QColor(0xf7, 0xf1, 0xe4));
    light.setColorAt(1.0, QColor(0xe4, 0xd9, 0xc3));
    p.setPen(Qt::NoPen);
    p.setBrush(light);
    p.drawEllipse(circle(kBezelInner));

    // The rim casts a soft shade onto the dial's edge.
    QRadialGradient shade(QPointF(kCentre, kCentre), kBezelInner);
    shade.setColorAt(0.0, QColor(60, 40, 15, 0));
    shade.setColorAt(0.86, QColor(60, 40, 15, 0));
    shade.setColorAt(1.0, QColor(60, 40, 15, 70));
    p.setBrush(shade);
    p.drawEllipse(circle(kBezelInner));
}

void drawRosette(QPainter &p)
{
    // A faint engine-turned rosette in the middle of the dial: circles whose
    // centres walk round a small ring.
    constexpr int kCircles = 48;
    constexpr double kRing = 17.0;
    constexpr double kRadius = 22.0;
    p.save();
    QPainterPath clip;
    clip.addEllipse(circle(kRing + kRadius - 0.5));
    p.setClipPath(clip);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(0x9a, 0x7b, 0x3c, 48), 0.7));
    for (int i = 0; i < kCircles; ++i) {
        const QPointF c = polar(kRing, 360.0 * i / kCircles);
        p.drawEllipse(c, kRadius, kRadius);
    }
    p.restore();

    p.setPen(QPen(QColor(0x9a, 0x7b, 0x3c, 90), 0.8));
    p.drawEllipse(circle(kRing + kRadius + 1.0));
}

void drawChapterRing(QPainter &p)
{
    // Minute track between two fine circles, just outside the hands area; the
    // clock's own tick marks fall in the clear band inside it, one beneath
    // each hour lozenge.
    const double inner = kHandsRadiusPx + 3.5;
    const double outer = kHandsRadiusPx + 10.0;
    const QColor track(0x8c, 0x7a, 0x5a);

    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(track, 0.8));
    p.drawEllipse(circle(outer));
    p.setPen(QPen(QColor(0x8c, 0x7a, 0x5a, 150), 0.6));
    p.drawEllipse(circle(inner));

    for (int m = 0; m < 60; ++m) {
        const double a = 6.0 * m;
        if (m % 5 == 0) {
            // A small lozenge at each hour, pointing at the tick mark.
            QPainterPath lozenge;
            lozenge.moveTo(polar(outer - 0.2, a));
            lozenge.lineTo(polar(inner + 2.5, a - 1.4));
            lozenge.lineTo(polar(inner + 0.2, a));
            lozenge.lineTo(polar(inner + 2.5, a + 1.4));
            lozenge.closeSubpath();
            p.setPen(Qt::NoPen);
            p.setBrush(kBrass);
            p.drawPath(lozenge);
        } else {
            p.setBrush(Qt::NoBrush);
            p.setPen(QPen(track, 0.7, Qt::SolidLine, Qt::FlatCap));
            p.drawLine(polar(inner + 2.0, a), polar(outer, a));
        }
    }
}

QFont faceFont(int pixelSize, QFont::Weight weight)
{
    QFont f(QStringLiteral("DejaVu Serif"));
    f.setStyleHint(QFont::Serif, QFont::PreferAntialias);
    f.setPixelSize(pixelSize);
    f.setWeight(weight);
    return f;
}

// Draws `text` centred on `centre` by its ink, not its line box.
void drawCentred(QPainter &p, const QString &text, const QPointF &centre)
{
    QPainterPath path;
    path.addText(0, 0, p.font(), text);
    const QRectF box = path.boundingRect();
    path.translate(centre - box.center());
    p.drawPath(path);
}

void drawNumerals(QPainter &p)
{
    p.setPen(Qt::NoPen);
    p.setBrush(kInk);
    p.setFont(faceFont(15, QFont::Normal));
    constexpr double kRadius = 88.0;
    for (int h = 1; h <= 12; ++h)
        drawCentred(p, QString::number(h), polar(kRadius, 30.0 * h));
}

void drawName(QPainter &p)
{
    QFont f = faceFont(9, QFont::Normal);
    f.setLetterSpacing(QFont::AbsoluteSpacing, 1.6);
    f.setCapitalization(QFont::AllUppercase);
    p.setFont(f);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x6f, 0x5d, 0x3e));
    drawCentred(p, QStringLiteral("Orbelle"), QPointF(kCentre, kCentre - 56));

    // A small orb under the name.
    const QPointF orb(kCentre, kCentre - 47);
    QRadialGradient g(orb, 2.6, orb - QPointF(0.9, 0.9));
    g.setColorAt(0.0, QColor(0xe8, 0xd2, 0x9a));
    g.setColorAt(1.0, kBrass);
    p.setBrush(g);
    p.drawEllipse(orb, 2.4, 2.4);
}

void drawPivot(QPainter &p)
{
    // The hands are drawn from here; a small dark boss under them.
    QRadialGradient g(QPointF(kCentre - 1.2, kCentre - 1.2), 5.0);
    g.setColorAt(0.0, QColor(0x5a, 0x63, 0x80));
    g.setColorAt(1.0, kInk);
    p.setPen(QPen(QColor(0xc9, 0xb8, 0x95), 0.8));
    p.setBrush(g);
    p.drawEllipse(QPointF(kCentre, kCentre), 4.5, 4.5);
}

QImage drawFace()
{
    QImage img(gSizePx, gSizePx, QImage::Format_RGB32);
    // Corners fall outside the window's ellipse; give them the rim's colour
    // so that a pixel of difference in the cut never shows a bright edge.
    img.fill(QColor(0x86, 0x74, 0x55));

    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    if (gSizePx != kPicturePx)
        p.scale(double(gSizePx) / kPicturePx, double(gSizePx) / kPicturePx);
    drawBezel(p);
    drawDial(p);
    drawRosette(p);
    drawChapterRing(p);
    drawNumerals(p);
    drawName(p);
    drawPivot(p);
    p.end();
    return img;
}

// One line of the settings file: fields as given, ended by CR LF.
void putLine(QByteArray &out, const QByteArray &fields)
{
    out += fields;
    out += "\r\n";
}

QByteArray designFor(const QString &picturePath)
{
    // The window is the picture and 2 pixels; the hands area keeps its share
    // of the picture, in whole pixels.
    const int handsAreaPx = int(std::lround(2 * kHandsRadiusPx * gSizePx / kPicturePx));
    const QByteArray n = QByteArray::number((gSizePx + 2) * kTwipsPerPixel);
    const QByteArray c = QByteArray::number(gSizePx * kTwipsPerPixel / 2);
    const QByteArray d = QByteArray::number(handsAreaPx * kTwipsPerPixel);
    QByteArray out;
    putLine(out, n + ',' + n);                                   // window size
    putLine(out, '"' + QDir::toNativeSeparators(picturePath).toLocal8Bit() + '"');  // picture
    putLine(out, "0,0");                                         // picture offset
    putLine(out, "#TRUE#,#FALSE#,#FALSE#");                      // ellipse
    putLine(out, c + ',' + c + ',' + d + ',' + d);               // hands area
    putLine(out, "1,1,1,1");                                     // all shown
    putLine(out, QByteArray::number(fileColour(kBrass)) + ',' +    // ticks, s, m, h
                     QByteArray::number(fileColour(kCrimson)) + ',' +
                     QByteArray::number(fileColour(kInk)) + ',' +
                     QByteArray::number(fileColour(kInk)));
    putLine(out, "\"95\",\"80\",\"60\"");                        // lengths, %
    putLine(out, "");                                            // no vertices
    putLine(out, "134,206");                                     // the editor's
    putLine(out, "1950,3015");                                   //  hidden template
    return out;
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           f.write(bytes) == bytes.size() && f.flush();
}

}  // namespace

int main(int argc, char **argv)
{
    // Fonts need a GUI application, never a display.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);

    // --relative-picture names the picture by its bare file name, for a face
    // that is copied elsewhere together with its picture.
    bool relative = false;
    if (argc > 2 && qstrcmp(argv[argc - 1], "--relative-picture") == 0) {
        relative = true;
        --argc;
    }
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "usage: MakeFace OUTPUT_FOLDER [SIZE] [--relative-picture]\n");
        return 2;
    }
    if (argc == 3) {
        bool ok = false;
        gSizePx = QByteArray(argv[2]).toInt(&ok);
        if (!ok || gSizePx < 16 || gSizePx > 4000) {
            std::fprintf(stderr, "MakeFace: SIZE must be a number of pixels from 16 to 4000\n");
            return 2;
        }
    }
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    if (!folder.exists() && !QDir().mkpath(folder.path())) {
        std::fprintf(stderr, "MakeFace: cannot create %s\n", argv[1]);
        return 1;
    }

    const QString picture = QFileInfo(folder.filePath(QStringLiteral("face.png"))).absoluteFilePath();
    const QString ini = folder.filePath(QStringLiteral("tokei-set.ini"));
    if (picture.contains(QLatin1Char('"'))) {
        // The settings file has no way to quote a double quote.
        std::fprintf(stderr, "MakeFace: the output path must not contain '\"'\n");
        return 1;
    }

    if (!drawFace().save(picture, "PNG")) {
        std::fprintf(stderr, "MakeFace: cannot write %s\n", qPrintable(picture));
        return 1;
    }
    if (!writeFile(ini, designFor(relative ? QStringLiteral("face.png") : picture))) {
        std::fprintf(stderr, "MakeFace: cannot write %s\n", qPrintable(ini));
        return 1;
    }
    return 0;
}
