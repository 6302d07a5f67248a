#!/usr/bin/env bash
# Tab completion of km640-cli as a user at a bash prompt meets it: commands,
# the options of a command, the ports of "km640-cli ports" (a km640-sim
# board among them), code-plug files and folders.
# usage: completion_test.sh KM640_CLI KM640_SIM COMPLETION_SCRIPT
set -euo pipefail
cli=$1
sim=$2
script=$3

work=$(mktemp -d)
sim_pid=
cleanup() {
  [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null && wait "$sim_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
export XDG_RUNTIME_DIR=$work/run
mkdir -m 700 "$XDG_RUNTIME_DIR"
mkdir "$work/bin" "$work/files" "$work/files/backups"
ln -s "$(realpath "$cli")" "$work/bin/km640-cli"
PATH=$work/bin:$PATH
touch "$work/files/bench.tbl" "$work/files/OLD PAGER.TBL" "$work/files/notes.txt" "$work/files/bench.json"

# A board on a pseudo-terminal: the first line it prints is its port.
mkfifo "$work/sim.out"
"$sim" --no-pacing >"$work/sim.out" &
sim_pid=$!
read -r -t 20 board <"$work/sim.out"

set +u
source /usr/share/bash-completion/bash_completion
source "$script"
set -u

# Completes the last word of the line; prints the offers one a line.
offers() {
  COMP_WORDS=(km640-cli "$@")
  COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
  COMP_LINE="${COMP_WORDS[*]}"
  COMP_POINT=${#COMP_LINE}
  COMPREPLY=()
  # As at a prompt: bash-completion's helpers expect no errexit or nounset.
  set +eu
  _km640_cli km640-cli "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}"
  set -eu
  [ "${#COMPREPLY[@]}" -eq 0 ] || printf '%s\n' "${COMPREPLY[@]}" | sort
}

failures=0
# expect LINE... :: WORDS OFFERED... [! WORDS NOT OFFERED...]
expect() {
  local line=() want=() unwanted=() part=line word
  for word in "$@"; do
    case $part:$word in
      line:'::') part=want; continue ;;
      want:'!') part=unwanted; continue ;;
    esac
    case $part in
      line) line+=("$word") ;;
      want) want+=("$word") ;;
      unwanted) unwanted+=("$word") ;;
    esac
  done
  local got
  got=$(offers "${line[@]}")
  for word in "${want[@]}"; do
    grep -qxF -- "$word" <<<"$got" || { echo "km640-cli ${line[*]}<TAB> does not offer '$word'; it offers: $(echo $got)"; failures=$((failures + 1)); }
  done
  for word in "${unwanted[@]}"; do
    grep -qxF -- "$word" <<<"$got" && { echo "km640-cli ${line[*]}<TAB> offers '$word'"; failures=$((failures + 1)); }
  done
  return 0
}

cd "$work/files"
expect "" :: ports info read write verify sync-time production records diff dump check set export import ! bench.tbl
expect sy :: sync-time ! ports
expect -q "" :: ports write
expect write --p :: --port ! --serial
expect write --port "$board" -- :: --no-clock --backup ! --serial --log-dir --json
expect production --port "$board" -- :: --serial --log-dir ! --no-clock
expect production --port "$board" bench.tbl -- :: --serial-from-stdin --record --station --allow-repeat ! --csv
expect records -- :: --record --serial --station --since --until --csv --summary --log-dir ! --allow-repeat --no-clock
expect info --port "" :: "$board"
expect info -p "" :: "$board"
expect --port "$board" info "" :: ! bench.tbl ports
expect dump "" :: bench.tbl "OLD PAGER.TBL" backups ! notes.txt
expect read --port "$board" -o "" :: bench.tbl backups ! notes.txt
expect write --backup "" :: backups ! bench.tbl
expect production --serial "" :: ! bench.tbl backups ports
expect diff bench.tbl "" :: "OLD PAGER.TBL" ! notes.txt
# Code-plugs as text go wherever a code-plug file goes.
expect write --port "$board" "" :: bench.tbl bench.json ! notes.txt
expect import "" :: bench.json backups ! notes.txt
expect import bench.json --base "" :: bench.tbl bench.json ! notes.txt
expect export bench.tbl -o "" :: bench.json ! notes.txt
expect import bench.json -- :: --base --output ! --serial --no-clock
expect export bench.tbl -- :: --lossless --output ! --serial --no-clock
# set: after the code-plug, the names of its fields.
echo '{"format": "km640-codeplug", "version": 2, "fields": {}}' >"$work/empty.json"
km640-cli import "$work/empty.json" -o real.tbl >/dev/null
expect set real.tbl "Profile[1].PN" :: "Profile[1].PName=" ! "Profile[1].PON="
expect set real.tbl LogoLine1=ACME "Profile[0].F1" :: "Profile[0].F1Freq=" "Profile[0].F1Squelch=" ! "Profile[0].F2Freq=" ShowVersion=
expect set "" :: real.tbl bench.json ! notes.txt

[ "$failures" -eq 0 ] || exit 1
echo "km640-cli completes commands, options, the port $board and code-plug files"
