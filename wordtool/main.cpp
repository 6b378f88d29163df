// corbelet-mots: the word list of Corbelet from the command line, for a
// teacher's own lists. It works where the game on this machine finds its
// words: the MariaDB server of the game's [Serveur] settings (a classroom's),
// else the player's base found by the game's own layout rule (beside the
// program when portable, the player's copy once installed); or on the base of
// a folder named with --donnees, or on a server named by the options, which
// win over the settings. Its first line says which base it works on.
//
// Standard output carries only data (the words, the lists); every message
// goes to standard error, and --silencieux leaves the errors alone there.
//
// Exit codes: 0 done, 1 a list or a word refused or a failure, 2 a wrong
// command line.

#include "layout/playerbase.h"
#include "layout/programlayout.h"
#include "settingsfile/inifile.h"
#include "settingsfile/listsetting.h"
#include "text/systemerror.h"
#include "text/windows1252.h"
#include "wordstore/playerwords.h"
#include "wordstore/progress.h"
#include "wordstore/serversettings.h"
#include "wordstore/wordcatalogue.h"
#include "wordstore/wordlists.h"
#include "wordstore/wordstore.h"
#include "wordtool/listfile.h"
#include "wordtool/wordfile.h"
#include "wordtool/wordlist.h"
#include "wordtool/wordreview.h"

#include <QByteArray>
#include <QFile>
#include <QString>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
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

Gère la liste de mots de Corbelet là où le jeu de cette machine prend ses
mots : le serveur MariaDB de la classe quand les réglages du jeu en nomment un
(section [Serveur]), sinon la base du joueur. La première ligne le dit.

Commandes :
  importer FICHIER     ajoute les mots d'une liste : un mot par ligne, suivi,
                       après des tabulations, de son type et de son genre s'il
                       n'est pas dans la base livrée ; lignes vides et lignes
                       commençant par # ignorées ; UTF-8 ou Windows-1252.
                       Ou un fichier KVTML (KHangMan, Parley, KWordQuiz :
                       la liste prend son titre) ou CSV (nom en .csv : mot,
                       type, genre, indice), chaque mot avec son indice.
                       Une seule ligne refusée, et rien n'est importé. Les
                       mots écartés des mots livrés pour les enfants (injures,
                       mots grossiers…) sont signalés, puis importés.
                       Avec --liste NOM, les mots vont dans la liste NOM.
  importer --depuis-erreurs --liste NOM
                       met dans la liste NOM les mots le plus souvent manqués
                       (ceux de « progres »), au lieu des mots d'un fichier
  lister               écrit les mots que le jeu tire, un par ligne et par type,
                       au format d'importation (mot, type, genre)
                       (avec --liste NOM : ceux de la liste NOM)
  retirer MOT...       retire des mots de la liste (ou de la liste NOM) ; les
                       mots absents ou en double sont comptés et passés
  exporter FICHIER     écrit les mots ajoutés (ou la liste NOM), au format
                       d'importation, ou en KVTML quand FICHIER finit par
                       .kvtml
  reinitialiser        revient à la liste livrée avec le jeu (les listes
                       nommées restent)
  listes               écrit chaque liste nommée et son nombre de mots
  jouer NOM            le jeu ne tire plus que les mots de la liste NOM
  jouer --tous         le jeu tire de nouveau tous les mots
  progres              résume les progrès du joueur : mots gagnés et perdus
                       par jour, mots le plus souvent manqués
  progres --csv        écrit chaque mot joué (date, joueur, mot, niveau,
                       gagné, points, erreurs, secondes, indice) au format
                       CSV d'un tableur français : séparateur « ; », UTF-8

