#!/usr/bin/env bash
# Synthesises the game's eight default sound cues with SoX and encodes them
# with LAME into res/<cue name>.mp3 (44.1 kHz mono, 96 kbit/s, peaks at
# -6 dBFS). Run by hand from anywhere; the MP3 files are committed.
#   tools/sounds/make-sounds.sh [output folder]     (default: res/)

set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
output=${1:-$root/res}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

rate=44100
# Repeatable noise: the same script makes the same files.
export SOX_OPTS=-R

# note FILE START LENGTH FADEOUT VOLUME SYNTH-ARGS...: one tone starting START
# seconds into the cue, with a short attack and a logarithmic release.
note() {
    local file=$1 start=$2 length=$3 release=$4 volume=$5
    shift 5
    sox -n -r "$rate" -c 1 -b 16 "$work/$file.wav" synth "$length" "$@" \
        fade l 0.005 "$length" "$release" vol "$volume" pad "$start"
}

# cue NAME FILE...: mixes the parts, peaks them at -6 dBFS and encodes.
cue() {
    local name=$1
    shift
    local parts=()
    local part
    for part in "$@"; do
        parts+=("$work/$part.wav")
    done
    if [ ${#parts[@]} -gt 1 ]; then
        sox -m "${parts[@]}" "$work/$name.wav" gain -n -6
    else
        sox "${parts[0]}" "$work/$name.wav" gain -n -6
    fi
    lame --quiet --noreplaygain -m m -b 96 "$work/$name.wav" "$output/$name.mp3"
}

mkdir -p "$output"

# Greeting jingle: a plucked C major arpeggio rising to the octave.
note hello1 0.00 0.55 0.45 0.8 pluck C5
note hello2 0.12 0.55 0.45 0.8 pluck E5
note hello3 0.24 0.55 0.45 0.8 pluck G5
note hello4 0.36 0.70 0.60 0.9 pluck C6
note hello5 0.36 0.70 0.60 0.3 sine C5
cue SonHello hello1 hello2 hello3 hello4 hello5

# New word: a soft swoosh, filtered pink noise swelling and dying away over a
# rising whistle.
sox -n -r "$rate" -c 1 -b 16 "$work/swoosh1.wav" synth 0.45 pinknoise \
    highpass 500 lowpass 4000 fade h 0.2 0.45 0.25 vol 0.8
sox -n -r "$rate" -c 1 -b 16 "$work/swoosh2.wav" synth 0.45 sine 500:1800 \
    fade h 0.2 0.45 0.25 vol 0.15
cue SonNouveau swoosh1 swoosh2

# Right letter: a short bright blip (A6 with its octave).
note blip1 0.00 0.14 0.12 0.8 sine 1760
note blip2 0.00 0.10 0.09 0.25 sine 3520
cue SonBonneLettre blip1 blip2

# Wrong letter: a soft, low buzz.
sox -n -r "$rate" -c 1 -b 16 "$work/buzz1.wav" synth 0.32 square 110 \
    vol 0.5 lowpass 600 lowpass 600 fade h 0.01 0.32 0.12
sox -n -r "$rate" -c 1 -b 16 "$work/buzz2.wav" synth 0.32 sine 116 \
    fade h 0.01 0.32 0.12 vol 0.4
cue SonErreur buzz1 buzz2

# Word lost: a slow descending minor phrase.
note lost1 0.00 0.32 0.15 0.7 triangle G4
note lost2 0.30 0.32 0.15 0.7 triangle Eb4
note lost3 0.60 0.32 0.15 0.7 triangle D4
note lost4 0.90 0.75 0.55 0.8 triangle C4
note lost5 0.90 0.75 0.55 0.3 sine C3
cue SonPerdu lost1 lost2 lost3 lost4 lost5

# Word won: a short brass-like fanfare, G-C-E then a held G.
for fanfare_note in "win1 0.00 0.12 G4" "win2 0.13 0.12 C5" "win3 0.26 0.12 E5" "win4 0.39 0.75 G5"; do
    read -r name start length pitch <<<"$fanfare_note"
    sox -n -r "$rate" -c 1 -b 16 "$work/$name.wav" synth "$length" sawtooth "$pitch" \
        vol 0.5 lowpass 2500 fade h 0.01 "$length" 0.08 pad "$start"
    sox -n -r "$rate" -c 1 -b 16 "$work/${name}s.wav" synth "$length" sine "$pitch" \
        fade h 0.01 "$length" 0.08 vol 0.5 pad "$start"
done
cue SonGagner win1 win1s win2 win2s win3 win3s win4 win4s

# Time running out: four tick-tocks.
parts=()
i=0
for start in 0.00 0.15 0.30 0.45 0.60 0.75 0.90 1.05; do
    if [ $((i % 2)) -eq 0 ]; then pitch=2000; else pitch=1500; fi
    note "tick$i" "$start" 0.04 0.035 0.9 sine "$pitch"
    parts+=("tick$i")
    i=$((i + 1))
done
cue SonDecide "${parts[@]}"

# Goodbye: a two-note falling chime with a long ring.
note bye1 0.00 0.45 0.40 0.8 sine G5
note bye2 0.00 0.30 0.28 0.2 sine G6
note bye3 0.30 0.95 0.90 0.8 sine C5
note bye4 0.30 0.60 0.58 0.2 sine C6
cue SonExit bye1 bye2 bye3 bye4

for file in "$output"/Son*.mp3; do
    printf '%-20s %s s\n' "$(basename "$file")" "$(soxi -D "$file")"
done
