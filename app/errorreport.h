#pragma once

// The application-wide report of errors that escape a window handler: each is
// shown in a message box and the program carries on with the next event.

#include <QApplication>
#include <QString>

#include <exception>
#include <string_view>

// The text shown for an error whose message is `utf8`: the message, with a full
// stop appended when it is not empty and its last character's code is above
// that of the full stop ("Fichier introuvable" gets one; "Fin." and "Oups !"
// do not).
QString ErrorReportText(std::string_view utf8);

// Shows the report for the error being handled: a message box with its text,
// the application title as caption, the error icon and one OK button, owned by
// the active window and modal for the whole application. Call it only from a
// catch block.
void ReportCurrentException();

// Shows `utf8`, a French text about something that does not stop the
// program, in a box like the report's but with the warning icon.
void ReportWarning(std::string_view utf8);

// Runs `step`; an error escaping it is reported and the caller goes on. Returns
// whether the step ran to its end.
template <typename Step> bool RunReported(Step&& step)
{
    try {
        step();
        return true;
    } catch (...) {
        ReportCurrentException();
        return false;
    }
}

// The program's application object: it catches every error escaping the
// dispatch of an event (a handler, a slot run by a signal, a timer) so that it
// never crosses Qt's event loop, and reports it.
class CorbeletApplication : public QApplication
{
    Q_OBJECT
public:
    CorbeletApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};
