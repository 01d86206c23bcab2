#!/usr/bin/env bash
# Draws the pictures of the demo lab work and writes them into examples/demo/:
#   Shema_R1.emf   the bench with resistor R1 (a metafile, as Windows drawing programs save it)
#   Shema_R2.png   the bench with resistor R2
#   Shema_L.bmp    the bench with the lamp (8-bit BMP; its white background is left out when shown)
#   Shema.png      the bench without element labels, for the documents
#   Graph.png      current against voltage for a resistor and a lamp, for the introduction
# The pictures are checked in; run this only to change them. Needs Inkscape and ImageMagick.
# Device positions in Schema.ini are pixels of these pictures: move both together.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Inkscape's own settings for this run: the metafile keeps its texts as text records (as Windows
# programs write them) instead of outlines.
mkdir -p "$work/config/inkscape"
cat > "$work/config/inkscape/preferences.xml" <<'XML'
<?xml version="1.0" encoding="UTF-8" standalone="no"?>
<inkscape version="1">
  <group id="extensions" org.inkscape.output.emf.textToPath="false"
         org.inkscape.output.emf.TnrToSymbol="false" org.inkscape.output.emf.TnrToWingdings="false"
         org.inkscape.output.emf.TnrToZapfDingbats="false" org.inkscape.output.emf.UsePUA="false"
         org.inkscape.output.emf.FixPPTCharPos="false" org.inkscape.output.emf.FixPPTDashLine="false"
         org.inkscape.output.emf.FixPPTGrad2Polys="false" org.inkscape.output.emf.FixPPTLinGrad="false"
         org.inkscape.output.emf.FixPPTPatternAsHatch="false" org.inkscape.output.emf.FixImageRot="false"/>
</inkscape>
XML
export XDG_CONFIG_HOME="$work/config"

