// The command script: what the configuration window sends and what the
// plug-in accepts.

#include "preview/rtf/previewcommands.h"
#include "preview/rulespreview.h"

#include <QTest>

#include <stdexcept>
#include <string>
#include <vector>

namespace {

std::vector<std::string> lines(const std::string& script)
{
    std::vector<std::string> result;
    std::size_t start = 0;
    while (true) {
        const std::size_t end = script.find("\r\n", start);
        result.push_back(script.substr(start, end - start));
        if (end == std::string::npos)
            return result;
        start = end + 2;
    }
}

} // namespace

class TestPreviewScript : public QObject
{
    Q_OBJECT
private slots:
    void workedExamples_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::addColumn<QString>("expected");
        QTest::newRow("377 x 207") << 377 << 207
                                   << "HEIGHT|202|Pixel|False\r\nWIDTH|397|Pixel|False\r\n"
                                      "BEGINDOC\r\nRTFEXT|./Pendu.rtf|10|5|387|207\r\nENDDOC";
        QTest::newRow("377 x 200") << 377 << 200
                                   << "HEIGHT|195|Pixel|False\r\nWIDTH|397|Pixel|False\r\n"
                                      "BEGINDOC\r\nRTFEXT|./Pendu.rtf|10|5|387|200\r\nENDDOC";
        QTest::newRow("under 5 px high") << 377 << 3
                                         << "HEIGHT|-2|Pixel|False\r\nWIDTH|397|Pixel|False\r\n"
                                            "BEGINDOC\r\nRTFEXT|./Pendu.rtf|10|5|387|3\r\nENDDOC";
        QTest::newRow("empty page") << 0 << 0
                                    << "HEIGHT|-5|Pixel|False\r\nWIDTH|20|Pixel|False\r\n"
                                       "BEGINDOC\r\nRTFEXT|./Pendu.rtf|10|5|10|0\r\nENDDOC";
    }
    void workedExamples()
    {
        QFETCH(int, width);
        QFETCH(int, height);
        QFETCH(QString, expected);
        const std::string script = PreviewScript(width, height, "./Pendu.rtf");
        QCOMPARE(QString::fromStdString(script), expected);
        QCOMPARE(lines(script).size(), std::size_t(5));
        QVERIFY(!script.ends_with("\n"));
    }

    // The plug-in reads back exactly what the window writes.
    void scriptReadsBack()
    {
        const std::string document = "/usr/share/corbelet/Pendu.rtf";
        const Preview::Commands commands =
            Preview::parseCommands(PreviewScript(377, 207, document));
        QCOMPARE(commands.height, std::optional<int>(202));
        QCOMPARE(commands.width, std::optional<int>(397));
        QCOMPARE(commands.documents.size(), std::size_t(1));
        QVERIFY(commands.documents[0] == (Preview::Placement{document, 10, 5, 387, 207}));

        const Preview::Commands tiny = Preview::parseCommands(PreviewScript(377, 2, document));
        QCOMPARE(tiny.height, std::optional<int>(-3));
    }

    void goodScripts()
    {
        // Lower case keywords, LF alone, blank lines, a True flag, two documents.
        const Preview::Commands commands = Preview::parseCommands(
            "width|100|pixel|true\n\nBeginDoc\r\nRTFEXT|a b.rtf|-1|0|50|0\r\n"
            "RTFEXT|\xE9t\xE9.rtf|1|2|3|2147483647\nENDDOC\r\n");
        QCOMPARE(commands.width, std::optional<int>(100));
        QVERIFY(!commands.height);
        QCOMPARE(commands.documents.size(), std::size_t(2));
        QVERIFY(commands.documents[0] == (Preview::Placement{"a b.rtf", -1, 0, 50, 0}));
        QVERIFY(commands.documents[1] ==
                (Preview::Placement{"\xE9t\xE9.rtf", 1, 2, 3, 2147483647}));

        QVERIFY(Preview::parseCommands("").documents.empty());
        // Without the frame requirement a document line stands alone.
        QCOMPARE(Preview::parseCommands("RTFEXT|x.rtf|0|0|10|10", false).documents.size(),
                 std::size_t(1));
    }

    void badScripts_data()
    {
        QTest::addColumn<QByteArray>("script");
        QTest::addColumn<QString>("line");
        QTest::newRow("unknown keyword")
            << QByteArray("HEIGHT|1|Pixel|False\r\nPICTURE|x") << "Ligne 2";
        QTest::newRow("missing field") << QByteArray("HEIGHT|12|Pixel") << "Ligne 1";
        QTest::newRow("extra field") << QByteArray("WIDTH|12|Pixel|False|x") << "Ligne 1";
        QTest::newRow("not a number") << QByteArray("HEIGHT|abc|Pixel|False") << "Ligne 1";
        QTest::newRow("empty number") << QByteArray("HEIGHT||Pixel|False") << "Ligne 1";
        QTest::newRow("lone minus") << QByteArray("HEIGHT|-|Pixel|False") << "Ligne 1";
        QTest::newRow("plus sign") << QByteArray("HEIGHT|+4|Pixel|False") << "Ligne 1";
        QTest::newRow("eleven digits") << QByteArray("HEIGHT|12345678901|Pixel|False") << "Ligne 1";
        QTest::newRow("beyond 32 bits") << QByteArray("WIDTH|3000000000|Pixel|False") << "Ligne 1";
        QTest::newRow("unknown unit") << QByteArray("HEIGHT|12|Inch|False") << "Ligne 1";
        QTest::newRow("bad flag") << QByteArray("HEIGHT|12|Pixel|Maybe") << "Ligne 1";
        QTest::newRow("document outside the frame")
            << QByteArray("RTFEXT|./Pendu.rtf|10|5|387|207") << "Ligne 1";
        QTest::newRow("document after the frame")
            << QByteArray("BEGINDOC\r\nENDDOC\r\nRTFEXT|a|1|2|3|4") << "Ligne 3";
        QTest::newRow("frame opened twice") << QByteArray("BEGINDOC\r\nBEGINDOC") << "Ligne 2";
        QTest::newRow("frame closed unopened") << QByteArray("ENDDOC") << "Ligne 1";
        QTest::newRow("frame left open") << QByteArray("BEGINDOC") << "ENDDOC";
        QTest::newRow("no file name")
            << QByteArray("BEGINDOC\r\nRTFEXT||1|2|3|4\r\nENDDOC") << "Ligne 2";
        QTest::newRow("five document fields")
            << QByteArray("BEGINDOC\r\nRTFEXT|a|1|2|3\r\nENDDOC") << "Ligne 2";
        QTest::newRow("bad document number")
            << QByteArray("BEGINDOC\r\nRTFEXT|a|1|2|x|4\r\nENDDOC") << "Ligne 2";
        QTest::newRow("fields on BEGINDOC") << QByteArray("BEGINDOC|x") << "Ligne 1";
        QTest::newRow("bare CR is no line break") << QByteArray("BEGINDOC\rENDDOC") << "Ligne 1";
    }
    void badScripts()
    {
        QFETCH(QByteArray, script);
        QFETCH(QString, line);
        try {
            Preview::parseCommands(script.toStdString());
            QFAIL("the script was accepted");
        } catch (const std::runtime_error& error) {
            const QString message = QString::fromUtf8(error.what());
            QVERIFY2(message.contains(line), qPrintable(message));
        }
    }

    // The notice quotes the line in UTF-8 however it was written, and cut short.
    void unreadableLineIsQuotedReadably()
    {
        try {
            Preview::parseCommands("CAF\xC9|" + std::string(200, 'x'));
            QFAIL("the script was accepted");
        } catch (const std::runtime_error& error) {
            const QString message = QString::fromUtf8(error.what());
            QVERIFY2(message.contains(QStringLiteral("« CAFÉ|")), qPrintable(message));
            QVERIFY(message.size() < 150);
        }
    }
};

QTEST_APPLESS_MAIN(TestPreviewScript)
#include "tst_preview_script.moc"
