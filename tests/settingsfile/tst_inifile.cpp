// The settings file reader and writer on real files: the value rules, the
// line-preserving edits, and files that are damaged or cannot be written.

#include "settingsfile/inifile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

using namespace std::string_literals;

// A byte array of a literal that may hold NUL bytes.
#define BYTES(literal) QByteArray(literal, sizeof(literal) - 1)

namespace {

std::string readAll(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll().toStdString();
}

bool writeAll(const QString& path, const std::string& content)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    return file.write(content.data(), static_cast<qint64>(content.size())) ==
           static_cast<qint64>(content.size());
}

} // namespace

class TestIniFile : public QObject
{
    Q_OBJECT

private slots:
    void integers_data();
    void integers();
    void findValue_data();
    void findValue();
    void withValue_data();
    void withValue();
    void valueWithLineBreakStaysOnOneLine();

    void readsDefaultsFromUnreadableFiles();
    void cutsLongTexts();
    void readsDamagedFiles();
    void writesOneKeyAtATime();
    void failedWriteLeavesFileAsItWas();
    void keepsModeAndFollowsLinks();
    void keepsOwner();
    void readOnlyFileIsNotReplaced();

private:
    QTemporaryDir m_folder;
};

void TestIniFile::integers_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("parses");
    QTest::addColumn<int>("value");
    QTest::newRow("decimal") << "52" << true << 52;
    QTest::newRow("negative") << "-1" << true << -1;
    QTest::newRow("plus") << "+7" << true << 7;
    QTest::newRow("leading zeros") << "007" << true << 7;
    QTest::newRow("hex") << "0x20" << true << 32;
    QTest::newRow("HEX") << "0X1f" << true << 31;
    QTest::newRow("hex all bits") << "0xFFFFFFFF" << true << -1;
    QTest::newRow("hex too wide") << "0x100000000" << false << 0;
    QTest::newRow("hex without digits") << "0x" << false << 0;
    QTest::newRow("hex bad digit") << "0x2g" << false << 0;
    QTest::newRow("zero") << "0" << true << 0;
    QTest::newRow("int max") << "2147483647" << true << 2147483647;
    QTest::newRow("int min") << "-2147483648" << true << int(-2147483647 - 1);
    QTest::newRow("overflow") << "2147483648" << false << 0;
    QTest::newRow("far overflow") << "99999999999999999999999" << false << 0;
    // The whole value must be the number (Windows would read 12 here; a value
    // that does not parse takes the key's default instead).
    QTest::newRow("trailing letters") << "12abc" << false << 0;
    QTest::newRow("letters") << "abc" << false << 0;
    QTest::newRow("empty") << "" << false << 0;
    QTest::newRow("sign only") << "-" << false << 0;
    QTest::newRow("inner blank") << "1 2" << false << 0;
}

void TestIniFile::integers()
{
    QFETCH(QString, text);
    QFETCH(bool, parses);
    QFETCH(int, value);
    const auto parsed = IniValue::parseInteger(text.toStdString());
    QCOMPARE(parsed.has_value(), parses);
    if (parses)
        QCOMPARE(*parsed, value);
}

void TestIniFile::findValue_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QByteArray>("key");
    QTest::addColumn<bool>("found");
    QTest::addColumn<QByteArray>("value");
    const QByteArray file =
        "; comment\n[Autre]\nNbMotMin=1\n\n[Config]\nNbMotMin = 7 \n"
        "NomUser=\n\tSonGagner\t=\t/a/b.mp3\r\nNbMotMin=9\n[Suite]\nPasDeSon=1\n";
    QTest::newRow("other section is not read")
        << file << QByteArray("NbMotMin") << true << QByteArray("7");
    QTest::newRow("blanks trimmed, CR dropped")
        << file << QByteArray("songagner") << true << QByteArray("/a/b.mp3");
    QTest::newRow("empty value") << file << QByteArray("NomUser") << true << QByteArray();
    QTest::newRow("key of a later section")
        << file << QByteArray("PasDeSon") << false << QByteArray();
    QTest::newRow("missing key") << file << QByteArray("cbType") << false << QByteArray();
    QTest::newRow("section name any case")
        << QByteArray("[ config ]\nA=1") << QByteArray("a") << true << QByteArray("1");
    QTest::newRow("only the first section counts")
        << QByteArray("[Config]\nA=1\n[Config]\nA=2\nB=3\n") << QByteArray("B") << false
        << QByteArray();
    QTest::newRow("byte order mark")
        << QByteArray("\xEF\xBB\xBF[Config]\nA=1\n") << QByteArray("A") << true << QByteArray("1");
    QTest::newRow("no section") << QByteArray("A=1\n") << QByteArray("A") << false << QByteArray();
    QTest::newRow("header without bracket")
        << QByteArray("[Config\nA=1\n") << QByteArray("A") << false << QByteArray();
    QTest::newRow("equals in value")
        << QByteArray("[Config]\nA=b=c\n") << QByteArray("A") << true << QByteArray("b=c");
    QTest::newRow("NUL bytes kept")
        << BYTES("[Config]\nA=x\0y\n") << QByteArray("A") << true << BYTES("x\0y");
}

