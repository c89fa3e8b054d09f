#!/bin/sh
# Every Turtle file of an LV2 bundle parses (serdi, which fails on an error)
# and validates (sord_validate) against every vocabulary bundle installed in
# the LV2 system folder. sord_validate leaves out a file it cannot parse
# and may then say nothing, hence the parse first; and it only knows the
# vocabularies it is given, hence every vocabulary's files.
#   check-turtle.sh BUNDLE [VOCABULARIES-FOLDER]
bundle="$1"
system="${2:-/usr/lib/lv2}"
for tool in serdi sord_validate; do
    command -v $tool >/dev/null || { echo "$tool is not installed (tools/setup/install-deps.sh)"; exit 1; }
done
files=$(ls "$bundle"/*.ttl 2>/dev/null)
[ -n "$files" ] || { echo "no Turtle files in $bundle"; exit 1; }
status=0

for f in $files; do
    if out=$(serdi -i turtle -o ntriples "$f" 2>&1 >/dev/null) && [ -z "$out" ]; then
        echo "parsed: $(basename "$f")"
    else
        echo "FAILED to parse $f: $out"
        status=1
    fi
done

# The vocabulary bundles: those whose manifest declares an LV2 vocabulary or an ontology.
vocabularies=""
for manifest in "$system"/*.lv2/manifest.ttl; do
    grep -Eq 'lv2:Specification|owl:Ontology' "$manifest" && vocabularies="$vocabularies $(ls "$(dirname "$manifest")"/*.ttl)"
done
[ -n "$vocabularies" ] || { echo "no vocabulary bundles in $system (lv2-dev)"; exit 1; }
# shellcheck disable=SC2086 # lists of file names without spaces
report=$(sord_validate $vocabularies $files 2>&1)
rc=$?
echo "$report" | tail -n 20
case "$report" in
    *"Found 0 errors"*) [ $rc = 0 ] || status=1 ;;
    *) status=1 ;;
esac
case "$report" in *"error reading"*|*"Skipping"*) echo "a file was left out of the validation"; status=1 ;; esac
[ $status = 0 ] && echo "valid: $(echo $files | wc -w) files against $(echo $vocabularies | wc -w) vocabulary files"
exit $status
