// The game window without a mouse, through a screen reader's eyes, and on a
// machine without sound output: keys typed into the window as the platform
// delivers them (shortcuts first, then the focused control), what the
// accessible interfaces report, and the boxes the sound player shows.

#include "gamewindowfixture.h"

#include "config/tpagecontrol.h"
#include "game/tchecklistbox.h"
#include "game/timage.h"
#include "tests/sound/soundtestsupport.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QMessageBox>
#include <QTimer>
#include <QWindow>

namespace {

QAccessibleInterface* accessible(QObject* object)
{
    return QAccessible::queryAccessibleInterface(object);
}

// The objects of a window's accessible tree that a player acts on or reads as
// a control, depth first; what lies inside a list, a drop-down or a spin box
// is its own.
void collectControls(QAccessibleInterface* parent, QList<QAccessibleInterface*>& controls)
{
    static const QList<QAccessible::Role> kControlRoles = {
        QAccessible::Button,  QAccessible::CheckBox,     QAccessible::ComboBox,
        QAccessible::SpinBox, QAccessible::EditableText, QAccessible::List,
        QAccessible::PageTab, QAccessible::Graphic,      QAccessible::Document};
    for (int index = 0; index < parent->childCount(); ++index) {
        QAccessibleInterface* child = parent->child(index);
        if (!child)
            continue;
        if (kControlRoles.contains(child->role()))
            controls.append(child);
        if (child->role() != QAccessible::List && child->role() != QAccessible::ComboBox &&
            child->role() != QAccessible::SpinBox)
            collectControls(child, controls);
    }
}

} // namespace

class TestGameAccess : public GameWindowFixture
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void wordWonAndWordLostByKeys();
    void repeatedLetterByKey();
    void keysWhileThePanelShowsOrNoWordIsInPlay();
    void focusAfterADrawAndAfterThePanel();
    void tabOrder();
    void shortcuts();
    void accessibleNamesRolesAndStates();
    void everyControlHasADistinctName_data();
    void everyControlHasADistinctName();
    void configurationNamesFromLabels_data();
    void configurationNamesFromLabels();
    void gallowsIsOnePictureThatCountsMistakes();
    void rulesReadAsText();
    void enterOnAFocusedButton_data();
    void enterOnAFocusedButton();
    void machineWithoutSoundShowsOneBox();

private:
    void startByKeys();
    void key(Qt::Key code, Qt::KeyboardModifiers modifiers = Qt::NoModifier,
             const QString& text = QString());
    void type(const QString& text);
    void returnToWindow();
    void answerOnConfirmation(const QString& button);

    QString m_answeredBox; // the text of the box answered last
};

void TestGameAccess::initTestCase()
{
    QGuiApplication::setApplicationDisplayName(QStringLiteral("Corbelet"));
    prepareWordBase();
    // The rules the configuration window shows.
    QVERIFY(QFile::copy(QStringLiteral(CORBELET_SOURCE_DIR "/res/Pendu.rtf"),
                        m_program.filePath(QStringLiteral("Pendu.rtf"))));
}

void TestGameAccess::init()
{
    makeWindow();
}

void TestGameAccess::cleanup()
{
    destroyWindow();
}

// Shown and activated for real (keyboard shortcuts belong to the active
// window); Enter closes the greeting's statistics.
void TestGameAccess::startByKeys()
{
    m_form->show();
    m_form->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_form.get()));
    QVERIFY(control<QFrame>(m_form, "paInfo")->isVisible());
    key(Qt::Key_Return);
    QVERIFY(!control<QFrame>(m_form, "paInfo")->isVisible());
    m_sound.cues.clear();
}

void TestGameAccess::key(Qt::Key code, Qt::KeyboardModifiers modifiers, const QString& text)
{
    QTest::sendKeyEvent(QTest::Click, m_form->windowHandle(), code, text, modifiers);
}

