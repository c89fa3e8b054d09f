# Qelt ePiano. `make` installs what is missing, builds the native tree and both
# Windows trees (32- and 64-bit DLLs) and plays the demo through the 32-bit DLL;
# `make test` builds and runs every test.
SHELL := /bin/bash
JOBS ?= $(shell nproc)
NATIVE := build/native
WIN32 := build/win32
CMAKE_NATIVE := cmake -S . -B $(NATIVE) -DCMAKE_BUILD_TYPE=Release
CMAKE_WIN32 := cmake -S . -B $(WIN32) -DCMAKE_BUILD_TYPE=Release \
	-DCMAKE_TOOLCHAIN_FILE=$(CURDIR)/cmake/mingw-i686.cmake \
	-DQELT_GENERATED_DIR=$(CURDIR)/$(NATIVE)/generated
WIN64 := build/win64
CMAKE_WIN64 := cmake -S . -B $(WIN64) -DCMAKE_BUILD_TYPE=Release \
	-DCMAKE_TOOLCHAIN_FILE=$(CURDIR)/cmake/mingw-x86_64.cmake \
	-DQELT_GENERATED_DIR=$(CURDIR)/$(NATIVE)/generated \
	-DQELT_WIN32_TREE=$(CURDIR)/$(WIN32) -DQELT_NATIVE_TREE=$(CURDIR)/$(NATIVE)
TSAN := build/native-tsan
ASAN := build/native-asan

.PHONY: all deps native bitmaps samples win32 dll demo editor-picture docs-picture test test-native test-win32 test-tsan test-asan clean
.PHONY: win64 test-win64

all: deps dll demo editor-picture

deps:
	@tools/setup/install-deps.sh

native: deps
	@$(CMAKE_NATIVE) > /dev/null
	@cmake --build $(NATIVE) -j $(JOBS)

# Only the editor's pictures, with PNG copies and a preview in $(NATIVE)/bitmaps.
bitmaps: deps
	@$(CMAKE_NATIVE) > /dev/null
	@cmake --build $(NATIVE) --target bitmaps -j $(JOBS)

# The 22 recordings as WAV files, with a spectrogram and envelope sheet, the
# brightness against key beside the real tine piano's and the sample report,
# in build/samples (sheet.png, brightness.png, report.txt).
samples: deps
	@$(CMAKE_NATIVE) > /dev/null
	@cmake --build $(NATIVE) --target qelt-make-samples qelt-sample-sheet qelt-brightness-plot qelt-sample-report -j $(JOBS)
	@tools/make-samples/make-sheet.sh $(NATIVE) build/samples

# The Windows build uses resources that the native build's generators make.
win32: native
	@$(CMAKE_WIN32) > /dev/null
	@cmake --build $(WIN32) -j $(JOBS)

win64: native
	@$(CMAKE_WIN64) > /dev/null
	@cmake --build $(WIN64) -j $(JOBS)

dll: win32 win64
	@echo "built $(CURDIR)/$(WIN32)/Qelt-epiano.dll (32-bit hosts)"
	@echo "built $(CURDIR)/$(WIN64)/Qelt-epiano.dll (64-bit hosts)"

demo: dll
	@if [ -x tools/render-midi/qelt-render ]; then tools/render-midi/make-demo.sh $(WIN32); \
	else echo "(no demo renderer yet)"; fi

# The editor as the DLL shows it, saved from a real window into
# build/editor.bmp and build/editor.png; docs-picture also renews the README's
# docs/editor.png.
editor-picture: dll
	@tools/editor-picture/make-editor-picture.sh $(WIN32)

docs-picture: dll
	@tools/editor-picture/make-editor-picture.sh --docs $(WIN32)

test: test-native test-win32 test-win64 test-tsan test-asan

test-native: native
	cd $(NATIVE) && ctest --output-on-failure -j $(JOBS)

# Windows programs run under Wine; the ones that open windows need a display.
# A Wine session left from an earlier step is bound to another display (or
# none): it is let end first, so the tests start one on their own display.
test-win32: win32
	@WINEPREFIX=$(CURDIR)/build/wineprefix timeout 30 wineserver -w 2>/dev/null || true
	cd $(WIN32) && xvfb-run -a -s "-screen 0 1280x1024x24" ctest --output-on-failure -j $(JOBS)

# The same programs built for 64-bit Windows, under 64-bit Wine in a prefix of
# their own (build/wineprefix64), and the two DLLs' sound compared.
test-win64: win32 win64
	@WINEPREFIX=$(CURDIR)/build/wineprefix timeout 30 wineserver -w 2>/dev/null || true
	@WINEPREFIX=$(CURDIR)/build/wineprefix64 timeout 30 wineserver -w 2>/dev/null || true
	cd $(WIN64) && xvfb-run -a -s "-screen 0 1280x1024x24" ctest --output-on-failure -j $(JOBS)

# The engine's tests in sanitizer trees of their own: a render thread against
# a thread changing everything under ThreadSanitizer, and the unit tests under
# AddressSanitizer and UndefinedBehaviorSanitizer.
test-tsan: deps
	@cmake -S . -B $(TSAN) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQELT_SANITIZE=thread > /dev/null
	@cmake --build $(TSAN) -j $(JOBS) --target engine_unit_test engine_stress_test
	cd $(TSAN) && TSAN_OPTIONS=halt_on_error=1 ctest --output-on-failure -R '^engine_(unit|stress)_test$$'

test-asan: deps
	@cmake -S . -B $(ASAN) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQELT_SANITIZE=address,undefined > /dev/null
	@cmake --build $(ASAN) -j $(JOBS) --target engine_unit_test
	cd $(ASAN) && UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 ctest --output-on-failure -R '^engine_unit_test$$'

clean:
	rm -rf build
