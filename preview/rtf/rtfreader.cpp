#include "preview/rtf/rtfreader.h"

#include "text/windows1252.h"

#include <QColor>
#include <QFont>
#include <QString>
#include <QTextBlockFormat>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextOption>

#include <algorithm>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <unordered_map>
#include <vector>

namespace Rtf {
namespace {

constexpr int kDefaultHalfPoints = 24; // 12 pt, the size of text with no \fs
constexpr int kMinHalfPoints = 2;
constexpr int kMaxHalfPoints = 400;
constexpr int kMaxTwips = 31680;    // 22 inches: wider than any page
constexpr int kMaxColours = 1024;   // a colour table is a few dozen entries at most
constexpr int kMaxUnicodeSkip = 10; // \ucN: fallback characters after each \uN
constexpr int kMaxWordLetters = 32; // longest control word of the grammar
constexpr int kMaxParameterDigits = 10;
constexpr double kPixelsPerTwip = 96.0 / 1440.0;

enum class Destination
{
    Text,
    Skip,
    ColourTable,
};

struct CharacterState
{
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strike = false;
    int halfPoints = kDefaultHalfPoints;
    int colour = 0; // index into the colour table, 0 = automatic

    bool operator==(const CharacterState&) const = default;
};

struct ParagraphState
{
    Qt::Alignment alignment = Qt::AlignLeft;
    int leftIndent = 0; // all in twips
    int rightIndent = 0;
    int firstIndent = 0;
    int spaceBefore = 0;
    int spaceAfter = 0;

    bool operator==(const ParagraphState&) const = default;
};

struct GroupState
{
    Destination destination = Destination::Text;
    CharacterState character;
    ParagraphState paragraph;
    int unicodeSkip = 1;
};

enum class Word
{
    SkipDestination,
    ColourTable,
    Red,
    Green,
    Blue,
    Bold,
    Italic,
    Underline,
    UnderlineNone,
    Strike,
    FontSize,
    Colour,
    Plain,
    ParagraphDefault,
    Paragraph,
    Line,
    Tab,
    Cell,
    AlignCentre,
    AlignJustify,
    AlignRight,
    AlignLeft,
    LeftIndent,
    RightIndent,
    FirstIndent,
    SpaceAfter,
    SpaceBefore,
    Unicode,
    UnicodeSkip,
    Binary,
    Character, // a word that stands for one character (\bullet, \emdash…)
};

struct WordMeaning
{
    Word word;
    char16_t character = 0;
};

const std::unordered_map<std::string_view, WordMeaning>& controlWords()
{
    static const std::unordered_map<std::string_view, WordMeaning> words = {
        // Destinations whose content is not part of the text.
        {"fonttbl", {Word::SkipDestination}},
        {"filetbl", {Word::SkipDestination}},
        {"stylesheet", {Word::SkipDestination}},
        {"listtable", {Word::SkipDestination}},
        {"listoverridetable", {Word::SkipDestination}},
        {"revtbl", {Word::SkipDestination}},
        {"rsidtbl", {Word::SkipDestination}},
        {"info", {Word::SkipDestination}},
        {"pict", {Word::SkipDestination}},
        {"object", {Word::SkipDestination}},
        {"shp", {Word::SkipDestination}},
        {"header", {Word::SkipDestination}},
        {"headerl", {Word::SkipDestination}},
        {"headerr", {Word::SkipDestination}},
        {"headerf", {Word::SkipDestination}},
        {"footer", {Word::SkipDestination}},
        {"footerl", {Word::SkipDestination}},
        {"footerr", {Word::SkipDestination}},
        {"footerf", {Word::SkipDestination}},
        {"footnote", {Word::SkipDestination}},
        {"annotation", {Word::SkipDestination}},
        {"ftnsep", {Word::SkipDestination}},
        {"ftnsepc", {Word::SkipDestination}},
        {"aftnsep", {Word::SkipDestination}},
        {"aftnsepc", {Word::SkipDestination}},
        {"fldinst", {Word::SkipDestination}},
        {"themedata", {Word::SkipDestination}},
        {"colorschememapping", {Word::SkipDestination}},
        {"latentstyles", {Word::SkipDestination}},
        {"datastore", {Word::SkipDestination}},
        {"xmlnstbl", {Word::SkipDestination}},
        {"colortbl", {Word::ColourTable}},
        {"red", {Word::Red}},
        {"green", {Word::Green}},
        {"blue", {Word::Blue}},
        // Character formatting.
        {"b", {Word::Bold}},
        {"i", {Word::Italic}},
        {"ul", {Word::Underline}},
        {"uld", {Word::Underline}},
        {"uldb", {Word::Underline}},
        {"ulw", {Word::Underline}},
        {"ulth", {Word::Underline}},
        {"uldash", {Word::Underline}},
        {"ulwave", {Word::Underline}},
        {"ulnone", {Word::UnderlineNone}},
        {"strike", {Word::Strike}},
        {"fs", {Word::FontSize}},
        {"cf", {Word::Colour}},
        {"plain", {Word::Plain}},
        // Paragraphs.
        {"pard", {Word::ParagraphDefault}},
        {"par", {Word::Paragraph}},
        {"sect", {Word::Paragraph}},
        {"page", {Word::Paragraph}},
        {"row", {Word::Paragraph}},
        {"line", {Word::Line}},
        {"tab", {Word::Tab}},
        {"cell", {Word::Cell}},
        {"qc", {Word::AlignCentre}},
        {"qj", {Word::AlignJustify}},
        {"qr", {Word::AlignRight}},
        {"ql", {Word::AlignLeft}},
        {"li", {Word::LeftIndent}},
        {"ri", {Word::RightIndent}},
        {"fi", {Word::FirstIndent}},
        {"sa", {Word::SpaceAfter}},
        {"sb", {Word::SpaceBefore}},
        // Characters.
        {"u", {Word::Unicode}},
        {"uc", {Word::UnicodeSkip}},
        {"bin", {Word::Binary}},
        {"bullet", {Word::Character, u'\u2022'}},
        {"emdash", {Word::Character, u'\u2014'}},
        {"endash", {Word::Character, u'\u2013'}},
        {"emspace", {Word::Character, u'\u2003'}},
        {"enspace", {Word::Character, u'\u2002'}},
        {"qmspace", {Word::Character, u'\u2005'}},
        {"lquote", {Word::Character, u'\u2018'}},
        {"rquote", {Word::Character, u'\u2019'}},
        {"ldblquote", {Word::Character, u'\u201C'}},
        {"rdblquote", {Word::Character, u'\u201D'}},
    };
    return words;
}

bool isLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

int clampParameter(std::int64_t value, int low, int high)
{
    return static_cast<int>(std::clamp<std::int64_t>(value, low, high));
}

// One control word as read: its name (empty when too long to be one the reader
// knows) and its optional numeric parameter, already limited to ten digits.
struct ControlWord
{
    std::string_view name;
    bool hasParameter = false;
    std::int64_t parameter = 0;
};

class Reader
{
public:
    Reader(std::string_view data, QTextCursor& cursor) : m_data(data), m_cursor(cursor) {}