void TestIniFile::findValue()
{
    QFETCH(QByteArray, content);
    QFETCH(QByteArray, key);
    QFETCH(bool, found);
    QFETCH(QByteArray, value);
    const auto result = IniText::findValue(std::string_view(content.constData(), content.size()),
                                           "Config", std::string_view(key.constData(), key.size()));
    QCOMPARE(result.has_value(), found);
    if (found)
        QCOMPARE(QByteArray(result->data(), static_cast<qsizetype>(result->size())), value);
}

void TestIniFile::withValue_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QByteArray>("after");
    QTest::newRow("new file") << QByteArray() << QByteArray("[Config]\nNomUser=Zoé\n");
    QTest::newRow("overwritten in place, the rest as it was")
        << QByteArray("; mes réglages\r\n[Config]\r\n  nomuser = x "
                      "\r\nNbMotMin=5\r\n\r\n[Autre]\r\nNomUser=y\r\n")
        << QByteArray(
               "; mes "
               "réglages\r\n[Config]\r\nNomUser=Zoé\r\nNbMotMin=5\r\n\r\n[Autre]\r\nNomUser=y\r\n");
    QTest::newRow("new key after the last line of the section, CR LF kept")
        << QByteArray("[Config]\r\nNbMotMin=5\r\n\r\n; autre\r\n[Autre]\r\nX=1\r\n")
        << QByteArray("[Config]\r\nNbMotMin=5\r\nNomUser=Zoé\r\n\r\n; autre\r\n[Autre]\r\nX=1\r\n");
    QTest::newRow("section header alone")
        << QByteArray("[Config]") << QByteArray("[Config]\nNomUser=Zoé\n");
    QTest::newRow("last line without line end")
        << QByteArray("[Config]\nNbMotMin=5") << QByteArray("[Config]\nNbMotMin=5\nNomUser=Zoé\n");
    QTest::newRow("last line ending in a lone CR")
        << QByteArray("[Config]\nNbMotMin=5\r")
        << QByteArray("[Config]\nNbMotMin=5\r\nNomUser=Zoé\n");
    QTest::newRow("section appended to a file without it")
        << QByteArray("[Autre]\nX=1") << QByteArray("[Autre]\nX=1\n[Config]\nNomUser=Zoé\n");
    QTest::newRow("first of repeated keys") << QByteArray("[Config]\nNomUser=a\nNomUser=b\n")
                                            << QByteArray("[Config]\nNomUser=Zoé\nNomUser=b\n");
    QTest::newRow("binary lines kept") << BYTES("\x01\x02\xff\n[Config]\nNomUser=a\n\x00\x7f\n")
                                       << BYTES("\x01\x02\xff\n[Config]\nNomUser=Zoé\n\x00\x7f\n");
}

void TestIniFile::withValue()
{
    QFETCH(QByteArray, before);
    QFETCH(QByteArray, after);
    const std::string result = IniText::withValue(
        std::string_view(before.constData(), before.size()), "Config", "NomUser", "Zoé");
    QCOMPARE(QByteArray::fromStdString(result), after);
}

void TestIniFile::valueWithLineBreakStaysOnOneLine()
{
    // A file name may hold a line break on Linux: it must not add a section
    // or a key of its own to the file.
    const std::string result = IniText::withValue("[Config]\nNbMotMin=5\n", "Config", "SonGagner",
                                                  "/a/b\n[Config]\nNbMotMin=99");
    QCOMPARE(QByteArray::fromStdString(result),
             QByteArray("[Config]\nNbMotMin=5\nSonGagner=/a/b\n"));
    QCOMPARE(std::string(*IniText::findValue(result, "Config", "NbMotMin")), std::string("5"));
}

