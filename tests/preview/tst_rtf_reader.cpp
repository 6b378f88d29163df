// The RTF reader on small documents: the text it yields and the formats it
// gives each run and paragraph, and its behaviour on broken or hostile input.

#include "preview/rtf/rtfreader.h"

#include <QFile>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include <stdexcept>
#include <string>

namespace {

// The text block by block, joined by "\n"; unlike toPlainText() it keeps
// line separators, no-break spaces and soft hyphens as they are.
QString text(const QTextDocument& document)
{
    QStringList blocks;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next())
        blocks << block.text();
    return blocks.join(u'\n');
}

QTextDocument* load(const std::string& rtf, QObject* parent)
{
    auto* document = new QTextDocument(parent);
    Rtf::load(rtf, *document);
    return document;
}

// The character format of the first character of `fragment`.
QTextCharFormat formatOf(const QTextDocument& document, const QString& fragment)
{
    const QTextCursor found = document.find(fragment);
    if (found.isNull())
        return QTextCharFormat();
    QTextCursor cursor(const_cast<QTextDocument*>(&document));
    cursor.setPosition(found.selectionStart() + 1);
    return cursor.charFormat();
}

QTextBlockFormat blockOf(const QTextDocument& document, const QString& fragment)
{
    return document.find(fragment).blockFormat();
}

} // namespace