// Each character as a key of its own, with the key code a keyboard gives it.
void TestGameAccess::type(const QString& text)
{
    for (const QChar character : text) {
        const char16_t upper = character.toUpper().unicode();
        key(upper < 0x100 ? Qt::Key(upper) : Qt::Key_unknown, Qt::NoModifier, QString(character));
    }
}

// The player comes back to the window: the statistics show, their OK only
// closes them.
void TestGameAccess::returnToWindow()
{
    sendActivation(m_form.get(), false);
    sendActivation(m_form.get(), true);
    QVERIFY(control<QFrame>(m_form, "paInfo")->isVisible());
}

// Answers the next box, once it shows, with the named button.
void TestGameAccess::answerOnConfirmation(const QString& button)
{
    auto* watch = new QTimer(m_form.get()); // goes with the window at the latest
    watch->setInterval(10);
    connect(watch, &QTimer::timeout, this, [this, watch, button] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box || !box->isVisible())
            return;
        watch->stop();
        watch->deleteLater();
        m_answeredBox = box->text();
        if (auto* answer = box->findChild<QAbstractButton*>(button))
            answer->click();
        else
            box->reject();
    });
    watch->start();
}

// ---------------------------------------------------------------- play

void TestGameAccess::wordWonAndWordLostByKeys()
{
    startByKeys();
    selectWord(22); // aujourd'hui
    key(Qt::Key_Return);
    QCOMPARE(m_form->game().word().Mot, std::string("AUJOURD'HUI"));

    // Accented letters fold, either case picks, the typographic apostrophe
    // is the apostrophe; every pick ticks its item as a click would.
    type(QStringLiteral("\u00E2\u00F9J\u00F4rd\u2019"));
    QCOMPARE(control<QLabel>(m_form, "affMot")->text(), QStringLiteral("AUJOURD'\u2022U\u2022"));
    for (const char* symbol : {"A", "U", "J", "O", "R", "D", "'"})
        QCOMPARE(letterItem(QLatin1String(symbol))->checkState(), Qt::Checked);
    QCOMPARE(letterItem(QStringLiteral("E"))->checkState(), Qt::Unchecked);
    QCOMPARE(cues().count(QStringLiteral("SonBonneLettre")), 9);
    type(QStringLiteral("h\u00EF"));
    QVERIFY(control<QFrame>(m_form, "paInfo")->isVisible());
    QCOMPARE(control<QLabel>(m_form, "laTextInfo")->text(),
             QStringLiteral("BRAVO !!!\r\nC'était : AUJOURD'HUI\r\nGagner en :9"));
    QCOMPARE(control<QLabel>(m_form, "Panel3")->text(), QStringLiteral(" Score : 40"));
    QCOMPARE(cues().last(), QStringLiteral("SonGagner"));

    // Enter on the result draws the next word, which is lost by keys: the
    // hyphen is a symbol of the list like the letters.
    selectWord(12); // table
    key(Qt::Key_Return);
    QVERIFY(!control<QFrame>(m_form, "paInfo")->isVisible());
    QCOMPARE(m_form->game().word().Mot, std::string("TABLE"));
    type(QStringLiteral("t-zyxwvqkj"));
    QCOMPARE(m_form->game().word().NbErreur, 9);
    QVERIFY(!control<QFrame>(m_form, "paInfo")->isVisible());
    type(QStringLiteral("g"));
    QVERIFY(control<QFrame>(m_form, "paInfo")->isVisible());
    QCOMPARE(control<QLabel>(m_form, "laTextInfo")->text(),
             QStringLiteral("Perdu !\r\nC'était : TABLE"));
    QVERIFY(!control<TImage>(m_form, "ImgTete")->isHidden());
    QCOMPARE(control<QLabel>(m_form, "Panel3")->text(), QStringLiteral(" Score : 28"));
    QCOMPARE(control<QLabel>(m_form, "Panel2")->text(), QStringLiteral(" Juste(s) : 1/1"));
}

