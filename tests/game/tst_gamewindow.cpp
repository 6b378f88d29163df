// The game window on a real word base, with the real configuration window:
// the forms' font sizes, draw, picks through the letter list, the information
// panel, the countdown, activation, skins, sound cues and closing.

#include "gamewindowfixture.h"

#include "game/tchecklistbox.h"
#include "game/timage.h"
#include "skin/formproperties.h"
#include "sound/gessound.h"
#include "text/qtwindows1252.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDesktopServices>
#include <QFile>
#include <QFontInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <memory>

namespace {

const QString kBullet = QStringLiteral("\u2022");

QString bullets(int count)
{
    return kBullet.repeated(count);
}

int rowOf(char letter)
{
    if (letter == '-')
        return 26;
    if (letter == '\'')
        return 27;
    return letter - 'A';
}

void fire(QTimer* timer, int times = 1)
{
    for (int i = 0; i < times; ++i)
        QMetaObject::invokeMethod(timer, "timeout");
}

// Makes a window see what a modal box over it does on a desktop: the window
// loses the activation while the box shows and gets it back when the box goes,
// whether or not the platform plug-in sends those events itself.
class ModalBoxActivation : public QObject
{
public:
    explicit ModalBoxActivation(QWidget* window) : m_window(window)
    {
        window->installEventFilter(this);
    }
    ~ModalBoxActivation() override { m_window->removeEventFilter(this); }

    void boxShown()
    {
        QCoreApplication::processEvents();
        if (!m_deactivated)
            sendActivation(m_window, false);
    }
    void boxGone()
    {
        QCoreApplication::processEvents();
        if (!m_reactivated)
            sendActivation(m_window, true);
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::WindowDeactivate)
            m_deactivated = true;
        else if (event->type() == QEvent::WindowActivate && m_deactivated)
            m_reactivated = true;
        return false;
    }

private:
    QWidget* m_window;
    bool m_deactivated = false;
    bool m_reactivated = false;
};

// A modal box of the program over the window, as the error report shows one.
void showModalBoxOver(QWidget* window)
{
    ModalBoxActivation activation(window);
    QMessageBox box(QMessageBox::Critical, QStringLiteral("Corbelet"), QStringLiteral("Erreur"),
                    QMessageBox::Ok, window);
    QTimer::singleShot(0, &box, [&box, &activation] {
        activation.boxShown();
        box.done(0);
    });
    box.exec();
    activation.boxGone();
}

void writeImage(const QString& path, QSize size, QColor left, QColor right, const char* format)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(left);
    QPainter painter(&image);
    painter.fillRect(size.width() / 2, 0, size.width() - size.width() / 2, size.height(), right);
    painter.end();
    QVERIFY(image.save(path, format));
}

// A glyph bitmap: the button-face grey around a coloured square in each half.
void writeGlyph(const QString& path, QSize size, QColor left, QColor right)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(QColor(240, 240, 240));
    QPainter painter(&image);
    const int half = size.width() / 2;
    painter.fillRect(half / 4, size.height() / 4, half / 2, size.height() / 2, left);
    painter.fillRect(half + half / 4, size.height() / 4, half / 2, size.height() / 2, right);
    painter.end();
    QVERIFY(image.save(path, "BMP"));
}

void writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

// Receives the URLs the window asks the desktop to open.
class UrlCatcher : public QObject
{
    Q_OBJECT
public:
    QList<QUrl> urls;
public slots:
    void open(const QUrl& url) { urls.append(url); }
};

} // namespace

class TestGameWindow : public GameWindowFixture
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void formFontsInPixels();
    void windowAtStart();
    void firstActivationGreetsAndShowsStatistics();
    void genreFilterRestoredAtFirstConnect();
    void connectErrorSkipsGreetingAndRetries();
    void firstDraw();
    void drawErrorKeepsTheGame();
    void wordValueUsesTheLevelOfTheDraw();
    void drawIgnoredWhileThePanelShows();
    void drawMidWord();
    void noMatchingWordKeepsTheGame();
    void unplayableWordsAreNotOffered();
    void picksThroughTheCheckBoxes();
    void aClickInABoxSelectsItsLetter();
    void repeatedLetter();
    void picksIgnoredWhileThePanelShows();
    void wonWordAndTheNextDraw();
    void lostWordShowsTheWholeDrawing();
    void finishedWordTakesNoMorePicks();
    void countdown();
    void countdownOfFiveSeconds();
    void countdownFollowsAFontChange();
    void countdownOffWithoutTimeLimit();
    void deactivationPausesTheCountdown();
    void longWordFitsTheDisplay();
    void skinFiles();
    void soundCueFiles();
    void closing();
    void smallButtons();

private:
    void clickBox(char letter);
    void pick(const char* letters);
};

void TestGameWindow::initTestCase()
{
    prepareWordBase();
}

void TestGameWindow::init()
{
    makeWindow();
}

void TestGameWindow::cleanup()
{
    destroyWindow();
}

void TestGameWindow::clickBox(char letter)
{
    QListWidgetItem* item = control<TCheckListBox>(m_form, "ListeLettre")->item(rowOf(letter));
    const QRect box = control<TCheckListBox>(m_form, "ListeLettre")->checkBoxRect(item);
    QVERIFY(box.isValid());
    QTest::mouseClick(control<TCheckListBox>(m_form, "ListeLettre")->viewport(), Qt::LeftButton, {},
                      box.center());
}

void TestGameWindow::pick(const char* letters)
{
    for (const char* letter = letters; *letter; ++letter)
        clickBox(*letter);
}

// ---------------------------------------------------------------- the form

// The forms give font sizes in pixels beside Designer's point sizes: every
// such size is the one the control shows, in both windows.
void TestGameWindow::formFontsInPixels()
{
    for (QWidget* window :
         {static_cast<QWidget*>(m_form.get()), static_cast<QWidget*>(m_cfg.get())}) {
        QList<QWidget*> widgets = window->findChildren<QWidget*>();
        widgets.prepend(window);
        int sized = 0;
        for (const QWidget* widget : widgets) {
            const QVariant pixelSize = widget->property(kFontPixelSize);
            if (!pixelSize.isValid())
                continue;
            ++sized;
            QVERIFY2(widget->font().pixelSize() == pixelSize.toInt(),
                     qPrintable(widget->objectName()));
        }
        QVERIFY(sized > 0);
    }
}

