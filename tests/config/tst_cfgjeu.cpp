// The configuration window driven as a player drives it, and its settings
// file on real disk: first start, the load and save passes, damaged files,
// the spin boxes, the type list, the sound pickers, the glyphs and the looks.
// The genre list, which needs the word base, has its own test program.

#include "app/errorreport.h"
#include "config/tcfgjeu.h"
#include "config/tpagecontrol.h"
#include "config/tspinedit.h"
#include "config/wordfilters.h"
#include "rules/cues.h"
#include "rules/wordrules.h"
#include "tests/config/cfgtesthelpers.h"
#include "tests/config/formcontrol.h"
#include "tests/support/reportboxes.h"
#include "wordstore/wordstore.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFileDialog>
#include <QGroupBox>
#include <QHelpEvent>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QProcess>
#include <QPushButton>
#include <QSpinBox>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QToolTip>

#include <array>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <memory>

#include <sys/inotify.h>
#include <unistd.h>

using namespace CfgTest;

namespace {

// What the kernel reports of the files of one folder (inotify).
class FolderEvents
{
public:
    FolderEvents(const QString& folder, std::uint32_t mask)
        : m_fd(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC))
    {
        ::inotify_add_watch(m_fd, QFile::encodeName(folder).constData(), mask);
    }
    ~FolderEvents() { ::close(m_fd); }
    FolderEvents(const FolderEvents&) = delete;
    FolderEvents& operator=(const FolderEvents&) = delete;

    // How many of the events reported since the last call are of a kind in
    // `mask` and concern `name`. (The kernel merges an event with the one
    // before it when they are alike and unread: watch two kinds that alternate
    // to count each.)
    int count(const QString& name, std::uint32_t mask)
    {
        int matching = 0;
        alignas(inotify_event) char buffer[16384];
        ssize_t length;
        while ((length = ::read(m_fd, buffer, sizeof buffer)) > 0) {
            for (ssize_t offset = 0; offset < length;) {
                const auto* event = reinterpret_cast<const inotify_event*>(buffer + offset);
                if ((event->mask & mask) != 0 && event->len > 0 &&
                    QFile::decodeName(event->name) == name)
                    ++matching;
                offset += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
            }
        }
        return matching;
    }

private:
    int m_fd;
};

} // namespace

class TestCfgJeu : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    // The settings file.
    void firstStartWritesInitialValues();
    void existingFileIsNotRewrittenAtStart();
    void fileWithoutTheGameSectionGetsTheNewValues();
    void missingKeysTakeTheirDefaults();
    void spinBoxesClampAndCouple_data();
    void spinBoxesClampAndCouple();
    void booleansAreIntegers();
    void speechSwitchInItsOwnSection();
    void storedPathsKeepTheirFolder();
    void listIndexOutOfRange();
    void unwritableFolderAtFirstStart();
    void saveKeepsForeignLines();
    void damagedFilesLoadWhatTheyCan();
    void firstStartThroughALink();
    void readOnlyFileIsKept();

    // The window.
    void looks();
    void centredOnTheGameWindow();
    void textsFit();
    void typePicks();
    void minMaxCoupling();
    void spinBoxTyping();
    void soundPicker();
    void soundPickerCancelled();
    void okHidesWithoutSaving();
    void hintsAreOff();
    void glyphs();
    void previewPageHasItsFinalSize();
    void findComponent();
    void gameSettingsReadTheControls();

private:
    std::unique_ptr<TCfgJeu> window(const QString& settings, const QString& programDirectory = {});
    QString settingsPath(const QString& name) const
    {
        return m_folder.filePath(name + QStringLiteral(".ini"));
    }

    QTemporaryDir m_folder;
    TWordStore m_store;
    TWordQuery m_query{m_store};
};

void TestCfgJeu::initTestCase()
{
    QVERIFY(m_folder.isValid());
    QDir::setCurrent(m_folder.path());
    // Qt's file dialog keeps its own state in the user's configuration
    // folder: keep it in the test's folder.
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_folder.filePath(QStringLiteral("xdg"))));
}

std::unique_ptr<TCfgJeu> TestCfgJeu::window(const QString& settings,
                                            const QString& programDirectory)
{
    const QString directory =
        programDirectory.isEmpty() ? QStringLiteral(CORBELET_RUN_DIR "/") : programDirectory;
    return std::make_unique<TCfgJeu>(m_query, directory, settings);
}

void TestCfgJeu::firstStartWritesInitialValues()
{
    const QString path = settingsPath(QStringLiteral("premier"));
    // Temporary files left by savers that were killed, one of a program that
    // still runs (this one), and a file that only looks like them.
    QProcess ended;
    ended.start(QStringLiteral("true"), QStringList());
    QVERIFY(ended.waitForStarted());
    const qint64 endedPid = ended.processId();
    QVERIFY(ended.waitForFinished());
    const QString stale = m_folder.filePath(QStringLiteral(".premier.ini.%1.0").arg(endedPid));
    const QString running = m_folder.filePath(
        QStringLiteral(".premier.ini.%1.3").arg(QCoreApplication::applicationPid()));
    const QString unrelated =
        m_folder.filePath(QStringLiteral(".premier.ini.%1.bak").arg(endedPid));
    for (const QString& file : {stale, running, unrelated})
        QVERIFY(writeFile(file, "[Config]\nNbMotMin=5\n"));

    // The whole file appears at once: a start killed meanwhile leaves either
    // no file, which the next start writes, or the whole file.
    FolderEvents events(m_folder.path(), IN_MOVED_TO | IN_CLOSE_WRITE);
    auto cfg = window(path);
    QCOMPARE(events.count(QStringLiteral("premier.ini"), IN_MOVED_TO | IN_CLOSE_WRITE), 1);
    QCOMPARE(readFile(path), newFileContent());
    QVERIFY(!QFileInfo::exists(stale));
    QVERIFY(QFileInfo::exists(running));
    QVERIFY(QFileInfo::exists(unrelated));
    QVERIFY(QFile::remove(running) && QFile::remove(unrelated));

    QCOMPARE(control<TSpinEdit>(cfg, "NbMotMin")->value(), 5);
    QCOMPARE(control<TSpinEdit>(cfg, "NbMotMax")->value(), 25);
    QCOMPARE(control<TSpinEdit>(cfg, "NbPointMin")->value(), 5);
    QCOMPARE(control<TSpinEdit>(cfg, "NbPointMax")->value(), 52);
    QCOMPARE(control<QComboBox>(cfg, "cbType")->currentIndex(), 0);
    QCOMPARE(control<QComboBox>(cfg, "cbCathegorie")->currentIndex(), 0);
    QCOMPARE(control<QComboBox>(cfg, "cbGenre")->currentIndex(), 0);
    QVERIFY(control<QCheckBox>(cfg, "LimitTemps")->isChecked());
    QCOMPARE(control<TSpinEdit>(cfg, "TempsPartie")->value(), 30);
    QCOMPARE(control<TSpinEdit>(cfg, "NiveauDuJeu")->value(), 1);
    QVERIFY(control<QCheckBox>(cfg, "SonDefaut")->isChecked());
    QVERIFY(!control<QCheckBox>(cfg, "PasDeSon")->isChecked());
    for (QLineEdit* entry :
         {control<QLineEdit>(cfg, "NomUser"), control<QLineEdit>(cfg, "SonGagner"),
          control<QLineEdit>(cfg, "SonHello")}) {
        QVERIFY(entry->text().isEmpty());
        QVERIFY(entry->toolTip().isEmpty());
    }
    QVERIFY(cfg->FiltreType().empty());
    QVERIFY(cfg->FiltreGenre().empty());
    QVERIFY(control<QComboBox>(cfg, "cbGenre")->isEnabled());
    QVERIFY(!cfg->isVisible());
}

