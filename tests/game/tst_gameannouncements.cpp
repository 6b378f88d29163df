// What the game window announces to assistive technologies, and when. Qt
// hands accessibility events on only while an accessibility bridge is active,
// which the offscreen platform never has: this program runs under a private
// session bus, runs itself again on a private X session (tests/support/
// xsession.h), with Qt's AT-SPI bridge forced on
// (QT_LINUX_ACCESSIBILITY_ALWAYS_ON), and catches the events before the bridge.

#include "gamewindowfixture.h"

#include "game/tchecklistbox.h"
#include "tests/support/xsession.h"
#include "wordstore/wordcatalogue.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QTimer>

#include <algorithm>

namespace {

struct SeenEvent
{
    QObject* object;          // null for an item of a view
    QAccessible::Id uniqueId; // for an item of a view
    QAccessible::Event type;
    bool checkedChanged;
};

QList<SeenEvent>& seenEvents()
{
    static QList<SeenEvent> events;
    return events;
}

void recordEvent(QAccessibleEvent* event)
{
    const bool checked = event->type() == QAccessible::StateChanged &&
                         static_cast<QAccessibleStateChangeEvent*>(event)->changedStates().checked;
    seenEvents().append({event->object(), event->uniqueId(), event->type(), checked});
}

int countFrom(QObject* object, QAccessible::Event type = QAccessible::InvalidEvent)
{
    return static_cast<int>(
        std::count_if(seenEvents().begin(), seenEvents().end(), [&](const SeenEvent& seen) {
            return seen.object == object &&
                   (type == QAccessible::InvalidEvent || seen.type == type);
        }));
}

} // namespace

class TestGameAnnouncements : public GameWindowFixture
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void countdownOnlyWhenItsWarningPlays();
    void foundLetterAndItsTick();
    void panelIsAnAlert();
    void eachPickIsAnnounced_data();
    void eachPickIsAnnounced();
    void hintIsAnnounced();

private:
    void drawWord(int points);
};

void TestGameAnnouncements::initTestCase()
{
    // The bridge turns active once it has reached the accessibility bus.
    QTRY_VERIFY_WITH_TIMEOUT(QAccessible::isActive(), 10000);
    QAccessible::installUpdateHandler(&recordEvent);
    prepareWordBase();
}

void TestGameAnnouncements::init()
{
    makeWindow();
}

void TestGameAnnouncements::cleanup()
{
    destroyWindow();
}

void TestGameAnnouncements::drawWord(int points)
{
    startGame();
    selectWord(points);
    QTest::mouseClick(control<QPushButton>(m_form, "btMot"), Qt::LeftButton);
    m_form->TimerGame->stop(); // ticks come from the test only
    seenEvents().clear();
}

void TestGameAnnouncements::countdownOnlyWhenItsWarningPlays()
{
    drawWord(10); // chien
    for (int tick = 0; tick < 25; ++tick)
        m_form->TimerGameTimer();
    QCOMPARE(control<QLabel>(m_form, "paTempsRestant")->text(), QStringLiteral("Reste : 5s"));
    QCOMPARE(countFrom(control<QLabel>(m_form, "paTempsRestant")), 0);
    m_form->TimerGameTimer();
    QCOMPARE(cues().last(), QStringLiteral("SonDecide"));
    QCOMPARE(countFrom(control<QLabel>(m_form, "paTempsRestant")), 1);
    QCOMPARE(countFrom(control<QLabel>(m_form, "paTempsRestant"), QAccessible::Alert), 1);
    m_form->TimerGameTimer();
    QCOMPARE(countFrom(control<QLabel>(m_form, "paTempsRestant")), 1);
}

void TestGameAnnouncements::foundLetterAndItsTick()
{
    drawWord(10); // chien
    m_form->pickTypedLetter('H');
    QAccessibleInterface* cell =
        QAccessible::queryAccessibleInterface(control<TCheckListBox>(m_form, "ListeLettre"))
            ->child(control<TCheckListBox>(m_form, "ListeLettre")->row(letterItem("H")));
    QCOMPARE(cell->text(QAccessible::Name), QStringLiteral("H"));
    const QAccessible::Id id = QAccessible::uniqueId(cell);
    QVERIFY(std::any_of(seenEvents().begin(), seenEvents().end(), [&](const SeenEvent& seen) {
        return seen.uniqueId == id && seen.type == QAccessible::StateChanged && seen.checkedChanged;
    }));
    QCOMPARE(countFrom(control<QLabel>(m_form, "affMot"), QAccessible::NameChanged), 1);
    QCOMPARE(control<QLabel>(m_form, "affMot")->accessibleName(),
             QStringLiteral("blanc, H, blanc, blanc, blanc, 5 lettres"));
}