// The game window before the first draw.
void TestGameWindow::windowAtStart()
{
    TPendForm& form = *m_form;
    QCOMPARE(form.minimumSize(), form.maximumSize());
    QCOMPARE(QFontInfo(form.font()).family(), QStringLiteral("Liberation Sans"));
    QCOMPARE(QFontInfo(control<QLabel>(form, "affMot")->font()).family(),
             QStringLiteral("Liberation Mono"));
    QCOMPARE(QFontInfo(control<QLabel>(form, "Label3")->font()).family(),
             QStringLiteral("Liberation Sans"));
    QVERIFY(form.Timer1->isSingleShot());
    QCOMPARE(form.Timer1->interval(), 2500);
    QVERIFY(!form.Timer1->isActive());
    QCOMPARE(form.TimerGame->interval(), 1000);
    QVERIFY(!form.TimerGame->isActive());
    QVERIFY(control<QFrame>(form, "paInfo")->isHidden());
    QCOMPARE(tagOf(control<QPushButton>(form, "btValid")), 0);
    // The whole drawing shows until the first draw.
    for (const char* piece : {"ImgBas", "ImgCoter", "ImgPendu", "ImgHaut", "ImgBras1", "ImgBras2",
                              "ImgCorps", "ImgJambe1", "ImgJambe2", "ImgTete"})
        QVERIFY2(!form.findChild<QWidget*>(QLatin1String(piece))->isHidden(), piece);

    // The letter list: 28 unticked items, 5 columns of 27 px rows, disabled.
    TCheckListBox* list = control<TCheckListBox>(form, "ListeLettre");
    QVERIFY(!list->isEnabled());
    QCOMPARE(list->count(), 28);
    QCOMPARE(list->focusPolicy(), Qt::StrongFocus); // the first tab stop
    QCOMPARE(list->viewport()->cursor().shape(), Qt::PointingHandCursor);
    QVERIFY(list->font().bold());
    QString texts;
    for (int row = 0; row < list->count(); ++row) {
        QCOMPARE(list->item(row)->checkState(), Qt::Unchecked);
        texts += list->item(row)->text();
    }
    QCOMPARE(texts, QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZ-'"));
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    // Filled column by column: A to F down the first column, G to L down the
    // second, then M to R, S to X, and Y Z - ' in the fifth; all in view.
    const QRect a = list->visualItemRect(list->item(0));
    QCOMPARE(a.height(), 27);
    const QStringList columns{"ABCDEF", "GHIJKL", "MNOPQR", "STUVWX", "YZ-'"};
    for (int column = 0; column < columns.size(); ++column) {
        for (int row = 0; row < columns[column].size(); ++row) {
            const char letter = columns[column].at(row).toLatin1();
            const QRect cell = list->visualItemRect(list->item(rowOf(letter)));
            QCOMPARE(cell.top(), a.top() + 27 * row);
            QCOMPARE(cell.left(), a.left() + column * a.width());
            QVERIFY(list->viewport()->rect().contains(cell));
        }
    }

    // The drawing's painting order.
    const QObjectList children = form.children();
    QStringList order;
    for (const QObject* child : children)
        if (child->objectName().startsWith(QLatin1String("Img")) ||
            child->objectName() == QLatin1String("Bevel1") ||
            child->objectName() == QLatin1String("Shape1"))
            order.append(child->objectName());
    QCOMPARE(order, QStringList({"Bevel1", "Shape1", "ImgBas", "ImgCoter", "ImgPendu", "ImgHaut",
                                 "ImgBras1", "ImgBras2", "ImgCorps", "ImgJambe1", "ImgJambe2",
                                 "ImgTete"}));
    QVERIFY(children.indexOf(control<QFrame>(form, "paInfo")) >
            children.indexOf(control<QLabel>(form, "affMot")));
    QVERIFY(children.indexOf(control<QFrame>(form, "paInfo")) >
            children.indexOf(control<TCheckListBox>(form, "ListeLettre")));
}

// ---------------------------------------------------------------- activation

void TestGameWindow::firstActivationGreetsAndShowsStatistics()
{
    // The greeting comes first, then the statistics.
    bool statisticsBeforeGreeting = false;
    m_sound.heard = [&] {
        statisticsBeforeGreeting |=
            cues().size() == 1 && control<QFrame>(m_form, "paInfo")->isVisible();
    };
    m_form->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
    sendActivation(m_form.get(), true);
    m_sound.heard = nullptr;
    QVERIFY(m_form->wordStore().Connected());
    QVERIFY(cues().contains(QStringLiteral("SonHello")));
    QVERIFY(!statisticsBeforeGreeting);
    QVERIFY(control<QFrame>(m_form, "paInfo")->isVisible());
    // 10 words; 9 within the initial settings (lengths 5 to 25, points 5 to 52).
    QCOMPARE(control<QLabel>(m_form, "laTextInfo")->text(),
             QStringLiteral("Nombre de mots :\r\nTotal dans le programme : 10\r\nDisponible avec "
                            "configuration : 9\r\n"));
    QCOMPARE(tagOf(control<QPushButton>(m_form, "btValid")), 0);

    // OK on the statistics only closes them.
    QTest::mouseClick(control<QPushButton>(m_form, "btValid"), Qt::LeftButton);
    QVERIFY(!control<QFrame>(m_form, "paInfo")->isVisible());
    QCOMPARE(control<QPushButton>(m_form, "btMot")->text(), QStringLiteral("Commencer"));
    QCOMPARE(m_form->game().record().NbMotJoue, -1);
    QCOMPARE(tagOf(control<QPushButton>(m_form, "btValid")), kDrawNextTag);

    // Until the first draw, later activations show nothing more.
    m_sound.cues.clear();
    sendActivation(m_form.get(), false);
    sendActivation(m_form.get(), true);
    QVERIFY(!control<QFrame>(m_form, "paInfo")->isVisible());
    QVERIFY(cues().isEmpty());

    // The count follows the settings.
    selectPoints(10, 20);
    control<QAction>(m_form, "GetNbMot")->trigger();
    QCOMPARE(control<QLabel>(m_form, "laTextInfo")->text(),
             QStringLiteral("Nombre de mots :\r\nTotal dans le programme : 10\r\nDisponible avec "
                            "configuration : 5\r\n"));
}

void TestGameWindow::genreFilterRestoredAtFirstConnect()
{
    // A genre chosen in an earlier session ("Invariable": genre 3, élève; the
    // filter also lets the words without genre through, 0).
    QTemporaryDir program;
    writeBytes(program.path() + "/corbelet.ini", "[Config]\r\ncbGenre=3\r\n");
    makeWindow(program.path() + '/');
    QVERIFY(m_cfg->FiltreGenre().empty());
    sendActivation(m_form.get(), true);
    QCOMPARE(QByteArray::fromStdString(m_cfg->FiltreGenre()),
             QByteArray(" AND ref_genre IN (3, 0)"));
    QVERIFY2(control<QLabel>(m_form, "laTextInfo")
                 ->text()
                 .endsWith(QStringLiteral("Disponible avec configuration : 3\r\n")),
             qPrintable(control<QLabel>(m_form, "laTextInfo")->text()));
    QTest::mouseClick(control<QPushButton>(m_form, "btValid"), Qt::LeftButton);
    selectPoints(5, 10);
    QTest::mouseClick(control<QPushButton>(m_form, "btMot"), Qt::LeftButton);
    QCOMPARE(m_form->game().word().Mot, std::string("ELEVE"));
}

void TestGameWindow::connectErrorSkipsGreetingAndRetries()
{
    useStandIn();
    m_form->wordStore().Database = "absente";
    QVERIFY_THROWS_EXCEPTION(std::runtime_error, sendActivation(m_form.get(), true));
    QVERIFY(!m_form->wordStore().Connected());
    QCOMPARE(m_standIn.storeConnections, 0);
    QVERIFY(cues().isEmpty());
    QVERIFY(control<QFrame>(m_form, "paInfo")->isHidden());

    // Closing the error's report gives the activation back: that is no return
    // to the window, so the connection is not tried again at once (which would
    // raise the same error again and again).
    showModalBoxOver(m_form.get());
    QVERIFY(!m_form->wordStore().Connected());
    QVERIFY(cues().isEmpty());

    // The player comes back to the window: the connection is tried again.
    m_form->wordStore().Database = "listedemots";
    sendActivation(m_form.get(), false);
    sendActivation(m_form.get(), true);
    QVERIFY(m_form->wordStore().Connected());
    QCOMPARE(cues(), QStringList({"SonHello"}));
    QVERIFY(!control<QFrame>(m_form, "paInfo")->isHidden());
    // The settings hear of the first connection only.
    QCOMPARE(m_standIn.storeConnections, 1);
    sendActivation(m_form.get(), false);
    sendActivation(m_form.get(), true);
    QCOMPARE(m_standIn.storeConnections, 1);
}

// ---------------------------------------------------------------- the draw

void TestGameWindow::firstDraw()
{
    startGame();
    selectWord(10); // chien
    QTest::mouseClick(control<QPushButton>(m_form, "btMot"), Qt::LeftButton);
    QCOMPARE(m_form->game().word().Mot, std::string("CHIEN"));
    QCOMPARE(control<QPushButton>(m_form, "btMot")->text(), QStringLiteral("Suivant >>"));
    QVERIFY(control<TCheckListBox>(m_form, "ListeLettre")->isEnabled());
    QCOMPARE(control<QLabel>(m_form, "Panel2")->text(), QStringLiteral(" Juste(s) : 0/0"));
    QCOMPARE(control<QLabel>(m_form, "Panel3")->text(), QStringLiteral(" Score : 0"));
    QCOMPARE(control<QLabel>(m_form, "Panel4")->text(), QStringLiteral(" Niveau : 1"));
    QCOMPARE(control<QLabel>(m_form, "Label3")->text(), QStringLiteral("Mot à : 10 points"));
    QCOMPARE(control<QLabel>(m_form, "affMot")->text(), bullets(5));
    QCOMPARE(cues(), QStringList({"SonNouveau"}));
    QVERIFY(m_form->TimerGame->isActive());
    for (const char* piece : {"ImgBas", "ImgTete", "ImgJambe2"})
        QVERIFY(m_form->findChild<QWidget*>(QLatin1String(piece))->isHidden());
    QVERIFY(QApplication::overrideCursor() == nullptr);

    // Accents folded, hyphen hidden like a letter.
    selectWord(20);
    QTest::mouseClick(control<QPushButton>(m_form, "btMot"), Qt::LeftButton);
    QCOMPARE(m_form->game().word().Mot, std::string("PORTE-CLES"));
    QCOMPARE(control<QLabel>(m_form, "affMot")->text(), bullets(10));
    selectWord(7);
    QTest::mouseClick(control<QPushButton>(m_form, "btMot"), Qt::LeftButton);
    QCOMPARE(m_form->game().word().Mot, std::string("ELEVE"));
}

void TestGameWindow::drawErrorKeepsTheGame()
{
    startGame();
    selectWord(10);
    QTest::mouseClick(control<QPushButton>(m_form, "btMot"), Qt::LeftButton);
    pick("C");
    fire(m_form->TimerGame, 2);

    // The word store fails: the draw stops, its wait cursor goes, the word in
    // play and its countdown go on.
    m_form->wordStore().Disconnect();
    m_form->wordStore().Database = "absente";
    QVERIFY_THROWS_EXCEPTION(std::runtime_error, m_form->btMotClick());
    QVERIFY(QApplication::overrideCursor() == nullptr);
    QCOMPARE(m_form->game().word().Mot, std::string("CHIEN"));
    QCOMPARE(m_form->game().record().NbMotJoue, 0);
    QCOMPARE(control<QLabel>(m_form, "affMot")->text(), QStringLiteral("C") + bullets(4));
    QVERIFY(m_form->TimerGame->isActive());
    QCOMPARE(tagOf(m_form->TimerGame), 2);

    // Its report, over the window, does not bring the statistics back.
    showModalBoxOver(m_form.get());
    QVERIFY(!control<QFrame>(m_form, "paInfo")->isVisible());
    QVERIFY(m_form->TimerGame->isActive());
    QCOMPARE(tagOf(m_form->TimerGame), 2);

    m_form->wordStore().Database = "listedemots";
    QTest::mouseClick(control<QPushButton>(m_form, "btMot"), Qt::LeftButton);
    QCOMPARE(m_form->game().record().NbMotJoue, 1);
}

void TestGameWindow::wordValueUsesTheLevelOfTheDraw()
{
    startGame();
    selectWord(10);
    control<TSpinEdit>(m_cfg, "NiveauDuJeu")->setValue(2);
    QTest::mouseClick(control<QPushButton>(m_form, "btMot"), Qt::LeftButton);
    QCOMPARE(control<QLabel>(m_form, "Label3")->text(), QStringLiteral("Mot à : 20 points"));
    // A change of level applies at the next draw only.
    control<TSpinEdit>(m_cfg, "NiveauDuJeu")->setValue(3);
    QCOMPARE(m_form->game().record().Niveau, 2);
    selectWord(12); // table
    QTest::mouseClick(control<QPushButton>(m_form, "btMot"), Qt::LeftButton);
    QCOMPARE(control<QLabel>(m_form, "Label3")->text(), QStringLiteral("Mot à : 36 points"));
    QCOMPARE(control<QLabel>(m_form, "Panel4")->text(), QStringLiteral(" Niveau : 3"));
}

void TestGameWindow::drawIgnoredWhileThePanelShows()
{
    m_form->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
    sendActivation(m_form.get(), true);
    QVERIFY(control<QFrame>(m_form, "paInfo")->isVisible());
    m_sound.cues.clear();
    QTest::mouseClick(control<QPushButton>(m_form, "btMot"), Qt::LeftButton);
    QCOMPARE(control<QPushButton>(m_form, "btMot")->text(), QStringLiteral("Commencer"));
    QVERIFY(!control<TCheckListBox>(m_form, "ListeLettre")->isEnabled());
    QCOMPARE(m_form->game().record().NbMotJoue, -1);
    QVERIFY(cues().isEmpty());
}

void TestGameWindow::drawMidWord()
{
    startGame();
    selectWord(10);
    QTest::mouseClick(control<QPushButton>(m_form, "btMot"), Qt::LeftButton);
    pick("CZ");
    fire(m_form->TimerGame, 7);
    QTest::mouseClick(control<QPushButton>(m_form, "btMot"), Qt::LeftButton);
    const GameRecord& record = m_form->game().record();
    QCOMPARE(record.NbMotJoue, 1);
    QCOMPARE(record.NbMotTrouve, 0);
    QCOMPARE(record.Score, 0);
    QCOMPARE(control<QLabel>(m_form, "Panel2")->text(), QStringLiteral(" Juste(s) : 0/1"));
    QCOMPARE(m_form->game().word().NbEssai, 0);
    // The new word starts with an empty drawing and no ticks.
    QVERIFY(control<TImage>(m_form, "ImgBas")->isHidden());
    for (int row = 0; row < control<TCheckListBox>(m_form, "ListeLettre")->count(); ++row)
        QCOMPARE(control<TCheckListBox>(m_form, "ListeLettre")->item(row)->checkState(),
                 Qt::Unchecked);
    // The draw does not restart the countdown: its count goes on.
    QVERIFY(m_form->TimerGame->isActive());
    fire(m_form->TimerGame);
    QCOMPARE(control<QLabel>(m_form, "paTempsRestant")->text(), QStringLiteral("Reste : 22s"));

    // Without the time limit a draw leaves a running countdown as it is.
    control<QCheckBox>(m_cfg, "LimitTemps")->setChecked(false);
    QTest::mouseClick(control<QPushButton>(m_form, "btMot"), Qt::LeftButton);
    QCOMPARE(record.NbMotJoue, 2);
    QVERIFY(m_form->TimerGame->isActive());
}

void TestGameWindow::noMatchingWordKeepsTheGame()
{
    startGame();
    // Before the first draw: the game stays as it was started.
    selectPoints(51, 52);
    QTest::mouseClick(control<QPushButton>(m_form, "btMot"), Qt::LeftButton);
    QVERIFY(control<QFrame>(m_form, "paInfo")->isVisible());
    QCOMPARE(control<QLabel>(m_form, "laTextInfo")->text(),
             QStringLiteral("Aucun mot ne correspond à la configuration actuelle.\r\nÉlargissez "
                            "les critères dans la configuration."));
    QCOMPARE(control<QPushButton>(m_form, "btMot")->text(), QStringLiteral("Commencer"));
    QVERIFY(!control<TCheckListBox>(m_form, "ListeLettre")->isEnabled());
    QCOMPARE(control<QLabel>(m_form, "affMot")->text(), QStringLiteral("xxx"));
    QVERIFY(!m_form->TimerGame->isActive());
    QCOMPARE(m_form->game().record().NbMotJoue, -1);
    QVERIFY(!cues().contains(QStringLiteral("SonNouveau")));
    // Leaving the window and coming back is no moment for the greeting: the
    // message stays.
    const QString message = control<QLabel>(m_form, "laTextInfo")->text();
    sendActivation(m_form.get(), false);
    sendActivation(m_form.get(), true);
    QVERIFY(control<QFrame>(m_form, "paInfo")->isVisible());
    QCOMPARE(control<QLabel>(m_form, "laTextInfo")->text(), message);
    QVERIFY(!cues().contains(QStringLiteral("SonHello")));
    QTest::mouseClick(control<QPushButton>(m_form, "btValid"), Qt::LeftButton); // only closes
    QVERIFY(!control<QFrame>(m_form, "paInfo")->isVisible());
    QCOMPARE(m_form->game().record().NbMotJoue, -1);

    // In the middle of a word: the word, its picks and the countdown go on.
    selectWord(10);
    QTest::mouseClick(control<QPushButton>(m_form, "btMot"), Qt::LeftButton);
    pick("C");
    fire(m_form->TimerGame, 3);
    selectPoints(51, 52);
    QTest::mouseClick(control<QPushButton>(m_form, "btMot"), Qt::LeftButton);
    QVERIFY(control<QFrame>(m_form, "paInfo")->isVisible());
    QCOMPARE(m_form->game().word().Mot, std::string("CHIEN"));
    QCOMPARE(m_form->game().word().NbEssai, 1);
    QCOMPARE(m_form->game().record().NbMotJoue, 0);
    QCOMPARE(control<QLabel>(m_form, "affMot")->text(), QStringLiteral("C") + bullets(4));
    QCOMPARE(control<QLabel>(m_form, "Label3")->text(), QStringLiteral("Mot à : 10 points"));
    QVERIFY(m_form->TimerGame->isActive());
    QCOMPARE(tagOf(m_form->TimerGame), 3);
    QTest::mouseClick(control<QPushButton>(m_form, "btValid"), Qt::LeftButton);
    QVERIFY(!control<QFrame>(m_form, "paInfo")->isVisible());
    QCOMPARE(m_form->game().record().NbMotJoue, 0);
    pick("H");
    QCOMPARE(control<QLabel>(m_form, "affMot")->text(), QStringLiteral("CH") + bullets(3));
}

// A base filled by other means (a classroom's server) may hold words the
// player could never win: they are never offered; the draw takes a good one,
// or says that no word fits.
void TestGameWindow::unplayableWordsAreNotOffered()
{
    startGame();
    TWordStore& store = m_form->wordStore();
    const std::vector<WordCatalogue::WordRow> unplayable = {
        {"deux mots", 9, 50, 6, 1}, {"r2d2", 4, 50, 6, 1}, {"", 0, 50, 6, 1}};
    const auto insert = [&](const std::vector<WordCatalogue::WordRow>& rows) {
        store.Execute(WordCatalogue::insertWordsStatement(rows, WordCatalogue::wordLiteral,
                                                          WordCatalogue::kWordTable));
    };
    insert(unplayable);
    selectWord(50);
    QTest::mouseClick(control<QPushButton>(m_form, "btMot"), Qt::LeftButton);
    QVERIFY(control<QFrame>(m_form, "paInfo")->isVisible());
    QVERIFY(control<QLabel>(m_form, "laTextInfo")->text().startsWith(QStringLiteral("Aucun mot")));
    QCOMPARE(m_form->game().record().NbMotJoue, -1);
    QTest::mouseClick(control<QPushButton>(m_form, "btValid"), Qt::LeftButton);

    insert({{"zebre", 5, 50, 6, 1}});
    for (int draw = 0; draw < 5; ++draw) {
        QTest::mouseClick(control<QPushButton>(m_form, "btMot"), Qt::LeftButton);
        QCOMPARE(m_form->game().word().Mot, std::string("ZEBRE"));
    }
    // The shared fixture base as it was.
    store.Execute(
        WordCatalogue::clearTableStatement(WordCatalogue::kWordTable, WordCatalogue::kDatabase));
    store.Execute(WordCatalogue::fillWordTableStatement());
}

// ---------------------------------------------------------------- picks

void TestGameWindow::picksThroughTheCheckBoxes()
{
    startGame();
    selectWord(8); // ananas
    QTest::mouseClick(control<QPushButton>(m_form, "btMot"), Qt::LeftButton);
    m_sound.cues.clear();
    TCheckListBox* list = control<TCheckListBox>(m_form, "ListeLettre");

    // A click on the letter beside the box only selects the item.
    QListWidgetItem* n = list->item(rowOf('N'));
    const QRect box = list->checkBoxRect(n);
    const QRect cell = list->visualItemRect(n);
    QVERIFY(cell.contains(box));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      QPoint(box.right() + (cell.right() - box.right()) / 2, cell.center().y()));
    QVERIFY(n->isSelected());
    QCOMPARE(n->checkState(), Qt::Unchecked);
    QCOMPARE(m_form->game().word().NbEssai, 0);

    // The space bar ticks the selected item: a pick.
    list->setFocus();
    QTest::keyClick(list, Qt::Key_Space);
    QCOMPARE(n->checkState(), Qt::Checked);
    QCOMPARE(m_form->game().word().NbEssai, 1);
    QCOMPARE(control<QLabel>(m_form, "affMot")->text(),
             kBullet + "N" + kBullet + "N" + kBullet + kBullet);

    // A click in the box: one pick, three positions, three cues.
    m_sound.cues.clear();
    clickBox('A');
    QCOMPARE(list->item(rowOf('A'))->checkState(), Qt::Checked);
    QCOMPARE(control<QLabel>(m_form, "affMot")->text(), QStringLiteral("ANANA") + kBullet);
    QCOMPARE(m_form->game().word().NbEssai, 2);
    QCOMPARE(m_form->game().word().NbErreur, 0);
    QCOMPARE(cues(), QStringList({"SonBonneLettre", "SonBonneLettre", "SonBonneLettre"}));

    // A wrong letter: a piece of the drawing and the error cue.
    m_sound.cues.clear();
    clickBox('Z');
    QCOMPARE(m_form->game().word().NbErreur, 1);
    QVERIFY(!control<TImage>(m_form, "ImgBas")->isHidden());
    QVERIFY(control<TImage>(m_form, "ImgCoter")->isHidden());
    QCOMPARE(cues(), QStringList({"SonErreur"}));
}