    void run()
    {
        std::size_t start = 0;
        if (m_data.substr(0, 3) == "\xEF\xBB\xBF")
            start = 3;
        while (start < m_data.size() && (m_data[start] == ' ' || m_data[start] == '\t' ||
                                         m_data[start] == '\r' || m_data[start] == '\n'))
            ++start;
        if (m_data.substr(start, 5) != "{\\rtf")
            throw std::runtime_error("Le document n'est pas au format RTF.");
        m_pos = start;
        m_cursor.setBlockFormat(blockFormat(m_state.paragraph));
        m_appliedParagraph = m_state.paragraph;

        while (m_pos < m_data.size()) {
            const char c = m_data[m_pos];
            if (c == '{') {
                ++m_pos;
                openGroup();
            } else if (c == '}') {
                ++m_pos;
                if (closeGroup())
                    break; // the outermost group is closed: the document ends here
            } else if (c == '\\') {
                ++m_pos;
                readControl();
            } else {
                ++m_pos;
                textByte(static_cast<unsigned char>(c));
            }
        }
        flush();
    }

private:
    void openGroup()
    {
        if (static_cast<int>(m_stack.size()) >= kMaxGroupDepth)
            throw std::runtime_error("Le document RTF imbrique trop de groupes.");
        flush();
        m_skipCount = 0;
        m_stack.push_back(m_state);
    }

    // Returns true when the group closed was the outermost one.
    bool closeGroup()
    {
        flush();
        m_skipCount = 0;
        if (m_state.destination == Destination::ColourTable)
            endColourEntry(false);
        if (m_stack.empty())
            return true;
        m_state = m_stack.back();
        m_stack.pop_back();
        applyParagraph();
        return m_stack.empty();
    }