void TestCfgJeu::existingFileIsNotRewrittenAtStart()
{
    const QString path = settingsPath(QStringLiteral("existant"));
    const QByteArray content("[Config]\nNbMotMin=6\n");
    QVERIFY(writeFile(path, content));
    // The load pass opens the file once, whatever the number of keys.
    FolderEvents events(m_folder.path(), IN_OPEN | IN_CLOSE_NOWRITE);
    auto cfg = window(path);
    QCOMPARE(events.count(QStringLiteral("existant.ini"), IN_OPEN), 1);
    QCOMPARE(readFile(path), content);
    QCOMPARE(control<TSpinEdit>(cfg, "NbMotMin")->value(), 6);
}

// A player's file that holds only a server's section, as docs/installation.md allows,
// is a first start too: the new values go after what is there.
void TestCfgJeu::fileWithoutTheGameSectionGetsTheNewValues()
{
    const QString path = settingsPath(QStringLiteral("serveur"));
    const QByteArray server("[Serveur]\nHote=serveur.ecole.lan\n");
    QVERIFY(writeFile(path, server));
    auto cfg = window(path);
    QCOMPARE(readFile(path), server + newFileContent());
    QCOMPARE(control<TSpinEdit>(cfg, "TempsPartie")->value(), 30);
}

void TestCfgJeu::missingKeysTakeTheirDefaults()
{
    const QString path = settingsPath(QStringLiteral("incomplet"));
    QVERIFY(writeFile(path, "[Config]\nNbMotMin=6\nNomUser=Zo\xE9\n"));
    auto cfg = window(path);
    QCOMPARE(control<TSpinEdit>(cfg, "NbMotMin")->value(), 6);
    QCOMPARE(control<TSpinEdit>(cfg, "NbMotMax")->value(), 25);
    QCOMPARE(control<TSpinEdit>(cfg, "NbPointMin")->value(), 4);
    QCOMPARE(control<TSpinEdit>(cfg, "NbPointMax")->value(), 52);
    QCOMPARE(control<TSpinEdit>(cfg, "TempsPartie")->value(), 5);
    QVERIFY(!control<QCheckBox>(cfg, "LimitTemps")->isChecked());
    QCOMPARE(control<TSpinEdit>(cfg, "NiveauDuJeu")->value(), 1);
    QVERIFY(!control<QCheckBox>(cfg, "SonDefaut")->isChecked());
    QVERIFY(!control<QCheckBox>(cfg, "PasDeSon")->isChecked());
    QCOMPARE(control<QComboBox>(cfg, "cbType")->currentIndex(), 0);
    // Windows-1252 bytes in the file.
    QCOMPARE(control<QLineEdit>(cfg, "NomUser")->text(), QString::fromLatin1("Zo\xE9"));
}

void TestCfgJeu::spinBoxesClampAndCouple_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QList<int>>("values"); // NbMotMin, NbMotMax, NbPointMin, NbPointMax
    QTest::newRow("minimum above range") << QByteArray("NbMotMin=30") << QList<int>{25, 25, 4, 52};
    QTest::newRow("maximum below range, raised to the minimum")
        << QByteArray("NbMotMin=7\nNbMotMax=1") << QList<int>{7, 7, 4, 52};
    QTest::newRow("maximum below the minimum")
        << QByteArray("NbPointMin=40\nNbPointMax=10") << QList<int>{4, 25, 40, 40};
    QTest::newRow("hexadecimal") << QByteArray("NbPointMax=0x20") << QList<int>{4, 25, 4, 32};
    QTest::newRow("not a number") << QByteArray("NbPointMax=abc") << QList<int>{4, 25, 4, 52};
    QTest::newRow("trailing letters") << QByteArray("NbPointMin=12abc") << QList<int>{4, 25, 4, 52};
    QTest::newRow("negative") << QByteArray("NbMotMin=-5\nNbMotMax=-5") << QList<int>{4, 4, 4, 52};
    QTest::newRow("empty values") << QByteArray("NbMotMin=\nNbMotMax=") << QList<int>{4, 25, 4, 52};
}

void TestCfgJeu::spinBoxesClampAndCouple()
{
    QFETCH(QByteArray, content);
    QFETCH(QList<int>, values);
    const QString path = settingsPath(QStringLiteral("bornes"));
    QVERIFY(writeFile(path, "[Config]\n" + content + "\nTempsPartie=999\nNiveauDuJeu=0\n"));
    auto cfg = window(path);
    QCOMPARE((QList<int>{control<TSpinEdit>(cfg, "NbMotMin")->value(),
                         control<TSpinEdit>(cfg, "NbMotMax")->value(),
                         control<TSpinEdit>(cfg, "NbPointMin")->value(),
                         control<TSpinEdit>(cfg, "NbPointMax")->value()}),
             values);
    QCOMPARE(control<TSpinEdit>(cfg, "TempsPartie")->value(), 180);
    QCOMPARE(control<TSpinEdit>(cfg, "NiveauDuJeu")->value(), 1);
}

void TestCfgJeu::booleansAreIntegers()
{
    const QString path = settingsPath(QStringLiteral("booleens"));
    QVERIFY(writeFile(path, "[Config]\nLimitTemps=2\nPasDeSon=\nSonDefaut=0x1\n"));
    auto cfg = window(path);
    QVERIFY(control<QCheckBox>(cfg, "LimitTemps")->isChecked());
    QVERIFY(!control<QCheckBox>(cfg, "PasDeSon")->isChecked());
    QVERIFY(control<QCheckBox>(cfg, "SonDefaut")->isChecked());
}

