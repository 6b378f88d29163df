// corbelet-mots: the word list of Corbelet from the command line, for a
// teacher's own lists. It works on the player's base found by the game's own
// layout rule (beside the program when portable, the player's copy once
// installed), on the base of a folder named with --donnees, or on a MariaDB
// server shared by a classroom.
//
// Exit codes: 0 done, 1 a list or a word refused or a failure, 2 a wrong
// command line.

#include "layout/playerbase.h"
#include "layout/programlayout.h"
#include "text/windows1252.h"
#include "wordstore/wordcatalogue.h"
#include "wordstore/wordstore.h"
#include "wordtool/wordlist.h"
#include "wordtool/wordreview.h"

#include <QByteArray>
#include <QFile>
#include <QSaveFile>

#include <cstdint>
#include <filesystem>
#include <iostream>
#include <map>
#include <optional>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr char kProgram[] = "corbelet-mots";

constexpr char kHelp[] =
    R"(Utilisation : corbelet-mots [OPTIONS] COMMANDE [ARGUMENTS]

Gère la liste de mots de Corbelet : celle du joueur sur cette machine, ou
celle d'un serveur MariaDB partagé par toute une classe.

Commandes :
  importer FICHIER     ajoute les mots d'une liste : un mot par ligne, suivi,
                       après des tabulations, de son type et de son genre s'il
                       n'est pas dans la base livrée ; lignes vides et lignes
                       commençant par # ignorées ; UTF-8 ou Windows-1252.
                       Une seule ligne refusée, et rien n'est importé. Les
                       mots écartés des mots livrés pour les enfants (injures,
                       mots grossiers…) sont signalés, puis importés.
  lister               écrit les mots de la liste, un par ligne
  retirer MOT...       retire des mots de la liste
  exporter FICHIER     écrit les mots ajoutés, au format d'importation
  reinitialiser        revient à la liste livrée avec le jeu

Options (avant ou après la commande, --nom=valeur ou --nom valeur) :
  --donnees DOSSIER    la base du dossier DOSSIER (celui qui contient data/)
                       au lieu de celle du joueur
  --essai              importer : vérifie la liste sans rien écrire
  --silencieux         importer : n'écrit que les erreurs
  --oui                reinitialiser : sans demander de confirmation
  --taille-min N  --taille-max N  --points-min N  --points-max N
  --type TYPE  --genre GENRE
                       lister : les filtres du jeu
  -h, --help           affiche cette aide

Serveur MariaDB (la base d'une classe, dans une base de données existante) :
  --hote HOTE  --port PORT (3306)  --socket FICHIER  --base BASE (listedemots)
  --utilisateur NOM  --fichier-mot-de-passe FICHIER (le vôtre : chmod 600 ;
                       celui de la machine : root:groupe, chmod 640)

Types : nom, adjectif, adverbe, verbe. Genres : masculin, féminin, épicène.
Codes de sortie : 0 fait, 1 liste ou mot refusé, ou échec, 2 mauvaise commande.
)";

// A wrong command line: its message, then exit code 2.
struct UsageError : std::runtime_error
{
    using std::runtime_error::runtime_error;
};

// The options that take a value, and those that do not.
const std::set<std::string> kValueOptions = {"donnees",
                                             "hote",
                                             "port",
                                             "socket",
                                             "base",
                                             "utilisateur",
                                             "fichier-mot-de-passe",
                                             "taille-min",
                                             "taille-max",
                                             "points-min",
                                             "points-max",
                                             "type",
                                             "genre"};
const std::set<std::string> kFlags = {"essai", "oui", "silencieux", "help"};

struct CommandLine
{
    std::map<std::string, std::string> options;
    std::vector<std::string> words; // the command, then its arguments

    bool has(const std::string& name) const { return options.contains(name); }
    std::string value(const std::string& name) const
    {
        const auto found = options.find(name);
        return found == options.end() ? std::string() : found->second;
    }
};

