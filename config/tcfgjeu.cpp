#include "config/tcfgjeu.h"

#include "config/configaccessibility.h"
#include "config/progresspage.h"
#include "config/tpagecontrol.h"
#include "config/wordfilters.h"
#include "rules/wordrules.h"
#include "settingsfile/inifile.h"
#include "settingsfile/listsetting.h"
#include "settingsfile/speechsetting.h"
#include "skin/buttonglyph.h"
#include "skin/formproperties.h"
#include "skin/reportedslot.h"
#include "skin/skinimage.h"
#include "text/qtwindows1252.h"
#include "ui_tcfgjeu.h"
#include "wordstore/wordlists.h"
#include "wordstore/wordstore.h"

#include "preview/rulespreview.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QFile>
#include <QFileDialog>
#include <QFontDatabase>
#include <QImage>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QToolButton>
#include <QVariant>

#include <algorithm>
#include <stdexcept>

namespace {

constexpr std::string_view Section = "Config";

// The fonts of Wine stand in for Tahoma where the system has none.
void ensureTahoma()
{
    if (QFontDatabase::families().contains(QStringLiteral("Tahoma")))
        return;
    QFontDatabase::addApplicationFont(QStringLiteral("/usr/share/wine/fonts/tahoma.ttf"));
    QFontDatabase::addApplicationFont(QStringLiteral("/usr/share/wine/fonts/tahomabd.ttf"));
}

// Shows a path in a text entry that keeps a folder: split after its last
// "/", the folder with that "/" goes to the entry's hint, the rest to its
// visible text. On Linux a colon or a backslash is an ordinary character of a
// file name, so neither splits the path.
void showPath(QLineEdit* entry, const QString& path)
{
    const qsizetype split = path.lastIndexOf(QLatin1Char('/')) + 1;
    entry->setToolTip(path.left(split));
    entry->setText(path.mid(split));
}

// The local file name of a path given as a QString.
std::string localPath(const QString& path)
{
    return QFile::encodeName(path).toStdString();
}

} // namespace

TCfgJeu::TCfgJeu(TWordQuery& wordQuery, const QString& programDirectory,
                 const QString& settingsFile, QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::TCfgJeu>()), m_wordQuery(wordQuery),
      m_programDirectory(programDirectory), m_settingsFile(settingsFile)
{
    ensureTahoma();
    installConfigAccessibleInterfaces();
    // A dialog of the game window: a title bar with a close box only, no
    // minimise or maximise box; with the game window as parent it stays above
    // it, and it opens centred on it (showEvent).
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    ui->setupUi(this);
    applyFontPixelSizes(this);
    // The stored controls and the buttons in the window's control order: the
    // order of the keys in a new file, and the order in which the load sets
    // them (the min/max coupling of the range boxes depends on it). Each
    // control's Tag tells the passes how to treat it.
    m_controlOrder = {ui->NbMotMin,      ui->NbMotMax,     ui->NbPointMin, ui->NbPointMax,
                      ui->cbType,        ui->cbCathegorie, ui->cbGenre,    ui->LimitTemps,
                      ui->TempsPartie,   ui->NiveauDuJeu,  ui->NomUser,    ui->SonGagner,
                      ui->btGagner,      ui->SonPerdu,     ui->btPerdu,    ui->SonBonneLettre,
                      ui->btBonneLettre, ui->SonErreur,    ui->btErreur,   ui->SonDefaut,
                      ui->SonNouveau,    ui->btNouveau,    ui->PasDeSon,   ui->SonDecide,
                      ui->btDecide,      ui->SonExit,      ui->btExit,     ui->SonHello,
                      ui->btHello,       ui->btSave,       ui->btValid};
    connectControls();
    bindSoundEntries();
    // The levels are those of the game's rules.
    ui->NiveauDuJeu->setRange(1, highestLevel());
    // The progress fills its page below the check box, and scrolls in it.
    const QSize page = ui->PageControl1->pageSize();
    const int top = ui->progresDefile->y();
    ui->progresDefile->setGeometry(0, top, page.width(), page.height() - top);
    watchToolTips(this);

    // The preview lays the document out for the page's size: the page has
    // the size it will have once the window is shown from the start.
    ui->tsInfo->resize(ui->PageControl1->pageSize());
    // Creation: a settings file without the game's section (missing, or
    // holding only other sections such as the server's) first receives the
    // window's initial values, then the settings are loaded. The rules
    // preview is made when its page is first shown: the game's first window
    // needs none of it.
    const std::string content =
        TIniFile(localPath(m_settingsFile)).Contents().value_or(std::string());
    const TIniSection stored(content, Section);
    if (stored.Exists()) {
        loadSettings(stored);
        loadListSetting(TIniSection(content, ListSetting::kSection));
        loadSpeechSetting(TIniSection(content, SpeechSetting::kSection));
    } else if (const QFileInfo file(m_settingsFile);
               writeNewSettingsFile() || (file.exists() && !(file.isFile() && file.isReadable()))) {
        // Written, or a "file" that cannot be read: the load reads it, and a
        // key it cannot find takes its missing-key value.
        LoadSettings();
    } else {
        // A file that cannot be written: this run has the values the new
        // file would have held, not the missing-key ones.
        std::string newSection;
        for (const auto& [key, value] : storedEntries())
            newSection = IniText::withValue(newSection, Section, key, value);
        loadSettings(TIniSection(newSection, Section));
    }
}

