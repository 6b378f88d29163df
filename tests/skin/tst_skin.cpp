// The skin painted into the run directory's res/: every file the game window
// and the configuration window look for is there, decodes, has the size the
// windows expect, and the ten hangman pieces stack into one drawing.
#include <QColor>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QRect>
#include <QTest>

#include <algorithm>
#include <array>

namespace {

// The drawing area of the game window and the little man's area inside it,
// in the pictures' pixels (they are painted at twice their on-screen size).
constexpr int Scale = 2;
const QSize GallowsPixels{165 * Scale, 195 * Scale};
const QSize FigurePixels{65 * Scale, 112 * Scale};
const QPoint kFigureOffset{(362 - 306) * Scale, (174 - 155) * Scale};
const QColor Shape1Fill{196, 247, 230};
const QColor kButtonFace{240, 240, 240};

const std::array<const char*, 4> GallowsPieces{"ImgBas", "ImgCoter", "ImgPendu", "ImgHaut"};
const std::array<const char*, 6> FigurePieces{"ImgBras1",  "ImgBras2",  "ImgCorps",
                                              "ImgJambe1", "ImgJambe2", "ImgTete"};
// The order in which the game window paints them, each over the ones before.
const std::array<const char*, 10> StackOrder{"ImgBas",    "ImgCoter", "ImgPendu", "ImgHaut",
                                             "ImgBras1",  "ImgBras2", "ImgCorps", "ImgJambe1",
                                             "ImgJambe2", "ImgTete"};

QString resPath(const QString& name)
{
    return QDir(QStringLiteral(CORBELET_RUN_DIR "/res")).filePath(name);
}

QImage load(const QString& name)
{
    QImage image(resPath(name));
    if (image.isNull()) {
        qFatal("cannot decode %s", qPrintable(resPath(name)));
    }
    return image.convertToFormat(QImage::Format_ARGB32);
}

bool isFigurePiece(const QString& name)
{
    return std::find_if(FigurePieces.begin(), FigurePieces.end(), [&](const char* piece) {
               return name == QLatin1String(piece);
           }) != FigurePieces.end();
}

// Where a piece lies in the drawing area, in the gallows picture's pixels.
QPoint placeOf(const QString& piece)
{
    return isFigurePiece(piece) ? kFigureOffset : QPoint();
}

bool opaque(QRgb pixel)
{
    return qAlpha(pixel) >= 128;
}

// The bounds of the clearly opaque pixels, moved to where the piece lies.
QRect opaqueBounds(const QImage& image, QPoint place = {})
{
    QRect bounds;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (opaque(image.pixel(x, y))) {
                bounds |= QRect(x, y, 1, 1);
            }
        }
    }
    return bounds.translated(place);
}

QImage stacked(const std::map<QString, QImage>& pieces)
{
    QImage drawing(GallowsPixels, QImage::Format_ARGB32);
    drawing.fill(Shape1Fill);
    QPainter painter(&drawing);
    for (const char* name : StackOrder) {
        painter.drawImage(placeOf(QLatin1String(name)), pieces.at(QLatin1String(name)));
    }
    return drawing;
}

bool isShape1(QRgb pixel)
{
    return QColor(pixel) == Shape1Fill;
}

int saturation(QRgb pixel)
{
    const int high = std::max({qRed(pixel), qGreen(pixel), qBlue(pixel)});
    const int low = std::min({qRed(pixel), qGreen(pixel), qBlue(pixel)});
    return high - low;
}

} // namespace

class TestSkin : public QObject
{
    Q_OBJECT

    std::map<QString, QImage> pieces;

private slots:
    void initTestCase()
    {
        for (const char* name : StackOrder) {
            pieces.emplace(QLatin1String(name), load(QLatin1String(name) + QStringLiteral(".png")));
        }
    }

