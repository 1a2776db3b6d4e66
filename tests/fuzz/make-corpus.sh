#!/usr/bin/env bash
# Makes the committed seed corpus of the fuzz targets (run it by hand when the seeds change; the
# files it writes are committed). Needs sox, lame, zip, iconv and perl. The inputs that fuzzing
# turned up live beside the seeds and are left alone here: zip/crash-entry-count-zero.zip (an end
# record counting 0 entries), zip/file-replaces-link.zip (a file entry named like a link the
# target folder holds) and stream/leak-vorbis-header-does-not-decode.
set -euo pipefail
cd "$(dirname "$0")/corpus"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

gbk() { printf '%s' "$1" | iconv -f UTF-8 -t GBK; }

# --- INI: flag byte, section NUL key NUL value NUL, then the file's bytes -------------------
ini() {  # name flags section key value file-bytes...
  local name=$1 flags=$2 section=$3 key=$4 value=$5
  shift 5
  { printf "\\x$flags"; printf '%s\0%s\0%s\0' "$section" "$key" "$value"; printf '%s' "$@"; } \
    >"ini/$name"
}
ini ascii-crlf 00 data id ' 3' $'[data]\r\nid=2\r\nvi=57\r\nkjj=1\r\n[ed]\r\n1=F1\r\n'
ini gbk-titles 00 标题 97 欢呼掌声 \
  "[$(gbk 标题)]"$'\r\n97='"$(gbk 掌声)"$'\r\n[dat]\r\nF3='"$(gbk 空)"$'\r\n'
ini gbk-new-section 00 zdy 112 '/home/用户/音效 1.mp3' "[$(gbk 标题)]"$'\r\n112='"$(gbk 我的)"$'\r\n'
ini lf-only 00 dat F4 'MC教学鼓' $'[data]\nid=1\n\n[ed]\n5=F4\n'
ini quotes 00 Data VI '"57"' $'[data]\r\n vi = \'12\' \r\nkey-without-equals\r\n\r\n[x]\r\ny="a"\r\n'
ini case-and-blanks 00 ' DATA ' ' Id ' '  7  ' $'  [ data ]  \r\nID=1\r\n'
ini no-final-break 00 ed 3 F9 $'[ed]\r\n1=F1\r\n2=F2'
ini line-breaks 00 zdy 97 $'a\r\nb\nc' $'[zdy]\r\n97=old\r\n'
ini duplicate-sections 00 a k v $'[a]\r\nj=1\r\n[b]\r\nk=2\r\n[a]\r\nk=3\r\n'
ini long-value 01 标题 98 '长标题abc' $'[data]\r\nvi=1\r\n'
ini bracket-names 00 'x]y' k v $'[x]y]\r\nk=1\r\n[x]\r\nk=2\r\n'

# --- TextToNumber: the text itself ---------------------------------------------------------
num() { printf '%s' "$2" >"number/$1"; }
num plain 12
num full-width '１２'
num trailing-letters 12abc
num blank-negative ' -3.5'
num letters abc
num empty ''
num exponent '-.5e-3'
num full-width-sign '　－１．５Ｅ＋２'
num star '☆1'
num huge 1e400
num tiny 1e-400
num hex 0x1A
num inf inf
num lone-point '.e5'
num long-digits 123456789012345678901234567890.5
num yen '￥5'

# --- ZIP: archive bytes ---------------------------------------------------------------------
mk() { mkdir -p "$work/$1" && cd "$work/$1"; }
mk plain
mkdir music && printf 'ID3 fake sound' >music/a.mp3 && printf 'library' >bass.dll
zip -q -X -r "$OLDPWD/zip/plain.zip" bass.dll music
cd "$OLDPWD"

mk gbk
mkdir music && printf 'cheer' >"music/$(gbk 欢呼掌声).mp3"
zip -q -X -r "$OLDPWD/zip/gbk-names.zip" music
cd "$OLDPWD"

mk stored
mkdir -p a/b && printf 'x%.0s' {1..40} >a/b/c.txt
zip -q -X -0 -r "$OLDPWD/zip/stored.zip" a
cd "$OLDPWD"

# Names that lead out of the target: made with placeholders of the same length, then patched
# (the names are not covered by the checksums).
mk traversal
mkdir -p zz/zz && printf 'evil' >zz/zz/evil.txt && printf 'evil' >_etc_evil.txt
printf 'evil' >'zz\zz\evil2.txt'
zip -q -X "$work/t.zip" zz/zz/evil.txt _etc_evil.txt 'zz\zz\evil2.txt'
perl -pe 's{zz/zz/evil}{../../evil}g; s{_etc_evil}{/etc/evil}g; s{zz\\zz\\evil2}{..\\..\\evil2}g' \
  "$work/t.zip" >"$OLDPWD/zip/traversal.zip"
cd "$OLDPWD"

# Through a link that the target folder already holds (the fuzz target makes "link").
mk link
mkdir link && printf 'evil' >link/evil.txt
zip -q -X -r "$OLDPWD/zip/through-link.zip" link
cd "$OLDPWD"

# A zero byte that turns a component into ".." for anything that stops reading there.
perl -pe 's{link/}{..\0k/}g' zip/through-link.zip >zip/zero-byte-name.zip

printf 'PK\x05\x06\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0' >zip/empty.zip

# --- Streams: one byte for the name ending (0 .mp3, 1 .wav, 2 .flac, 3 .ogg), then the file ----
sox -n -r 8000 -c 1 -b 16 "$work/mono.wav" synth 0.05 sine 440
sox -n -r 44100 -c 2 -b 16 "$work/stereo.wav" synth 0.01 sine 440 sine 660
sox -n -r 8000 -c 1 "$work/tone.flac" synth 0.05 sine 440
sox -n -r 8000 -c 1 "$work/tone.ogg" synth 0.1 sine 440
sox -n -r 8000 -c 1 -b 16 "$work/long.wav" synth 0.5 sine 440
lame --quiet -b 8 --resample 8 "$work/long.wav" "$work/tone.mp3"
seed() { { printf "\\x$2"; cat "$3"; } >"stream/$1"; }
seed mp3 00 "$work/tone.mp3"
seed mp3-named-wav 01 "$work/tone.mp3"
seed wav-mono 01 "$work/mono.wav"
seed wav-stereo 01 "$work/stereo.wav"
seed flac 02 "$work/tone.flac"
seed ogg 03 "$work/tone.ogg"
head -c 300 "$work/tone.ogg" >"$work/cut.ogg"
seed ogg-cut 03 "$work/cut.ogg"
head -c 100 "$work/mono.wav" >"$work/cut.wav"
seed wav-cut 01 "$work/cut.wav"

ls -l ini number zip stream | awk '$5 > 4096 { print "large seed:", $0 }'