void TestGameAccess::repeatedLetterByKey()
{
    startByKeys();
    selectWord(10); // chien
    key(Qt::Key_Return);
    type(QStringLiteral("c"));
    m_sound.cues.clear();
    type(QStringLiteral("\u00C7")); // Ç, with Caps Lock
    QCOMPARE(m_sound.beeps, 1);
    QCOMPARE(control<QLabel>(m_form, "Label3")->text(), QStringLiteral("Lettre déjà essayée"));
    QCOMPARE(letterItem(QStringLiteral("C"))->checkState(), Qt::Checked);
    QCOMPARE(m_form->game().word().NbEssai, 1);
    QVERIFY(cues().isEmpty());

    // A held key repeats nothing.
    QTest::sendKeyEvent(QTest::Press, m_form->windowHandle(), Qt::Key_C, QStringLiteral("c"),
                        Qt::NoModifier);
    QTest::simulateEvent(m_form->windowHandle(), true, Qt::Key_C, Qt::NoModifier,
                         QStringLiteral("c"), true);
    QCOMPARE(m_sound.beeps, 2);
}

void TestGameAccess::keysWhileThePanelShowsOrNoWordIsInPlay()
{
    startByKeys();
    // No word yet: a letter does nothing.
    type(QStringLiteral("e"));
    QCOMPARE(letterItem(QStringLiteral("E"))->checkState(), Qt::Unchecked);
    QCOMPARE(m_sound.beeps, 0);

    selectWord(10); // chien
    key(Qt::Key_Return);
    returnToWindow();
    type(QStringLiteral("c"));
    QCOMPARE(m_form->game().word().NbEssai, 0);
    QCOMPARE(letterItem(QStringLiteral("C"))->checkState(), Qt::Unchecked);
    // Space presses the panel's OK, which only closes the statistics.
    key(Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "));
    QVERIFY(!control<QFrame>(m_form, "paInfo")->isVisible());
    QCOMPARE(m_form->game().record().NbMotJoue, 0);
    // So does the keypad's Enter.
    returnToWindow();
    key(Qt::Key_Enter, Qt::KeypadModifier, QStringLiteral("\r"));
    QVERIFY(!control<QFrame>(m_form, "paInfo")->isVisible());
    QCOMPARE(m_form->game().record().NbMotJoue, 0);

    // A word won takes no more letters, with or without its result showing.
    type(QStringLiteral("chien"));
    QVERIFY(control<QFrame>(m_form, "paInfo")->isVisible());
    type(QStringLiteral("z"));
    returnToWindow();
    key(Qt::Key_Return);
    QVERIFY(!control<QFrame>(m_form, "paInfo")->isVisible());
    type(QStringLiteral("z"));
    QCOMPARE(m_form->game().word().NbErreur, 0);
    QCOMPARE(letterItem(QStringLiteral("Z"))->checkState(), Qt::Unchecked);
    QCOMPARE(m_form->game().record().NbMotJoue, 0);
    QCOMPARE(m_sound.beeps, 0);
}

void TestGameAccess::focusAfterADrawAndAfterThePanel()
{
    startByKeys();
    // Before the first draw, "Commencer" is the control to press.
    QCOMPARE(QApplication::focusWidget(), control<QPushButton>(m_form, "btMot"));

    // A click on "Suivant >>" leaves the focus on the letters: the letter
    // then Space loop picks letters and never draws a word again.
    selectWord(8); // ananas
    QTest::mouseClick(control<QPushButton>(m_form, "btMot"), Qt::LeftButton);
    QCOMPARE(QApplication::focusWidget(), control<TCheckListBox>(m_form, "ListeLettre"));
    QTest::mouseClick(control<QPushButton>(m_form, "btMot"), Qt::LeftButton);
    QCOMPARE(QApplication::focusWidget(), control<TCheckListBox>(m_form, "ListeLettre"));
    QCOMPARE(m_form->game().record().NbMotJoue, 1);
    for (const char* letter : {"n", "z"}) {
        type(QLatin1String(letter));
        key(Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "));
    }
    QCOMPARE(m_form->game().record().NbMotJoue, 1);
    QCOMPARE(m_form->game().word().NbEssai, 2); // Space ticked Z again: a repeat

    // The panel takes the focus while it shows and gives it back to the letters.
    returnToWindow();
    QCOMPARE(QApplication::focusWidget(), control<QPushButton>(m_form, "btValid"));
    QTest::mouseClick(control<QPushButton>(m_form, "btValid"), Qt::LeftButton);
    QCOMPARE(QApplication::focusWidget(), control<TCheckListBox>(m_form, "ListeLettre"));
    type(QStringLiteral("s"));
    QCOMPARE(m_form->game().word().NbEssai, 3);
    QCOMPARE(QApplication::focusWidget(), control<TCheckListBox>(m_form, "ListeLettre"));
}

void TestGameAccess::tabOrder()
{
    startByKeys();
    key(Qt::Key_Return);
    QCOMPARE(QApplication::focusWidget(), control<TCheckListBox>(m_form, "ListeLettre"));
    QList<QWidget*> order;
    for (int press = 0; press < 4; ++press) {
        key(Qt::Key_Tab);
        order.append(QApplication::focusWidget());
    }
    QCOMPARE(order, (QList<QWidget*>{control<QPushButton>(m_form, "btMot"),
                                     control<QPushButton>(m_form, "btCfg"),
                                     control<QPushButton>(m_form, "btFermer"),
                                     control<TCheckListBox>(m_form, "ListeLettre")}));
    // Space on a focused button is the button's.
    key(Qt::Key_Tab);
    key(Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "));
    QCOMPARE(m_form->game().record().NbMotJoue, 1);
    QCOMPARE(QApplication::focusWidget(), control<TCheckListBox>(m_form, "ListeLettre"));
}

void TestGameAccess::shortcuts()
{
    startByKeys();
    key(Qt::Key_N, Qt::ControlModifier);
    QCOMPARE(m_form->game().record().NbMotJoue, 0);
    key(Qt::Key_N, Qt::ControlModifier);
    QCOMPARE(m_form->game().record().NbMotJoue, 1);

    // Escape and Ctrl+Q are the quit button: its cue, then the confirmation.
    for (const QKeyCombination quit :
         {QKeyCombination(Qt::Key_Escape), QKeyCombination(Qt::ControlModifier, Qt::Key_Q)}) {
        m_sound.cues.clear();
        answerOnConfirmation(QStringLiteral("Non"));
        key(quit.key(), quit.keyboardModifiers());
        QTRY_COMPARE(m_answeredBox, QStringLiteral("Voulez-vous vraiment quitter le jeu"));
        m_answeredBox.clear();
        QCOMPARE(cues(), QStringList{"SonExit"});
        QVERIFY(m_form->isVisible());
        m_form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_form.get()));
    }

    // Ctrl+, shows the configuration window as it was; F1 on its rules.
    QVERIFY(!m_cfg->isVisible());
    key(Qt::Key_Comma, Qt::ControlModifier);
    QTRY_VERIFY(m_cfg->isVisible());
    QCOMPARE(control<TPageControl>(m_cfg, "PageControl1")->currentIndex(), 0);
    // The game's keys stay in the game window: Escape there closes it.
    QVERIFY(QTest::qWaitForWindowActive(m_cfg.get()));
    m_sound.cues.clear();
    answerOnConfirmation(QStringLiteral("Non")); // should the game ask to quit
    QTest::sendKeyEvent(QTest::Click, m_cfg->windowHandle(), Qt::Key_Escape, QString(),
                        Qt::NoModifier);
    QTRY_VERIFY(!m_cfg->isVisible());
    QVERIFY(cues().isEmpty());
    m_form->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_form.get()));
    key(Qt::Key_F1);
    QTRY_VERIFY(m_cfg->isVisible());
    QCOMPARE(control<TPageControl>(m_cfg, "PageControl1")->currentWidget(),
             control<QWidget>(m_cfg, "tsInfo"));
    m_cfg->hide();
}