// "Prononcer le mot" on the page of the progress, kept in [Parole]: on when
// the key is missing, and written once it was turned off.
void TestCfgJeu::speechSwitchInItsOwnSection()
{
    const QString path = settingsPath(QStringLiteral("parole"));
    QVERIFY(writeFile(path, "[Config]\nPasDeSon=0\n"));
    {
        auto cfg = window(path);
        auto* speak = control<QCheckBox>(cfg, "PrononcerMot");
        QCOMPARE(speak->parentWidget(), control<QWidget>(cfg, "tsProgres"));
        QVERIFY(speak->isChecked());
        QVERIFY(cfg->sayWords());
        speak->setChecked(false);
        QVERIFY(!cfg->sayWords());
        cfg->btSaveClick();
    }
    QVERIFY(readFile(path).contains("[Parole]\nPrononcerMot=0"));
    auto cfg = window(path);
    QVERIFY(!control<QCheckBox>(cfg, "PrononcerMot")->isChecked());
    control<QCheckBox>(cfg, "PrononcerMot")->setChecked(true);
    cfg->btSaveClick();
    QVERIFY(readFile(path).contains("[Parole]\nPrononcerMot=1"));
}

void TestCfgJeu::storedPathsKeepTheirFolder()
{
    const QString path = settingsPath(QStringLiteral("chemins"));
    QByteArray content = newFileContent();
    content.replace("SonGagner=\n", "SonGagner=/home/x/Sons/bravo.mp3\n");
    content.replace("NomUser=\n", "NomUser=A:B\n");
    content.replace("SonPerdu=\n", "SonPerdu=/racine.wav\n");
    QVERIFY(writeFile(path, content));
    auto cfg = window(path);
    QCOMPARE(control<QLineEdit>(cfg, "SonGagner")->text(), QStringLiteral("bravo.mp3"));
    QCOMPARE(control<QLineEdit>(cfg, "SonGagner")->toolTip(), QStringLiteral("/home/x/Sons/"));
    // On Linux a colon is a character of the name, not a drive.
    QCOMPARE(control<QLineEdit>(cfg, "NomUser")->text(), QStringLiteral("A:B"));
    QCOMPARE(control<QLineEdit>(cfg, "NomUser")->toolTip(), QString());
    QCOMPARE(control<QLineEdit>(cfg, "SonPerdu")->text(), QStringLiteral("racine.wav"));
    QCOMPARE(control<QLineEdit>(cfg, "SonPerdu")->toolTip(), QStringLiteral("/"));

    QTest::mouseClick(control<QPushButton>(cfg, "btSave"), Qt::LeftButton);
    QCOMPARE(readFile(path), content);
}

void TestCfgJeu::listIndexOutOfRange()
{
    const QString path = settingsPath(QStringLiteral("liste"));
    QVERIFY(writeFile(path, "[Config]\ncbType=7\ncbGenre=-3\n"));
    auto cfg = window(path);
    QCOMPARE(control<QComboBox>(cfg, "cbType")->currentIndex(), -1);
    QCOMPARE(control<QComboBox>(cfg, "cbGenre")->currentIndex(), -1);
    QVERIFY(cfg->FiltreType().empty());
    QVERIFY(control<QComboBox>(cfg, "cbGenre")->isEnabled());
    QTest::mouseClick(control<QPushButton>(cfg, "btSave"), Qt::LeftButton);
    const QByteArray saved = readFile(path);
    QVERIFY(saved.startsWith("[Config]\ncbType=-1\ncbGenre=-1\nNbMotMin=4\n"));
}

void TestCfgJeu::unwritableFolderAtFirstStart()
{
    // Root ignores permissions: the folder is a plain file instead.
    const QString blocker = m_folder.filePath(QStringLiteral("pas-un-dossier"));
    QVERIFY(writeFile(blocker, "x"));
    const QString path = blocker + QStringLiteral("/corbelet.ini");
    ReportBoxes boxes;
    auto cfg = window(path);
    // The run has the first start's values, as if the file had been written.
    QCOMPARE(control<TSpinEdit>(cfg, "NbMotMin")->value(), 5);
    QCOMPARE(control<TSpinEdit>(cfg, "NbPointMin")->value(), 5);
    QCOMPARE(control<TSpinEdit>(cfg, "TempsPartie")->value(), 30);
    QVERIFY(control<QCheckBox>(cfg, "LimitTemps")->isChecked());
    QVERIFY(control<QCheckBox>(cfg, "SonDefaut")->isChecked());
    // The first start's save fails silently; the player's "Sauver" says why,
    // in one box naming the file.
    QCOMPARE(boxes.texts, QStringList());
    QTest::mouseClick(control<QPushButton>(cfg, "btSave"), Qt::LeftButton);
    QCOMPARE(boxes.texts.size(), 1);
    const QString text = boxes.texts.first();
    QVERIFY2(text.startsWith(QStringLiteral("La configuration n'a pas été sauvée.")),
             qPrintable(text));
    QVERIFY2(text.contains(QStringLiteral("« %1 »").arg(path)), qPrintable(text));
    QVERIFY2(text.endsWith(QStringLiteral(" : ce n'est pas un dossier.")), qPrintable(text));
    QCOMPARE(readFile(blocker), QByteArray("x"));
}

void TestCfgJeu::saveKeepsForeignLines()
{
    const QString path = settingsPath(QStringLiteral("etranger"));
    const QByteArray before = "; Réglages de Corbelet\r\n"
                              "[Fenetre]\r\n"
                              "NomUser=ne pas toucher\r\n"
                              "\r\n"
                              "[config]\r\n"
                              "  nbmotmin = 6 ; commentaire\r\n"
                              "# une note\r\n"
                              "NomUser=Zo\xE9\r\n"
                              "NomUser=second\r\n"
                              "\r\n"
                              "[Apres]\r\n"
                              "X=1";
    QVERIFY(writeFile(path, before));
    auto cfg = window(path);
    QCOMPARE(control<TSpinEdit>(cfg, "NbMotMin")->value(), 4); // "6 ; commentaire" is not a number
    QCOMPARE(control<QLineEdit>(cfg, "NomUser")->text(), QString::fromLatin1("Zo\xE9"));
    control<QLineEdit>(cfg, "NomUser")->setText(QStringLiteral("Léa"));
    QTest::mouseClick(control<QPushButton>(cfg, "btSave"), Qt::LeftButton);

    const QByteArray after = readFile(path);
    QByteArray expected = "; Réglages de Corbelet\r\n"
                          "[Fenetre]\r\n"
                          "NomUser=ne pas toucher\r\n"
                          "\r\n"
                          "[config]\r\n"
                          "NbMotMin=4\r\n"
                          "# une note\r\n"
                          "NomUser=L\xE9\x61\r\n"
                          "NomUser=second\r\n"
                          "NbMotMax=25\r\n"
                          "NbPointMin=4\r\n";
    QVERIFY2(after.startsWith(expected), after.constData());
    QVERIFY(after.endsWith("SonHello=\r\n\r\n[Apres]\r\nX=1"));
    QCOMPARE(after.count("\r\n"), before.count("\r\n") + 19);
    QCOMPARE(after.count('\n'), after.count("\r\n"));
}

