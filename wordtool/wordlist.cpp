#include "wordtool/wordlist.h"

#include "rules/wordrules.h"
#include "rules/wordvalue.h"
#include "text/windows1252.h"
#include "wordstore/wordlists.h"
#include "wordstore/wordstore.h"
#include "wordtool/wordnames.h"

#include <QList>
#include <QString>
#include <QStringDecoder>

#include <algorithm>
#include <functional>
#include <limits>

using WordCatalogue::GenreKind;
using WordCatalogue::ListWordRow;
using WordCatalogue::WordRow;
using WordCatalogue::WordType;

namespace {

constexpr std::pair<std::string_view, WordType> kTypeNames[] = {{"nom", WordType::Noun},
                                                                {"adjectif", WordType::Adjective},
                                                                {"adverbe", WordType::Adverb},
                                                                {"verbe", WordType::Verb}};
// Without accents: "féminin" and "feminin" are alike.
constexpr std::pair<std::string_view, GenreKind> kGenreNames[] = {
    {"masculin", GenreKind::Masculine},
    {"feminin", GenreKind::Feminine},
    {"epicene", GenreKind::Invariable},
    // the game's own name for the epicene genre
    {"invariable", GenreKind::Invariable}};

// Windows-1252 lower case: A–Z and the accented capitals.
std::string lowerCase(std::string_view text)
{
    std::string lower(text);
    for (char& byte : lower) {
        const auto code = static_cast<unsigned char>(byte);
        if ((code >= 'A' && code <= 'Z') || (code >= 0xC0 && code <= 0xDE && code != 0xD7))
            byte = static_cast<char>(code + 0x20);
        else if (code == 0x8A || code == 0x8C || code == 0x8E)
            byte = static_cast<char>(code + 0x10);
        else if (code == 0x9F)
            byte = static_cast<char>(0xFF);
    }
    return lower;
}

// A type or genre name as it is compared: lower case, without accents.
std::string plainName(std::string_view utf8)
{
    return lowerCase(SansAccent(Windows1252::fromUtf8(utf8)));
}

std::string trimmed(std::string_view text)
{
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
    while (!text.empty() && blank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && blank(text.back()))
        text.remove_suffix(1);
    return std::string(text);
}

// The Windows-1252 bytes of a UTF-8 line, or nothing when it holds a
// character the code page lacks.
std::optional<std::string> toWindows1252(const QString& line)
{
    std::string bytes;
    for (const char32_t character : line.toUcs4()) {
        const auto byte = Windows1252::fromUnicode(character);
        if (!byte)
            return std::nullopt;
        bytes += static_cast<char>(*byte);
    }
    return bytes;
}

std::vector<std::string> splitLines(const std::string& text)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

std::vector<std::string> splitFields(const std::string& line)
{
    std::vector<std::string> fields;
    std::size_t start = 0;
    while (true) {
        const std::size_t tab = line.find('\t', start);
        fields.push_back(trimmed(line.substr(start, tab - start)));
        if (tab == std::string::npos)
            return fields;
        start = tab + 1;
    }
}

template <typename Value, std::size_t N>
std::optional<Value> named(const std::pair<std::string_view, Value> (&names)[N],
                           std::string_view utf8)
{
    const std::string plain = plainName(utf8);
    for (const auto& [name, value] : names) {
        if (plain == name)
            return value;
    }
    return std::nullopt;
}

// The words added so far, by word and type, so that a large import looks each
// line up in logarithmic time.
using WordKeys = std::set<std::pair<std::string, std::int32_t>>;

WordKeys keysOf(const std::vector<WordRow>& rows)
{
    WordKeys keys;
    for (const WordRow& row : rows)
        keys.emplace(row.text, row.type);
    return keys;
}

// Whether `keys` hold the word, of that type when one is given.
bool holds(const WordKeys& keys, const std::string& word, std::optional<std::int32_t> type)
{
    if (type)
        return keys.contains({word, *type});
    const auto next = keys.lower_bound({word, std::numeric_limits<std::int32_t>::min()});
    return next != keys.end() && next->first == word;
}

// Whether the list (the shipped words less `removed`, then the added words)
// holds the word, of that type when one is given.
bool inList(const std::multimap<std::string, WordRow>& shipped, const WordKeys& added,
            const std::set<std::string>& removed, const std::string& word,
            std::optional<std::int32_t> type)
{
    if (!removed.contains(word)) {
        const auto [first, last] = shipped.equal_range(word);
        if (std::any_of(first, last,
                        [&](const auto& entry) { return !type || entry.second.type == *type; }))
            return true;
    }
    return holds(added, word, type);
}

} // namespace