void TestGameWindow::aClickInABoxSelectsItsLetter()
{
    startGame();
    selectWord(8); // ananas
    QTest::mouseClick(control<QPushButton>(m_form, "btMot"), Qt::LeftButton);
    TCheckListBox* list = control<TCheckListBox>(m_form, "ListeLettre");
    QListWidgetItem* z = list->item(rowOf('Z'));
    const QRect box = list->checkBoxRect(z);
    const QRect cell = list->visualItemRect(z);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      QPoint(box.right() + (cell.right() - box.right()) / 2, cell.center().y()));
    QCOMPARE(list->currentItem(), z);

    // The click in N's box ticks N and makes it the current, selected item:
    // the space bar then ticks N again (a repeat), not Z.
    clickBox('N');
    QListWidgetItem* n = list->item(rowOf('N'));
    QCOMPARE(n->checkState(), Qt::Checked);
    QCOMPARE(list->currentItem(), n);
    QCOMPARE(list->selectedItems(), QList<QListWidgetItem*>{n});
    list->setFocus();
    QTest::keyClick(list, Qt::Key_Space);
    QCOMPARE(z->checkState(), Qt::Unchecked);
    QCOMPARE(m_form->game().word().NbEssai, 1);
    QCOMPARE(control<QLabel>(m_form, "Label3")->text(), QStringLiteral("Lettre déjà essayée"));
}

