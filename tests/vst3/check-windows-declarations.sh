#!/bin/sh
# Our VST 3 declarations compile for both Windows targets with their size,
# layout, ID and result-code checks holding, seen from the Linux tree (the
# Windows trees build and test the bundles themselves), and so do the
# processor, the controller and the editor's view with its HWND part.
#   check-windows-declarations.sh SOURCE-DIR
source="$1"
status=0
for compiler in x86_64-w64-mingw32-g++ i686-w64-mingw32-g++; do
    command -v $compiler >/dev/null || { echo "FAILED: no $compiler (the Windows trees need it too)"; status=1; continue; }
    if $compiler -std=c++17 -Wall -Wextra -Werror -fsyntax-only -I"$source" \
        "$source/tests/vst3/windows_declarations.cpp"; then
        echo "$compiler: the declarations hold"
    else
        echo "FAILED: $compiler"
        status=1
    fi
    for part in vst3_processor vst3_controller vst3_view vst3_view_win32; do
        $compiler -std=c++17 -Wall -Wextra -Werror -fsyntax-only -I"$source" "$source/plugin/vst3/$part.cpp" ||
            { echo "FAILED: $compiler, $part.cpp"; status=1; }
    done
done
exit $status
