#!/usr/bin/env python3
"""Build Corbelet's French word list (data/mots.tsv and data/isgenre.tsv).

Inputs
------
* The Hunspell lexicon "Dictionnaire orthographique fr" of Grammalecte /
  Dicollecte (Debian package hunspell-fr-comprehensive, MPL-2.0):
  fr.dic and fr.aff.  Its entries are lemmas with suffix flags and
  morphological tags (po:nom, po:adj, po:adv, po:v..., po:infi, is:mas,
  is:fem, is:epi, is:sg, is:pl, is:inv).
* The French frequency lists commonWords.json (subtitles) and
  wikipedia.json of the npm package @zxcvbn-ts/language-fr 3.0.2 (MIT).
* The review of the list for a game children play, data/exclusions.tsv:
  the spellings kept out of the list, each with its category, and the
  spellings looked at and kept.
* Two lists of French offensive words, read only to make sure the review
  has a decision for each of their words the lexicon would ship: fr.json of
  the npm package naughty-words 1.2.0 (CC-BY-4.0) and list.txt of
  french-badwords-list 1.0.7 (MIT).
Without --common/--wikipedia, --naughty-words and --badwords the script
fetches those npm packages with `npm pack` into a temporary folder.

Selection
---------
Every lexicon entry tagged po:nom, po:adj, po:adv or po:v... is expanded
through its suffix rules (single level; the continuation flags of this
lexicon are only elision prefixes, which play no part in a lemma):

* nouns (ref_type 6): the lemma form (the form the identity rule gives,
  else the first masculine singular form) with its gender, plus the first
  feminine singular form of a noun whose gender varies ("lion" / "lionne",
  "acteur" / "actrice"); an entry with no singular form at all keeps its
  plural ("fiançailles", "obsèques");
* adjectives (ref_type 1): the lemma form only (masculine singular, or
  epicene, or invariable); an adjective entry with only plural forms is
  left out;
* adverbs (ref_type 2): the entry itself;
* verbs (ref_type 9): the form tagged po:infi, or the entry itself for the
  few defective verbs that have no other form (quérir).

Genre: is:epi -> 3, is:mas -> 1, is:fem -> 2 for nouns and adjectives;
a noun or adjective with both genders under one spelling (from two
entries) -> 3, as the lexicon itself does for "livre" or "tour";
adverbs -> 3; verbs -> 35.  An adjective whose lemma carries no gender
tag is taken as masculine; a noun without one ("mieux") is left out.

A candidate is kept when it is common (its spelling, or its spelling with
oe/ae for the ligatures, appears in either frequency list: rank = the
better of its two ranks, --max-rank caps it) and winnable: the ligatures
are spelled out (coeur, soeur, oeuf), it is lower case, 2 to 25
characters, representable in Windows-1252, and after accent folding and
upper-casing holds only A-Z, hyphen and apostrophe, neither first nor
last, with at least one vowel (A E I O U Y).  Proper nouns and
capitalised abbreviations, words with digits, spaces or dots are thereby
left out.  Also skipped: entries tagged po:err (recorded misspellings),
entries carrying a stem (st:) other than themselves, entries with the
KEEPCASE flag (symbols and units: kn, ppm) and the hand-made list
EXCLUDED (lower-case abbreviations such as "oct" or "litt", the halves
of two-word locutions such as "feng" or "priori", and plurals entered
apart from their singular such as "yeux").

Points
------
A word's value grows with how hard it is to guess in hangman.  Work on the
folded, upper-cased word W of n characters with D distinct symbols:

1. Guess order G, the 28 symbols from most to least frequent in French
   text: E A S I N T R U L O D C M P V Q F B G H J X Y Z K W, then the
   hyphen, then the apostrophe (the last symbols a player tries).
2. Misses M: a player who picks the symbols in the order G until the word
   is uncovered makes p picks, p being the position (1-based) in G of the
   word's least frequent symbol; D of them are right, so M = p - D.
3. Rarity R = the sum, over the distinct symbols of W, of the weight of
   the symbol: 0 for E A S I N T R U L O; 1 for D C M P; 2 for V Q F B G H;
   4 for J X Y Z; 5 for K, W, the hyphen and the apostrophe.
4. Shortness S = max(0, 9 - n): short words give away little.
5. Repeats P = n - D: repeated symbols uncover several positions per pick.

raw = 1.5 * M + 1.0 * R + 2.0 * S - 1.0 * P, and
point = min(52, max(2, 2 + floor(raw + 0.5))).

Review
------
A candidate whose spelling the review excludes is left out. The script
stops without writing when a word the review keeps is not in the list (it
was lost to another rule, or the review names a word that does not exist),
or when a word of either offensive-word list would be shipped without a
decision in the review: comparing the list's words, lower-cased, with the
candidates both as spelled and as played (accents folded, upper-cased).

Output
------
data/mots.tsv: Windows-1252, LF, no header; one line per word:
mots, taille (characters = bytes), point, ref_type, ref_genre, separated
by tabs; sorted by the Windows-1252 bytes of the word, then by ref_type;
(word, ref_type) is unique.
data/isgenre.tsv: id_genre<TAB>desc_genre, same encoding.

Usage: build_wordlist.py [--dic fr.dic] [--aff fr.aff] [--review exclusions.tsv]
[--naughty-words fr.json] [--badwords list.txt] [--common
commonWords.json --wikipedia wikipedia.json] [--out-dir data] [--stats]
"""

