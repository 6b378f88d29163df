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
#include "settingsfile/inifile.h"
#include "settingsfile/listsetting.h"
#include "text/windows1252.h"
#include "wordstore/wordcatalogue.h"
#include "wordstore/wordlists.h"
#include "wordstore/wordstore.h"
#include "wordtool/wordlist.h"
#include "wordtool/wordreview.h"

#include <QByteArray>
#include <QFile>
#include <QSaveFile>
#include <QString>

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
                       Avec --liste NOM, les mots vont dans la liste NOM.
  lister               écrit les mots que le jeu tire, un par ligne
                       (avec --liste NOM : ceux de la liste NOM)
  retirer MOT...       retire des mots de la liste (ou de la liste NOM)
  exporter FICHIER     écrit les mots ajoutés (ou la liste NOM), au format
                       d'importation
  reinitialiser        revient à la liste livrée avec le jeu (les listes
                       nommées restent)
  listes               écrit chaque liste nommée et son nombre de mots
  jouer NOM            le jeu ne tire plus que les mots de la liste NOM
  jouer --tous         le jeu tire de nouveau tous les mots

Options (avant ou après la commande, --nom=valeur ou --nom valeur) :
  --donnees DOSSIER    la base du dossier DOSSIER (celui qui contient data/)
                       au lieu de celle du joueur
  --liste NOM          importer, lister, retirer, exporter : la liste NOM
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
                                             "genre",
                                             "liste"};
const std::set<std::string> kFlags = {"essai", "oui", "silencieux", "help", "tous"};

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

