#!/usr/bin/env bash
# Builds the pager operations for the browser (the pure libraries, link/ and
# pager/ with the browser's port) into a module node can run:
#   OUT_DIR/km640-ops.js (createKm640Operations) and OUT_DIR/km640-ops.wasm
# usage: web/port/build-ops-check.sh [OUT_DIR]   (default build-web-port)
# Objects are kept in OUT_DIR/obj and rebuilt when their source or a header
# is newer; ccache is used when it is there.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
out=$(realpath -m "${1:-$root/build-web-port}")
mkdir -p "$out/obj"
cd "$root"
# Debian's emscripten runs its JavaScript tools with the node on the PATH,
# which must find Debian's own node modules (acorn).
export NODE_PATH="/usr/share/nodejs${NODE_PATH:+:$NODE_PATH}"

sources=(codeplug/*.cpp rf/*.cpp selcall/*.cpp settings/*.cpp fieldtext/*.cpp platform/RegularFile.cpp
         link/Frame.cpp link/ReplySync.cpp link/FrameSession.cpp link/Delay.cpp link/ECommError.cpp
         link/OpenSelectedPort.cpp link/SerialPort.cpp
         pager/PagerOperations.cpp pager/PagerReadOperations.cpp pager/PagerWriteOperations.cpp
         pager/PagerClock.cpp pager/ProductionLog.cpp pager/WriteStamps.cpp
         web/port/*.cpp)

# Exceptions carry a failed port out of the exchanges, as on the desktop.
cxxflags=(-std=c++20 -O2 -Wall -Wextra -fexceptions -I"$root")
compiler=(em++)
command -v ccache >/dev/null && compiler=(ccache em++)

objects=()
stale=()
for source in "${sources[@]}"; do
  object="$out/obj/${source//\//_}.o"
  objects+=("$object")
  if [ ! -f "$object" ] || [ -n "$(find "$source" $(sed -n 's/^#include "\(.*\)"/\1/p' "$source") -newer "$object" 2>/dev/null)" ]; then
    stale+=("$source")
  fi
done
export out
if [ ${#stale[@]} -gt 0 ]; then
  printf '%s\n' "${stale[@]}" | xargs -P "${JOBS:-2}" -I{} sh -c \
    'src={}; "$@" -c "$src" -o "$out/obj/$(echo "$src" | tr / _).o"' sh "${compiler[@]}" "${cxxflags[@]}"
fi

# Asyncify lets the C++ operations await the port's promises on the page's
# one thread; the functions that await are the EM_ASYNC_JS ones of the port
# and emscripten_sleep.
em++ "${objects[@]}" -o "$out/km640-ops.js" \
  -O2 -fexceptions \
  -sASYNCIFY=1 -sASYNCIFY_STACK_SIZE=65536 \
  -sMODULARIZE=1 -sEXPORT_NAME=createKm640Operations \
  -sENVIRONMENT=web,node -sALLOW_MEMORY_GROWTH=1 -sFILESYSTEM=0 \
  -sEXPORTED_FUNCTIONS=_malloc,_free,_km640_read,_km640_write,_km640_verify,_km640_read_memory,_km640_image,_km640_result_text,_km640_messages,_km640_as_written_to,_km640_verify_plug,_km640_memory_kept,_km640_identify,_km640_identity,_km640_sync_time,_km640_search,_km640_backup_name,_km640_next_backup,_km640_pager_title \
  -sEXPORTED_RUNTIME_METHODS=ccall,UTF8ToString,HEAPU8
echo "$out/km640-ops.js"
