#!/usr/bin/env bash
# Renders every report-template fragment as a reader of the report sees it.
#
# Each fragment from resources/payloads is spliced between two paragraphs of a
# small host RTF document that defines what the fragments refer to (font 16,
# colour 15, paragraph styles 2, 5, 15 and 20), converted to PDF by LibreOffice
# in headless mode, and page 1 is written as docs/templates/NN-NAME.png.
# docs/templates/README.md lists the pictures.
#
#   scripts/render_templates.sh
#
# Installs libreoffice-writer-nogui and poppler-utils when they are missing.
set -euo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
payloads="$root/resources/payloads"
out="$root/docs/templates"

need=(libreoffice-writer-nogui poppler-utils)
missing=()
for p in "${need[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  export DEBIAN_FRONTEND=noninteractive
  apt-get -o DPkg::Lock::Timeout=900 update -qq
  apt-get -o DPkg::Lock::Timeout=900 install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

names=(WEMWTABOCENA WEMTTABOCENA PYLWLTABOCENA PYLSTTABOCENA PYLDOTABOCENA
       PYLCASTTABOCENA PYLCADOTABOCENA MIKZITABOCENA MIKUMTABOCENA MIKGOTABOCENA
       HALASWTABOCENA HALASTABOCENA DRGOGTABOCENA DRGMITABOCENA CHEMSTTABOCENA
       CHEMGTTABOCENA CHEMDOTABOCENA HalasTabela2E)
what=("physical workload" "physical workload (same text as 1)" "dust, Cw, inhalable fraction and respirable fibres"
      "dust, Xgw with GGw and DGw, two fractions" "dust, Cw, two fractions" "dust, Xgw with GGw and DGw, one column"
      "dust, Cw, one column" "cold stress (landscape page)" "thermal comfort, PMV and PPD" "heat stress, WBGT"
      "noise, weekly exposure level" "noise, daily exposure level" "whole-body vibration per axis"
      "hand-arm vibration per limb" "chemical agents, Xgw with GGw and DGw"
      "chemical agents, as 15 with other borders and grouping" "chemical agents, Cw" "noise, daily level (as 12)")

work="$(mktemp -d /tmp/render_templates.XXXXXX)"
trap 'rm -rf "$work"' EXIT

# Colour table: index 0 is the automatic colour, index 15 a dark blue.
colours='{\colortbl;\red0\green0\blue0;\red0\green0\blue255;\red0\green255\blue255;'
colours+='\red0\green255\blue0;\red255\green0\blue255;\red255\green0\blue0;\red255\green255\blue0;'
colours+='\red255\green255\blue255;\red0\green0\blue128;\red0\green128\blue128;\red0\green128\blue0;'
colours+='\red128\green0\blue128;\red128\green0\blue0;\red128\green128\blue0;\red0\green32\blue96;}'

styles='{\stylesheet{\f16\fs20\lang1045 Normal;}'
styles+='{\s2\keepn\outlinelevel1\f16\fs18\lang1045\sbasedon0\snext0 Tytul wiersza;}'
styles+='{\s5\qc\keepn\outlinelevel4\f16\fs20\lang1045\sbasedon0\snext0 Naglowek tabeli;}'
styles+='{\s15\qc\f16\fs20\lang1045\sbasedon0\snext0 Krotnosc;}'
styles+='{\s20\qc\f16\fs20\lang1045\sbasedon0\snext0 Krotnosc wariant;}}'

for i in $(seq 1 18); do
  name="${names[$((i - 1))]}"
  nn="$(printf '%02d' "$i")"
  if [ "$i" -eq 8 ]; then
    page='\landscape\paperw16838\paperh11906'
  else
    page='\paperw11906\paperh16838'
  fi
  host="$work/$nn-$name.rtf"
  {
    printf '%s\r\n' '{\rtf1\ansi\ansicpg1250\deff0'
    printf '%s\r\n' '{\fonttbl{\f0\froman\fcharset238 Liberation Serif;}{\f16\fswiss\fcharset238 Liberation Sans;}}'
    printf '%s\r\n' "$colours"
    printf '%s\r\n' "$styles"
    printf '%s\r\n' "$page\\margl1134\\margr1134\\margt1134\\margb1134"
    printf '%s\r\n' "\\pard\\plain \\f16\\fs20\\lang1045 Plik$i""T: $name.rtf\\par"
    cat "$payloads/Plik${i}T.rtf"
    printf '\r\n%s\r\n' "\\pard\\plain \\f16\\fs20\\lang1045 Dalsza cz\\'ea\\'9c\\'e6 sprawozdania.\\par"
    printf '%s\r\n' '}'
  } > "$host"
done

soffice --headless "-env:UserInstallation=file://$work/profile" \
  --convert-to pdf --outdir "$work" "$work"/*.rtf >/dev/null 2>&1

mkdir -p "$out"
{
  echo "# Report templates as rendered"
  echo
  echo "Page 1 of each template fragment from \`resources/payloads\`, spliced into a host"
  echo "document (font 16 sans-serif, colour 15 dark blue, styles 2, 5, 15, 20) and rendered"
  echo "with LibreOffice. Regenerate with \`scripts/render_templates.sh\`."
  echo
} > "$out/README.md"
for i in $(seq 1 18); do
  name="${names[$((i - 1))]}"
  nn="$(printf '%02d' "$i")"
  pdf="$work/$nn-$name.pdf"
  [ -s "$pdf" ] || { echo "render_templates: no PDF for $nn-$name" >&2; exit 1; }
  pdftoppm -r 100 -f 1 -l 1 -png -singlefile "$pdf" "$out/$nn-$name"
  echo "- [$nn-$name]($nn-$name.png): \`Plik${i}T\` → \`SZABLONY\\$name.rtf\`, ${what[$((i - 1))]}" >> "$out/README.md"
done
echo "rendered ${#names[@]} templates into $out"