void TestGameWindow::repeatedLetter()
{
    startGame();
    selectWord(10);
    QTest::mouseClick(control<QPushButton>(m_form, "btMot"), Qt::LeftButton);
    pick("C");
    fire(m_form->TimerGame, 3);
    QCOMPARE(control<QLabel>(m_form, "paTempsRestant")->text(), QStringLiteral("Reste : 27s"));
    m_sound.cues.clear();

    clickBox('C'); // the box was ticked: the click unticks it, the pick ticks it again
    QCOMPARE(m_sound.beeps, 1);
    QCOMPARE(control<QLabel>(m_form, "Label3")->text(), QStringLiteral("Lettre déjà essayée"));
    QCOMPARE(control<TCheckListBox>(m_form, "ListeLettre")->item(rowOf('C'))->checkState(),
             Qt::Checked);
    QCOMPARE(m_form->game().word().NbEssai, 1);
    QCOMPARE(m_form->game().word().NbErreur, 0);
    QVERIFY(cues().isEmpty());
    QVERIFY(m_form->Timer1->isActive());
    // The countdown starts again from the repeated pick.
    fire(m_form->TimerGame);
    QCOMPARE(control<QLabel>(m_form, "paTempsRestant")->text(), QStringLiteral("Reste : 29s"));

    // A second repeat while the message shows does not restart its timer.
    const int remaining = m_form->Timer1->remainingTime();
    QTest::qWait(30);
    clickBox('C');
    QCOMPARE(m_sound.beeps, 2);
    QVERIFY(m_form->Timer1->remainingTime() < remaining);

    fire(m_form->Timer1);
    QCOMPARE(control<QLabel>(m_form, "Label3")->text(), QStringLiteral("Mot à : 10 points"));
    QVERIFY(!m_form->Timer1->isActive());
}