from __future__ import annotations

import argparse
import json
import math
import os
import re
import subprocess
import sys
import tarfile
import tempfile
from collections import Counter, defaultdict
from dataclasses import dataclass, field

FREQUENCY_PACKAGE = "@zxcvbn-ts/language-fr@3.0.2"
NAUGHTY_WORDS_PACKAGE = "naughty-words@1.2.0"
BADWORDS_PACKAGE = "french-badwords-list@1.0.7"

# The categories of an excluded word in the review, and the decision of a
# word looked at and kept.
CATEGORIES = ("grossier", "injure", "sexuel", "discriminatoire", "adulte")
KEPT = "gardé"

ADJECTIVE, ADVERB, NOUN, VERB = 1, 2, 6, 9
MASCULINE, FEMININE, EPICENE, VERB_GENRE = 1, 2, 3, 35

GENRES = [
    (MASCULINE, "Masculin"),
    (FEMININE, "Feminin"),
    (EPICENE, "Invariable (épicène)"),
    (VERB_GENRE, "Verbe à l'infinitif"),
]

MIN_LENGTH, MAX_LENGTH = 2, 25
NOT_LISTED = sys.maxsize
KEEPCASE = "||"  # the lexicon's flag for symbols and units (kn, ppm, atm)

# Entries that are no words of their own or no lemmas, found by reading the
# candidates: abbreviations written with a dot, Latin or foreign halves of
# locutions written in two words, a unit, a letter name, irregular plurals.
EXCLUDED = {
    # abbreviations
    "avr", "chap", "coll", "cos", "déc", "div", "éd", "env", "févr", "fig",
    "hab", "ibid", "janv", "juil", "lat", "litt", "ln", "nov", "oct", "op",
    "sin", "tan", "tél",
    # halves of locutions (ex aequo, agnus dei, ecce homo, feng shui,
    # lingua franca, modus vivendi, nec plus ultra, a priori, pont-levis)
    "æquo", "agnus", "dei", "ecce", "feng", "franca", "levis", "lingua",
    "modus", "nec", "priori", "shui", "vivendi",
    # a unit and a letter name
    "stokes", "æ",
    # plurals of a singular the lexicon enters separately (yeux for oeil,
    # chauves-souris for chauve-souris): the list holds lemmas
    "aïeux", "amours", "années-lumière", "chauves-souris", "cieux", "délices",
    "dus", "gentilshommes", "länder", "lei", "lieder", "loups-garous",
    "mesdames", "mesdemoiselles", "messieurs", "orgues", "pence",
    "pots-de-vin", "vaux", "yeux",
}
MIN_POINT, MAX_POINT = 2, 52