void TestIniFile::readsDefaultsFromUnreadableFiles()
{
    QVERIFY(m_folder.isValid());
    // A folder where the file should be, a missing file, a FIFO (whose open
    // must not block): all read as files without keys.
    const QString folder = m_folder.filePath(QStringLiteral("dossier.ini"));
    QVERIFY(QDir().mkpath(folder));
    const QString fifo = m_folder.filePath(QStringLiteral("fifo.ini"));
    QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    for (const QString& path : {folder, m_folder.filePath(QStringLiteral("absent.ini")), fifo}) {
        const TIniFile file(path.toStdString());
        QCOMPARE(file.ReadSection("Config").ReadInteger("NbMotMin", 4), 4);
        QCOMPARE(file.ReadSection("Config").ReadString("NomUser", "x"), std::string("x"));
        QCOMPARE(file.ReadSection("Config").ReadBool("PasDeSon", false), false);
    }
    // And none of them can be written.
    for (const QString& path : {folder, fifo}) {
        TIniFile file(path.toStdString());
        QVERIFY_THROWS_EXCEPTION(std::runtime_error, file.WriteString("Config", "NbMotMin", "5"));
    }
    QVERIFY(QFileInfo(folder).isDir());
}

void TestIniFile::cutsLongTexts()
{
    const QString path = m_folder.filePath(QStringLiteral("long.ini"));
    const std::string value(100000, 'v');
    QVERIFY(writeAll(path, "[Config]\nNomUser=" + value + "\nNbMotMin=0x10\n"));
    const TIniFile file(path.toStdString());
    QCOMPARE(file.ReadSection("Config").ReadString("NomUser", ""),
             std::string(IniValue::kMaxTextLength, 'v'));
    QCOMPARE(file.ReadSection("Config").ReadInteger("NbMotMin", 4), 16);
}

void TestIniFile::readsDamagedFiles()
{
    const QString path = m_folder.filePath(QStringLiteral("abime.ini"));
    // A 10 MB line without a line end, binary junk and a key after them.
    std::string content(10 * 1024 * 1024, 'x');
    content +=
        "\n\x00\x01\xfe=\xff\n[Config]\r\nNbPointMax=0x20\r\nNbPointMax=40\r\nNbMotMax=abc\r\n"s;
    QVERIFY(writeAll(path, content));
    TIniFile file(path.toStdString());
    QCOMPARE(file.ReadSection("Config").ReadInteger("NbPointMax", 52), 32); // the first wins
    QCOMPARE(file.ReadSection("Config").ReadInteger("NbMotMax", 25), 25);
    // Saving one key changes that line and nothing else.
    file.WriteString("Config", "NbPointMax", "44");
    std::string expected = content;
    expected.replace(expected.find("NbPointMax=0x20"), 15, "NbPointMax=44");
    QVERIFY(readAll(path) == expected);
}

void TestIniFile::writesOneKeyAtATime()
{
    const QString path = m_folder.filePath(QStringLiteral("ecrit.ini"));
    TIniFile file(path.toStdString());
    file.WriteString("Config", "NbMotMin", "-3");
    file.WriteString("Config", "LimitTemps", "1");
    file.WriteString("Config", "NomUser", "Zoé");
    file.WriteString("Config", "LimitTemps", "0");
    QCOMPARE(QByteArray::fromStdString(readAll(path)),
             QByteArray("[Config]\nNbMotMin=-3\nLimitTemps=0\nNomUser=Zoé\n"));
    QCOMPARE(file.ReadSection("Config").ReadInteger("NbMotMin", 0), -3);
    QCOMPARE(file.ReadSection("Config").ReadString("NomUser", ""), std::string("Zoé"));
    // No temporary file is left behind.
    QCOMPARE(QDir(m_folder.path())
                 .entryList({QStringLiteral(".ecrit*")}, QDir::Hidden | QDir::Files)
                 .size(),
             0);
}

void TestIniFile::failedWriteLeavesFileAsItWas()
{
    // A folder that is in fact a file: nothing can be created in it.
    const QString blocker = m_folder.filePath(QStringLiteral("bloque"));
    QVERIFY(writeAll(blocker, "pas un dossier"));
    TIniFile inside((blocker + QStringLiteral("/corbelet.ini")).toStdString());
    QVERIFY_THROWS_EXCEPTION(std::runtime_error, inside.WriteString("Config", "NbMotMin", "5"));
    QCOMPARE(readAll(blocker), std::string("pas un dossier"));

    // A file that cannot be read whole is never replaced: here one larger
    // than the settings file can be.
    const QString large = m_folder.filePath(QStringLiteral("enorme.ini"));
    {
        QFile file(large);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QVERIFY(file.resize(static_cast<qint64>(TIniFile::kMaxFileSize) + 1));
    }
    TIniFile huge(large.toStdString());
    QCOMPARE(huge.ReadSection("Config").ReadInteger("NbMotMin", 4), 4);
    QVERIFY_THROWS_EXCEPTION(std::runtime_error, huge.WriteString("Config", "NbMotMin", "5"));
    QCOMPARE(QFileInfo(large).size(), static_cast<qint64>(TIniFile::kMaxFileSize) + 1);
}

