#include "game/tpendform.h"

#include "game/gameaccessibility.h"
#include "game/gamesound.h"
#include "game/modalboxwatch.h"
#include "game/skinfolder.h"
#include "game/tchecklistbox.h"
#include "game/timage.h"
#include "game/windownetworkwait.h"
#include "rules/wordvalue.h"
#include "skin/buttonglyph.h"
#include "skin/formproperties.h"
#include "skin/reportedslot.h"
#include "text/qtwindows1252.h"
#include "ui_tpendform.h"
#include "wordstore/playerwords.h"
#include "wordstore/progress.h"
#include "wordstore/wordcatalogue.h"
#include "wordstore/wordhints.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QToolTip>
#include <QUrl>

#include <algorithm>
#include <optional>
#include <stdexcept>
#include <utility>

namespace {

// Message shown instead of a word when the settings select none.
constexpr char kNoWordMessage[] = "Aucun mot ne correspond \xE0 la configuration actuelle.\r\n"
                                  "\xC9largissez les crit\xE8res dans la configuration.";

// How many words a draw reads at the most before it gives up on finding one
// the player can win: a base filled by other means than corbelet-mots (a
// classroom's server) may hold unplayable rows among the good ones, and a
// draw picks at random, so a few bad rows among good ones almost never make
// a draw fail (three bad rows in four: one chance in two million).
constexpr int kDrawAttempts = 50;

// A word the game can let the player win, the rule of corbelet-mots' import:
// winnable letters, and no longer than the base's column.
bool playable(const std::string& stored)
{
    return stored.size() <= WordCatalogue::kMaxWordBytes && IsWinnable(stored);
}

// How a hidden position is drawn: the mask byte has no glyph of its own.
constexpr char16_t kHiddenMark = u'\u2022';

QString number(std::int32_t value)
{
    return QString::number(value);
}

// RAII: the wait cursor for the life of the object.
class WaitCursor
{
public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

} // namespace

TPendForm::TPendForm(GameSound& sound, const QString& programDirectory, QWidget* parent)
    : QWidget(parent), ui(std::make_unique<Ui::TPendForm>()), m_sound(sound),
      m_boxWatch(new ModalBoxWatch(this))
{
    installGameAccessibleInterfaces();
    // A fixed border: the window can be minimised, never maximised.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    ui->setupUi(this);
    applyFontPixelSizes(this);
    m_wordFontSize = ui->affMot->font().pixelSize();
    for (std::size_t piece = 0; piece < m_pieces.size(); ++piece)
        m_pieces[piece] = findChild<TImage*>(QLatin1String(pieceName(static_cast<Piece>(piece))),
                                             Qt::FindDirectChildrenOnly);
    setUpLetterList();
    // Nothing to see: the announcers only speak, through their accessible names.
    for (QLabel*& announcer : m_announcers) {
        announcer = new QLabel(this);
        announcer->setObjectName(QStringLiteral("annonce"));
        announcer->setGeometry(0, 0, 0, 0);
        announcer->hide();
    }
    createTimers();
    // A word server on the network is waited for with the window live.
    m_networkWait = new WindowNetworkWait(ui->btFermer, {TimerGame});
    ZConnectionMySQL.Waiter = m_networkWait;
    connectControls();
    watchKeys();
    FormCreate(programDirectory);
    if (const QScreen* screen = this->screen())
        move(screen->availableGeometry().center() - rect().center());
}

TPendForm::~TPendForm()
{
    // The settings may be one of the windows that go below: nothing reads
    // them from here on.
    m_configuration = nullptr;
    // Windows owned by this one (the configuration window) go first: they may
    // borrow the word query, which is destroyed before the children are.
    const QList<QWidget*> children = findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
    for (QWidget* child : children)
        if (child->isWindow())
            delete child;
    // A window destroyed without being closed still shuts its sound player down.
    if (!m_closed)
        m_sound.close();
}

void TPendForm::setUpLetterList()
{
    // Cells 28 px high: the largest font of the form's family and weight whose
    // line fits them.
    QFont letters = ui->ListeLettre->font();
    letters.setPixelSize(28);
    while (letters.pixelSize() > 8 && QFontMetrics(letters).height() > 28)
        letters.setPixelSize(letters.pixelSize() - 1);
    ui->ListeLettre->setFont(letters);
    // Letters typed into the list are picks (see gameKeyPress), never a
    // search through its items nor the start of an input method's composition.
    ui->ListeLettre->setAttribute(Qt::WA_InputMethodEnabled, false);
    for (char letter = 'A'; letter <= 'Z'; ++letter)
        ui->ListeLettre->addCheckItem(QString(QLatin1Char(letter)));
    ui->ListeLettre->addCheckItem(QStringLiteral("-"));
    ui->ListeLettre->addCheckItem(QStringLiteral("'"));
    ui->ListeLettre->setColumns(5, 27);
    connect(ui->ListeLettre, &QListWidget::itemChanged, this, [this](QListWidgetItem* item) {
        // Ticks the game sets itself are not picks.
        if (!m_settingTicks)
            RunSlot([&] { ListeLettreClickCheck(ui->ListeLettre, item); });
    });
}

void TPendForm::createTimers()
{
    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(2500);
    Timer1->setSingleShot(true);
    connect(Timer1, &QTimer::timeout, this, Reported(this, &TPendForm::Timer1Timer));

    TimerGame = new QTimer(this);
    TimerGame->setObjectName(QStringLiteral("TimerGame"));
    TimerGame->setInterval(1000);
    setTag(TimerGame, 0);
    connect(TimerGame, &QTimer::timeout, this, Reported(this, &TPendForm::TimerGameTimer));
}

void TPendForm::connectControls()
{
    connect(ui->imgLogo, &TImage::clicked, this, Reported(this, &TPendForm::imgLogoClick));
    connect(ui->btFermer, &QPushButton::clicked, this, Reported(this, &TPendForm::btFermerClick));
    connect(ui->btCfg, &QPushButton::clicked, this, Reported(this, &TPendForm::btCfgClick));
    connect(ui->btMot, &QPushButton::clicked, this, Reported(this, &TPendForm::btMotClick));
    connect(ui->btValid, &QPushButton::clicked, this, Reported(this, &TPendForm::btValidClick));
    connect(ui->GetNbMot, &QAction::triggered, this, Reported(this, &TPendForm::GetNbMotExecute));
}

void TPendForm::watchKeys()
{
    // Every key typed in the window passes through gameKeyPress first.
    installEventFilter(this);
    for (QWidget* child : findChildren<QWidget*>())
        child->installEventFilter(this);
    createShortcuts();
}

void TPendForm::FormCreate(const QString& programDirectory)
{
    QString directory =
        programDirectory.isEmpty() ? QCoreApplication::applicationDirPath() : programDirectory;
    if (!directory.endsWith(QLatin1Char('/')))
        directory += QLatin1Char('/');

    const SkinFolder skin(directory + QStringLiteral("res"));
    // The form's controls, in creation order.
    for (QWidget* component : findChildren<QWidget*>()) {
        const QString name = component->objectName();
        if (auto* image = qobject_cast<TImage*>(component)) {
            const QString picture = skin.find(name + QStringLiteral(".png"));
            if (!picture.isEmpty() && image->setPictureFile(picture, "png"))
                continue;
        }
        if (auto* button = qobject_cast<QPushButton*>(component)) {
            const QImage bitmap = skin.load(name + QStringLiteral(".bmp"), "bmp");
            if (bitmap.isNull())
                continue;
            const bool twoStates = button == ui->btFermer || button == ui->btValid;
            const ButtonGlyph glyph = buttonGlyph(bitmap, twoStates);
            button->setIcon(glyph.icon);
            button->setIconSize(glyph.size.boundedTo(button->size()));
        }
    }
}

void TPendForm::setConfiguration(GameSettings* configuration)
{
    m_configuration = configuration;
}

GameSettings& TPendForm::configuration() const
{
    if (!m_configuration)
        throw std::runtime_error("La fenêtre de configuration n'existe pas.");
    return *m_configuration;
}

// ---------------------------------------------------------------- the draw

void TPendForm::btMotClick()
{
    if (ui->paInfo->isVisibleTo(this))
        return;
    const WaitCursor wait;
    std::string stored;
    std::int32_t points = 0;
    bool found = false;
    for (int attempt = 0; attempt < kDrawAttempts && !found; ++attempt) {
        ZQueryMySQL.SetSQL(WordCatalogue::drawStatement(configuration().wordFilter()));
        ZQueryMySQL.Open();
        ZQueryMySQL.First();
        const bool none = ZQueryMySQL.Eof();
        stored = ZQueryMySQL.FindField(WordCatalogue::kWordText).AsString();
        points = ZQueryMySQL.FindField(WordCatalogue::kWordPoints).AsInteger();
        ZQueryMySQL.Close();
        if (none)
            break;
        found = playable(stored);
    }
    if (!found) {
        // No word within the settings (or none the player could win): the
        // word in play, the counters and the countdown stay as they are; OK
        // only closes the message.
        setTag(ui->btValid, 0);
        AfficheInfo(kNoWordMessage);
        m_showsNoWord = true;
        return;
    }
    ui->btMot->setText(QStringLiteral("Suivant >>"));
    ui->ListeLettre->setEnabled(true);

    JoueSon(Cue::SonNouveau);
    m_game.NewWord(stored, points, configuration().level());
    m_wordClock.start();
    m_hintShown = false;
    ui->affMot->setToolTip(QString());
    ui->Label3->setText(wordValueText());
    EffacePendu();
    refreshCounters();
    ui->Panel4->setText(QStringLiteral(" Niveau : ") + number(m_game.record().Niveau));
    showMask();
    gallowsChanged();
    if (configuration().timeLimited())
        enableCountdown();
    focusLetters();
}

void TPendForm::EffacePendu()
{
    for (TImage* piece : m_pieces)
        piece->hide();
    for (int row = 0; row < ui->ListeLettre->count(); ++row) {
        QListWidgetItem* item = ui->ListeLettre->item(row);
        if (item->checkState() != Qt::Unchecked)
            setTicked(item, false);
    }
}

QString TPendForm::wordValueText() const
{
    return QStringLiteral("Mot à : ") + number(m_game.wordValue()) + QStringLiteral(" points");
}

void TPendForm::refreshCounters()
{
    const GameRecord& record = m_game.record();
    ui->Panel2->setText(QStringLiteral(" Juste(s) : ") + number(record.NbMotTrouve) +
                        QLatin1Char('/') + number(record.NbMotJoue));
    ui->Panel3->setText(QStringLiteral(" Score : ") + number(record.Score));
}

void TPendForm::showMask()
{
    QString text = Windows1252::toQString(m_game.word().MotMasque);
    text.replace(QChar(Windows1252::toUnicode(static_cast<unsigned char>(kHiddenLetter))),
                 QChar(kHiddenMark));
    // The whole word shows: a long word gets a smaller font rather than clipped.
    QFont font = ui->affMot->font();
    font.setPixelSize(m_wordFontSize);
    const int room = ui->affMot->contentsRect().width() - 2 * ui->affMot->margin() - 4;
    while (font.pixelSize() > 6 && QFontMetrics(font).horizontalAdvance(text) > room)
        font.setPixelSize(font.pixelSize() - 1);
    ui->affMot->setFont(font);
    ui->affMot->setText(text);
    ui->affMot->setAccessibleName(spokenWord(m_game.word().MotMasque));
}

void TPendForm::enableCountdown()
{
    // Enabling a running countdown leaves it as it is.
    if (!TimerGame->isActive())
        TimerGame->start();
}

void TPendForm::setTicked(QListWidgetItem* item, bool ticked)
{
    const bool wasSetting = m_settingTicks;
    m_settingTicks = true;
    item->setCheckState(ticked ? Qt::Checked : Qt::Unchecked);
    m_settingTicks = wasSetting;
    // A screen reader hears the tick change: the letter tried or not.
    if (!QAccessible::isActive())
        return;
    if (QAccessibleInterface* list = QAccessible::queryAccessibleInterface(ui->ListeLettre)) {
        if (QAccessibleInterface* cell = list->child(ui->ListeLettre->row(item))) {
            QAccessible::State changed;
            changed.checked = true;
            QAccessibleStateChangeEvent event(cell, changed);
            QAccessible::updateAccessibility(&event);
        }
    }
}

// ---------------------------------------------------------------- picks

void TPendForm::ListeLettreClickCheck(QObject* sender, QListWidgetItem* item)
{
    if (ui->paInfo->isVisibleTo(this))
        return;
    // A word already won or lost takes no more picks until the next draw.
    if (!m_game.acceptsPicks())
        return;
    setTag(TimerGame, 0);

    PickOutcome outcome;
    char letter = kTimeOutLetter;
    if (sender == ui->ListeLettre) {
        if (!item)
            item = ui->ListeLettre->currentItem();
        if (!item || item->text().isEmpty())
            return;
        setTicked(item, true);
        letter = Windows1252::fromQString(item->text().left(1)).front();
        outcome = m_game.Pick(letter);
    } else {
        outcome = m_game.TimeOut();
    }
    // Heard before what the pick shows: a won or lost word's message comes
    // after its last letter.
    announce(spokenPick(letter, outcome.status, m_game.word(), errorLimit(m_game.record().Niveau)));
    const bool ended =
        outcome.status == PickOutcome::Status::Won || outcome.status == PickOutcome::Status::Lost;
    if (ended)
        m_panelNote = spellingNote();
    playEffects(outcome);
    gallowsChanged();
    if (ended)
        wordFinished(outcome.status == PickOutcome::Status::Won);
}

QString TPendForm::spellingNote() const
{
    // The panel's "C'était : MOT" shows the word in the capitals it was
    // played in; a word whose accents those hide gets its real spelling as
    // the panel's tooltip and accessible description: seen on pointing at the
    // panel and read by a screen reader with it, while the panel's text and
    // its controls stay as they are.
    const std::string& real = m_game.realSpelling();
    if (!SpellingFolded(real))
        return {};
    return QStringLiteral("Orthographe : ") + Windows1252::toQString(real);
}

void TPendForm::wordFinished(bool won)
{
    m_sound.say(m_game.realSpelling());
    // A record that fails is reported as the store's other errors are; the
    // game goes on.
    RunSlot([&] {
        const WordInPlay& word = m_game.word();
        RecordFinishedWord(ZConnectionMySQL,
                           {.time = {},
                            .player = configuration().playerName(),
                            .word = m_game.realSpelling(),
                            .level = m_game.record().Niveau,
                            .won = won,
                            .points = m_game.wordPoints(),
                            .mistakes = word.NbErreur,
                            .seconds = static_cast<std::int32_t>(m_wordClock.elapsed() / 1000),
                            .hintUsed = m_hintShown});
    });
}

void TPendForm::sayWordAgain()
{
    // Only once the word is won or lost: said during play it would give it away.
    if (m_game.wordEnded())
        m_sound.say(m_game.realSpelling());
}

void TPendForm::showHint()
{
    if (!m_game.acceptsPicks())
        return;
    const std::optional<std::string> hint =
        HintOfDrawnWord(ZConnectionMySQL, m_game.realSpelling());
    if (!hint)
        return;
    m_hintShown = true;
    // Shown under the word as a tooltip (it stays the word's tooltip until
    // the next draw), and said to a screen reader like a pick: no control
    // moves and no text of the window changes.
    const QString text = QStringLiteral("Indice : ") + Windows1252::toQString(*hint);
    ui->affMot->setToolTip(text);
    QToolTip::showText(ui->affMot->mapToGlobal(QPoint(0, ui->affMot->height())), text, ui->affMot);
    announce(text);
}

void TPendForm::announce(const QString& text)
{
    // Only for a screen reader that listens: nothing changes otherwise.
    if (text.isEmpty() || !QAccessible::isActive())
        return;
    m_lastAnnouncer = (m_lastAnnouncer + 1) % m_announcers.size();
    QLabel* announcer = m_announcers[m_lastAnnouncer];
    announcer->setAccessibleName(text);
    // A notification is spoken as it shows.
    announcer->hide();
    announcer->show();
}

bool TPendForm::isAnnouncer(const QWidget* widget) const
{
    return std::find(m_announcers.begin(), m_announcers.end(), widget) != m_announcers.end();
}

void TPendForm::gallowsChanged()
{
    if (!QAccessible::isActive())
        return;
    QAccessibleEvent changed(ui->Shape1, QAccessible::NameChanged);
    QAccessible::updateAccessibility(&changed);
}

void TPendForm::playEffects(const PickOutcome& outcome)
{
    using Kind = PickEffect::Kind;
    for (const PickEffect& effect : outcome.effects) {
        switch (effect.kind) {
        case Kind::Beep:
            m_sound.beep();
            break;
        case Kind::RepeatedLetter:
            ui->Label3->setText(QStringLiteral("Lettre déjà essayée"));
            // A running message timer is not restarted: the message does not last longer.
            if (!Timer1->isActive())
                Timer1->start();
            break;
        case Kind::Cue:
            JoueSon(effect.cue);
            break;
        case Kind::ShowMask:
            showMask();
            break;
        case Kind::ShowPiece:
            m_pieces[static_cast<std::size_t>(effect.piece)]->show();
            break;
        case Kind::ShowInfo:
            AfficheInfo(effect.text);
            break;
        case Kind::ClearWord:
            ui->affMot->setAccessibleName(QString());
            ui->affMot->setText(QString());
            break;
        case Kind::StopCountdown:
            TimerGame->stop();
            break;
        case Kind::RefreshCounters:
            refreshCounters();
            break;
        }
    }
}

void TPendForm::AfficheInfo(const std::string& text)
{
    m_showsNoWord = false;
    ui->laTextInfo->setText(Windows1252::toQString(text));
    ui->paInfo->setAccessibleName(ui->laTextInfo->text().simplified());
    // The real spelling of a word that ends here; none for other messages.
    const QString note = std::exchange(m_panelNote, QString());
    ui->paInfo->setToolTip(note);
    ui->paInfo->setAccessibleDescription(note);
    ui->paInfo->show();
    QAccessibleEvent alert(ui->paInfo, QAccessible::Alert);
    QAccessible::updateAccessibility(&alert);
    // The panel covers the letters: keys go to its OK until it closes.
    ui->btValid->setFocus();
}

void TPendForm::btValidClick()
{
    // The tag is settled before the draw, so that a message the draw shows
    // (no word within the settings) keeps its own tag.
    const bool drawNext = tagOf(ui->btValid) == kDrawNextTag;
    setTag(ui->btValid, kDrawNextTag);
    ui->paInfo->hide();
    m_showsNoWord = false;
    focusLetters();
    if (drawNext)
        ui->btMot->click();
}

void TPendForm::Timer1Timer()
{
    ui->Label3->setText(wordValueText());
    Timer1->stop();
}

void TPendForm::focusLetters()
{
    // Before the first draw the list is disabled: "Commencer" is next.
    if (ui->ListeLettre->isEnabled())
        ui->ListeLettre->setFocus(Qt::OtherFocusReason);
    else
        ui->btMot->setFocus(Qt::OtherFocusReason);
}

// ---------------------------------------------------------------- keyboard

void TPendForm::createShortcuts()
{
    const auto shortcut = [this](const QList<QKeySequence>& keys, auto handler) {
        auto* action = new QAction(this);
        action->setShortcuts(keys);
        // The game window's own keys: not in the windows it owns (Escape in
        // the configuration window closes that window, not the game).
        action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
        addAction(action);
        connect(action, &QAction::triggered, this, Reported(this, handler));
    };
    shortcut({QKeySequence(Qt::Key_Escape), QKeySequence(Qt::CTRL | Qt::Key_Q)},
             [this] { ui->btFermer->click(); });
    shortcut({QKeySequence(Qt::CTRL | Qt::Key_N)}, [this] { ui->btMot->click(); });
    shortcut({QKeySequence(Qt::CTRL | Qt::Key_Comma)}, [this] { ui->btCfg->click(); });
    shortcut({QKeySequence(Qt::Key_F1)}, &TPendForm::showRules);
    shortcut({QKeySequence(Qt::Key_F5)}, &TPendForm::sayWordAgain);
    shortcut({QKeySequence(Qt::Key_F6)}, &TPendForm::showHint);
}

bool TPendForm::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress && gameKeyPress(*static_cast<QKeyEvent*>(event)))
        return true;
    return QWidget::eventFilter(watched, event);
}

