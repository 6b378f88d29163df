// The program's windows at start-up: created in their order (the game window
// before the two others exist, the configuration window before the score
// list), the configuration window owned by the game window, and none of the
// three shown: the caller shows the game window once all exist. Watched from
// the application's event stream while the real windows are built.

#include "app/programwindows.h"

#include "config/tcfgjeu.h"

#include <QApplication>
#include <QFileInfo>
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

private:
    QTemporaryDir m_settings;
};

QTEST_MAIN(TestProgramWindows)
#include "tst_programwindows.moc"