Options (avant ou après la commande, --nom=valeur ou --nom valeur) :
  --donnees DOSSIER    la base du dossier DOSSIER (celui qui contient data/)
                       au lieu de celle du joueur
  --liste NOM          importer, lister, retirer, exporter : la liste NOM
  --essai              importer : vérifie la liste sans rien écrire
  --depuis-erreurs     importer : les mots le plus souvent manqués
  --csv                progres : chaque mot joué, au format CSV
  --silencieux         n'écrit que les erreurs
  --oui                reinitialiser : sans demander de confirmation
  --taille-min N  --taille-max N  --points-min N  --points-max N
  --type TYPE  --genre GENRE
                       lister : les filtres du jeu
  -h, --help           affiche cette aide

Serveur MariaDB (la base d'une classe, dans une base de données existante) :
  --hote HOTE  --port PORT (3306)  --socket FICHIER  --base BASE (listedemots)
  --utilisateur NOM  --fichier-mot-de-passe FICHIER (le vôtre : chmod 600 ;
                       celui de la machine : root:groupe, chmod 640)

Types : nom, adjectif, adverbe, verbe.
Genres : masculin, féminin, épicène (ou invariable).
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
                                             "genre",
                                             "liste"};
const std::set<std::string> kFlags = {"essai", "oui", "silencieux",    "help",
                                      "tous",  "csv", "depuis-erreurs"};

struct CommandLine
{
    std::map<std::string, std::string> options;
    std::vector<std::string> words; // the command, then its arguments