# Accent folding as the game does it: accented Latin-1 letters (and the
# two carons of Windows-1252) to their base letter.
FOLD = {}
for letters, base in (
    ("ÀÁÂÃÄÅàáâãäå", "A"),
    ("Çç", "C"),
    ("ÈÉÊËèéêë", "E"),
    ("ÌÍÎÏìíîï", "I"),
    ("Ññ", "N"),
    ("ÒÓÔÕÖòóôõö", "O"),
    ("ÙÚÛÜùúûü", "U"),
    ("ÝŸýÿ", "Y"),
    ("Šš", "S"),
    ("Žž", "Z"),
):
    for letter in letters:
        FOLD[letter] = base

GUESS_ORDER = "EASINTRULODCMPVQFBGHJXYZKW-'"
RARITY = {}
for symbols, weight in (
    ("EASINTRULO", 0),
    ("DCMP", 1),
    ("VQFBGH", 2),
    ("JXYZ", 4),
    ("KW-'", 5),
):
    for symbol in symbols:
        RARITY[symbol] = weight
assert sorted(GUESS_ORDER) == sorted(RARITY)


def fold(word: str) -> str:
    """Accent-folded, upper-cased word (letters outside the table kept)."""
    return "".join(FOLD.get(c, c) for c in word).upper()


def points(word: str) -> int:
    """Value of a word (see the module docstring, section Points)."""
    folded = fold(word)
    n = len(folded)
    distinct = set(folded)
    picks = max(GUESS_ORDER.index(c) + 1 for c in distinct)
    misses = picks - len(distinct)
    rarity = sum(RARITY[c] for c in distinct)
    shortness = max(0, 9 - n)
    repeats = n - len(distinct)
    raw = 1.5 * misses + 1.0 * rarity + 2.0 * shortness - 1.0 * repeats
    return min(MAX_POINT, max(MIN_POINT, 2 + math.floor(raw + 0.5)))


# --------------------------------------------------------------------------
# Hunspell lexicon


@dataclass
class SuffixRule:
    strip: str
    add: str
    condition: re.Pattern
    tags: list[str]

    def apply(self, stem: str) -> str | None:
        if self.strip and not stem.endswith(self.strip):
            return None
        if not self.condition.search(stem):
            return None
        base = stem[: len(stem) - len(self.strip)] if self.strip else stem
        return base + self.add


@dataclass
class Entry:
    word: str
    flags: list[str]
    tags: list[str]


@dataclass
class Form:
    word: str
    tags: set[str] = field(default_factory=set)
    identity: bool = False


def condition_regex(condition: str) -> re.Pattern:
    # Hunspell conditions are a sequence of characters, "." and bracket
    # classes matched against the end of the stem: a regular expression.
    if condition == ".":
        return re.compile("")
    return re.compile("(?:" + condition + ")$")


def read_aff(path: str) -> tuple[dict[str, list[SuffixRule]], str]:
    rules: dict[str, list[SuffixRule]] = defaultdict(list)
    need_affix = ""
    with open(path, encoding="utf-8") as aff:
        for line in aff:
            parts = line.split()
            if not parts:
                continue
            if parts[0] == "FLAG" and parts[1] != "long":
                raise SystemExit("unexpected flag type " + parts[1])
            if parts[0] == "NEEDAFFIX":
                need_affix = parts[1]
            if parts[0] != "SFX" or len(parts) < 5:
                continue
            flag, strip, add, condition = parts[1:5]
            add = add.split("/", 1)[0]
            rules[flag].append(
                SuffixRule(
                    strip="" if strip == "0" else strip,
                    add="" if add == "0" else add,
                    condition=condition_regex(condition),
                    tags=parts[5:],
                )
            )
    return rules, need_affix


def read_dic(path: str) -> list[Entry]:
    entries = []
    with open(path, encoding="utf-8") as dic:
        next(dic)  # entry count
        for line in dic:
            parts = line.split()
            if not parts:
                continue
            word, _, flags = parts[0].partition("/")
            entries.append(
                Entry(
                    word=word,
                    flags=[flags[i : i + 2] for i in range(0, len(flags), 2)],
                    tags=parts[1:],
                )
            )
    return entries


