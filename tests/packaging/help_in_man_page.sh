#!/usr/bin/env bash
# Fails when "PROGRAM --help" names a command or an option that the manual
# page does not: whoever adds one to the help is told to write it up there.
# usage: help_in_man_page.sh PROGRAM MANPAGE
set -euo pipefail
program=$1
manpage=$2
name=$(basename "$program")
help=$("$program" --help)
# The page as a reader sees it: plain text, long lines, no hyphenation that
# would split an option at a line end.
manual=$(groff -man -t -Tascii -P-cbou -rHY=0 -rLL=2000n "$manpage")

words=()
# Commands: the help gives each its own lines, "  write --port PORT FILE ...".
mapfile -t -O "${#words[@]}" words < <(sed -nE 's/^  ([a-z][a-z0-9-]*)( .*)?$/\1/p' <<<"$help" | sort -u)
# Long options anywhere, and short options standing alone ("-o FILE", "-p,").
mapfile -t -O "${#words[@]}" words < <(grep -oE -- '--[a-z][a-z0-9-]*' <<<"$help" | sort -u)
mapfile -t -O "${#words[@]}" words < <(grep -oE -- '(^|[ ,[(])-[a-zA-Z]([^a-zA-Z-]|$)' <<<"$help" |
                                       grep -oE -- '-[a-zA-Z]' | sort -u)
[ "${#words[@]}" -gt 0 ] || { echo "no command or option found in $name --help"; exit 1; }

missing=()
for word in "${words[@]}"; do
  grep -qE -- "(^|[^a-zA-Z0-9-])${word}([^a-zA-Z0-9-]|\$)" <<<"$manual" || missing+=("$word")
done
if [ "${#missing[@]}" -gt 0 ]; then
  echo "$name --help names what its manual page $manpage does not:"
  printf '  %s\n' "${missing[@]}"
  echo "Describe each there: a command under COMMANDS, an option under OPTIONS (see the comment at the top of the page)."
  exit 1
fi
echo "all ${#words[@]} commands and options of $name --help are in $(basename "$manpage"): ${words[*]}"
