#include "wordtool/vocabularyfile.h"

#include "text/windows1252.h"
#include "wordtool/listfile.h"
#include "wordtool/wordnames.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringDecoder>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

#include <algorithm>
#include <map>
#include <optional>
#include <stdexcept>

using WordCatalogue::GenreKind;
using WordCatalogue::WordType;

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
// Word types within word types: KDE-Edu files nest two levels.
constexpr int kMaxTypeDepth = 16;

// The KVTML word types the game has, with its names of type and genre.
struct SpecialType
{
    std::string_view kvtml;
    WordType type;
    std::optional<GenreKind> genre;
    std::string_view name; // the container's name in a written file
};
constexpr SpecialType kSpecialTypes[] = {
    {"noun", WordType::Noun, std::nullopt, "Nom"},
    {"noun male", WordType::Noun, GenreKind::Masculine, "Masculin"},
    {"noun female", WordType::Noun, GenreKind::Feminine, "Féminin"},
    {"noun neutral", WordType::Noun, GenreKind::Invariable, "Neutre"},
    {"verb", WordType::Verb, std::nullopt, "Verbe"},
    {"adjective", WordType::Adjective, std::nullopt, "Adjectif"},
    {"adverb", WordType::Adverb, std::nullopt, "Adverbe"},
};

bool endsWith(std::string_view path, std::string_view extension)
{
    return path.size() >= extension.size() &&
           QString::fromUtf8(path.substr(path.size() - extension.size()))
                   .compare(QString::fromUtf8(extension), Qt::CaseInsensitive) == 0;
}

// The Windows-1252 bytes of a text, or nothing when it holds a character the
// code page lacks.
std::optional<std::string> toWindows1252(const QString& text)
{
    std::string bytes;
    for (const char32_t character : text.toUcs4()) {
        const auto byte = Windows1252::fromUnicode(character);
        if (!byte)
            return std::nullopt;
        bytes += static_cast<char>(*byte);
    }
    return bytes;
}

// A line of a vocabulary file: its word, then its type, genre and hint, each
// checked as far as the file alone allows.
ListLine vocabularyLine(int number, const QString& word, const QString& type, const QString& genre,
                        const QString& hint)
{
    ListLine line;
    line.number = number;
    line.typeOptional = true;
    line.type = type.trimmed().toStdString();
    line.genre = genre.trimmed().toStdString();
    const QString trimmedWord = word.trimmed();
    if (const auto bytes = toWindows1252(trimmedWord)) {
        line.word = *bytes;
    } else {
        line.word = Windows1252::fromUtf8(trimmedWord.toStdString());
        line.rejection = "caractère impossible à jouer";
        return line;
    }
    // Line breaks and tabs within a hint are spaces: it shows on one line.
    QString shown = hint;
    for (QChar& character : shown) {
        if (character.unicode() < 0x20 ||
            (character.unicode() >= 0x7F && character.unicode() < 0xA0))
            character = u' ';
    }
    shown = shown.simplified();
    const auto hintBytes = toWindows1252(shown);
    if (!hintBytes)
        line.rejection = "indice : un caractère que le jeu ne peut afficher";
    else if (hintBytes->size() > WordCatalogue::kMaxHintBytes)
        line.rejection = "indice trop long (" + std::to_string(WordCatalogue::kMaxHintBytes) +
                         " caractères au plus)";
    else
        line.hint = *hintBytes;
    return line;
}

// ---------------------------------------------------------------- KVTML

struct Translation
{
    QString id;
    QString text;
    QString comment;
};

struct Entry
{
    QString id;
    bool inactive = false;
    std::vector<Translation> translations;
};

// The word type the <wordtypes> give an entry's translation.
struct TypedTranslation
{
    QString entry;
    QString translation; // empty: the entry as a whole
    const SpecialType* type = nullptr;
};