def expand(entry: Entry, rules, need_affix: str) -> list[Form]:
    """Every form of the entry with its tags (entry tags + rule tags)."""
    forms = []
    base_tags = set(entry.tags)
    if need_affix not in entry.flags:
        forms.append(Form(entry.word, set(base_tags), identity=True))
    for flag in entry.flags:
        for rule in rules.get(flag, ()):
            word = rule.apply(entry.word)
            if word is not None:
                forms.append(
                    Form(word, base_tags | set(rule.tags), identity=word == entry.word)
                )
    return forms


def is_verb(tags) -> bool:
    return any(re.match(r"po:v\d", t) for t in tags)


def gender(tags) -> int | None:
    if "is:epi" in tags:
        return EPICENE
    if "is:mas" in tags:
        return MASCULINE
    if "is:fem" in tags:
        return FEMININE
    return None


def singular(form: Form) -> bool:
    return "is:pl" not in form.tags


def lemma_form(forms: list[Form]) -> Form | None:
    """The lemma: the identity form, else the first masculine singular."""
    sing = [f for f in forms if singular(f)]
    for f in sing:
        if f.identity:
            return f
    for f in sing:
        if "is:mas" in f.tags or "is:epi" in f.tags:
            return f
    if sing:
        return sing[0]
    plural = [f for f in forms if f.identity] or forms
    return plural[0] if plural else None


def candidates(entries, rules, need_affix):
    """Yield (word, ref_type, genre or None) for every lemma of the lexicon."""
    for entry in entries:
        tags = entry.tags
        if "po:err" in tags or KEEPCASE in entry.flags or entry.word in EXCLUDED:
            continue
        stems = [t[3:] for t in tags if t.startswith("st:")]
        if stems and stems[0] != entry.word:
            continue
        noun, adjective = "po:nom" in tags, "po:adj" in tags
        adverb, verb = "po:adv" in tags, is_verb(tags)
        if not (noun or adjective or adverb or verb):
            continue
        forms = expand(entry, rules, need_affix)
        if verb:
            infinitives = [f for f in forms if "po:infi" in f.tags]
            if infinitives:
                yield infinitives[0].word, VERB, VERB_GENRE
            elif need_affix not in entry.flags and re.search("(r|re)$", entry.word):
                # Defective verbs with no other form (quérir, courre) carry
                # no po:infi tag: the entry itself is the infinitive.
                yield entry.word, VERB, VERB_GENRE
        if adverb:
            yield entry.word, ADVERB, EPICENE
        nominal = [f for f in forms if not any(t == "po:infi" for t in f.tags)]
        lemma = lemma_form(nominal)
        if lemma is None:
            continue
        if adjective and singular(lemma):
            yield lemma.word, ADJECTIVE, gender(lemma.tags) or MASCULINE
        if noun:
            yield lemma.word, NOUN, gender(lemma.tags)
            if gender(lemma.tags) == MASCULINE:
                for f in nominal:
                    if singular(f) and gender(f.tags) == FEMININE:
                        yield f.word, NOUN, FEMININE
                        break


# --------------------------------------------------------------------------
# Frequency lists


def fetch_npm(folder: str, package: str, members: list[str]) -> list[str]:
    """The named files of an npm package, extracted into `folder`."""
    subprocess.run(
        ["npm", "pack", "--silent", package],
        cwd=folder,
        check=True,
        stdout=subprocess.DEVNULL,
    )
    name = package.rsplit("@", 1)[0].lstrip("@").replace("/", "-")
    archive = [f for f in os.listdir(folder) if f.startswith(name) and f.endswith(".tgz")][0]
    paths = []
    with tarfile.open(os.path.join(folder, archive)) as tar:
        for member in members:
            path = os.path.join(folder, name + "-" + os.path.basename(member))
            with tar.extractfile(tar.getmember("package/" + member)) as src, open(
                path, "wb"
            ) as dst:
                dst.write(src.read())
            paths.append(path)
    return paths


