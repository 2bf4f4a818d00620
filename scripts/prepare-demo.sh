#!/usr/bin/env bash
# Fills an empty demo library (the program folder given as $2) with films imported from the
# film site at KINORA_SITE_URL, each stored as the import wizard stores it: Data/NAME/NAME.knr
# with its cover NAME.jpg. Their addresses point at the site, so "Alle Daten aktualisieren"
# can refresh them.
set -euo pipefail
build=$1
home=$2
[ -d "$home/Data" ] && exit 0
export KINORA_HOME="$home"

# Result lines of the demo site's invented catalogue, and where each film is kept.
films=(
  "4711 - Alpha Beta|DVD-ROM"
  "007 - Die Sieben Schlüssel|DVD-ROM"
  "0815 - Nullachtfünfzehn im Grünen|DVD-RW"
  "3105 - Stille Wasser|Externe HD"
  "5001 - Wolken über Husum|Intern"
  "5003 - Eisblumen|Externe HD"
  "5005 - Mondscheinkinder|Eigene Videos"
  "2288 - Schwarzwaldmädel ohne Cover|DVD-ROM"
  "0042 - Zweiundvierzig Fragen|Intern"
  "3110 - Das Bild im Kasten|DVD-RW"
)
imported=0
for entry in "${films[@]}"; do
  IFS='|' read -r line disk <<<"$entry"
  if "$build/kinora-cli" import "$line" --disk "$disk" >/dev/null; then
    imported=$((imported + 1))
  fi
done
# An import stores Rating 0, as the wizard does; one bulk reload brings in the site's marks.
"$build/kinora-cli" reload >/dev/null 2>&1 || true
echo "Demo library prepared in $home ($imported films imported from $KINORA_SITE_URL)."