void TestCfgJeu::damagedFilesLoadWhatTheyCan()
{
    // Binary junk, a 10 MB line and a 100,000-character value, then the keys.
    const QString path = settingsPath(QStringLiteral("abime"));
    QByteArray junk;
    for (int i = 0; i < 4096; ++i)
        junk.append(static_cast<char>((i * 37 + 11) % 256));
    QByteArray content = junk + "\n" + QByteArray(10 * 1024 * 1024, 'L') +
                         "\n[Config]\nNomUser=" + QByteArray(100000, 'n') +
                         "\nNbMotMin=9\nNbMotMin=12\n";
    QVERIFY(writeFile(path, content));
    auto cfg = window(path);
    QCOMPARE(control<QLineEdit>(cfg, "NomUser")->text().size(), 2047);
    QCOMPARE(control<TSpinEdit>(cfg, "NbMotMin")->value(), 9);
    QCOMPARE(control<TSpinEdit>(cfg, "NbMotMax")->value(), 25);
    // The save rewrites the keys only: the junk and the long line stay.
    QTest::mouseClick(control<QPushButton>(cfg, "btSave"), Qt::LeftButton);
    const QByteArray after = readFile(path);
    QVERIFY(after.startsWith(junk + "\n" + QByteArray(10 * 1024 * 1024, 'L') +
                             "\n[Config]\nNomUser=" + QByteArray(2047, 'n') +
                             "\nNbMotMin=9\nNbMotMin=12\n"));

    // The settings "file" is a folder: missing-key values, and no crash.
    const QString folder = settingsPath(QStringLiteral("dossier"));
    QVERIFY(QDir().mkpath(folder));
    ReportBoxes boxes;
    auto inFolder = window(folder);
    QCOMPARE(control<TSpinEdit>(inFolder, "TempsPartie")->value(), 5);
    QTest::mouseClick(control<QPushButton>(inFolder, "btSave"), Qt::LeftButton);
    QCOMPARE(boxes.texts.size(), 1);
    QVERIFY(QFileInfo(folder).isDir());
}

void TestCfgJeu::firstStartThroughALink()
{
    // The settings file is a link to a file that does not exist yet: the
    // first start creates the file the link names, and the link stays.
    QVERIFY(QDir().mkpath(m_folder.filePath(QStringLiteral("partage"))));
    const QString link = settingsPath(QStringLiteral("lien"));
    QVERIFY(QFile::link(m_folder.filePath(QStringLiteral("partage/corbelet.ini")), link));
    auto cfg = window(link);
    QVERIFY(QFileInfo(link).isSymLink());
    QCOMPARE(readFile(m_folder.filePath(QStringLiteral("partage/corbelet.ini"))), newFileContent());
    QCOMPARE(control<TSpinEdit>(cfg, "TempsPartie")->value(), 30);
}

void TestCfgJeu::readOnlyFileIsKept()
{
    const QString path = settingsPath(QStringLiteral("protege"));
    QByteArray content = newFileContent();
    content.replace("NiveauDuJeu=1\n", "NiveauDuJeu=3\n");
    QVERIFY(writeFile(path, content));
    QVERIFY(QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::ReadGroup));
    auto cfg = window(path);
    QCOMPARE(control<TSpinEdit>(cfg, "NiveauDuJeu")->value(), 3);
    control<TSpinEdit>(cfg, "NiveauDuJeu")->setValue(2);
    // "Sauver" says it failed, and the file stays as it was.
    ReportBoxes boxes;
    QTest::mouseClick(control<QPushButton>(cfg, "btSave"), Qt::LeftButton);
    QCOMPARE(boxes.texts.size(), 1);
    QVERIFY2(boxes.texts.first().contains(path), qPrintable(boxes.texts.first()));
    QCOMPARE(readFile(path), content);
}