TCfgJeu::~TCfgJeu()
{
    if (m_previewHandle)
        DestroyRulesPreview(DocRtf(), *m_previewHandle);
}

const std::string& TCfgJeu::FiltreType() const
{
    return m_filtreType;
}

const std::string& TCfgJeu::FiltreGenre() const
{
    return m_filtreGenre;
}

QWidget* TCfgJeu::FindComponent(const QString& name) const
{
    const QList<QWidget*> children = findChildren<QWidget*>();
    for (QWidget* child : children) {
        if (child->objectName().compare(name, Qt::CaseInsensitive) == 0)
            return child;
    }
    return nullptr;
}

// Each cue's entry is the control named after the cue, which also makes it
// the cue's key in the settings file. A window without one cannot keep that
// cue's file: it is not made.
void TCfgJeu::bindSoundEntries()
{
    for (const auto& [cue, name] : kCues) {
        auto* entry = qobject_cast<QLineEdit*>(FindComponent(QLatin1String(name)));
        if (!entry || entry->objectName() != QLatin1String(name))
            throw std::logic_error("La fenêtre de configuration n'a pas de champ " +
                                   std::string(name) + ".");
        m_soundEntries[static_cast<std::size_t>(cue)] = entry;
    }
}

// ---------------------------------------------------------------- the game's settings

WordCatalogue::WordFilter TCfgJeu::wordFilter() const
{
    return {.NbMotMin = ui->NbMotMin->value(),
            .NbMotMax = ui->NbMotMax->value(),
            .NbPointMin = ui->NbPointMin->value(),
            .NbPointMax = ui->NbPointMax->value(),
            .FiltreType = m_filtreType,
            .FiltreGenre = m_filtreGenre};
}

int TCfgJeu::level() const
{
    return ui->NiveauDuJeu->value();
}

bool TCfgJeu::timeLimited() const
{
    return ui->LimitTemps->isChecked();
}

int TCfgJeu::secondsPerPick() const
{
    return ui->TempsPartie->value();
}

ChosenSound TCfgJeu::chosenSound(Cue cue) const
{
    // The picker keeps the folder in the entry's hint, the name in its text.
    const QLineEdit* entry = m_soundEntries[static_cast<std::size_t>(cue)];
    return {entry->toolTip(), entry->text()};
}

bool TCfgJeu::soundsOff() const
{
    return ui->PasDeSon->isChecked();
}

bool TCfgJeu::defaultSounds() const
{
    return ui->SonDefaut->isChecked();
}

bool TCfgJeu::sayWords() const
{
    return ui->PrononcerMot->isChecked();
}

std::string TCfgJeu::playerName() const
{
    return Windows1252::fromQString(ui->NomUser->text());
}

void TCfgJeu::wordStoreConnected()
{
    RestoreGenreFilter();
    RestoreWordList();
}

void TCfgJeu::showSettings()
{
    show();
    raise();
    activateWindow();
}

void TCfgJeu::showRules()
{
    ui->PageControl1->setCurrentWidget(ui->tsInfo);
    showSettings();
}

// ---------------------------------------------------------------- the window