class KvtmlReader
{
public:
    explicit KvtmlReader(std::string_view bytes)
        : m_xml(QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())))
    {}

    VocabularyFile read()
    {
        if (!m_xml.readNextStartElement() || m_xml.name() != u"kvtml")
            throw failure("ce n'est pas un fichier KVTML");
        if (m_xml.attributes().value(QStringLiteral("version")).startsWith(u'1'))
            throw std::runtime_error("fichier KVTML 1, trop ancien : ouvrez-le dans Parley et "
                                     "enregistrez-le, il sera au format KVTML 2");
        while (m_xml.readNextStartElement()) {
            if (m_xml.name() == u"information")
                readInformation();
            else if (m_xml.name() == u"entries")
                readEntries();
            else if (m_xml.name() == u"wordtypes")
                readTypes(nullptr, 0);
            else
                m_xml.skipCurrentElement();
        }
        if (m_xml.hasError())
            throw failure(m_xml.errorString().toStdString());
        return lines();
    }

private:
    std::runtime_error failure(const std::string& reason) const
    {
        return std::runtime_error("fichier KVTML illisible, ligne " +
                                  std::to_string(m_xml.lineNumber()) + " : " + reason);
    }

    void readInformation()
    {
        while (m_xml.readNextStartElement()) {
            if (m_xml.name() == u"title")
                m_title =
                    m_xml.readElementText(QXmlStreamReader::IncludeChildElements).simplified();
            else
                m_xml.skipCurrentElement();
        }
    }

    void readEntries()
    {
        while (m_xml.readNextStartElement()) {
            if (m_xml.name() != u"entry") {
                m_xml.skipCurrentElement();
                continue;
            }
            if (m_entries.size() >= static_cast<std::size_t>(kMaxListLines))
                throw failure("trop d'entrées (" + std::to_string(kMaxListLines) + " au plus)");
            Entry entry;
            entry.id = m_xml.attributes().value(QStringLiteral("id")).toString();
            while (m_xml.readNextStartElement()) {
                if (m_xml.name() == u"inactive")
                    entry.inactive = m_xml.readElementText().trimmed() == u"true";
                else if (m_xml.name() == u"translation")
                    entry.translations.push_back(readTranslation());
                else
                    m_xml.skipCurrentElement();
            }
            m_entries.push_back(std::move(entry));
        }
    }

    Translation readTranslation()
    {
        Translation translation;
        translation.id = m_xml.attributes().value(QStringLiteral("id")).toString();
        while (m_xml.readNextStartElement()) {
            if (m_xml.name() == u"text")
                translation.text = m_xml.readElementText(QXmlStreamReader::IncludeChildElements);
            else if (m_xml.name() == u"comment")
                translation.comment = m_xml.readElementText(QXmlStreamReader::IncludeChildElements);
            else
                m_xml.skipCurrentElement();
        }
        return translation;
    }

    // A <wordtypes> or <container> element: its own type (or the one of the
    // container it lies in, for a kind the game lacks: "regular" verbs are
    // verbs) goes to the entries it lists.
    void readTypes(const SpecialType* outer, int depth)
    {
        if (depth > kMaxTypeDepth)
            throw failure("types de mots imbriqués trop profondément");
        const SpecialType* own = outer;
        std::vector<std::pair<QString, QString>> listed; // entry, translation
        while (m_xml.readNextStartElement()) {
            if (m_xml.name() == u"specialwordtype") {
                const QString kind = m_xml.readElementText().trimmed();
                const auto* found = std::find_if(
                    std::begin(kSpecialTypes), std::end(kSpecialTypes),
                    [&](const SpecialType& type) { return kind == QString::fromUtf8(type.kvtml); });
                if (found != std::end(kSpecialTypes))
                    own = found;
            } else if (m_xml.name() == u"container") {
                readTypes(own, depth + 1);
            } else if (m_xml.name() == u"entry") {
                const QString entry = m_xml.attributes().value(QStringLiteral("id")).toString();
                bool anyTranslation = false;
                while (m_xml.readNextStartElement()) {
                    if (m_xml.name() == u"translation") {
                        listed.emplace_back(
                            entry, m_xml.attributes().value(QStringLiteral("id")).toString());
                        anyTranslation = true;
                    }
                    m_xml.skipCurrentElement();
                }
                if (!anyTranslation)
                    listed.emplace_back(entry, QString());
            } else {
                m_xml.skipCurrentElement();
            }
        }
        if (own && depth > 0) {
            for (const auto& [entry, translation] : listed)
                m_types.push_back({entry, translation, own});
        }
    }

    VocabularyFile lines() const
    {
        // The innermost container comes first: its type (a noun's genre)
        // is the one kept.
        std::map<std::pair<QString, QString>, const SpecialType*> types;
        for (const TypedTranslation& typed : m_types)
            types.emplace(std::pair(typed.entry, typed.translation), typed.type);
        VocabularyFile file{ListFormat::Kvtml, m_title.toStdString(), {}};
        int number = 0;
        for (const Entry& entry : m_entries) {
            ++number;
            if (entry.inactive || entry.translations.empty() ||
                entry.translations.front().text.trimmed().isEmpty())
                continue;
            const Translation& word = entry.translations.front();
            QString hint =
                entry.translations.size() > 1 ? entry.translations[1].text.trimmed() : QString();
            if (hint.isEmpty())
                hint = word.comment;
            QString type;
            QString genre;
            auto found = types.find({entry.id, word.id});
            if (found == types.end())
                found = types.find({entry.id, QString()});
            if (found != types.end()) {
                type = QString::fromUtf8(TypeName(found->second->type));
                if (found->second->genre)
                    genre = QString::fromUtf8(GenreName(*found->second->genre));
            }
            file.lines.push_back(vocabularyLine(number, word.text, type, genre, hint));
        }
        return file;
    }

    QXmlStreamReader m_xml;
    QString m_title;
    std::vector<Entry> m_entries;
    std::vector<TypedTranslation> m_types;
};