def read_ranks(*paths: str) -> dict[str, int]:
    ranks: dict[str, int] = {}
    for path in paths:
        with open(path, encoding="utf-8") as f:
            for rank, word in enumerate(json.load(f), start=1):
                if rank < ranks.get(word, sys.maxsize):
                    ranks[word] = rank
    return ranks


# --------------------------------------------------------------------------
# Review


@dataclass
class Decision:
    category: str  # one of CATEGORIES, or KEPT
    note: str


def read_review(path: str) -> dict[str, Decision]:
    """The review file: word -> decision; raises SystemExit on a bad line."""
    review: dict[str, Decision] = {}
    with open(path, encoding="utf-8") as lines:
        for number, line in enumerate(lines, start=1):
            line = line.rstrip("\n")
            if not line or line.startswith("#"):
                continue
            fields = line.split("\t")
            where = f"{path}:{number}: "
            if len(fields) not in (2, 3) or not fields[0]:
                raise SystemExit(where + "expected word<TAB>decision[<TAB>note]")
            word, category = fields[0], fields[1]
            note = fields[2] if len(fields) == 3 else ""
            if category not in CATEGORIES + (KEPT,):
                raise SystemExit(where + f"unknown decision {category!r}")
            if category == KEPT and not note:
                raise SystemExit(where + f"{word!r} is kept without the sense that keeps it")
            if word in review:
                raise SystemExit(where + f"{word!r} is reviewed twice")
            review[word] = Decision(category, note)
    return review


def read_offensive_words(naughty_words: str, badwords: str) -> set[str]:
    """The words of both offensive-word lists, lower-cased."""
    with open(naughty_words, encoding="utf-8") as f:
        words = set(json.load(f))
    with open(badwords, encoding="utf-8") as f:
        words.update(line.strip() for line in f if line.strip())
    return {w.lower() for w in words}


def check_review(shipped, review, offensive) -> list[str]:
    """What stops the list from being written: kept words missing from
    `shipped` (the words the lexicon would ship, before the review), and
    offensive-list words in it without a decision."""
    problems = []
    spellings = {word for word, _, _ in shipped}
    for word, decision in review.items():
        if decision.category == KEPT and word not in spellings:
            problems.append(f"kept word {word!r} is not in the list")
    played = defaultdict(set)
    for word in spellings:
        played[fold(word)].add(word)
    for listed in sorted(offensive):
        for word in sorted({listed} & spellings | played.get(fold(spelled_out(listed)), set())):
            if word not in review:
                problems.append(f"{word!r} (offensive-word list: {listed!r}) has no decision")
    return problems


# --------------------------------------------------------------------------
# Filtering and output


def spelled_out(word: str) -> str:
    return (
        word.replace("œ", "oe").replace("æ", "ae").replace("’", "'").replace("ʼ", "'")
    )


def winnable(word: str) -> bool:
    if not (MIN_LENGTH <= len(word) <= MAX_LENGTH) or word != word.lower():
        return False
    try:
        word.encode("cp1252")
    except UnicodeEncodeError:
        return False
    folded = fold(word)
    if not re.fullmatch(r"[A-Z][A-Z'-]*[A-Z]", folded):
        return False
    if "--" in folded or "''" in folded:
        return False
    return re.search("[AEIOUY]", folded) is not None


def build(entries, rules, need_affix, ranks, max_rank):
    """The rows the lexicon and the frequency lists give, before the review."""
    genres: dict[tuple[str, int], set[int]] = defaultdict(set)
    stats = Counter()
    for word, ref_type, genre in candidates(entries, rules, need_affix):
        stats["candidate"] += 1
        if any(c.isupper() for c in word):
            stats["capitalised"] += 1
            continue
        rank = min(ranks.get(word, NOT_LISTED), ranks.get(spelled_out(word), NOT_LISTED))
        if rank == NOT_LISTED or rank > max_rank:
            stats["not common"] += 1
            continue
        word = spelled_out(word)
        if not winnable(word):
            stats["not winnable"] += 1
            continue
        if genre is None:
            stats["noun without gender"] += 1
            continue
        genres[(word, ref_type)].add(genre)
    rows = []
    for (word, ref_type), found in genres.items():
        genre = found.pop() if len(found) == 1 else EPICENE
        rows.append((word, ref_type, genre))
    rows.sort(key=lambda r: (r[0].encode("cp1252"), r[1]))
    return rows, stats


