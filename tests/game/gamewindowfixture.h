#pragma once

// The game window of the window tests: the real TPendForm with the real
// configuration window (or, where that window is not the point, a plain
// stand-in), on a private copy of the fixture word base "game"
// (tests/game/words.tsv), with every sound cue and beep it asks for recorded.

#include "config/tcfgjeu.h"
#include "config/tspinedit.h"
#include "game/gamesound.h"
#include "game/tchecklistbox.h"
#include "game/tpendform.h"
#include "tests/config/formcontrol.h"
#include "tests/game/settingsstandin.h"
#include "tests/support/fixturebase.h"

#include <QCoreApplication>
#include <QDir>
#include <QEvent>
#include <QFrame>
#include <QList>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>

#include <functional>
#include <memory>
#include <string>
#include <vector>

// What the window sees when it gains or loses the activation.
inline void sendActivation(QWidget* window, bool active)
{
    QEvent event(active ? QEvent::WindowActivate : QEvent::WindowDeactivate);
    QCoreApplication::sendEvent(window, &event);
}

// What the window asks to hear, recorded; passed on to `player` when one is set.
class RecordingSound : public GameSound
{
public:
    QStringList cues;              // by name
    std::vector<std::string> said; // words, Windows-1252
    int beeps = 0;
    int closes = 0;
    GameSound* player = nullptr;
    // Called at each request, once it is recorded.
    std::function<void()> heard;

    void play(Cue cue) override
    {
        cues.append(QLatin1String(cueName(cue)));
        passOn([&] { player->play(cue); });
    }
    void beep() override
    {
        ++beeps;
        passOn([&] { player->beep(); });
    }
    void say(const std::string& windows1252Word) override
    {
        said.push_back(windows1252Word);
        passOn([&] { player->say(windows1252Word); });
    }
    void close() override
    {
        ++closes;
        passOn([&] { player->close(); });
    }

private:
    template <typename Request> void passOn(Request request)
    {
        if (heard)
            heard();
        if (player)
            request();
    }
};

class GameWindowFixture : public QObject
{
protected:
    // Once per test program: the embedded server stays bound to the data
    // folder it first started on.
    void prepareWordBase()
    {
        m_base = std::make_unique<FixtureBase>(QStringLiteral("game"));
        QVERIFY(m_base->isValid());
        QVERIFY(m_program.isValid());
        QVERIFY(QDir(m_program.path()).mkpath(QStringLiteral("res")));
    }

    // A new game window and configuration window; programDirectory (ending
    // with "/") holds their skin and settings file, by default a private
    // folder with an empty res/.
    void makeWindow(const QString& programDirectory = QString())
    {
        destroyWindow();
        m_standIn = SettingsStandIn();
        m_sound = RecordingSound();
        m_player.reset();
        const QString folder =
            programDirectory.isEmpty() ? m_program.path() + QLatin1Char('/') : programDirectory;
        m_form = std::make_unique<TPendForm>(m_sound, folder);
        // Owned by the game window, as in the program.
        m_cfg = std::make_unique<TCfgJeu>(m_form->wordQuery(), folder,
                                          folder + QStringLiteral("corbelet.ini"), m_form.get());
        m_form->setConfiguration(m_cfg.get());
        m_folder = folder;
    }

    // The window's requests also go to the sound player, with the files of
    // the configuration window's settings.
    GameSoundPlayer& playSounds()
    {
        m_player = std::make_unique<GameSoundPlayer>(m_folder);
        m_player->setSettings(m_cfg.get());
        m_sound.player = m_player.get();
        return *m_player;
    }

    // The window reads its settings from m_standIn instead of the
    // configuration window, where that window is not the point.
    void useStandIn() { m_form->setConfiguration(&m_standIn); }

    void destroyWindow()
    {
        // The configuration window borrows the game window's query.
        m_cfg.reset();
        m_form.reset();
    }

    // Shown, activated, its statistics panel closed; no cue recorded yet.
    void startGame()
    {
        m_form->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
        sendActivation(m_form.get(), true);
        QVERIFY(control<QFrame>(m_form, "paInfo")->isVisible());
        QTest::mouseClick(control<QPushButton>(m_form, "btValid"), Qt::LeftButton);
        QVERIFY(!control<QFrame>(m_form, "paInfo")->isVisible());
        m_sound.cues.clear();
    }

    // Words of lengths 4 to 25 within the given points.
    void selectPoints(int minimum, int maximum)
    {
        control<TSpinEdit>(m_cfg, "NbMotMin")->setValue(4);
        control<TSpinEdit>(m_cfg, "NbMotMax")->setValue(25);
        control<TSpinEdit>(m_cfg, "NbPointMax")->setValue(52);
        control<TSpinEdit>(m_cfg, "NbPointMin")->setValue(minimum);
        control<TSpinEdit>(m_cfg, "NbPointMax")->setValue(maximum);
        QCOMPARE(control<TSpinEdit>(m_cfg, "NbPointMin")->value(), minimum);
        QCOMPARE(control<TSpinEdit>(m_cfg, "NbPointMax")->value(), maximum);
    }
    void selectWord(int points) { selectPoints(points, points); }

    // The item of the letter list showing the symbol; null when none.
    QListWidgetItem* letterItem(const QString& symbol) const
    {
        const QList<QListWidgetItem*> items =
            control<TCheckListBox>(m_form, "ListeLettre")->findItems(symbol, Qt::MatchExactly);
        return items.isEmpty() ? nullptr : items.front();
    }

    // The cue names asked for, in order.
    QStringList cues() const { return m_sound.cues; }

    std::unique_ptr<FixtureBase> m_base;
    QTemporaryDir m_program;
    SettingsStandIn m_standIn; // outlives the window that may read it
    // Outlive the window that plays through them.
    std::unique_ptr<GameSoundPlayer> m_player;
    RecordingSound m_sound;
    QString m_folder;
    std::unique_ptr<TPendForm> m_form;
    std::unique_ptr<TCfgJeu> m_cfg;
};