bool TPendForm::gameKeyPress(const QKeyEvent& key)
{
    // With Ctrl, Alt or Meta a key is a shortcut, never a letter.
    if (key.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return false;
    // A held key repeats nothing: one press, one pick or one button.
    const bool act = !key.isAutoRepeat();
    const bool panelShown = ui->paInfo->isVisibleTo(this);
    QAbstractButton* focused = focusedButton();
    switch (key.key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        // A focused button is pressed; elsewhere Enter is the panel's OK or
        // the draw.
        if (act)
            (focused ? focused : panelShown ? ui->btValid : ui->btMot)->click();
        return true;
    case Qt::Key_Space:
        // A focused button presses itself, as the platform's buttons do.
        if (focused)
            return false;
        if (act && panelShown)
            ui->btValid->click();
        // Otherwise the focused control's own: the list ticks its current
        // letter.
        return panelShown || !act;
    default:
        break;
    }
    const QList<uint> typed = key.text().toUcs4();
    const char letter = typed.size() == 1 ? typedLetter(typed.front()) : 0;
    if (!letter)
        return false;
    if (act)
        pickTypedLetter(letter);
    return true;
}

QAbstractButton* TPendForm::focusedButton() const
{
    auto* button = qobject_cast<QAbstractButton*>(QApplication::focusWidget());
    return button && isAncestorOf(button) && button->isEnabled() ? button : nullptr;
}

void TPendForm::pickTypedLetter(char letter)
{
    // What a click on the letter's box does at this moment: nothing before
    // the first draw (the list is disabled), while the panel shows, or once
    // the word is won or lost.
    if (!ui->ListeLettre->isEnabled() || ui->paInfo->isVisibleTo(this) || !m_game.acceptsPicks())
        return;
    const QList<QListWidgetItem*> items =
        ui->ListeLettre->findItems(QString(QLatin1Char(letter)), Qt::MatchExactly);
    if (items.isEmpty())
        return;
    ui->ListeLettre->setCurrentItem(items.front());
    ListeLettreClickCheck(ui->ListeLettre, items.front());
}

void TPendForm::showRules()
{
    configuration().showRules();
}

// ---------------------------------------------------------------- countdown

void TPendForm::TimerGameTimer()
{
    const GameSettings& settings = configuration();
    if (!settings.timeLimited())
        return;
    const int elapsed = tagOf(TimerGame) + 1;
    setTag(TimerGame, elapsed);
    const int allowed = settings.secondsPerPick();
    const int remaining = allowed - elapsed;
    ui->paTempsRestant->setText(QStringLiteral("Reste : ") + number(remaining) + QLatin1Char('s'));
    if (remaining == 4 && allowed > 5) {
        JoueSon(Cue::SonDecide);
        // The only moment the countdown is announced, not every second.
        QAccessibleEvent alert(ui->paTempsRestant, QAccessible::Alert);
        QAccessible::updateAccessibility(&alert);
    }
    if (remaining < 1) {
        setTag(TimerGame, 0);
        ListeLettreClickCheck(this);
    }
}

// ---------------------------------------------------------------- activation

bool TPendForm::event(QEvent* event)
{
    const bool handled = QWidget::event(event);
    // A modal box of the program (the close confirmation, an error report,
    // over this window or over the configuration window) takes the activation
    // only for as long as it shows: when the window gets it back from the
    // box, the countdown goes on as it was when the window lost it, and that
    // is not a return to the window. Otherwise "Non" would replace what the
    // panel showed with the statistics, and closing the report of an error
    // raised on activation would raise that error again, box after box.
    if (event->type() == QEvent::WindowActivate) {
        if (m_boxWatch->takeReturn()) {
            if (m_countdownWhenLeft)
                enableCountdown();
        } else if (!m_networkWait || !m_networkWait->waiting()) {
            // (Not while a handler of the window waits for the word server:
            // the return to the window does not run inside it.)
            FormActivate();
        }
    } else if (event->type() == QEvent::WindowDeactivate) {
        m_countdownWhenLeft = TimerGame->isActive();
        FormDeactivate();
    }
    return handled;
}

void TPendForm::FormActivate()
{
    if (m_game.record().NbMotJoue < 0) {
        // No word drawn yet: connect (a failure is raised and shown by the
        // application's error report; the next activation tries again).
        ZConnectionMySQL.Connect();
        if (!m_genreFilterRestored && m_configuration) {
            m_configuration->wordStoreConnected();
            m_genreFilterRestored = true;
            // Said once, after the package update that brought the words.
            if (const int nowShipped = ZConnectionMySQL.AddedWordsNowShipped(); nowShipped > 0)
                QMessageBox::information(
                    this, QApplication::applicationName(),
                    QString::fromUtf8(AddedWordsNowShippedText(nowShipped).c_str()));
        }
        // The greeting, until the player closes it; a message about the
        // settings that the panel shows instead stays as it is.
        if (tagOf(ui->btValid) == 0 && !m_showsNoWord) {
            JoueSon(Cue::SonHello);
            ui->GetNbMot->trigger();
        }
        return;
    }
    // A word already won or lost has no countdown to resume.
    if (configuration().timeLimited() && m_game.acceptsPicks())
        enableCountdown();
    setTag(ui->btValid, 0);
    ui->GetNbMot->trigger();
}

void TPendForm::FormDeactivate()
{
    TimerGame->stop();
}

void TPendForm::GetNbMotExecute()
{
    std::string text = "Nombre de mots :\r\n";
    const auto count = [this] {
        return ZQueryMySQL.FindField(WordCatalogue::kCountColumn).AsString();
    };
    ZQueryMySQL.SetSQL(WordCatalogue::countAllStatement());
    ZQueryMySQL.Open();
    ZQueryMySQL.First();
    text += "Total dans le programme : " + count() + "\r\n";
    ZQueryMySQL.SetSQL(WordCatalogue::countStatement(configuration().wordFilter()));
    ZQueryMySQL.Open();
    ZQueryMySQL.First();
    text += "Disponible avec configuration : " + count() + "\r\n";
    AfficheInfo(text);
}

// ---------------------------------------------------------------- sound cues

void TPendForm::JoueSon(Cue cue)
{
    m_sound.play(cue);
}

// ---------------------------------------------------------------- small buttons, closing

void TPendForm::btFermerClick()
{
    JoueSon(Cue::SonExit);
    close();
}

void TPendForm::btCfgClick()
{
    configuration().showSettings();
}

void TPendForm::imgLogoClick()
{
    QDesktopServices::openUrl(QUrl(QString::fromLatin1(kHomePage)));
}

void TPendForm::closeEvent(QCloseEvent* event)
{
    if (m_closed) {
        event->accept();
        return;
    }
    if (!FormCloseQuery()) {
        event->ignore();
        return;
    }
    FormClose();
    event->accept();
}

bool TPendForm::FormCloseQuery()
{
    QMessageBox box(QMessageBox::Question, QStringLiteral("Confirmation"),
                    QStringLiteral("Voulez-vous vraiment quitter le jeu"), QMessageBox::NoButton,
                    this);
    auto* yes = new QPushButton(QStringLiteral("&Oui"), &box);
    auto* no = new QPushButton(QStringLiteral("&Non"), &box);
    yes->setObjectName(QStringLiteral("Oui"));
    no->setObjectName(QStringLiteral("Non"));
    box.addButton(yes, QMessageBox::YesRole);
    box.addButton(no, QMessageBox::NoRole);
    box.setDefaultButton(yes);
    box.setEscapeButton(no);
    box.exec();
    return box.clickedButton() == yes;
}

void TPendForm::FormClose()
{
    m_closed = true;
    m_sound.close();
    // A handler that waits for the word server ends without going further,
    // and the connection goes once it has.
    m_networkWait->abandon();
    ZConnectionMySQL.Disconnect();
}
