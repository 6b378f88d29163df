#include "app/errorreport.h"

#include "wordstore/wordstore.h"

#include <QMessageBox>

#include <stdexcept>

QString ErrorReportText(std::string_view utf8)
{
    QString text = QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
    // Every character past the ASCII range counts as above the full stop,
    // including either half of a surrogate pair.
    if (!text.isEmpty() && text.back().unicode() > u'.')
        text += QLatin1Char('.');
    return text;
}

namespace {

void showReport(QMessageBox::Icon icon, const QString& text)
{
    QMessageBox box(icon, QApplication::applicationName(), text, QMessageBox::Ok,
                    QApplication::activeWindow());
    box.setWindowModality(Qt::ApplicationModal);
    box.exec();
}

} // namespace

void ReportWarning(std::string_view utf8)
{
    showReport(QMessageBox::Warning, ErrorReportText(utf8));
}

void ReportCurrentException()
{
    QString text;
    try {
        throw;
    } catch (const WordStoreAbandoned&) {
        // The game window closed while a handler waited for the word
        // server: that handler ended there, and there is nothing to say.
        return;
    } catch (const std::exception& error) {
        text = ErrorReportText(error.what());
    } catch (...) {
        // Something that is not an error object still must not end the
        // program; it has no text of its own to show.
        text = ErrorReportText("Erreur inconnue");
    }
    showReport(QMessageBox::Critical, text);
}

CorbeletApplication::CorbeletApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool CorbeletApplication::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        ReportCurrentException();
        return false;
    }
}
