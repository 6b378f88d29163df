// makewordbase --words mots.tsv --genres isgenre.tsv --output <folder>/data
//
// Builds the game's word base: a MariaDB data folder holding the database and
// tables of the word catalogue (wordstore/wordcatalogue.h; MyISAM, latin1 —
// MySQL's latin1 is Windows-1252; the words in the shipped words and in the
// words the game reads, the player's tables empty) and the empty `mysql.plugin` and
// `mysql.func` tables the server looks for at start. The folder is built under
// a temporary name beside the output and renamed into place at the end, so an
// interrupted build never leaves a half-written (crashed) table where the game
// looks.
//
// Input files are Windows-1252 text, one record per line, fields separated by
// tabs: words "mots, taille, point, ref_type, ref_genre"; genres
// "id_genre, desc_genre", the columns of the catalogue's tables.

#include "wordstore/wordcatalogue.h"

#include <mysql.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace fs = std::filesystem;

namespace {

using WordCatalogue::GenreRow;
using WordCatalogue::WordRow;

std::vector<std::string_view> splitFields(std::string_view line)
{
    std::vector<std::string_view> fields;
    std::size_t start = 0;
    while (true) {
        const std::size_t tab = line.find('\t', start);
        fields.push_back(line.substr(start, tab - start));
        if (tab == std::string_view::npos)
            return fields;
        start = tab + 1;
    }
}

int parseInteger(std::string_view field, const std::string& where)
{
    int value = 0;
    const auto [end, error] = std::from_chars(field.data(), field.data() + field.size(), value);
    if (error != std::errc() || end != field.data() + field.size())
        throw std::runtime_error(where + ": not an integer: " + std::string(field));
    return value;
}

// Calls `handle` with the fields of every non-empty line of a file.
template <typename Handler>
void readRecords(const fs::path& path, std::size_t fieldCount, Handler handle)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw std::runtime_error("cannot read " + path.string());
    std::string line;
    int lineNumber = 0;
    while (std::getline(in, line)) {
        ++lineNumber;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.empty())
            continue;
        const auto fields = splitFields(line);
        const std::string where = path.string() + ":" + std::to_string(lineNumber);
        if (fields.size() != fieldCount)
            throw std::runtime_error(where + ": expected " + std::to_string(fieldCount) +
                                     " tab-separated fields");
        handle(fields, where);
    }
}

std::vector<WordRow> readWords(const fs::path& path)
{
    std::vector<WordRow> words;
    readRecords(path, 5, [&](const auto& fields, const std::string& where) {
        WordRow word;
        word.text = std::string(fields[0]);
        word.length = parseInteger(fields[1], where);
        word.points = parseInteger(fields[2], where);
        word.type = parseInteger(fields[3], where);
        word.genre = parseInteger(fields[4], where);
        // The columns would otherwise clip or truncate a bad value silently.
        if (word.text.empty() || word.text.size() > WordCatalogue::kMaxWordBytes)
            throw std::runtime_error(where + ": a word has 1 to " +
                                     std::to_string(WordCatalogue::kMaxWordBytes) + " characters");
        if (word.length != static_cast<int>(word.text.size()))
            throw std::runtime_error(where + ": " + std::string(WordCatalogue::kWordLength) +
                                     " is not the number of characters");
        if (word.points < 0 || word.points > WordCatalogue::kMaxPoints)
            throw std::runtime_error(where + ": " + std::string(WordCatalogue::kWordPoints) +
                                     " is not in 0-" + std::to_string(WordCatalogue::kMaxPoints));
        // Control bytes and the bytes Windows-1252 leaves undefined mean the
        // file is not Windows-1252 text.
        for (const char byte : word.text) {
            const auto code = static_cast<unsigned char>(byte);
            if (code < 0x20 || code == 0x7F || code == 0x81 || code == 0x8D || code == 0x8F ||
                code == 0x90 || code == 0x9D)
                throw std::runtime_error(where + ": not a Windows-1252 word");
        }
        words.push_back(std::move(word));
    });
    return words;
}

std::vector<GenreRow> readGenres(const fs::path& path)
{
    std::vector<GenreRow> genres;
    readRecords(path, 2, [&](const auto& fields, const std::string& where) {
        if (fields[1].empty() || fields[1].size() > WordCatalogue::kMaxGenreDescriptionBytes)
            throw std::runtime_error(where + ": a genre description has 1 to " +
                                     std::to_string(WordCatalogue::kMaxGenreDescriptionBytes) +
                                     " characters");
        genres.push_back({parseInteger(fields[0], where), std::string(fields[1])});
    });
    return genres;
}

class Connection
{
public:
    explicit Connection(MYSQL* handle) : m_handle(handle) {}
    ~Connection() { mysql_close(m_handle); }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    void run(const std::string& statement)
    {
        if (mysql_real_query(m_handle, statement.data(), statement.size()) != 0)
            throw std::runtime_error(std::string("SQL error: ") + mysql_error(m_handle) +
                                     "\nin: " + statement.substr(0, 200));
    }

    std::string quoted(const std::string& text)
    {
        std::string escaped(text.size() * 2 + 1, '\0');
        const auto length =
            mysql_real_escape_string(m_handle, escaped.data(), text.data(), text.size());
        escaped.resize(length);
        return "'" + escaped + "'";
    }

private:
    MYSQL* m_handle;
};

