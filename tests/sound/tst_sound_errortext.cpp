// The audio library's error texts, as the player shows them.

#include "sound/fmoderrors.h"

#include <QTest>

class TestSoundErrorText : public QObject
{
    Q_OBJECT

private slots:
    void knownCodes_data();
    void knownCodes();
    void otherCodes_data();
    void otherCodes();
};

void TestSoundErrorText::knownCodes_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<QByteArray>("text");
    const char* const texts[] = {
        "No errors",
        "Cannot call this command after FSOUND_Init.  Call FSOUND_Close first",
        "This command failed because FSOUND_Init was not called",
        "Error initializing output device",
        "The output device is already in use and cannot be reused",
        "Playing the sound failed",
        "Soundcard does not support the features needed for this soundsystem (16bit stereo output)",
        "Error setting cooperative level for hardware",
        "Error creating hardware sound buffer",
        "File not found",
        "Unknown file format",
        "Error loading file",
        "Not enough memory or resources",
        "The version number of this file format is not supported",
        "An invalid parameter was passed to this function",
        "Tried to use an EAX command on a non EAX enabled channel or output",
        "Failed to allocate a new channel",
        "Recording is not supported on this machine",
        "Required Mediaplayer codec is not installed",
    };
    int code = 0;
    for (const char* text : texts) {
        QTest::addRow("%d", code) << code << QByteArray(text);
        ++code;
    }
}

void TestSoundErrorText::knownCodes()
{
    QFETCH(int, code);
    QFETCH(QByteArray, text);
    QCOMPARE(QByteArray::fromStdString(SoundErrorText(code)), text);
}

void TestSoundErrorText::otherCodes_data()
{
    QTest::addColumn<int>("code");
    QTest::newRow("19") << 19;
    QTest::newRow("42") << 42;
    QTest::newRow("-1") << -1;
    QTest::newRow("int min") << std::numeric_limits<int>::min();
}

void TestSoundErrorText::otherCodes()
{
    QFETCH(int, code);
    QCOMPARE(SoundErrorText(code), std::string("Unknown error"));
}

QTEST_APPLESS_MAIN(TestSoundErrorText)
#include "tst_sound_errortext.moc"
