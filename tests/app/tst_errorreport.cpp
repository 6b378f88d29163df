// The general error report: the text rule, and errors escaping real handlers
// (a timer's slot, a window's slot, a window's event handler) shown in one
// message box each while the program goes on with the next event.

#include "app/errorreport.h"
#include "app/qttranslations.h"
#include "skin/reportedslot.h"

#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <stdexcept>

namespace {

// The report box currently up, if any.
QMessageBox* reportBox()
{
    return qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
}

// A window whose show handler fails after its first step.
class FailingWindow : public QWidget
{
public:
    int stepsDone = 0;

protected:
    void showEvent(QShowEvent*) override
    {
        ++stepsDone;
        throw std::runtime_error("Échec à l'affichage");
    }
};

} // namespace

class TestErrorReport : public QObject
{
    Q_OBJECT

private:
    // What the boxes shown so far said, with their caption, icon and buttons.
    struct Seen
    {
        QString text;
        QString title;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        QMessageBox::StandardButtons buttons;
        QWidget* owner = nullptr;
        Qt::WindowModality modality = Qt::NonModal;
    };
    QList<Seen> m_seen;
    QTimer m_closer;

private slots:
    void init()
    {
        m_seen.clear();
        // While a box is up its own event loop runs; this timer plays the
        // player who reads it and presses OK.
        m_closer.setInterval(0);
        m_closer.callOnTimeout(this, [this] {
            if (QMessageBox* box = reportBox()) {
                m_seen.append({box->text(), box->windowTitle(), box->icon(), box->standardButtons(),
                               box->parentWidget(), box->windowModality()});
                box->button(QMessageBox::Ok)->click();
            }
        });
        m_closer.start();
    }
    void cleanup() { m_closer.stop(); }

    void fullStopRule_data()
    {
        QTest::addColumn<QByteArray>("message");
        QTest::addColumn<QString>("shown");
        QTest::newRow("empty") << QByteArray() << QString();
        QTest::newRow("letter") << QByteArray("Fichier introuvable")
                                << QStringLiteral("Fichier introuvable.");
        QTest::newRow("full stop") << QByteArray("Fin.") << QStringLiteral("Fin.");
        QTest::newRow("exclamation") << QByteArray("Oups !") << QStringLiteral("Oups !");
        QTest::newRow("closing bracket") << QByteArray("(voir)") << QStringLiteral("(voir)");
        QTest::newRow("hyphen") << QByteArray("a-") << QStringLiteral("a-");
        QTest::newRow("slash is above") << QByteArray("a/") << QStringLiteral("a/.");
        QTest::newRow("digit") << QByteArray("Erreur 1045") << QStringLiteral("Erreur 1045.");
        QTest::newRow("colon") << QByteArray("Erreur :") << QStringLiteral("Erreur :.");
        QTest::newRow("question") << QByteArray("Quoi ?") << QStringLiteral("Quoi ?.");
        QTest::newRow("trailing space") << QByteArray("Texte ") << QStringLiteral("Texte ");
        QTest::newRow("accented UTF-8") << QByteArray("Déjà joué") << QStringLiteral("Déjà joué.");
        QTest::newRow("beyond BMP")
            << QByteArray("Note \xF0\x9D\x84\x9E") << QStringLiteral("Note \U0001D11E.");
        QTest::newRow("line break")
            << QByteArray("Deux\r\nlignes") << QStringLiteral("Deux\r\nlignes.");
        QTest::newRow("ends with line break") << QByteArray("Ligne\n") << QStringLiteral("Ligne\n");
    }
    void fullStopRule()
    {
        QFETCH(QByteArray, message);
        QFETCH(QString, shown);
        QCOMPARE(ErrorReportText(std::string_view(message.constData(), message.size())), shown);
    }