// ---------------------------------------------------------------- screen reader

void TestGameAccess::accessibleNamesRolesAndStates()
{
    m_form->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
    const struct
    {
        QWidget* control;
        QAccessible::Role role;
        const char* name;
    } controls[] = {
        {control<QPushButton>(m_form, "btFermer"), QAccessible::Button, "Quitter le jeu"},
        {control<QPushButton>(m_form, "btCfg"), QAccessible::Button, "Configuration du logiciel"},
        {control<QPushButton>(m_form, "btMot"), QAccessible::Button, "Commencer"},
        {control<QPushButton>(m_form, "btValid"), QAccessible::Button, "OK"},
        {control<TCheckListBox>(m_form, "ListeLettre"), QAccessible::List, "Lettres"},
    };
    for (const auto& control : controls) {
        QAccessibleInterface* interface = accessible(control.control);
        QVERIFY2(interface, control.name);
        QCOMPARE(interface->role(), control.role);
        QCOMPARE(interface->text(QAccessible::Name), QString::fromUtf8(control.name));
    }
    QCOMPARE(accessible(control<QFrame>(m_form, "paInfo"))->role(), QAccessible::AlertMessage);
    QCOMPARE(accessible(control<QPushButton>(m_form, "btCfg"))->text(QAccessible::Description),
             QStringLiteral("Configuration du logiciel"));

    startGame();
    selectWord(15); // maison
    QTest::mouseClick(control<QPushButton>(m_form, "btMot"), Qt::LeftButton);
    m_form->TimerGame->stop(); // ticks come from the test only
    QCOMPARE(accessible(control<QPushButton>(m_form, "btMot"))->text(QAccessible::Name),
             QStringLiteral("Suivant >>"));
    QAccessibleInterface* word = accessible(control<QLabel>(m_form, "affMot"));
    QCOMPARE(word->text(QAccessible::Name),
             QStringLiteral("blanc, blanc, blanc, blanc, blanc, blanc, 6 lettres"));
    m_form->pickTypedLetter('S');
    m_form->pickTypedLetter('M');
    QCOMPARE(word->text(QAccessible::Name),
             QStringLiteral("M, blanc, blanc, S, blanc, blanc, 6 lettres"));

    // Each letter says whether it was tried.
    QAccessibleInterface* list = accessible(control<TCheckListBox>(m_form, "ListeLettre"));
    QCOMPARE(list->childCount(), 28);
    for (int row = 0; row < list->childCount(); ++row) {
        QAccessibleInterface* cell = list->child(row);
        const QString letter = cell->text(QAccessible::Name);
        QVERIFY2(cell->state().checkable, qPrintable(letter));
        QCOMPARE(cell->state().checked, letter == QLatin1String("S") || letter == "M");
    }

    // The panel reads as its message; the countdown as its purpose, its
    // current text as its description.
    returnToWindow();
    QVERIFY(accessible(control<QFrame>(m_form, "paInfo"))
                ->text(QAccessible::Name)
                .startsWith(QStringLiteral("Nombre de mots : Total dans le programme : 10")));
    control<QPushButton>(m_form, "btValid")->click();
    m_form->TimerGameTimer();
    QAccessibleInterface* countdown = accessible(control<QLabel>(m_form, "paTempsRestant"));
    QCOMPARE(countdown->text(QAccessible::Name), QStringLiteral("Temps restant"));
    QCOMPARE(countdown->text(QAccessible::Description), QStringLiteral("Reste : 29s"));

    // The word once found: the panel tells it, the word display is empty.
    for (const char letter : {'A', 'I', 'O', 'N'})
        m_form->pickTypedLetter(letter);
    QVERIFY(control<QFrame>(m_form, "paInfo")->isVisible());
    QVERIFY(word->text(QAccessible::Name).isEmpty());
}

