#include "text/systemerror.h"

#include <cerrno>
#include <cstring>
#include <utility>

namespace {

constexpr std::pair<int, const char*> kReasons[] = {
    {EPERM, "opération non permise"},
    {ENOENT, "fichier ou dossier introuvable"},
    {EIO, "erreur d'entrée-sortie"},
    {EACCES, "permission refusée"},
    {EBUSY, "fichier ou dossier occupé"},
    {EEXIST, "le fichier existe déjà"},
    {EXDEV, "lien entre deux systèmes de fichiers impossible"},
    {ENOTDIR, "ce n'est pas un dossier"},
    {EISDIR, "c'est un dossier"},
    {EINVAL, "argument invalide"},
    {ENFILE, "trop de fichiers ouverts sur le système"},
    {EMFILE, "trop de fichiers ouverts"},
    {EFBIG, "fichier trop gros"},
    {ENOSPC, "plus de place sur le disque"},
    {EROFS, "système de fichiers en lecture seule"},
    {EMLINK, "trop de liens"},
    {ENAMETOOLONG, "nom trop long"},
    {ENOTEMPTY, "le dossier n'est pas vide"},
    {ELOOP, "trop de liens symboliques"},
    {EDQUOT, "quota de disque dépassé"},
    {ENOMEM, "mémoire insuffisante"},
    {ETXTBSY, "fichier occupé"},
    {EAGAIN, "ressource temporairement indisponible"},
};

} // namespace

std::string SystemErrorText(int error)
{
    for (const auto& [code, reason] : kReasons) {
        if (code == error)
            return reason;
    }
    return std::strerror(error);
}