class TestRtfReader : public QObject
{
    Q_OBJECT
private slots:
    void text_data()
    {
        QTest::addColumn<QByteArray>("rtf");
        QTest::addColumn<QString>("expected");
        QTest::newRow("plain") << QByteArray("{\\rtf1 Hello world}") << "Hello world";
        QTest::newRow("file line breaks are not text")
            << QByteArray("{\\rtf1 Hel\r\nlo}") << "Hello";
        QTest::newRow("paragraphs")
            << QByteArray("{\\rtf1 one\\par two\\par\r\nthree}") << "one\ntwo\nthree";
        QTest::newRow("backslash newline is a paragraph")
            << QByteArray("{\\rtf1 one\\\r\ntwo}") << "one\ntwo";
        QTest::newRow("line and tab")
            << QByteArray("{\\rtf1 a\\line b\\tab c}") << QString("a\u2028b\tc");
        QTest::newRow("escaped characters") << QByteArray("{\\rtf1 \\{x\\} \\\\ a\\~b\\-c\\_d}")
                                            << QString("{x} \\ a\u00A0b\u00ADc\u2011d");
        QTest::newRow("typographic words")
            << QByteArray("{\\rtf1 \\bullet\\emdash\\endash\\lquote\\rquote\\ldblquote\\rdblquote}")
            << QString("\u2022\u2014\u2013\u2018\u2019\u201C\u201D");
        QTest::newRow("Windows-1252 escapes")
            << QByteArray("{\\rtf1 caf\\'e9 \\'80 \\'9c\\'C7}") << QString("café € œÇ");
        QTest::newRow("raw Windows-1252 bytes") << QByteArray("{\\rtf1 caf\xE9}") << "café";
        QTest::newRow("unicode with fallback") << QByteArray("{\\rtf1 \\u233?t\\u233?}") << "été";
        QTest::newRow("unicode fallback as an escape")
            << QByteArray("{\\rtf1 \\u233\\'e9t\\u233\\'e9}") << "été";
        QTest::newRow("no fallback") << QByteArray("{\\rtf1\\uc0 \\u233 t}") << "ét";
        QTest::newRow("two-character fallback")
            << QByteArray("{\\rtf1\\uc2 \\u339 oex}") << QString("œx");
        QTest::newRow("fallback count is per group")
            << QByteArray("{\\rtf1 {\\uc0 \\u233 }\\u233?x}") << "ééx";
        QTest::newRow("fallback ends with its group")
            << QByteArray("{\\rtf1\\uc3 {\\u233}ab}") << "éab";
        QTest::newRow("negative unicode")
            << QByteArray("{\\rtf1 \\u-4064?}") << QString(QChar(0xF020));
        QTest::newRow("surrogate pair")
            << QByteArray("{\\rtf1 \\u-10179?\\u-8704?}") << QString::fromUcs4(U"\U0001F600", 1);
        QTest::newRow("lone surrogate")
            << QByteArray("{\\rtf1 a\\u-10179?b}") << QString("a\uFFFDb");
        QTest::newRow("unicode beyond 16 bits")
            << QByteArray("{\\rtf1 \\u99999999999999?x}") << QString("\uFFFDx");
        QTest::newRow("unicode control character") << QByteArray("{\\rtf1 a\\u0?b\\u7?c}") << "abc";
        QTest::newRow("unicode without a number") << QByteArray("{\\rtf1 a\\u b}") << "ab";
        QTest::newRow("skipped destinations")
            << QByteArray("{\\rtf1\\ansi{\\fonttbl{\\f0 Tahoma;}}{\\stylesheet{\\s1 Heading;}}"
                          "{\\info{\\title T}{\\author A}}{\\*\\generator Writer;}"
                          "{\\header H}{\\footer F}{\\pict\\pngblip 89504e47}"
                          "{\\*\\unknowndestination u}{\\field{\\*\\fldinst HYPERLINK x}"
                          "{\\fldrslt link}} body}")
            << "link body";
        QTest::newRow("nested groups") << QByteArray("{\\rtf1 a{b{c{d}e}f}g}") << "abcdefg";
        QTest::newRow("binary data with braces")
            << QByteArray("{\\rtf1 a{\\*\\blip\\bin4 {{{{}b}") << "ab";
        QTest::newRow("binary data longer than the file")
            << QByteArray("{\\rtf1 a\\bin99999 }}}") << "a";
        QTest::newRow("unknown control words")
            << QByteArray("{\\rtf1 \\frobnicate12 a\\zz-3 b\\!c}") << "abc";
        QTest::newRow("overlong control word")
            << QByteArray("{\\rtf1 \\" + QByteArray(100, 'b') + " x}") << "x";
        QTest::newRow("text after the document") << QByteArray("{\\rtf1 a}b{c}") << "a";
        QTest::newRow("groups left open") << QByteArray("{\\rtf1 a{\\b b{\\i c") << "abc";
        QTest::newRow("truncated escape at the end") << QByteArray("{\\rtf1 a\\'e") << "a";
        QTest::newRow("invalid escape") << QByteArray("{\\rtf1 a\\'zz}") << "azz";
        QTest::newRow("half escape") << QByteArray("{\\rtf1 a\\'4z}") << "az";
        QTest::newRow("lone backslash at the end") << QByteArray("{\\rtf1 a\\") << "a";
        QTest::newRow("leading white space and BOM")
            << QByteArray("\xEF\xBB\xBF \r\n{\\rtf1 a}") << "a";
        QTest::newRow("deep but allowed nesting")
            << QByteArray("{\\rtf1 " + QByteArray(Rtf::kMaxGroupDepth - 1, '{') + "x" +
                          QByteArray(Rtf::kMaxGroupDepth - 1, '}') + "}")
            << "x";
    }
    void text()
    {
        QFETCH(QByteArray, rtf);
        QFETCH(QString, expected);
        QTextDocument document;
        Rtf::load(rtf.toStdString(), document);
        QCOMPARE(::text(document), expected);
    }

    void refused_data()
    {
        QTest::addColumn<QByteArray>("rtf");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("plain text") << QByteArray("Hello");
        QTest::newRow("other markup") << QByteArray("<html>{\\rtf1 a}</html>");
        QTest::newRow("a million groups deep")
            << QByteArray("{\\rtf1 " + QByteArray(1000000, '{') + "x");
        QTest::newRow("one group too deep")
            << QByteArray("{\\rtf1 " + QByteArray(Rtf::kMaxGroupDepth, '{') + "x");
    }
    void refused()
    {
        QFETCH(QByteArray, rtf);
        QTextDocument document;
        QVERIFY_THROWS_EXCEPTION(std::runtime_error, Rtf::load(rtf.toStdString(), document));
    }

