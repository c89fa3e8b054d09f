#!/bin/sh
# Every Linux product binary must load on glibc 2.31 (Debian 11, Ubuntu
# 20.04): it may need no symbol version newer than that, and no C++ or GCC
# runtime of the system's (each binary carries its own).
#   check-glibc-needs.sh FILE...
limit=2.31
[ $# -gt 0 ] || { echo "usage: $0 FILE..."; exit 1; }
command -v objdump >/dev/null || { echo "objdump is missing (binutils)"; exit 1; }
status=0
for file; do
    needs=$(objdump -T "$file" 2>&1) || { echo "$file: $needs"; status=1; continue; }
    versions=$(printf '%s\n' "$needs" | grep -o 'GLIBC_2\.[0-9.]*' | sort -Vu)
    # Every binary calls the C library, so no versions at all means a wrong read.
    [ -n "$versions" ] || { echo "$file: no glibc symbol versions found"; status=1; continue; }
    for version in $versions; do
        number=${version#GLIBC_}
        [ "$(printf '%s\n%s\n' "$number" "$limit" | sort -V | tail -n 1)" = "$limit" ] && continue
        echo "$file needs glibc $number for:" \
            $(printf '%s\n' "$needs" | awk -v v="($version)" 'index($0, v) {print $NF}' | sort -u)
        status=1
    done
    runtime=$(printf '%s\n' "$needs" | grep -Eo '(GLIBCXX|CXXABI|GCC)_[0-9.]+' | sort -Vu | tr '\n' ' ')
    [ -z "$runtime" ] || { echo "$file needs the system's C++ runtime: $runtime"; status=1; }
    echo "$file: glibc $(printf '%s\n' "$versions" | tail -n 1 | sed 's/GLIBC_//') at most"
done
exit $status
