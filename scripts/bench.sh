#!/usr/bin/env bash
# Prints one table of Lumo's speed and memory, everything measured side by side in this run:
# the Google Benchmark programs in bench/, the whole `lumo --run correlation` process against
# /bin/true, the peak memory of `lumo --run`, of the desktop program right after start and of
# an empty Qt window, and the time to the first window of the last two under Xvfb.
# Usage: scripts/bench.sh [BUILD_DIR] (default build-bench, Release).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-bench}

command -v /usr/bin/time >/dev/null 2>&1 || {
    sudo=""; [ "$(id -u)" -eq 0 ] || sudo=sudo
    $sudo apt-get install -y -qq time >/dev/null
}
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DLUMO_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" -j2 >/dev/null

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# The desktop program's recovery copies and locks go here, not among the user's.
export XDG_DATA_HOME="$work/data"
cp examples/correlation.txt "$work/data.txt"

row() { printf '| %-44s | %14s | %s\n' "$1" "$2" "$3"; }
echo "| what | time or memory | notes"
echo "|---|---:|---"

# Google Benchmark: real time per iteration, with the counters each benchmark reports.
for b in analysis_bench simplex_fit_bench graph_paint_bench; do
    "$build/bench/$b" --benchmark_format=csv --benchmark_min_time=0.2 2>/dev/null |
        awk -F, '$1 == "name" { for (i = 11; i <= NF; ++i) { names[i] = $i; gsub(/"/, "", names[i]) } next }
            NF > 5 {
            gsub(/"/, "", $1); unit = $5; gsub(/"/, "", unit)
            extra = ""
            for (i = 11; i <= NF; ++i) if ($i != "") extra = extra " " names[i] "=" $i
            printf "| %-44s | %11.1f %-2s | %s\n", $1, $3, unit, extra }'
done

# Whole processes, run alternately in the same folder so that both see the same machine.
lumo="$PWD/$build/lumo"
cd "$work"
runs=300
lumo_us=0; true_us=0
for ((i = 0; i < runs; ++i)); do
    # bash's own clock, so that reading it starts no process of its own
    t0=${EPOCHREALTIME/./}; "$lumo" --run correlation data.txt >/dev/null 2>&1
    t1=${EPOCHREALTIME/./}; /bin/true
    t2=${EPOCHREALTIME/./}
    lumo_us=$((lumo_us + t1 - t0)); true_us=$((true_us + t2 - t1))
done
lumo_us=$((lumo_us / runs)); true_us=$((true_us / runs))
row "process: lumo --run correlation" "${lumo_us} us" "mean of $runs runs"
row "process: /bin/true (floor)" "${true_us} us" "same loop"
row "ratio lumo --run / floor" "$(awk -v a="$lumo_us" -v b="$true_us" 'BEGIN { printf "%.2f", a / b }')" ""

# Peak resident memory; the windowed programs are measured 2 s after start, then stopped.
peak() { /usr/bin/time -f '%M' "$@" 2>&1 >/dev/null | tail -n 1 || true; }
row "peak memory: lumo --run correlation" "$(peak "$lumo" --run correlation data.txt) KiB" "max RSS"
bare="$OLDPWD/$build/bench/bare_qt_window"
if [ -x "$bare" ]; then
    export QT_QPA_PLATFORM=offscreen
    row "peak memory: desktop program after start" "$(peak timeout 2 "$lumo" data.txt) KiB" \
        "max RSS, offscreen, 2 s after start"
    row "peak memory: empty Qt window (floor)" "$(peak timeout 2 "$bare") KiB" \
        "max RSS, offscreen, 2 s after start"
fi