void TestGameAccess::everyControlHasADistinctName_data()
{
    QTest::addColumn<bool>("configuration");
    QTest::newRow("game window") << false;
    QTest::newRow("configuration window") << true;
}

void TestGameAccess::everyControlHasADistinctName()
{
    QFETCH(bool, configuration);
    m_form->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
    QWidget* window = m_form.get();
    if (configuration) {
        m_cfg->showRules(); // every page made, the rules' too
        QVERIFY(QTest::qWaitForWindowExposed(m_cfg.get()));
        window = m_cfg.get();
    }
    QList<QAccessibleInterface*> controls;
    collectControls(accessible(window), controls);
    QVERIFY(controls.size() > (configuration ? 30 : 5));
    QStringList names;
    for (QAccessibleInterface* control : controls) {
        const QString name = control->text(QAccessible::Name);
        const QString what = QString::number(control->role(), 16) + QLatin1Char(' ') +
                             (control->object() ? control->object()->objectName() : name);
        QVERIFY2(!name.trimmed().isEmpty(), qPrintable(what));
        QVERIFY2(!names.contains(name), qPrintable(what + QStringLiteral(": ") + name));
        QVERIFY2(name != QLatin1String("..."), qPrintable(what));
        names.append(name);
    }
}

// The names the labels give, with the label a screen reader finds beside the
// control; a drop-down reads its label as its name, its entry as its value.
void TestGameAccess::configurationNamesFromLabels_data()
{
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("label");
    QTest::addColumn<QString>("value");
    const struct
    {
        const char* control;
        const char* name;
        const char* label;
        const char* value;
    } rows[] = {
        {"NbMotMin", "Nombre de lettres minimum", "Min :", "5"},
        {"NbPointMax", "Points maximum", "Max :", nullptr},
        {"NiveauDuJeu", "Niveau", "Niveau du jeu :", nullptr},
        {"TempsPartie", "Temps par lettre", "Temps en seconde :", nullptr},
        {"NomUser", "Votre nom", "Votre nom :", nullptr},
        {"cbType", "Type de mots", "Type de mots :", "Pas d'importance"},
        {"cbGenre", "Genre des mots", "Genre du mots :", "Pas d'importance"},
        {"SonBonneLettre", "Son : bonne lettre", "Sur lettre trouvée :", nullptr},
        {"btBonneLettre", "Choisir le son : bonne lettre…", nullptr, nullptr},
    };
    for (const auto& row : rows)
        QTest::newRow(row.control) << QString::fromUtf8(row.control) << QString::fromUtf8(row.name)
                                   << QString::fromUtf8(row.label) << QString::fromUtf8(row.value);
}

