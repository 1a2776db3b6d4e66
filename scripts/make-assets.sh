#!/usr/bin/env bash
# Draws the board's artwork into board/assets/: the window icon (48 x 48 RGBA PNG, and for the
# Windows program an icon file with 16, 24, 32, 48 and 256 pixel sizes), the top
# banner (420 x 150 GIF, 18 frames, endless loop) and the bottom banner (420 x 150 GIF, two
# 200 ms frames, endless loop). The results are committed; the build does not run this script.
#
# Needs ImageMagick 6 (Debian package imagemagick) and the WenQuanYi Micro Hei font
# (fonts-wqy-microhei). Usage: scripts/make-assets.sh [output folder]
set -euo pipefail

ROOT=$(cd "$(dirname "$0")/.." && pwd)
OUT=${1:-$ROOT/board/assets}
CONVERT=${CONVERT:-/usr/bin/convert}
FONT=${FONT:-/usr/share/fonts/truetype/wqy/wqy-microhei.ttc}

[ -x "$CONVERT" ] || { echo "ImageMagick convert not found at $CONVERT" >&2; exit 1; }
[ -f "$FONT" ] || { echo "font not found: $FONT" >&2; exit 1; }
mkdir -p "$OUT"
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT

# Keeps PNG output byte-stable from run to run.
PNG_STABLE=(-define png:exclude-chunks=date,time,tEXt,zTXt,iTXt +set date:create +set date:modify)

# ---------------------------------------------------------------------------------------------
# A sound-wave arc of the icon around the loudspeaker's mouth: radius, half opening in degrees.
wave_arc() {
  awk -v r="$1" -v half="$2" 'BEGIN {
    printf "stroke-linecap round stroke-linejoin round polyline";
    for (a = -half; a <= half; a += 4) {
      t = a * 3.14159265358979 / 180;
      printf " %.1f,%.1f", 68 + r * cos(t), 96 + r * sin(t);
    }
  }'
}

# Window icon: a rounded violet tile with a white loudspeaker and three sound waves, drawn at
# four times the size and scaled down for clean edges.
"$CONVERT" -size 272x272 gradient:'#8a5cff'-'#e0307a' -rotate -45 -gravity center \
  -extent 192x192 "$WORK/icon_fill.png"
"$CONVERT" -size 192x192 xc:none -fill white -draw 'roundrectangle 4,4 187,187 44,44' \
  "$WORK/icon_mask.png"
ICON_DRAWING=(
  "$WORK/icon_fill.png" "$WORK/icon_mask.png" -alpha off -compose CopyOpacity -composite
  -fill white -stroke none
  -draw 'roundrectangle 22,74 52,118 6,6'
  -draw 'polygon 44,76 80,46 80,146 44,116'
  -fill none -stroke white -strokewidth 11 -draw "$(wave_arc 40 50)"
  -stroke 'rgba(255,255,255,0.85)' -draw "$(wave_arc 70 48)"
  -stroke 'rgba(255,255,255,0.65)' -draw "$(wave_arc 100 44)"
)
"$CONVERT" "${ICON_DRAWING[@]}" -filter Lanczos -resize 48x48 \
  "${PNG_STABLE[@]}" -strip "PNG32:$OUT/icon.png"

# The Windows program's icon: the same drawing in the sizes Windows asks for (16 to 48 for lists,
# title bars and the task bar, 256 for large views), scaled from the full-size drawing.
"$CONVERT" "${ICON_DRAWING[@]}" "${PNG_STABLE[@]}" -strip "PNG32:$WORK/icon_full.png"
ICO_SIZES=()
for size in 16 24 32 48 256; do
  ICO_SIZES+=(\( "$WORK/icon_full.png" -filter Lanczos -resize "${size}x${size}" \))
done
"$CONVERT" "${ICO_SIZES[@]}" "$OUT/icon.ico"

# ---------------------------------------------------------------------------------------------
# Top banner. The picture box hides roughly the top 24 and the left 8 pixels of the image, so
# everything that matters sits below y = 28 and between x = 14 and x = 400.
W=420
H=150
FRAMES=18

"$CONVERT" -size ${W}x${H} gradient:'#2a1460'-'#080418' \
  \( -size ${W}x${H} radial-gradient:'rgba(255,80,200,0.35)'-'rgba(0,0,0,0)' \) \
  -compose Over -composite "$WORK/top_bg.png"

# Title with a soft glow, drawn once.
"$CONVERT" "$WORK/top_bg.png" \
  \( -size ${W}x${H} xc:none -font "$FONT" -pointsize 40 -gravity north \
     -fill '#ff4fd8' -annotate +0+34 'Kalvor音效助手' -blur 0x5 \) -compose Over -composite \
  -font "$FONT" -pointsize 40 -gravity north \
  -fill '#3a1050' -annotate +2+36 'Kalvor音效助手' \
  -fill '#fff6d8' -annotate +0+34 'Kalvor音效助手' \
  -pointsize 13 -fill '#b9a8ff' -annotate +0+84 '主持 · 喊麦 · 搞笑 · 音乐   一键出声' \
  "$WORK/top_base.png"