void fillDatabase(Connection& db, const std::vector<WordRow>& words,
                  const std::vector<GenreRow>& genres)
{
    db.run("CREATE DATABASE mysql");
    db.run("CREATE TABLE mysql.plugin (name VARCHAR(64) NOT NULL DEFAULT '' PRIMARY KEY,"
           " dl VARCHAR(128) NOT NULL DEFAULT '') ENGINE=MyISAM DEFAULT CHARSET=utf8mb3");
    db.run("CREATE TABLE mysql.func (name CHAR(64) NOT NULL DEFAULT '' PRIMARY KEY,"
           " ret TINYINT NOT NULL DEFAULT 0, dl CHAR(128) NOT NULL DEFAULT '',"
           " type ENUM('function','aggregate') NOT NULL) ENGINE=MyISAM DEFAULT CHARSET=utf8mb3");

    db.run(WordCatalogue::createDatabaseStatement());
    for (const WordCatalogue::Table& table : WordCatalogue::schema())
        db.run(WordCatalogue::createTableStatement(table));

    const WordCatalogue::Quote quote = [&db](const std::string& text) { return db.quoted(text); };
    for (const GenreRow& genre : genres)
        db.run(WordCatalogue::insertGenreStatement(genre, quote));

    constexpr std::size_t kRowsPerStatement = 500;
    const std::span<const WordRow> all(words);
    for (std::size_t first = 0; first < all.size(); first += kRowsPerStatement) {
        const std::size_t count = std::min(kRowsPerStatement, all.size() - first);
        db.run(WordCatalogue::insertWordsStatement(all.subspan(first, count), quote));
    }
    db.run(WordCatalogue::fillWordTableStatement());
    db.run("FLUSH TABLES");
}

// Starts the embedded server on `dataFolder`, fills it and ends the server.
void buildDataFolder(const fs::path& dataFolder, const std::vector<WordRow>& words,
                     const std::vector<GenreRow>& genres)
{
    const std::string datadir = "--datadir=" + dataFolder.string();
    const std::string charsets =
        std::string("--character-sets-dir=") + MARIADB_SHARE_DIR + "/charsets";
    const std::string messages = std::string("--lc-messages-dir=") + MARIADB_SHARE_DIR;
    std::vector<std::string> arguments = {"makewordbase",
                                          "--no-defaults",
                                          datadir,
                                          charsets,
                                          messages,
                                          "--skip-innodb",
                                          "--default-storage-engine=MyISAM",
                                          "--character-set-server=latin1",
                                          "--collation-server=latin1_swedish_ci",
                                          "--skip-character-set-client-handshake",
                                          "--log-warnings=0"};
    std::vector<char*> argv;
    for (std::string& argument : arguments)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    const char* groups[] = {"embedded", "server", nullptr};

    // The server start sets the process umask; the folder keeps the usual one.
    const mode_t previousMask = umask(022);
    const int started = mysql_server_init(static_cast<int>(arguments.size()), argv.data(),
                                          const_cast<char**>(groups));
    umask(previousMask);
    // After a failed start the library must not be used: the server explains
    // itself on standard error.
    if (started != 0)
        throw std::runtime_error("the embedded server did not start");
    // Ends the server on every path, after the connection below is closed, so
    // the tables are flushed and closed before the folder is renamed or removed.
    struct ServerRun
    {
        ~ServerRun() { mysql_server_end(); }
    } serverRun;

    MYSQL* handle = mysql_init(nullptr);
    if (!handle)
        throw std::runtime_error("mysql_init failed");
    Connection db(handle);
    if (!mysql_real_connect(handle, nullptr, nullptr, nullptr, nullptr, 0, nullptr, 0))
        throw std::runtime_error(std::string("cannot connect: ") + mysql_error(handle));
    fillDatabase(db, words, genres);
}

// Puts the built folder in place of `output`. The previous base stays where it
// was until the new one is in place, and comes back if the swap fails.
void replaceFolder(const fs::path& built, const fs::path& output, const fs::path& previous)
{
    const bool hadPrevious = fs::exists(output);
    if (hadPrevious)
        fs::rename(output, previous);
    try {
        fs::rename(built, output);
    } catch (...) {
        if (hadPrevious)
            fs::rename(previous, output);
        throw;
    }
    fs::remove_all(previous);
}

int usage()
{
    std::cerr << "usage: makewordbase --words FILE --genres FILE --output FOLDER\n";
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    fs::path wordsFile, genresFile, output;
    for (int index = 1; index + 1 < argc; index += 2) {
        const std::string_view option = argv[index];
        if (option == "--words")
            wordsFile = argv[index + 1];
        else if (option == "--genres")
            genresFile = argv[index + 1];
        else if (option == "--output")
            output = argv[index + 1];
        else
            return usage();
    }
    if (wordsFile.empty() || genresFile.empty() || output.empty() || argc != 7)
        return usage();

    fs::path building;
    try {
        const auto words = readWords(wordsFile);
        const auto genres = readGenres(genresFile);
        output = fs::absolute(output).lexically_normal();
        if (!output.has_filename())
            output = output.parent_path();
        fs::create_directories(output.parent_path());

        // Beside the output, so that the final rename stays on one file system.
        const std::string suffix = "." + std::to_string(getpid());
        building = output.string() + ".building" + suffix;
        const fs::path previous = output.string() + ".previous" + suffix;
        fs::remove_all(building);
        fs::create_directories(building);
        buildDataFolder(building, words, genres);
        replaceFolder(building, output, previous);
        std::cout << "makewordbase: " << words.size() << " words, " << genres.size()
                  << " genres in " << output.string() << "\n";
        return 0;
    } catch (const std::exception& error) {
        std::cerr << "makewordbase: " << error.what() << "\n";
        // A half-built folder is of no use to anyone.
        if (!building.empty()) {
            std::error_code ignored;
            fs::remove_all(building, ignored);
        }
        return 1;
    }
}
