#!/usr/bin/env bash
# Makes the MP3, FLAC and Ogg tones of the Windows tests, which cannot write them themselves (see
# test_sound_files.h): sox synthesises each tone, lame encodes the MP3s (with their LAME header),
# sox writes FLAC and Ogg Vorbis. Names are those test_sound_files_premade.cpp looks for:
#   KIND-FREQhz-AMPLITUDE-PHASEdeg-SECONDSs-RATE-CHANNELSch.EXT    (numbers as printf's %g)
# Usage: make_premade_sounds.sh OUTPUT_FOLDER
set -euo pipefail
out=$1
mkdir -p "$out"
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

# kind   Hz    amplitude  phase(deg)  seconds  rate   channels
tones="
vbr      440   0.5        0           0.5      44100  2
vbr      440   0.5        0           1        44100  2
vbr      440   0.5        0           1.5      44100  2
vbr      440   0.5        0           1        22050  1
vbr      1000  0.5        90          0.5      22050  1
cbr      440   0.5        0           1        44100  2
cbr      1000  0.5        90          0.5      44100  2
flac     440   0.5        0           1        44100  2
flac     1000  0.5        90          0.5      32000  1
vorbis   440   0.5        0           0.5      44100  2
vorbis   440   0.5        0           1        44100  2
"

while read -r kind hz amplitude phase seconds rate channels; do
  [ -n "$kind" ] || continue
  name="$kind-${hz}hz-$amplitude-${phase}deg-${seconds}s-$rate-${channels}ch"
  tone="$scratch/$name.wav"
  # sox's synth takes the phase in percent of a cycle; no dither, so the tone is the same each time.
  sox -D -r "$rate" -c "$channels" -n -b 16 -e signed "$tone" \
    synth "$seconds" sine "$hz" 0 "$(awk "BEGIN { print $phase / 3.6 }")" vol "$amplitude"
  case $kind in
    vbr) lame --quiet --noreplaygain -V 2 "$tone" "$out/$name.mp3" ;;
    cbr) lame --quiet --noreplaygain -b 128 --cbr "$tone" "$out/$name.mp3" ;;
    flac) sox -D "$tone" "$out/$name.flac" ;;
    vorbis) sox -D "$tone" "$out/$name.ogg" ;;
  esac
done <<<"$tones"