void TestGameWindow::picksIgnoredWhileThePanelShows()
{
    startGame();
    selectWord(10);
    QTest::mouseClick(control<QPushButton>(m_form, "btMot"), Qt::LeftButton);
    control<QAction>(m_form, "GetNbMot")->trigger();
    QVERIFY(control<QFrame>(m_form, "paInfo")->isVisible());
    fire(m_form->TimerGame, 2);
    // 'A' lies left of the panel: its tick changes, nothing is handled.
    clickBox('A');
    QCOMPARE(control<TCheckListBox>(m_form, "ListeLettre")->item(0)->checkState(), Qt::Checked);
    QCOMPARE(m_form->game().word().NbEssai, 0);
    QCOMPARE(control<QLabel>(m_form, "affMot")->text(), bullets(5));
    QCOMPARE(tagOf(m_form->TimerGame), 2);
    // Nor is a time-out; it still starts the next countdown.
    control<TSpinEdit>(m_cfg, "TempsPartie")->setValue(5);
    fire(m_form->TimerGame, 3);
    QCOMPARE(m_form->game().word().NbEssai, 0);
    QCOMPARE(m_form->game().word().NbErreur, 0);
    fire(m_form->TimerGame);
    QCOMPARE(control<QLabel>(m_form, "paTempsRestant")->text(), QStringLiteral("Reste : 4s"));
}