    void everyFileDecodesAtItsSize_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QSize>("size");
        QTest::newRow("logo") << QStringLiteral("imgLogo.png") << QSize(416, 176);
        for (const char* piece : GallowsPieces) {
            QTest::newRow(piece) << QLatin1String(piece) + QStringLiteral(".png") << GallowsPixels;
        }
        for (const char* piece : FigurePieces) {
            QTest::newRow(piece) << QLatin1String(piece) + QStringLiteral(".png") << FigurePixels;
        }
        QTest::newRow("info") << QStringLiteral("imgInfo.png") << QSize(160, 160);
        QTest::newRow("btFermer") << QStringLiteral("btFermer.bmp") << QSize(48, 24);
        QTest::newRow("btCfg") << QStringLiteral("btCfg.bmp") << QSize(24, 24);
        QTest::newRow("btMot") << QStringLiteral("btMot.bmp") << QSize(20, 20);
        QTest::newRow("btValid") << QStringLiteral("btValid.bmp") << QSize(36, 18);
        QTest::newRow("btSave") << QStringLiteral("btSave.bmp") << QSize(36, 18);
        QTest::newRow("openson") << QStringLiteral("openson.bmp") << QSize(16, 16);
    }

    void everyFileDecodesAtItsSize()
    {
        QFETCH(QString, name);
        QFETCH(QSize, size);
        QVERIFY2(QFile::exists(resPath(name)), qPrintable(resPath(name)));
        const QImage image(resPath(name));
        QVERIFY(!image.isNull());
        QCOMPARE(image.size(), size);
        QCOMPARE(image.hasAlphaChannel(), name.endsWith(QStringLiteral(".png")));
    }

    void picturesLayerOverTheWindow_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("logo") << QStringLiteral("imgLogo.png");
        QTest::newRow("info") << QStringLiteral("imgInfo.png");
        for (const char* piece : StackOrder) {
            QTest::newRow(piece) << QLatin1String(piece) + QStringLiteral(".png");
        }
    }

    // Transparent corners and no opaque pixel on the border: nothing is cut
    // off at the picture's edge and the background shows around the drawing.
    void picturesLayerOverTheWindow()
    {
        QFETCH(QString, name);
        const QImage image = load(name);
        const int right = image.width() - 1;
        const int bottom = image.height() - 1;
        for (const QPoint corner :
             {QPoint(0, 0), QPoint(right, 0), QPoint(0, bottom), QPoint(right, bottom)}) {
            QCOMPARE(qAlpha(image.pixel(corner)), 0);
        }
        const QRect bounds = opaqueBounds(image);
        QVERIFY(!bounds.isEmpty());
        QVERIFY2(QRect(1, 1, image.width() - 2, image.height() - 2).contains(bounds),
                 qPrintable(name));
    }

    void bitmapsAreOpaqueTwentyFourBitOnTheButtonFace_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("twoStates");
        QTest::newRow("btFermer") << QStringLiteral("btFermer.bmp") << true;
        QTest::newRow("btCfg") << QStringLiteral("btCfg.bmp") << false;
        QTest::newRow("btMot") << QStringLiteral("btMot.bmp") << false;
        QTest::newRow("btValid") << QStringLiteral("btValid.bmp") << true;
        QTest::newRow("btSave") << QStringLiteral("btSave.bmp") << true;
        QTest::newRow("openson") << QStringLiteral("openson.bmp") << false;
    }

    void bitmapsAreOpaqueTwentyFourBitOnTheButtonFace()
    {
        QFETCH(QString, name);
        QFETCH(bool, twoStates);
        QFile file(resPath(name));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray header = file.read(30);
        QVERIFY(header.startsWith("BM"));
        const int bitsPerPixel =
            static_cast<unsigned char>(header[28]) | static_cast<unsigned char>(header[29]) << 8;
        QCOMPARE(bitsPerPixel, 24);

        const QImage bitmap(resPath(name));
        // The lower-left pixel is the colour a button keys out as transparent.
        QCOMPARE(QColor(bitmap.pixel(0, bitmap.height() - 1)), kButtonFace);

        const int stateWidth = twoStates ? bitmap.width() / 2 : bitmap.width();
        if (twoStates) {
            QCOMPARE(bitmap.width() % 2, 0);
        }
        int colourful = 0;
        int drawn = 0;
        int greyOnly = 0;
        for (int y = 0; y < bitmap.height(); ++y) {
            for (int x = 0; x < bitmap.width(); ++x) {
                const QRgb pixel = bitmap.pixel(x, y);
                if (x < stateWidth) {
                    drawn += QColor(pixel) != kButtonFace;
                    colourful += saturation(pixel) >= 30;
                } else {
                    greyOnly += saturation(pixel) <= 2;
                }
            }
        }
        QVERIFY2(drawn > stateWidth * bitmap.height() / 5, "the glyph is nearly empty");
        QVERIFY2(colourful > 10, "the normal glyph has no colour");
        if (twoStates) {
            // The disabled half: the same glyph, in greys only.
            QCOMPARE(greyOnly, stateWidth * bitmap.height());
            QVERIFY(bitmap.copy(stateWidth, 0, stateWidth, bitmap.height()) !=
                    QImage(stateWidth, bitmap.height(), bitmap.format()));
            int greyDrawn = 0;
            for (int y = 0; y < bitmap.height(); ++y) {
                for (int x = stateWidth; x < bitmap.width(); ++x) {
                    greyDrawn += QColor(bitmap.pixel(x, y)) != kButtonFace;
                }
            }
            QVERIFY(greyDrawn > drawn / 2);
        }
    }

    void gallowsPiecesSitWhereTheirNamesSay()
    {
        const QRect base = opaqueBounds(pieces.at(QStringLiteral("ImgBas")));
        const QRect post = opaqueBounds(pieces.at(QStringLiteral("ImgCoter")));
        const QRect top = opaqueBounds(pieces.at(QStringLiteral("ImgHaut")));
        const QRect rope = opaqueBounds(pieces.at(QStringLiteral("ImgPendu")));
        const int width = GallowsPixels.width();
        const int height = GallowsPixels.height();

        // The base lies along the bottom, the post stands on it at the left.
        QVERIFY(base.top() > height * 85 / 100);
        QVERIFY(base.width() > width * 80 / 100);
        QVERIFY(post.height() > height * 75 / 100);
        QVERIFY(post.width() < width / 8);
        QVERIFY(post.right() < width / 3);
        QVERIFY(post.bottom() >= base.top());
        // The top beam and its brace reach over the little man's area.
        QVERIFY(top.top() < height / 10);
        QVERIFY(top.left() <= post.left());
        QVERIFY(top.right() > kFigureOffset.x() + FigurePixels.width() / 2);
        QVERIFY(top.bottom() < height / 2);
        // The rope hangs straight down from under the beam, over the middle of
        // the little man's area.
        const int middle = kFigureOffset.x() + FigurePixels.width() / 2;
        QVERIFY(rope.left() <= middle && rope.right() >= middle);
        QVERIFY(rope.width() < width / 10);
        QVERIFY(rope.top() > top.top() && rope.top() < top.bottom());
    }

    void figurePiecesFormALittleMan()
    {
        const auto bounds = [&](const char* name) {
            return opaqueBounds(pieces.at(QLatin1String(name)));
        };
        const QRect head = bounds("ImgTete");
        const QRect body = bounds("ImgCorps");
        const QRect arm1 = bounds("ImgBras1");
        const QRect arm2 = bounds("ImgBras2");
        const QRect leg1 = bounds("ImgJambe1");
        const QRect leg2 = bounds("ImgJambe2");
        const int middle = FigurePixels.width() / 2;

        QVERIFY(head.left() < middle && head.right() > middle);
        QVERIFY(std::abs(head.center().x() - middle) <= 2);
        QVERIFY(body.left() < middle && body.right() > middle);
        QVERIFY(body.top() > head.center().y() && body.top() <= head.bottom());
        // One arm each side, mirror images of each other in extent.
        QVERIFY(arm1.right() < body.right() && arm1.left() < body.left() - 10);
        QVERIFY(arm2.left() > body.left() && arm2.right() > body.right() + 10);
        QVERIFY(std::abs((middle - arm1.left()) - (arm2.right() - middle)) <= 4);
        QVERIFY(arm1.top() > head.center().y() && arm1.bottom() < body.bottom());
        // The legs come out under the shirt and end near the area's bottom.
        for (const QRect& leg : {leg1, leg2}) {
            QVERIFY(leg.top() >= body.bottom() - 4);
            QVERIFY(leg.bottom() > FigurePixels.height() * 85 / 100);
        }
        QVERIFY(leg1.center().x() < middle && leg2.center().x() > middle);
    }

    // The rope ends where the head begins: no gap between them, and the rope
    // does not show inside the face.
    void ropeEndsOnTheHead()
    {
        const QRect rope = opaqueBounds(pieces.at(QStringLiteral("ImgPendu")));
        const QRect head = opaqueBounds(pieces.at(QStringLiteral("ImgTete")), kFigureOffset);
        QVERIFY2(rope.bottom() >= head.top() - 1, "gap between the rope and the head");
        QVERIFY2(rope.bottom() <= head.top() + 4, "the rope runs into the head");

        const QImage drawing = stacked(pieces);
        const int middle = kFigureOffset.x() + FigurePixels.width() / 2;
        for (int y = rope.top(); y <= head.center().y(); ++y) {
            QVERIFY2(!isShape1(drawing.pixel(middle, y)), qPrintable(QString::number(y)));
        }
    }

    void stackedPiecesMakeOneDrawing()
    {
        const QImage drawing = stacked(pieces);
        // Every piece still shows once all the later ones are painted over it.
        for (std::size_t i = 0; i < StackOrder.size(); ++i) {
            const QString name = QLatin1String(StackOrder[i]);
            const QImage& piece = pieces.at(name);
            const QPoint place = placeOf(name);
            int visible = 0;
            for (int y = 0; y < piece.height(); ++y) {
                for (int x = 0; x < piece.width(); ++x) {
                    if (!opaque(piece.pixel(x, y))) {
                        continue;
                    }
                    bool covered = false;
                    for (std::size_t later = i + 1; later < StackOrder.size() && !covered;
                         ++later) {
                        const QString above = QLatin1String(StackOrder[later]);
                        const QPoint at = QPoint(x, y) + place - placeOf(above);
                        const QImage& upper = pieces.at(above);
                        covered = upper.rect().contains(at) && opaque(upper.pixel(at));
                    }
                    visible += !covered;
                }
            }
            QVERIFY2(visible > 300, qPrintable(name));
        }

        // The space between the feet and the base stays empty.
        const QRect feet =
            opaqueBounds(pieces.at(QStringLiteral("ImgJambe1")), kFigureOffset)
                .united(opaqueBounds(pieces.at(QStringLiteral("ImgJambe2")), kFigureOffset));
        const QRect base = opaqueBounds(pieces.at(QStringLiteral("ImgBas")));
        const QRect post = opaqueBounds(pieces.at(QStringLiteral("ImgCoter")));
        const QRect gap(post.right() + 2, feet.bottom() + 2,
                        GallowsPixels.width() - post.right() - 4, base.top() - feet.bottom() - 12);
        QVERIFY(gap.height() > 20);
        for (int y = gap.top(); y <= gap.bottom(); ++y) {
            for (int x = gap.left(); x <= gap.right(); ++x) {
                QVERIFY2(isShape1(drawing.pixel(x, y)),
                         qPrintable(QStringLiteral("%1,%2").arg(x).arg(y)));
            }
        }
    }

    // The information panel's texts start 63 pixels into the panel, over the
    // icon's right part: the icon keeps to the left of them.
    void infoIconKeepsLeftOfThePanelTexts()
    {
        const QRect icon = opaqueBounds(load(QStringLiteral("imgInfo.png")));
        QVERIFY(icon.right() < (63 - 1) * Scale);
        QVERIFY(icon.width() > 40 * Scale);
    }

    void logoFillsItsPlace()
    {
        const QImage logo = load(QStringLiteral("imgLogo.png"));
        const QRect bounds = opaqueBounds(logo);
        QVERIFY(bounds.width() > logo.width() * 85 / 100);
        QVERIFY(bounds.height() > logo.height() * 80 / 100);
    }
};

QTEST_APPLESS_MAIN(TestSkin)
#include "tst_skin.moc"