    void readControl()
    {
        if (m_pos >= m_data.size())
            return; // a lone backslash at the end
        const char c = m_data[m_pos];
        if (!isLetter(c)) {
            ++m_pos;
            controlSymbol(c);
            return;
        }
        ControlWord word;
        const std::size_t nameStart = m_pos;
        while (m_pos < m_data.size() && isLetter(m_data[m_pos]))
            ++m_pos;
        if (m_pos - nameStart <= static_cast<std::size_t>(kMaxWordLetters))
            word.name = m_data.substr(nameStart, m_pos - nameStart);
        bool negative = false;
        if (m_pos + 1 < m_data.size() && m_data[m_pos] == '-' && isDigit(m_data[m_pos + 1])) {
            negative = true;
            ++m_pos;
        }
        int digits = 0;
        while (m_pos < m_data.size() && isDigit(m_data[m_pos])) {
            if (digits < kMaxParameterDigits)
                word.parameter = word.parameter * 10 + (m_data[m_pos] - '0');
            ++digits;
            ++m_pos;
        }
        word.hasParameter = digits > 0;
        if (negative)
            word.parameter = -word.parameter;
        if (m_pos < m_data.size() && m_data[m_pos] == ' ')
            ++m_pos; // the space that ends a control word belongs to it
        controlWord(word);
    }

    void controlSymbol(char c)
    {
        if (c == '\'') {
            int value = 0;
            int digits = 0;
            while (digits < 2 && m_pos < m_data.size() && hexValue(m_data[m_pos]) >= 0) {
                value = value * 16 + hexValue(m_data[m_pos]);
                ++digits;
                ++m_pos;
            }
            if (digits == 2)
                character(Windows1252::toUnicode(static_cast<unsigned char>(value)), true);
            return; // a truncated escape stands for nothing
        }
        if (consumeSkipped())
            return;
        switch (c) {
        case '\\':
        case '{':
        case '}':
            character(static_cast<char16_t>(c), false);
            break;
        case '~':
            character(u'\u00A0', false);
            break;
        case '-':
            character(u'\u00AD', false);
            break;
        case '_':
            character(u'\u2011', false);
            break;
        case '*':
            if (m_state.destination == Destination::Text)
                m_state.destination = Destination::Skip;
            break;
        case '\r':
        case '\n':
            paragraph();
            break;
        default:
            break; // a control symbol the reader does not know
        }
    }

