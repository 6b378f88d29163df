#include "wordstore/wordcatalogue.h"

namespace WordCatalogue {

namespace {

constexpr std::string_view kCharacterSet = "CHARACTER SET latin1 COLLATE latin1_swedish_ci";
constexpr std::string_view kTableOptions = "ENGINE=MyISAM DEFAULT CHARSET=latin1";

std::string qualified(std::string_view database, std::string_view table)
{
    return std::string(database).append(".").append(table);
}

std::string varchar(std::size_t bytes)
{
    return "VARCHAR(" + std::to_string(bytes) + ") NOT NULL";
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
    static const std::vector<Table> tables = {
        {kGenreTable,
         {{kGenreId, "INT NOT NULL PRIMARY KEY"},
          {kGenreDescription, varchar(kMaxGenreDescriptionBytes)}}},
        {kWordTable,
         {{kWordId, "INT NOT NULL AUTO_INCREMENT PRIMARY KEY"},
          {kWordText, varchar(kMaxWordBytes)},
          {kWordLength, "TINYINT UNSIGNED NOT NULL"},
          {kWordPoints, "TINYINT UNSIGNED NOT NULL"}, // 0 to kMaxPoints
          {kWordType, "INT NOT NULL"},
          {kWordGenre, "INT NOT NULL"}}},
    };
    return tables;
}

std::string createDatabaseStatement(std::string_view database)
{
    return std::string("CREATE DATABASE ").append(database).append(" ").append(kCharacterSet);
}

std::string createTableStatement(const Table& table, std::string_view database)
{
    std::string statement = "CREATE TABLE " + qualified(database, table.name) + " (";
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
                                 std::string_view database)
{
    std::string statement = "INSERT INTO " + qualified(database, kWordTable) + " (";
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

} // namespace WordCatalogue