    void characterFormats()
    {
        QObject owner;
        const QTextDocument& d =
            *load("{\\rtf1{\\colortbl;\\red255\\green0\\blue0;\\red0\\green0\\blue128;}"
                  "normal {\\b bold} after \\b on\\b0  off \\i italic\\i0 "
                  "\\ul under\\ulnone  no\\ul0 \\strike struck\\strike0 "
                  "{\\fs40 big}{\\fs small}{\\fs999999999999 huge}{\\fs1 tiny} "
                  "\\cf1 red\\cf2 navy\\cf0 auto\\cf99 beyond "
                  "\\b\\i\\cf1\\fs30 every\\plain reset}",
                  &owner);
        QCOMPARE(formatOf(d, "normal").fontWeight(), int(QFont::Normal));
        QCOMPARE(formatOf(d, "bold").fontWeight(), int(QFont::Bold));
        QCOMPARE(formatOf(d, "after").fontWeight(), int(QFont::Normal));
        QCOMPARE(formatOf(d, "on").fontWeight(), int(QFont::Bold));
        QCOMPARE(formatOf(d, "off").fontWeight(), int(QFont::Normal));
        QVERIFY(formatOf(d, "italic").fontItalic());
        QVERIFY(formatOf(d, "under").fontUnderline());
        QVERIFY(!formatOf(d, "no").fontUnderline());
        QVERIFY(formatOf(d, "struck").fontStrikeOut());
        QVERIFY(!formatOf(d, "normal").fontStrikeOut());
        QCOMPARE(formatOf(d, "normal").fontPointSize(), 12.0);
        QCOMPARE(formatOf(d, "big").fontPointSize(), 20.0);
        QCOMPARE(formatOf(d, "small").fontPointSize(), 12.0);
        QCOMPARE(formatOf(d, "huge").fontPointSize(), 200.0);
        QCOMPARE(formatOf(d, "tiny").fontPointSize(), 1.0);
        QCOMPARE(formatOf(d, "red").foreground().color(), QColor(255, 0, 0));
        QCOMPARE(formatOf(d, "navy").foreground().color(), QColor(0, 0, 128));
        QCOMPARE(formatOf(d, "auto").foreground().style(), Qt::NoBrush);
        QCOMPARE(formatOf(d, "beyond").foreground().style(), Qt::NoBrush);
        const QTextCharFormat all = formatOf(d, "every");
        QVERIFY(all.fontItalic());
        QCOMPARE(all.fontWeight(), int(QFont::Bold));
        QCOMPARE(all.fontPointSize(), 15.0);
        QCOMPARE(all.foreground().color(), QColor(255, 0, 0));
        const QTextCharFormat reset = formatOf(d, "reset");
        QVERIFY(!reset.fontItalic());
        QCOMPARE(reset.fontWeight(), int(QFont::Normal));
        QCOMPARE(reset.fontPointSize(), 12.0);
        QCOMPARE(reset.foreground().style(), Qt::NoBrush);
    }

    // A group's formatting ends with it; an accent inside a bold word keeps the run.
    void formatsFollowGroups()
    {
        QObject owner;
        const QTextDocument& d = *load("{\\rtf1 {\\b d\\'e9j\\u224?{\\i ital}bold}plain}", &owner);
        QCOMPARE(::text(d), QString("déjàitalboldplain"));
        QCOMPARE(formatOf(d, "déjà").fontWeight(), int(QFont::Bold));
        QVERIFY(!formatOf(d, "déjà").fontItalic());
        QVERIFY(formatOf(d, "ital").fontItalic());
        QCOMPARE(formatOf(d, "ital").fontWeight(), int(QFont::Bold));
        QCOMPARE(formatOf(d, "bold").fontWeight(), int(QFont::Bold));
        QVERIFY(!formatOf(d, "bold").fontItalic());
        QCOMPARE(formatOf(d, "plain").fontWeight(), int(QFont::Normal));
    }

