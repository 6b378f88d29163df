#pragma once

// The catalogue of the word base: the one place that knows its tables. It
// holds the database and its tables with their columns (the schema, as data),
// the codes the rows carry, the statements the game issues to draw and count
// words and to list genres, the filter fragments those statements take, and
// the statements that create and fill the base. The game, the configuration
// window and the base builder name no table and no column but through it.
//
// Every text is Windows-1252: the base is latin1, which is Windows-1252 to
// MariaDB. Plain C++, without the server: the base builder links it alone.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace WordCatalogue {

// ---------------------------------------------------------------- names

// The database that holds the word base.
inline constexpr std::string_view kDatabase = "listedemots";

// The words the game reads, one row each: the shipped words, less those the
// player removed, and the player's own words. The game's statements read this
// table alone; it is filled from the three below (a view would make every
// draw several times slower).
inline constexpr std::string_view kWordTable = "motscommuns";
// The shipped words; the player's own words, with the same columns; and the
// shipped words the player removed (kWordText only). The player's tables are
// kept apart from the shipped one, so that a newer shipped base replaces the
// shipped words and keeps the player's.
inline constexpr std::string_view kShippedWordTable = "motslivres";
inline constexpr std::string_view kAddedWordTable = "motsajoutes";
inline constexpr std::string_view kRemovedWordTable = "motsretires";
inline constexpr std::string_view kWordId = "id_mots";      // numbered by the server
inline constexpr std::string_view kWordText = "mots";       // the word as stored
inline constexpr std::string_view kWordLength = "taille";   // its number of characters
inline constexpr std::string_view kWordPoints = "point";    // its value
inline constexpr std::string_view kWordType = "ref_type";   // a WordType code
inline constexpr std::string_view kWordGenre = "ref_genre"; // an identifier of the genres

// The player's named lists (a teacher's "Semaine 12"): each list's words as
// full rows of their own, the columns of a table of words plus the list's
// name, so that a word of a list need not be anywhere else. A word may be in
// several lists. A list exists while it holds words.
inline constexpr std::string_view kListWordTable = "motslistes";
inline constexpr std::string_view kListName = "liste"; // compared byte for byte
// The list the game draws from: one row naming it, or no row for all the
// words (the shipped words less those removed, and the player's own).
inline constexpr std::string_view kPlayedListTable = "listejouee";

// The hints of words, shown to a player who asks for help: one per word of a
// list (kListName, kWordText), the list named "" holding those of the
// player's own words. A base made before hints existed lacks the table: the
// word list tool creates it when it writes (createTableStatement(…, true)).
inline constexpr std::string_view kHintTable = "indices";
inline constexpr std::string_view kHintText = "indice";
inline constexpr std::size_t kMaxHintBytes = 255;
// The player's progress: one row per finished word, won or lost, kept in the
// player's own base (never on a classroom's server, whose account only reads).
inline constexpr std::string_view kProgressTable = "progres";
inline constexpr std::string_view kProgressTime = "moment";      // DATETIME, local time
inline constexpr std::string_view kProgressPlayer = "joueur";    // the player's name
inline constexpr std::string_view kProgressWord = "mot";         // its real spelling
inline constexpr std::string_view kProgressLevel = "niveau";     // 1 to 3
inline constexpr std::string_view kProgressWon = "gagne";        // 1 won, 0 lost
inline constexpr std::string_view kProgressPoints = "points";    // added, or taken away
inline constexpr std::string_view kProgressMistakes = "erreurs"; // wrong picks
inline constexpr std::string_view kProgressSeconds = "secondes"; // time spent on the word
inline constexpr std::string_view kProgressHint = "indice";      // 1 when a hint was used
// The columns of the progress summaries: a day ("2026-12-10"), its words won
// and lost.
inline constexpr std::string_view kDayColumn = "jour";
inline constexpr std::string_view kWonColumn = "gagnes";
inline constexpr std::string_view kLostColumn = "perdus";

