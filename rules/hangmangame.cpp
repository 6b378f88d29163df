#include "rules/hangmangame.h"

#include <string>

namespace {

using Kind = PickEffect::Kind;

PickEffect effect(Kind kind, std::string text = {})
{
    return PickEffect{.kind = kind, .text = std::move(text)};
}

PickEffect cueEffect(Cue cue)
{
    return PickEffect{.kind = Kind::Cue, .cue = cue};
}

} // namespace

void HangmanGame::NewWord(std::string_view storedWord, std::int32_t points, std::int32_t level)
{
    m_word.Mot = PlayedWord(storedWord);
    m_realSpelling = storedWord;
    m_wordPoints = 0;
    m_word.PointMot = points;
    m_word.LongueurMot = static_cast<std::int32_t>(m_word.Mot.size());
    m_word.LettreEssayee.fill(false);
    m_word.NbErreur = 0;
    m_word.NbEssai = 0;
    m_record.NbMotJoue += 1;
    m_record.Niveau = clampLevel(level);
    m_word.MotMasque.assign(m_word.Mot.size(), kHiddenLetter);
    m_finished = false;
}

void HangmanGame::MotGagne(std::int32_t gain, std::int32_t level)
{
    m_record.NbMotTrouve += 1;
    m_record.Score += gain * level;
    m_wordPoints = gain * level;
}

void HangmanGame::MotPerdu(std::int32_t points, std::int32_t level)
{
    m_record.Score -= points * level;
    m_wordPoints = -points * level;
    if (m_record.Score < 0)
        m_record.Score = 0;
}

PickOutcome HangmanGame::Pick(char letter)
{
    return apply(letter, true);
}

PickOutcome HangmanGame::TimeOut()
{
    return apply(kTimeOutLetter, false);
}

PickOutcome HangmanGame::apply(char letter, bool fromList)
{
    PickOutcome outcome;
    if (!acceptsPicks())
        return outcome;

    if (fromList) {
        const int code = static_cast<unsigned char>(letter);
        if (code >= WordInPlay::kFirstFlagCode && code <= WordInPlay::kLastFlagCode) {
            bool& tried =
                m_word.LettreEssayee[static_cast<std::size_t>(code - WordInPlay::kFirstFlagCode)];
            if (tried) {
                outcome.status = PickOutcome::Status::Repeated;
                outcome.effects = {effect(Kind::Beep), effect(Kind::RepeatedLetter)};
                return outcome;
            }
            tried = true;
        }
    }

    m_word.NbEssai += 1;

    bool found = false;
    for (std::size_t i = 0; i < m_word.Mot.size(); ++i) {
        if (m_word.Mot[i] != letter)
            continue;
        if (m_word.MotMasque[i] == letter)
            outcome.effects.push_back(effect(Kind::Beep));
        else
            m_word.MotMasque[i] = letter;
        found = true;
        outcome.effects.push_back(cueEffect(Cue::SonBonneLettre));
    }
    outcome.effects.push_back(effect(Kind::ShowMask));

    if (!found)
        m_word.NbErreur += 1;

    for (const Piece piece : piecesToShow(m_record.Niveau, m_word.NbErreur))
        outcome.effects.push_back(PickEffect{.kind = Kind::ShowPiece, .piece = piece});
    const std::int32_t limit = errorLimit(m_record.Niveau);

    if (!found && m_word.NbErreur != limit)
        outcome.effects.push_back(cueEffect(Cue::SonErreur));

    outcome.status = found ? PickOutcome::Status::Found : PickOutcome::Status::NotFound;
    if (m_word.NbErreur == limit) {
        MotPerdu(m_word.PointMot, m_record.Niveau);
        outcome.effects.push_back(cueEffect(Cue::SonPerdu));
        outcome.effects.push_back(effect(Kind::ShowInfo, "Perdu !\r\nC'\xE9tait : " + m_word.Mot));
        outcome.effects.push_back(effect(Kind::ClearWord));
        outcome.effects.push_back(effect(Kind::StopCountdown));
        outcome.status = PickOutcome::Status::Lost;
        m_finished = true;
    } else if (m_word.MotMasque == m_word.Mot) {
        // A lost word's display is already empty, so it is never also won.
        MotGagne(m_word.PointMot + 2 * (m_word.NbEssai - m_word.NbErreur), m_record.Niveau);
        outcome.effects.push_back(cueEffect(Cue::SonGagner));
        outcome.effects.push_back(
            effect(Kind::ShowInfo, "BRAVO !!!\r\nC'\xE9tait : " + m_word.Mot + "\r\n" +
                                       "Gagner en :" + std::to_string(m_word.NbEssai)));
        outcome.effects.push_back(effect(Kind::ClearWord));
        outcome.effects.push_back(effect(Kind::StopCountdown));
        outcome.status = PickOutcome::Status::Won;
        m_finished = true;
    }
    outcome.effects.push_back(effect(Kind::RefreshCounters));
    return outcome;
}