// ---------------------------------------------------------------- CSV

// A column name of a header row as it is compared: lower case, without
// accents or blanks around.
QString plainColumnName(const QString& name)
{
    QString plain;
    for (const QChar character : name.trimmed().normalized(QString::NormalizationForm_D)) {
        if (character.category() != QChar::Mark_NonSpacing)
            plain += character.toLower();
    }
    return plain;
}

enum class Column
{
    Word,
    Type,
    Genre,
    Hint,
    Unnamed,
};

std::optional<Column> columnNamed(const QString& name)
{
    const QString plain = plainColumnName(name);
    if (plain == u"mot" || plain == u"mots")
        return Column::Word;
    if (plain == u"type")
        return Column::Type;
    if (plain == u"genre")
        return Column::Genre;
    if (plain == u"indice")
        return Column::Hint;
    return std::nullopt;
}

// The separator of a CSV text: of tab, ";" and ",", the one its first
// non-blank line holds most outside quotes (in that order when as many).
QChar separatorOf(const QString& text)
{
    qsizetype start = 0;
    while (start < text.size()) {
        qsizetype end = text.indexOf(u'\n', start);
        if (end < 0)
            end = text.size();
        const QStringView line = QStringView(text).mid(start, end - start);
        if (!line.trimmed().isEmpty()) {
            std::map<QChar, int> counts;
            bool quoted = false;
            for (const QChar character : line) {
                if (character == u'"')
                    quoted = !quoted;
                else if (!quoted)
                    ++counts[character];
            }
            QChar best = u';';
            int most = 0;
            for (const QChar candidate : {QChar(u'\t'), QChar(u';'), QChar(u',')}) {
                if (counts[candidate] > most) {
                    best = candidate;
                    most = counts[candidate];
                }
            }
            return best;
        }
        start = end + 1;
    }
    return u';';
}

struct CsvRow
{
    int line = 0;
    QStringList fields;
    bool unclosedQuote = false;
};

std::vector<CsvRow> csvRows(const QString& text, QChar separator)
{
    std::vector<CsvRow> rows;
    int line = 1;
    qsizetype index = 0;
    while (index < text.size()) {
        if (rows.size() >= static_cast<std::size_t>(kMaxListLines))
            throw std::runtime_error("trop de lignes (" + std::to_string(kMaxListLines) +
                                     " au plus)");
        CsvRow row;
        row.line = line;
        QString field;
        bool quoted = false;
        for (; index < text.size(); ++index) {
            const QChar character = text[index];
            if (quoted) {
                if (character == u'"' && index + 1 < text.size() && text[index + 1] == u'"') {
                    field += u'"';
                    ++index;
                } else if (character == u'"') {
                    quoted = false;
                } else {
                    if (character == u'\n')
                        ++line;
                    field += character;
                }
            } else if (character == u'"') {
                quoted = true;
            } else if (character == separator) {
                row.fields.append(field);
                field.clear();
            } else if (character == u'\n') {
                break;
            } else if (character != u'\r') {
                field += character;
            }
        }
        ++index; // past the line's end
        ++line;
        row.fields.append(field);
        row.unclosedQuote = quoted;
        rows.push_back(std::move(row));
    }
    return rows;
}

} // namespace