// The genres.
inline constexpr std::string_view kGenreTable = "isgenre";
inline constexpr std::string_view kGenreId = "id_genre";
inline constexpr std::string_view kGenreDescription = "desc_genre";

// The column of the single row of a count.
inline constexpr std::string_view kCountColumn = "Nb";

// ---------------------------------------------------------------- codes

// The type of a word, as kWordType holds it.
enum class WordType : std::int32_t
{
    Adjective = 1,
    Adverb = 2,
    Noun = 6,
    Verb = 9, // in the infinitive, with the genre kVerbGenre
};

// The genre of every verb.
inline constexpr std::int32_t kVerbGenre = 35;

// The type of a word a teacher's vocabulary file (KVTML, CSV) brings without
// a type, and that the shipped words do not hold: no type filter selects it,
// so the game draws it only when the type does not matter. Such a word has
// no genre (0), as every genre filter lets through.
inline constexpr std::int32_t kUntypedType = 0;

// The kinds of genre a player may ask for, each matching the genres whose
// description holds a word ("Fem", "Mas", "Inv").
enum class GenreKind
{
    Feminine,
    Masculine,
    Invariable,
};

// ---------------------------------------------------------------- the schema

// What the columns hold at most; the schema below declares them so.
inline constexpr std::size_t kMaxWordBytes = 40;
inline constexpr std::int32_t kMaxPoints = 255;
inline constexpr std::size_t kMaxGenreDescriptionBytes = 60;
inline constexpr std::size_t kMaxListNameBytes = 60;

// A column: its name and its definition in CREATE TABLE.
struct Column
{
    std::string_view name;
    std::string definition;
};

// A table: its name and its columns, in order.
struct Table
{
    std::string_view name;
    std::vector<Column> columns;
};

// The tables of the base, in the order they are created and filled: the
// genres, the shipped words, the words the game reads, then the player's
// tables (added words, removed words, the lists' words, the list played,
// the hints, the progress).
const std::vector<Table>& schema();

// The tables that hold the player's own changes and lists.
std::vector<std::string_view> playerTables();

// A file in the data folder that says the player's tables were carried over
// into a newer shipped base and kWordTable does not hold them yet: the next
// connection refills it (reapplyPlayerTablesStatements) and removes the file.
inline constexpr std::string_view kPlayerTablesPendingFile = "corbelet-joueur.areappliquer";

// The longest database name the server takes.
inline constexpr std::size_t kMaxDatabaseNameBytes = 64;
// Whether a database name may name a base: 1 to 64 bytes, no NUL, no
// trailing blank. The statements quote it, so any other name is taken as it
// is; they raise std::invalid_argument for a name that is not one.
bool isDatabaseName(std::string_view database);

// "CREATE DATABASE <database> …" with the base's character set.
std::string createDatabaseStatement(std::string_view database = kDatabase);
// "CREATE TABLE <database>.<table> (<columns>) …" with the base's engine and
// character set.
// `ifMissing`: "CREATE TABLE IF NOT EXISTS", for a database that may hold them.
std::string createTableStatement(const Table& table, std::string_view database = kDatabase,
                                 bool ifMissing = false);
// Fills the empty kWordTable from the player's tables: the words of the list
// kPlayedListTable names, or, when it names none, the shipped words and the
// player's own.
std::string fillWordTableStatement(std::string_view database = kDatabase);

// A row of each table, as the base builder reads them.
struct WordRow
{
    std::string text;
    std::int32_t length = 0;
    std::int32_t points = 0;
    std::int32_t type = 0;
    std::int32_t genre = 0;
};

// A word of a named list.
struct ListWordRow
{
    std::string list; // the list's name
    WordRow word;
};

struct GenreRow
{
    std::int32_t id = 0;
    std::string description;
};

// A text as an SQL string literal, escaped for the connection that runs the
// statement.
using Quote = std::function<std::string(const std::string& text)>;