void TestGameAccess::configurationNamesFromLabels()
{
    QFETCH(QString, control);
    QFETCH(QString, name);
    QFETCH(QString, label);
    QFETCH(QString, value);
    QAccessibleInterface* interface = accessible(m_cfg->FindComponent(control));
    QVERIFY(interface);
    QCOMPARE(interface->text(QAccessible::Name), name);
    if (!value.isEmpty())
        QCOMPARE(interface->text(QAccessible::Value), value);
    // A drop-down's value is also its text, where screen readers look for it.
    if (interface->role() == QAccessible::ComboBox)
        QCOMPARE(interface->textInterface()->text(0, -1), value);
    QStringList labels;
    for (const auto& [other, relation] : interface->relations(QAccessible::Label))
        labels.append(other->text(QAccessible::Name));
    if (!label.isEmpty())
        QVERIFY2(labels.contains(label), qPrintable(labels.join(QLatin1Char('|'))));
}

void TestGameAccess::gallowsIsOnePictureThatCountsMistakes()
{
    startGame();
    QAccessibleInterface* gallows = accessible(control<QFrame>(m_form, "Shape1"));
    QCOMPARE(gallows->role(), QAccessible::Graphic);
    QCOMPARE(gallows->text(QAccessible::Name), QStringLiteral("Potence : aucun mot en jeu"));
    control<TSpinEdit>(m_cfg, "NiveauDuJeu")->setValue(2);
    selectWord(10); // chien
    QTest::mouseClick(control<QPushButton>(m_form, "btMot"), Qt::LeftButton);
    m_form->TimerGame->stop(); // ticks come from the test only
    QCOMPARE(gallows->text(QAccessible::Name), QStringLiteral("Potence : 0 erreur sur 8"));
    for (const char letter : {'Z', 'C', 'Y', 'X'})
        m_form->pickTypedLetter(letter);
    QCOMPARE(gallows->text(QAccessible::Name), QStringLiteral("Potence : 3 erreurs sur 8"));

    // The pieces shown and the frame are not there for a screen reader; the
    // gallows is.
    QAccessibleInterface* window = accessible(m_form.get());
    QVERIFY(window->indexOfChild(gallows) >= 0);
    for (QWidget* decoration :
         QList<QWidget*>{control<TImage>(m_form, "ImgBas"), control<TImage>(m_form, "ImgHaut"),
                         control<QFrame>(m_form, "Bevel1")}) {
        QVERIFY(decoration->isVisible());
        for (int index = 0; index < window->childCount(); ++index)
            QVERIFY2(window->child(index)->object() != decoration,
                     qPrintable(decoration->objectName()));
    }
    // Without a screen reader nothing is announced.
    QVERIFY(!m_form->announcer()->isVisible());
    QVERIFY(m_form->announcer()->accessibleName().isEmpty());
}