# First window: from the start of the process to its first window painted on an X display
# (Xvfb), the desktop program on an empty worksheet against the empty Qt window, alternately.
# The bench/first_frame_probe plugin, loaded into both through Qt's generic plugin variable,
# prints the moment of the first frame and ends the process there.
probe_dir="$OLDPWD/$build/bench/plugins"
if [ -x "$bare" ] && [ -f "$probe_dir/generic/libfirst_frame_probe.so" ] && command -v Xvfb >/dev/null; then
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" 2>/dev/null &
    xvfb=$!
    bus=""
    # A desktop session has a session bus, which the menu bar asks about desktop-wide menus;
    # without one Qt would try to start one (dbus-launch) on every run.
    if command -v dbus-daemon >/dev/null; then
        dbus-daemon --session --nofork --print-address=4 4>"$work/bus" 2>/dev/null &
        bus=$!
        for ((i = 0; i < 100; ++i)); do [ -s "$work/bus" ] && break; sleep 0.05; done
        export DBUS_SESSION_BUS_ADDRESS="$(head -n 1 "$work/bus")"
    fi
    trap 'kill $xvfb $bus 2>/dev/null; rm -rf "$work"' EXIT
    for ((i = 0; i < 100; ++i)); do [ -s "$work/display" ] && break; sleep 0.05; done
    mkdir -p "$work/config"
    gui_env() {
        env DISPLAY=":$(cat "$work/display")" QT_QPA_PLATFORM=xcb XDG_CONFIG_HOME="$work/config" \
            QT_PLUGIN_PATH="$probe_dir" QT_QPA_GENERIC_PLUGINS=firstframeprobe "$@"
    }
    # Every start finds the data folder as a clean exit leaves it: the probe ends a program at
    # its first frame, which would leave its recovery lock for the next start to clear.
    reset_data() { [ ! -d "$XDG_DATA_HOME" ] || find "$XDG_DATA_HOME" -type f -delete; }
    first_frame() {
        local t0 t1
        reset_data
        # Started back to back, a program shares the machine with the end of the one before
        # (the display freeing its window, the kernel its memory), which costs both programs
        # about the same and so flatters the ratio; a desktop user starts on a settled one.
        sleep 0.2
        t0=${EPOCHREALTIME/./}
        t1=$(gui_env timeout 30 "$@" 2>/dev/null)
        echo $((t1 - t0))
    }
    median() { sort -n | awk '{ v[NR] = $1 } END { printf "%d", (v[int((NR + 1) / 2)] + v[int(NR / 2) + 1]) / 2 }'; }
    first_frame "$lumo" >/dev/null; first_frame "$bare" >/dev/null  # warm the file cache
    : >"$work/lumo.us"; : >"$work/bare.us"
    runs=20
    for ((i = 0; i < runs; ++i)); do
        first_frame "$lumo" >>"$work/lumo.us"
        first_frame "$bare" >>"$work/bare.us"
    done
    lumo_first=$(median <"$work/lumo.us"); bare_first=$(median <"$work/bare.us")
    ms() { awk -v us="$1" 'BEGIN { printf "%.1f ms", us / 1000 }'; }
    row "first window: desktop program" "$(ms "$lumo_first")" "median of $runs runs, Xvfb, empty worksheet"
    row "first window: empty Qt window (floor)" "$(ms "$bare_first")" "same loop"
    row "ratio first window / floor" "$(awk -v a="$lumo_first" -v b="$bare_first" 'BEGIN { printf "%.2f", a / b }')" ""

    # The same first windows counted in instructions of the thread that draws them, which
    # repeat to within a fraction of a percent where the clock on a busy machine does not.
    if command -v valgrind >/dev/null; then
        main_thread_instructions() {
            rm -f "$work"/cg.*
            reset_data
            gui_env valgrind --tool=callgrind --separate-threads=yes \
                --callgrind-out-file="$work/cg.%p" "$@" >/dev/null 2>&1 || true
            # The first thread's file ends in -01.
            awk '/^summary:/ { print $2; exit }' "$(ls "$work"/cg.*-01 | head -n 1)"
        }
        lumo_ir=$(main_thread_instructions "$lumo"); bare_ir=$(main_thread_instructions "$bare")
        mega() { awk -v n="$1" 'BEGIN { printf "%.1f M", n / 1e6 }'; }
        row "first window: desktop program, main thread" "$(mega "$lumo_ir")" "instructions, callgrind"
        row "first window: empty Qt window, main thread" "$(mega "$bare_ir")" "instructions, callgrind"
        row "ratio of instructions / floor" "$(awk -v a="$lumo_ir" -v b="$bare_ir" 'BEGIN { printf "%.2f", a / b }')" ""
    fi
fi