// "0 mot", "1 mot", "2 mots": in French, 0 and 1 take the singular.
std::string counted(int count, std::string_view singular, std::string_view plural)
{
    return std::to_string(count) + " " + std::string(count <= 1 ? singular : plural);
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
            throw UsageError("le nom de liste « " + utf8 +
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
std::optional<fs::path> gameSettingsFile(const CommandLine& line)
{
    if (usesServer(line))
        return std::nullopt;
    const fs::path file =
        line.has("donnees")
            ? fs::absolute(line.value("donnees")) / "corbelet.ini"
            : DecideLayout(RunningExecutable(), UserFoldersFromEnvironment()).settingsFile;
    std::error_code error;
    return fs::is_regular_file(file, error) ? std::optional<fs::path>(file) : std::nullopt;
}

// Records the list the game draws from in the game's settings file, so that
// the game keeps it at its next start. The base has changed already: a file
// that cannot be written is only warned about.
void recordPlayedList(const CommandLine& line, const std::optional<std::string>& played)
{
    const std::optional<fs::path> file = gameSettingsFile(line);
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
void tellPlayed(TWordStore& store, const std::optional<std::string>& played)
{
    TWordQuery query(store);
    query.SetSQL(WordCatalogue::countAllStatement());
    query.Open();
    const int words = query.FindField(WordCatalogue::kCountColumn).AsInteger();
    std::cout << "Le jeu tire ses mots "
              << (played ? "de la liste « " + Windows1252::toUtf8(*played) + " »"
                         : std::string("de toute la base"))
              << " (" << counted(words, "mot", "mots") << ").\n";
}

int importToList(TWordStore& store, const CommandLine& line)
{
    const std::string name = listName(line.value("liste"));
    const std::vector<ListLine> lines = ReadListFile(readFile(line.words[1]));
    const bool quiet = line.has("silencieux");
    const int excluded = quiet ? 0 : nameExcludedWords(lines, line.words[1]);
    WordList list(store);
    const bool isNew = !list.hasList(name);
    const ImportResult result = list.importToList(name, lines);
    for (const Rejection& rejection : result.rejections) {
        std::cerr << line.words[1] << ", ligne " << rejection.line << " : « " << rejection.word
                  << " » : " << rejection.reason << "\n";
    }
    if (!result.rejections.empty()) {
        std::cerr << kProgram << " : "
                  << counted(static_cast<int>(result.rejections.size()), "ligne refusée",
                             "lignes refusées")
                  << ", aucun mot importé.\n";
        return 1;
    }
    const bool trial = line.has("essai");
    if (!trial && result.added > 0)
        save(list, store);
    if (quiet)
        return 0;
    std::cout << (trial ? "Essai : " : "")
              << counted(result.added, trial ? "mot serait importé" : "mot importé",
                         trial ? "mots seraient importés" : "mots importés")
              << " dans la liste « " << line.value("liste") << " »"
              << (isNew && result.added > 0 ? " (nouvelle liste)" : "") << ", " << result.duplicates
              << " déjà dans la liste.\n";
    if (excluded > 0)
        std::cerr << (trial ? "Les mots signalés seraient importés dans la liste.\n"
                            : "Les mots signalés sont importés dans la liste. Pour en retirer "
                              "un : corbelet-mots retirer --liste NOM MOT\n");
    return 0;
}

int removeFromList(TWordStore& store, const CommandLine& line,
                   const std::vector<std::string>& words)
{
    const std::string name = *namedList(store, line);
    WordList list(store);
    const bool played = list.played() == name;
    const std::vector<std::string> missing = list.removeFromList(name, words);
    for (const std::string& word : missing)
        std::cerr << "« " << Windows1252::toUtf8(word) << " » n'est pas dans la liste « "
                  << line.value("liste") << " »\n";
    if (!missing.empty()) {
        std::cerr << kProgram << " : aucun mot retiré.\n";
        return 1;
    }
    save(list, store);
    std::cout << counted(static_cast<int>(words.size()), "mot retiré", "mots retirés")
              << " de la liste « " << line.value("liste") << " ».\n";
    if (!list.hasList(name)) {
        std::cout << "La liste « " << line.value("liste") << " » est vide : elle n'existe plus.\n";
        if (played) {
            recordPlayedList(line, std::nullopt);
            tellPlayed(store, std::nullopt);
        }
    }
    return 0;
}

int showLists(TWordStore& store, const CommandLine&)
{
    const std::optional<std::string> played = ReadPlayedList(store);
    const std::vector<WordListSummary> lists = ReadWordLists(store);
    if (lists.empty())
        std::cerr << "Aucune liste : « corbelet-mots importer FICHIER --liste NOM » en fait une.\n";
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
    PlayWordList(store, played, databaseOf(store));
    recordPlayedList(line, played);
    tellPlayed(store, played);
    return 0;
}

int importList(TWordStore& store, const CommandLine& line)
{
    if (line.has("liste"))
        return importToList(store, line);
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
    query.SetSQL(WordCatalogue::listStatement(filter, namedList(store, line)));
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
    if (line.has("liste"))
        return removeFromList(store, line, words);
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
    const std::optional<std::string> name = namedList(store, line);
    // Written whole under another name, then renamed: an interrupted export
    // never leaves half a list.
    QSaveFile file(QFile::decodeName(line.words[1].c_str()));
    const std::string text = name ? list.exportListText(*name) : list.exportText();
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(text.data(), static_cast<qint64>(text.size())) < 0 || !file.commit())
        throw std::runtime_error("impossible d'écrire « " + line.words[1] +
                                 " » : " + file.errorString().toStdString());
    if (name)
        std::cout << counted(list.listCount(*name), "mot exporté", "mots exportés")
                  << " de la liste « " << Windows1252::toUtf8(*name) << " ».\n";
    else
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
            {"reinitialiser", {resetList, "aucun argument", 0, 0}},
            {"listes", {showLists, "aucun argument", 0, 0}},
            {"jouer", {playList, "le nom d'une liste, ou --tous", 0, 1}}};
        const auto found = commands.find(command);
        if (found == commands.end())
            throw UsageError("commande inconnue « " + command + " »");
        const std::size_t count = line.words.size() - 1;
        if (count < found->second.least || count > found->second.most ||
            (command == "jouer" && (count == 1) == line.has("tous")))
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
