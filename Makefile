# Qelt ePiano. `make` installs what is missing, builds the native tree, both
# Windows trees (32- and 64-bit DLLs and VST 3 bundles) and the Linux tree,
# plays the demo through the Linux plug-in and shoots the editor from the
# 64-bit DLL; `make test` builds and runs every test. Whether this machine
# runs 32-bit x86 code is asked of tools/setup/runs-32bit.sh (QELT_RUN_WIN32=0
# says no): where it does not, the 32-bit Windows tests are reported as skipped.
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
LINUX := build/linux
CMAKE_LINUX := cmake -S . -B $(LINUX) -DCMAKE_BUILD_TYPE=Release -DQELT_LINUX_PLUGIN=ON
LINUX32 := build/linux32
CMAKE_LINUX32 := cmake -S . -B $(LINUX32) -DCMAKE_BUILD_TYPE=Release \
	-DCMAKE_TOOLCHAIN_FILE=$(CURDIR)/cmake/linux-i686.cmake -DQELT_LINUX32_CHECK=ON \
	-DQELT_GENERATED_DIR=$(CURDIR)/$(NATIVE)/generated -DQELT_NATIVE_TREE=$(CURDIR)/$(NATIVE)
PREFIX ?= /usr/local

.PHONY: all deps native bitmaps samples win32 dll demo editor-picture docs-picture test test-native test-win32 test-tsan test-asan clean
.PHONY: win64 test-win64
.PHONY: linux linux-deps linux-tree linux-products test-linux install install-user deb
.PHONY: fuzz fuzz-build test-fuzz
.PHONY: linux32 test-linux32 vm-deps test-win32-vm

all: deps dll linux-tree demo editor-picture

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
	@echo "built $(CURDIR)/$(WIN32)/Qelt-epiano.vst3 (VST 3, 32-bit hosts)"
	@echo "built $(CURDIR)/$(WIN64)/Qelt-epiano.vst3 (VST 3, 64-bit hosts)"

# The demo through the Linux plug-in, which every Linux machine runs natively
# (every build plays the same samples).
demo: linux-tree
	@tools/render-midi/make-demo.sh $(LINUX)

# The editor as the 64-bit DLL shows it (the 32-bit one draws the same), saved
# from a real window into build/editor.bmp and build/editor.png; docs-picture
# also renews the README's docs/editor.png.
editor-picture: dll
	@tools/editor-picture/make-editor-picture.sh $(WIN64)

docs-picture: dll linux-tree
	@tools/editor-picture/make-editor-picture.sh --docs $(WIN64)

# The validator's one-screen summary of each build, then what was skipped,
# close the run.
test: test-native test-win32 test-win64 test-linux test-linux32 test-tsan test-asan test-fuzz
	@cat $(NATIVE)/validator-summary.txt $(WIN32)/validator-summary.txt $(WIN64)/validator-summary.txt \
		$(LINUX)/validator-summary.txt $(LINUX)/validator-summary-lv2.txt $(LINUX)/validator-summary-vst3.txt \
		2>/dev/null || true
	@tools/setup/skipped-32bit.sh $(WIN32)/ctest-output.txt

test-native: native
	cd $(NATIVE) && ctest --output-on-failure -j $(JOBS)

# Windows programs run under Wine; the ones that open windows need a display.
# A Wine session left from an earlier step is bound to another display (or
# none): it is let end first, so the tests start one on their own display.
# Where the machine runs no 32-bit code they run in a small virtual machine
# (tools/win32-vm; QELT_WIN32_VM=0 leaves it out), and where none can be had
# they are reported as skipped. The output is kept for the run's closing lines.
test-win32: win32
	@WINEPREFIX=$(CURDIR)/build/wineprefix timeout 30 wineserver -w 2>/dev/null || true
	JOBS=$(JOBS) tests/support/win32-suite.sh $(WIN32)

# The same programs built for 64-bit Windows, under 64-bit Wine in a prefix of
# their own (build/wineprefix64), and the two DLLs' sound compared.
test-win64: win32 win64
	@WINEPREFIX=$(CURDIR)/build/wineprefix timeout 30 wineserver -w 2>/dev/null || true
	@WINEPREFIX=$(CURDIR)/build/wineprefix64 timeout 30 wineserver -w 2>/dev/null || true
	cd $(WIN64) && xvfb-run -a -s "-screen 0 1600x1200x24" ctest --output-on-failure -j $(JOBS)