# Equaliser: 26 bars of stacked blocks, each bar's height a sum of sines whose periods divide the
# loop, so that the last frame runs smoothly into the first.
BARS=26
BAR_W=10
GAP=5
LEFT=$(((W - BARS * BAR_W - (BARS - 1) * GAP) / 2))
BOTTOM=143
for ((f = 0; f < FRAMES; f++)); do
  draw=$(awk -v f="$f" -v n="$FRAMES" -v bars="$BARS" -v bw="$BAR_W" -v gap="$GAP" \
    -v left="$LEFT" -v bottom="$BOTTOM" 'BEGIN {
      pi = 3.14159265358979;
      for (i = 0; i < bars; i++) {
        t = 2 * pi * f / n;
        k1 = 1 + (i * 7) % 3; k2 = 2 + (i * 5) % 2;
        v = 0.55 + 0.30 * sin(k1 * t + i * 0.9) + 0.15 * sin(k2 * t + i * 2.3);
        env = 0.55 + 0.45 * sin(pi * (i + 0.5) / bars);
        blocks = int(1 + v * env * 8 + 0.5); if (blocks > 7) blocks = 7;
        x0 = left + i * (bw + gap); x1 = x0 + bw - 1;
        # colour runs from cyan on the left to magenta on the right
        r = int(40 + 215 * i / (bars - 1)); g = int(220 - 150 * i / (bars - 1)); b = 255;
        for (k = 0; k < blocks; k++) {
          y1 = bottom - k * 6; y0 = y1 - 3;
          a = (k == blocks - 1) ? 1.0 : 0.55 + 0.05 * k;
          printf "fill rgba(%d,%d,%d,%.2f) rectangle %d,%d %d,%d ", r, g, b, a, x0, y0, x1, y1;
        }
      }
    }')
  # A faint sound wave drifting under the bars.
  wave=$(awk -v f="$f" -v n="$FRAMES" -v w="$W" 'BEGIN {
      pi = 3.14159265358979; printf "polyline";
      for (x = 0; x <= w; x += 4) {
        y = 118 + 10 * sin(2 * pi * (x / 140.0 - f / n)) * sin(pi * x / w);
        printf " %d,%.1f", x, y;
      }
    }')
  "$CONVERT" "$WORK/top_base.png" \
    -fill none -stroke 'rgba(120,200,255,0.35)' -strokewidth 2 -draw "$wave" \
    -stroke none -draw "$draw" \
    "$WORK/frame_$(printf %02d "$f").png"
done
# One palette for all frames and no error diffusion, so that the unchanged title area is
# identical from frame to frame and the optimiser can drop it from every frame after the first.
"$CONVERT" "$WORK"/frame_??.png -append +dither -colors 255 -unique-colors "$WORK/top_palette.png"
"$CONVERT" -delay 7 -loop 0 "$WORK"/frame_??.png +dither -remap "$WORK/top_palette.png" \
  -layers Optimize "$OUT/banner_top.gif"

# ---------------------------------------------------------------------------------------------
# Bottom banner: the studio name blinking between gold and cyan. The picture box shows about
# the top 138 rows, so the text stays above y = 130.
"$CONVERT" -size ${W}x${H} gradient:'#10233f'-'#05070f' \
  -fill none -stroke 'rgba(255,255,255,0.10)' -strokewidth 1 \
  -draw 'roundrectangle 12,10 407,128 14,14' \
  -font "$FONT" -stroke none -gravity north \
  -pointsize 13 -fill '#8fa6c8' -annotate +0+98 '作者主页 · 声卡调试 · 音效定制   点击进入' \
  "$WORK/bottom_base.png"
blink() {  # colour, glow colour, output
  "$CONVERT" "$WORK/bottom_base.png" \
    \( -size ${W}x${H} xc:none -font "$FONT" -pointsize 44 -gravity north \
       -fill "$2" -annotate +0+30 'Kalvor工作室' -blur 0x6 \) -compose Over -composite \
    -font "$FONT" -pointsize 44 -gravity north \
    -fill '#000000' -annotate +2+32 'Kalvor工作室' \
    -fill "$1" -annotate +0+30 'Kalvor工作室' "$3"
}
blink '#ffd24a' '#ff8a00' "$WORK/bottom_0.png"
blink '#5ef0ff' '#2a7bff' "$WORK/bottom_1.png"
"$CONVERT" -delay 20 -loop 0 "$WORK/bottom_0.png" "$WORK/bottom_1.png" \
  -dither FloydSteinberg -colors 256 "$OUT/banner_bottom.gif"

echo "wrote $OUT/icon.png $OUT/icon.ico $OUT/banner_top.gif $OUT/banner_bottom.gif"
