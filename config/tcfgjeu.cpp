#include "config/tcfgjeu.h"

#include "config/inifile.h"
#include "config/tpagecontrol.h"
#include "config/tspinedit.h"
#include "config/wordfilters.h"
#include "game/rules/wordrules.h"
#include "skin/buttonglyph.h"
#include "text/qtwindows1252.h"

#include "preview/rulespreview.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDatabase>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QToolButton>

#include <iterator>
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

QFont tahoma(int pixelSize)
{
    QFont font(QStringLiteral("Tahoma"));
    font.setPixelSize(pixelSize);
    return font;
}

void setBackground(QWidget* widget, const QColor& colour)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, colour);
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

QLabel* label(QWidget* parent, const QString& text, int x, int y, int width)
{
    auto* caption = new QLabel(text, parent);
    caption->setGeometry(x, y, width, 14);
    return caption;
}

QGroupBox* group(QWidget* parent, const QString& title, const QColor& colour, const QRect& geometry)
{
    auto* box = new QGroupBox(title, parent);
    box->setGeometry(geometry);
    setBackground(box, colour);
    return box;
}

// A control's Tag: selects how the save and load passes treat it.
int tagOf(const QWidget* control)
{
    return control->property("Tag").toInt();
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
    : QDialog(parent), m_wordQuery(wordQuery), m_programDirectory(programDirectory),
      m_settingsFile(settingsFile)
{
    createControls();
    bindSoundEntries();
    // The levels are those of the game's rules.
    NiveauDuJeu->setRange(1, highestLevel());
    watchToolTips(this);

    // Creation: a missing settings file first receives the window's initial
    // values, then the rules preview is made, then the settings are loaded.
    if (!QFileInfo::exists(m_settingsFile))
        writeNewSettingsFile();
    createRulesPreview();
    LoadSettings();
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
    return {.NbMotMin = NbMotMin->value(),
            .NbMotMax = NbMotMax->value(),
            .NbPointMin = NbPointMin->value(),
            .NbPointMax = NbPointMax->value(),
            .FiltreType = m_filtreType,
            .FiltreGenre = m_filtreGenre};
}

int TCfgJeu::level() const
{
    return NiveauDuJeu->value();
}

bool TCfgJeu::timeLimited() const
{
    return LimitTemps->isChecked();
}

int TCfgJeu::secondsPerPick() const
{
    return TempsPartie->value();
}

ChosenSound TCfgJeu::chosenSound(Cue cue) const
{
    // The picker keeps the folder in the entry's hint, the name in its text.
    const QLineEdit* entry = m_soundEntries[static_cast<std::size_t>(cue)];
    return {entry->toolTip(), entry->text()};
}

bool TCfgJeu::soundsOff() const
{
    return PasDeSon->isChecked();
}

bool TCfgJeu::defaultSounds() const
{
    return SonDefaut->isChecked();
}

void TCfgJeu::wordStoreConnected()
{
    RestoreGenreFilter();
}

void TCfgJeu::showSettings()
{
    show();
    raise();
    activateWindow();
}

void TCfgJeu::showRules()
{
    PageControl1->setCurrentWidget(tsInfo);
    showSettings();
}

// ---------------------------------------------------------------- the window

void TCfgJeu::createControls()
{
    ensureTahoma();
    setObjectName(QStringLiteral("CfgJeu"));
    setWindowTitle(QStringLiteral("Configuration"));
    // A dialog of the game window: a title bar with a close box only, no
    // minimise or maximise box; with the game window as parent it stays above
    // it, and it opens centred on it (showEvent).
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setFixedSize(402, 307);
    setFont(tahoma(11));
    setBackground(this, QColor(0, 128, 255));

    laTitre = new QLabel(QStringLiteral("Configuration du jeu de pendu"), this);
    laTitre->setObjectName(QStringLiteral("laTitre"));
    laTitre->setGeometry(4, 4, 394, 28);
    laTitre->setAlignment(Qt::AlignCenter);
    laTitre->setFont(tahoma(19));
    {
        QPalette palette = laTitre->palette();
        palette.setColor(QPalette::Window, QColor(0, 128, 64));
        palette.setColor(QPalette::WindowText, QColor(128, 255, 255));
        laTitre->setPalette(palette);
        laTitre->setAutoFillBackground(true);
    }

    PageControl1 = new TPageControl(this);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    PageControl1->setGeometry(4, 36, 394, 232);

    tsGene = new QWidget;
    tsGene->setObjectName(QStringLiteral("tsGene"));
    PageControl1->addTab(tsGene, QStringLiteral("Générale"));
    tsSon = new QWidget;
    tsSon->setObjectName(QStringLiteral("tsSon"));
    PageControl1->addTab(tsSon, QStringLiteral("Son"));
    tsInfo = new QWidget;
    tsInfo->setObjectName(QStringLiteral("tsInfo"));
    PageControl1->addTab(tsInfo, QStringLiteral("Information / divers"));
    PageControl1->setCurrentIndex(0);

    createGeneralPage();
    createSoundPage();

    btSave = new QPushButton(QStringLiteral("Sauver"), this);
    btSave->setObjectName(QStringLiteral("btSave"));
    btSave->setToolTip(QStringLiteral("Sauvegarde de la configuration"));
    btSave->setGeometry(4, 274, 92, 28);
    btSave->setProperty("Tag", 0);
    btSave->setAutoDefault(false);
    connect(btSave, &QPushButton::clicked, this, &TCfgJeu::btSaveClick);

    btValid = new QPushButton(QStringLiteral("Ok"), this);
    btValid->setObjectName(QStringLiteral("btValid"));
    btValid->setGeometry(306, 274, 92, 28);
    btValid->setProperty("Tag", 0);
    btValid->setAutoDefault(false);
    connect(btValid, &QPushButton::clicked, this, &TCfgJeu::btValidClick);

    m_controlOrder.push_back(btSave);
    m_controlOrder.push_back(btValid);
}

void TCfgJeu::createGeneralPage()
{
    QGroupBox* words = group(tsGene, QStringLiteral("Generateur de listes de mots"),
                             QColor(128, 128, 255), QRect(2, 2, 390, 126));
    words->setObjectName(QStringLiteral("gbMots"));
    const auto spin = [this](QWidget* parent, const QString& name, int minimum, int maximum,
                             int step, int tag, int x, int y) {
        auto* box = new TSpinEdit(parent);
        box->setObjectName(name);
        box->setRange(minimum, maximum);
        box->setSingleStep(step);
        box->setProperty("Tag", tag);
        box->setGeometry(x, y, 48, 20);
        m_controlOrder.push_back(box);
        return box;
    };
    label(words, QStringLiteral("Nombre de lettre :"), 10, 18, 170);
    label(words, QStringLiteral("Min :"), 10, 36, 30);
    NbMotMin = spin(words, QStringLiteral("NbMotMin"), 4, 25, 1, 0, 40, 33);
    label(words, QStringLiteral("Max :"), 98, 36, 30);
    NbMotMax = spin(words, QStringLiteral("NbMotMax"), 2, 25, 1, 1, 128, 33);
    label(words, QStringLiteral("Nombre de point :"), 10, 62, 170);
    label(words, QStringLiteral("Min :"), 10, 80, 30);
    NbPointMin = spin(words, QStringLiteral("NbPointMin"), 4, 52, 1, 0, 40, 77);
    label(words, QStringLiteral("Max :"), 98, 80, 30);
    NbPointMax = spin(words, QStringLiteral("NbPointMax"), 2, 52, 1, 1, 128, 77);

    const auto list = [this, words](const QString& name, const QStringList& entries, int y) {
        auto* box = new QComboBox(words);
        box->setObjectName(name);
        box->setEditable(false);
        box->addItems(entries);
        box->setGeometry(200, y, 180, 20);
        box->setProperty("Tag", 0);
        return box;
    };
    label(words, QStringLiteral("Type de mots :"), 200, 52, 180);
    cbType = list(QStringLiteral("cbType"),
                  {QStringLiteral("Pas d'importance"), QStringLiteral("Verbe"),
                   QStringLiteral("Adverbe"), QStringLiteral("Adjectif"), QStringLiteral("Nom")},
                  66);
    label(words, QStringLiteral("Cathégorie du mots :"), 200, 16, 180);
    cbCathegorie = list(QStringLiteral("cbCathegorie"), {QStringLiteral("Pas d'importance")}, 30);
    cbCathegorie->setEnabled(false);
    label(words, QStringLiteral("Genre du mots :"), 200, 88, 180);
    cbGenre = list(QStringLiteral("cbGenre"),
                   {QStringLiteral("Pas d'importance"), QStringLiteral("Feminin"),
                    QStringLiteral("Masculin"), QStringLiteral("Invariable")},
                   102);
    m_controlOrder.push_back(cbType);
    m_controlOrder.push_back(cbCathegorie);
    m_controlOrder.push_back(cbGenre);
    // activated: picks of the player only, not selections set by the program.
    connect(cbType, &QComboBox::activated, this, &TCfgJeu::cbTypeClick);
    connect(cbGenre, &QComboBox::activated, this, &TCfgJeu::cbGenreClick);

    QGroupBox* game = group(tsGene, QStringLiteral("Type de jeux"), QColor(128, 128, 192),
                            QRect(2, 131, 214, 77));
    game->setObjectName(QStringLiteral("gbJeu"));
    LimitTemps = new QCheckBox(QStringLiteral("Activé limitation de temps"), game);
    LimitTemps->setObjectName(QStringLiteral("LimitTemps"));
    LimitTemps->setGeometry(10, 58, 196, 16);
    LimitTemps->setProperty("Tag", 0);
    m_controlOrder.push_back(LimitTemps);
    label(game, QStringLiteral("Temps en seconde :"), 10, 39, 120);
    TempsPartie = spin(game, QStringLiteral("TempsPartie"), 5, 180, 5, 0, 140, 36);
    label(game, QStringLiteral("Niveau du jeu :"), 10, 18, 120);
    NiveauDuJeu = spin(game, QStringLiteral("NiveauDuJeu"), 1, 3, 1, 0, 140, 15);

    QGroupBox* player = group(tsGene, QStringLiteral("Information perso"), QColor(0, 128, 192),
                              QRect(220, 131, 172, 77));
    player->setObjectName(QStringLiteral("gbPerso"));
    label(player, QStringLiteral("Votre nom :"), 10, 22, 150);
    NomUser = new QLineEdit(player);
    NomUser->setObjectName(QStringLiteral("NomUser"));
    NomUser->setGeometry(10, 38, 152, 20);
    NomUser->setProperty("Tag", 1);
    m_controlOrder.push_back(NomUser);

    // The initial values of the window, which a new settings file receives.
    NbMotMin->setValue(5);
    NbMotMax->setValue(25);
    NbPointMin->setValue(5);
    NbPointMax->setValue(52);
    LimitTemps->setChecked(true);
    TempsPartie->setValue(30);
    NiveauDuJeu->setValue(1);

    connect(NbMotMin, &QSpinBox::valueChanged, this, &TCfgJeu::NbMotMinChange);
    connect(NbMotMax, &QSpinBox::valueChanged, this, &TCfgJeu::NbMotMaxChange);
    connect(NbPointMin, &QSpinBox::valueChanged, this, &TCfgJeu::NbPointMinChange);
    connect(NbPointMax, &QSpinBox::valueChanged, this, &TCfgJeu::NbPointMaxChange);
}

QLineEdit* TCfgJeu::createSoundEntry(QWidget* page, const QString& cue, const QString& caption,
                                     const QString& dialogTitle, int x, int y, QToolButton*& button)
{
    label(page, caption, x, y, 184);
    auto* entry = new QLineEdit(page);
    entry->setObjectName(cue);
    entry->setGeometry(x, y + 15, 162, 20);
    entry->setProperty("Tag", 1);

    button = new QToolButton(page);
    button->setObjectName(QStringLiteral("bt") + cue.mid(3));
    button->setGeometry(x + 162, y + 15, 21, 20);
    button->setText(QStringLiteral("..."));
    button->setToolTip(dialogTitle);
    button->setProperty("Tag", 1);
    connect(button, &QToolButton::clicked, this, &TCfgJeu::btNouveauClick);
    return entry;
}

void TCfgJeu::createSoundPage()
{
    SonDefaut =
        new QCheckBox(QStringLiteral("Sons par défaut si sons persos  indisponiblent"), tsSon);
    SonDefaut->setObjectName(QStringLiteral("SonDefaut"));
    SonDefaut->setGeometry(8, 6, 256, 17);
    SonDefaut->setProperty("Tag", 0);
    SonDefaut->setChecked(true);
    PasDeSon = new QCheckBox(QStringLiteral("Désactiver sons"), tsSon);
    PasDeSon->setObjectName(QStringLiteral("PasDeSon"));
    PasDeSon->setGeometry(272, 6, 114, 17);
    PasDeSon->setProperty("Tag", 0);

    // Two columns of four, left column first, rows top to bottom.
    struct SoundEntry
    {
        QLineEdit* TCfgJeu::*entry;
        QToolButton* TCfgJeu::*picker;
        const char* cue;
        const char* caption;
        const char* dialogTitle;
    };
    static const SoundEntry entries[] = {
        {&TCfgJeu::SonHello, &TCfgJeu::btHello, "SonHello",
         "Sur entrer du programe:", "Selection du son au lancement du programme"},
        {&TCfgJeu::SonExit, &TCfgJeu::btExit, "SonExit",
         "Sur sorti du programe:", "Selection du son à la sortie du programme"},
        {&TCfgJeu::SonBonneLettre, &TCfgJeu::btBonneLettre, "SonBonneLettre",
         "Sur lettre trouvée :", "Selection du son sur une lettre trouvée"},
        {&TCfgJeu::SonErreur, &TCfgJeu::btErreur, "SonErreur",
         "Sur lettre non trouvée :", "Selection du son sur une lettre fausse"},
        {&TCfgJeu::SonGagner, &TCfgJeu::btGagner, "SonGagner",
         "Sur mot trouvé :", "Selection du son quand vous gagnez"},
        {&TCfgJeu::SonPerdu, &TCfgJeu::btPerdu, "SonPerdu",
         "Sur mot non trouvé:", "Selection du son quand vous perdez"},
        {&TCfgJeu::SonNouveau, &TCfgJeu::btNouveau, "SonNouveau",
         "Sur nouveau mot :", "Selection du son sur un nouveau mot"},
        {&TCfgJeu::SonDecide, &TCfgJeu::btDecide, "SonDecide",
         "Sur indécie :", "Selection du son quand le temps presse"},
    };
    constexpr int rowsPerColumn = 4;
    for (int index = 0; index < int(std::size(entries)); ++index) {
        const SoundEntry& sound = entries[index];
        const int x = index < rowsPerColumn ? 8 : 202;
        const int y = 32 + 44 * (index % rowsPerColumn);
        this->*sound.entry =
            createSoundEntry(tsSon, QString::fromUtf8(sound.cue), QString::fromUtf8(sound.caption),
                             QString::fromUtf8(sound.dialogTitle), x, y, this->*sound.picker);
    }

    // The window's control order, which is the order of the keys in a new
    // file; each picker follows its entry.
    for (QWidget* control : std::initializer_list<QWidget*>{
             SonGagner, btGagner, SonPerdu, btPerdu, SonBonneLettre, btBonneLettre, SonErreur,
             btErreur, SonDefaut, SonNouveau, btNouveau, PasDeSon, SonDecide, btDecide, SonExit,
             btExit, SonHello, btHello})
        m_controlOrder.push_back(control);
}

void TCfgJeu::createRulesPreview()
{
    // The preview lays the document out for the page's size: give the page
    // the size it will have once the window is shown.
    tsInfo->resize(PageControl1->pageSize());
    // Without the plug-in the page shows a notice and there is no handle.
    if (const std::uint32_t handle = ShowRulesPreview(
            DocRtf(), this, tsInfo, m_programDirectory + QStringLiteral("Pendu.rtf")))
        m_previewHandle = handle;
    watchToolTips(tsInfo);
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
}

void TCfgJeu::writeNewSettingsFile()
{
    // The whole file in one replacement: a start that is cut short leaves
    // either no file, and the next start writes it, or the whole file.
    try {
        TIniFile(localPath(m_settingsFile)).WriteStrings(Section, storedEntries());
    } catch (const std::runtime_error&) {
        // Silent by design: the load then finds no keys and the settings of
        // this run are the missing-key values; "Sauver" tells what is wrong.
    }
}

void TCfgJeu::LoadSettings()
{
    // The file is read and parsed once for the whole pass.
    const TIniSection settings = TIniFile(localPath(m_settingsFile)).ReadSection(Section);
    for (QWidget* control : m_controlOrder)
        loadControl(settings, control);
    applyTypeSelection();
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
    const QImage image(file, "BMP");
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
    m_filtreType = WordFilters::typeFilter(cbType->currentIndex());
    const bool verb = cbType->currentIndex() == WordFilters::Verb;
    if (verb) {
        cbGenre->setCurrentIndex(0);
        m_filtreGenre.clear();
    }
    cbGenre->setEnabled(!verb);
}

void TCfgJeu::RestoreGenreFilter()
{
    m_filtreGenre.clear();
    if (cbGenre->isEnabled())
        m_filtreGenre = WordFilters::queryGenreFilter(m_wordQuery, cbGenre->currentIndex());
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
    m_filtreGenre = WordFilters::queryGenreFilter(m_wordQuery, cbGenre->currentIndex());
}

// The box that changed gives way when the pair is out of order.
void TCfgJeu::NbMotMinChange()
{
    if (NbMotMax->value() < NbMotMin->value())
        NbMotMin->setValue(NbMotMax->value());
}

void TCfgJeu::NbMotMaxChange()
{
    if (NbMotMax->value() < NbMotMin->value())
        NbMotMax->setValue(NbMotMin->value());
}

void TCfgJeu::NbPointMinChange()
{
    if (NbPointMax->value() < NbPointMin->value())
        NbPointMin->setValue(NbPointMax->value());
}

void TCfgJeu::NbPointMaxChange()
{
    if (NbPointMax->value() < NbPointMin->value())
        NbPointMax->setValue(NbPointMin->value());
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
