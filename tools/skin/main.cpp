// Paints the game's skin: the pictures and button glyphs that the game window
// and the configuration window load from res/ beside the executable.
//
//   corbelet_skingen OUTPUT_DIR [--preview FILE [--scale N]]
//   corbelet_skingen --icons THEME_DIR NAME
//
// writes every skin file into OUTPUT_DIR and, on request, a preview of the
// dressed game window; or writes the program's icon NAME into the folders of
// an icon theme under THEME_DIR (<size>x<size>/apps/NAME.png and
// scalable/apps/NAME.svg).
#include "skinglyphs.h"
#include "skinicons.h"
#include "skinpictures.h"
#include "skinpreview.h"

#include <QDir>
#include <QGuiApplication>
#include <QImageWriter>
#include <QStringList>

#include <cstdio>
#include <exception>
#include <functional>
#include <map>
#include <stdexcept>
#include <vector>

namespace {

struct SkinFile
{
    QString name;
    std::function<QImage()> paint;
};

std::vector<SkinFile> skinFiles()
{
    using namespace Skin;
    const auto gallows = [](GallowsPiece piece) {
        return [piece] { return paintGallowsPiece(piece); };
    };
    const auto figure = [](FigurePiece piece) {
        return [piece] { return paintFigurePiece(piece); };
    };
    return {
        {QStringLiteral("imgLogo.png"), paintLogo},
        {QStringLiteral("ImgBas.png"), gallows(GallowsPiece::Bas)},
        {QStringLiteral("ImgCoter.png"), gallows(GallowsPiece::Coter)},
        {QStringLiteral("ImgPendu.png"), gallows(GallowsPiece::Pendu)},
        {QStringLiteral("ImgHaut.png"), gallows(GallowsPiece::Haut)},
        {QStringLiteral("ImgBras1.png"), figure(FigurePiece::Bras1)},
        {QStringLiteral("ImgBras2.png"), figure(FigurePiece::Bras2)},
        {QStringLiteral("ImgCorps.png"), figure(FigurePiece::Corps)},
        {QStringLiteral("ImgJambe1.png"), figure(FigurePiece::Jambe1)},
        {QStringLiteral("ImgJambe2.png"), figure(FigurePiece::Jambe2)},
        {QStringLiteral("ImgTete.png"), figure(FigurePiece::Tete)},
        {QStringLiteral("imgInfo.png"), paintInfoIcon},
        {QStringLiteral("btFermer.bmp"), glyphFermer},
        {QStringLiteral("btCfg.bmp"), glyphCfg},
        {QStringLiteral("btMot.bmp"), glyphMot},
        {QStringLiteral("btValid.bmp"), glyphValid},
        {QStringLiteral("btSave.bmp"), glyphSave},
        {QStringLiteral("openson.bmp"), glyphOpenSon},
    };
}

void save(const QImage& image, const QString& path)
{
    // PNG keeps the alpha channel; a bitmap is written from an opaque RGB
    // image, which Qt stores with 24 bits per pixel.
    const bool bitmap = path.endsWith(QStringLiteral(".bmp"));
    const QImage stored = bitmap ? image.convertToFormat(QImage::Format_RGB32)
                                 : image.convertToFormat(QImage::Format_ARGB32);
    QImageWriter writer(path);
    if (!writer.write(stored)) {
        throw std::runtime_error("cannot write " + path.toStdString() + ": " +
                                 writer.errorString().toStdString());
    }
}

QDir madeFolder(const QString& path)
{
    const QDir folder(path);
    if (!folder.mkpath(QStringLiteral(".")))
        throw std::runtime_error("cannot create " + path.toStdString());
    return folder;
}

void writeIcons(const QString& themeFolder, const QString& name)
{
    for (const int size : Skin::kAppIconSizes) {
        const QDir folder = madeFolder(QStringLiteral("%1/%2x%2/apps").arg(themeFolder).arg(size));
        save(Skin::paintAppIcon(size), folder.filePath(name + QStringLiteral(".png")));
    }
    const QDir scalable = madeFolder(themeFolder + QStringLiteral("/scalable/apps"));
    Skin::writeScalableAppIcon(scalable.filePath(name + QStringLiteral(".svg")));
}

int run(const QStringList& arguments)
{
    if (arguments.size() == 4 && arguments[1] == QStringLiteral("--icons")) {
        writeIcons(arguments[2], arguments[3]);
        return 0;
    }
    if (arguments.size() < 2 || arguments[1].startsWith(QLatin1Char('-'))) {
        std::fprintf(stderr,
                     "usage: %s OUTPUT_DIR [--preview FILE [--scale N]]\n"
                     "       %s --icons THEME_DIR NAME\n",
                     qPrintable(arguments.value(0)), qPrintable(arguments.value(0)));
        return 2;
    }
    QString previewPath;
    int scale = 2;
    for (qsizetype i = 2; i < arguments.size(); ++i) {
        if (arguments[i] == QStringLiteral("--preview") && i + 1 < arguments.size()) {
            previewPath = arguments[++i];
        } else if (arguments[i] == QStringLiteral("--scale") && i + 1 < arguments.size()) {
            bool ok = false;
            scale = arguments[++i].toInt(&ok);
            if (!ok || scale < 1 || scale > 4) {
                throw std::runtime_error("--scale takes 1 to 4");
            }
        } else {
            throw std::runtime_error("unknown argument " + arguments[i].toStdString());
        }
    }

    const QDir output = madeFolder(arguments[1]);
    std::map<QString, QImage> painted;
    for (const SkinFile& file : skinFiles()) {
        QImage image = file.paint();
        save(image, output.filePath(file.name));
        painted.emplace(file.name, std::move(image));
    }
    if (!previewPath.isEmpty()) {
        save(Skin::paintPreview(painted, scale), previewPath);
    }
    return 0;
}

} // namespace

int main(int argc, char* argv[])
{
    // The skin is painted off screen; the application is there for fonts.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    try {
        return run(QCoreApplication::arguments());
    } catch (const std::exception& error) {
        std::fprintf(stderr, "corbelet_skingen: %s\n", error.what());
        return 1;
    }
}
