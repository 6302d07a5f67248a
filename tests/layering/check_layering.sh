#!/usr/bin/env bash
# Reads the #include lines of the source tree and fails on an include that
# points upward: the pure rules below, the code-plug as text over them, the
# link, the record and the pager operations above, the window (app/), the
# command line (cli/) and the browser edition (web/) on top, each including
# only downward.
#
#   check_layering.sh SOURCE_DIR [QT_WIDGETS_INCLUDE_DIR]
#
# The second argument is the folder of the Qt Widgets headers; an include of
# any header found there counts as a widget include. Without it, <QtWidgets/..>
# and <QWidget> style names of the widgets module's best-known classes count.
set -euo pipefail

root="${1:?source folder}"
widgets_dir="${2:-}"

# What each folder may include besides itself. A folder not listed here is
# not checked (tests, benchmarks, packaging).
declare -A allowed=(
  [platform]=""
  [codeplug]="platform"
  [rf]="codeplug platform"
  [selcall]="codeplug platform rf"
  [settings]="codeplug platform rf selcall"
  [fieldtext]="codeplug platform rf selcall settings"
  [link]="platform"
  [record]="codeplug platform rf selcall settings fieldtext"
  [pager]="codeplug platform rf selcall settings fieldtext link record"
  [sim]="codeplug platform rf selcall settings link"
  [app]="codeplug platform rf selcall settings fieldtext link record pager"
  [cli]="codeplug platform rf selcall settings fieldtext link record pager"
  # The browser edition: the pure libraries, and of the pager layer only what
  # builds for WebAssembly without Qt.
  [web]="codeplug platform rf selcall settings fieldtext link pager"
)
# The pure rules, the code-plug as text and the browser edition use no Qt at all.
qt_free="platform codeplug rf selcall settings fieldtext web"
# Everything below the window uses no widgets.
widget_free="platform codeplug rf selcall settings fieldtext link record pager sim cli web"

declare -A widget_header=()
if [ -n "$widgets_dir" ] && [ -d "$widgets_dir" ]; then
  for f in "$widgets_dir"/Q*; do widget_header["$(basename "$f")"]=1; done
else
  for h in QApplication QWidget QDialog QMessageBox QLabel QLineEdit QComboBox QCheckBox \
           QPushButton QMainWindow QTabWidget QLayout QVBoxLayout QHBoxLayout QGridLayout; do
    widget_header[$h]=1
  done
fi

in_list() {
  local word="$1" list="$2" x
  for x in $list; do [ "$x" = "$word" ] && return 0; done
  return 1
}

failures=0
fail() {
  echo "$1" >&2
  failures=$((failures + 1))
}

for folder in "${!allowed[@]}"; do
  [ -d "$root/$folder" ] || continue
  while IFS= read -r -d '' file; do
    rel="${file#"$root"/}"
    line_no=0
    while IFS= read -r line; do
      line_no=$((line_no + 1))
      [[ "$line" =~ ^[[:space:]]*#[[:space:]]*include[[:space:]]*([\"\<])([^\"\>]+)[\"\>] ]] || continue
      kind="${BASH_REMATCH[1]}"
      target="${BASH_REMATCH[2]}"
      close='"'; [ "$kind" = '<' ] && close='>'
      where="$rel:$line_no: #include $kind$target$close"
      if [ "$kind" = '"' ] && [[ "$target" == */* ]]; then
        top="${target%%/*}"
        [ "$top" = "$folder" ] && continue
        if [ -n "${allowed[$top]+set}" ] && ! in_list "$top" "${allowed[$folder]}"; then
          fail "$where: $folder/ may not include $top/"
        fi
      elif [ "$kind" = '<' ]; then
        header="${target#QtWidgets/}"
        if [[ "$target" == Q* ]] && in_list "$folder" "$qt_free"; then
          fail "$where: $folder/ is free of Qt"
        elif { [[ "$target" == QtWidgets* ]] || [ -n "${widget_header[$header]+set}" ]; } &&
             in_list "$folder" "$widget_free"; then
          fail "$where: $folder/ may not use Qt Widgets"
        fi
      fi
    done < "$file"
  done < <(find "$root/$folder" -type f \( -name '*.h' -o -name '*.cpp' \) -print0)
done

if [ "$failures" -gt 0 ]; then
  echo "layering: $failures upward include(s)" >&2
  exit 1
fi
echo "layering: every include points downward"