void TestGameWindow::wonWordAndTheNextDraw()
{
    startGame();
    selectWord(10);
    control<TSpinEdit>(m_cfg, "NiveauDuJeu")->setValue(2);
    QTest::mouseClick(control<QPushButton>(m_form, "btMot"), Qt::LeftButton);
    m_sound.cues.clear();
    pick("XZCHIEN");
    QVERIFY(control<QFrame>(m_form, "paInfo")->isVisible());
    QCOMPARE(control<QLabel>(m_form, "laTextInfo")->text(),
             QStringLiteral("BRAVO !!!\r\nC'était : CHIEN\r\nGagner en :7"));
    QCOMPARE(control<QLabel>(m_form, "Panel3")->text(), QStringLiteral(" Score : 40"));
    QCOMPARE(control<QLabel>(m_form, "Panel2")->text(), QStringLiteral(" Juste(s) : 1/0"));
    QVERIFY(control<QLabel>(m_form, "affMot")->text().isEmpty());
    QVERIFY(!m_form->TimerGame->isActive());
    QCOMPARE(cues().last(), QStringLiteral("SonGagner"));
    QCOMPARE(tagOf(control<QPushButton>(m_form, "btValid")), kDrawNextTag);

    // The panel shows its lines as lines.
    const QFontMetrics metrics(control<QLabel>(m_form, "laTextInfo")->font());
    QVERIFY(metrics
                .boundingRect(QRect(0, 0, 242, 70), Qt::TextWordWrap,
                              control<QLabel>(m_form, "laTextInfo")->text())
                .height() >= 3 * metrics.height());

    // OK on a result draws the next word.
    QTest::mouseClick(control<QPushButton>(m_form, "btValid"), Qt::LeftButton);
    QVERIFY(!control<QFrame>(m_form, "paInfo")->isVisible());
    QCOMPARE(m_form->game().record().NbMotJoue, 1);
    QCOMPARE(control<QLabel>(m_form, "affMot")->text(), bullets(5));
    QVERIFY(m_form->TimerGame->isActive());

    // When that draw finds no word, OK on its message only closes it: it does
    // not draw again.
    pick("CHIEN");
    selectPoints(51, 52);
    QTest::mouseClick(control<QPushButton>(m_form, "btValid"), Qt::LeftButton);
    QVERIFY(control<QLabel>(m_form, "laTextInfo")
                ->text()
                .startsWith(QStringLiteral("Aucun mot ne correspond")));
    QTest::mouseClick(control<QPushButton>(m_form, "btValid"), Qt::LeftButton);
    QVERIFY(!control<QFrame>(m_form, "paInfo")->isVisible());
}

void TestGameWindow::lostWordShowsTheWholeDrawing()
{
    startGame();
    selectWord(12); // table
    control<TSpinEdit>(m_cfg, "NiveauDuJeu")->setValue(3);
    QTest::mouseClick(control<QPushButton>(m_form, "btMot"), Qt::LeftButton);
    pick("T");
    m_sound.cues.clear();
    pick("XYZWVQ");
    QVERIFY(control<QFrame>(m_form, "paInfo")->isVisible());
    QCOMPARE(control<QLabel>(m_form, "laTextInfo")->text(),
             QStringLiteral("Perdu !\r\nC'était : TABLE"));
    QCOMPARE(cues().count(QStringLiteral("SonErreur")), 5);
    QCOMPARE(cues().last(), QStringLiteral("SonPerdu"));
    for (const char* piece : {"ImgBas", "ImgCoter", "ImgPendu", "ImgHaut", "ImgBras1", "ImgBras2",
                              "ImgCorps", "ImgJambe1", "ImgJambe2", "ImgTete"})
        QVERIFY2(!m_form->findChild<QWidget*>(QLatin1String(piece))->isHidden(), piece);
    QCOMPARE(control<QLabel>(m_form, "Panel3")->text(), QStringLiteral(" Score : 0"));
    QVERIFY(control<QLabel>(m_form, "affMot")->text().isEmpty());
    QVERIFY(!m_form->TimerGame->isActive());
}

void TestGameWindow::finishedWordTakesNoMorePicks()
{
    startGame();
    selectWord(10);
    QTest::mouseClick(control<QPushButton>(m_form, "btMot"), Qt::LeftButton);
    pick("CHIEN");
    QCOMPARE(control<QLabel>(m_form, "Panel3")->text(), QStringLiteral(" Score : 20"));
    // Coming back shows the statistics; the countdown of the won word stays off.
    sendActivation(m_form.get(), false);
    sendActivation(m_form.get(), true);
    QCOMPARE(tagOf(control<QPushButton>(m_form, "btValid")), 0);
    QVERIFY(!m_form->TimerGame->isActive());
    QTest::mouseClick(control<QPushButton>(m_form, "btValid"), Qt::LeftButton); // only closes
    QCOMPARE(m_form->game().record().NbMotJoue, 0);
    QVERIFY(!control<QFrame>(m_form, "paInfo")->isVisible());
    pick("XZ");
    m_form->TimerGameTimer();
    QCOMPARE(m_form->game().word().NbErreur, 0);
    QCOMPARE(m_form->game().record().Score, 20);
    QCOMPARE(m_form->game().record().NbMotTrouve, 1);
    QVERIFY(!control<QFrame>(m_form, "paInfo")->isVisible());
}

// ---------------------------------------------------------------- countdown

void TestGameWindow::countdown()
{
    startGame();
    selectWord(10);
    QTest::mouseClick(control<QPushButton>(m_form, "btMot"), Qt::LeftButton);
    m_sound.cues.clear();
    fire(m_form->TimerGame);
    QCOMPARE(control<QLabel>(m_form, "paTempsRestant")->text(), QStringLiteral("Reste : 29s"));
    fire(m_form->TimerGame, 24);
    QVERIFY(cues().isEmpty());
    fire(m_form->TimerGame);
    QCOMPARE(control<QLabel>(m_form, "paTempsRestant")->text(), QStringLiteral("Reste : 4s"));
    QCOMPARE(cues(), QStringList({"SonDecide"}));
    fire(m_form->TimerGame, 3);
    QCOMPARE(m_form->game().word().NbEssai, 0);
    fire(m_form->TimerGame);
    QCOMPARE(control<QLabel>(m_form, "paTempsRestant")->text(), QStringLiteral("Reste : 0s"));
    QCOMPARE(m_form->game().word().NbEssai, 1);
    QCOMPARE(m_form->game().word().NbErreur, 1);
    QVERIFY(!control<TImage>(m_form, "ImgBas")->isHidden());
    QCOMPARE(cues().last(), QStringLiteral("SonErreur"));
    // Each time-out starts the next countdown.
    fire(m_form->TimerGame);
    QCOMPARE(control<QLabel>(m_form, "paTempsRestant")->text(), QStringLiteral("Reste : 29s"));

    // The time allowed is read at every tick.
    control<TSpinEdit>(m_cfg, "TempsPartie")->setValue(10);
    fire(m_form->TimerGame);
    QCOMPARE(control<QLabel>(m_form, "paTempsRestant")->text(), QStringLiteral("Reste : 8s"));
}

void TestGameWindow::countdownFollowsAFontChange()
{
    // A tick after a font change shows the text in the new font, as a label
    // of the same looks paints it.
    startGame();
    selectWord(10);
    QTest::mouseClick(control<QPushButton>(m_form, "btMot"), Qt::LeftButton);
    fire(m_form->TimerGame);
    QLabel* countdown = control<QLabel>(m_form, "paTempsRestant");
    QFont font = countdown->font();
    font.setPixelSize(font.pixelSize() + 5);
    countdown->setFont(font);
    fire(m_form->TimerGame);
    QCOMPARE(countdown->text(), QStringLiteral("Reste : 28s"));
    QLabel label(countdown->text());
    label.setPalette(countdown->palette());
    label.setAutoFillBackground(true);
    label.setFont(font);
    label.setFrameStyle(countdown->frameStyle());
    label.setAlignment(countdown->alignment());
    label.resize(countdown->size());
    QCOMPARE(countdown->grab().toImage(), label.grab().toImage());
}