// Inserts one genre.
std::string insertGenreStatement(const GenreRow& genre, const Quote& quote,
                                 std::string_view database = kDatabase);
// Inserts the words into `table` (the shipped or the player's words), in one
// statement; the server numbers them.
std::string insertWordsStatement(std::span<const WordRow> words, const Quote& quote,
                                 std::string_view table = kShippedWordTable,
                                 std::string_view database = kDatabase);

// A word as an SQL string literal that needs no escaping by the connection:
// quotes doubled. Only for playable words (letters, hyphen, apostrophe) and
// list names; raises std::invalid_argument for a backslash or a control byte.
std::string wordLiteral(const std::string& word);

// ---------------------------------------------------------------- the game's statements

// The word-length and point bounds that the draw and the count apply, with the
// two filter fragments (empty or beginning with " AND"), appended in this
// order.
struct WordFilter
{
    std::int32_t NbMotMin = 5;
    std::int32_t NbMotMax = 25;
    std::int32_t NbPointMin = 5;
    std::int32_t NbPointMax = 52;
    std::string FiltreType;
    std::string FiltreGenre;
};

// One random word within the filter: read kWordText and kWordPoints.
std::string drawStatement(const WordFilter& filter);
// The number of words in the base: read kCountColumn.
std::string countAllStatement();
// The number of words within the filter: read kCountColumn.
std::string countStatement(const WordFilter& filter);

// The genres of a kind, as the lines of one statement: read kGenreId of every
// row.
std::vector<std::string> genreIdentifiersStatement(GenreKind kind);

// The type fragment: the words of that type (verbs: of the verbs' genre too).
std::string typeFilter(WordType type);

// Whether a value of kGenreId may go into the SQL text: decimal digits only,
// so that a tampered word base cannot inject SQL.
bool isGenreIdentifier(std::string_view value);

// The genre fragment: the words of those genres, or without genre (0). Values
// that are not genre identifiers are skipped.
std::string genreFilter(const std::vector<std::string>& identifiers);

// ---------------------------------------------------------------- the word list tool

// Every word the filter lets through, in alphabetical order, one row per word
// and type: read kWordText, kWordType and kWordGenre. The words the game
// reads, or those of the named list.
std::string listStatement(const WordFilter& filter,
                          const std::optional<std::string>& list = std::nullopt);
// The rows of a table of words (shipped or added): read every column of WordRow.
std::string wordRowsStatement(std::string_view table);
// The words the player removed: read kWordText.
std::string removedWordsStatement();
// The genre rows: read kGenreId and kGenreDescription.
std::string genreRowsStatement();
// The words of every list, in the order they were added: read kListName and
// every column of WordRow.
std::string listWordRowsStatement();
// Each list with its number of words (its rows, as the game counts them), by
// name: read kListName and kCountColumn.
std::string listSummaryStatement();
// The list the game draws from: read kListName; no row for all the words.
std::string playedListStatement();

// ---------------------------------------------------------------- the player's progress

// A finished word, as kProgressTable holds it (Windows-1252 texts).
struct ProgressRow
{
    std::string time; // "YYYY-MM-DD HH:MM:SS"; empty when inserted: the server's now
    std::string player;
    std::string word;
    std::int32_t level = 1;
    bool won = false;
    std::int32_t points = 0;
    std::int32_t mistakes = 0;
    std::int32_t seconds = 0;
    bool hintUsed = false;
};

