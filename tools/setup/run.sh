#!/bin/sh
# Starts the program from the build folder on the demo machine.
BUILD=${1:-build}
BIN="$BUILD/bin"
export SPINDLEWATCH_MACHINE="${SPINDLEWATCH_MACHINE:-$(pwd)/resources/machines/demo.json}"
if [ -x "$BIN/spindlewatch" ]; then
  exec "$BIN/spindlewatch"
elif [ -x "$BIN/hwscope-info" ]; then
  exec "$BIN/hwscope-info"
fi
echo "Nothing to run yet: the build produced neither spindlewatch nor hwscope-info." >&2
exit 1