void TestGameWindow::countdownOfFiveSeconds()
{
    startGame();
    control<TSpinEdit>(m_cfg, "TempsPartie")->setValue(5);
    selectWord(10);
    QTest::mouseClick(control<QPushButton>(m_form, "btMot"), Qt::LeftButton);
    m_sound.cues.clear();
    fire(m_form->TimerGame, 5);
    QCOMPARE(control<QLabel>(m_form, "paTempsRestant")->text(), QStringLiteral("Reste : 0s"));
    QVERIFY(!cues().contains(QStringLiteral("SonDecide")));
    QCOMPARE(m_form->game().word().NbErreur, 1);
}

void TestGameWindow::countdownOffWithoutTimeLimit()
{
    startGame();
    control<QCheckBox>(m_cfg, "LimitTemps")->setChecked(false);
    selectWord(10);
    QTest::mouseClick(control<QPushButton>(m_form, "btMot"), Qt::LeftButton);
    QVERIFY(!m_form->TimerGame->isActive());
    m_form->TimerGame->start();
    fire(m_form->TimerGame, 40);
    QVERIFY(control<QLabel>(m_form, "paTempsRestant")->text().isEmpty());
    QCOMPARE(m_form->game().word().NbEssai, 0);
    m_form->TimerGame->stop();
}

void TestGameWindow::deactivationPausesTheCountdown()
{
    startGame();
    selectWord(10);
    QTest::mouseClick(control<QPushButton>(m_form, "btMot"), Qt::LeftButton);
    fire(m_form->TimerGame, 3);
    sendActivation(m_form.get(), false);
    QVERIFY(!m_form->TimerGame->isActive());
    QCOMPARE(tagOf(m_form->TimerGame), 3);

    m_sound.cues.clear();
    sendActivation(m_form.get(), true);
    QVERIFY(m_form->TimerGame->isActive());
    QVERIFY(control<QFrame>(m_form, "paInfo")->isVisible());
    QVERIFY(control<QLabel>(m_form, "laTextInfo")
                ->text()
                .startsWith(QStringLiteral("Nombre de mots :\r\n")));
    QCOMPARE(tagOf(control<QPushButton>(m_form, "btValid")), 0);
    QVERIFY(!cues().contains(QStringLiteral("SonHello")));
    QTest::mouseClick(control<QPushButton>(m_form, "btValid"), Qt::LeftButton);
    QCOMPARE(m_form->game().record().NbMotJoue, 0);
    fire(m_form->TimerGame);
    QCOMPARE(control<QLabel>(m_form, "paTempsRestant")->text(), QStringLiteral("Reste : 26s"));
}

void TestGameWindow::longWordFitsTheDisplay()
{
    startGame();
    selectWord(40);
    QTest::mouseClick(control<QPushButton>(m_form, "btMot"), Qt::LeftButton);
    QCOMPARE(m_form->game().word().LongueurMot, 25);
    const QFont font = control<QLabel>(m_form, "affMot")->font();
    QVERIFY(font.pixelSize() < 32);
    QVERIFY(QFontMetrics(font).horizontalAdvance(control<QLabel>(m_form, "affMot")->text()) <=
            control<QLabel>(m_form, "affMot")->contentsRect().width());
    QVERIFY(QFontMetrics(font).inFont(kBullet.at(0)));
    selectWord(10);
    QTest::mouseClick(control<QPushButton>(m_form, "btMot"), Qt::LeftButton);
    QCOMPARE(control<QLabel>(m_form, "affMot")->font().pixelSize(), 32);
}

// ---------------------------------------------------------------- skins

void TestGameWindow::skinFiles()
{
    // No skin file at all: blank buttons, btMot with its caption only.
    for (QPushButton* button :
         {control<QPushButton>(m_form, "btFermer"), control<QPushButton>(m_form, "btCfg"),
          control<QPushButton>(m_form, "btValid")}) {
        QVERIFY(button->icon().isNull());
        QVERIFY(button->text().isEmpty());
    }
    QVERIFY(control<QPushButton>(m_form, "btMot")->icon().isNull());
    QCOMPARE(control<QPushButton>(m_form, "btMot")->text(), QStringLiteral("Commencer"));
    QVERIFY(control<TImage>(m_form, "imgLogo")->pictureSize().isEmpty());

    // Only BTMOT.bmp, in another letter case.
    QTemporaryDir onlyMot;
    QVERIFY(QDir(onlyMot.path()).mkpath("res"));
    writeGlyph(onlyMot.path() + "/res/BTMOT.bmp", QSize(20, 20), Qt::red, Qt::red);
    makeWindow(onlyMot.path() + '/');
    QVERIFY(!control<QPushButton>(m_form, "btMot")->icon().isNull());
    QCOMPARE(control<QPushButton>(m_form, "btMot")->text(), QStringLiteral("Commencer"));
    QCOMPARE(control<QPushButton>(m_form, "btMot")->iconSize(), QSize(20, 20));
    for (QPushButton* button :
         {control<QPushButton>(m_form, "btFermer"), control<QPushButton>(m_form, "btCfg"),
          control<QPushButton>(m_form, "btValid")})
        QVERIFY(button->icon().isNull());
    for (TImage* image : m_form->findChildren<TImage*>())
        QVERIFY2(image->pictureSize().isEmpty(), qPrintable(image->objectName()));

    // Pictures, two-state glyphs, an undecodable picture and a folder named like a file.
    QTemporaryDir full;
    QVERIFY(QDir(full.path()).mkpath("res/ImgCorps.png"));
    writeImage(full.path() + "/res/imgLogo.png", QSize(416, 176), Qt::green, Qt::green, "PNG");
    writeImage(full.path() + "/res/imginfo.PNG", QSize(160, 160), Qt::blue, Qt::blue, "PNG");
    writeGlyph(full.path() + "/res/btFermer.bmp", QSize(48, 24), Qt::red, Qt::blue);
    writeBytes(full.path() + "/res/ImgTete.png", "not a picture");
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(".*ImgTete\\.png.*"));
    makeWindow(full.path() + '/');
    QCOMPARE(control<TImage>(m_form, "imgLogo")->pictureSize(), QSize(416, 176));
    QCOMPARE(control<TImage>(m_form, "imgInfo")->pictureSize(), QSize(160, 160));
    QVERIFY(control<TImage>(m_form, "ImgTete")->pictureSize().isEmpty());
    QVERIFY(control<TImage>(m_form, "ImgCorps")->pictureSize().isEmpty());
    const QIcon icon = control<QPushButton>(m_form, "btFermer")->icon();
    QCOMPARE(control<QPushButton>(m_form, "btFermer")->iconSize(), QSize(24, 24));
    const QImage normal = icon.pixmap(QSize(24, 24), 1.0, QIcon::Normal).toImage();
    const QImage disabled = icon.pixmap(QSize(24, 24), 1.0, QIcon::Disabled).toImage();
    QCOMPARE(QColor(normal.pixel(12, 12)), QColor(Qt::red));
    QCOMPARE(QColor(disabled.pixel(12, 12)), QColor(Qt::blue));
    // The button-face grey around the glyph is transparent.
    QCOMPARE(qAlpha(normal.pixel(0, 23)), 0);
    // The logo is scaled to its control, aspect ratio kept.
    m_form->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
    const QPixmap logo = control<TImage>(m_form, "imgLogo")->pixmap();
    QCOMPARE(logo.deviceIndependentSize().toSize(), QSize(208, 88));
}

