#!/bin/sh
# The VST 3 bundle as hosts and their scanners read it without loading it:
# Contents/<machine>-linux/<Name>.so (or, with the Windows folder and ending
# given, Contents/x86_64-win/<Name>.vst3 or Contents/x86-win/<Name>.vst3)
# named after the bundle and the only binary there, and
# Contents/Resources/moduleinfo.json holding exactly the keys hosts' readers
# know (an unknown key is an error to them), the required ones present, the
# class IDs as 32 hex digits and the version the release's.
#   check-bundle.sh BUNDLE VERSION [ARCH-FOLDER ENDING]
bundle="$1"
version="$2"
arch="${3:-$(uname -m)-linux}"
ending="${4:-.so}"
[ -d "$bundle" ] || { echo "FAILED: no bundle $bundle"; exit 1; }
command -v python3 >/dev/null || { echo "FAILED: python3 is needed to read moduleinfo.json"; exit 1; }
name=$(basename "$bundle" .vst3)
binary="$bundle/Contents/$arch/$name$ending"
status=0
[ -f "$binary" ] || { echo "FAILED: no $binary"; status=1; }
others=$(ls -A "$bundle/Contents/$arch" 2>/dev/null | grep -vxF "$name$ending")
[ -z "$others" ] || { echo "FAILED: more than the binary in Contents/$arch: $others"; status=1; }
python3 - "$bundle/Contents/Resources/moduleinfo.json" "$name" "$version.0" <<'PY' || status=1
import json, re, sys
path, name, version = sys.argv[1:4]
try:
    info = json.load(open(path))
except Exception as e:
    sys.exit("FAILED: %s does not read as JSON: %s" % (path, e))
problems = []
def keys(obj, allowed, required, where):
    for k in obj:
        if k not in allowed:
            problems.append("%s: unknown key %r" % (where, k))
    for k in required:
        if k not in obj:
            problems.append("%s: no %r" % (where, k))
keys(info, {"Name", "Version", "Factory Info", "Compatibility", "Classes"}, {"Name", "Version", "Factory Info", "Classes"}, "top")
keys(info.get("Factory Info", {}), {"Vendor", "URL", "E-Mail", "Flags"}, {"Vendor", "URL", "E-Mail", "Flags"}, "Factory Info")
keys(info.get("Factory Info", {}).get("Flags", {}), {"Unicode", "Classes Discardable", "Component Non Discardable"},
     set(), "Flags")
if info.get("Name") != name:
    problems.append("Name %r is not the bundle's %r" % (info.get("Name"), name))
if info.get("Version") != version:
    problems.append("Version %r is not %r" % (info.get("Version"), version))
categories = []
for i, c in enumerate(info.get("Classes", [])):
    keys(c, {"CID", "Category", "Name", "Vendor", "Version", "SDKVersion", "Sub Categories", "Class Flags",
             "Cardinality", "Snapshots"},
         {"CID", "Category", "Name", "Vendor", "Version", "SDKVersion", "Class Flags", "Cardinality"}, "class %d" % i)
    if not re.fullmatch(r"[0-9A-F]{32}", c.get("CID", "")):
        problems.append("class %d: CID %r is not 32 upper-case hex digits" % (i, c.get("CID")))
    if c.get("Version") != version:
        problems.append("class %d: Version %r is not %r" % (i, c.get("Version"), version))
    categories.append(c.get("Category"))
if sorted(categories) != ["Audio Module Class", "Component Controller Class"]:
    problems.append("classes %r: one processor and one controller expected" % categories)
for p in problems:
    print("FAILED: " + p)
if problems:
    sys.exit(1)
print("moduleinfo.json: %d classes, version %s" % (len(categories), version))
PY
[ $status = 0 ] && echo "the bundle is laid out as hosts read it"
exit $status