void TestGameAccess::rulesReadAsText()
{
    m_cfg->showRules();
    QVERIFY(QTest::qWaitForWindowExposed(m_cfg.get()));
    auto* page = control<QWidget>(m_cfg, "tsInfo")->findChild<QWidget*>(QStringLiteral("page"));
    QVERIFY(page);
    QAccessibleInterface* document = accessible(page);
    QCOMPARE(document->role(), QAccessible::Document);
    QCOMPARE(document->text(QAccessible::Name), QStringLiteral("Corbelet — le jeu du pendu"));
    QAccessibleTextInterface* text = document->textInterface();
    QVERIFY(text);
    const QString all = text->text(0, text->characterCount());
    // Headings and paragraphs in reading order, each a line of its own.
    const QStringList lines = all.split(QLatin1Char('\n'));
    const qsizetype keys = lines.indexOf(QStringLiteral("Jouer au clavier"));
    QVERIFY2(keys > lines.indexOf(QStringLiteral("Le but du jeu")), qPrintable(all));
    QVERIFY(lines.indexOf(QStringLiteral("Le but du jeu")) > 0);
    QVERIFY(lines.value(keys + 2).contains(QStringLiteral("la choisit, comme si vous cochiez")));
    // The same lines as the document's children: headings and paragraphs.
    QCOMPARE(document->childCount(), lines.size());
    const int heading = static_cast<int>(keys);
    QCOMPARE(document->child(heading)->text(QAccessible::Name), lines.at(keys));
    QCOMPARE(document->child(heading)->role(), QAccessible::Heading);
    QCOMPARE(document->child(heading + 1)->role(), QAccessible::Paragraph);
    QCOMPARE(document->child(heading + 2)->role(), QAccessible::Paragraph);
    QCOMPARE(document->indexOfChild(document->child(heading)), heading);
    int start = -1;
    int end = -1;
    const auto offset = static_cast<int>(all.indexOf(QStringLiteral("Tout se joue")));
    QCOMPARE(text->textAtOffset(offset + 3, QAccessible::LineBoundary, &start, &end),
             lines.value(keys + 1) + QLatin1Char('\n'));
    QCOMPARE(start, offset);
    QCOMPARE(text->textBeforeOffset(offset, QAccessible::LineBoundary, &start, &end),
             QStringLiteral("Jouer au clavier\n"));

    // Down moves the caret to the next line.
    text->setCursorPosition(offset);
    page->setFocus();
    QTest::keyClick(page, Qt::Key_Down);
    QVERIFY(text->cursorPosition() > offset);
    QCOMPARE(text->textAtOffset(text->cursorPosition(), QAccessible::LineBoundary, &start, &end),
             lines.value(keys + 2) + QLatin1Char('\n'));
}