bool IsKvtml(std::string_view bytes)
{
    QXmlStreamReader xml(QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())));
    return xml.readNextStartElement() && xml.name() == u"kvtml";
}

VocabularyFile ReadKvtml(std::string_view bytes)
{
    return KvtmlReader(bytes).read();
}

std::vector<ListLine> ReadCsv(std::string_view bytes)
{
    if (bytes.starts_with(kByteOrderMark))
        bytes.remove_prefix(kByteOrderMark.size());
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = utf8.decode(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
    if (utf8.hasError())
        text = QString::fromStdString(Windows1252::toUtf8(bytes));

    std::vector<ListLine> lines;
    std::vector<Column> columns{Column::Word, Column::Type, Column::Genre, Column::Hint};
    bool first = true;
    for (const CsvRow& row : csvRows(text, separatorOf(text))) {
        if (std::all_of(row.fields.begin(), row.fields.end(),
                        [](const QString& field) { return field.trimmed().isEmpty(); }))
            continue;
        const auto reject = [&](const std::string& reason) {
            ListLine line;
            line.number = row.line;
            line.word = Windows1252::fromUtf8(row.fields.front().trimmed().toStdString());
            line.rejection = reason;
            lines.push_back(line);
        };
        if (std::exchange(first, false) &&
            std::any_of(row.fields.begin(), row.fields.end(),
                        [](const QString& field) { return columnNamed(field) == Column::Word; })) {
            // A header row: the columns it names, in its order.
            columns.clear();
            for (const QString& field : row.fields) {
                const auto column = columnNamed(field);
                if (!column && !field.trimmed().isEmpty()) {
                    reject("colonne inconnue « " + field.trimmed().toStdString() +
                           " » (mot, type, genre, indice)");
                    return lines;
                }
                if (column && std::find(columns.begin(), columns.end(), *column) != columns.end()) {
                    reject("colonne « " + field.trimmed().toStdString() + " » en double");
                    return lines;
                }
                // A column without a name is left aside.
                columns.push_back(column.value_or(Column::Unnamed));
            }
            continue;
        }
        if (row.unclosedQuote) {
            reject("guillemet ouvert et jamais fermé");
            continue;
        }
        std::map<Column, QString> fields;
        bool tooMany = false;
        for (qsizetype index = 0; index < row.fields.size(); ++index) {
            if (static_cast<std::size_t>(index) < columns.size())
                fields.emplace(columns[static_cast<std::size_t>(index)], row.fields[index]);
            else if (!row.fields[index].trimmed().isEmpty())
                tooMany = true;
        }
        if (tooMany) {
            reject("trop de colonnes (mot, type, genre, indice)");
            continue;
        }
        lines.push_back(vocabularyLine(row.line, fields[Column::Word], fields[Column::Type],
                                       fields[Column::Genre], fields[Column::Hint]));
    }
    return lines;
}

bool IsKvtmlName(std::string_view path)
{
    return endsWith(path, ".kvtml");
}

std::string KvtmlDocument(const std::string& title, const std::vector<VocabularyEntry>& entries)
{
    QByteArray document;
    QXmlStreamWriter xml(&document);
    xml.setAutoFormatting(true);
    xml.setAutoFormattingIndent(2);
    xml.writeStartDocument();
    xml.writeDTD(QStringLiteral(
        R"(<!DOCTYPE kvtml PUBLIC "kvtml2.dtd" "http://edu.kde.org/kvtml/kvtml2.dtd">)"));
    xml.writeStartElement(QStringLiteral("kvtml"));
    xml.writeAttribute(QStringLiteral("version"), QStringLiteral("2.0"));
    xml.writeStartElement(QStringLiteral("information"));
    xml.writeTextElement(QStringLiteral("generator"), QStringLiteral("corbelet-mots"));
    xml.writeTextElement(QStringLiteral("title"), QString::fromStdString(title));
    xml.writeEndElement();

    // The word, then its hint: two columns of one language.
    xml.writeStartElement(QStringLiteral("identifiers"));
    for (const char* id : {"0", "1"}) {
        xml.writeStartElement(QStringLiteral("identifier"));
        xml.writeAttribute(QStringLiteral("id"), QString::fromLatin1(id));
        xml.writeTextElement(QStringLiteral("locale"), QStringLiteral("fr"));
        xml.writeEndElement();
    }
    xml.writeEndElement();

    // Each entry as the KDE-Edu files have it: the hint is also the word's
    // comment, which the hangman game of KDE-Edu shows.
    xml.writeStartElement(QStringLiteral("entries"));
    for (std::size_t index = 0; index < entries.size(); ++index) {
        const VocabularyEntry& entry = entries[index];
        const QString hint = QString::fromStdString(entry.hint);
        xml.writeStartElement(QStringLiteral("entry"));
        xml.writeAttribute(QStringLiteral("id"), QString::number(index));
        xml.writeTextElement(QStringLiteral("inactive"), QStringLiteral("false"));
        xml.writeTextElement(QStringLiteral("inquery"), QStringLiteral("false"));
        xml.writeStartElement(QStringLiteral("translation"));
        xml.writeAttribute(QStringLiteral("id"), QStringLiteral("0"));
        xml.writeTextElement(QStringLiteral("text"), QString::fromStdString(entry.word));
        xml.writeTextElement(QStringLiteral("comment"), hint);
        xml.writeEndElement();
        if (!hint.isEmpty()) {
            xml.writeStartElement(QStringLiteral("translation"));
            xml.writeAttribute(QStringLiteral("id"), QStringLiteral("1"));
            xml.writeTextElement(QStringLiteral("text"), hint);
            xml.writeTextElement(QStringLiteral("comment"), QString());
            xml.writeEndElement();
        }
        xml.writeEndElement();
    }
    xml.writeEndElement();

    // The types: a container per type, the nouns' genres within the nouns'.
    const auto typed = [&](const SpecialType& special) {
        std::vector<std::size_t> found;
        for (std::size_t index = 0; index < entries.size(); ++index) {
            if (entries[index].type == special.type &&
                (special.type != WordType::Noun || entries[index].genre == special.genre))
                found.push_back(index);
        }
        return found;
    };
    const auto writeEntries = [&](const std::vector<std::size_t>& found) {
        for (const std::size_t index : found) {
            xml.writeStartElement(QStringLiteral("entry"));
            xml.writeAttribute(QStringLiteral("id"), QString::number(index));
            xml.writeEmptyElement(QStringLiteral("translation"));
            xml.writeAttribute(QStringLiteral("id"), QStringLiteral("0"));
            xml.writeEndElement();
        }
    };
    const bool anyType = std::any_of(entries.begin(), entries.end(),
                                     [](const VocabularyEntry& entry) { return entry.type; });
    if (anyType) {
        xml.writeStartElement(QStringLiteral("wordtypes"));
        for (const SpecialType& special : kSpecialTypes) {
            if (special.genre)
                continue; // within the nouns' container
            xml.writeStartElement(QStringLiteral("container"));
            xml.writeTextElement(QStringLiteral("name"), QString::fromUtf8(special.name));
            xml.writeTextElement(QStringLiteral("specialwordtype"),
                                 QString::fromUtf8(special.kvtml));
            writeEntries(typed(special));
            if (special.type == WordType::Noun) {
                for (const SpecialType& genre : kSpecialTypes) {
                    if (genre.type != WordType::Noun || !genre.genre)
                        continue;
                    xml.writeStartElement(QStringLiteral("container"));
                    xml.writeTextElement(QStringLiteral("name"), QString::fromUtf8(genre.name));
                    xml.writeTextElement(QStringLiteral("specialwordtype"),
                                         QString::fromUtf8(genre.kvtml));
                    writeEntries(typed(genre));
                    xml.writeEndElement();
                }
            }
            xml.writeEndElement();
        }
        xml.writeEndElement();
    }
    xml.writeEndElement();
    xml.writeEndDocument();
    return document.toStdString();
}
