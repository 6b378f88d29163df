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
    Reader(std::string_view data, QTextCursor& cursor) : data_(data), cursor_(cursor) {}

    void run()
    {
        std::size_t start = 0;
        if (data_.substr(0, 3) == "\xEF\xBB\xBF")
            start = 3;
        while (start < data_.size() && (data_[start] == ' ' || data_[start] == '\t' ||
                                        data_[start] == '\r' || data_[start] == '\n'))
            ++start;
        if (data_.substr(start, 5) != "{\\rtf")
            throw std::runtime_error("Le document n'est pas au format RTF.");
        pos_ = start;
        cursor_.setBlockFormat(blockFormat(state_.paragraph));
        appliedParagraph_ = state_.paragraph;

        while (pos_ < data_.size()) {
            const char c = data_[pos_];
            if (c == '{') {
                ++pos_;
                openGroup();
            } else if (c == '}') {
                ++pos_;
                if (closeGroup())
                    break; // the outermost group is closed: the document ends here
            } else if (c == '\\') {
                ++pos_;
                readControl();
            } else {
                ++pos_;
                textByte(static_cast<unsigned char>(c));
            }
        }
        flush();
    }

private:
    void openGroup()
    {
        if (static_cast<int>(stack_.size()) >= kMaxGroupDepth)
            throw std::runtime_error("Le document RTF imbrique trop de groupes.");
        flush();
        skipCount_ = 0;
        stack_.push_back(state_);
    }

    // Returns true when the group closed was the outermost one.
    bool closeGroup()
    {
        flush();
        skipCount_ = 0;
        if (state_.destination == Destination::ColourTable)
            endColourEntry(false);
        if (stack_.empty())
            return true;
        state_ = stack_.back();
        stack_.pop_back();
        applyParagraph();
        return stack_.empty();
    }

    void readControl()
    {
        if (pos_ >= data_.size())
            return; // a lone backslash at the end
        const char c = data_[pos_];
        if (!isLetter(c)) {
            ++pos_;
            controlSymbol(c);
            return;
        }
        ControlWord word;
        const std::size_t nameStart = pos_;
        while (pos_ < data_.size() && isLetter(data_[pos_]))
            ++pos_;
        if (pos_ - nameStart <= static_cast<std::size_t>(kMaxWordLetters))
            word.name = data_.substr(nameStart, pos_ - nameStart);
        bool negative = false;
        if (pos_ + 1 < data_.size() && data_[pos_] == '-' && isDigit(data_[pos_ + 1])) {
            negative = true;
            ++pos_;
        }
        int digits = 0;
        while (pos_ < data_.size() && isDigit(data_[pos_])) {
            if (digits < kMaxParameterDigits)
                word.parameter = word.parameter * 10 + (data_[pos_] - '0');
            ++digits;
            ++pos_;
        }
        word.hasParameter = digits > 0;
        if (negative)
            word.parameter = -word.parameter;
        if (pos_ < data_.size() && data_[pos_] == ' ')
            ++pos_; // the space that ends a control word belongs to it
        controlWord(word);
    }

    void controlSymbol(char c)
    {
        if (c == '\'') {
            int value = 0;
            int digits = 0;
            while (digits < 2 && pos_ < data_.size() && hexValue(data_[pos_]) >= 0) {
                value = value * 16 + hexValue(data_[pos_]);
                ++digits;
                ++pos_;
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
            if (state_.destination == Destination::Text)
                state_.destination = Destination::Skip;
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
            const std::size_t left = data_.size() - pos_;
            pos_ += static_cast<std::size_t>(std::min<std::int64_t>(length, left));
            consumeSkipped();
            return;
        }
        if (consumeSkipped())
            return;
        if (found == words.end() || state_.destination == Destination::Skip)
            return;
        const WordMeaning meaning = found->second;
        if (state_.destination == Destination::ColourTable) {
            colourWord(meaning.word, word);
            return;
        }

        const bool on = !word.hasParameter || word.parameter != 0;
        CharacterState& character = state_.character;
        ParagraphState& paragraph = state_.paragraph;
        switch (meaning.word) {
        case Word::SkipDestination:
            flush();
            state_.destination = Destination::Skip;
            break;
        case Word::ColourTable:
            flush();
            state_.destination = Destination::ColourTable;
            colours_.clear();
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
                this->character(unit, false); // control characters are not text
            skipCount_ = state_.unicodeSkip;  // the fallback that follows is not shown
            break;
        }
        case Word::UnicodeSkip:
            state_.unicodeSkip = clampParameter(word.parameter, 0, kMaxUnicodeSkip);
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
        if (skipCount_ == 0)
            return false;
        --skipCount_;
        return true;
    }

    template <typename T> void setCharacter(T CharacterState::*field, T value)
    {
        if (state_.character.*field == value)
            return;
        flush();
        state_.character.*field = value;
    }

    template <typename T, typename V> void setParagraph(T ParagraphState::*field, V value)
    {
        state_.paragraph.*field = T(value);
        applyParagraph();
    }

    void textByte(unsigned char byte)
    {
        if (byte == '\r' || byte == '\n')
            return; // line breaks of the file are not text
        if (state_.destination == Destination::ColourTable) {
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
        if (state_.destination != Destination::Text)
            return;
        pending_.append(QChar(unit));
    }

    void paragraph()
    {
        if (state_.destination != Destination::Text)
            return;
        flush();
        cursor_.insertBlock(blockFormat(state_.paragraph), charFormat(state_.character));
        appliedParagraph_ = state_.paragraph;
    }

    void applyParagraph()
    {
        if (state_.destination != Destination::Text || state_.paragraph == appliedParagraph_)
            return;
        flush();
        cursor_.setBlockFormat(blockFormat(state_.paragraph));
        appliedParagraph_ = state_.paragraph;
    }

    void flush()
    {
        if (pending_.isEmpty())
            return;
        // A surrogate without its partner (from a lone \uN) is not a character.
        for (qsizetype i = 0; i < pending_.size(); ++i) {
            const QChar unit = pending_.at(i);
            if (unit.isHighSurrogate() && i + 1 < pending_.size() &&
                pending_.at(i + 1).isLowSurrogate()) {
                ++i;
            } else if (unit.isSurrogate()) {
                pending_[i] = QChar::ReplacementCharacter;
            }
        }
        cursor_.insertText(pending_, charFormat(state_.character));
        pending_.clear();
    }

    QTextCharFormat charFormat(const CharacterState& state) const
    {
        QTextCharFormat format;
        format.setFontWeight(state.bold ? QFont::Bold : QFont::Normal);
        format.setFontItalic(state.italic);
        format.setFontUnderline(state.underline);
        format.setFontStrikeOut(state.strike);
        format.setFontPointSize(state.halfPoints / 2.0);
        if (state.colour >= 0 && state.colour < static_cast<int>(colours_.size()) &&
            colours_[static_cast<std::size_t>(state.colour)].isValid())
            format.setForeground(colours_[static_cast<std::size_t>(state.colour)]);
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
            red_ = value;
            break;
        case Word::Green:
            green_ = value;
            break;
        case Word::Blue:
            blue_ = value;
            break;
        default:
            return;
        }
        colourGiven_ = true;
    }

    void resetColourEntry()
    {
        red_ = green_ = blue_ = 0;
        colourGiven_ = false;
    }

    // An entry ends with its ";"; one without components is the automatic
    // colour (usually the first). An entry cut short by the end of the table
    // still counts when it gave a component.
    void endColourEntry(bool terminated)
    {
        if ((terminated || colourGiven_) && static_cast<int>(colours_.size()) < kMaxColours)
            colours_.push_back(colourGiven_ ? QColor(red_, green_, blue_) : QColor());
        resetColourEntry();
    }

    std::string_view data_;
    std::size_t pos_ = 0;
    QTextCursor& cursor_;
    GroupState state_;
    std::vector<GroupState> stack_;
    ParagraphState appliedParagraph_;
    QString pending_;
    int skipCount_ = 0;
    std::vector<QColor> colours_;
    int red_ = 0;
    int green_ = 0;
    int blue_ = 0;
    bool colourGiven_ = false;
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