CommandLine parse(int argc, char** argv)
{
    CommandLine line;
    bool optionsEnded = false;
    for (int index = 1; index < argc; ++index) {
        std::string argument = argv[index];
        if (optionsEnded || !argument.starts_with("-") || argument == "-") {
            line.words.push_back(argument);
            continue;
        }
        if (argument == "--") {
            optionsEnded = true;
            continue;
        }
        if (argument == "-h")
            argument = "--help";
        if (!argument.starts_with("--"))
            throw UsageError("option inconnue « " + argument + " »");
        std::string name = argument.substr(2);
        std::optional<std::string> value;
        if (const auto equals = name.find('='); equals != std::string::npos) {
            value = name.substr(equals + 1);
            name.erase(equals);
        }
        if (kFlags.contains(name)) {
            if (value)
                throw UsageError("l'option --" + name + " ne prend pas de valeur");
            line.options[name];
        } else if (kValueOptions.contains(name)) {
            if (!value) {
                if (index + 1 >= argc)
                    throw UsageError("l'option --" + name + " demande une valeur");
                value = argv[++index];
            }
            line.options[name] = *value;
        } else {
            throw UsageError("option inconnue « --" + name + " »");
        }
    }
    return line;
}

int number(const CommandLine& line, const std::string& name, int fallback)
{
    if (!line.has(name))
        return fallback;
    try {
        std::size_t end = 0;
        const int value = std::stoi(line.value(name), &end);
        if (end == line.value(name).size())
            return value;
    } catch (const std::exception&) {
    }
    throw UsageError("--" + name + " demande un nombre entier");
}

bool usesServer(const CommandLine& line)
{
    for (const char* name :
         {"hote", "port", "socket", "base", "utilisateur", "fichier-mot-de-passe"}) {
        if (line.has(name))
            return true;
    }
    return false;
}

// The name of the database the statements that name it use.
std::string databaseOf(const TWordStore& store)
{
    return store.Server ? store.Server->database : store.Database;
}

// The player's base on this machine, or the one of --donnees.
void configureLocal(TWordStore& store, const CommandLine& line)
{
    const ProgramLayout layout = DecideLayout(RunningExecutable(), UserFoldersFromEnvironment());
    store.ResourceFolder = layout.resourceFolder.string();
    if (line.has("donnees")) {
        const fs::path folder = fs::absolute(line.value("donnees"));
        if (!fs::is_directory(folder / "data"))
            throw std::runtime_error("aucune base de mots dans « " + folder.string() +
                                     " » (il y manque le dossier data)");
        store.BaseFolder = folder.string();
        return;
    }
    PreparePlayerFolders(layout);
    store.BaseFolder = layout.baseFolder.string();
}

// A server's database gets the base's tables when it lacks them, and the
// shipped words and genres of this machine's base when it has none.
void prepareServer(TWordStore& server, const CommandLine& line)
{
    const std::string database = databaseOf(server);
    TWordQuery lock(server);
    lock.SetSQL(WordCatalogue::toolLockStatement(database));
    lock.Open();
    if (lock.FindField(WordCatalogue::kCountColumn).AsInteger() != 1)
        throw std::runtime_error("la liste de mots de ce serveur est déjà en cours de "
                                 "modification par un autre corbelet-mots");
    for (const WordCatalogue::Table& table : WordCatalogue::schema())
        server.Execute(WordCatalogue::createTableStatement(table, database, true));
    TWordQuery query(server);
    query.SetSQL(WordCatalogue::genreRowsStatement());
    query.Open();
    if (!query.Eof())
        return;

    // The genres go last: a run stopped before them leaves the genres empty,
    // and the next run fills the shipped words again.
    TWordStore local;
    configureLocal(local, line);
    const std::vector<WordCatalogue::WordRow> words =
        ReadWordRows(local, WordCatalogue::kShippedWordTable);
    server.Execute(WordCatalogue::clearTableStatement(WordCatalogue::kShippedWordTable, database));
    const std::span<const WordCatalogue::WordRow> all(words);
    constexpr std::size_t kRowsPerStatement = 500;
    for (std::size_t first = 0; first < all.size(); first += kRowsPerStatement) {
        server.Execute(WordCatalogue::insertWordsStatement(
            all.subspan(first, std::min(kRowsPerStatement, all.size() - first)),
            WordCatalogue::wordLiteral, WordCatalogue::kShippedWordTable, database));
    }
    for (const std::string& statement : WordCatalogue::reapplyPlayerTablesStatements(database))
        server.Execute(statement);
    TWordQuery localQuery(local);
    localQuery.SetSQL(WordCatalogue::genreRowsStatement());
    for (localQuery.Open(); !localQuery.Eof(); localQuery.Next()) {
        server.Execute(WordCatalogue::insertGenreStatement(
            {localQuery.FindField(WordCatalogue::kGenreId).AsInteger(),
             localQuery.FindField(WordCatalogue::kGenreDescription).AsString()},
            WordCatalogue::wordLiteral, database));
    }
    std::cout << "Base préparée sur le serveur : " << words.size() << " mots livrés.\n";
}