# The engine's tests in sanitizer trees of their own: a render thread against
# a thread changing everything under ThreadSanitizer, and the unit tests under
# AddressSanitizer and UndefinedBehaviorSanitizer, with the X11 toolkit's
# drawing tests (their leak check covers what cairo keeps per connection).
test-tsan: deps
	@cmake -S . -B $(TSAN) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQELT_SANITIZE=thread > /dev/null
	@cmake --build $(TSAN) -j $(JOBS) --target engine_unit_test engine_stress_test
	cd $(TSAN) && TSAN_OPTIONS=halt_on_error=1 ctest --output-on-failure -R '^engine_(unit|stress)_test$$'

test-asan: deps
	@cmake -S . -B $(ASAN) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQELT_SANITIZE=address,undefined > /dev/null
	@cmake --build $(ASAN) -j $(JOBS) --target engine_unit_test gui_x11_test
	cd $(ASAN) && UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 ctest --output-on-failure \
		-R '^(engine_unit_test|gui_x11_test)$$'

# The Linux plug-ins, VST build/linux/Qelt-epiano.so and the LV2 bundle
# build/linux/Qelt-epiano.lv2, and their renderer build/linux/qelt-render.
# `make linux` installs only what these need and builds them alone, without
# the tests (no Wine, no mingw, no googletest); `make` builds them with their
# tests beside the DLLs.
LV2_BUNDLE := $(LINUX)/Qelt-epiano.lv2
VST3_BUNDLE := $(LINUX)/Qelt-epiano.vst3
linux: linux-deps
	@$(CMAKE_LINUX) -DQELT_TESTS=OFF > /dev/null
	@cmake --build $(LINUX) -j $(JOBS) --target Qelt-epiano Qelt-epiano-lv2 Qelt-epiano-vst3 qelt-render
	@echo "built $(CURDIR)/$(LINUX)/Qelt-epiano.so"
	@echo "built $(CURDIR)/$(LV2_BUNDLE)"

linux-deps:
	@tools/setup/install-deps.sh linux

# The Windows trees whose DLLs the .so must sound the same as: the 64-bit one
# too where the build has it.
LINUX_SAME_AS := $(WIN32) $(WIN64)

linux-tree: deps
	@$(CMAKE_LINUX) -DQELT_TESTS=ON \
		-DQELT_WINDOWS_TREES="$(subst $() ,;,$(strip $(addprefix $(CURDIR)/,$(LINUX_SAME_AS))))" > /dev/null
	@cmake --build $(LINUX) -j $(JOBS)

# The Linux tests load the .so as hosts do; one compares its renders with the DLLs'.
test-linux: linux-tree $(patsubst build/%,%,$(LINUX_SAME_AS))
	cd $(LINUX) && xvfb-run -a -s "-screen 0 1280x1024x24" ctest --output-on-failure -j $(JOBS)

# What the installs take: the plug-ins brought up to date from the sources
# (cmake rebuilds what changed). Where there is no Linux tree yet it is
# configured as `make linux` does; one made by `make` keeps its tests.
linux-products: linux-deps
	@[ -f $(LINUX)/CMakeCache.txt ] || $(CMAKE_LINUX) -DQELT_TESTS=OFF > /dev/null
	@cmake --build $(LINUX) -j $(JOBS) --target Qelt-epiano Qelt-epiano-lv2 Qelt-epiano-vst3 qelt-render