void TCfgJeu::connectControls()
{
    connect(ui->btSave, &QPushButton::clicked, this, Reported(this, &TCfgJeu::btSaveClick));
    connect(ui->btValid, &QPushButton::clicked, this, Reported(this, &TCfgJeu::btValidClick));
    // activated: picks of the player only, not selections set by the program.
    connect(ui->cbType, &QComboBox::activated, this, Reported(this, &TCfgJeu::cbTypeClick));
    connect(ui->cbGenre, &QComboBox::activated, this, Reported(this, &TCfgJeu::cbGenreClick));
    connect(ui->NbMotMin, &QSpinBox::valueChanged, this, Reported(this, &TCfgJeu::NbMotMinChange));
    connect(ui->NbMotMax, &QSpinBox::valueChanged, this, Reported(this, &TCfgJeu::NbMotMaxChange));
    connect(ui->NbPointMin, &QSpinBox::valueChanged, this,
            Reported(this, &TCfgJeu::NbPointMinChange));
    connect(ui->NbPointMax, &QSpinBox::valueChanged, this,
            Reported(this, &TCfgJeu::NbPointMaxChange));
    for (QToolButton* picker : {ui->btHello, ui->btExit, ui->btBonneLettre, ui->btErreur,
                                ui->btGagner, ui->btPerdu, ui->btNouveau, ui->btDecide})
        connect(picker, &QToolButton::clicked, this, Reported(this, &TCfgJeu::btNouveauClick));
    connect(ui->cbListe, &QComboBox::activated, this, Reported(this, &TCfgJeu::cbListeClick));
}

void TCfgJeu::createRulesPreview()
{
    if (m_rulesPreviewMade)
        return;
    m_rulesPreviewMade = true;
    // Without the plug-in the page shows a notice and there is no handle.
    if (const std::uint32_t handle = ShowRulesPreview(
            DocRtf(), this, ui->tsInfo, m_programDirectory + QStringLiteral("Pendu.rtf")))
        m_previewHandle = handle;
    watchToolTips(ui->tsInfo);
}

// Hints are off in this window: the sound entries keep their folder there.
void TCfgJeu::watchToolTips(QObject* object)
{
    object->installEventFilter(this);
    const QList<QObject*> descendants = object->findChildren<QObject*>();
    for (QObject* descendant : descendants)
        descendant->installEventFilter(this);
}

void TCfgJeu::showEvent(QShowEvent* event)
{
    // Centred on the game window's frame each time it opens. Until the window
    // manager has framed this window once, its frame is taken to be like the
    // game window's.
    if (const QWidget* game = parentWidget(); game && game->isVisible() && !event->spontaneous()) {
        const auto frameMargins = [](const QWidget* window) {
            const QRect inner = window->geometry();
            const QRect outer = window->frameGeometry();
            return QMargins(inner.left() - outer.left(), inner.top() - outer.top(),
                            outer.right() - inner.right(), outer.bottom() - inner.bottom());
        };
        const QMargins margins =
            frameGeometry() != geometry() ? frameMargins(this) : frameMargins(game);
        const QRect gameFrame = game->frameGeometry();
        const QSize frame = size().grownBy(margins);
        const QPoint frameTopLeft =
            gameFrame.topLeft() + QPoint((gameFrame.width() - frame.width()) / 2,
                                         (gameFrame.height() - frame.height()) / 2);
        setGeometry(QRect(frameTopLeft + QPoint(margins.left(), margins.top()), size()));
    }
    QDialog::showEvent(event);
}

bool TCfgJeu::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::ToolTip:
        return true;
    case QEvent::Show:
        if (watched == ui->tsInfo)
            createRulesPreview();
        else if (watched == ui->tsProgres)
            RunSlot([this] { showProgress(); });
        break;
    case QEvent::ChildAdded:
        if (QObject* child = static_cast<QChildEvent*>(event)->child())
            watchToolTips(child);
        break;
    default:
        break;
    }
    return QDialog::eventFilter(watched, event);
}

// ---------------------------------------------------------------- the passes

std::vector<std::pair<std::string, std::string>> TCfgJeu::storedEntries() const
{
    std::vector<std::pair<std::string, std::string>> entries;
    for (QWidget* control : m_controlOrder) {
        const int tag = tagOf(control);
        std::string value;
        if (auto* spin = qobject_cast<QSpinBox*>(control))
            value = std::to_string(spin->value());
        else if (auto* entry = qobject_cast<QLineEdit*>(control); entry && tag == 1)
            value = Windows1252::fromQString(entry->toolTip() + entry->text());
        else if (auto* list = qobject_cast<QComboBox*>(control))
            value = std::to_string(list->currentIndex());
        else if (auto* check = qobject_cast<QCheckBox*>(control); check && tag == 0)
            value.assign(1, check->isChecked() ? '1' : '0');
        else
            continue;
        entries.emplace_back(control->objectName().toStdString(), std::move(value));
    }
    return entries;
}