    void timerSlotErrorShowsOneBoxAndTheNextEventRuns()
    {
        QWidget owner;
        owner.show();
        owner.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&owner));

        int stepsBefore = 0;
        int stepsAfter = 0;
        QTimer failing;
        failing.setSingleShot(true);
        failing.callOnTimeout([&] {
            ++stepsBefore;
            throw std::runtime_error("Le serveur de mots ne répond pas");
            ++stepsAfter; // never reached: the handler's later steps do not run
        });
        QTimer next;
        next.setSingleShot(true);
        QSignalSpy nextRan(&next, &QTimer::timeout);

        failing.start(0);
        next.start(0);
        QVERIFY(nextRan.wait(5000));

        QCOMPARE(stepsBefore, 1);
        QCOMPARE(stepsAfter, 0);
        QCOMPARE(m_seen.size(), 1);
        QCOMPARE(m_seen[0].text, QStringLiteral("Le serveur de mots ne répond pas."));
        QCOMPARE(m_seen[0].title, QApplication::applicationName());
        QCOMPARE(m_seen[0].icon, QMessageBox::Critical);
        QCOMPARE(m_seen[0].buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
        QCOMPARE(m_seen[0].owner, &owner);
        // The program's other windows are disabled while it is up.
        QCOMPARE(m_seen[0].modality, Qt::ApplicationModal);
        QVERIFY(!reportBox());
    }

    void buttonSlotErrorKeepsTheButtonUsable()
    {
        QWidget window;
        QPushButton button(QStringLiteral("Commencer"), &window);
        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));

        int clicks = 0;
        QObject::connect(&button, &QPushButton::clicked, &window, Reported(&window, [&] {
            ++clicks;
            if (clicks <= 2)
                throw std::runtime_error("Clic refusé");
        }));
        QTest::mouseClick(&button, Qt::LeftButton);
        QTRY_COMPARE(m_seen.size(), 1);
        QCOMPARE(m_seen[0].text, QStringLiteral("Clic refusé."));
        QVERIFY(!button.isDown());
        // Outside any event too, the slot's error is reported and the
        // emitting code returns normally: it never unwinds through the button.
        button.click();
        QCOMPARE(m_seen.size(), 2);

        QTest::mouseClick(&button, Qt::LeftButton);
        QCOMPARE(clicks, 3);
        QCOMPARE(m_seen.size(), 2);
    }

    void windowEventHandlerError()
    {
        FailingWindow window;
        window.show(); // the show handler fails inside the dispatch of its event
        QCOMPARE(window.stepsDone, 1);
        QCOMPARE(m_seen.size(), 1);
        QCOMPARE(m_seen[0].text, QStringLiteral("Échec à l'affichage."));
        QVERIFY(window.isVisible());
    }

    void errorWithoutErrorObject()
    {
        QTimer failing;
        failing.setSingleShot(true);
        failing.callOnTimeout([] { throw 42; });
        failing.start(0);
        QTRY_COMPARE(m_seen.size(), 1);
        QCOMPARE(m_seen[0].text, QStringLiteral("Erreur inconnue."));
    }

    void standardButtonsSpeakFrench()
    {
        // Installed last: the boxes above keep Qt's own texts either way.
        QVERIFY(InstallQtFrenchTranslations(*qApp));
        QMessageBox box(QMessageBox::Question, QStringLiteral("Confirmation"),
                        QStringLiteral("Voulez-vous vraiment quitter le jeu"),
                        QMessageBox::Ok | QMessageBox::Cancel);
        QCOMPARE(box.button(QMessageBox::Cancel)->text(), QStringLiteral("Annuler"));
    }

    void startUpStepsGoOnAfterAFailedOne()
    {
        QStringList done;
        const bool first = RunReported([&] {
            done << QStringLiteral("début");
            throw std::runtime_error("Fenêtre de configuration impossible");
        });
        const bool second = RunReported([&] { done << QStringLiteral("suite"); });
        QVERIFY(!first);
        QVERIFY(second);
        QCOMPARE(done, (QStringList{QStringLiteral("début"), QStringLiteral("suite")}));
        QCOMPARE(m_seen.size(), 1);
        QCOMPARE(m_seen[0].text, QStringLiteral("Fenêtre de configuration impossible."));
    }

    void errorRaisedWhileABoxIsUpGetsItsOwnBox()
    {
        // A second failure during the first box's event loop gets a box of its
        // own above the first; once both are answered the program goes on.
        QTimer second;
        second.setSingleShot(true);
        second.callOnTimeout([] { throw std::runtime_error("Deux"); });
        QTimer first;
        first.setSingleShot(true);
        first.callOnTimeout([] { throw std::runtime_error("Un"); });

        m_closer.stop();
        QTimer closer;
        closer.setInterval(0);
        closer.callOnTimeout([&] {
            QMessageBox* box = reportBox();
            if (box == nullptr)
                return;
            if (box->text() == QStringLiteral("Un.") && m_seen.isEmpty()) {
                if (!second.isActive() && closer.property("started").isNull()) {
                    closer.setProperty("started", true);
                    second.start(0);
                }
                return; // the first box waits while the second failure comes
            }
            m_seen.append({box->text(), box->windowTitle(), box->icon(), box->standardButtons(),
                           box->parentWidget(), box->windowModality()});
            box->button(QMessageBox::Ok)->click();
        });
        closer.start();
        first.start(0);
        QTRY_COMPARE(m_seen.size(), 2);
        QVERIFY(!reportBox());
        QCOMPARE(m_seen[0].text, QStringLiteral("Deux."));
        QCOMPARE(m_seen[1].text, QStringLiteral("Un."));
    }
};

int main(int argc, char** argv)
{
    CorbeletApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Corbelet"));
    TestErrorReport test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_errorreport.moc"