# The bench: source, voltmeter across source, ammeter in the line, element under test on the right.
# $1: the element ("resistor" or "lamp"), $2: its label, $3: "bench" for the experiment, where the
# program writes the values after "U =" and "RA =", or "document" for a figure without them.
schema_svg() {
  local element=$1 label=$2 use=$3 part equals=' ='
  [ "$use" = bench ] || equals=''

  if [ "$element" = lamp ]; then
    part='<line x1="560" y1="60" x2="560" y2="120"/><line x1="560" y1="160" x2="560" y2="240"/>
      <circle cx="560" cy="140" r="20" fill="#fff8d0"/>
      <line x1="546" y1="126" x2="574" y2="154"/><line x1="574" y1="126" x2="546" y2="154"/>'
  else
    part='<line x1="560" y1="60" x2="560" y2="110"/><line x1="560" y1="170" x2="560" y2="240"/>
      <rect x="550" y="110" width="20" height="60" fill="#ffffff"/>'
  fi
  cat <<SVG
<svg xmlns="http://www.w3.org/2000/svg" width="640" height="300" viewBox="0 0 640 300">
  <rect x="0" y="0" width="640" height="300" fill="#ffffff"/>
  <g stroke="#000000" stroke-width="2" fill="none" stroke-linecap="square">
    <line x1="130" y1="60" x2="358" y2="60"/>
    <line x1="402" y1="60" x2="560" y2="60"/>
    <line x1="130" y1="240" x2="560" y2="240"/>
    <line x1="130" y1="60" x2="130" y2="128"/>
    <line x1="130" y1="140" x2="130" y2="240"/>
    <line x1="108" y1="128" x2="152" y2="128"/>
    <line x1="120" y1="140" x2="140" y2="140" stroke-width="6" stroke-linecap="butt"/>
    <line x1="230" y1="60" x2="230" y2="128"/>
    <line x1="230" y1="172" x2="230" y2="240"/>
    <circle cx="230" cy="150" r="22" fill="#eef6ff"/>
    <circle cx="380" cy="60" r="22" fill="#eef6ff"/>
    $part
  </g>
  <g fill="#000000" stroke="none">
    <circle cx="230" cy="60" r="4"/>
    <circle cx="230" cy="240" r="4"/>
  </g>
  <g font-family="Arial" fill="#000000" stroke="none">
    <text x="230" y="158" font-size="22" font-weight="bold" text-anchor="middle">V</text>
    <text x="380" y="68" font-size="22" font-weight="bold" text-anchor="middle">A</text>
    <text x="158" y="124" font-size="18" font-weight="bold">+</text>
    <text x="158" y="156" font-size="18" font-weight="bold">&#8722;</text>
    <text x="14" y="138" font-size="16" font-style="italic">U$equals</text>
    <text x="412" y="30" font-size="16" font-style="italic">R<tspan font-size="11" dy="4">A</tspan><tspan dy="-4">${equals:+&#160;=}</tspan></text>
    <text x="584" y="146" font-size="18" font-style="italic">$label</text>
    <text x="130" y="272" font-size="13" text-anchor="middle">Источник</text>
    <text x="230" y="272" font-size="13" text-anchor="middle">Вольтметр</text>
    <text x="380" y="272" font-size="13" text-anchor="middle">Амперметр</text>
    <text x="560" y="272" font-size="13" text-anchor="middle">Элемент</text>
  </g>
</svg>
SVG
}

# Current against voltage: a straight line for a 120 ohm resistor, the curve of a 12 V 0.1 A lamp.
graph_svg() {
  local line curve
  line=$(awk 'BEGIN { for (u = 0; u <= 12; u += 1) printf "%s%.1f,%.1f", (u ? " " : ""), 60 + u * 40, 300 - 1000 * u / 120 * 2.2 }')
  curve=$(awk 'BEGIN { for (u = 0; u <= 12; u += 0.25) printf "%s%.1f,%.1f", (u ? " " : ""), 60 + u * 40, 300 - 100 * (u / 12) ^ 0.55 * 2.2 }')
  cat <<SVG
<svg xmlns="http://www.w3.org/2000/svg" width="560" height="360" viewBox="0 0 560 360">
  <rect x="0" y="0" width="560" height="360" fill="#ffffff"/>
  <g stroke="#d0d8e0" stroke-width="1">
$(for u in 1 2 3 4 5 6 7 8 9 10 11 12; do echo "    <line x1=\"$((60 + u * 40))\" y1=\"36\" x2=\"$((60 + u * 40))\" y2=\"300\"/>"; done)
$(for i in 20 40 60 80 100 120; do echo "    <line x1=\"60\" y1=\"$((300 - i * 22 / 10))\" x2=\"540\" y2=\"$((300 - i * 22 / 10))\"/>"; done)
  </g>
  <g stroke="#000000" stroke-width="2" fill="none">
    <line x1="60" y1="300" x2="548" y2="300"/><polyline points="540,295 550,300 540,305"/>
    <line x1="60" y1="300" x2="60" y2="22"/><polyline points="55,30 60,20 65,30"/>
  </g>
  <polyline points="$line" stroke="#0050a0" stroke-width="3" fill="none"/>
  <polyline points="$curve" stroke="#c03000" stroke-width="3" fill="none"/>
  <g font-family="Arial" font-size="14" fill="#000000">
$(for u in 2 4 6 8 10 12; do echo "    <text x=\"$((60 + u * 40))\" y=\"318\" text-anchor=\"middle\">$u</text>"; done)
$(for i in 20 40 60 80 100 120; do echo "    <text x=\"52\" y=\"$((305 - i * 22 / 10))\" text-anchor=\"end\">$i</text>"; done)
    <text x="536" y="340" text-anchor="end" font-style="italic">U, В</text>
    <text x="70" y="22" font-style="italic">I, мА</text>
    <text x="330" y="210" fill="#0050a0" font-weight="bold">резистор 120 Ом: I = U / R</text>
    <text x="84" y="140" fill="#c03000" font-weight="bold">лампа накаливания 12 В, 0,1 А</text>
  </g>
</svg>
SVG
}

schema_svg resistor R1 bench > "$work/r1.svg"
schema_svg resistor R2 bench > "$work/r2.svg"
schema_svg lamp Л bench > "$work/lamp.svg"
schema_svg resistor R document > "$work/plain.svg"
graph_svg > "$work/graph.svg"

inkscape "$work/r1.svg" --export-type=emf --export-filename="$here/Shema_R1.emf" 2>/dev/null
inkscape "$work/r2.svg" --export-type=png --export-dpi=96 --export-filename="$work/r2.png" 2>/dev/null
inkscape "$work/lamp.svg" --export-type=png --export-dpi=96 --export-filename="$work/lamp.png" 2>/dev/null
inkscape "$work/plain.svg" --export-type=png --export-dpi=96 --export-filename="$work/plain.png" 2>/dev/null
inkscape "$work/graph.svg" --export-type=png --export-dpi=96 --export-filename="$work/graph.png" 2>/dev/null

# Small files: 8-bit palettes, no metadata, and the background pure white (the quantiser would
# leave it a shade off, which shows on the white work field).
convert "$work/r2.png" -background white -alpha remove -dither None -colors 64 -fuzz 2% -fill white -opaque white -strip PNG8:"$here/Shema_R2.png"
convert "$work/lamp.png" -background white -alpha remove -dither None -colors 64 -fuzz 2% -fill white -opaque white -type Palette -compress None BMP3:"$here/Shema_L.bmp"
convert "$work/plain.png" -background white -alpha remove -dither None -colors 64 -fuzz 2% -fill white -opaque white -strip PNG8:"$here/Shema.png"
convert "$work/graph.png" -background white -alpha remove -dither None -colors 64 -fuzz 2% -fill white -opaque white -strip PNG8:"$here/Graph.png"
ls -l "$here"/Shema_R1.emf "$here"/Shema_R2.png "$here"/Shema_L.bmp "$here"/Shema.png "$here"/Graph.png