# Where Linux hosts look for plug-ins: $(PREFIX)/lib/vst, lib/lv2 and lib/vst3
# for everyone, ~/.vst, ~/.lv2 and ~/.vst3 for one user. Bundles are replaced
# whole, so no file of an older one stays behind.
install: linux-products
	install -d $(DESTDIR)$(PREFIX)/lib/vst
	install -m 644 $(LINUX)/Qelt-epiano.so $(DESTDIR)$(PREFIX)/lib/vst/Qelt-epiano.so
	rm -rf $(DESTDIR)$(PREFIX)/lib/lv2/Qelt-epiano.lv2
	install -d $(DESTDIR)$(PREFIX)/lib/lv2/Qelt-epiano.lv2
	install -m 644 $(LV2_BUNDLE)/* $(DESTDIR)$(PREFIX)/lib/lv2/Qelt-epiano.lv2/
	rm -rf $(DESTDIR)$(PREFIX)/lib/vst3/Qelt-epiano.vst3
	cd $(VST3_BUNDLE) && find . -type f -exec install -D -m 644 {} $(abspath $(DESTDIR)$(PREFIX))/lib/vst3/Qelt-epiano.vst3/{} \;

install-user: linux-products
	install -d $(HOME)/.vst
	install -m 644 $(LINUX)/Qelt-epiano.so $(HOME)/.vst/Qelt-epiano.so
	rm -rf $(HOME)/.lv2/Qelt-epiano.lv2
	install -d $(HOME)/.lv2/Qelt-epiano.lv2
	install -m 644 $(LV2_BUNDLE)/* $(HOME)/.lv2/Qelt-epiano.lv2/
	rm -rf $(HOME)/.vst3/Qelt-epiano.vst3
	cd $(VST3_BUNDLE) && find . -type f -exec install -D -m 644 {} $(HOME)/.vst3/Qelt-epiano.vst3/{} \;

# The Debian package build/qelt-epiano_VERSION_ARCH.deb of the plug-ins and the
# renderer (tools/package/make-deb.sh), packed from the products as the
# sources now make them. Its packages are asked for after the build's, not
# beside them: two apt-get runs at once would fight over the lock.
deb: linux-products
	@tools/setup/install-deps.sh deb
	@tools/package/make-deb.sh $(LINUX) build

# The 32-bit Windows suite in the small virtual machine (Debian's kernel, which
# runs 32-bit code, under qemu's software emulation), on any machine; the
# image is kept in ~/.cache/qelt-epiano/win32-vm.
vm-deps:
	@tools/setup/install-deps.sh vm

test-win32-vm: win32 vm-deps
	@tools/win32-vm/win32-vm.sh $(WIN32)

# The 32-bit arithmetic without Wine: the engine and the session renderer as a
# static 32-bit Linux program with the 32-bit DLL's floating-point flags, run
# natively or under qemu-i386-static, must play the scripted session and the
# demo bit for bit as the native build does.
linux32: native
	@$(CMAKE_LINUX32) > /dev/null
	@cmake --build $(LINUX32) -j $(JOBS)

test-linux32: linux32
	cd $(LINUX32) && ctest --output-on-failure

# Coverage-guided fuzzing: a clang tree of its own with libFuzzer,
# AddressSanitizer and UndefinedBehaviorSanitizer. `make fuzz` runs each target
# for FUZZ_SECONDS and keeps what it learns under tests/fuzz/; `make test`
# replays the kept inputs.
FUZZ := build/fuzz
FUZZ_SECONDS ?= 300
FUZZ_TARGETS := plugin_calls_fuzzer midi_file_fuzzer note_setup_fuzzer vst3_calls_fuzzer
CMAKE_FUZZ := CC=clang CXX=clang++ cmake -S . -B $(FUZZ) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQELT_FUZZ=ON \
	-DQELT_SANITIZE=fuzzer-no-link,address,undefined \
	-DCMAKE_C_FLAGS=-fno-sanitize-recover=all -DCMAKE_CXX_FLAGS=-fno-sanitize-recover=all

fuzz-build: deps
	@$(CMAKE_FUZZ) > /dev/null
	@cmake --build $(FUZZ) -j $(JOBS) --target $(FUZZ_TARGETS)

# On a virtual display of their own, so that the host-call fuzzer's editor
# makes real windows (it also takes the display away now and then).
fuzz: fuzz-build
	@xvfb-run -a -s "-screen 0 1280x1024x24" tests/fuzz/run-fuzzers.sh $(FUZZ) $(FUZZ_SECONDS) $(FUZZ_TARGETS)

test-fuzz: fuzz-build
	cd $(FUZZ) && xvfb-run -a -s "-screen 0 1280x1024x24" ctest --output-on-failure -R '_fuzzer_replay$$'

clean:
	rm -rf build