// ---------------------------------------------------------------- sound cues

void TestGameWindow::soundCueFiles()
{
    const QString res = m_program.path() + "/res/";
    QVERIFY(QFile::copy(QStringLiteral(GAME_TEST_TONE), res + "SonNouveau.mp3"));
    QVERIFY(QFile::copy(QStringLiteral(GAME_TEST_TONE), res + "SonGagner.mp3"));
    QTemporaryDir chosenFolder;
    const QString chosen = chosenFolder.path() + "/gagne.mp3";
    QVERIFY(QFile::copy(QStringLiteral(GAME_TEST_TONE), chosen));
    m_standIn.sounds[Cue::SonGagner] = {chosenFolder.path() + '/', QStringLiteral("gagne.mp3")};
    GameSoundPlayer player(m_program.path() + '/');
    player.setSettings(&m_standIn);
    const auto fileFor = [&player](Cue cue) { return player.fileFor(cue); };
    // The chosen file, then the default one, then nothing.
    QCOMPARE(QFileInfo(fileFor(Cue::SonGagner)).canonicalFilePath(),
             QFileInfo(chosen).canonicalFilePath());
    QCOMPARE(fileFor(Cue::SonNouveau), res + "SonNouveau.mp3");
    QCOMPARE(fileFor(Cue::SonPerdu), QString());
    QVERIFY(QFile::remove(chosen));
    QCOMPARE(fileFor(Cue::SonGagner), res + "SonGagner.mp3");
    m_standIn.useDefaults = false;
    QCOMPARE(fileFor(Cue::SonGagner), QString());
    QCOMPARE(fileFor(Cue::SonNouveau), QString());
    // Sounds off: nothing whatever the rest.
    m_standIn.useDefaults = true;
    m_standIn.muted = true;
    QCOMPARE(fileFor(Cue::SonNouveau), QString());
    QCOMPARE(fileFor(Cue::SonGagner), QString());

    // A file stored without a folder lies in the program's folder, whatever
    // the current folder.
    QTemporaryDir program;
    QVERIFY(QFile::copy(QStringLiteral(GAME_TEST_TONE), program.path() + "/bravo.mp3"));
    writeBytes(program.path() + "/corbelet.ini", "[Config]\r\nSonGagner=bravo.mp3\r\n");
    makeWindow(program.path() + '/');
    QCOMPARE(playSounds().fileFor(Cue::SonGagner), program.path() + "/bravo.mp3");

    // A draw plays its cue through the audio library.
    makeWindow();
    playSounds();
    control<QCheckBox>(m_cfg, "PasDeSon")->setChecked(false);
    startGame();
    selectWord(10);
    QTest::mouseClick(control<QPushButton>(m_form, "btMot"), Qt::LeftButton);
    QCOMPARE(cues(), QStringList{"SonNouveau"});
    QVERIFY(CurrentStream); // the audio library opened it
    QFile::remove(res + "SonNouveau.mp3");
    QFile::remove(res + "SonGagner.mp3");
}

// ---------------------------------------------------------------- closing

void TestGameWindow::closing()
{
    startGame();
    selectWord(10);
    QTest::mouseClick(control<QPushButton>(m_form, "btMot"), Qt::LeftButton);
    pick("C");
    fire(m_form->TimerGame, 2);

    // Answers the confirmation with the button whose text is given; the box
    // takes the activation while it shows.
    ModalBoxActivation* activation = nullptr;
    auto answer = [&activation](const QString& text) {
        QTimer::singleShot(0, [&activation, text] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            QVERIFY(box);
            QCOMPARE(box->windowTitle(), QStringLiteral("Confirmation"));
            QCOMPARE(box->text(), QStringLiteral("Voulez-vous vraiment quitter le jeu"));
            QCOMPARE(box->icon(), QMessageBox::Question);
            QStringList texts;
            QAbstractButton* target = nullptr;
            for (QAbstractButton* button : box->buttons()) {
                texts.append(button->text());
                if (button->text() == text)
                    target = button;
                // The ampersand marks the accelerator: Alt+O, Alt+N.
                QCOMPARE(
                    button->shortcut(),
                    QKeySequence(Qt::ALT | (button->text() == QStringLiteral("&Oui") ? Qt::Key_O
                                                                                     : Qt::Key_N)));
            }
            texts.sort();
            QCOMPARE(texts, QStringList({"&Non", "&Oui"}));
            QVERIFY(target);
            activation->boxShown();
            target->click();
        });
    };

    // "Non" leaves everything as it was, the countdown included.
    {
        ModalBoxActivation watch(m_form.get());
        activation = &watch;
        answer(QStringLiteral("&Non"));
        QTest::mouseClick(control<QPushButton>(m_form, "btFermer"), Qt::LeftButton);
        watch.boxGone();
    }
    QVERIFY(cues().contains(QStringLiteral("SonExit")));
    QVERIFY(m_form->isVisible());
    QVERIFY(m_form->wordStore().Connected());
    QCOMPARE(m_form->game().word().NbEssai, 1);
    QCOMPARE(control<QLabel>(m_form, "affMot")->text(), QStringLiteral("C") + bullets(4));
    QVERIFY(!control<QFrame>(m_form, "paInfo")->isVisible());
    QCOMPARE(tagOf(control<QPushButton>(m_form, "btValid")), kDrawNextTag);
    QVERIFY(m_form->TimerGame->isActive());
    QCOMPARE(tagOf(m_form->TimerGame), 2);

    // "Oui": the sound player shuts down first, then the word store goes.
    ModalBoxActivation watch(m_form.get());
    activation = &watch;
    answer(QStringLiteral("&Oui"));
    bool storeConnectedAtSoundClose = false;
    m_sound.heard = [&] {
        if (m_sound.closes == 1)
            storeConnectedAtSoundClose = m_form->wordStore().Connected();
    };
    m_form->close();
    m_sound.heard = nullptr;
    QVERIFY(!m_form->isVisible());
    QCOMPARE(m_sound.closes, 1);
    QVERIFY(storeConnectedAtSoundClose);
    QVERIFY(!m_form->wordStore().Connected());
}

void TestGameWindow::smallButtons()
{
    UrlCatcher catcher;
    QDesktopServices::setUrlHandler(QStringLiteral("https"), &catcher, "open");
    m_form->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
    QTest::mouseClick(control<TImage>(m_form, "imgLogo"), Qt::LeftButton);
    QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
    QCOMPARE(catcher.urls, QList<QUrl>({QUrl(QString::fromLatin1(kHomePage))}));

    QVERIFY(!m_cfg->isVisible());
    QTest::mouseClick(control<QPushButton>(m_form, "btCfg"), Qt::LeftButton);
    QVERIFY(m_cfg->isVisible());
    QVERIFY(!m_cfg->isModal());
    m_cfg->hide();
}

QTEST_MAIN(TestGameWindow)
#include "tst_gamewindow.moc"