def write_tsv(path: str, lines: list[str]) -> None:
    with open(path, "wb") as out:
        for line in lines:
            out.write(line.encode("cp1252") + b"\n")


def main() -> int:
    here = os.path.dirname(os.path.abspath(__file__))
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--dic", default="/usr/share/hunspell/fr.dic")
    parser.add_argument("--aff", default="/usr/share/hunspell/fr.aff")
    parser.add_argument("--common", help="commonWords.json of @zxcvbn-ts/language-fr")
    parser.add_argument("--wikipedia", help="wikipedia.json of @zxcvbn-ts/language-fr")
    parser.add_argument("--naughty-words", help="fr.json of naughty-words")
    parser.add_argument("--badwords", help="list.txt of french-badwords-list")
    parser.add_argument(
        "--review", default=os.path.join(here, "..", "..", "data", "exclusions.tsv")
    )
    parser.add_argument("--max-rank", type=int, default=sys.maxsize)
    parser.add_argument("--out-dir", default=os.path.join(here, "..", "..", "data"))
    parser.add_argument("--stats", action="store_true", help="print counts")
    args = parser.parse_args()

    rules, need_affix = read_aff(args.aff)
    entries = read_dic(args.dic)
    review = read_review(args.review)
    with tempfile.TemporaryDirectory() as tmp:
        if args.common and args.wikipedia:
            common, wikipedia = args.common, args.wikipedia
        else:
            common, wikipedia = fetch_npm(
                tmp, FREQUENCY_PACKAGE, ["src/commonWords.json", "src/wikipedia.json"]
            )
        naughty_words = args.naughty_words or fetch_npm(tmp, NAUGHTY_WORDS_PACKAGE, ["fr.json"])[0]
        badwords = args.badwords or fetch_npm(tmp, BADWORDS_PACKAGE, ["list.txt"])[0]
        ranks = read_ranks(common, wikipedia)
        offensive = read_offensive_words(naughty_words, badwords)
    candidates_rows, stats = build(entries, rules, need_affix, ranks, args.max_rank)
    problems = check_review(candidates_rows, review, offensive)
    if problems:
        print("\n".join(problems), file=sys.stderr)
        raise SystemExit(f"{len(problems)} review problems, nothing written ({args.review})")
    rows = []
    for row in candidates_rows:
        decision = review.get(row[0])
        if decision and decision.category != KEPT:
            stats[f"excluded, {decision.category}"] += 1
        else:
            rows.append(row)

    os.makedirs(args.out_dir, exist_ok=True)
    write_tsv(
        os.path.join(args.out_dir, "mots.tsv"),
        [f"{w}\t{len(w)}\t{points(w)}\t{t}\t{g}" for w, t, g in rows],
    )
    write_tsv(
        os.path.join(args.out_dir, "isgenre.tsv"),
        [f"{i}\t{d}" for i, d in GENRES],
    )

    if args.stats:
        print(f"{len(rows)} words")
        for key, value in sorted(stats.items()):
            print(f"  {key}: {value}")
        for (t, g), n in sorted(Counter((t, g) for _, t, g in rows).items()):
            print(f"  type {t} genre {g}: {n}")
        histogram = Counter(points(w) for w, _, _ in rows)
        for p in range(MIN_POINT, MAX_POINT + 1):
            n = histogram.get(p, 0)
            print(f"  point {p:2}: {n:5} {100.0 * n / len(rows):4.1f} %")
    return 0


if __name__ == "__main__":
    sys.exit(main())