    void controlWord(const ControlWord& word)
    {
        const auto& words = controlWords();
        const auto found = words.find(word.name);
        if (found != words.end() && found->second.word == Word::Binary) {
            // Raw bytes follow: skip them, whatever the destination, so that a
            // brace among them does not end a group.
            const std::int64_t length = std::max<std::int64_t>(word.parameter, 0);
            const std::size_t left = m_data.size() - m_pos;
            m_pos += static_cast<std::size_t>(std::min<std::int64_t>(length, left));
            consumeSkipped();
            return;
        }
        if (consumeSkipped())
            return;
        if (found == words.end() || m_state.destination == Destination::Skip)
            return;
        const WordMeaning meaning = found->second;
        if (m_state.destination == Destination::ColourTable) {
            colourWord(meaning.word, word);
            return;
        }

        const bool on = !word.hasParameter || word.parameter != 0;
        CharacterState& character = m_state.character;
        ParagraphState& paragraph = m_state.paragraph;
        switch (meaning.word) {
        case Word::SkipDestination:
            flush();
            m_state.destination = Destination::Skip;
            break;
        case Word::ColourTable:
            flush();
            m_state.destination = Destination::ColourTable;
            m_colours.clear();
            resetColourEntry();
            break;
        case Word::Red:
        case Word::Green:
        case Word::Blue:
            break; // only meaningful inside the colour table
        case Word::Bold:
            setCharacter(&CharacterState::bold, on);
            break;
        case Word::Italic:
            setCharacter(&CharacterState::italic, on);
            break;
        case Word::Underline:
            setCharacter(&CharacterState::underline, on);
            break;
        case Word::UnderlineNone:
            setCharacter(&CharacterState::underline, false);
            break;
        case Word::Strike:
            setCharacter(&CharacterState::strike, on);
            break;
        case Word::FontSize:
            setCharacter(&CharacterState::halfPoints,
                         word.hasParameter
                             ? clampParameter(word.parameter, kMinHalfPoints, kMaxHalfPoints)
                             : kDefaultHalfPoints);
            break;
        case Word::Colour:
            setCharacter(&CharacterState::colour, clampParameter(word.parameter, 0, kMaxColours));
            break;
        case Word::Plain:
            if (!(character == CharacterState())) {
                flush();
                character = CharacterState();
            }
            break;
        case Word::ParagraphDefault:
            paragraph = ParagraphState();
            applyParagraph();
            break;
        case Word::Paragraph:
            this->paragraph();
            break;
        case Word::Line:
            this->character(QChar::LineSeparator, false);
            break;
        case Word::Tab:
        case Word::Cell:
            this->character(u'\t', false);
            break;
        case Word::AlignCentre:
            setParagraph(&ParagraphState::alignment, Qt::AlignHCenter);
            break;
        case Word::AlignJustify:
            setParagraph(&ParagraphState::alignment, Qt::AlignJustify);
            break;
        case Word::AlignRight:
            setParagraph(&ParagraphState::alignment, Qt::AlignRight);
            break;
        case Word::AlignLeft:
            setParagraph(&ParagraphState::alignment, Qt::AlignLeft);
            break;
        case Word::LeftIndent:
            setParagraph(&ParagraphState::leftIndent,
                         clampParameter(word.parameter, -kMaxTwips, kMaxTwips));
            break;
        case Word::RightIndent:
            setParagraph(&ParagraphState::rightIndent,
                         clampParameter(word.parameter, -kMaxTwips, kMaxTwips));
            break;
        case Word::FirstIndent:
            setParagraph(&ParagraphState::firstIndent,
                         clampParameter(word.parameter, -kMaxTwips, kMaxTwips));
            break;
        case Word::SpaceAfter:
            setParagraph(&ParagraphState::spaceAfter, clampParameter(word.parameter, 0, kMaxTwips));
            break;
        case Word::SpaceBefore:
            setParagraph(&ParagraphState::spaceBefore,
                         clampParameter(word.parameter, 0, kMaxTwips));
            break;
        case Word::Unicode: {
            // The parameter is a signed 16-bit value: code points above 32767
            // are written negative.
            if (!word.hasParameter)
                break;
            std::int64_t value = word.parameter;
            if (value < 0)
                value += 65536;
            const char16_t unit =
                value >= 0 && value <= 0xFFFF ? static_cast<char16_t>(value) : u'\uFFFD';
            if (unit >= 0x20 || unit == u'\t')
                this->character(unit, false);  // control characters are not text
            m_skipCount = m_state.unicodeSkip; // the fallback that follows is not shown
            break;
        }
        case Word::UnicodeSkip:
            m_state.unicodeSkip = clampParameter(word.parameter, 0, kMaxUnicodeSkip);
            break;
        case Word::Character:
            this->character(meaning.character, false);
            break;
        case Word::Binary:
            break; // handled above
        }
    }

    // After \uN the next \ucN characters are the fallback of readers without
    // Unicode: each byte, escape, control symbol or word counts as one.
    bool consumeSkipped()
    {
        if (m_skipCount == 0)
            return false;
        --m_skipCount;
        return true;
    }

    template <typename T> void setCharacter(T CharacterState::*field, T value)
    {
        if (m_state.character.*field == value)
            return;
        flush();
        m_state.character.*field = value;
    }

    template <typename T, typename V> void setParagraph(T ParagraphState::*field, V value)
    {
        m_state.paragraph.*field = T(value);
        applyParagraph();
    }

    void textByte(unsigned char byte)
    {
        if (byte == '\r' || byte == '\n')
            return; // line breaks of the file are not text
        if (m_state.destination == Destination::ColourTable) {
            if (byte == ';')
                endColourEntry(true);
            return;
        }
        if (byte == '\t') {
            character(u'\t', true);
            return;
        }
        if (byte < 0x20)
            return;
        character(Windows1252::toUnicode(byte), true);
    }

    // A character of the text; `countsAsFallback` when it may be the fallback
    // of a preceding \uN (words and symbols are counted where they are read).
    void character(char16_t unit, bool countsAsFallback)
    {
        if (countsAsFallback && consumeSkipped())
            return;
        if (m_state.destination != Destination::Text)
            return;
        m_pending.append(QChar(unit));
    }

    void paragraph()
    {
        if (m_state.destination != Destination::Text)
            return;
        flush();
        m_cursor.insertBlock(blockFormat(m_state.paragraph), charFormat(m_state.character));
        m_appliedParagraph = m_state.paragraph;
    }

