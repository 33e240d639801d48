# shellcheck shell=bash
# Helpers for the real-terminal tests, sourced by them: the editor runs in a tmux pane of a
# known size on a private server, keys are sent as a person types them, and every check reads
# the screen with capture-pane, polled against a deadline. Set $bin before sourcing.

: "${bin:?set bin to the editor before sourcing}"

# A tmux of the caller's own must not take these sessions for nested ones.
unset TMUX
# shellcheck source=tests/ship/common.sh
. "$(dirname "${BASH_SOURCE[0]}")/common.sh"
need_tool tmux "the real-terminal tests cannot run"

tm_width=100
tm_height=40
tm_deadline_seconds=20
tm_servers=()
tm_sockets=()
# The scratch folder of common.sh; tm_cleanup below removes it in place of its own trap.
tm_scratch=$scratch
tm_count=0
tm_sock=""
tm_views=0

tm_cleanup() {
  local server
  for server in "${tm_servers[@]}"; do
    tmux -L "$server" kill-server 2>/dev/null
  done
  # tmux leaves its socket behind.
  rm -f "${tm_sockets[@]}"
  rm -rf "$tm_scratch"
}
trap tm_cleanup EXIT

# The pane stays after the editor ends so that the last screen can be read; no status bar, so
# the editor has every row of the pane.
cat >"$tm_scratch/tmux.conf" <<'CONF'
set -g remain-on-exit on
set -g remain-on-exit-format ""
set -g status off
set -g history-limit 5000
CONF
# The exit status is shown on the screen, as a shell would show it. (tmux's own record of it is
# lost when LeakSanitizer inspects the ending editor under ptrace.)
printf '#!/bin/sh\n"$@"\necho "[exit status $?]"\n' >"$tm_scratch/run-editor"
chmod +x "$tm_scratch/run-editor"
# Set to 1 before tm_start to make the editor itself the pane's process, with no shell around.
tm_bare=0

tm() { tmux -L "$tm_sock" "$@"; }

# Visible rows, trailing blanks kept (-N) so that the prompt's final space can be checked.
tm_visible() { tm capture-pane -p -N -t brenik; }
# The same with the scroll-back history in front.
tm_history() { tm capture-pane -p -N -t brenik -S -; }

tm_die() {
  echo "FAIL: $*"
  if [ -n "$tm_sock" ]; then
    echo "--- screen (100x40) ---"
    tm_visible 2>/dev/null
    echo "-----------------------"
  fi
  exit 1
}

# tm_poll WHAT COMMAND...: retries COMMAND until it succeeds; fails the test after the deadline.
tm_poll() {
  local what=$1 deadline=$((SECONDS + tm_deadline_seconds))
  shift
  until "$@"; do
    if [ "$SECONDS" -ge "$deadline" ]; then
      tm_die "timed out waiting for $what"
    fi
    sleep 0.05
  done
}

# tm_start DIR [ARG...]: starts the editor with ARGs in DIR on a new private server.
tm_start() {
  local dir=$1
  shift
  tm_count=$((tm_count + 1))
  tm_sock=brenik-test-$$-$tm_count
  tm_servers+=("$tm_sock")
  tm_views=0
  local wrapper=("$tm_scratch/run-editor")
  if [ "$tm_bare" = 1 ]; then
    wrapper=()
  fi
  tmux -L "$tm_sock" -f "$tm_scratch/tmux.conf" new-session -d -s brenik \
    -x "$tm_width" -y "$tm_height" -c "$dir" -- "${wrapper[@]}" "$bin" "$@" ||
    tm_die "tmux could not start a session"
  tm_sockets+=("$(tm display -p '#{socket_path}')")
  local size
  size=$(tm display -p -t brenik '#{pane_width}x#{pane_height}')
  [ "$size" = "${tm_width}x${tm_height}" ] || tm_die "pane is $size, not ${tm_width}x${tm_height}"
}

tm_type() { tm send-keys -t brenik -l -- "$1"; }
tm_enter() { tm send-keys -t brenik Enter; }
# Types one input line and presses Enter.
tm_line() {
  tm_type "$1"
  tm_enter
}

tm_view_count() { tm_history | grep -c '^Editing [0-9]*:[0-9]* '; }