// The table of kProgressTable in schema().
const Table& progressTable();
// Inserts one finished word into the connection's database. Raises
// std::invalid_argument for a time that is not "YYYY-MM-DD HH:MM:SS".
std::string insertProgressStatement(const ProgressRow& row);
// Writes the progress table to its files and closes it, so that a game that
// ends without closing its base (killed, or its session ended) leaves the
// table whole rather than marked as needing a repair.
std::string flushProgressStatement();
// Every row, oldest first: read every column of ProgressRow (the time as
// "YYYY-MM-DD HH:MM:SS").
std::string progressRowsStatement();
// The words won with the most points, at most `count`, best first (the fewest
// mistakes first among equals, then the oldest): read as progressRowsStatement.
std::string bestScoresStatement(int count);
// The words won and lost each day from `since` ("YYYY-MM-DD"; empty: from
// the first), oldest first: read kDayColumn, kWonColumn and kLostColumn.
std::string dailyResultsStatement(const std::string& since = {});
// The words lost most often, at most `count`, the most often first, then in
// alphabetical order: read kProgressWord and kCountColumn.
std::string mostMissedStatement(int count);
// The statements that add to the named list the rows of `words` (one per type,
// as the base holds them among the shipped, added and lists' words) that the
// list lacks, all or nothing as playListStatements; the game's words are
// refilled, for a list it draws from.
std::vector<std::string> addToListStatements(const std::string& list,
                                             std::span<const std::string> words,
                                             std::string_view database = kDatabase);

// Empties a table of `database`.
std::string clearTableStatement(std::string_view table, std::string_view database);

// Takes the server's named lock of the word list of `database` for the
// connection, without waiting: read kCountColumn, "1" when taken. Keeps two
// word list tools from changing one server's list at once (on this machine's
// base, the server's data folder lock does).
std::string toolLockStatement(std::string_view database);

// The statements that put `added` and `removed` in place of the player's two
// tables and refill kWordTable from them, all or nothing: the three tables are
// filled under other names, then swapped in by one RENAME TABLE, which the
// server makes atomic. A process killed before it leaves the base as it was;
// its leftovers go at the next run (the first statement).
// The lists' words and the list played are replaced with them, the same way.
std::vector<std::string> replacePlayerTablesStatements(std::span<const WordRow> added,
                                                       std::span<const std::string> removed,
                                                       std::span<const ListWordRow> listWords,
                                                       const std::optional<std::string>& played,
                                                       std::string_view database = kDatabase);
// The statements that make the game draw from the named list (none: from all
// the words): kPlayedListTable and kWordTable filled under other names and
// swapped in by one RENAME TABLE, all or nothing as above.
std::vector<std::string> playListStatements(const std::optional<std::string>& list,
                                            std::string_view database = kDatabase);
// The statements that refill kWordTable from the shipped words and the
// player's tables, all or nothing: after a newer shipped base was put in
// place with the player's tables carried over. The words the player added
// that the shipped base now holds (same spelling, same type) leave
// kAddedWordTable, so that none is drawn twice.
std::vector<std::string> reapplyPlayerTablesStatements(std::string_view database = kDatabase);
// A word's hint as a list's row holds it.
struct HintRow
{
    std::string list; // "" for the player's own words
    std::string word;
    std::string hint;
};
// The same, with the hints: kHintTable is replaced with the other tables.
// The table must exist (createTableStatement(…, true) first).
std::vector<std::string> replacePlayerTablesStatements(std::span<const WordRow> added,
                                                       std::span<const std::string> removed,
                                                       std::span<const ListWordRow> listWords,
                                                       const std::optional<std::string>& played,
                                                       std::span<const HintRow> hints,
                                                       std::string_view database = kDatabase);
// The table of hints of the schema.
const Table& hintTable();
// Whether the base of the connection has kHintTable: read kCountColumn, 1 or 0.
std::string hintTableCountStatement();
// Every hint: read kListName, kWordText and kHintText.
std::string hintRowsStatement();
// The hint of a drawn word (as kWordText holds it): the one of the list the
// game draws from first, else the word's hint in any list. Read kHintText of
// the first row; no row when the word has none.
std::string hintStatement(const std::string& word, const std::optional<std::string>& list);

// How many of the player's added words the shipped base holds too, which
// reapplyPlayerTablesStatements() drops: read kCountColumn.
std::string addedWordsNowShippedStatement(std::string_view database = kDatabase);

} // namespace WordCatalogue