void TCfgJeu::SaveSettings()
{
    // Key by key: a key that cannot be written ends the pass, and the keys
    // written before it stay.
    TIniFile file(localPath(m_settingsFile));
    for (const auto& [key, value] : storedEntries())
        file.WriteString(Section, key, value);
    // "Prononcer le mot" in its section: written once it differs from its
    // default, or when the file holds it already, so that the file of a
    // player who keeps the default stays as it was.
    const bool speak = ui->PrononcerMot->isChecked();
    const std::string stored =
        TIniSection(file.Contents().value_or(std::string()), SpeechSetting::kSection)
            .ReadString(SpeechSetting::kKey, "\n");
    if (speak != SpeechSetting::kDefault || stored != "\n")
        file.WriteString(SpeechSetting::kSection, SpeechSetting::kKey, speak ? "1" : "0");
    // The list played, in a section of its own: the one on the page once it
    // was read from the player's base, else the one the file kept. A server's
    // list is the teacher's and is not kept.
    const TWordStore* store = m_wordQuery.Store();
    if (store && store->Server)
        return;
    const std::optional<std::string> list =
        m_listsRead ? std::optional<std::string>(m_playedList.value_or(std::string()))
                    : m_savedList;
    if (list)
        file.WriteString(ListSetting::kSection, ListSetting::kKey, *list);
}

bool TCfgJeu::writeNewSettingsFile()
{
    // The whole file in one replacement: a start that is cut short leaves
    // either no file, and the next start writes it, or the whole file.
    try {
        TIniFile(localPath(m_settingsFile)).WriteStrings(Section, storedEntries());
        return true;
    } catch (const std::runtime_error&) {
        // Silent here: a settings folder that cannot be written is reported
        // once at start, and "Sauver" tells what is wrong.
        return false;
    }
}

void TCfgJeu::LoadSettings()
{
    // The file is read and parsed once for the whole pass.
    const std::string content =
        TIniFile(localPath(m_settingsFile)).Contents().value_or(std::string());
    loadSettings(TIniSection(content, Section));
    loadListSetting(TIniSection(content, ListSetting::kSection));
    loadSpeechSetting(TIniSection(content, SpeechSetting::kSection));
}

void TCfgJeu::loadSpeechSetting(const TIniSection& speech)
{
    ui->PrononcerMot->setChecked(speech.ReadBool(SpeechSetting::kKey, SpeechSetting::kDefault));
}

void TCfgJeu::loadSettings(const TIniSection& settings)
{
    for (QWidget* control : m_controlOrder)
        loadControl(settings, control);
    applyTypeSelection();
}

void TCfgJeu::loadListSetting(const TIniSection& lists)
{
    // A line break cannot be in a value: the key is missing.
    const std::string list = lists.ReadString(ListSetting::kKey, "\n");
    m_savedList = list == "\n" ? std::nullopt : std::optional<std::string>(list);
}

void TCfgJeu::loadControl(const TIniSection& settings, QWidget* control)
{
    const std::string key = control->objectName().toStdString();
    const int tag = tagOf(control);
    if (auto* spin = qobject_cast<QSpinBox*>(control)) {
        // Set as an edit of the player would: clamped, and the min/max
        // coupling runs.
        const int missing = tag == 1 ? spin->maximum() : spin->minimum();
        spin->setValue(settings.ReadInteger(key, missing));
    } else if (auto* entry = qobject_cast<QLineEdit*>(control)) {
        if (tag == 1)
            showPath(entry, Windows1252::toQString(settings.ReadString(key, "")));
    } else if (auto* list = qobject_cast<QComboBox*>(control)) {
        const int index = settings.ReadInteger(key, 0);
        list->setCurrentIndex(index >= 0 && index < list->count() ? index : -1);
    } else if (auto* check = qobject_cast<QCheckBox*>(control)) {
        if (tag == 0)
            check->setChecked(settings.ReadBool(key, false));
    } else if (auto* button = qobject_cast<QAbstractButton*>(control)) {
        loadGlyph(button);
    }
}