std::optional<WordType> TypeFromName(std::string_view name)
{
    return named(kTypeNames, name);
}

std::vector<ListLine> ReadListFile(const std::string& bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = utf8.decode(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
    const bool isUtf8 = !utf8.hasError();

    std::vector<ListLine> lines;
    int number = 0;
    for (const std::string& raw : splitLines(bytes)) {
        ++number;
        std::string line = raw;
        if (number == 1 && line.starts_with("\xEF\xBB\xBF"))
            line.erase(0, 3);
        const std::string content = trimmed(line);
        if (content.empty() || content.starts_with('#'))
            continue;
        ListLine read;
        read.number = number;
        std::optional<std::string> decoded = line;
        if (isUtf8)
            decoded = toWindows1252(QString::fromUtf8(line.data(), qsizetype(line.size())));
        if (!decoded) {
            read.word = Windows1252::fromUtf8(content);
            read.rejection = "caractère impossible à jouer";
            lines.push_back(read);
            continue;
        }
        const std::vector<std::string> fields = splitFields(*decoded);
        read.word = fields[0];
        if (fields.size() > 1)
            read.type = Windows1252::toUtf8(fields[1]);
        if (fields.size() > 2)
            read.genre = Windows1252::toUtf8(fields[2]);
        if (fields.size() > 3)
            read.rejection = "trop de colonnes (mot, type, genre)";
        lines.push_back(read);
    }
    return lines;
}

std::vector<WordRow> ReadWordRows(TWordStore& store, std::string_view table)
{
    TWordQuery query(store);
    std::vector<WordRow> words;
    query.SetSQL(WordCatalogue::wordRowsStatement(table));
    for (query.Open(); !query.Eof(); query.Next()) {
        words.push_back({query.FindField(WordCatalogue::kWordText).AsString(),
                         query.FindField(WordCatalogue::kWordLength).AsInteger(),
                         query.FindField(WordCatalogue::kWordPoints).AsInteger(),
                         query.FindField(WordCatalogue::kWordType).AsInteger(),
                         query.FindField(WordCatalogue::kWordGenre).AsInteger()});
    }
    return words;
}

WordList::WordList(TWordStore& store)
{
    for (WordRow& word : ReadWordRows(store, WordCatalogue::kShippedWordTable))
        m_shipped.emplace(word.text, std::move(word));
    m_added = ReadWordRows(store, WordCatalogue::kAddedWordTable);
    TWordQuery query(store);
    query.SetSQL(WordCatalogue::listWordRowsStatement());
    for (query.Open(); !query.Eof(); query.Next()) {
        m_listWords.push_back({query.FindField(WordCatalogue::kListName).AsString(),
                               {query.FindField(WordCatalogue::kWordText).AsString(),
                                query.FindField(WordCatalogue::kWordLength).AsInteger(),
                                query.FindField(WordCatalogue::kWordPoints).AsInteger(),
                                query.FindField(WordCatalogue::kWordType).AsInteger(),
                                query.FindField(WordCatalogue::kWordGenre).AsInteger()}});
    }
    m_played = ReadPlayedList(store);
    // A base made before hints existed has none; save() makes their table.
    query.SetSQL(WordCatalogue::hintTableCountStatement());
    query.Open();
    if (query.FindField(WordCatalogue::kCountColumn).AsInteger() != 0) {
        query.SetSQL(WordCatalogue::hintRowsStatement());
        for (query.Open(); !query.Eof(); query.Next())
            m_hints[{query.FindField(WordCatalogue::kListName).AsString(),
                     query.FindField(WordCatalogue::kWordText).AsString()}] =
                query.FindField(WordCatalogue::kHintText).AsString();
    }
    query.SetSQL(WordCatalogue::removedWordsStatement());
    for (query.Open(); !query.Eof(); query.Next())
        m_removed.insert(query.FindField(WordCatalogue::kWordText).AsString());
    for (const auto& [name, kind] : kGenreNames) {
        if (m_genres.contains(kind))
            continue; // a second name of the same genre
        const std::vector<std::string> lines = WordCatalogue::genreIdentifiersStatement(kind);
        query.SetSQL(lines.front());
        for (std::size_t index = 1; index < lines.size(); ++index)
            query.AddSQL(lines[index]);
        for (query.Open(); !query.Eof(); query.Next())
            m_genres[kind].push_back(query.FindField(WordCatalogue::kGenreId).AsString());
    }
}

std::vector<std::string> WordList::genreIdentifiers(std::string_view name) const
{
    const auto kind = named(kGenreNames, name);
    if (!kind)
        return {};
    const auto found = m_genres.find(*kind);
    return found == m_genres.end() ? std::vector<std::string>{} : found->second;
}

std::optional<WordList::CheckedLine> WordList::check(const ListLine& line,
                                                     ImportResult& result) const
{
    const std::string word = lowerCase(SpelledOutWord(line.word));
    const auto reject = [&](std::string reason) {
        result.rejections.push_back({line.number, Windows1252::toUtf8(line.word), reason});
        return std::nullopt;
    };
    if (!line.rejection.empty())
        return reject(line.rejection);
    if (word.size() > WordCatalogue::kMaxWordBytes)
        return reject("mot trop long (" + std::to_string(WordCatalogue::kMaxWordBytes) +
                      " caractères au plus)");
    if (!IsWinnable(word))
        return reject("mot impossible à jouer (seuls comptent les lettres, le tiret et "
                      "l'apostrophe, entre deux lettres)");
    std::optional<WordType> type;
    if (!line.type.empty() && !(type = TypeFromName(line.type)))
        return reject("type inconnu « " + line.type + " » (nom, adjectif, adverbe ou verbe)");
    std::optional<std::int32_t> genre;
    if (!line.genre.empty()) {
        const std::vector<std::string> identifiers = genreIdentifiers(line.genre);
        if (identifiers.empty())
            return reject("genre inconnu « " + line.genre + " » (masculin, féminin ou épicène)");
        genre = std::stoi(identifiers.front());
    }
    return CheckedLine{word, type, genre};
}

std::optional<WordRow> WordList::newWord(const ListLine& line, const CheckedLine& checked,
                                         ImportResult& result) const
{
    const auto reject = [&](std::string reason) {
        result.rejections.push_back({line.number, Windows1252::toUtf8(line.word), reason});
        return std::nullopt;
    };
    if (!checked.type && line.typeOptional) {
        ++result.untyped;
        return WordRow{checked.word, static_cast<std::int32_t>(checked.word.size()),
                       WordPoints(checked.word), WordCatalogue::kUntypedType, 0};
    }
    if (!checked.type)
        return reject("mot absent de la base livrée : indiquez son type et son genre");
    std::optional<std::int32_t> genre = checked.genre;
    if (!genre && line.typeOptional)
        genre = 0; // no genre: every genre filter lets it through
    if (*checked.type == WordType::Verb)
        genre = WordCatalogue::kVerbGenre;
    else if (*checked.type == WordType::Adverb && !genre && !genreIdentifiers("epicene").empty())
        genre = std::stoi(genreIdentifiers("epicene").front());
    if (!genre)
        return reject("genre manquant : le mot n'est pas dans la base livrée (masculin, féminin "
                      "ou épicène)");
    return WordRow{checked.word, static_cast<std::int32_t>(checked.word.size()),
                   WordPoints(checked.word), static_cast<std::int32_t>(*checked.type), *genre};
}

ImportResult WordList::import(const std::vector<ListLine>& lines)
{
    ImportResult result;
    std::vector<WordRow> added = m_added;
    WordKeys addedKeys = keysOf(added);
    std::set<std::string> removed = m_removed;
    std::map<std::pair<std::string, std::string>, std::string> hints = m_hints;
    for (const ListLine& line : lines) {
        const std::optional<CheckedLine> checked = check(line, result);
        if (!checked)
            continue;
        const std::string& word = checked->word;
        if (!line.hint.empty())
            hints[{std::string(), word}] = line.hint;
        // Against the list as this import leaves it so far.
        if (inList(m_shipped, addedKeys, removed, word, checked->typeCode())) {
            ++result.duplicates;
            continue;
        }
        if (removed.contains(word) && m_shipped.contains(word)) {
            removed.erase(word);
            ++result.restored;
            continue;
        }
        if (const std::optional<WordRow> row = newWord(line, *checked, result)) {
            added.push_back(*row);
            addedKeys.emplace(row->text, row->type);
            ++result.added;
        }
    }
    if (result.rejections.empty()) {
        m_added = std::move(added);
        m_removed = std::move(removed);
        m_hints = std::move(hints);
    }
    return result;
}

bool WordList::hasList(const std::string& list) const
{
    return std::any_of(m_listWords.begin(), m_listWords.end(),
                       [&](const ListWordRow& row) { return row.list == list; });
}

std::multimap<std::string, WordRow> WordList::ownRows() const
{
    std::multimap<std::string, WordRow> rows;
    for (const WordRow& row : m_added)
        rows.emplace(row.text, row);
    for (const ListWordRow& row : m_listWords)
        rows.emplace(row.word.text, row.word);
    return rows;
}

std::vector<WordRow> WordList::knownRows(const std::multimap<std::string, WordRow>& own,
                                         const std::string& word,
                                         std::optional<std::int32_t> type) const
{
    std::vector<WordRow> rows;
    const auto take = [&](const WordRow& row) {
        const bool seen = std::any_of(rows.begin(), rows.end(),
                                      [&](const WordRow& kept) { return kept.type == row.type; });
        if (!type || row.type == *type) {
            if (!seen)
                rows.push_back(row);
        }
    };
    for (const auto& rowsOf : {std::cref(m_shipped), std::cref(own)}) {
        const auto [first, last] = rowsOf.get().equal_range(word);
        for (auto entry = first; entry != last; ++entry)
            take(entry->second);
    }
    return rows;
}

ImportResult WordList::importToList(const std::string& list, const std::vector<ListLine>& lines)
{
    ImportResult result;
    std::vector<ListWordRow> listWords = m_listWords;
    std::map<std::pair<std::string, std::string>, std::string> hints = m_hints;
    const std::multimap<std::string, WordRow> own = ownRows();
    WordKeys inThisList;
    for (const ListWordRow& row : listWords) {
        if (row.list == list)
            inThisList.emplace(row.word.text, row.word.type);
    }
    for (const ListLine& line : lines) {
        const std::optional<CheckedLine> checked = check(line, result);
        if (!checked)
            continue;
        // A known word comes with each of its types (or the one given), as the
        // base has it; a new one needs its type and genre.
        std::vector<WordRow> rows = knownRows(own, checked->word, checked->typeCode());
        if (rows.empty()) {
            const std::optional<WordRow> row = newWord(line, *checked, result);
            if (!row)
                continue;
            rows.push_back(*row);
        }
        if (!line.hint.empty())
            hints[{list, checked->word}] = line.hint;
        int fresh = 0;
        for (const WordRow& row : rows) {
            if (inThisList.emplace(row.text, row.type).second) {
                listWords.push_back({list, row});
                ++fresh;
            }
        }
        if (fresh == 0)
            ++result.duplicates;
        result.added += fresh;
    }
    if (result.rejections.empty()) {
        m_listWords = std::move(listWords);
        m_hints = std::move(hints);
    }
    return result;
}

RemoveResult WordList::removeFromList(const std::string& list,
                                      const std::vector<std::string>& words)
{
    RemoveResult result;
    std::set<std::string> seen;
    for (const std::string& typed : words) {
        const std::string word = lowerCase(SpelledOutWord(typed));
        if (!seen.insert(word).second)
            ++result.duplicates;
        else if (std::erase_if(m_listWords, [&](const ListWordRow& row) {
                     return row.list == list && row.word.text == word;
                 }) == 0)
            result.missing.push_back(typed);
        else
            ++result.removed;
        m_hints.erase({list, word});
    }
    // A list without words is gone: the game draws from all the words.
    if (m_played == list && !hasList(list))
        m_played.reset();
    return result;
}

RemoveResult WordList::remove(const std::vector<std::string>& words)
{
    RemoveResult result;
    std::set<std::string> seen;
    for (const std::string& typed : words) {
        const std::string word = lowerCase(SpelledOutWord(typed));
        if (!seen.insert(word).second) {
            ++result.duplicates;
            continue;
        }
        const bool added =
            std::erase_if(m_added, [&](const WordRow& row) { return row.text == word; }) > 0;
        const bool shipped = m_shipped.contains(word) && !m_removed.contains(word);
        if (shipped)
            m_removed.insert(word);
        if (shipped || added)
            ++result.removed;
        else
            result.missing.push_back(typed);
        m_hints.erase({std::string(), word});
    }
    return result;
}

void WordList::reset()
{
    m_added.clear();
    m_removed.clear();
    std::erase_if(m_hints, [](const auto& entry) { return entry.first.first.empty(); });
}

std::string WordList::exportLine(const WordRow& row) const
{
    if (row.type == WordCatalogue::kUntypedType)
        return Windows1252::toUtf8(row.text) + "\n";
    std::string text = Windows1252::toUtf8(row.text) + "\t";
    text += TypeName(static_cast<WordType>(row.type));
    if (row.type != static_cast<std::int32_t>(WordType::Verb)) {
        for (const auto& [kind, identifiers] : m_genres) {
            if (std::find(identifiers.begin(), identifiers.end(), std::to_string(row.genre)) !=
                identifiers.end()) {
                text += "\t" + std::string(GenreName(kind));
                break;
            }
        }
    }
    return text + "\n";
}

std::string WordList::exportText() const
{
    std::string text = "# Mots ajoutés à la liste de Corbelet : mot, type, genre\n";
    for (const WordRow& row : m_added)
        text += exportLine(row);
    return text;
}

std::string WordList::exportListText(const std::string& list) const
{
    std::string text =
        "# Liste « " + Windows1252::toUtf8(list) + " » de Corbelet : mot, type, genre\n";
    for (const ListWordRow& row : m_listWords) {
        if (row.list == list)
            text += exportLine(row.word);
    }
    return text;
}

int WordList::listCount(const std::string& list) const
{
    return static_cast<int>(
        std::count_if(m_listWords.begin(), m_listWords.end(),
                      [&](const ListWordRow& row) { return row.list == list; }));
}

std::vector<VocabularyEntry> WordList::entries(const std::optional<std::string>& list) const
{
    // The rows of each word, in the order the words came.
    std::vector<std::pair<std::string, std::vector<const WordRow*>>> words;
    std::map<std::string, std::size_t> index;
    const auto take = [&](const WordRow& row) {
        const auto [found, fresh] = index.emplace(row.text, words.size());
        if (fresh)
            words.push_back({row.text, {}});
        words[found->second].second.push_back(&row);
    };
    if (list) {
        for (const ListWordRow& row : m_listWords) {
            if (row.list == *list)
                take(row.word);
        }
    } else {
        for (const WordRow& row : m_added)
            take(row);
    }
    std::vector<VocabularyEntry> entries;
    for (const auto& [word, rows] : words) {
        VocabularyEntry entry{Windows1252::toUtf8(word), {}, {}, {}};
        if (const auto hint = m_hints.find({list.value_or(std::string()), word});
            hint != m_hints.end())
            entry.hint = Windows1252::toUtf8(hint->second);
        // A word of several types is written without one: the shipped words
        // give it all of them again.
        if (rows.size() == 1 && rows.front()->type != WordCatalogue::kUntypedType) {
            entry.type = static_cast<WordType>(rows.front()->type);
            for (const auto& [kind, identifiers] : m_genres) {
                if (entry.type == WordType::Noun &&
                    std::find(identifiers.begin(), identifiers.end(),
                              std::to_string(rows.front()->genre)) != identifiers.end())
                    entry.genre = kind;
            }
        }
        entries.push_back(std::move(entry));
    }
    return entries;
}

void WordList::save(TWordStore& store, std::string_view database) const
{
    const std::vector<std::string> removed(m_removed.begin(), m_removed.end());
    std::vector<WordCatalogue::HintRow> hints;
    for (const auto& [key, hint] : m_hints)
        hints.push_back({key.first, key.second, hint});
    store.Execute(WordCatalogue::createTableStatement(WordCatalogue::hintTable(), database, true));
    for (const std::string& statement : WordCatalogue::replacePlayerTablesStatements(
             m_added, removed, m_listWords, m_played, hints, database))
        store.Execute(statement);
}
