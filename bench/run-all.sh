#!/usr/bin/env bash
# Runs every benchmark once and prints one table: the metric, Zarvik's figure, the figure of
# its floor or peer measured in the same run, and their ratio (Zarvik / floor; below 1 is
# better than the floor). A piece that cannot run here shows "n/a"; its output is kept in
# the log folder named at the end.
#
# Usage: bench/run-all.sh [IDLE SECONDS, default 60]
#   ZARVIK_BUILD_DIR   build folder (default: build); it is brought up to date first
# The table is Markdown, ready for the README. It takes about three minutes.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${ZARVIK_BUILD_DIR:-$root/build}
export ZARVIK_BUILD_DIR=$build
idle_seconds=${1:-60}
logs=$(mktemp -d "${TMPDIR:-/tmp}/zarvik-bench.XXXXXX")

say() { echo "$*" >&2; }

say "building ($build)..."
if ! ZARVIK_BUILD_DIR=$build "$root/scripts/build.sh" >"$logs/build.log" 2>&1; then
  say "the build failed, see $logs/build.log"
  exit 1
fi

rows=()
# row METRIC ZARVIK FLOOR FLOOR_LABEL UNIT: one line of the table. ZARVIK and FLOOR are plain
# numbers in UNIT, or empty when not measured.
row() {
  local metric=$1 z=$2 f=$3 label=$4 unit=$5 zt ft ratio
  zt=$(fmt "$z" "$unit")
  ft=$(fmt "$f" "$unit")
  [ "$ft" != n/a ] && [ -n "$label" ] && ft="$ft ($label)"
  [ "$ft" = n/a ] && [ -n "$label" ] && ft="n/a ($label)"
  ratio=$(awk -v z="$z" -v f="$f" 'BEGIN {
    if (z !~ /^[0-9.]+$/ || f !~ /^[0-9.]+$/ || f + 0 == 0) { print "n/a"; exit }
    r = z / f; printf (r >= 10 ? "%.0f" : r >= 0.1 ? "%.2f" : "%.2g"), r }')
  rows+=("| $metric | $zt | $ft | $ratio |")
}
# fmt VALUE UNIT: about three significant digits (two below 1), with the unit; n/a when not
# a number. Idle figures are small: 0.0012 % must not print as 0.00 %.
fmt() {
  awk -v v="$1" -v u="$2" 'BEGIN {
    if (v !~ /^[0-9.]+$/) { print "n/a"; exit }
    if (v >= 100) f = "%.0f"; else if (v >= 10) f = "%.1f"; else if (v >= 1 || v == 0) f = "%.2f"; else f = "%.2g"
    printf f " %s", v, u }'
}
# kv FILE KEY: the value of a key=value line.
kv() { sed -n "s/^$2=//p" "$1" 2>/dev/null | tail -1; }

