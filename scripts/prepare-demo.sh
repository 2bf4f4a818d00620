#!/usr/bin/env bash
# Fills an empty demo library (the program folder given as $2) with invented films: one
# folder per film below Data/ with its info file (written by kinora-cli) and a drawn cover.
set -euo pipefail
build=$1
home=$2
[ -d "$home/Data" ] && exit 0
export KINORA_HOME="$home"
cli="$build/kinora-cli"

# Title|OrigTitle|Country|Year|Director|Actors (;)|Genre|Rating|DiskDesc|Colour|Description
films=(
"Der Leuchtturmwärter|The Lighthouse Keeper|Irland|1998|Aileen Moravec|Conor Blaise;Nuala Fenwick|Drama|782|DVD-ROM|#3b6e8f|Ein Wärter auf einer einsamen Insel erhält nach zwanzig Jahren den ersten Brief."
"Nachtzug nach Lissabon-Nord|Night Train North|Portugal|2004|Tiago Ferrão|Inês Valadares;Rui Campelo;Marta Souto|Thriller|695|Externe HD|#6b3b8f|Eine Schaffnerin entdeckt im Schlafwagen einen Koffer voller Landkarten."
"Sieben Sommer|Seven Summers|Deutschland|2011|Lotte Abendroth|Jakob Wiesner;Hanna Quast|Komödie|713|DVD-RW|#d98c3b|Eine Familie verbringt sieben Sommer im selben, immer baufälligeren Ferienhaus."
"Die Uhrmacherin|The Clockmaker|Österreich|1987|Ferdinand Rauscher|Theresa Pölzl;Anton Greiner|Drama|805|Intern|#8f6b3b|Wien, 1912: Eine junge Frau übernimmt die Werkstatt ihres Vaters."
"Orbit 9|Orbit 9|USA|2019|Dana Whitcombe|Malcolm Reyes;Sora Lindqvist|Science-Fiction|658|Externe HD|#1f3f6f|Die letzte Crew einer Raumstation wartet auf ein Versorgungsschiff, das nie kommt."
"Kleine Fische|Small Fry|Deutschland|2015|Bernd Oltmanns|Paula Stenzel;Kemal Arslan;Ute Brinkmann|Krimi|744|DVD-ROM|#2f8f6f|Zwei Angler aus Cuxhaven geraten in einen Versicherungsbetrug."
"Der stille Berg|The Silent Mountain|Schweiz|2008|Ursina Caflisch|Gian Tscharner;Mena Joos|Abenteuer|701|Eigene Videos|#5f7f9f|Eine Bergführerin sucht im Winter nach einer verschollenen Seilschaft."
"Papierdrachen|Paper Kites|Frankreich|1996|Élodie Marchand|Lucien Favre;Camille Roussel|Familie|768|DVD-ROM|#c94f4f|Zwei Geschwister bauen einen Drachen, der sie über die Normandie tragen soll."
"Salz und Asche|Salt and Ash|Italien|2001|Matteo Lanzoni|Giulia Ferraresi;Pietro Anselmi|Drama|690|Externe HD|#8f8f8f|Ein Fischerdorf am Ätna zwischen Ausbruch und Auswanderung."
"Abgrund Blau|Deep Blue Below|Norwegen|2022|Sigrid Haugland|Eirik Solbakken;Tuva Nyhus|Thriller|627|Intern|#1f5f8f|Ein Tauchroboter meldet aus der Tiefe des Fjords Lebenszeichen."
"Die Erfindung des Sonntags|Inventing Sunday|Deutschland|1979|Gerd Pfannkuch|Heide Lorenzen;Walter Kamp|Komödie|812|DVD-RW|#d9b03b|Ein Beamter beantragt einen achten Wochentag und bekommt ihn genehmigt."
"Sternenstaub über Tokyo|Stardust over Tokyo|Japan|2013|Haruki Onodera|Yui Takamine;Kenji Morikawa|Animation|839|DVD-ROM|#6f3f8f|Ein Mädchen fängt Meteoriten in einem Schmetterlingsnetz."
"Grenzgänger|Border Walker|Polen|2017|Marek Zieliński|Agata Wrona;Tomasz Kielar|Drama|7|Externe HD|#4f6f3f|#nv"
"Mondfinsternis|Lunar Eclipse|Spanien|1990|Rocío Albarrán|Javier Osuna;Lucía Benavent|Romanze|1000|Intern|#2f2f5f|Eine Astronomin und ein Bäcker warten auf dieselbe Nacht."
)

# The texts above hold no quote or backslash, so they go into JSON as they stand.
json_text() { printf '"%s"' "$1"; }

for line in "${films[@]}"; do
  IFS='|' read -r title orig country year director actors genre rating disk colour descr <<<"$line"
  name=$(printf '%s' "$title" | tr -cd 'A-Za-z0-9')
  folder="$home/Data/$name"
  mkdir -p "$folder"
  actors_crlf=${actors//;/\\r\\n} # JSON escapes for CR LF
  printf '{"Title":%s,"OrigTitle":%s,"Country":%s,"Year":%s,"Director":%s,"Actors":%s,"Genre":%s,"Rating":%s,"DiskDesc":%s,"WebPage":%s,"Description":%s}' \
    "$(json_text "$title")" "$(json_text "$orig")" "$(json_text "$country")" "$(json_text "$year")" \
    "$(json_text "$director")" "$(json_text "$actors_crlf")" "$(json_text "$genre")" "$rating" \
    "$(json_text "$disk")" "$(json_text "http://127.0.0.1:8437/film/$name")" "$(json_text "$descr")" \
    | "$cli" write "$folder/$name.knr"
  convert -size 240x340 "gradient:$colour-#101018" \
    -fill '#ffffff30' -draw "circle 120,130 120,40" \
    -fill white -font DejaVu-Sans-Bold -pointsize 22 -gravity north \
    -annotate +0+250 "$(printf '%s' "$title" | fold -s -w 18)" \
    -pointsize 14 -annotate +0+310 "$year" "$folder/$name.jpg" 2>/dev/null || true
done
echo "Demo library prepared in $home (${#films[@]} films)."