void TCfgJeu::loadGlyph(QAbstractButton* button) const
{
    const bool twoImages = tagOf(button) == 0;
    const QString file =
        m_programDirectory + QStringLiteral("res/") +
        (twoImages ? button->objectName() + QStringLiteral(".bmp") : QStringLiteral("openson.bmp"));
    // A missing glyph, or one that cannot be decoded, leaves the button
    // without a picture.
    const QImage image = readSkinImage(file, "bmp");
    if (image.isNull())
        return;
    const ButtonGlyph glyph = buttonGlyph(image, twoImages);
    button->setIcon(glyph.icon);
    button->setIconSize(glyph.size);
    if (auto* tool = qobject_cast<QToolButton*>(button))
        tool->setToolButtonStyle(Qt::ToolButtonIconOnly);
}

// The fragments follow the restored selections: the type fragment at once,
// the genre fragment in RestoreGenreFilter once the word store is connected.
void TCfgJeu::applyTypeSelection()
{
    m_filtreType = WordFilters::typeFilter(ui->cbType->currentIndex());
    const bool verb = ui->cbType->currentIndex() == WordFilters::Verb;
    if (verb) {
        ui->cbGenre->setCurrentIndex(0);
        m_filtreGenre.clear();
    }
    ui->cbGenre->setEnabled(!verb);
}

void TCfgJeu::RestoreGenreFilter()
{
    m_filtreGenre.clear();
    if (ui->cbGenre->isEnabled())
        m_filtreGenre = WordFilters::queryGenreFilter(m_wordQuery, ui->cbGenre->currentIndex());
}

// ---------------------------------------------------------------- the lists

std::optional<std::string> TCfgJeu::listOf(int index) const
{
    const QVariant name = ui->cbListe->itemData(index);
    if (!name.isValid())
        return std::nullopt;
    return name.toByteArray().toStdString();
}

void TCfgJeu::selectList(const std::optional<std::string>& list)
{
    for (int index = 0; index < ui->cbListe->count(); ++index) {
        if (listOf(index) == list) {
            ui->cbListe->setCurrentIndex(index);
            return;
        }
    }
}

void TCfgJeu::RestoreWordList()
{
    TWordStore* store = m_wordQuery.Store();
    if (!store || m_listsRead)
        return;
    const bool server = store->Server.has_value();
    std::vector<WordListSummary> lists;
    std::optional<std::string> played;
    try {
        lists = ReadWordLists(*store);
        played = ReadPlayedList(*store);
    } catch (const std::runtime_error& error) {
        // A base or a server made before the lists: the page says why it
        // offers none; the game plays as before.
        ui->cbListe->setEnabled(false);
        ui->laListeInfo->setText(QStringLiteral("Listes indisponibles : ") +
                                 QString::fromUtf8(error.what()));
        return;
    }
    m_listsRead = true;
    showWordLists(lists);
    m_playedList = played;
    selectList(played);
    if (server) {
        ui->cbListe->setEnabled(false);
        ui->laListeInfo->setText(
            QStringLiteral("Sur le serveur de la classe, l'enseignant choisit la "
                           "liste\n(corbelet-mots jouer)."));
        return;
    }
    // The settings file's choice, when the base still has that list.
    if (!m_savedList || *m_savedList == played.value_or(std::string()))
        return;
    const std::optional<std::string> saved =
        m_savedList->empty() ? std::nullopt : std::optional<std::string>(*m_savedList);
    if (saved && std::none_of(lists.begin(), lists.end(),
                              [&](const WordListSummary& list) { return list.name == *saved; }))
        return;
    PlayWordList(*store, saved, store->Database);
    m_playedList = saved;
    selectList(saved);
}

void TCfgJeu::showWordLists(const std::vector<WordListSummary>& lists)
{
    // The first entry, all the words, stays.
    while (ui->cbListe->count() > 1)
        ui->cbListe->removeItem(ui->cbListe->count() - 1);
    for (const WordListSummary& list : lists) {
        ui->cbListe->addItem(
            Windows1252::toQString(list.name) + QStringLiteral(" (") + QString::number(list.words) +
                (list.words <= 1 ? QStringLiteral(" mot)") : QStringLiteral(" mots)")),
            QByteArray::fromStdString(list.name));
    }
}