# csv_us FILE NAME: real time in microseconds of the benchmark NAME in Google Benchmark's CSV.
csv_us() {
  awk -F, -v want="$2" '
    /^name,/ { for (i = 1; i <= NF; i++) col[$i] = i; next }
    { name = $1; gsub(/"/, "", name) }
    name == want && $col["error_occurred"] != "true" {
      t = $col["real_time"]; u = $col["time_unit"]
      f = (u == "ns") ? 0.001 : (u == "ms") ? 1000 : (u == "s") ? 1e6 : 1
      printf "%.3f", t * f; exit }' "$1" 2>/dev/null
}

# --- dictionary: prefix listing and exact lookup beside a binary search in memory
say "dictionary lookups..."
# The generated 5,000,000-entry dictionary (about 150 MB), made once in the build folder.
five_tsv=$build/bench/five-million.tsv
[ -s "$five_tsv" ] || python3 "$root/bench/tools/make-tsv.py" 5000000 >"$five_tsv"
"$build/bench/bench_dictionary" --benchmark_filter='Lookup|Prefix' --benchmark_repetitions=5 \
  --benchmark_report_aggregates_only=true --benchmark_format=csv >"$logs/dictionary.csv" 2>"$logs/dictionary.err"
mueller_entries=$(awk '/mueller/ && /entries/' "$logs/dictionary.err" | head -1)
for corpus in mueller million five_million; do
  case $corpus in
    mueller) what="Mueller" ;; million) what="1,000,000 entries" ;; five_million) what="5,000,000 entries" ;;
  esac
  row "prefix listing, ten lines ($what)" \
    "$(csv_us "$logs/dictionary.csv" "listPrefix/$corpus"_median)" \
    "$(csv_us "$logs/dictionary.csv" "floorListPrefix/$corpus"_median)" "binary search in memory" µs
  row "exact lookup ($what)" \
    "$(csv_us "$logs/dictionary.csv" "exactLookup/$corpus"_median)" \
    "$(csv_us "$logs/dictionary.csv" "floorExactLookup/$corpus"_median)" "binary search in memory" µs
  if [ "$corpus" = mueller ]; then
    # Russian words, through the reverse index of the same file.
    row "prefix listing, ten lines (Mueller, Russian word)" \
      "$(csv_us "$logs/dictionary.csv" russianListPrefix_median)" \
      "$(csv_us "$logs/dictionary.csv" floorRussianListPrefix_median)" "binary search in memory" µs
    row "exact lookup (Mueller, Russian word)" \
      "$(csv_us "$logs/dictionary.csv" russianExactLookup_median)" \
      "$(csv_us "$logs/dictionary.csv" floorRussianExactLookup_median)" "binary search in memory" µs
  fi
done

# --- a keystroke in the panel: the real panel on Mueller beside the same widgets with ten
# fixed lines (no dictionary); mean over the typed words of each word's median keystroke
say "panel keystrokes..."
QT_QPA_PLATFORM=offscreen "$build/bench/bench_panel_keystroke" --benchmark_filter='type/' \
  --benchmark_format=csv >"$logs/panel.csv" 2>"$logs/panel.err"