void TestGameAnnouncements::panelIsAnAlert()
{
    drawWord(10); // chien
    control<QAction>(m_form, "GetNbMot")->trigger();
    QCOMPARE(countFrom(control<QFrame>(m_form, "paInfo"), QAccessible::Alert), 1);
    // Shown again with another text, it is announced again.
    m_form->AfficheInfo("Lettre");
    QCOMPARE(countFrom(control<QFrame>(m_form, "paInfo"), QAccessible::Alert), 2);
}

void TestGameAnnouncements::eachPickIsAnnounced_data()
{
    QTest::addColumn<int>("points");     // the word drawn
    QTest::addColumn<QString>("before"); // letters picked first
    QTest::addColumn<char>("pick");      // '@': the countdown runs out
    QTest::addColumn<QString>("announcement");
    QTest::newRow("found") << 8 << "" << 'N' << "N : 2 lettres trouvées";     // ananas
    QTest::newRow("found once") << 10 << "" << 'C' << "C : 1 lettre trouvée"; // chien
    QTest::newRow("hyphen") << 20 << "" << '-' << "Tiret : 1 lettre trouvée"; // porte-clés
    QTest::newRow("wrong") << 10 << "Z" << 'S' << "S : erreur, 6 essais restants";
    QTest::newRow("last wrong") << 10 << "ZYXWVU" << 'T' << "T : erreur, 1 essai restant";
    QTest::newRow("lost") << 10 << "ZYXWVUT" << 'S' << "S : erreur, aucun essai restant";
    QTest::newRow("time-out") << 10 << "" << '@' << "Temps écoulé : erreur, 7 essais restants";
    QTest::newRow("repeated") << 10 << "C" << 'C' << "Lettre déjà essayée";
}

void TestGameAnnouncements::eachPickIsAnnounced()
{
    QFETCH(int, points);
    QFETCH(QString, before);
    QFETCH(char, pick);
    QFETCH(QString, announcement);
    control<TSpinEdit>(m_cfg, "NiveauDuJeu")->setValue(2); // 8 wrong picks lose the word
    drawWord(points);
    for (const QChar letter : before)
        m_form->pickTypedLetter(letter.toLatin1());
    seenEvents().clear();
    if (pick == '@')
        m_form->ListeLettreClickCheck(m_form.get());
    else
        m_form->pickTypedLetter(pick);
    QLabel* announcer = m_form->announcer();
    QCOMPARE(announcer->accessibleName(), announcement);
    QCOMPARE(QAccessible::queryAccessibleInterface(announcer)->role(), QAccessible::Notification);
    // Spoken once, as it shows.
    QCOMPARE(countFrom(announcer, QAccessible::ObjectShow), 1);
    // The gallows tells its new state.
    QCOMPARE(countFrom(control<QFrame>(m_form, "Shape1"), QAccessible::NameChanged), 1);
}

// F6: the hint is told as a pick is.
void TestGameAnnouncements::hintIsAnnounced()
{
    TWordStore& store = m_form->wordStore();
    drawWord(10); // chien
    store.Execute("DROP TABLE IF EXISTS " + std::string(WordCatalogue::kHintTable));
    store.Execute(WordCatalogue::createTableStatement(WordCatalogue::hintTable(),
                                                      WordCatalogue::kDatabase, true));
    store.Execute("INSERT INTO " + std::string(WordCatalogue::kHintTable) +
                  " VALUES ('', 'chien', 'Il aboie')");
    m_form->showHint();
    QLabel* announcer = m_form->announcer();
    QCOMPARE(announcer->accessibleName(), QStringLiteral("Indice : Il aboie"));
    QCOMPARE(countFrom(announcer, QAccessible::ObjectShow), 1);
}

int main(int argc, char** argv)
{
    if (const std::optional<int> status = XSession::rerunOnPrivateDisplay(argc, argv))
        return *status;
    QApplication application(argc, argv);
    application.setAttribute(Qt::AA_Use96Dpi, true);
    TestGameAnnouncements test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_gameannouncements.moc"
