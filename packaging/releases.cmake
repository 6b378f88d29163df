# The releases of the game, newest first: its version, its day (with a time,
# UTC, when a day has two), and what it brings, in English and in French
# (without semicolons: CMake reads them as list separators). The Debian
# changelog and the metainfo's release list are written from these lines; the
# newest must be the project's version.
set(CORBELET_RELEASES)
macro(corbelet_release version date english french)
    list(APPEND CORBELET_RELEASES ${version})
    set(CORBELET_RELEASE_${version}_DATE "${date}")
    set(CORBELET_RELEASE_${version}_EN "${english}")
    set(CORBELET_RELEASE_${version}_FR "${french}")
endmacro()

corbelet_release(1.2.0 "2026-12-10 16:00"
    "Each finished word said aloud in French (F5 says it again) and its real spelling shown. The player's progress kept in the player's base: a Progrès page with the best scores, the words won and lost each day and a chart of the last 30 days, the words missed most often made into a list to practise, and an export for a parent or a teacher (corbelet-mots progres --csv). KDE-Edu vocabulary files (KVTML) and spreadsheets (CSV) imported and exported by corbelet-mots, with the hint of each word shown by F6. A player's word that a newer shipped list holds is no longer drawn twice."
    "Chaque mot fini dit à voix haute en français (F5 le redit) et son orthographe montrée. Les progrès du joueur gardés dans sa base : une page Progrès avec les meilleurs scores, les mots gagnés et perdus chaque jour et un graphique des 30 derniers jours, les mots le plus souvent manqués mis dans une liste à revoir, et un export pour un parent ou un enseignant (corbelet-mots progres --csv). Les fichiers de vocabulaire de KDE-Edu (KVTML) et les tableurs (CSV) importés et exportés par corbelet-mots, avec l'indice de chaque mot montré par F6. Un mot du joueur que la nouvelle liste livrée contient n'est plus tiré deux fois.")
corbelet_release(1.1.0 2026-12-10
    "A teacher's named word lists, played alone on a player's base or for a whole class from a classroom server, whose pupils share one machine-wide password file. A guide for teachers in French. Every control and every pick readable by a screen reader. A shipped word list free of obscenities, slurs and adult themes. A word tool, a player's base and a classroom mode that hold under faults (an interrupted upgrade, a full disk, hostile files)."
    "Des listes de mots nommées pour l'enseignant, jouées seules sur la base d'un joueur ou par toute la classe depuis un serveur, dont les élèves partagent un fichier de mot de passe de la machine. Un guide de l'enseignant. Chaque contrôle et chaque lettre choisie lus par un lecteur d'écran. Une liste de mots livrée sans grossièretés, injures ni thèmes pour adultes. Un outil des listes, une base du joueur et un mode classe qui tiennent face aux pannes (mise à jour interrompue, disque plein, fichiers hostiles).")
corbelet_release(1.0.0 2026-12-09
    "First release: the whole game, installable on the desktop."
    "Première version : le jeu complet, installable sur le bureau.")