panel_mean() {
  awk -F, -v group="$2" '
    /^name,/ { for (i = 1; i <= NF; i++) { gsub(/"/, "", $i); col[$i] = i }; next }
    { name = $1; gsub(/"/, "", name) }
    index(name, group "/") == 1 && $col["error_occurred"] != "true" && col["median_us"] { sum += $col["median_us"]; n++ }
    END { if (n) printf "%.3f", sum / n }' "$1" 2>/dev/null
}
row "keystroke to updated panel list (Mueller)" \
  "$(panel_mean "$logs/panel.csv" Keystroke/type)" \
  "$(panel_mean "$logs/panel.csv" Baseline/widgets-only/type)" "the same widgets, ten fixed lines" µs

# --- X server: the per-tick platform queries beside one round trip to the server
say "platform queries per tick..."
"$root/tests/with-x.sh" --wm -- env ZARVIK_OFFLINE=1 "$build/bench/bench_platform_tick" \
  --benchmark_filter='BM_TickQueries/|BM_OneRoundTrip' --benchmark_repetitions=5 \
  --benchmark_report_aggregates_only=true --benchmark_format=csv >"$logs/platform.csv" 2>"$logs/platform.err"
row "platform queries of one timer tick" \
  "$(csv_us "$logs/platform.csv" "BM_TickQueries/iterations:1000_median")" \
  "$(csv_us "$logs/platform.csv" "BM_OneRoundTrip_median")" "one X round trip" µs

# --- double-click to strip: the whole gesture beside its designed wait before the copy
say "double-click to strip..."
"$root/bench/run-popup.sh" 10 >"$logs/popup.txt" 2>&1
popup_ms() { awk -v what="$2" 'index($0, what) { for (i = 1; i <= NF; i++) if ($i == "median") { print $(i + 1); exit } }' "$1"; }
row "double-click to strip on screen" \
  "$(popup_ms "$logs/popup.txt" "second press -> strip on screen")" \
  "$(popup_ms "$logs/popup.txt" "second press -> copy keystroke")" "the 0.15 s wait before the copy" ms
# The copy's own share: from the keystroke to the strip, beside the whole gesture's wait.
row "copy keystroke to strip on screen" \
  "$(popup_ms "$logs/popup.txt" "copy keystroke -> strip")" \
  "$(popup_ms "$logs/popup.txt" "second press -> copy keystroke")" "the 0.15 s wait before the copy" ms

# --- the article window: Enter in the panel to the window painted, beside the part of it the
# program spends before the X server and the window manager map the window
say "article window..."
"$root/bench/run-article.sh" "$build" >"$logs/article.txt" 2>"$logs/article.err"
article_ms() { awk -v what="$2" 'index($0, what) { for (i = 1; i <= NF; i++) if ($i == "median") { print $(i + 1); exit } }' "$1"; }
row "Enter in the panel to article window painted (Mueller)" \
  "$(article_ms "$logs/article.txt" "opening from the panel")" \
  "$(article_ms "$logs/article.txt" "of which Enter handled")" "Enter handled: read, laid out, shown" ms

# --- the journal: recording one word (the interface thread's share) and the journal window's
# first rows, with 100,000 words in the journal
say "journal..."
QT_QPA_PLATFORM=offscreen "$build/bench/bench_journal" --benchmark_repetitions=5 \
  --benchmark_report_aggregates_only=true --benchmark_format=csv >"$logs/journal.csv" 2>"$logs/journal.err"
row "recording a word in the journal, interface thread (100,000 words)" \
  "$(csv_us "$logs/journal.csv" "record/handoff/iterations:2000_median")" \
  "$(csv_us "$logs/journal.csv" "record/transaction/iterations:2000/real_time_median")" "the write itself, on its own thread" µs
row "journal window to its first rows (100,000 words)" \
  "$(awk -v u="$(csv_us "$logs/journal.csv" "window/first rows/iterations:20/real_time_median")" 'BEGIN { if (u ~ /^[0-9.]+$/) printf "%.2f", u / 1000 }')" \
  "" "" ms

# --- start: to the panel on the screen and to the tray icon, beside an empty Qt program
say "start..."
"$root/bench/run-start.sh" 10 >"$logs/start.txt" 2>"$logs/start.err"
row "start to panel on screen (no splash)" "$(kv "$logs/start.txt" zarvik_window_ms)" \
  "$(kv "$logs/start.txt" floor_window_ms)" "empty Qt program, one window" ms
row "start to tray icon (no splash)" "$(kv "$logs/start.txt" zarvik_tray_ms)" \
  "$(kv "$logs/start.txt" floor_tray_ms)" "empty Qt program, one tray icon" ms

# --- idle: wake-ups, CPU and memory beside the empty program with the same timers
idle_script=$root/bench/app/run-idle.sh
if [ -x "$idle_script" ] || [ -f "$idle_script" ]; then
  say "idle for $idle_seconds s..."
  bash "$idle_script" "$idle_seconds" >"$logs/idle.txt" 2>"$logs/idle.err"
else
  say "idle: $idle_script is not there"
  : >"$logs/idle.txt"
fi
floor_label="empty Qt program, same timers"
row "idle wake-ups per second" "$(kv "$logs/idle.txt" zarvik_wakeups_per_s)" \
  "$(kv "$logs/idle.txt" floor_wakeups_per_s)" "$floor_label" /s
row "idle CPU" "$(kv "$logs/idle.txt" zarvik_cpu_percent)" \
  "$(kv "$logs/idle.txt" floor_cpu_percent)" "$floor_label" %
rss_mb() { awk -v k="$1" 'BEGIN { if (k ~ /^[0-9.]+$/) printf "%.1f", k / 1024 }'; }
row "resident memory" "$(rss_mb "$(kv "$logs/idle.txt" zarvik_rss_kb)")" \
  "$(rss_mb "$(kv "$logs/idle.txt" floor_rss_kb)")" "$floor_label" MB

# --- imports: Mueller beside reading its source alone (decompressing the articles), and the
# generated 5,000,000 entries beside reading that file; peak memory beside the importer
# started with nothing to do (its program and libraries); the 5M file beside its input.
say "import..."
index=/usr/share/dictd/mueller7.index
data=$(ls /usr/share/dictd/mueller7.dict.dz /usr/share/dictd/mueller7.dict 2>/dev/null | head -1)
importer=$build/tools/zarvik-import/zarvik-import
# timed OUT COMMAND...: runs it under GNU time; OUT gets "seconds peak_kib".
timed() {
  local out=$1; shift
  /usr/bin/time -f "%e %M" -o "$out" "$@" >/dev/null 2>&1 || echo "failed" >"$out"
}
ms_in() { awk '$1 ~ /^[0-9.]+$/ { printf "%.1f", $1 * 1000 }' "$1" 2>/dev/null; }
s_in() { awk '$1 ~ /^[0-9.]+$/ { printf "%.2f", $1 }' "$1" 2>/dev/null; }
mib_in() { awk '$2 ~ /^[0-9]+$/ { printf "%.1f", $2 / 1024 }' "$1" 2>/dev/null; }
timed "$logs/idle-importer.time" "$importer" --help
if [ -f "$index" ] && [ -n "$data" ]; then
  timed "$logs/mueller-import.time" "$importer" "$index" "$logs/mueller.bdd"
  case $data in
    *.dz) timed "$logs/mueller-read.time" sh -c "gzip -dc '$data' >/dev/null; cat '$index' >/dev/null" ;;
    *) timed "$logs/mueller-read.time" sh -c "cat '$data' '$index' >/dev/null" ;;
  esac
  # What the Russian reverse index adds to the file: its pages, counted by SQLite itself.
  mueller_bytes=$(stat -c %s "$logs/mueller.bdd" 2>/dev/null)
  reverse_bytes=$(sqlite3 "$logs/mueller.bdd" "SELECT sum(pgsize) FROM dbstat WHERE name = 'RusEng'" 2>/dev/null)
fi
mib() { awk -v b="$1" 'BEGIN { if (b ~ /^[0-9]+$/) printf "%.2f", b / 1048576 }'; }
row "size of Mueller's zarvik.bdd" "$(mib "${mueller_bytes:-}")" \
  "$(mib "$(awk -v a="${mueller_bytes:-}" -v b="${reverse_bytes:-}" 'BEGIN { if (a ~ /^[0-9]+$/ && b ~ /^[0-9]+$/) print a - b }')")" \
  "the same without its Russian reverse index" MiB
rm -f "$logs/mueller.bdd"
row "import of Mueller into zarvik.bdd" "$(ms_in "$logs/mueller-import.time")" "$(ms_in "$logs/mueller-read.time")" \
  "reading its source: gzip -dc" ms
row "peak memory, import of Mueller" "$(mib_in "$logs/mueller-import.time")" "$(mib_in "$logs/idle-importer.time")" \
  "the importer doing nothing" MiB
timed "$logs/five-import.time" "$importer" "$five_tsv" "$logs/five.bdd"
timed "$logs/five-read.time" cat "$five_tsv"
row "import of 5,000,000 entries" "$(s_in "$logs/five-import.time")" "$(s_in "$logs/five-read.time")" \
  "reading its source: cat" s
row "peak memory, import of 5,000,000 entries" "$(mib_in "$logs/five-import.time")" \
  "$(mib_in "$logs/idle-importer.time")" "the importer doing nothing" MiB
five_out=$(stat -c %s "$logs/five.bdd" 2>/dev/null)
five_in=$(stat -c %s "$five_tsv" 2>/dev/null)
row "size of the 5,000,000-entry file" "$(awk -v b="$five_out" 'BEGIN { if (b ~ /^[0-9]+$/) printf "%.1f", b / 1048576 }')" \
  "$(awk -v b="$five_in" 'BEGIN { if (b ~ /^[0-9]+$/) printf "%.1f", b / 1048576 }')" "its tab-separated input" MiB
rm -f "$logs/five.bdd"

echo "| metric | Zarvik | floor / peer | ratio |"
echo "|---|---|---|---|"
printf '%s\n' "${rows[@]}"
say ""
say "outputs of every piece: $logs"