void openStore(TWordStore& store, const CommandLine& line)
{
    if (!usesServer(line)) {
        configureLocal(store, line);
        store.Connect();
        return;
    }
    ServerSettings settings;
    settings.host = line.value("hote");
    settings.port = static_cast<unsigned>(number(line, "port", 3306));
    settings.socket = line.value("socket");
    settings.database =
        line.has("base") ? line.value("base") : std::string(WordCatalogue::kDatabase);
    settings.user = line.value("utilisateur");
    settings.passwordFile = line.value("fichier-mot-de-passe");
    store.Server = settings;
    store.Connect();
    prepareServer(store, line);
}

std::string readFile(const std::string& path)
{
    QFile file(QFile::decodeName(path.c_str()));
    if (!file.open(QIODevice::ReadOnly))
        throw std::runtime_error("impossible de lire « " + path +
                                 " » : " + file.errorString().toStdString());
    const QByteArray bytes = file.readAll();
    return bytes.toStdString();
}

// The review of the shipped word list, built into the tool.
WordReview shippedReview()
{
    QFile file(QStringLiteral(":/corbelet/exclusions.tsv"));
    if (!file.open(QIODevice::ReadOnly))
        throw std::runtime_error("la liste des mots écartés manque à corbelet-mots");
    return WordReview::parse(file.readAll().toStdString());
}

// Names the words of a list that the shipped list leaves out of a child's
// game; the teacher decides, so they are imported all the same. Returns how
// many were named.
int nameExcludedWords(const std::vector<ListLine>& lines, const std::string& file)
{
    const WordReview review = shippedReview();
    int named = 0;
    for (const ListLine& line : lines) {
        if (!line.rejection.empty())
            continue;
        if (const auto category = review.exclusionOf(line.word)) {
            std::cerr << file << ", ligne " << line.number << " : « "
                      << Windows1252::toUtf8(line.word)
                      << " » : mot écarté des mots livrés avec le jeu (" << describe(*category)
                      << ").\n";
            ++named;
        }
    }
    return named;
}

void save(const WordList& list, TWordStore& store)
{
    store.EnsureRoomToWrite();
    list.save(store, databaseOf(store));
}

int importList(TWordStore& store, const CommandLine& line)
{
    const std::vector<ListLine> lines = ReadListFile(readFile(line.words[1]));
    const bool quiet = line.has("silencieux");
    const int excluded = quiet ? 0 : nameExcludedWords(lines, line.words[1]);
    WordList list(store);
    const ImportResult result = list.import(lines);
    for (const Rejection& rejection : result.rejections) {
        std::cerr << line.words[1] << ", ligne " << rejection.line << " : « " << rejection.word
                  << " » : " << rejection.reason << "\n";
    }
    if (!result.rejections.empty()) {
        std::cerr << kProgram << " : " << result.rejections.size()
                  << (result.rejections.size() == 1 ? " ligne refusée" : " lignes refusées")
                  << ", aucun mot importé.\n";
        return 1;
    }
    const bool trial = line.has("essai");
    if (!trial)
        save(list, store);
    if (quiet)
        return 0;
    std::cout << (trial ? "Essai : " : "") << result.added + result.restored
              << (trial ? " mots seraient importés" : " mots importés") << ", " << result.duplicates
              << " déjà dans la liste.\n";
    if (excluded > 0)
        std::cerr << (trial ? "Les mots signalés seraient importés : le jeu pourrait les tirer.\n"
                            : "Les mots signalés sont importés : le jeu peut les tirer. Pour en "
                              "retirer un : corbelet-mots retirer MOT\n");
    return 0;
}