    void paragraphFormats()
    {
        QObject owner;
        const QTextDocument& d =
            *load("{\\rtf1\\qc centred\\par\\pard\\qj justified\\par\\qr right\\par\\ql left\\par"
                  "\\pard\\li1440\\ri720\\fi-360\\sb300\\sa150 indented\\par"
                  "\\pard after pard\\par"
                  "{\\qc grouped\\par}back\\par"
                  "\\li-999999999\\fi-999999999 clamped}",
                  &owner);
        QCOMPARE(blockOf(d, "centred").alignment(), Qt::AlignHCenter);
        QCOMPARE(blockOf(d, "justified").alignment(), Qt::AlignJustify);
        QCOMPARE(blockOf(d, "right").alignment(), Qt::AlignRight);
        QCOMPARE(blockOf(d, "left").alignment(), Qt::AlignLeft);
        const QTextBlockFormat indented = blockOf(d, "indented");
        QCOMPARE(indented.leftMargin(), 96.0); // 1440 twips = 1 inch = 96 px
        QCOMPARE(indented.rightMargin(), 48.0);
        QCOMPARE(indented.textIndent(), -24.0);
        QCOMPARE(indented.topMargin(), 20.0);
        QCOMPARE(indented.bottomMargin(), 10.0);
        QCOMPARE(indented.tabPositions().size(), 1); // the hanging indent is a tab stop
        QCOMPARE(indented.tabPositions().first().position, 24.0); // from the line's start
        const QTextBlockFormat reset = blockOf(d, "after pard");
        QCOMPARE(reset.leftMargin(), 0.0);
        QCOMPARE(reset.textIndent(), 0.0);
        QCOMPARE(reset.alignment(), Qt::AlignLeft);
        QCOMPARE(blockOf(d, "grouped").alignment(), Qt::AlignHCenter);
        QCOMPARE(blockOf(d, "back").alignment(), Qt::AlignLeft);
        // Negative indents never push text off the page.
        QCOMPARE(blockOf(d, "clamped").leftMargin(), 0.0);
        QCOMPARE(blockOf(d, "clamped").textIndent(), 0.0);
    }

    // Reading at a cursor adds to what the document holds.
    void readAtCursor()
    {
        QTextDocument document;
        QTextCursor cursor(&document);
        cursor.insertText(QStringLiteral("before "));
        Rtf::read("{\\rtf1 {\\b inserted}}", cursor);
        QCOMPARE(document.toPlainText(), QStringLiteral("before inserted"));
        QCOMPARE(formatOf(document, "inserted").fontWeight(), int(QFont::Bold));
    }

    // The rules document shipped with the game.
    void rulesDocument()
    {
        QFile file(QStringLiteral(CORBELET_SOURCE_DIR "/res/Pendu.rtf"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray data = file.readAll();
        for (const char byte : data)
            QVERIFY2(static_cast<unsigned char>(byte) < 0x80, "the file is plain ASCII");
        QTextDocument document;
        Rtf::load(data.toStdString(), document);
        const QTextBlock title = document.begin();
        QCOMPARE(title.text(), QStringLiteral("Corbelet \u2014 le jeu du pendu"));
        QCOMPARE(title.blockFormat().alignment(), Qt::AlignHCenter);
        QTextCursor cursor(title);
        cursor.setPosition(title.position() + 1);
        QCOMPARE(cursor.charFormat().fontWeight(), int(QFont::Bold));
        const QString all = document.toPlainText();
        for (const char* expected :
             {"Commencer", "Suivant >>", "28 symboles", "trait d'union", "apostrophe", "10 erreurs",
              "8 erreurs", "6 erreurs", "(10 + 2 × 5) × 2 = 40 points", "ne descend jamais sous 0",
              "Désactiver sons", "Sons par défaut", "Sauver"})
            QVERIFY2(all.contains(QString::fromUtf8(expected)), expected);
        QVERIFY(!all.contains(u'\\'));
        QVERIFY(!all.contains(QStringLiteral("Tahoma"))); // the font table stays hidden
        QCOMPARE(formatOf(document, "Commencer").fontWeight(), int(QFont::Bold));
    }
};

QTEST_MAIN(TestRtfReader)
#include "tst_rtf_reader.moc"