void TestIniFile::keepsModeAndFollowsLinks()
{
    const QString target = m_folder.filePath(QStringLiteral("cible.ini"));
    QVERIFY(writeAll(target, "[Config]\nNbMotMin=5\n"));
    QCOMPARE(::chmod(QFile::encodeName(target).constData(), 0640), 0);
    const QString link = m_folder.filePath(QStringLiteral("lien.ini"));
    QVERIFY(QFile::link(target, link));

    TIniFile file(link.toStdString());
    file.WriteString("Config", "NbMotMin", "6");
    QVERIFY(QFileInfo(link).isSymLink());
    QCOMPARE(readAll(target), std::string("[Config]\nNbMotMin=6\n"));
    struct stat info
    {};
    QCOMPARE(::stat(QFile::encodeName(target).constData(), &info), 0);
    QCOMPARE(info.st_mode & 07777, mode_t(0640));

    // A relative link whose file does not exist yet: the file is created
    // where the link points, and the link stays.
    QVERIFY(QDir().mkpath(m_folder.filePath(QStringLiteral("reel"))));
    const QString dangling = m_folder.filePath(QStringLiteral("pendant.ini"));
    QCOMPARE(::symlink("reel/nouveau.ini", QFile::encodeName(dangling).constData()), 0);
    TIniFile fresh(dangling.toStdString());
    fresh.WriteString("Config", "PasDeSon", "1");
    QVERIFY(QFileInfo(dangling).isSymLink());
    QCOMPARE(readAll(m_folder.filePath(QStringLiteral("reel/nouveau.ini"))),
             std::string("[Config]\nPasDeSon=1\n"));

    // A loop of links is refused, and both links stay.
    const QString loopA = m_folder.filePath(QStringLiteral("boucle-a.ini"));
    const QString loopB = m_folder.filePath(QStringLiteral("boucle-b.ini"));
    QVERIFY(QFile::link(loopB, loopA));
    QVERIFY(QFile::link(loopA, loopB));
    TIniFile loop(loopA.toStdString());
    QCOMPARE(loop.ReadSection("Config").ReadInteger("NbMotMin", 4), 4);
    QVERIFY_THROWS_EXCEPTION(std::runtime_error, loop.WriteString("Config", "NbMotMin", "5"));
    QVERIFY(QFileInfo(loopA).isSymLink() && QFileInfo(loopB).isSymLink());
}

void TestIniFile::keepsOwner()
{
    if (::geteuid() != 0)
        QSKIP("only the superuser may give a file to another user");
    // A file of another user saved by the superuser stays that user's.
    const QString path = m_folder.filePath(QStringLiteral("autrui.ini"));
    QVERIFY(writeAll(path, "[Config]\nNbMotMin=5\n"));
    const QByteArray local = QFile::encodeName(path);
    QCOMPARE(::chown(local.constData(), 4321, 4322), 0);
    TIniFile file(path.toStdString());
    file.WriteString("Config", "NbMotMin", "6");
    struct stat info
    {};
    QCOMPARE(::stat(local.constData(), &info), 0);
    QCOMPARE(info.st_uid, uid_t(4321));
    QCOMPARE(info.st_gid, gid_t(4322));
    QCOMPARE(readAll(path), std::string("[Config]\nNbMotMin=6\n"));
}

void TestIniFile::readOnlyFileIsNotReplaced()
{
    // Renaming over a file needs only the folder's permission: a file made
    // read-only must still not be replaced, whoever runs the game.
    const QString path = m_folder.filePath(QStringLiteral("lecture-seule.ini"));
    const std::string content = "[Config]\nNbMotMin=5\n";
    QVERIFY(writeAll(path, content));
    QCOMPARE(::chmod(QFile::encodeName(path).constData(), 0444), 0);
    TIniFile file(path.toStdString());
    QVERIFY_THROWS_EXCEPTION(std::runtime_error, file.WriteString("Config", "NbMotMin", "6"));
    QVERIFY_THROWS_EXCEPTION(std::runtime_error, file.WriteString("Config", "NbMotMax", "25"));
    QCOMPARE(readAll(path), content);
    // A value that is already there needs no write.
    file.WriteString("Config", "NbMotMin", "5");
    QCOMPARE(file.ReadSection("Config").ReadInteger("NbMotMin", 4), 5);
}

QTEST_APPLESS_MAIN(TestIniFile)
#include "tst_inifile.moc"
