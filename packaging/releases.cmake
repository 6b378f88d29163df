# The releases of the game, newest first: its version, its day, and what it
# brings, in English and in French. The Debian changelog and the metainfo's
# release list are written from these lines; the newest must be the project's
# version.
set(CORBELET_RELEASES)
macro(corbelet_release version date english french)
    list(APPEND CORBELET_RELEASES ${version})
    set(CORBELET_RELEASE_${version}_DATE ${date})
    set(CORBELET_RELEASE_${version}_EN "${english}")
    set(CORBELET_RELEASE_${version}_FR "${french}")
endmacro()

corbelet_release(1.1.0 2026-12-10
    "A shipped word list a child may play: the obscenities, slurs and adult themes that the frequency lists brought in are left out after a review of every candidate, and corbelet-mots names such words in a teacher's list before importing it."
    "Une liste de mots livrée qu'un enfant peut jouer : les grossièretés, injures et thèmes pour adultes venus des listes de fréquence sont écartés après relecture de chaque candidat, et corbelet-mots signale ces mots dans la liste d'un enseignant avant de l'importer.")
corbelet_release(1.0.0 2026-12-09
    "First release: the whole game, installable on the desktop."
    "Première version : le jeu complet, installable sur le bureau.")
