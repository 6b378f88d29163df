#include "wordstore/wordcatalogue.h"

#include <algorithm>
#include <stdexcept>

namespace WordCatalogue {

namespace {

constexpr std::string_view kCharacterSet = "CHARACTER SET latin1 COLLATE latin1_swedish_ci";
constexpr std::string_view kTableOptions = "ENGINE=MyISAM DEFAULT CHARSET=latin1";

// A database name as an SQL identifier: between backquotes, a backquote
// within doubled, so that any legal name (classe-5a) works and no name
// changes the statement.
std::string quotedDatabase(std::string_view database)
{
    if (!isDatabaseName(database))
        throw std::invalid_argument("nom de base de données impossible « " + std::string(database) +
                                    " »");
    std::string quoted = "`";
    for (const char byte : database) {
        quoted += byte;
        if (byte == '`')
            quoted += byte;
    }
    return quoted + "`";
}

std::string qualified(std::string_view database, std::string_view table)
{
    return quotedDatabase(database).append(".").append(table);
}

std::string varchar(std::size_t bytes)
{
    return "VARCHAR(" + std::to_string(bytes) + ") NOT NULL";
}

// A list's name compares byte for byte: "Semaine 12" is not "semaine 12".
std::string listNameColumn()
{
    return "VARCHAR(" + std::to_string(kMaxListNameBytes) + ") COLLATE latin1_bin NOT NULL";
}

// " <column> >= <min>  AND <column> <= <max>" for both bounds, then the
// fragments; the double spaces are part of the statements as they have always
// been sent.
std::string boundsClause(const WordFilter& filter)
{
    std::string clause;
    clause.append(" WHERE ").append(kWordLength).append(" >= ");
    clause += std::to_string(filter.NbMotMin);
    clause.append("  AND ").append(kWordLength).append(" <= ");
    clause += std::to_string(filter.NbMotMax);
    clause.append("  AND ").append(kWordPoints).append(" >= ");
    clause += std::to_string(filter.NbPointMin);
    clause.append("  AND ").append(kWordPoints).append(" <= ");
    clause += std::to_string(filter.NbPointMax);
    clause += filter.FiltreType;
    clause += filter.FiltreGenre;
    return clause;
}

std::string countFrom()
{
    return std::string("SELECT COUNT(")
        .append(kWordId)
        .append(") AS ")
        .append(kCountColumn)
        .append(" FROM ")
        .append(kWordTable);
}

// The columns of a table of words, as a list for INSERT and SELECT.
std::string wordColumnList(bool withId)
{
    std::string list;
    for (const Column& column : schema()[1].columns) {
        if (withId || column.name != kWordId)
            list.append(list.empty() ? "" : ", ").append(column.name);
    }
    return list;
}

// Fills the table `target` with what the game reads: the words of the list
// that `played` names, or, when it names none, the shipped words less those
// in `removed`, then the words of `added`. Removed words compare byte for
// byte, since the base's collation would take "élève" for "eleve"; list names
// do, by their column's collation.
std::string fillWordTable(std::string_view database, const std::string& target,
                          const std::string& added, const std::string& removed,
                          const std::string& listWords, const std::string& played)
{
    const std::string columns = wordColumnList(false);
    const std::string allWords = " NOT EXISTS (SELECT * FROM " + played + ")";
    return "INSERT INTO " + target + " (" + columns + ") SELECT " + columns + " FROM " +
           qualified(database, kShippedWordTable) + " WHERE BINARY " + std::string(kWordText) +
           " NOT IN (SELECT BINARY " + std::string(kWordText) + " FROM " + removed + ") AND" +
           allWords + " UNION ALL SELECT " + columns + " FROM " + added + " WHERE" + allWords +
           " UNION ALL SELECT " + columns + " FROM " + listWords + " WHERE " +
           std::string(kListName) + " IN (SELECT " + std::string(kListName) + " FROM " + played +
           ")";
}

// The statements that fill `tables` under other names and swap them in by one
// RENAME TABLE (atomic in the server); `fill` gives the statements that fill
// the new tables, named with newName().
constexpr std::string_view kNewSuffix = "_nouveau";
constexpr std::string_view kOldSuffix = "_ancien";

std::string staged(std::string_view database, std::string_view table, std::string_view suffix)
{
    return qualified(database, table) + std::string(suffix);
}

std::vector<std::string> swapTables(std::string_view database,
                                    const std::vector<std::string_view>& tables,
                                    const std::vector<std::string>& fill)
{
    std::string leftovers = "DROP TABLE IF EXISTS ";
    std::string rename = "RENAME TABLE ";
    std::string dropOld = "DROP TABLE ";
    std::vector<std::string> create;
    for (const std::string_view table : tables) {
        const std::string separator = table == tables.front() ? "" : ", ";
        leftovers += separator + staged(database, table, kNewSuffix) + ", " +
                     staged(database, table, kOldSuffix);
        rename += separator + qualified(database, table) + " TO " +
                  staged(database, table, kOldSuffix) + ", " + staged(database, table, kNewSuffix) +
                  " TO " + qualified(database, table);
        dropOld += separator + staged(database, table, kOldSuffix);
        create.push_back("CREATE TABLE " + staged(database, table, kNewSuffix) + " LIKE " +
                         qualified(database, table));
    }
    std::vector<std::string> statements{leftovers};
    statements.insert(statements.end(), create.begin(), create.end());
    statements.insert(statements.end(), fill.begin(), fill.end());
    statements.push_back(rename);
    statements.push_back(dropOld);
    return statements;
}

std::string_view genrePattern(GenreKind kind)
{
    switch (kind) {
    case GenreKind::Feminine:
        return "%Fem%";
    case GenreKind::Masculine:
        return "%Mas%";
    case GenreKind::Invariable:
        return "%Inv%";
    }
    return {};
}

} // namespace

// ---------------------------------------------------------------- the schema

const std::vector<Table>& schema()
{
    // `mots` is a VARCHAR: a TEXT column would force an on-disk temporary
    // table at every ORDER BY rand(). No index on (taille, point): with one,
    // the optimizer range-scans nearly every row and the draw gets several
    // times slower than the plain table scan.
    static const std::vector<Column> wordColumns = {
        {kWordId, "INT NOT NULL AUTO_INCREMENT PRIMARY KEY"},
        {kWordText, varchar(kMaxWordBytes)},
        {kWordLength, "TINYINT UNSIGNED NOT NULL"},
        {kWordPoints, "TINYINT UNSIGNED NOT NULL"}, // 0 to kMaxPoints
        {kWordType, "INT NOT NULL"},
        {kWordGenre, "INT NOT NULL"}};
    // A list's words: the list, then the columns of a word.
    static const std::vector<Column> listWordColumns = [] {
        std::vector<Column> columns = wordColumns;
        columns.insert(columns.begin() + 1, {kListName, listNameColumn()});
        return columns;
    }();
    static const std::vector<Table> tables = {
        {kGenreTable,
         {{kGenreId, "INT NOT NULL PRIMARY KEY"},
          {kGenreDescription, varchar(kMaxGenreDescriptionBytes)}}},
        {kShippedWordTable, wordColumns},
        {kWordTable, wordColumns},
        {kAddedWordTable, wordColumns},
        {kRemovedWordTable, {{kWordText, varchar(kMaxWordBytes)}}},
        {kListWordTable, listWordColumns},
        {kPlayedListTable, {{kListName, listNameColumn()}}},
        {kHintTable,
         {{kListName, listNameColumn()},
          {kWordText, "VARCHAR(" + std::to_string(kMaxWordBytes) + ") COLLATE latin1_bin NOT NULL"},
          {kHintText, varchar(kMaxHintBytes)}}},
        progressTable(),
    };
    return tables;
}

const Table& hintTable()
{
    // By its name: other tables may come after it in the schema.
    const std::vector<Table>& tables = schema();
    return *std::find_if(tables.begin(), tables.end(),
                         [](const Table& table) { return table.name == kHintTable; });
}

const Table& progressTable()
{
    // The word compares byte for byte, "élève" apart from "eleve", as the
    // words a player removes do. No index: a few rows a word played.
    static const Table table = {kProgressTable,
                                {{kProgressTime, "DATETIME NOT NULL"},
                                 {kProgressPlayer, varchar(kMaxListNameBytes)},
                                 {kProgressWord, "VARCHAR(" + std::to_string(kMaxWordBytes) +
                                                     ") COLLATE latin1_bin NOT NULL"},
                                 {kProgressLevel, "TINYINT UNSIGNED NOT NULL"},
                                 {kProgressWon, "TINYINT UNSIGNED NOT NULL"},
                                 {kProgressPoints, "INT NOT NULL"},
                                 {kProgressMistakes, "INT NOT NULL"},
                                 {kProgressSeconds, "INT NOT NULL"},
                                 {kProgressHint, "TINYINT UNSIGNED NOT NULL DEFAULT 0"}}};
    return table;
}

std::vector<std::string_view> playerTables()
{
    return {kAddedWordTable,  kRemovedWordTable, kListWordTable,
            kPlayedListTable, kHintTable,        kProgressTable};
}

bool isDatabaseName(std::string_view database)
{
    // The server's rule: 1 to 64 characters, no NUL, no trailing blank; a
    // name of Windows-1252 bytes is one character a byte.
    return !database.empty() && database.size() <= kMaxDatabaseNameBytes &&
           database.find('\0') == std::string_view::npos && database.back() != ' ';
}

std::string createDatabaseStatement(std::string_view database)
{
    return std::string("CREATE DATABASE ")
        .append(quotedDatabase(database))
        .append(" ")
        .append(kCharacterSet);
}

std::string createTableStatement(const Table& table, std::string_view database, bool ifMissing)
{
    std::string statement =
        std::string(ifMissing ? "CREATE TABLE IF NOT EXISTS " : "CREATE TABLE ") +
        qualified(database, table.name) + " (";
    for (std::size_t index = 0; index < table.columns.size(); ++index) {
        if (index != 0)
            statement += ", ";
        statement.append(table.columns[index].name).append(" ");
        statement += table.columns[index].definition;
    }
    return statement.append(") ").append(kTableOptions);
}

std::string insertGenreStatement(const GenreRow& genre, const Quote& quote,
                                 std::string_view database)
{
    return "INSERT INTO " + qualified(database, kGenreTable) + " VALUES (" +
           std::to_string(genre.id) + ", " + quote(genre.description) + ")";
}

std::string insertWordsStatement(std::span<const WordRow> words, const Quote& quote,
                                 std::string_view table, std::string_view database)
{
    std::string statement = "INSERT INTO " + qualified(database, table) + " (";
    for (const std::string_view column : {kWordText, kWordLength, kWordPoints, kWordType})
        statement.append(column).append(", ");
    statement.append(kWordGenre).append(") VALUES ");
    for (std::size_t index = 0; index < words.size(); ++index) {
        const WordRow& word = words[index];
        if (index != 0)
            statement += ", ";
        statement += "(" + quote(word.text) + ", " + std::to_string(word.length) + ", " +
                     std::to_string(word.points) + ", " + std::to_string(word.type) + ", " +
                     std::to_string(word.genre) + ")";
    }
    return statement;
}

std::string wordLiteral(const std::string& word)
{
    std::string literal = "'";
    for (const char c : word) {
        if (c == '\\' || static_cast<unsigned char>(c) < 0x20)
            throw std::invalid_argument("not a playable word");
        literal += c;
        if (c == '\'')
            literal += c;
    }
    return literal + "'";
}

// ---------------------------------------------------------------- the game's statements

std::string drawStatement(const WordFilter& filter)
{
    return std::string("SELECT * FROM ")
        .append(kWordTable)
        .append(boundsClause(filter))
        .append(" ORDER BY rand()")
        .append(" LIMIT 1;");
}

std::string countAllStatement()
{
    return countFrom().append(" LIMIT 1;");
}

std::string countStatement(const WordFilter& filter)
{
    return countFrom().append(boundsClause(filter)).append(" LIMIT 1;");
}

std::vector<std::string> genreIdentifiersStatement(GenreKind kind)
{
    return {std::string("SELECT * FROM ")
                .append(kGenreTable)
                .append(" WHERE ")
                .append(kGenreDescription)
                .append(" LIKE"),
            std::string(" \"").append(genrePattern(kind)).append("\"")};
}

std::string typeFilter(WordType type)
{
    std::string filter = std::string(" AND ").append(kWordType).append(" = ");
    filter += std::to_string(static_cast<std::int32_t>(type));
    if (type == WordType::Verb)
        filter.append(" AND ").append(kWordGenre).append(" = ").append(std::to_string(kVerbGenre));
    return filter;
}

bool isGenreIdentifier(std::string_view value)
{
    if (value.empty())
        return false;
    for (const char c : value) {
        if (c < '0' || c > '9')
            return false;
    }
    return true;
}

std::string genreFilter(const std::vector<std::string>& identifiers)
{
    std::string filter = std::string(" AND ").append(kWordGenre).append(" IN (");
    for (const std::string& identifier : identifiers) {
        if (isGenreIdentifier(identifier))
            filter.append(identifier).append(", ");
    }
    filter.append("0)");
    return filter;
}

// ---------------------------------------------------------------- the word list tool

std::string listStatement(const WordFilter& filter, const std::optional<std::string>& list)
{
    std::string statement = std::string("SELECT ")
                                .append(kWordText)
                                .append(", ")
                                .append(kWordType)
                                .append(", ")
                                .append(kWordGenre)
                                .append(" FROM ")
                                .append(list ? kListWordTable : kWordTable)
                                .append(boundsClause(filter));
    if (list)
        statement.append(" AND ").append(kListName).append(" = ").append(wordLiteral(*list));
    return statement.append(" ORDER BY ").append(kWordText).append(", ").append(kWordType);
}

std::string wordRowsStatement(std::string_view table)
{
    return "SELECT " + wordColumnList(false) + " FROM " + std::string(table);
}

std::string removedWordsStatement()
{
    return std::string("SELECT ").append(kWordText).append(" FROM ").append(kRemovedWordTable);
}

std::string genreRowsStatement()
{
    return std::string("SELECT ")
        .append(kGenreId)
        .append(", ")
        .append(kGenreDescription)
        .append(" FROM ")
        .append(kGenreTable)
        .append(" ORDER BY ")
        .append(kGenreId);
}

std::string listWordRowsStatement()
{
    return "SELECT " + std::string(kListName) + ", " + wordColumnList(false) + " FROM " +
           std::string(kListWordTable) + " ORDER BY " + std::string(kWordId);
}

std::string listSummaryStatement()
{
    const std::string name(kListName);
    return "SELECT " + name + ", COUNT(" + std::string(kWordId) + ") AS " +
           std::string(kCountColumn) + " FROM " + std::string(kListWordTable) + " GROUP BY " +
           name + " ORDER BY " + name;
}

std::string playedListStatement()
{
    return "SELECT " + std::string(kListName) + " FROM " + std::string(kPlayedListTable);
}

// ---------------------------------------------------------------- the player's progress

namespace {

// "YYYY-MM-DD HH:MM:SS" (or its first `length` characters): digits, and
// separators where they go.
bool isTimeText(std::string_view text, std::size_t length)
{
    static constexpr std::string_view kShape = "0000-00-00 00:00:00";
    if (text.size() != length || length > kShape.size())
        return false;
    for (std::size_t i = 0; i < length; ++i) {
        const bool digit = text[i] >= '0' && text[i] <= '9';
        if (kShape[i] == '0' ? !digit : text[i] != kShape[i])
            return false;
    }
    return true;
}

std::string progressColumns()
{
    return "DATE_FORMAT(" + std::string(kProgressTime) + ", '%Y-%m-%d %H:%i:%s') AS " +
           std::string(kProgressTime) + ", " + std::string(kProgressPlayer) + ", " +
           std::string(kProgressWord) + ", " + std::string(kProgressLevel) + ", " +
           std::string(kProgressWon) + ", " + std::string(kProgressPoints) + ", " +
           std::string(kProgressMistakes) + ", " + std::string(kProgressSeconds) + ", " +
           std::string(kProgressHint);
}

// A player's name as a literal: the bytes wordLiteral refuses become blanks.
std::string playerLiteral(std::string name)
{
    for (char& c : name) {
        if (c == '\\' || static_cast<unsigned char>(c) < 0x20)
            c = ' ';
    }
    return wordLiteral(name.substr(0, kMaxListNameBytes));
}

} // namespace

std::string insertProgressStatement(const ProgressRow& row)
{
    if (!row.time.empty() && !isTimeText(row.time, 19))
        throw std::invalid_argument("not a time: " + row.time);
    const auto number = [](std::int32_t value) { return std::to_string(value); };
    return "INSERT INTO " + std::string(kProgressTable) + " VALUES (" +
           (row.time.empty() ? std::string("NOW()") : "'" + row.time + "'") + ", " +
           playerLiteral(row.player) + ", " + wordLiteral(row.word) + ", " + number(row.level) +
           ", " + (row.won ? "1" : "0") + ", " + number(row.points) + ", " + number(row.mistakes) +
           ", " + number(row.seconds) + ", " + (row.hintUsed ? "1" : "0") + ")";
}

std::string flushProgressStatement()
{
    return "FLUSH TABLES " + std::string(kProgressTable);
}

std::string progressRowsStatement()
{
    return "SELECT " + progressColumns() + " FROM " + std::string(kProgressTable) + " ORDER BY " +
           std::string(kProgressTime);
}

std::string bestScoresStatement(int count)
{
    return "SELECT " + progressColumns() + " FROM " + std::string(kProgressTable) + " WHERE " +
           std::string(kProgressWon) + " = 1 ORDER BY " + std::string(kProgressPoints) + " DESC, " +
           std::string(kProgressMistakes) + ", " + std::string(kProgressTime) + " LIMIT " +
           std::to_string(std::max(count, 0));
}

std::string dailyResultsStatement(const std::string& since)
{
    if (!since.empty() && !isTimeText(since, 10))
        throw std::invalid_argument("not a day: " + since);
    const std::string won(kProgressWon);
    return "SELECT DATE_FORMAT(" + std::string(kProgressTime) + ", '%Y-%m-%d') AS " +
           std::string(kDayColumn) + ", SUM(" + won + " = 1) AS " + std::string(kWonColumn) +
           ", SUM(" + won + " = 0) AS " + std::string(kLostColumn) + " FROM " +
           std::string(kProgressTable) +
           (since.empty() ? "" : " WHERE " + std::string(kProgressTime) + " >= '" + since + "'") +
           " GROUP BY " + std::string(kDayColumn) + " ORDER BY " + std::string(kDayColumn);
}

std::string mostMissedStatement(int count)
{
    const std::string word(kProgressWord);
    return "SELECT " + word + ", COUNT(*) AS " + std::string(kCountColumn) + " FROM " +
           std::string(kProgressTable) + " WHERE " + std::string(kProgressWon) + " = 0 GROUP BY " +
           word + " ORDER BY " + std::string(kCountColumn) + " DESC, " + word + " LIMIT " +
           std::to_string(std::max(count, 0));
}

std::vector<std::string> addToListStatements(const std::string& list,
                                             std::span<const std::string> words,
                                             std::string_view database)
{
    const std::string columns = wordColumnList(false);
    const std::string newList = staged(database, kListWordTable, kNewSuffix);
    std::string wanted;
    for (const std::string& word : words)
        wanted += (wanted.empty() ? "" : ", ") + wordLiteral(word);
    const std::string word(kWordText);
    const std::string type(kWordType);
    // Each word with its rows as the base holds them, once each.
    const std::string known = "SELECT " + columns + " FROM " +
                              qualified(database, kShippedWordTable) + " UNION SELECT " + columns +
                              " FROM " + qualified(database, kAddedWordTable) + " UNION SELECT " +
                              columns + " FROM " + qualified(database, kListWordTable);
    std::vector<std::string> fill = {"INSERT INTO " + newList + " SELECT * FROM " +
                                     qualified(database, kListWordTable)};
    if (!words.empty())
        fill.push_back("INSERT INTO " + newList + " (" + std::string(kListName) + ", " + columns +
                       ") SELECT " + wordLiteral(list) + ", " + columns + " FROM (" + known +
                       ") AS connu WHERE BINARY connu." + word + " IN (" + wanted +
                       ") AND NOT EXISTS (SELECT * FROM " + newList + " AS deja WHERE deja." +
                       std::string(kListName) + " = " + wordLiteral(list) + " AND BINARY deja." +
                       word + " = connu." + word + " AND deja." + type + " = connu." + type +
                       ") GROUP BY BINARY connu." + word + ", connu." + type + " ORDER BY connu." +
                       word);
    fill.push_back(fillWordTable(
        database, staged(database, kWordTable, kNewSuffix), qualified(database, kAddedWordTable),
        qualified(database, kRemovedWordTable), newList, qualified(database, kPlayedListTable)));
    return swapTables(database, {kWordTable, kListWordTable}, fill);
}

std::string clearTableStatement(std::string_view table, std::string_view database)
{
    return "DELETE FROM " + qualified(database, table);
}

std::string toolLockStatement(std::string_view database)
{
    return "SELECT GET_LOCK(" + wordLiteral(std::string(database) + ".corbelet-mots") + ", 0) AS " +
           std::string(kCountColumn);
}

std::string fillWordTableStatement(std::string_view database)
{
    return fillWordTable(
        database, qualified(database, kWordTable), qualified(database, kAddedWordTable),
        qualified(database, kRemovedWordTable), qualified(database, kListWordTable),
        qualified(database, kPlayedListTable));
}

namespace {

// Any text as an SQL literal that no escaping rule of the server changes: its
// bytes in hexadecimal (a hint may hold a backslash).
std::string hexLiteral(std::string_view text)
{
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string literal = "X'";
    for (const char byte : text) {
        literal += kDigits[static_cast<unsigned char>(byte) >> 4];
        literal += kDigits[static_cast<unsigned char>(byte) & 0xF];
    }
    return literal + "'";
}

std::vector<std::string> replacePlayerTables(std::span<const WordRow> added,
                                             std::span<const std::string> removed,
                                             std::span<const ListWordRow> listWords,
                                             const std::optional<std::string>& played,
                                             const std::optional<std::span<const HintRow>>& hints,
                                             std::string_view database)
{
    std::vector<std::string> fill;
    constexpr std::size_t kRowsPerStatement = 500;
    const std::string addedTable = std::string(kAddedWordTable).append(kNewSuffix);
    for (std::size_t first = 0; first < added.size(); first += kRowsPerStatement) {
        const auto rows = added.subspan(first, std::min(kRowsPerStatement, added.size() - first));
        fill.push_back(insertWordsStatement(rows, wordLiteral, addedTable, database));
    }
    for (std::size_t first = 0; first < removed.size(); first += kRowsPerStatement) {
        std::string insert = "INSERT INTO " + staged(database, kRemovedWordTable, kNewSuffix) +
                             " (" + std::string(kWordText) + ") VALUES ";
        const std::size_t last = std::min(first + kRowsPerStatement, removed.size());
        for (std::size_t index = first; index < last; ++index)
            insert += (index == first ? "(" : ", (") + wordLiteral(removed[index]) + ")";
        fill.push_back(insert);
    }
    for (std::size_t first = 0; first < listWords.size(); first += kRowsPerStatement) {
        std::string insert = "INSERT INTO " + staged(database, kListWordTable, kNewSuffix) + " (" +
                             std::string(kListName) + ", " + wordColumnList(false) + ") VALUES ";
        const std::size_t last = std::min(first + kRowsPerStatement, listWords.size());
        for (std::size_t index = first; index < last; ++index) {
            const WordRow& word = listWords[index].word;
            insert += (index == first ? "(" : ", (") + wordLiteral(listWords[index].list) + ", " +
                      wordLiteral(word.text) + ", " + std::to_string(word.length) + ", " +
                      std::to_string(word.points) + ", " + std::to_string(word.type) + ", " +
                      std::to_string(word.genre) + ")";
        }
        fill.push_back(insert);
    }
    if (played)
        fill.push_back("INSERT INTO " + staged(database, kPlayedListTable, kNewSuffix) +
                       " VALUES (" + wordLiteral(*played) + ")");
    fill.push_back(fillWordTable(database, staged(database, kWordTable, kNewSuffix),
                                 staged(database, kAddedWordTable, kNewSuffix),
                                 staged(database, kRemovedWordTable, kNewSuffix),
                                 staged(database, kListWordTable, kNewSuffix),
                                 staged(database, kPlayedListTable, kNewSuffix)));
    std::vector<std::string_view> tables{kWordTable, kAddedWordTable, kRemovedWordTable,
                                         kListWordTable, kPlayedListTable};
    if (hints) {
        tables.push_back(kHintTable);
        for (std::size_t first = 0; first < hints->size(); first += kRowsPerStatement) {
            std::string insert =
                "INSERT INTO " + staged(database, kHintTable, kNewSuffix) + " VALUES ";
            const std::size_t last = std::min(first + kRowsPerStatement, hints->size());
            for (std::size_t index = first; index < last; ++index) {
                const HintRow& row = (*hints)[index];
                insert += (index == first ? "(" : ", (") + wordLiteral(row.list) + ", " +
                          wordLiteral(row.word) + ", " + hexLiteral(row.hint) + ")";
            }
            fill.push_back(insert);
        }
    }
    return swapTables(database, tables, fill);
}

} // namespace

std::vector<std::string> replacePlayerTablesStatements(std::span<const WordRow> added,
                                                       std::span<const std::string> removed,
                                                       std::span<const ListWordRow> listWords,
                                                       const std::optional<std::string>& played,
                                                       std::string_view database)
{
    return replacePlayerTables(added, removed, listWords, played, std::nullopt, database);
}

std::vector<std::string> replacePlayerTablesStatements(std::span<const WordRow> added,
                                                       std::span<const std::string> removed,
                                                       std::span<const ListWordRow> listWords,
                                                       const std::optional<std::string>& played,
                                                       std::span<const HintRow> hints,
                                                       std::string_view database)
{
    return replacePlayerTables(added, removed, listWords, played, hints, database);
}

std::string hintTableCountStatement()
{
    return "SELECT COUNT(*) AS " + std::string(kCountColumn) +
           " FROM information_schema.TABLES WHERE TABLE_SCHEMA = DATABASE() AND TABLE_NAME = " +
           wordLiteral(std::string(kHintTable));
}

std::string hintRowsStatement()
{
    return "SELECT " + std::string(kListName) + ", " + std::string(kWordText) + ", " +
           std::string(kHintText) + " FROM " + std::string(kHintTable);
}

std::string hintStatement(const std::string& word, const std::optional<std::string>& list)
{
    const std::string name(kListName);
    return "SELECT " + std::string(kHintText) + " FROM " + std::string(kHintTable) + " WHERE " +
           std::string(kWordText) + " = " + hexLiteral(word) + " ORDER BY " + name + " = " +
           hexLiteral(list.value_or(std::string())) + " DESC, " + name + " LIMIT 1";
}

std::vector<std::string> playListStatements(const std::optional<std::string>& list,
                                            std::string_view database)
{
    std::vector<std::string> fill;
    if (list)
        fill.push_back("INSERT INTO " + staged(database, kPlayedListTable, kNewSuffix) +
                       " VALUES (" + wordLiteral(*list) + ")");
    fill.push_back(fillWordTable(
        database, staged(database, kWordTable, kNewSuffix), qualified(database, kAddedWordTable),
        qualified(database, kRemovedWordTable), qualified(database, kListWordTable),
        staged(database, kPlayedListTable, kNewSuffix)));
    return swapTables(database, {kWordTable, kPlayedListTable}, fill);
}

namespace {

// "… FROM <added> WHERE [NOT] EXISTS (<the same word, of the same type, among
// the shipped words>)": the player's added words that a newer shipped base
// holds too, or the others.
std::string addedWordsShipped(std::string_view database, bool shipped)
{
    const std::string word(kWordText);
    const std::string type(kWordType);
    const std::string added = qualified(database, kAddedWordTable);
    return " FROM " + added + " WHERE " + (shipped ? "" : "NOT ") + "EXISTS (SELECT * FROM " +
           qualified(database, kShippedWordTable) + " AS livre WHERE BINARY livre." + word + " = " +
           added + "." + word + " AND livre." + type + " = " + added + "." + type + ")";
}

} // namespace

std::string addedWordsNowShippedStatement(std::string_view database)
{
    return "SELECT COUNT(*) AS " + std::string(kCountColumn) + addedWordsShipped(database, true);
}

std::vector<std::string> reapplyPlayerTablesStatements(std::string_view database)
{
    const std::string columns = wordColumnList(false);
    const std::string addedNew = staged(database, kAddedWordTable, kNewSuffix);
    return swapTables(
        database, {kWordTable, kAddedWordTable},
        {"INSERT INTO " + addedNew + " (" + columns + ") SELECT " + columns +
             addedWordsShipped(database, false),
         fillWordTable(database, staged(database, kWordTable, kNewSuffix), addedNew,
                       qualified(database, kRemovedWordTable), qualified(database, kListWordTable),
                       qualified(database, kPlayedListTable))});
}

} // namespace WordCatalogue
