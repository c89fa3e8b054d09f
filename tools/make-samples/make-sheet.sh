#!/bin/bash
# Writes the 22 recordings as WAV files (loops prepared, as the instrument plays
# them), a spectrogram of each, one sheet of them all, the brightness against
# key as the instrument plays them (brightness.png) and, where it is built,
# the sample report (report.txt):
#   make-sheet.sh NATIVE_BUILD_DIR OUT_DIR
set -euo pipefail
native=$1
out=$2
mkdir -p "$out"
"$native/tools/make-samples/qelt-make-samples" --wav "$out" --summary > "$out/design.txt"
for wav in "$out"/sample*.wav; do
    sox "$wav" -n remix 1 spectrogram -r -x 640 -y 257 -z 90 -o "${wav%.wav}.png"
done
"$native/tools/make-samples/qelt-sample-sheet" "$out" "$out/sheet.png"
echo "wrote $out/sample*.wav and $out/sheet.png"
"$native/tools/make-samples/qelt-brightness-plot" "$out/brightness.png"
echo "wrote $out/brightness.png"
if [ -x "$native/bench/samples/qelt-sample-report" ]; then
    "$native/bench/samples/qelt-sample-report" > "$out/report.txt"
    echo "wrote $out/report.txt"
fi