void TCfgJeu::refreshWordLists()
{
    TWordStore* store = m_wordQuery.Store();
    if (!store || !m_listsRead)
        return;
    showWordLists(ReadWordLists(*store));
    selectList(m_playedList);
}

// ---------------------------------------------------------------- progress

void TCfgJeu::showProgress()
{
    // Before the game has connected the store there is nothing to read yet.
    TWordStore* store = m_wordQuery.Store();
    if (!store || !store->Connected())
        return;
    // Made when first shown, as the rules preview: a player who never opens
    // the page keeps its tables and chart out of memory.
    if (!m_progressPage) {
        m_progressPage = new ProgressPage;
        m_progressPage->setObjectName(QStringLiteral("progresPage"));
        ui->progresDefile->setWidget(m_progressPage); // owned by the scroll area
        connect(m_progressPage, &ProgressPage::reviewListMade, this,
                Reported(this, &TCfgJeu::refreshWordLists));
    }
    m_progressPage->showProgress(*store);
}

// ---------------------------------------------------------------- handlers

void TCfgJeu::btValidClick()
{
    hide();
}

void TCfgJeu::btSaveClick()
{
    // The player asked for it: a save that fails says so, with the file and
    // the reason, instead of letting the next start show the old values.
    try {
        SaveSettings();
    } catch (const std::runtime_error& error) {
        throw std::runtime_error(std::string("La configuration n'a pas été sauvée. ") +
                                 error.what());
    }
}

void TCfgJeu::cbTypeClick()
{
    applyTypeSelection();
}

void TCfgJeu::cbGenreClick()
{
    // Emptied first: a failed query leaves no genre filter.
    m_filtreGenre.clear();
    m_filtreGenre = WordFilters::queryGenreFilter(m_wordQuery, ui->cbGenre->currentIndex());
}

// The box that changed gives way when the pair is out of order.
void TCfgJeu::NbMotMinChange()
{
    if (ui->NbMotMax->value() < ui->NbMotMin->value())
        ui->NbMotMin->setValue(ui->NbMotMax->value());
}

void TCfgJeu::NbMotMaxChange()
{
    if (ui->NbMotMax->value() < ui->NbMotMin->value())
        ui->NbMotMax->setValue(ui->NbMotMin->value());
}

void TCfgJeu::NbPointMinChange()
{
    if (ui->NbPointMax->value() < ui->NbPointMin->value())
        ui->NbPointMin->setValue(ui->NbPointMax->value());
}

void TCfgJeu::NbPointMaxChange()
{
    if (ui->NbPointMax->value() < ui->NbPointMin->value())
        ui->NbPointMax->setValue(ui->NbPointMin->value());
}

void TCfgJeu::cbListeClick()
{
    TWordStore* store = m_wordQuery.Store();
    const std::optional<std::string> list = listOf(ui->cbListe->currentIndex());
    if (!store || !m_listsRead || store->Server || list == m_playedList)
        return;
    try {
        PlayWordList(*store, list, store->Database);
    } catch (const std::runtime_error&) {
        // The base is as it was: so is the page.
        selectList(m_playedList);
        throw;
    }
    m_playedList = list;
}

void TCfgJeu::btNouveauClick()
{
    if (auto* button = qobject_cast<QAbstractButton*>(sender()))
        pickSoundFile(button);
}

void TCfgJeu::pickSoundFile(QAbstractButton* button)
{
    QFileDialog dialog(this, button->toolTip(), m_programDirectory + QStringLiteral("res"));
    dialog.setObjectName(QStringLiteral("OpenDialog1"));
    // Qt's own dialog: the same on every desktop, and one that tests can drive.
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    const QStringList filters{QStringLiteral("Fichier MP3 (*.mp3)"),
                              QStringLiteral("Fichier Wav (*.wav)")};
    dialog.setNameFilters(filters);
    dialog.selectNameFilter(filters.first());
    dialog.setSizeGripEnabled(true);
    if (dialog.exec() != QDialog::Accepted)
        return;
    const QStringList chosen = dialog.selectedFiles();
    if (chosen.isEmpty())
        return;

    QString entryName = button->objectName();
    entryName.replace(0, 2, QStringLiteral("Son"));
    auto* entry = qobject_cast<QLineEdit*>(FindComponent(entryName));
    if (!entry)
        return;
    showPath(entry, chosen.first());
}
