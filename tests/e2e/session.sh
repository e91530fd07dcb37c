#!/usr/bin/env bash
# A whole student session, driven from outside the process as a user drives it:
# keys, typing and clicks at window-relative points (xdotool) on a private X
# server, observed only through what a user or a teacher can see from outside:
# window titles, the files the program writes, the results store and
# screenshots.
#
#   tests/e2e/session.sh BUILD_DIR ARTIFACT_DIR
#
# BUILD_DIR holds ravx, ravx.hlp, ravx.zad, bankbuild and tests/tasktool.
# ARTIFACT_DIR receives the screenshots, the files of the session and a log.
# Exit status 0: passed; 77: skipped (no Xvfb, xdotool, xwininfo, import or
# setxkbmap); otherwise failed, with the log on stderr.
set -euo pipefail
# the characters of the Russian texts are counted as characters
export LC_ALL=C.UTF-8

if (($# != 2)); then
    echo "usage: $0 BUILD_DIR ARTIFACT_DIR" >&2
    exit 2
fi
BUILD=$(cd "$1" && pwd)
mkdir -p "$2"
ART=$(cd "$2" && pwd)
# what an earlier session left there
rm -rf "$ART"/[0-9][0-9]-*.png "$ART"/work "$ART"/*.prg "$ART"/report.* "$ART"/*.log "$ART"/results.ini
HERE=$(cd "$(dirname "$0")" && pwd)

for tool in Xvfb xdotool xwininfo import setxkbmap; do
    if ! command -v "$tool" >/dev/null; then
        echo "SKIPPED: $tool is not installed (packages xvfb, xdotool, x11-utils, imagemagick, x11-xkb-utils)"
        exit 77
    fi
done

# An ASan build is slow to start and to open windows: every wait is for an
# observable condition, with this much room.
WAIT_S=${RAVX_E2E_WAIT:-40}
SETTLE=0.25

# ---- the student and the program ----------------------------------------------------------

# a name of its own each session, so that a shared store cannot mislead
STUDENT_NUMBER=$RANDOM
STUDENT="Ученик$STUDENT_NUMBER"
GROUP="ЭВМ-21"
PROGRAM_LISTING="$HERE/program.txt"
# The keys of row 0 the student presses, by column; the program shows each
# column's digit in the next indicator position.
KEY_COLUMNS=(1 2 3)
INDICATOR_LINE="1 2 3 "

# ---- the main window's fixed layout (mainwindow/Unit1*.cpp, training/Quest.cpp) -------------

CLIENT_HEIGHT=427      # TForm1::kClientHeight: the menu bar is the rest of the window
STRIP_HEIGHT=270       # TForm1::kStripHeight: the panels stand along the bottom edge
STATUS_HEIGHT=22       # TForm1::kStatusHeight: the status line below them
GRID_HEADER=20
GRID_ROW=18
STATEMENT_X=165        # inside the "Команда" column
MATRIX_LEFT=$((11 + 2)) # matrix panel and the view inside it
MATRIX_TOP=$((116 + 2))
MATRIX_CELL_W=12
MATRIX_CELL_H=13
MENU_FILE_X=15         # "Файл", the first menu
TEST_WIDTH=560
TEST_OK_X=$((TEST_WIDTH / 2))
TEST_ENTRY_OK_Y=$((84 + 13))
TEST_QUESTION_OK_Y=$((290 + 13))
TEST_RESULT_OK_Y=$((127 + 13))
TEST_QUESTION_HEIGHT=348
TEST_RESULT_HEIGHT=189
TEST_ANSWER_PANEL_TOP=84
TEST_ANSWER_STEP=$((200 / 3)) # three answers stand at tops 200/3*k-23 of the answer panel
TEST_ANSWER_X=22       # the check box of an answer
TEST_ANSWER_DY=$((8 - 23))

# ---- plumbing -------------------------------------------------------------------------------

LOG="$ART/session.log"
: >"$LOG"
XVFB_PID=""
APP_PID=""
SHOT=0

log() { echo "[$(date +%T)] $*" | tee -a "$LOG"; }

cleanup() {
    [ -n "$APP_PID" ] && kill "$APP_PID" 2>/dev/null || true
    [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null || true
}
trap cleanup EXIT

shot() {
    SHOT=$((SHOT + 1))
    local file
    file=$(printf '%s/%02d-%s.png' "$ART" "$SHOT" "$1")
    import -window root "$file" 2>>"$LOG" || log "screenshot $file failed"
}

fail() {
    log "FAILED: $*"
    shot failure
    [ -d "${WORK:-}" ] && cp -r "$WORK" "$ART/work" 2>/dev/null
    if [ -n "$APP_PID" ] && ! kill -0 "$APP_PID" 2>/dev/null; then
        local status=0
        wait "$APP_PID" 2>/dev/null || status=$?
        log "ravx is no longer running (exit status $status); its output:"
        cat "$ART/ravx.log" >>"$LOG" || true
    fi
    cat "$LOG" >&2
    exit 1
}

alive() { kill -0 "$APP_PID" 2>/dev/null || fail "ravx ended unexpectedly"; }

# visible top-level windows whose title matches the regular expression
visible_windows() { xdotool search --onlyvisible --name "$1" 2>/dev/null || true; }

# wait_window REGEX [ID...]: a visible window with a matching title other than
# the given ones; prints its id
wait_window() {
    local re=$1 deadline=$((SECONDS + WAIT_S)) w known
    shift
    while ((SECONDS < deadline)); do
        alive
        for w in $(visible_windows "$re"); do
            known=0
            for x in "$@"; do [ "$w" = "$x" ] && known=1; done
            # a window that is gone again after a moment was not the one
            ((known)) || {
                sleep "$SETTLE"
                is_visible "$w" || continue
                echo "$w"
                return
            }
        done
        sleep 0.1
    done
    fail "no window titled '$re' appeared"
}

is_visible() { xwininfo -id "$1" 2>/dev/null | grep -q 'Map State: IsViewable'; }

wait_gone() {
    local deadline=$((SECONDS + WAIT_S))
    while ((SECONDS < deadline)); do
        is_visible "$1" || return 0
        sleep 0.1
    done
    fail "window $1 ($2) did not close"
}

wait_file() {
    local deadline=$((SECONDS + WAIT_S))
    while ((SECONDS < deadline)); do
        [ -s "$1" ] && return 0
        alive
        sleep 0.1
    done
    fail "file $1 was not written"
}

window_height() { xdotool getwindowgeometry "$1" 2>>"$LOG" | sed -n 's/.*Geometry: [0-9]*x\([0-9]*\).*/\1/p'; }

# Without a window manager nobody hands the keyboard focus to a new window:
# the window that is to get keys is given the input focus first.
focus() {
    xdotool windowfocus "$1" 2>>"$LOG" || fail "window $1 is gone"
    sleep 0.1
}
click() { # window x y
    xdotool mousemove --window "$1" "$2" "$3" click 1 2>>"$LOG" || fail "cannot click window $1: it is gone"
    sleep "$SETTLE"
}
keys() { # window key...
    local w=$1
    shift
    focus "$w"
    xdotool key --delay 60 "$@" 2>>"$LOG" || fail "cannot send keys $* to window $w"
    sleep "$SETTLE"
}
# xdotool types a character missing from the keyboard map by rebinding a
# spare key for it, and under load the program now and then reads that key
# after the binding changed back: a letter is lost. So every character is
# typed from a layout that has it: Russian text from "ru", Latin from "us",
# blanks, digits and signs from whichever is loaded.
CYRILLIC="абвгдеёжзийклмнопрстуфхцчшщъыьэюяАБВГДЕЁЖЗИЙКЛМНОПРСТУФХЦЧШЩЪЫЬЭЮЯ"
LATIN="abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ[]"
type_runs() { # text
    local text=$1 run="" ch want i
    for ((i = 0; i < ${#text}; ++i)); do
        ch=${text:i:1}
        want=""
        [[ "$CYRILLIC" == *"$ch"* ]] && want=ru
        [[ "$LATIN" == *"$ch"* ]] && want=us
        if [ -n "$want" ] && [ "$want" != "$LAYOUT" ]; then
            [ -n "$run" ] && xdotool type --delay 20 "$run"
            run=""
            use_layout "$want"
        fi
        run+=$ch
    done
    [ -n "$run" ] && xdotool type --delay 20 "$run"
    use_layout us
}
type_text() { # window text
    focus "$1"
    type_runs "$2"
    sleep "$SETTLE"
}

# a file dialog of the main window: the whole path goes into its name box
answer_file_dialog() { # path
    local dialog
    dialog=$(wait_window '.' "$MAIN" "${OTHER_WINDOWS[@]}")
    log "  file dialog '$(xdotool getwindowname "$dialog")'"
    keys "$dialog" ctrl+a
    type_text "$dialog" "$1"
    keys "$dialog" Return
    wait_gone "$dialog" "file dialog"
}

# ---- the private X server and a copy of the program ------------------------------------------

log "starting Xvfb"
exec 5< <(Xvfb -displayfd 1 -screen 0 1280x1024x24 -nolisten tcp 2>>"$ART/xvfb.log" & echo "pid $!")
read -r _ XVFB_PID <&5
DISPLAY_NUMBER=""
for _ in $(seq 1 100); do
    read -r -t 0.1 DISPLAY_NUMBER <&5 && break || true
done
[ -n "$DISPLAY_NUMBER" ] || fail "Xvfb did not start"
export DISPLAY=":$DISPLAY_NUMBER"
log "display $DISPLAY"
LAYOUT=""
use_layout() {
    [ "$LAYOUT" = "$1" ] && return
    setxkbmap -layout "$1" 2>>"$LOG" || fail "setxkbmap could not load the layout $1"
    LAYOUT=$1
    sleep 0.2
}
use_layout us

SESSION=$(mktemp -d "${TMPDIR:-/tmp}/ravx-e2e.XXXXXX")
trap 'cleanup; rm -rf "$SESSION"' EXIT
APP="$SESSION/app"
WORK="$SESSION/work"
mkdir -p "$WORK" "$SESSION/home" "$SESSION/data"
# The session uses the program as it is installed: stripped, with its files
# beside it in <prefix>/lib/ravx, started through the <prefix>/bin link.
cmake --install "$BUILD" --prefix "$SESSION/prefix" --strip >>"$LOG"
APP="$SESSION/prefix/lib/ravx"
# The entry test cannot be read from outside the process, so this copy gets a
# bank in which every answer of every question is correct and every question
# has three answers: the student ticks all three boxes and passes whatever
# five questions are drawn (a bank the builder refuses without --allow-unfair).
# Everything else is the real program.
"$BUILD/bankbuild" "$HERE/questions.txt" --allow-unfair --append "$APP/ravx" >>"$LOG"
# the program file the typed program must give, made from the same listing
"$BUILD/tests/tasktool" prg "$PROGRAM_LISTING" "$WORK/expected.prg"

# The session's own store, named to the program as a lab would name its own:
# a run on a lab machine never adds a test student to the lab's results.
STORE="$SESSION/data/ravx/results.ini"
log "results store $STORE"
# and a configuration of its own, empty: a lab's teacher password or server role
# in /etc/ravx/ravx.conf would stop the session at the password dialog
CONF="$SESSION/ravx.conf"
: >"$CONF"

log "starting ravx"
(
    cd "$WORK"
    exec env HOME="$SESSION/home" XDG_DATA_HOME="$SESSION/data" XDG_CONFIG_HOME="$SESSION/home/.config" RAVX_RESULTS="$STORE" RAVX_CONF="$CONF" \
        QT_QPA_PLATFORM=xcb LSAN_OPTIONS="suppressions=$HERE/../lsan.supp" "$SESSION/prefix/bin/ravx"
) >"$ART/ravx.log" 2>&1 &
APP_PID=$!
OTHER_WINDOWS=()

MAIN=$(wait_window '^ПККИ RAVX$')
MAIN_HEIGHT=$(window_height "$MAIN")
MENU_HEIGHT=$((MAIN_HEIGHT - CLIENT_HEIGHT - STATUS_HEIGHT))
STRIP_TOP=$((MAIN_HEIGHT - STATUS_HEIGHT - STRIP_HEIGHT))
log "main window $MAIN, height $MAIN_HEIGHT"
((MENU_HEIGHT > 10 && MENU_HEIGHT < 60)) || fail "the main window is $MAIN_HEIGHT high: its layout is not the fixed one"

# ---- 1. the entry test ----------------------------------------------------------------------

log "entry test as $STUDENT, group $GROUP"
TEST=$(wait_window '^Тест$')
shot test-entry
click "$TEST" 200 26
type_text "$TEST" "$STUDENT"
click "$TEST" 150 60
type_text "$TEST" "$GROUP"
click "$TEST" "$TEST_OK_X" "$TEST_ENTRY_OK_Y"
wait_gone "$TEST" "test entry"
SEEN=("$TEST")
for question in 1 2 3 4 5; do
    TEST=$(wait_window '^Тест$' "${SEEN[@]}")
    SEEN+=("$TEST")
    [ "$(window_height "$TEST")" = "$TEST_QUESTION_HEIGHT" ] || fail "question $question: the test window is not in its question state"
    for k in 1 2 3; do
        click "$TEST" "$TEST_ANSWER_X" $((TEST_ANSWER_PANEL_TOP + TEST_ANSWER_STEP * k + TEST_ANSWER_DY))
    done
    ((question == 1)) && shot test-question
    click "$TEST" "$TEST_OK_X" "$TEST_QUESTION_OK_Y"
    wait_gone "$TEST" "question $question"
done
TEST=$(wait_window '^Тест$' "${SEEN[@]}")
[ "$(window_height "$TEST")" = "$TEST_RESULT_HEIGHT" ] || fail "the test window does not show its result"
shot test-result
wait_file "$STORE"
click "$TEST" "$TEST_OK_X" "$TEST_RESULT_OK_Y"
wait_gone "$TEST" "test result"

# ---- 2. the settings, confirmed as they stand (group 1, machine 1: port 2A) -------------------

SETTINGS=$(wait_window '^Настройка$')
shot settings
keys "$SETTINGS" Return
wait_gone "$SETTINGS" "settings"
PORT_BOX=$(wait_window '^ПККИ RAVX$' "$MAIN")
shot port-message
keys "$PORT_BOX" Return
wait_gone "$PORT_BOX" "port message"

# ---- 3. the program typed into the grid ------------------------------------------------------

mapfile -t ROWS < <(grep -E '^[0-9A-F]{3} ' "$PROGRAM_LISTING")
log "typing ${#ROWS[@]} statements"
row_y() { echo $((MENU_HEIGHT + GRID_HEADER + GRID_ROW * $1 + GRID_ROW / 2)); }
# One column at a time, a cell a row: Enter ends the cell and goes on in the
# next row's cell of the same column.
statements=()
comments=()
for row in "${ROWS[@]}"; do
    statement=${row:4}
    statement=${statement%%;*}
    statements+=("$(echo "$statement" | sed 's/[[:space:]]*$//')")
    comment=""
    [[ "$row" == *";"* ]] && comment=$(echo "${row#*;}" | sed 's/^[[:space:]]*//;s/[[:space:]]*$//')
    comments+=("$comment")
done
type_column() {
    local cell
    focus "$MAIN"
    for cell in "$@"; do
        [ -n "$cell" ] && type_runs "$cell"
        xdotool key Return
    done
    sleep "$SETTLE"
}
click "$MAIN" "$STATEMENT_X" "$(row_y 0)"
type_column "${statements[@]}"
# back to row 0 with the go-to entry (hold Ctrl, type the row, let Ctrl go),
# one column right, and the comments
go_to_row() {
    focus "$MAIN"
    xdotool keydown ctrl key "$1" keyup ctrl
    sleep "$SETTLE"
}
go_to_row 0
keys "$MAIN" Right
type_column "${comments[@]}"
shot program-typed

# ---- 4. the run, the keys of the matrix, the indicators ---------------------------------------

log "automatic run at the fastest pace, keys ${KEY_COLUMNS[*]} of matrix row 0"
# "Скорость": six times faster (Ctrl+=) leads from the default 5 steps a second to the fastest
keys "$MAIN" ctrl+equal ctrl+equal ctrl+equal ctrl+equal ctrl+equal ctrl+equal
keys "$MAIN" ctrl+F9
for c in "${KEY_COLUMNS[@]}"; do
    click "$MAIN" $((MATRIX_LEFT + MATRIX_CELL_W * c + MATRIX_CELL_W / 2)) \
        $((STRIP_TOP + MATRIX_TOP + MATRIX_CELL_H / 2))
    sleep 0.5   # the key is debounced, read and released by the running program
done
shot running
keys "$MAIN" Escape
shot stopped

# ---- 5. save, report, change, reopen ---------------------------------------------------------

log "saving the program"
keys "$MAIN" F2
answer_file_dialog "$WORK/session.prg"
wait_file "$WORK/session.prg"
title=$(xdotool getwindowname "$MAIN")
[[ "$title" == *session.prg* ]] || fail "the caption '$title' does not name the saved file"
cmp "$WORK/session.prg" "$WORK/expected.prg" >>"$LOG" 2>&1 ||
    fail "the saved program differs from $PROGRAM_LISTING"

log "writing the report"
keys "$MAIN" ctrl+p
answer_file_dialog "$WORK/report.txt"
# the state report's dialog suggests the listing's name with .otc
dialog=$(wait_window '.' "$MAIN")
keys "$dialog" Return
wait_gone "$dialog" "state report dialog"
wait_file "$WORK/report.txt"
wait_file "$WORK/report.otc"
grep -q 'mov al,\[bx\]' "$WORK/report.txt" || fail "the listing lacks the program"
# line 3 holds the first indicator row, cell by cell
shown=$(sed -n 3p "$WORK/report.otc" | tr -d '\r')
[[ "$shown" == "$INDICATOR_LINE"* ]] || fail "the indicators show '$shown', not '$INDICATOR_LINE'"
log "indicators: '$shown'"

log "changing row 0, then reopening the saved program"
click "$MAIN" "$STATEMENT_X" "$(row_y 0)"   # the grid, back from the matrix
go_to_row 0
type_text "$MAIN" "nop"
keys "$MAIN" Return
keys "$MAIN" F2
answer_file_dialog "$WORK/changed.prg"
wait_file "$WORK/changed.prg"
! cmp -s "$WORK/changed.prg" "$WORK/expected.prg" || fail "the change of row 0 was not saved"
keys "$MAIN" F3
answer_file_dialog "$WORK/session.prg"
keys "$MAIN" F2
answer_file_dialog "$WORK/reopened.prg"
wait_file "$WORK/reopened.prg"
cmp "$WORK/reopened.prg" "$WORK/expected.prg" >>"$LOG" 2>&1 || fail "the reopened program is not the saved one"
shot reopened

# the help window may stand over the main window: raise it first
open_file_menu() {
    xdotool windowraise "$MAIN"
    sleep "$SETTLE"
    click "$MAIN" "$MENU_FILE_X" $((MENU_HEIGHT / 2))
}

# ---- 6. a task and the help ------------------------------------------------------------------

log "tasks window and help"
open_file_menu
# "Просмотр" is two menus right; its fourth item is "Просмотр заданий"
xdotool key --delay 150 Right Right Down Down Down Return
TASKS=$(wait_window '^Задания$')
OTHER_WINDOWS+=("$TASKS")
shot tasks
keys "$MAIN" F1
HELP=$(wait_window '^Помощь')
OTHER_WINDOWS+=("$HELP")
shot help

# ---- 7. the teacher: the results window and the record ----------------------------------------

log "results as the teacher sees them"
keys "$MAIN" F5
RESULTS=$(wait_window '^Результаты теста$')
shot results
# the store escapes the Cyrillic of key names, not the digits after them
has_record() { grep -qF "$STUDENT_NUMBER\\Key=$GROUP" "$STORE"; }
has_record || fail "the store holds no record of $STUDENT, group $GROUP"
keys "$RESULTS" Return
wait_gone "$RESULTS" "results"
has_record || fail "closing the results window purged the fresh record"

# ---- 8. exit through the menu ----------------------------------------------------------------

log "exit"
open_file_menu
# Up from no item: the last one, "Выход"
xdotool key --delay 150 Up Return
deadline=$((SECONDS + WAIT_S))
while kill -0 "$APP_PID" 2>/dev/null && ((SECONDS < deadline)); do sleep 0.1; done
kill -0 "$APP_PID" 2>/dev/null && fail "ravx did not end after 'Выход'"
status=0
wait "$APP_PID" || status=$?
APP_PID=""
((status == 0)) || fail "ravx ended with status $status"
cp "$WORK"/*.prg "$WORK"/report.* "$ART/"
cp "$STORE" "$ART/results.ini"
log "PASSED"