    // importer: the list file, read before any base is opened, and what its
    // numbers count (lines, or a KVTML file's entries).
    std::vector<ListLine> listLines;
    std::string unit = "ligne";

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

// "0 mot", "1 mot", "2 mots": in French, 0 and 1 take the singular.
std::string counted(int count, std::string_view singular, std::string_view plural)
{
    return std::to_string(count) + " " + std::string(count <= 1 ? singular : plural);
}

// A message for the teacher, on standard error, unless --silencieux.
void inform(const CommandLine& line, const std::string& text)
{
    if (!line.has("silencieux"))
        std::cerr << text << "\n";
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

// The layout of the game beside this tool: both programs lie in one folder,
// and a portable game's settings file is named after the game.
ProgramLayout gameLayout()
{
    return DecideLayout(RunningExecutable().parent_path() / "corbelet",
                        UserFoldersFromEnvironment());
}

// The player's base on this machine, or the one of --donnees.
void configureLocal(TWordStore& store, const CommandLine& line)
{
    const ProgramLayout layout = gameLayout();
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
    inform(line, "Base préparée sur le serveur : " +
                     counted(static_cast<int>(words.size()), "mot livré", "mots livrés") + ".");
}

// A command that only reads a server's base takes no lock and creates
// nothing, so that the pupils' read-only account may run it; the base must
// have been prepared by a command that writes.
void checkServerPrepared(TWordStore& server)
{
    try {
        TWordQuery query(server);
        query.SetSQL(WordCatalogue::genreRowsStatement());
        query.Open();
        if (!query.Eof())
            return;
    } catch (const std::runtime_error&) {
        // A missing table: the base was never prepared, as below.
    }
    throw std::runtime_error("la base « " + databaseOf(server) +
                             " » du serveur n'est pas encore préparée : importez d'abord une "
                             "liste avec le compte de l'enseignant");
}

// The server the options name, over the game's [Serveur] settings field by
// field: a teacher gives his own account on a pupil's machine.
std::optional<ServerSettings> serverOf(const CommandLine& line)
{
    std::optional<ServerSettings> settings;
    if (!line.has("donnees"))
        settings = FindServerSettings(gameLayout().settingsFile);
    if (!usesServer(line))
        return settings;
    if (!settings)
        settings = ServerSettings();
    if (line.has("hote") || line.has("port")) {
        settings->host = line.value("hote");
        settings->socket.clear();
    }
    if (line.has("port")) {
        const int port = number(line, "port", 3306);
        if (port < 1 || port > 65535)
            throw UsageError("--port demande un numéro de port, de 1 à 65535");
        settings->port = static_cast<unsigned>(port);
    }
    if (line.has("socket"))
        settings->socket = line.value("socket");
    if (line.has("base")) {
        if (!WordCatalogue::isDatabaseName(line.value("base")))
            throw UsageError("--base demande le nom d'une base de données (64 caractères au plus)");
        settings->database = line.value("base");
    }
    if (line.has("utilisateur"))
        settings->user = line.value("utilisateur");
    if (line.has("fichier-mot-de-passe"))
        settings->passwordFile = line.value("fichier-mot-de-passe");
    return settings;
}

// "serveur « hote » (port 3306), base « listedemots », compte « prof »".
std::string describeServer(const ServerSettings& server)
{
    std::string text = server.socket.empty()
                           ? "serveur « " + (server.host.empty() ? "localhost" : server.host) +
                                 " » (port " + std::to_string(server.port) + ")"
                           : "serveur local « " + server.socket + " »";
    text += ", base « " + server.database + " »";
    if (!server.user.empty())
        text += ", compte « " + server.user + " »";
    return text;
}

// Opens the base the command works on and says which. A command that writes
// prepares a server's base and takes the writers' lock; one that reads does
// neither.
void openStore(TWordStore& store, const CommandLine& line, bool writes)
{
    std::optional<ServerSettings> server = serverOf(line);
    if (!server) {
        configureLocal(store, line);
        inform(line, "Base : " +
                         std::string(line.has("donnees") ? "celle du dossier « "
                                                         : "la base du joueur (« ") +
                         store.BaseFolder + (line.has("donnees") ? " »" : " »)"));
        store.Connect();
        if (store.AddedWordsNowShipped() > 0)
            inform(line, AddedWordsNowShippedText(store.AddedWordsNowShipped()));
        return;
    }
    if (server->database.empty())
        server->database = std::string(WordCatalogue::kDatabase);
    inform(line, "Base : " + describeServer(*server));
    store.Server = server;
    store.Connect();
    if (writes)
        prepareServer(store, line);
    else
        checkServerPrepared(store);
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
int nameExcludedWords(const std::vector<ListLine>& lines, const std::string& file,
                      const std::string& unit)
{
    const WordReview review = shippedReview();
    int named = 0;
    for (const ListLine& line : lines) {
        if (!line.rejection.empty())
            continue;
        if (const auto category = review.exclusionOf(line.word)) {
            std::cerr << file << ", " << unit << " " << line.number << " : « "
                      << ShownText(Windows1252::toUtf8(line.word))
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

// A list's name as the command line gives it (UTF-8), in Windows-1252 as the
// base keeps it.
std::string listName(const std::string& utf8)
{
    std::string name;
    for (const char32_t character :
         QString::fromUtf8(utf8.data(), qsizetype(utf8.size())).toUcs4()) {
        const auto byte = Windows1252::fromUnicode(character);
        if (!byte || *byte < 0x20 || *byte == 0x7F || *byte == '\\')
            throw UsageError("le nom de liste « " + ShownText(utf8) +
                             " » contient un caractère qui ne peut y figurer");
        name += static_cast<char>(*byte);
    }
    if (name.empty() || name.front() == ' ' || name.back() == ' ')
        throw UsageError("un nom de liste ne peut être vide, ni commencer ou finir par une espace");
    if (name.size() > WordCatalogue::kMaxListNameBytes)
        throw UsageError("nom de liste trop long (" +
                         std::to_string(WordCatalogue::kMaxListNameBytes) + " caractères au plus)");
    return name;
}

// The list that --liste names, which must exist; none without --liste.
std::optional<std::string> namedList(TWordStore& store, const CommandLine& line)
{
    if (!line.has("liste"))
        return std::nullopt;
    const std::string name = listName(line.value("liste"));
    for (const WordListSummary& list : ReadWordLists(store)) {
        if (list.name == name)
            return name;
    }
    throw std::runtime_error("aucune liste « " + line.value("liste") +
                             " » : « corbelet-mots listes » les donne toutes");
}

// The settings file of the game that plays this base, when it has one: the
// player's (the layout's), or, for the base of a folder (--donnees), the
// settings file of a portable game in that folder. None for a server.
std::optional<fs::path> gameSettingsFile(const TWordStore& store, const CommandLine& line)
{
    if (store.Server)
        return std::nullopt;
    const fs::path file = line.has("donnees") ? fs::absolute(line.value("donnees")) / "corbelet.ini"
                                              : gameLayout().settingsFile;
    std::error_code error;
    return fs::is_regular_file(file, error) ? std::optional<fs::path>(file) : std::nullopt;
}

// Records the list the game draws from in the game's settings file, so that
// the game keeps it at its next start. The base has changed already: a file
// that cannot be written is only warned about.
void recordPlayedList(const TWordStore& store, const CommandLine& line,
                      const std::optional<std::string>& played)
{
    const std::optional<fs::path> file = gameSettingsFile(store, line);
    if (!file)
        return;
    try {
        TIniFile(file->string())
            .WriteString(ListSetting::kSection, ListSetting::kKey, played.value_or(std::string()));
    } catch (const std::runtime_error& error) {
        std::cerr << kProgram << " : attention, le choix est fait dans la base, mais les "
                  << "réglages du jeu n'ont pu le noter : " << error.what() << "\n";
    }
}

// What the game draws from, said after a change.
void tellPlayed(TWordStore& store, const CommandLine& line,
                const std::optional<std::string>& played)
{
    TWordQuery query(store);
    query.SetSQL(WordCatalogue::countAllStatement());
    query.Open();
    const int words = query.FindField(WordCatalogue::kCountColumn).AsInteger();
    inform(line, "Le jeu tire ses mots " +
                     (played ? "de la liste « " + Windows1252::toUtf8(*played) + " »"
                             : std::string("de toute la base")) +
                     " (" + counted(words, "mot", "mots") + ").");
}

// Reports the refused lines of an import; true when there were some, and then
// nothing is imported.
bool refusedLines(const CommandLine& line, const ImportResult& result)
{
    for (const Rejection& rejection : result.rejections) {
        std::cerr << line.words[1] << ", " << line.unit << " " << rejection.line << " : « "
                  << ShownText(rejection.word) << " » : " << rejection.reason << "\n";
    }
    if (result.rejections.empty())
        return false;
    std::cerr << kProgram << " : "
              << counted(static_cast<int>(result.rejections.size()), line.unit + " refusée",
                         line.unit + "s refusées")
              << ", aucun mot importé : corrigez le fichier, puis recommencez.\n";
    return true;
}

// Says how many new words came without a type, and when the game draws them.
void tellUntyped(const CommandLine& line, const ImportResult& result)
{
    if (result.untyped > 0)
        inform(line, counted(result.untyped, "mot nouveau sans type", "mots nouveaux sans type") +
                         " (ni dans le fichier, ni dans la base livrée) : le jeu ne " +
                         (result.untyped == 1 ? "le" : "les") +
                         " tire que quand le type choisi est « Pas d'importance ».");
}

// The words the player missed most often, into the list of --liste.
int importMissedWords(TWordStore& store, const CommandLine& line)
{
    const std::string name = listName(line.value("liste"));
    const ReviewListResult result = MakeReviewList(store, name, databaseOf(store));
    if (result.missedWords == 0) {
        inform(line, "Aucun mot manqué : rien à revoir.");
        return 0;
    }
    inform(line, counted(result.missedWords, "mot manqué", "mots manqués") + ", " +
                     counted(result.addedRows, "ligne ajoutée", "lignes ajoutées") +
                     " à la liste « " + line.value("liste") + " ».");
    return 0;
}

int importToList(TWordStore& store, const CommandLine& line, int excluded)
{
    const std::string name = listName(line.value("liste"));
    WordList list(store);
    const bool isNew = !list.hasList(name);
    const ImportResult result = list.importToList(name, line.listLines);
    if (refusedLines(line, result))
        return 1;
    const bool trial = line.has("essai");
    if (!trial && result.added > 0)
        save(list, store);
    inform(line, (trial ? "Essai : " : "") +
                     counted(result.added, trial ? "mot serait importé" : "mot importé",
                             trial ? "mots seraient importés" : "mots importés") +
                     " dans la liste « " + line.value("liste") + " »" +
                     (isNew && result.added > 0 ? " (nouvelle liste)" : "") + ", " +
                     std::to_string(result.duplicates) + " déjà dans la liste.");
    tellUntyped(line, result);
    if (excluded > 0)
        inform(line, trial ? "Les mots signalés seraient importés dans la liste."
                           : "Les mots signalés sont importés dans la liste. Pour en retirer "
                             "un : corbelet-mots retirer --liste NOM MOT");
    return 0;
}

int importList(TWordStore& store, const CommandLine& line)
{
    if (line.has("depuis-erreurs"))
        return importMissedWords(store, line);
    const int excluded =
        line.has("silencieux") ? 0 : nameExcludedWords(line.listLines, line.words[1], line.unit);
    if (line.has("liste"))
        return importToList(store, line, excluded);
    WordList list(store);
    const ImportResult result = list.import(line.listLines);
    if (refusedLines(line, result))
        return 1;
    const bool trial = line.has("essai");
    if (!trial)
        save(list, store);
    inform(line,
           (trial ? "Essai : " : "") +
               counted(result.added + result.restored, trial ? "mot serait importé" : "mot importé",
                       trial ? "mots seraient importés" : "mots importés") +
               ", " + std::to_string(result.duplicates) + " déjà dans la liste.");
    tellUntyped(line, result);
    if (excluded > 0)
        inform(line, trial ? "Les mots signalés seraient importés : le jeu pourrait les tirer."
                           : "Les mots signalés sont importés : le jeu peut les tirer. Pour en "
                             "retirer un : corbelet-mots retirer MOT");
    if (list.played())
        inform(line, "Le jeu tire ses mots de la liste « " + Windows1252::toUtf8(*list.played()) +
                         " » : ces mots n'y seront qu'après « corbelet-mots jouer --tous ».");
    return 0;
}

// The words the game draws (or those of a list), one line per word and type,
// in the import format: a list saved so imports again as it is.
int listWords(TWordStore& store, const CommandLine& line)
{
    WordCatalogue::WordFilter filter{number(line, "taille-min", 0),
                                     number(line, "taille-max", WordCatalogue::kMaxPoints),
                                     number(line, "points-min", 0),
                                     number(line, "points-max", WordCatalogue::kMaxPoints),
                                     {},
                                     {}};
    const WordList list(store);
    if (line.has("type")) {
        const auto type = TypeFromName(line.value("type"));
        if (!type)
            throw UsageError("type inconnu « " + line.value("type") +
                             " » (nom, adjectif, adverbe ou verbe)");
        filter.FiltreType = WordCatalogue::typeFilter(*type);
    }
    if (line.has("genre")) {
        const std::vector<std::string> identifiers = list.genreIdentifiers(line.value("genre"));
        if (identifiers.empty())
            throw UsageError("genre inconnu « " + line.value("genre") +
                             " » (masculin, féminin, épicène ou invariable)");
        filter.FiltreGenre = WordCatalogue::genreFilter(identifiers);
    }
    TWordQuery query(store);
    query.SetSQL(WordCatalogue::listStatement(filter, namedList(store, line)));
    for (query.Open(); !query.Eof(); query.Next()) {
        std::cout << list.exportLine({query.FindField(WordCatalogue::kWordText).AsString(), 0, 0,
                                      query.FindField(WordCatalogue::kWordType).AsInteger(),
                                      query.FindField(WordCatalogue::kWordGenre).AsInteger()});
    }
    return 0;
}

int removeWords(TWordStore& store, const CommandLine& line)
{
    std::vector<std::string> words;
    for (std::size_t index = 1; index < line.words.size(); ++index)
        words.push_back(Windows1252::fromUtf8(line.words[index]));
    const std::optional<std::string> name = namedList(store, line);
    WordList list(store);
    const bool played = name && list.played() == name;
    const RemoveResult result = name ? list.removeFromList(*name, words) : list.remove(words);
    const std::string where = name ? "la liste « " + line.value("liste") + " »" : "la liste";
    for (const std::string& word : result.missing)
        inform(line, "« " + ShownText(Windows1252::toUtf8(word)) + " » n'est pas dans " + where +
                         " : passé.");
    if (result.removed > 0)
        save(list, store);
    std::string summary = counted(result.removed, "mot retiré", "mots retirés");
    if (name)
        summary += " de " + where;
    if (!result.missing.empty())
        summary +=
            ", " + counted(static_cast<int>(result.missing.size()), "déjà absent", "déjà absents");
    if (result.duplicates > 0)
        summary += ", " + counted(result.duplicates, "en double", "en double");
    inform(line, summary + ".");
    if (name && !list.hasList(*name)) {
        inform(line, "La liste « " + line.value("liste") + " » est vide : elle n'existe plus.");
        if (played) {
            recordPlayedList(store, line, std::nullopt);
            tellPlayed(store, line, std::nullopt);
        }
    }
    return 0;
}

// A field of the CSV export: between quotes when it holds the separator, a
// quote or a line break, its quotes doubled.
std::string csvField(const std::string& text)
{
    if (text.find_first_of(";\"\r\n") == std::string::npos)
        return text;
    std::string quoted = "\"";
    for (const char c : text)
        quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    return quoted + "\"";
}

// The player's progress: a summary, or with --csv every word played.
int showProgress(TWordStore& store, const CommandLine& line)
{
    if (store.Server)
        inform(line, "Les progrès ne sont pas enregistrés sur le serveur d'une classe, mais "
                     "dans la base de chaque joueur.");
    if (line.has("csv")) {
        std::cout << "Date;Joueur;Mot;Niveau;Gagné;Points;Erreurs;Secondes;Indice\n";
        for (const WordCatalogue::ProgressRow& row : ReadProgress(store)) {
            std::cout << row.time << ";" << csvField(Windows1252::toUtf8(row.player)) << ";"
                      << csvField(Windows1252::toUtf8(row.word)) << ";" << row.level << ";"
                      << (row.won ? "oui" : "non") << ";" << row.points << ";" << row.mistakes
                      << ";" << row.seconds << ";" << (row.hintUsed ? "oui" : "non") << "\n";
        }
        return 0;
    }
    for (const DayResults& day : ReadDailyResults(store))
        std::cout << day.day << "\t" << counted(day.won, "gagné", "gagnés") << "\t"
                  << counted(day.lost, "perdu", "perdus") << "\n";
    const std::vector<MissedWord> missed = ReadMostMissed(store);
    if (!missed.empty())
        std::cout << "Mots le plus souvent manqués :\n";
    for (const MissedWord& word : missed)
        std::cout << Windows1252::toUtf8(word.word) << "\t" << counted(word.times, "fois", "fois")
                  << "\n";
    return 0;
}

int showLists(TWordStore& store, const CommandLine& line)
{
    const std::optional<std::string> played = ReadPlayedList(store);
    const std::vector<WordListSummary> lists = ReadWordLists(store);
    if (lists.empty())
        inform(line, "Aucune liste : « corbelet-mots importer FICHIER --liste NOM » en fait une.");
    for (const WordListSummary& list : lists)
        std::cout << Windows1252::toUtf8(list.name) << "\t" << counted(list.words, "mot", "mots")
                  << (list.name == played ? "\tjouée" : "") << "\n";
    return 0;
}

int playList(TWordStore& store, const CommandLine& line)
{
    std::optional<std::string> played;
    if (!line.has("tous")) {
        const std::string name = listName(line.words[1]);
        const std::vector<WordListSummary> lists = ReadWordLists(store);
        if (std::none_of(lists.begin(), lists.end(),
                         [&](const WordListSummary& list) { return list.name == name; }))
            throw std::runtime_error("aucune liste « " + line.words[1] +
                                     " » : « corbelet-mots listes » les donne toutes");
        played = name;
    }
    store.EnsureRoomToWrite();
    PlayWordList(store, played, databaseOf(store));
    recordPlayedList(store, line, played);
    tellPlayed(store, line, played);
    return 0;
}

// Writes an export: a regular file (or a new name) whole under another name,
// then renamed, so that an interrupted export never leaves half a list; a
// device, a named pipe or a link (/dev/stdout, a pipe to another program)
// written through, never replaced. A folder or a socket is refused.
void writeExport(const std::string& path, const std::string& text)
{
    const auto failed = [&](int error) {
        return std::runtime_error("impossible d'écrire « " + path +
                                  " » : " + SystemErrorText(error));
    };
    struct stat status = {};
    if (lstat(path.c_str(), &status) == 0 && !S_ISREG(status.st_mode)) {
        if (S_ISDIR(status.st_mode) || S_ISSOCK(status.st_mode))
            throw std::runtime_error("impossible d'écrire « " + path +
                                     " » : ce n'est pas un fichier ordinaire");
        const int file = open(path.c_str(), O_WRONLY | O_CLOEXEC);
        if (file < 0)
            throw failed(errno);
        std::size_t written = 0;
        while (written < text.size()) {
            const ssize_t count = write(file, text.data() + written, text.size() - written);
            if (count < 0 && errno == EINTR)
                continue;
            if (count < 0) {
                const int error = errno;
                close(file);
                throw failed(error);
            }
            written += static_cast<std::size_t>(count);
        }
        if (close(file) != 0)
            throw failed(errno);
        return;
    }
    SaveWholeFile(path, text);
}

// A list (or the player's words) as a KVTML file that the KDE-Edu programs
// open, with the hints and the types known.
void exportKvtml(const WordList& list, const std::optional<std::string>& name,
                 const std::string& path)
{
    writeExport(path, KvtmlDocument(name ? Windows1252::toUtf8(*name)
                                         : std::string("Mots ajoutés à Corbelet"),
                                    list.entries(name)));
}

int exportWords(TWordStore& store, const CommandLine& line)
{
    const WordList list(store);
    const std::optional<std::string> name = namedList(store, line);
    if (IsKvtmlName(line.words[1]))
        exportKvtml(list, name, line.words[1]);
    else
        writeExport(line.words[1], name ? list.exportListText(*name) : list.exportText());
    if (name)
        inform(line, counted(list.listCount(*name), "mot exporté", "mots exportés") +
                         " de la liste « " + Windows1252::toUtf8(*name) + " ».");
    else
        inform(line,
               counted(list.addedCount(), "mot ajouté exporté", "mots ajoutés exportés") + ".");
    return 0;
}

int resetList(TWordStore& store, const CommandLine& line)
{
    WordList list(store);
    if (!line.has("oui")) {
        std::cerr << "Revenir à la liste livrée ? "
                  << counted(list.addedCount(), "mot ajouté sera perdu",
                             "mots ajoutés seront perdus")
                  << " et "
                  << counted(list.removedCount(), "mot retiré reviendra",
                             "mots retirés reviendront")
                  << ". [o/N] " << std::flush;
        std::string answer;
        std::getline(std::cin, answer);
        if (answer != "o" && answer != "O" && answer != "oui" && answer != "OUI") {
            inform(line, "Rien n'a changé.");
            return 1;
        }
    }
    list.reset();
    save(list, store);
    inform(line, "La liste livrée est rétablie.");
    return 0;
}

// Reads the file to import in its format. A KVTML file's words go to the
// list its title names, unless --liste names another.
void readImportFile(CommandLine& line)
{
    VocabularyFile file = ReadWordFileAt(line.words[1]);
    line.listLines = std::move(file.lines);
    if (file.format != ListFormat::Kvtml)
        return;
    line.unit = "entrée";
    if (line.has("liste"))
        return;
    if (file.title.empty())
        throw std::runtime_error("« " + line.words[1] +
                                 " » n'a pas de titre : nommez sa liste avec --liste NOM");
    line.options["liste"] = file.title;
}

// The base in use by a running game: said in words a teacher acts on.
std::string explained(const std::exception& error)
{
    const std::string text = error.what();
    if (text.find("est déjà utilisée par un autre programme") != std::string::npos)
        return "la base de mots est ouverte par le jeu (ou par un autre corbelet-mots) : fermez "
               "le jeu, puis recommencez";
    // A server's refusal of a change to an account that may only read (the
    // pupils' account of the game's settings).
    if (text.find(" command denied to user ") != std::string::npos)
        return text + "\nCe compte ne peut que lire la base du serveur : donnez le compte de "
                      "l'enseignant (--utilisateur NOM --fichier-mot-de-passe FICHIER).";
    return text;
}

} // namespace

int main(int argc, char** argv)
{
    try {
        CommandLine line = parse(argc, argv);
        if (line.has("help")) {
            std::cout << kHelp;
            return 0;
        }
        if (line.words.empty())
            throw UsageError("il manque la commande");
        const std::string& command = line.words.front();
        // Each command, what its arguments are, how many it takes, and
        // whether it changes the base.
        struct Command
        {
            int (*run)(TWordStore&, const CommandLine&);
            const char* arguments;
            std::size_t least;
            std::size_t most;
            bool writes;
        };
        const std::map<std::string, Command> commands = {
            {"importer", {importList, "un fichier, ou --depuis-erreurs", 0, 1, true}},
            {"lister", {listWords, "aucun argument", 0, 0, false}},
            {"retirer", {removeWords, "au moins un mot", 1, SIZE_MAX, true}},
            {"exporter", {exportWords, "un fichier", 1, 1, false}},
            {"reinitialiser", {resetList, "aucun argument", 0, 0, true}},
            {"listes", {showLists, "aucun argument", 0, 0, false}},
            {"jouer", {playList, "le nom d'une liste, ou --tous", 0, 1, true}},
            {"progres", {showProgress, "aucun argument", 0, 0, false}}};
        const auto found = commands.find(command);
        if (found == commands.end())
            throw UsageError("commande inconnue « " + ShownText(command) + " »");
        const std::size_t count = line.words.size() - 1;
        if (count < found->second.least || count > found->second.most ||
            (command == "jouer" && (count == 1) == line.has("tous")) ||
            (command == "importer" && (count == 1) == line.has("depuis-erreurs")))
            throw UsageError(command + " prend " + found->second.arguments);
        // The list is read whole before the base is opened: a file that is
        // no list never holds the base.
        if (command == "importer" && line.has("depuis-erreurs") &&
            (!line.has("liste") || line.has("essai")))
            throw UsageError("importer --depuis-erreurs demande --liste NOM, sans --essai");
        if (command == "importer" && !line.has("depuis-erreurs"))
            readImportFile(line);
        TWordStore store;
        openStore(store, line, found->second.writes);
        return found->second.run(store, line);
    } catch (const UsageError& error) {
        std::cerr << kProgram << " : " << error.what() << "\nEssayez « " << kProgram
                  << " --help ».\n";
        return 2;
    } catch (const std::exception& error) {
        std::cerr << kProgram << " : " << explained(error) << "\n";
        return 1;
    }
}
