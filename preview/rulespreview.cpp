#include "preview/rulespreview.h"

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QVBoxLayout>
#include <QWidget>

#include <memory>

namespace {

// The one bridge of the process: created on first need, kept until exit so
// that the plug-in stays loaded as long as a preview may exist.
std::unique_ptr<TDocRtf> processBridge;

void showNotice(QWidget* page, const QString& text)
{
    auto* notice = new QLabel(text, page);
    notice->setObjectName(QStringLiteral("laApercuAbsent"));
    notice->setWordWrap(true);
    notice->setAlignment(Qt::AlignCenter);
    if (!page->layout())
        new QVBoxLayout(page); // owned by the page
    page->layout()->addWidget(notice);
    notice->show();
}

} // namespace

std::string PreviewScript(int width, int height, const std::string& document)
{
    const std::string crlf = "\r\n";
    return "HEIGHT|" + std::to_string(height - 5) + "|Pixel|False" + crlf + "WIDTH|" +
           std::to_string(width + 20) + "|Pixel|False" + crlf + "BEGINDOC" + crlf + "RTFEXT|" +
           document + "|10|5|" + std::to_string(width + 10) + "|" + std::to_string(height) + crlf +
           "ENDDOC";
}

std::uint32_t ShowRulesPreview(TDocRtf& bridge, QWidget* window, QWidget* page,
                               const QString& document)
{
    // The plug-in may be missing or offer fewer entry points: nothing is
    // created unless the three calls can all be made.
    if (!bridge.CreateIncApercus || !bridge.DrawInPreviewAll || !bridge.ShowIncApercus) {
        showNotice(page, QStringLiteral("Les règles du jeu ne peuvent pas être affichées : "
                                        "le module d'aperçu est absent."));
        return 0;
    }
    const std::uint32_t handle = bridge.CreateIncApercus(window, page);
    if (handle == 0) {
        showNotice(page, QStringLiteral("Les règles du jeu ne peuvent pas être affichées : "
                                        "le module d'aperçu n'a pas pu créer l'aperçu."));
        return 0;
    }
    // The script names the document in the file system's own bytes, so that
    // any folder name reaches the plug-in unchanged.
    const std::string script =
        PreviewScript(page->width(), page->height(), QFile::encodeName(document).toStdString());
    bridge.DrawInPreviewAll(handle, script.c_str());
    bridge.ShowIncApercus(handle);
    return handle;
}

void DestroyRulesPreview(TDocRtf& bridge, std::uint32_t handle)
{
    if (bridge.DestroyApercus && handle != 0)
        bridge.DestroyApercus(handle);
}

TDocRtf& DocRtf()
{
    if (!processBridge)
        processBridge = std::make_unique<TDocRtf>(
            qobject_cast<QApplication*>(QCoreApplication::instance()), CORBELET_PREVIEW_INIT_TEXT);
    return *processBridge;
}