void TestGameAccess::enterOnAFocusedButton_data()
{
    QTest::addColumn<QString>("control");
    QTest::addColumn<int>("wordsDrawn");
    QTest::addColumn<bool>("settingsShown");
    QTest::addColumn<bool>("quitAsked");
    QTest::newRow("Suivant >>") << "btMot" << 2 << false << false;
    QTest::newRow("letters") << "ListeLettre" << 2 << false << false;
    QTest::newRow("Configuration") << "btCfg" << 1 << true << false;
    QTest::newRow("Quitter") << "btFermer" << 1 << false << true;
    QTest::newRow("OK of the statistics") << "btValid" << 1 << false << false;
}

void TestGameAccess::enterOnAFocusedButton()
{
    QFETCH(QString, control);
    QFETCH(int, wordsDrawn);
    QFETCH(bool, settingsShown);
    QFETCH(bool, quitAsked);
    startByKeys();
    key(Qt::Key_Return); // "Commencer", focused: the first word
    QCOMPARE(m_form->game().record().NbMotJoue, 0);
    if (control == QLatin1String("btValid"))
        returnToWindow();
    auto* target = m_form->findChild<QWidget*>(control);
    target->setFocus(Qt::TabFocusReason);
    QCOMPARE(QApplication::focusWidget(), target);
    if (quitAsked)
        answerOnConfirmation(QStringLiteral("Non"));
    key(Qt::Key_Return);
    QTRY_COMPARE(m_cfg->isVisible(), settingsShown);
    QCOMPARE(m_form->game().record().NbMotJoue + 1, wordsDrawn);
    QCOMPARE(m_answeredBox.isEmpty(), !quitAsked);
    QVERIFY(!::control<QFrame>(m_form, "paInfo")->isVisible());
    m_cfg->hide();
    m_answeredBox.clear();
}

// ---------------------------------------------------------------- no sound

void TestGameAccess::machineWithoutSoundShowsOneBox()
{
    // Every cue has its default file, so every cue reaches the player.
    const QString res = m_program.path() + QStringLiteral("/res/");
    const QStringList allCues = {"SonHello", "SonNouveau", "SonBonneLettre", "SonErreur",
                                 "SonPerdu", "SonGagner",  "SonDecide",      "SonExit"};
    for (const QString& cue : allCues)
        QVERIFY(QFile::copy(QStringLiteral(GAME_TEST_TONE), res + cue + QStringLiteral(".mp3")));

    SoundTest::MessageBoxDriver boxes;
    qputenv("SDL_AUDIODRIVER", "no-such-driver");
    makeWindow();
    const GameSoundPlayer& player = playSounds();
    // The output device opens at the first cue, the greeting.
    QCOMPARE(boxes.texts(), QStringList());
    m_form->show();
    m_form->activateWindow();
    QTRY_COMPARE(boxes.texts(), QStringList{"Error initializing output device"});
    qputenv("SDL_AUDIODRIVER", "dummy");

    // A whole game of cues: greeting, draws, letters found and missed, a win,
    // a loss, the countdown's warning, the exit.
    startByKeys();
    selectWord(10); // chien
    key(Qt::Key_Return);
    type(QStringLiteral("zchien"));
    selectWord(12); // table
    key(Qt::Key_Return);
    m_form->TimerGame->stop(); // ticks come from the test only
    for (int tick = 0; tick < 26; ++tick)
        m_form->TimerGameTimer();
    type(QStringLiteral("zyxwvqkjgf"));
    QVERIFY(control<QLabel>(m_form, "laTextInfo")->text().startsWith(QStringLiteral("Perdu !")));
    m_form->JoueSon(Cue::SonExit);
    for (const QString& cue : allCues.mid(1)) // the greeting came before the list was cleared
        QVERIFY2(cues().contains(cue), qPrintable(cue));
    for (const auto& [cue, name] : kCues)
        QVERIFY2(!player.fileFor(cue).isEmpty(), name.data());
    QTest::qWait(50);
    QCOMPARE(boxes.texts(), QStringList{"Error initializing output device"});
    destroyWindow();
    for (const QString& file : QDir(res).entryList(QDir::Files))
        QFile::remove(res + file);
}

QTEST_MAIN(TestGameAccess)
#include "tst_gameaccess.moc"
