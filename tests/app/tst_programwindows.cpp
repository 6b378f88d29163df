// The program's windows at start-up: created in their order (the game window
// before the two others exist, the configuration window before the score
// list), the configuration window owned by the game window, and none of the
// three shown: the caller shows the game window once all exist. Watched from
// the application's event stream while the real windows are built.

#include "app/programwindows.h"

#include "app/errorreport.h"
#include "config/tcfgjeu.h"
#include "rules/cues.h"
#include "tests/config/cfgtesthelpers.h"
#include "tests/config/formcontrol.h"
#include "tests/support/reportboxes.h"

#include <QApplication>
#include <QFileInfo>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>

namespace {

template <typename Window> bool exists()
{
    const QList<QWidget*> widgets = QApplication::allWidgets();
    return std::any_of(widgets.begin(), widgets.end(),
                       [](QWidget* widget) { return qobject_cast<Window*>(widget) != nullptr; });
}

// Records, while the game and configuration windows are being built (each
// receives its first control), which windows exist already, and which windows
// are shown.
class CreationWatcher : public QObject
{
public:
    CreationWatcher() { qApp->installEventFilter(this); }
    ~CreationWatcher() override { qApp->removeEventFilter(this); }

    // What existed while each window got its first control, in that order.
    QStringList creations;
    // The class of every window shown.
    QStringList shown;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::ChildAdded)
            note(watched);
        else if (event->type() == QEvent::Show && watched->isWidgetType() &&
                 static_cast<QWidget*>(watched)->isWindow())
            shown << QString::fromLatin1(watched->metaObject()->className());
        return false;
    }

private:
    void note(QObject* receiver)
    {
        const QString name = QString::fromLatin1(receiver->metaObject()->className());
        if ((name != "TPendForm" && name != "TCfgJeu") ||
            std::any_of(creations.begin(), creations.end(),
                        [&](const QString& seen) { return seen.startsWith(name + ':'); }))
            return;
        creations << QStringLiteral("%1: TCfgJeu %2, TScoreListe %3")
                         .arg(name)
                         .arg(exists<TCfgJeu>() ? "yes" : "no")
                         .arg(exists<TScoreListe>() ? "yes" : "no");
    }
};

} // namespace

class TestProgramWindows : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        qputenv("SDL_AUDIODRIVER", "dummy");
        QApplication::setApplicationName(QStringLiteral("Corbelet"));
        QVERIFY(m_settings.isValid());
    }

    void everyCueHasItsDefaultFile()
    {
        // The default sounds are made by hand and committed under the cues'
        // names: a renamed cue or a misnamed file would play nothing.
        for (const auto& [cue, name] : kCues) {
            const QString file = QStringLiteral(CORBELET_RUN_DIR "/res/") +
                                 QLatin1StringView(name.data(), name.size()) +
                                 QStringLiteral(".mp3");
            QVERIFY2(QFileInfo(file).isFile(), qPrintable(file));
        }
    }

    void createdInOrderAndHidden()
    {
        CreationWatcher watcher;
        const QString settingsFile = m_settings.filePath(QStringLiteral("corbelet.ini"));
        ProgramLayout layout;
        layout.resourceFolder = CORBELET_RUN_DIR;
        layout.baseFolder = CORBELET_RUN_DIR;
        layout.settingsFile = QFile::encodeName(settingsFile).toStdString();
        const ProgramWindows windows = CreateProgramWindows(layout);

        QVERIFY(windows.pendForm);
        QVERIFY(windows.cfgJeu);
        QVERIFY(windows.scoreListe);
        QCOMPARE(watcher.creations,
                 (QStringList{QStringLiteral("TPendForm: TCfgJeu no, TScoreListe no"),
                              QStringLiteral("TCfgJeu: TCfgJeu yes, TScoreListe no")}));
        // The configuration window loaded its settings, writing the missing file.
        QVERIFY(QFileInfo::exists(settingsFile));

        QCOMPARE(windows.cfgJeu->parentWidget(), windows.pendForm.get());
        QVERIFY(windows.cfgJeu->isWindow());
        QVERIFY(!windows.pendForm->isVisible());
        QVERIFY(!windows.cfgJeu->isVisible());
        QVERIFY(!windows.scoreListe->isVisible());
        QVERIFY(windows.scoreListe->isWindow());
        QCOMPARE(watcher.shown, QStringList());
        // Destroyed unshown: the word store, connected on the game window's
        // first activation, is never asked for anything.
    }

    void oneFailureOneBox()
    {
        // The word server cannot start (its base folder holds no data
        // folder): each attempt to connect fails the same way.
        QTemporaryDir empty;
        ReportBoxes boxes;
        ProgramLayout layout;
        layout.resourceFolder = CORBELET_RUN_DIR;
        layout.baseFolder = QFile::encodeName(empty.path()).toStdString();
        layout.settingsFile =
            QFile::encodeName(m_settings.filePath(QStringLiteral("boites.ini"))).toStdString();
        const ProgramWindows windows = CreateProgramWindows(layout);
        TPendForm& game = *windows.pendForm;
        TCfgJeu& configuration = *windows.cfgJeu;

        // The first activation of the game window: one box.
        game.show();
        QTRY_COMPARE(boxes.texts.size(), 1);
        QVERIFY2(boxes.texts[0].startsWith(QStringLiteral("Cannot connect to SQL server")),
                 qPrintable(boxes.texts[0]));
        // The window manager hands the activation back to the game window.
        game.activateWindow();
        QTRY_VERIFY(QApplication::activeWindow() == &game || boxes.texts.size() > 1);
        QCOMPARE(boxes.texts.size(), 1);

        // A genre picked in the configuration window, through its list: one
        // box, over the configuration window. Closing it, the window manager
        // may hand the activation to the game window: that is no return of
        // the player, and raises nothing more.
        QTest::mouseClick(control<QPushButton>(game, "btCfg"), Qt::LeftButton);
        QTRY_COMPARE(QApplication::activeWindow(), &configuration);
        QVERIFY(CfgTest::pick(control<QComboBox>(configuration, "cbGenre"), 1));
        QTRY_COMPARE(boxes.texts.size(), 2);
        QCOMPARE(boxes.texts[1], boxes.texts[0]);
        game.activateWindow();
        QTRY_VERIFY(QApplication::activeWindow() == &game || boxes.texts.size() > 2);
        QTest::qWait(50);
        QCOMPARE(boxes.texts.size(), 2);

        // The player's own return, from the configuration window, tries again.
        configuration.activateWindow();
        QTRY_COMPARE(QApplication::activeWindow(), &configuration);
        game.activateWindow();
        QTRY_COMPARE(boxes.texts.size(), 3);
    }

private:
    QTemporaryDir m_settings;
};

int main(int argc, char** argv)
{
    // The program's application: an error escaping a handler reaches the
    // general error report.
    CorbeletApplication application(argc, argv);
    TestProgramWindows test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_programwindows.moc"