int listWords(TWordStore& store, const CommandLine& line)
{
    WordCatalogue::WordFilter filter{number(line, "taille-min", 0),
                                     number(line, "taille-max", WordCatalogue::kMaxPoints),
                                     number(line, "points-min", 0),
                                     number(line, "points-max", WordCatalogue::kMaxPoints),
                                     {},
                                     {}};
    if (line.has("type")) {
        const auto type = TypeFromName(line.value("type"));
        if (!type)
            throw UsageError("type inconnu « " + line.value("type") +
                             " » (nom, adjectif, adverbe ou verbe)");
        filter.FiltreType = WordCatalogue::typeFilter(*type);
    }
    if (line.has("genre")) {
        const std::vector<std::string> identifiers =
            WordList(store).genreIdentifiers(line.value("genre"));
        if (identifiers.empty())
            throw UsageError("genre inconnu « " + line.value("genre") +
                             " » (masculin, féminin ou épicène)");
        filter.FiltreGenre = WordCatalogue::genreFilter(identifiers);
    }
    TWordQuery query(store);
    query.SetSQL(WordCatalogue::listStatement(filter));
    for (query.Open(); !query.Eof(); query.Next())
        std::cout << Windows1252::toUtf8(query.FindField(WordCatalogue::kWordText).AsString())
                  << "\n";
    return 0;
}

int removeWords(TWordStore& store, const CommandLine& line)
{
    std::vector<std::string> words;
    for (std::size_t index = 1; index < line.words.size(); ++index)
        words.push_back(Windows1252::fromUtf8(line.words[index]));
    WordList list(store);
    const std::vector<std::string> missing = list.remove(words);
    for (const std::string& word : missing)
        std::cerr << "« " << Windows1252::toUtf8(word) << " » n'est pas dans la liste\n";
    if (!missing.empty()) {
        std::cerr << kProgram << " : aucun mot retiré.\n";
        return 1;
    }
    save(list, store);
    std::cout << words.size() << (words.size() == 1 ? " mot retiré.\n" : " mots retirés.\n");
    return 0;
}

int exportWords(TWordStore& store, const CommandLine& line)
{
    const WordList list(store);
    // Written whole under another name, then renamed: an interrupted export
    // never leaves half a list.
    QSaveFile file(QFile::decodeName(line.words[1].c_str()));
    const std::string text = list.exportText();
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(text.data(), static_cast<qint64>(text.size())) < 0 || !file.commit())
        throw std::runtime_error("impossible d'écrire « " + line.words[1] +
                                 " » : " + file.errorString().toStdString());
    std::cout << list.addedCount() << " mots ajoutés exportés.\n";
    return 0;
}

int resetList(TWordStore& store, const CommandLine& line)
{
    WordList list(store);
    if (!line.has("oui")) {
        std::cout << "Revenir à la liste livrée ? Les " << list.addedCount()
                  << " mots ajoutés seront perdus et les " << list.removedCount()
                  << " mots retirés reviendront. [o/N] " << std::flush;
        std::string answer;
        std::getline(std::cin, answer);
        if (answer != "o" && answer != "O" && answer != "oui" && answer != "OUI") {
            std::cout << "Rien n'a changé.\n";
            return 1;
        }
    }
    list.reset();
    save(list, store);
    std::cout << "La liste livrée est rétablie.\n";
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    try {
        const CommandLine line = parse(argc, argv);
        if (line.has("help")) {
            std::cout << kHelp;
            return 0;
        }
        if (line.words.empty())
            throw UsageError("il manque la commande");
        const std::string& command = line.words.front();
        // Each command, what its arguments are, and how many it takes.
        struct Command
        {
            int (*run)(TWordStore&, const CommandLine&);
            const char* arguments;
            std::size_t least;
            std::size_t most;
        };
        const std::map<std::string, Command> commands = {
            {"importer", {importList, "un fichier", 1, 1}},
            {"lister", {listWords, "aucun argument", 0, 0}},
            {"retirer", {removeWords, "au moins un mot", 1, SIZE_MAX}},
            {"exporter", {exportWords, "un fichier", 1, 1}},
            {"reinitialiser", {resetList, "aucun argument", 0, 0}}};
        const auto found = commands.find(command);
        if (found == commands.end())
            throw UsageError("commande inconnue « " + command + " »");
        const std::size_t count = line.words.size() - 1;
        if (count < found->second.least || count > found->second.most)
            throw UsageError(command + " prend " + found->second.arguments);
        TWordStore store;
        openStore(store, line);
        return found->second.run(store, line);
    } catch (const UsageError& error) {
        std::cerr << kProgram << " : " << error.what() << "\nEssayez « " << kProgram
                  << " --help ».\n";
        return 2;
    } catch (const std::exception& error) {
        std::cerr << kProgram << " : " << error.what() << "\n";
        return 1;
    }
}