# The screen rows up to the last one that holds anything.
tm_trimmed() { tm_visible | awk '{ row[NR] = $0 } NF || length($0) { last = NR }
  END { for (i = 1; i <= last; i++) print row[i] }'; }

tm_want=""
tm_tail_matches() {
  local have
  have=$(tm_trimmed | tail -n "$(printf '%s\n' "$tm_want" | wc -l)")
  [ "$have" = "$tm_want" ]
}

tm_views_reached() { [ "$(tm_view_count)" -ge "$tm_views" ]; }

# tm_expect NEW_VIEWS ROW...: waits until the editor has printed NEW_VIEWS more views than at
# the last check and the bottom of the screen shows exactly the ROWs, then checks the cursor:
# after a view it waits at the end of the prompt, after a question at the start of the next row.
tm_expect() {
  tm_views=$((tm_views + $1))
  shift
  tm_want=$(printf '%s\n' "$@")
  tm_poll "view number $tm_views" tm_views_reached
  if ! tm_poll_quiet tm_tail_matches; then
    tm_die "the screen does not end with:
$(printf '%s|\n' "$@")"
  fi
  local views
  views=$(tm_view_count)
  [ "$views" -eq "$tm_views" ] || tm_die "$views views on screen, expected $tm_views"
  local last="${*: -1}" rows cursor
  rows=$(tm_trimmed | wc -l)
  cursor=$(tm display -p -t brenik '#{cursor_x},#{cursor_y}')
  if [[ "$last" == *"> " ]]; then
    [ "$cursor" = "${#last},$((rows - 1))" ] ||
      tm_die "cursor at $cursor, expected ${#last},$((rows - 1)) (end of the prompt)"
  else
    [ "$cursor" = "0,$rows" ] || tm_die "cursor at $cursor, expected 0,$rows (a fresh row)"
  fi
}

# Like tm_poll, but returns 1 at the deadline so the caller can say what it expected.
tm_poll_quiet() {
  local deadline=$((SECONDS + tm_deadline_seconds))
  until "$@"; do
    if [ "$SECONDS" -ge "$deadline" ]; then
      return 1
    fi
    sleep 0.05
  done
}

tm_prompt_row=""
tm_prompt_shows() { [ "$(tm_trimmed | tail -n 1)" = "$tm_prompt_row" ]; }

# tm_check_column CHAR ABOVE: types CHAR at the prompt without Enter and checks that it stands
# in the screen column where the cursor line shows its character at the cursor position, and
# that this character is ABOVE: what is typed lands right below what it will replace.
tm_check_column() {
  local char=$1 above=$2 prompt screen label_row
  prompt=$(tm_trimmed | tail -n 1)
  [[ "$prompt" == *"> " ]] || tm_die "no prompt at the bottom of the screen"
  tm_type "$char"
  tm_prompt_row="$prompt$char"
  if ! tm_poll_quiet tm_prompt_shows; then
    tm_die "the prompt row does not read '$tm_prompt_row'"
  fi
  screen=$(tm_trimmed)
  # The cursor line: the row of the last view that carries the cursor label or the ">" mark.
  label_row=$(printf '%s\n' "$screen" | awk '/^Editing [0-9]+:[0-9]+ / { n = NR } { r[NR] = $0 }
    END { for (i = n + 1; i < NR; i++) if (r[i] ~ /^(\[[0-9]+\] |>)/) print r[i] }')
  if [ -z "$label_row" ] || [ "$(printf '%s\n' "$label_row" | wc -l)" -ne 1 ]; then
    tm_die "not exactly one cursor line in the last view"
  fi
  local column=${#prompt} typed_row
  typed_row=$(printf '%s\n' "$screen" | tail -n 1)
  [ "${typed_row:column:1}" = "$char" ] || tm_die "typed '$char' is not in screen column $column"
  [ "${label_row:column:1}" = "$above" ] ||
    tm_die "screen column $column of the cursor line holds '${label_row:column:1}', not '$above'"
}

# tm_quit STATUS: confirms quit and checks the exit status shown below the editor's last line.
tm_last_row_is() { [ "$(tm_trimmed | tail -n 1)" = "$1" ]; }
tm_exit_shown() { tm_trimmed | tail -n 1 | grep -q '^\[exit status [0-9]*\]$'; }
tm_quit() {
  tm_line q
  tm_poll "the quit confirmation" tm_last_row_is \
    "Enter 'q' again to quit or anything else to continue"
  tm_line q
  tm_poll "the editor to end" tm_exit_shown
  local shown
  shown=$(tm_trimmed | tail -n 1)
  [ "$shown" = "[exit status $1]" ] || tm_die "$shown, expected exit status $1"
}