    void applyParagraph()
    {
        if (m_state.destination != Destination::Text || m_state.paragraph == m_appliedParagraph)
            return;
        flush();
        m_cursor.setBlockFormat(blockFormat(m_state.paragraph));
        m_appliedParagraph = m_state.paragraph;
    }

    void flush()
    {
        if (m_pending.isEmpty())
            return;
        // A surrogate without its partner (from a lone \uN) is not a character.
        for (qsizetype i = 0; i < m_pending.size(); ++i) {
            const QChar unit = m_pending.at(i);
            if (unit.isHighSurrogate() && i + 1 < m_pending.size() &&
                m_pending.at(i + 1).isLowSurrogate()) {
                ++i;
            } else if (unit.isSurrogate()) {
                m_pending[i] = QChar::ReplacementCharacter;
            }
        }
        m_cursor.insertText(m_pending, charFormat(m_state.character));
        m_pending.clear();
    }

    QTextCharFormat charFormat(const CharacterState& state) const
    {
        QTextCharFormat format;
        format.setFontWeight(state.bold ? QFont::Bold : QFont::Normal);
        format.setFontItalic(state.italic);
        format.setFontUnderline(state.underline);
        format.setFontStrikeOut(state.strike);
        format.setFontPointSize(state.halfPoints / 2.0);
        if (state.colour >= 0 && state.colour < static_cast<int>(m_colours.size()) &&
            m_colours[static_cast<std::size_t>(state.colour)].isValid())
            format.setForeground(m_colours[static_cast<std::size_t>(state.colour)]);
        return format;
    }

    static QTextBlockFormat blockFormat(const ParagraphState& state)
    {
        QTextBlockFormat format;
        format.setAlignment(state.alignment);
        format.setLeftMargin(std::max(0, state.leftIndent) * kPixelsPerTwip);
        format.setRightMargin(std::max(0, state.rightIndent) * kPixelsPerTwip);
        // A negative first-line indent hangs the first line out, never further
        // left than the page's edge.
        const int firstIndent = std::max(state.firstIndent, -std::max(0, state.leftIndent));
        format.setTextIndent(firstIndent * kPixelsPerTwip);
        format.setTopMargin(state.spaceBefore * kPixelsPerTwip);
        format.setBottomMargin(state.spaceAfter * kPixelsPerTwip);
        if (firstIndent < 0) {
            // As in a word processor, a hanging indent is also a tab stop, so that
            // "bullet, tab, text" lines the text up at the indent. Tab positions
            // count from the start of the first line.
            format.setTabPositions(
                {QTextOption::Tab(-firstIndent * kPixelsPerTwip, QTextOption::LeftTab)});
        }
        return format;
    }

    void colourWord(Word word, const ControlWord& control)
    {
        const int value = clampParameter(control.parameter, 0, 255);
        switch (word) {
        case Word::Red:
            m_red = value;
            break;
        case Word::Green:
            m_green = value;
            break;
        case Word::Blue:
            m_blue = value;
            break;
        default:
            return;
        }
        m_colourGiven = true;
    }

    void resetColourEntry()
    {
        m_red = m_green = m_blue = 0;
        m_colourGiven = false;
    }

    // An entry ends with its ";"; one without components is the automatic
    // colour (usually the first). An entry cut short by the end of the table
    // still counts when it gave a component.
    void endColourEntry(bool terminated)
    {
        if ((terminated || m_colourGiven) && static_cast<int>(m_colours.size()) < kMaxColours)
            m_colours.push_back(m_colourGiven ? QColor(m_red, m_green, m_blue) : QColor());
        resetColourEntry();
    }

    std::string_view m_data;
    std::size_t m_pos = 0;
    QTextCursor& m_cursor;
    GroupState m_state;
    std::vector<GroupState> m_stack;
    ParagraphState m_appliedParagraph;
    QString m_pending;
    int m_skipCount = 0;
    std::vector<QColor> m_colours;
    int m_red = 0;
    int m_green = 0;
    int m_blue = 0;
    bool m_colourGiven = false;
};

} // namespace

void read(std::string_view data, QTextCursor& cursor)
{
    Reader(data, cursor).run();
}

void load(std::string_view data, QTextDocument& document)
{
    document.clear();
    QTextCursor cursor(&document);
    read(data, cursor);
}

} // namespace Rtf
