#!/bin/sh
# The committed demo phrase must be exactly what its script writes.
demo="$1"
out=$(mktemp) || exit 1
trap 'rm -f "$out"' EXIT
python3 "$demo/make_demo_phrase.py" "$out" || exit 1
if cmp -s "$out" "$demo/demo-phrase.mid"; then
    echo "demo-phrase.mid is current"
else
    echo "demo-phrase.mid differs from what make_demo_phrase.py writes: run it again and commit the result"
    exit 1
fi