void TestCfgJeu::looks()
{
    auto cfg = window(settingsPath(QStringLiteral("allure")));
    QCOMPARE(cfg->minimumSize(), cfg->maximumSize());
    QCOMPARE(cfg->windowType(), Qt::Dialog);
    QVERIFY(!(cfg->windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
    QCOMPARE(cfg->font().family(), QStringLiteral("Tahoma"));
    QCOMPARE(QFontInfo(cfg->font()).family(), QStringLiteral("Tahoma"));

    QCOMPARE(control<TPageControl>(cfg, "PageControl1")->count(), 5);
    QCOMPARE(control<TPageControl>(cfg, "PageControl1")->widget(0),
             control<QWidget>(cfg, "tsGene"));
    QCOMPARE(control<TPageControl>(cfg, "PageControl1")->widget(2),
             control<QWidget>(cfg, "tsInfo"));
    QCOMPARE(control<TPageControl>(cfg, "PageControl1")->currentIndex(), 0);

    QVERIFY(!control<QComboBox>(cfg, "cbCathegorie")->isEnabled());
    QCOMPARE(control<QComboBox>(cfg, "cbCathegorie")->count(), 1);
    QCOMPARE(control<QComboBox>(cfg, "cbCathegorie")->itemText(0),
             QStringLiteral("Pas d'importance"));
    QStringList types;
    for (int i = 0; i < control<QComboBox>(cfg, "cbType")->count(); ++i)
        types << control<QComboBox>(cfg, "cbType")->itemText(i);
    QCOMPARE(types, (QStringList{"Pas d'importance", "Verbe", "Adverbe", "Adjectif", "Nom"}));
    QStringList genres;
    for (int i = 0; i < control<QComboBox>(cfg, "cbGenre")->count(); ++i)
        genres << control<QComboBox>(cfg, "cbGenre")->itemText(i);
    QCOMPARE(genres, (QStringList{"Pas d'importance", "Feminin", "Masculin", "Invariable"}));
    QVERIFY(!control<QComboBox>(cfg, "cbType")->isEditable());
    QVERIFY(!control<QComboBox>(cfg, "cbGenre")->isEditable());
    QCOMPARE(control<TSpinEdit>(cfg, "TempsPartie")->singleStep(), 5);
    QCOMPARE(control<TSpinEdit>(cfg, "NbMotMax")->minimum(), 2);
    QCOMPARE(control<TSpinEdit>(cfg, "NbPointMax")->maximum(), 52);
    QCOMPARE(control<TSpinEdit>(cfg, "NiveauDuJeu")->maximum(), 3);

    // Each cue's entry is on the sound page with its picker, named after it:
    // the picker finds its entry by that name and opens a dialog titled with
    // its hint.
    for (const auto& [cue, name] : kCues) {
        const QString entryName = QString::fromLatin1(name.data(), qsizetype(name.size()));
        QVERIFY(entryName.startsWith(QStringLiteral("Son")));
        auto* entry = control<QWidget>(cfg, "tsSon")->findChild<QLineEdit*>(entryName);
        auto* picker = control<QWidget>(cfg, "tsSon")
                           ->findChild<QToolButton*>(QStringLiteral("bt") + entryName.mid(3));
        QVERIFY2(entry && picker, qPrintable(entryName));
        QVERIFY2(!picker->toolTip().isEmpty(), qPrintable(entryName));
    }
    QVERIFY(control<QPushButton>(cfg, "btSave")->x() < control<QPushButton>(cfg, "btValid")->x());
}

void TestCfgJeu::centredOnTheGameWindow()
{
    QWidget game;
    game.setGeometry(150, 120, 800, 600);
    game.show();
    QVERIFY(QTest::qWaitForWindowExposed(&game));
    TCfgJeu cfg(m_query, QStringLiteral(CORBELET_RUN_DIR "/"),
                settingsPath(QStringLiteral("centre")), &game);
    QVERIFY(!cfg.isVisible());
    cfg.show();
    QVERIFY(QTest::qWaitForWindowExposed(&cfg));
    // Owned by the game window, so the window manager keeps it above it.
    QCOMPARE(cfg.parentWidget(), &game);
    QVERIFY(cfg.isWindow());
    const QPoint offset = cfg.frameGeometry().center() - game.frameGeometry().center();
    QVERIFY2(offset.manhattanLength() <= 4,
             qPrintable(QStringLiteral("%1,%2").arg(offset.x()).arg(offset.y())));
}

// Every caption is wide and high enough for its text, and every control lies
// inside its parent.
void TestCfgJeu::textsFit()
{
    auto cfg = window(settingsPath(QStringLiteral("mesures")));
    cfg->show();
    QVERIFY(QTest::qWaitForWindowExposed(cfg.get()));
    for (int page = 0; page < control<TPageControl>(cfg, "PageControl1")->count(); ++page) {
        control<TPageControl>(cfg, "PageControl1")->setCurrentIndex(page);
        QWidget* sheet = control<TPageControl>(cfg, "PageControl1")->widget(page);
        QCOMPARE(sheet->size(), control<TPageControl>(cfg, "PageControl1")->pageSize());
        // What scrolls inside the rules preview may be larger than its view.
        const auto scrolled = [sheet](const QWidget* control) {
            for (const QWidget* above = control->parentWidget(); above != sheet;
                 above = above->parentWidget())
                if (above->inherits("QAbstractScrollArea"))
                    return true;
            return false;
        };
        for (QWidget* control : sheet->findChildren<QWidget*>()) {
            if (control->window() != cfg.get() ||
                control->parentWidget()->inherits("QAbstractSpinBox") ||
                control->parentWidget()->inherits("QComboBox") || scrolled(control))
                continue;
            const QString name =
                control->objectName() + QLatin1Char('/') + control->metaObject()->className();
            QVERIFY2(control->parentWidget()->rect().contains(control->geometry()),
                     qPrintable(name));
            if (auto* caption = qobject_cast<QLabel*>(control)) {
                const QSize needed = caption->fontMetrics().size(0, caption->text());
                QVERIFY2(needed.width() <= caption->width() && needed.height() <= caption->height(),
                         qPrintable(caption->text()));
            } else if (qobject_cast<QCheckBox*>(control) || qobject_cast<QGroupBox*>(control)) {
                QVERIFY2(control->minimumSizeHint().width() <= control->width(), qPrintable(name));
            } else if (auto* list = qobject_cast<QComboBox*>(control)) {
                for (int i = 0; i < list->count(); ++i)
                    QVERIFY(list->fontMetrics().horizontalAdvance(list->itemText(i)) + 24 <=
                            list->width());
            }
        }
    }
    QTabBar* tabs = control<TPageControl>(cfg, "PageControl1")->tabBar();
    QVERIFY(tabs->geometry().right() < control<TPageControl>(cfg, "PageControl1")->width());
    QVERIFY(control<QLabel>(cfg, "laTitre")
                ->fontMetrics()
                .horizontalAdvance(control<QLabel>(cfg, "laTitre")->text()) <
            control<QLabel>(cfg, "laTitre")->width());
    for (QPushButton* button :
         {control<QPushButton>(cfg, "btSave"), control<QPushButton>(cfg, "btValid")})
        QVERIFY(button->sizeHint().width() <= button->width());
}

void TestCfgJeu::typePicks()
{
    auto cfg = window(settingsPath(QStringLiteral("types")));
    cfg->show();
    QVERIFY(QTest::qWaitForWindowExposed(cfg.get()));
    const std::vector<std::string> fragments{"", " AND ref_type = 9 AND ref_genre = 35",
                                             " AND ref_type = 2", " AND ref_type = 1",
                                             " AND ref_type = 6"};
    for (int index : {4, 3, 2, 0}) {
        QVERIFY(pick(control<QComboBox>(cfg, "cbType"), index));
        QCOMPARE(control<QComboBox>(cfg, "cbType")->currentIndex(), index);
        QCOMPARE(cfg->FiltreType(), fragments[index]);
        QVERIFY(control<QComboBox>(cfg, "cbGenre")->isEnabled());
    }
    // A genre shown before "Verbe" goes back to "Pas d'importance" and the
    // list is locked until another type is picked.
    control<QComboBox>(cfg, "cbGenre")->setCurrentIndex(2);
    QVERIFY(pick(control<QComboBox>(cfg, "cbType"), 1));
    QCOMPARE(cfg->FiltreType(), fragments[1]);
    QCOMPARE(control<QComboBox>(cfg, "cbGenre")->currentIndex(), 0);
    QVERIFY(!control<QComboBox>(cfg, "cbGenre")->isEnabled());
    QVERIFY(cfg->FiltreGenre().empty());
    QVERIFY(pick(control<QComboBox>(cfg, "cbType"), 4));
    QVERIFY(control<QComboBox>(cfg, "cbGenre")->isEnabled());
    QCOMPARE(control<QComboBox>(cfg, "cbGenre")->currentIndex(), 0);
    QCOMPARE(cfg->FiltreType(), fragments[4]);

    // A selection set by the program is not a pick.
    control<QComboBox>(cfg, "cbType")->setCurrentIndex(2);
    QCOMPARE(cfg->FiltreType(), fragments[4]);
}

void TestCfgJeu::minMaxCoupling()
{
    auto cfg = window(settingsPath(QStringLiteral("couplage")));
    cfg->show();
    QVERIFY(QTest::qWaitForWindowActive(cfg.get()));
    control<TSpinEdit>(cfg, "NbMotMin")->setValue(10);
    control<TSpinEdit>(cfg, "NbMotMax")->setValue(10);
    control<TSpinEdit>(cfg, "NbMotMin")->setFocus();
    QTest::keyClick(control<TSpinEdit>(cfg, "NbMotMin"), Qt::Key_Up);
    QCOMPARE(control<TSpinEdit>(cfg, "NbMotMin")->value(), 10);
    QCOMPARE(control<TSpinEdit>(cfg, "NbMotMin")->text(), QStringLiteral("10"));
    control<TSpinEdit>(cfg, "NbMotMax")->setFocus();
    QTest::keyClick(control<TSpinEdit>(cfg, "NbMotMax"), Qt::Key_Down);
    QCOMPARE(control<TSpinEdit>(cfg, "NbMotMax")->value(), 10);
    QCOMPARE(control<TSpinEdit>(cfg, "NbMotMin")->value(), 10);
    // Apart, they move freely.
    QTest::keyClick(control<TSpinEdit>(cfg, "NbMotMax"), Qt::Key_Up);
    QCOMPARE(control<TSpinEdit>(cfg, "NbMotMax")->value(), 11);
    control<TSpinEdit>(cfg, "NbMotMin")->setFocus();
    QTest::keyClick(control<TSpinEdit>(cfg, "NbMotMin"), Qt::Key_Down);
    QCOMPARE(control<TSpinEdit>(cfg, "NbMotMin")->value(), 9);

    // Points: typing a minimum above the maximum gives way to the maximum.
    control<TSpinEdit>(cfg, "NbPointMax")->setValue(20);
    control<TSpinEdit>(cfg, "NbPointMin")->setFocus();
    control<TSpinEdit>(cfg, "NbPointMin")->selectAll();
    QTest::keyClicks(control<TSpinEdit>(cfg, "NbPointMin"), QStringLiteral("30"));
    QCOMPARE(control<TSpinEdit>(cfg, "NbPointMin")->value(), 20);
    QCOMPARE(control<TSpinEdit>(cfg, "NbPointMax")->value(), 20);
    control<TSpinEdit>(cfg, "NbPointMax")->setFocus();
    control<TSpinEdit>(cfg, "NbPointMax")->selectAll();
    QTest::keyClicks(control<TSpinEdit>(cfg, "NbPointMax"), QStringLiteral("8"));
    QCOMPARE(control<TSpinEdit>(cfg, "NbPointMax")->value(), 20);
}

void TestCfgJeu::spinBoxTyping()
{
    auto cfg = window(settingsPath(QStringLiteral("saisie")));
    cfg->show();
    QVERIFY(QTest::qWaitForWindowActive(cfg.get()));
    QSpinBox* seconds = control<TSpinEdit>(cfg, "TempsPartie");
    seconds->setFocus();
    QTest::keyClick(seconds, Qt::Key_Up);
    QCOMPARE(seconds->value(), 35);
    QTest::keyClick(seconds, Qt::Key_PageDown); // ten steps, stopped at the lower bound
    QCOMPARE(seconds->value(), 5);

    seconds->selectAll();
    QTest::keyClicks(seconds, QStringLiteral("1a b"));
    // Digits of other scripts are refused too.
    QKeyEvent arabicThree(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier,
                          QString(QChar(0x0663)));
    QApplication::sendEvent(seconds, &arabicThree);
    QTest::keyClicks(seconds, QStringLiteral("2"));
    QCOMPARE(seconds->text(), QStringLiteral("12"));
    QCOMPARE(seconds->value(), 12);
    QTest::keyClicks(seconds, QStringLiteral("00"));
    QCOMPARE(seconds->text(), QStringLiteral("1200"));
    QCOMPARE(seconds->value(), 180);
    // The text is clamped when the focus leaves.
    control<QLineEdit>(cfg, "NomUser")->setFocus();
    QTRY_COMPARE(seconds->text(), QStringLiteral("180"));

    // Signs and the decimal separator may be typed; a text that is not a
    // whole number reads as the lower bound.
    seconds->setFocus();
    seconds->selectAll();
    QTest::keyClick(seconds, Qt::Key_Minus);
    QCOMPARE(seconds->text(), QStringLiteral("-"));
    QCOMPARE(seconds->value(), 5);
    seconds->selectAll();
    QTest::keyClicks(seconds, QStringLiteral("+40"));
    QCOMPARE(seconds->value(), 40);
    const QString separator = seconds->locale().decimalPoint();
    QTest::keyClicks(seconds, separator + QStringLiteral("5"));
    QCOMPARE(seconds->text(), QStringLiteral("+40") + separator + QStringLiteral("5"));
    QCOMPARE(seconds->value(), 5);
    control<QLineEdit>(cfg, "NomUser")->setFocus();
    QTRY_COMPARE(seconds->text(), QStringLiteral("5"));

    // A value set by the program is clamped.
    seconds->setValue(1000);
    QCOMPARE(seconds->value(), 180);
}

void TestCfgJeu::soundPicker()
{
    QTemporaryDir sounds;
    QVERIFY(QDir().mkpath(sounds.filePath(QStringLiteral("Sons"))));
    const QString chosen = sounds.filePath(QStringLiteral("Sons/bravo.mp3"));
    QVERIFY(writeFile(chosen, "ID3"));
    QVERIFY(QDir().mkpath(QStringLiteral("res")));

    const QString path = settingsPath(QStringLiteral("sons"));
    auto cfg = window(path);
    cfg->show();
    QVERIFY(QTest::qWaitForWindowExposed(cfg.get()));
    control<TPageControl>(cfg, "PageControl1")->setCurrentWidget(control<QWidget>(cfg, "tsSon"));

    QString title;
    QStringList filters;
    QString filter;
    QString folder;
    bool native = true;
    QTimer::singleShot(0, this, [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        title = dialog->windowTitle();
        filters = dialog->nameFilters();
        filter = dialog->selectedNameFilter();
        folder = dialog->directory().absolutePath();
        native = !dialog->testOption(QFileDialog::DontUseNativeDialog);
        auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        QVERIFY(name);
        name->setText(chosen);
        QTest::keyClick(name, Qt::Key_Return);
    });
    QTest::mouseClick(control<QToolButton>(cfg, "btGagner"), Qt::LeftButton);
    QCOMPARE(title, QStringLiteral("Selection du son quand vous gagnez"));
    QCOMPARE(filters, (QStringList{"Fichier MP3 (*.mp3)", "Fichier Wav (*.wav)"}));
    QCOMPARE(filter, filters.first());
    // The default sounds' folder, whatever the current folder.
    QCOMPARE(folder, QDir(QStringLiteral(CORBELET_RUN_DIR "/res")).absolutePath());
    QVERIFY(!native);

    QCOMPARE(control<QLineEdit>(cfg, "SonGagner")->text(), QStringLiteral("bravo.mp3"));
    QCOMPARE(control<QLineEdit>(cfg, "SonGagner")->toolTip(),
             sounds.filePath(QStringLiteral("Sons/")));
    // Nothing is saved by the pick itself.
    QVERIFY(readFile(path).contains("\nSonGagner=\n"));
    QTest::mouseClick(control<QPushButton>(cfg, "btSave"), Qt::LeftButton);
    QVERIFY(readFile(path).contains("\nSonGagner=" + QFile::encodeName(chosen) + "\n"));
}

void TestCfgJeu::soundPickerCancelled()
{
    const QString path = settingsPath(QStringLiteral("annule"));
    QByteArray content = newFileContent();
    content.replace("SonHello=\n", "SonHello=/opt/sons/salut.wav\n");
    QVERIFY(writeFile(path, content));
    auto cfg = window(path);
    cfg->show();
    QVERIFY(QTest::qWaitForWindowExposed(cfg.get()));
    control<TPageControl>(cfg, "PageControl1")->setCurrentWidget(control<QWidget>(cfg, "tsSon"));
    QString title;
    QTimer::singleShot(0, this, [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        title = dialog->windowTitle();
        QTest::keyClick(dialog, Qt::Key_Escape);
    });
    QTest::mouseClick(control<QToolButton>(cfg, "btHello"), Qt::LeftButton);
    QCOMPARE(title, QStringLiteral("Selection du son au lancement du programme"));
    QCOMPARE(control<QLineEdit>(cfg, "SonHello")->text(), QStringLiteral("salut.wav"));
    QCOMPARE(control<QLineEdit>(cfg, "SonHello")->toolTip(), QStringLiteral("/opt/sons/"));
}

void TestCfgJeu::okHidesWithoutSaving()
{
    const QString path = settingsPath(QStringLiteral("ok"));
    auto cfg = window(path);
    const QByteArray before = readFile(path);
    cfg->show();
    QVERIFY(QTest::qWaitForWindowActive(cfg.get()));
    control<TSpinEdit>(cfg, "NiveauDuJeu")->setFocus();
    QTest::keyClick(control<TSpinEdit>(cfg, "NiveauDuJeu"), Qt::Key_Up);
    control<QLineEdit>(cfg, "NomUser")->setFocus();
    QTest::keyClicks(control<QLineEdit>(cfg, "NomUser"), QStringLiteral("Zoe"));
    control<TPageControl>(cfg, "PageControl1")->setCurrentWidget(control<QWidget>(cfg, "tsSon"));
    QTest::mouseClick(control<QCheckBox>(cfg, "PasDeSon"), Qt::LeftButton);
    QTest::mouseClick(control<QPushButton>(cfg, "btValid"), Qt::LeftButton);
    QVERIFY(!cfg->isVisible());
    // The changes are live, and not saved.
    QCOMPARE(control<TSpinEdit>(cfg, "NiveauDuJeu")->value(), 2);
    QVERIFY(control<QCheckBox>(cfg, "PasDeSon")->isChecked());
    QCOMPARE(control<QLineEdit>(cfg, "NomUser")->text(), QStringLiteral("Zoe"));
    QCOMPARE(readFile(path), before);

    // Closing from the title bar hides the window as "Ok" does.
    cfg->show();
    QVERIFY(QTest::qWaitForWindowExposed(cfg.get()));
    QVERIFY(cfg->close());
    QVERIFY(!cfg->isVisible());
    QCOMPARE(readFile(path), before);

    // A restart shows the last saved values.
    cfg.reset();
    auto again = window(path);
    QCOMPARE(control<TSpinEdit>(again, "NiveauDuJeu")->value(), 1);
    QVERIFY(control<QLineEdit>(again, "NomUser")->text().isEmpty());
}

void TestCfgJeu::hintsAreOff()
{
    auto cfg = window(settingsPath(QStringLiteral("bulles")));
    cfg->show();
    QVERIFY(QTest::qWaitForWindowExposed(cfg.get()));
    control<TPageControl>(cfg, "PageControl1")->setCurrentWidget(control<QWidget>(cfg, "tsSon"));
    control<QLineEdit>(cfg, "SonGagner")->setToolTip(QStringLiteral("/home/x/Sons/"));
    for (QWidget* control : std::initializer_list<QWidget*>{
             control<QLineEdit>(cfg, "SonGagner"), control<QPushButton>(cfg, "btSave"),
             control<QToolButton>(cfg, "btGagner")}) {
        QHelpEvent help(QEvent::ToolTip, QPoint(2, 2), control->mapToGlobal(QPoint(2, 2)));
        QApplication::sendEvent(control, &help);
        QVERIFY(!QToolTip::isVisible());
    }
    // A widget outside the window shows its hint: the check above means something.
    QLineEdit outside;
    outside.setToolTip(QStringLiteral("bulle"));
    outside.show();
    QVERIFY(QTest::qWaitForWindowExposed(&outside));
    QHelpEvent help(QEvent::ToolTip, QPoint(2, 2), outside.mapToGlobal(QPoint(2, 2)));
    QApplication::sendEvent(&outside, &help);
    QTRY_VERIFY(QToolTip::isVisible());
    QToolTip::hideText();
}

void TestCfgJeu::glyphs()
{
    QTemporaryDir program;
    QVERIFY(QDir().mkpath(program.filePath(QStringLiteral("res"))));
    // Two images side by side on a magenta ground (the bottom-left pixel).
    QImage pair(32, 16, QImage::Format_RGB32);
    pair.fill(Qt::magenta);
    {
        QPainter painter(&pair);
        painter.fillRect(4, 4, 8, 8, Qt::red);
        painter.fillRect(20, 4, 8, 8, Qt::gray);
    }
    QVERIFY(pair.save(program.filePath(QStringLiteral("res/btSave.bmp")), "BMP"));
    QImage single(16, 16, QImage::Format_RGB32);
    single.fill(Qt::blue);
    QVERIFY(single.save(program.filePath(QStringLiteral("res/openson.bmp")), "BMP"));
    // btValid.bmp is missing.

    const QString path = settingsPath(QStringLiteral("glyphes"));
    QVERIFY(writeFile(path, "[Config]\nNiveauDuJeu=3\n"));
    const QString directory = program.path() + QLatin1Char('/');
    {
        auto cfg = window(path, directory);
        QVERIFY(!control<QPushButton>(cfg, "btSave")->icon().isNull());
        QCOMPARE(control<QPushButton>(cfg, "btSave")->iconSize(), QSize(16, 16));
        const QImage normal =
            control<QPushButton>(cfg, "btSave")->icon().pixmap(16, 16, QIcon::Normal).toImage();
        const QImage disabled =
            control<QPushButton>(cfg, "btSave")->icon().pixmap(16, 16, QIcon::Disabled).toImage();
        QCOMPARE(normal.pixelColor(8, 8), QColor(Qt::red));
        QCOMPARE(disabled.pixelColor(8, 8), QColor(Qt::gray));
        QCOMPARE(normal.pixelColor(0, 0).alpha(), 0); // the ground is transparent
        QVERIFY(control<QPushButton>(cfg, "btValid")->icon().isNull());
        for (QToolButton* picker :
             {control<QToolButton>(cfg, "btHello"), control<QToolButton>(cfg, "btGagner"),
              control<QToolButton>(cfg, "btDecide")}) {
            QVERIFY(!picker->icon().isNull());
            QCOMPARE(picker->toolButtonStyle(), Qt::ToolButtonIconOnly);
        }
        QCOMPARE(control<TSpinEdit>(cfg, "NiveauDuJeu")->value(), 3);
    }

    // A glyph that cannot be decoded is skipped like a missing one; the
    // settings after it still load.
    QVERIFY(writeFile(program.filePath(QStringLiteral("res/openson.bmp")), "BM pas une image"));
    QVERIFY(writeFile(path, "[Config]\nNiveauDuJeu=3\nSonHello=/a/b.mp3\n"));
    auto cfg = window(path, directory);
    QVERIFY(control<QToolButton>(cfg, "btHello")->icon().isNull());
    QCOMPARE(control<QToolButton>(cfg, "btHello")->text(), QStringLiteral("..."));
    QCOMPARE(control<QLineEdit>(cfg, "SonHello")->text(), QStringLiteral("b.mp3"));
}

void TestCfgJeu::previewPageHasItsFinalSize()
{
    auto cfg = window(settingsPath(QStringLiteral("apercu")));
    const QSize atCreation = control<QWidget>(cfg, "tsInfo")->size();
    QVERIFY(atCreation.width() > 300 && atCreation.height() > 150);
    cfg->show();
    QVERIFY(QTest::qWaitForWindowExposed(cfg.get()));
    // The rules are rendered when their page first shows, not before.
    QVERIFY(control<QWidget>(cfg, "tsInfo")->findChildren<QWidget*>().isEmpty());
    control<TPageControl>(cfg, "PageControl1")->setCurrentWidget(control<QWidget>(cfg, "tsInfo"));
    QVERIFY(!control<QWidget>(cfg, "tsInfo")->findChildren<QWidget*>().isEmpty());
    QCOMPARE(control<QWidget>(cfg, "tsInfo")->size(), atCreation);
    QCOMPARE(control<QWidget>(cfg, "tsGene")->size(), atCreation);
}

void TestCfgJeu::findComponent()
{
    auto cfg = window(settingsPath(QStringLiteral("noms")));
    QCOMPARE(cfg->FindComponent(QStringLiteral("sonGAGNER")), control<QLineEdit>(cfg, "SonGagner"));
    QCOMPARE(cfg->FindComponent(QStringLiteral("NBMOTMIN")), control<TSpinEdit>(cfg, "NbMotMin"));
    QCOMPARE(cfg->FindComponent(QStringLiteral("btvalid")), control<QPushButton>(cfg, "btValid"));
    QCOMPARE(cfg->FindComponent(QStringLiteral("absent")), nullptr);
}

// What the game reads is the controls as they are at that moment.
void TestCfgJeu::gameSettingsReadTheControls()
{
    auto cfg = window(settingsPath(QStringLiteral("vue")));
    const GameSettings& settings = *cfg;
    // Each cue's file is in the entry named after the cue.
    for (const auto& [cue, name] : kCues) {
        auto* entry = qobject_cast<QLineEdit*>(cfg->FindComponent(QLatin1String(name)));
        QVERIFY(entry);
        entry->setToolTip(QStringLiteral("/sons/"));
        entry->setText(QLatin1String(name) + QStringLiteral(".wav"));
        QCOMPARE(settings.chosenSound(cue).folder, QStringLiteral("/sons/"));
        QCOMPARE(settings.chosenSound(cue).name, QLatin1String(name) + QStringLiteral(".wav"));
    }

    control<TSpinEdit>(cfg, "NbMotMin")->setValue(6);
    control<TSpinEdit>(cfg, "NbMotMax")->setValue(9);
    control<TSpinEdit>(cfg, "NbPointMin")->setValue(12);
    control<TSpinEdit>(cfg, "NbPointMax")->setValue(40);
    QVERIFY(pick(control<QComboBox>(cfg, "cbType"), WordFilters::Noun));
    const WordCatalogue::WordFilter filter = settings.wordFilter();
    QCOMPARE((std::array{filter.NbMotMin, filter.NbMotMax, filter.NbPointMin, filter.NbPointMax}),
             (std::array{6, 9, 12, 40}));
    QCOMPARE(filter.FiltreType, cfg->FiltreType());
    QVERIFY(!filter.FiltreType.empty());

    // The levels are those of the game's rules.
    QCOMPARE(control<TSpinEdit>(cfg, "NiveauDuJeu")->maximum(), highestLevel());
    control<TSpinEdit>(cfg, "NiveauDuJeu")->setValue(highestLevel());
    QCOMPARE(settings.level(), highestLevel());
    control<TSpinEdit>(cfg, "TempsPartie")->setValue(45);
    QCOMPARE(settings.secondsPerPick(), 45);
    for (const bool ticked : {false, true}) {
        control<QCheckBox>(cfg, "LimitTemps")->setChecked(ticked);
        control<QCheckBox>(cfg, "PasDeSon")->setChecked(ticked);
        control<QCheckBox>(cfg, "SonDefaut")->setChecked(!ticked);
        QCOMPARE(settings.timeLimited(), ticked);
        QCOMPARE(settings.soundsOff(), ticked);
        QCOMPARE(settings.defaultSounds(), !ticked);
    }
}

int main(int argc, char** argv)
{
    // The program's application: an error escaping a handler reaches the
    // general error report.
    CorbeletApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Corbelet"));
    TestCfgJeu test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_cfgjeu.moc"
