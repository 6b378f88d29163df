#include "layout/playerbase.h"

#include "settingsfile/filedescriptor.h"
#include "settingsfile/regularfile.h"
#include "text/systemerror.h"
#include "wordstore/baselock.h"
#include "wordstore/wordcatalogue.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <fstream>
#include <stdexcept>
#include <system_error>

namespace fs = std::filesystem;

namespace {

constexpr char kDataName[] = "data";
constexpr char kPreviousName[] = "data.previous";
// A stamp is a line; anything larger is not one.
constexpr std::uintmax_t kMaxStampSize = 4096;
// A copy in progress: "data.new-" and a unique suffix.
constexpr char kTemporaryPrefix[] = "data.new-";
// A complete copy, the player's tables carried into it, waiting to take the
// place of data/.
constexpr char kNextName[] = "data.next";

// Raises the French text "<what> « <folder> » : <reason>".
[[noreturn]] void fail(const char* what, const fs::path& folder, int error)
{
    throw std::runtime_error(std::string(what) + " « " + folder.string() +
                             " » : " + SystemErrorText(error));
}

// Raises FolderNotWritable with the same text.
[[noreturn]] void failToWrite(const char* what, const fs::path& folder, int error)
{
    throw FolderNotWritable(std::string(what) + " « " + folder.string() +
                            " » : " + SystemErrorText(error));
}

constexpr char kCannotCopy[] = "Impossible de copier la base de mots dans le dossier";

// Writes a file's or a folder's content through to the disk, so that a rename
// made after it never publishes a copy that a power cut would leave empty.
void flushToDisk(const fs::path& path)
{
    const FileDescriptor descriptor(open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (descriptor.get() < 0 || fsync(descriptor.get()) != 0)
        throw fs::filesystem_error("fsync", path, std::error_code(errno, std::generic_category()));
}

// Copies the content of the folder `source` into the existing folder `target`,
// private to the user: folders 0700, files 0600. Raises filesystem_error.
void copyTree(const fs::path& source, const fs::path& target)
{
    for (const fs::directory_entry& entry : fs::directory_iterator(source)) {
        const fs::path copy = target / entry.path().filename();
        if (entry.is_directory()) {
            if (mkdir(copy.c_str(), 0700) != 0)
                throw fs::filesystem_error("mkdir", copy,
                                           std::error_code(errno, std::generic_category()));
            copyTree(entry.path(), copy);
        } else {
            fs::copy_file(entry.path(), copy);
            fs::permissions(copy, fs::perms::owner_read | fs::perms::owner_write);
            flushToDisk(copy);
        }
    }
    flushToDisk(target);
}

// Carries the player's own tables (the words added and removed, the lists and
// the list played) from the player's base `from` into the new copy `to`, over
// the shipped empty ones, and leaves the marker that makes the next connection
// refill the words the game reads from them. Nothing to do when the player
// changed nothing: empty tables, or a base made before the player could change
// it.
void carryPlayerTables(const fs::path& from, const fs::path& to)
{
    const fs::path database(WordCatalogue::kDatabase);
    const auto tableFile = [&](const fs::path& base, std::string_view table, const char* suffix) {
        return base / database / (std::string(table) + suffix);
    };
    bool changed = false;
    for (const std::string_view table : WordCatalogue::playerTables()) {
        std::error_code error;
        const auto size = fs::file_size(tableFile(from, table, ".MYD"), error);
        changed = changed || (!error && size > 0);
    }
    if (!changed)
        return;
    // A MyISAM table is its definition, its rows and its index. A table that
    // a base made before it existed lacks stays as the new copy has it.
    for (const std::string_view table : WordCatalogue::playerTables()) {
        std::error_code missing;
        if (!fs::exists(tableFile(from, table, ".frm"), missing))
            continue;
        for (const char* suffix : {".frm", ".MYD", ".MYI"}) {
            const fs::path copy = tableFile(to, table, suffix);
            fs::copy_file(tableFile(from, table, suffix), copy,
                          fs::copy_options::overwrite_existing);
            fs::permissions(copy, fs::perms::owner_read | fs::perms::owner_write);
            flushToDisk(copy);
        }
    }
    const fs::path marker = to / WordCatalogue::kPlayerTablesPendingFile;
    std::ofstream(marker).close();
    flushToDisk(marker);
}

// Removes what interrupted copies left in baseFolder.
void removeLeftovers(const fs::path& baseFolder)
{
    std::error_code error;
    for (const fs::directory_entry& entry : fs::directory_iterator(baseFolder, error)) {
        if (entry.path().filename().string().starts_with(kTemporaryPrefix))
            fs::remove_all(entry.path(), error); // a leftover that stays does no harm
    }
}

// Ends an update that was interrupted once its copy was complete, from what
// lies in baseFolder. With data/ still there, the update had not yet moved it
// aside: the copy goes, and the update is made again from data/ as it is now.
// Without data/, it had been moved to data.previous: the copy, which holds
// the player's tables, takes its place.
void endInterruptedUpdate(const fs::path& baseFolder, int lockDescriptor)
{
    const fs::path next = baseFolder / kNextName;
    const fs::path current = baseFolder / kDataName;
    std::error_code error;
    if (!fs::exists(next, error))
        return;
    if (fs::exists(current, error))
        fs::remove_all(next, error);
    else if (rename(next.c_str(), current.c_str()) != 0)
        error = std::error_code(errno, std::generic_category());
    if (error)
        fail("Impossible de remplacer la base de mots dans le dossier", baseFolder, error.value());
    fsync(lockDescriptor);
}

} // namespace

std::string BaseStamp(const fs::path& base)
{
    const fs::path file = base / CORBELET_BASE_STAMP;
    const RegularFile stamp = ReadRegularFile(file.string(), kMaxStampSize, FileLinks::Refuse);
    switch (stamp.outcome) {
    case RegularFile::Read:
        break;
    case RegularFile::Missing:
        return {};
    case RegularFile::NotRegular:
        throw std::runtime_error("Le fichier de version de la base « " + file.string() +
                                 " » n'est pas un fichier ordinaire.");
    case RegularFile::Failed:
        fail("Impossible de lire le fichier de version de la base", file, stamp.error);
    }
    return stamp.content.substr(0, stamp.content.find('\n'));
}

void EnsureWritableFolder(const fs::path& folder)
{
    // Created one level at a time, each with mode 0700, as the XDG rules ask
    // of the folders a program makes for its user.
    fs::path partial;
    for (const fs::path& part : folder) {
        partial /= part;
        if (mkdir(partial.c_str(), 0700) != 0 && errno != EEXIST)
            failToWrite("Impossible de créer le dossier", partial, errno);
    }
    struct stat status = {};
    if (stat(folder.c_str(), &status) != 0)
        failToWrite("Impossible de créer le dossier", folder, errno);
    if (!S_ISDIR(status.st_mode))
        failToWrite("Impossible de créer le dossier", folder, ENOTDIR);
    // The player's own folder, as the lock's: another user's folder (or one
    // a link leads to) could hold a base or settings planted for this player.
    if (status.st_uid != geteuid())
        throw std::runtime_error("Le dossier « " + folder.string() +
                                 " » appartient à un autre utilisateur : le jeu ne s'en sert pas. "
                                 "Supprimez-le ou rendez-le à son propriétaire.");
    if ((status.st_mode & 07777) != 0700 && chmod(folder.c_str(), 0700) != 0)
        fail("Impossible de réserver au joueur le dossier", folder, errno);
    if (access(folder.c_str(), W_OK | X_OK) != 0)
        failToWrite("Impossible d'écrire dans le dossier", folder, errno);
}

BaseUpdate UpdatePlayerBase(const fs::path& shippedBase, const fs::path& baseFolder)
{
    EnsureWritableFolder(baseFolder);
    // Held until the copy is in place; released when the descriptor closes.
    const FileDescriptor lock(open(baseFolder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (lock.get() < 0 || flock(lock.get(), LOCK_EX) != 0)
        fail("Impossible de verrouiller le dossier", baseFolder, errno);

    endInterruptedUpdate(baseFolder, lock.get());
    const fs::path current = baseFolder / kDataName;
    std::error_code error;
    const bool present = fs::is_directory(current, error);
    const std::string shippedStamp = BaseStamp(shippedBase);
    if (present && BaseStamp(current) == shippedStamp) {
        if (access(current.c_str(), W_OK | X_OK) != 0)
            fail("Impossible d'écrire dans le dossier", current, errno);
        return BaseUpdate::Unchanged;
    }

    // A program that runs on the player's base (the game, or the word tool)
    // holds its lock for as long as its word server runs there: the folder
    // stays where it is until that program ends.
    BaseLock baseLock;
    if (present) {
        switch (baseLock.take(current)) {
        case BaseLock::Outcome::Taken:
            break;
        case BaseLock::Outcome::InUse:
            throw std::runtime_error("La base de mots « " + current.string() +
                                     " » est ouverte dans le jeu ou dans un autre programme, "
                                     "et une nouvelle version du jeu doit la remplacer : "
                                     "fermez le jeu, puis recommencez.");
        case BaseLock::Outcome::Failed:
            fail("Impossible de verrouiller la base de mots dans le dossier", current,
                 baseLock.error());
        }
    }

    removeLeftovers(baseFolder);
    std::string pattern = (baseFolder / kTemporaryPrefix).string() + "XXXXXX";
    if (!mkdtemp(pattern.data()))
        fail(kCannotCopy, baseFolder, errno);
    const fs::path temporary(pattern);
    const fs::path next = baseFolder / kNextName;
    try {
        copyTree(shippedBase, temporary);
        if (present)
            carryPlayerTables(current, temporary);
        if (rename(temporary.c_str(), next.c_str()) != 0)
            throw fs::filesystem_error("rename", next,
                                       std::error_code(errno, std::generic_category()));
        // data.next reaches the disk before data/ is moved aside.
        flushToDisk(baseFolder);
    } catch (const fs::filesystem_error& copyError) {
        fs::remove_all(temporary, error);
        fs::remove_all(next, error);
        const bool shippedUnreadable = copyError.path1().string().starts_with(shippedBase.string());
        fail(shippedUnreadable ? "Impossible de lire la base de mots livrée dans le dossier"
                               : kCannotCopy,
             shippedUnreadable ? shippedBase : baseFolder, copyError.code().value());
    }

    // From here on an interruption leaves the complete copy as data.next,
    // with data/ either still in place or moved to data.previous: the next
    // update ends it from there (endInterruptedUpdate).
    const fs::path previous = baseFolder / kPreviousName;
    if (present) {
        fs::remove_all(previous, error);
        if (error || rename(current.c_str(), previous.c_str()) != 0) {
            const int reason = error ? error.value() : errno;
            fs::remove_all(next, error);
            fail("Impossible de remplacer la base de mots dans le dossier", baseFolder, reason);
        }
    }
    if (rename(next.c_str(), current.c_str()) != 0) {
        const int reason = errno;
        // The player's copy goes back in place; should that fail too, the
        // next update puts data.next there.
        if (present && rename(previous.c_str(), current.c_str()) == 0)
            fs::remove_all(next, error);
        fail(kCannotCopy, baseFolder, reason);
    }
    // The renames reach the disk now; should that fail, they are already
    // made and there is nothing to undo.
    fsync(lock.get());
    return present ? BaseUpdate::Replaced : BaseUpdate::Copied;
}
