#!/usr/bin/env bash
# The layering check itself: a small tree with one upward include of each kind
# must fail with each named, and the same tree without them must pass.
set -euo pipefail
check="$(dirname "$0")/check_layering.sh"
tree="$(mktemp -d)"
trap 'rm -rf "$tree"' EXIT

mkdir -p "$tree"/{app,cli,rf,settings,fieldtext,pager,codeplug,web}
printf '#include "codeplug/CodePlugImage.h"\n#include <vector>\n' > "$tree/rf/Clean.h"
printf '#include "rf/Clean.h"\n#include "selcall/ToneField.h"\n' > "$tree/settings/Clean.cpp"
printf '#include <QWidget>\n#include "pager/Any.h"\n#include "fieldtext/Any.h"\n' > "$tree/app/Clean.cpp"
printf '#include <QSerialPort>\n#include "fieldtext/Any.h"\n' > "$tree/pager/Clean.cpp"
printf '#include "fieldtext/Any.h"\n#include <emscripten/bind.h>\n' > "$tree/web/Clean.cpp"
"$check" "$tree" "${1:-}" > /dev/null || { echo "a clean tree was refused"; exit 1; }

printf '#include "cli/CliRunner.h"\n' > "$tree/app/Clean.cpp"
printf '#include "app/TfmMain.h"\n' > "$tree/rf/Upward.cpp"
printf '  #  include <QString>\n' > "$tree/fieldtext/Qt.cpp"
printf '#include <QLabel>\n' > "$tree/pager/Widgets.cpp"
printf '#include "fieldtext/FieldValue.h"\n' > "$tree/codeplug/Upward.h"
printf '#include "record/RecordUrl.h"\n#include <QString>\n' > "$tree/web/Upward.cpp"
if out="$("$check" "$tree" "${1:-}" 2>&1)"; then
  echo "upward includes were not refused"; exit 1
fi
for expected in "app/Clean.cpp:1: #include \"cli/CliRunner.h\": app/ may not include cli/" \
                "rf/Upward.cpp:1: #include \"app/TfmMain.h\": rf/ may not include app/" \
                "fieldtext/Qt.cpp:1: #include <QString>: fieldtext/ is free of Qt" \
                "pager/Widgets.cpp:1: #include <QLabel>: pager/ may not use Qt Widgets" \
                "codeplug/Upward.h:1: #include \"fieldtext/FieldValue.h\": codeplug/ may not include fieldtext/" \
                "web/Upward.cpp:1: #include \"record/RecordUrl.h\": web/ may not include record/" \
                "web/Upward.cpp:2: #include <QString>: web/ is free of Qt" \
                "layering: 7 upward include(s)"; do
  grep -qF "$expected" <<< "$out" || { echo "not reported: $expected"; echo "$out"; exit 1; }
done
echo "layering check refuses each kind of upward include"
