# The two commands a newcomer needs:
#   make run    install what is missing, build, lay out dist/ and start the program
#   make test   install what is missing, build and run every test (offscreen)
# A bare `make` only builds (nothing is installed); WERROR=1 on any build
# target turns compiler warnings into errors, as CI does.

BUILD ?= build
DIST  ?= dist
JOBS  ?= $(shell nproc 2>/dev/null || echo 2)
WERROR ?=
WERROR_VALUE := $(if $(filter 1 ON On on YES Yes yes TRUE True true,$(WERROR)),ON,OFF)

# Every Debian package `make run` and `make test` need, one a line, with who
# needs it. A Debian minbase system has the rest (sh, sed, awk, coreutils,
# dpkg, apt); `make newcomer` proves the list on exactly that plus git, make,
# ca-certificates and sudo. Add a package on a line of its own.
DEBS :=
DEBS += make                       # these very commands
DEBS += cmake                      # the build; ctest runs the tests
DEBS += gcc                        # the C compiler the project names (cc)
DEBS += g++                        # the C++20 compiler
DEBS += pkg-config                 # finds freexl (the import) and, for the tests, poppler-qt6
DEBS += qt6-base-dev               # Qt Core, Gui, Widgets, Concurrent, PrintSupport, Test
DEBS += qt6-base-dev-tools         # moc and rcc (automoc, autorcc)
DEBS += libgl-dev                  # Qt Gui's CMake package asks for OpenGL
DEBS += qt6-svg-dev                # Qt Svg: every picture of the program, the icon's PNG sizes
DEBS += qt6-multimedia-dev         # Qt Multimedia: the webcam window
DEBS += gstreamer1.0-plugins-base  # Qt Multimedia's media back end at run time
DEBS += gstreamer1.0-plugins-good  # the same, for cameras (v4l2)
DEBS += qt6-image-formats-plugins  # TIFF and WebP pictures beyond Qt Gui's own formats; no test needs them
DEBS += qt6-translations-l10n      # Qt's own dialogs and buttons in Italian
DEBS += fonts-dejavu-core          # the windows' faces (DejaVu Sans), the tests' proportional face
DEBS += fonts-liberation2          # the printed reports' fixed-pitch face (Liberation Mono)
DEBS += libpoppler-qt6-dev         # tests: printed output read back from PDF
DEBS += libjpeg-dev                # the photo fuzz target asks libjpeg itself (replayed by make test)
DEBS += libbenchmark-dev           # bench/: Google Benchmark
DEBS += desktop-file-utils         # tests: the menu entry checked; make desktop refreshes the menu
DEBS += appstream                  # tests: the software-centre description checked
DEBS += xvfb                       # xvfb-run: looking at the windows on a virtual screen
DEBS += xauth                      # xvfb-run needs it
DEBS += zlib1g-dev                 # the photo reader measures what a PNG's compressed text unpacks to
DEBS += shared-mime-info           # make desktop registers the collections' file type (update-mime-database)
DEBS += xdg-utils                  # tests: xdg-mime asks which type a collection is
DEBS += libfile-mimeinfo-perl      # xdg-mime's look-up outside a desktop session (mimetype)
DEBS += libquazip1-qt6-dev         # the import: zipped workbooks (.xlsx, .ods)
DEBS += libfreexl-dev              # the import: old binary Excel files (.xls)

SUDO := $(shell [ "$$(id -u)" = 0 ] || echo sudo)

.PHONY: all run test deps build install bench clean fuzz format format-check lint newcomer
.DEFAULT_GOAL := all

deps:
	@missing=""; for p in $(strip $(DEBS)); do dpkg -s $$p >/dev/null 2>&1 || missing="$$missing $$p"; done; \
	if [ -n "$$missing" ]; then \
	  echo "Installing:$$missing"; \
	  $(SUDO) apt-get update -qq && DEBIAN_FRONTEND=noninteractive $(SUDO) apt-get install -y -qq $$missing; \
	fi

$(BUILD)/CMakeCache.txt:
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_INSTALL_PREFIX=$(abspath $(DIST)) \
	  -DMINIARCA_WERROR:BOOL=$(WERROR_VALUE)

# An existing build folder is configured again only when WERROR asks for
# something else than it was built with.
define werror_sync
@grep -qx 'MINIARCA_WERROR:BOOL=$(WERROR_VALUE)' $(1)/CMakeCache.txt || \
  cmake -S . -B $(1) -DMINIARCA_WERROR:BOOL=$(WERROR_VALUE)
endef

all: $(BUILD)/CMakeCache.txt
	$(call werror_sync,$(BUILD))
	cmake --build $(BUILD) -j $(JOBS)

build: deps $(BUILD)/CMakeCache.txt
	$(call werror_sync,$(BUILD))
	cmake --build $(BUILD) -j $(JOBS)

install: build
	cmake --install $(BUILD)

run: install
	./$(DIST)/miniarca

test: build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

bench: build
	@for b in $(BUILD)/bench/bench_*; do [ -x "$$b" ] && QT_QPA_PLATFORM=offscreen "$$b"; done

clean:
	rm -rf $(BUILD) $(DIST)

# --- sanitizer build ----------------------------------------------------------
# The whole suite built with AddressSanitizer + UndefinedBehaviorSanitizer in
# its own folder; any finding (memory error, leak, undefined behaviour) fails
# the test. The same options hold while building, since the build runs our
# tools. Leaks of uninstrumented system libraries are listed in SAN_SUPP.
# SAN_TESTS=regex runs only the matching tests.
SAN_BUILD ?= build-asan
SAN_TESTS ?=
SAN_SUPP  := $(abspath tests/sanitizer/lsan.supp)
SAN_ENV   := QT_QPA_PLATFORM=offscreen \
  ASAN_OPTIONS=detect_leaks=1:halt_on_error=1:abort_on_error=0:detect_stack_use_after_return=1:check_initialization_order=1:strict_init_order=1 \
  LSAN_OPTIONS=suppressions=$(SAN_SUPP):print_suppressions=0 \
  UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1

.PHONY: test-sanitize clean-sanitize
$(SAN_BUILD)/CMakeCache.txt:
	cmake -S . -B $(SAN_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMINIARCA_SANITIZE=ON -DMINIARCA_BENCH=OFF \
	  -DMINIARCA_WERROR:BOOL=$(WERROR_VALUE)

test-sanitize: deps $(SAN_BUILD)/CMakeCache.txt
	$(call werror_sync,$(SAN_BUILD))
	$(SAN_ENV) cmake --build $(SAN_BUILD) -j $(JOBS)
	cd $(SAN_BUILD) && $(SAN_ENV) ctest --output-on-failure -j $(JOBS) $(if $(SAN_TESTS),-R '$(SAN_TESTS)')

clean-sanitize:
	rm -rf $(SAN_BUILD)
clean: clean-sanitize
# ------------------------------------------------------------------------------

# Fuzzing, in a build folder of its own with clang and libFuzzer: each target
# runs FUZZ_SECONDS seeded with its corpus folder (left untouched); the
# inputs it finds go to a scratch folder. A crash or a broken property stops
# the run with the input's path.
FUZZ_BUILD   ?= build-fuzz
FUZZ_SECONDS ?= 60
FUZZ_TARGETS ?= record codepage amount photo archive password
FUZZ_SCRATCH ?= $(or $(TMPDIR),/tmp)/miniarca-fuzz
FUZZ_DEBS     = clang libclang-rt-14-dev

fuzz: deps
	@missing=""; for p in $(FUZZ_DEBS); do dpkg -s $$p >/dev/null 2>&1 || missing="$$missing $$p"; done; \
	if [ -n "$$missing" ]; then \
	  $(SUDO) apt-get update -qq && DEBIAN_FRONTEND=noninteractive $(SUDO) apt-get install -y -qq $$missing; \
	fi
	cmake -S . -B $(FUZZ_BUILD) -DMINIARCA_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++
	cmake --build $(FUZZ_BUILD) -j $(JOBS)
	@for t in $(FUZZ_TARGETS); do \
	  mkdir -p $(FUZZ_SCRATCH)/$$t $(FUZZ_SCRATCH)/artifacts && \
	  echo "== fuzz_$$t: $(FUZZ_SECONDS) s" && \
	  $(FUZZ_BUILD)/tests/fuzz/fuzz_$$t -max_total_time=$(FUZZ_SECONDS) -print_final_stats=1 \
	    -artifact_prefix=$(FUZZ_SCRATCH)/artifacts/$$t- $(FUZZ_SCRATCH)/$$t tests/fuzz/corpus/$$t \
	    || { echo "fuzz_$$t failed: see $(FUZZ_SCRATCH)/artifacts/"; exit 1; }; \
	done

# Formatting with clang-format and the rules in .clang-format: `make format`
# rewrites our sources in place, `make format-check` only lists what differs.
FORMAT_SOURCES = $(shell find src tests bench tools -name '*.cpp' -o -name '*.h')
FORMAT_DEBS    = clang-format

format format-check:
	@command -v clang-format >/dev/null 2>&1 || { \
	  $(SUDO) apt-get update -qq && DEBIAN_FRONTEND=noninteractive $(SUDO) apt-get install -y -qq $(FORMAT_DEBS); }
	clang-format $(if $(filter format,$@),-i,--dry-run -Werror) $(FORMAT_SOURCES)

# Static analysis with clang-tidy and the checks in .clang-tidy, over the
# program's sources (every .cpp under src/, our headers through its
# HeaderFilterRegex), with the build folder's compile commands, JOBS files at
# a time. It needs only the build folder configured, nothing built (no source
# includes moc's output, and building an _autogen target would compile the
# core it depends on): a fresh folder is configured as the build targets
# would (pass the same WERROR), an existing one is left as it is. CI runs it.
# A file whose preprocessed text, flags and checks are those of an earlier
# clean run on this machine is not checked again (tools/lint.py says how).
LINT_DEBS :=
LINT_DEBS += clang-tidy            # make lint alone: clang-tidy and run-clang-tidy (Debian 12: 14)

lint: deps $(BUILD)/CMakeCache.txt
	@missing=""; for p in $(strip $(LINT_DEBS)); do dpkg -s $$p >/dev/null 2>&1 || missing="$$missing $$p"; done; \
	if [ -n "$$missing" ]; then \
	  echo "Installing:$$missing"; \
	  $(SUDO) apt-get update -qq && DEBIAN_FRONTEND=noninteractive $(SUDO) apt-get install -y -qq $$missing; \
	fi
	@[ -f $(BUILD)/compile_commands.json ] || cmake -S . -B $(BUILD)
	python3 tools/lint.py $(BUILD) $(JOBS)

# --- desktop menu ---------------------------------------------------------------
# `make desktop`, after `make run` or `make install` has laid out $(DIST)/, adds
# the program to the current user's application menu, with no root: the menu
# entry, the icon and the software-centre description go under $XDG_DATA_HOME
# (by default ~/.local/share). Run it again after moving the program folder
# (`make desktop DIST=/new/place`). `make undesktop` removes exactly that.
# `make test-calc` installs LibreOffice Calc (about 260 MB) and runs the
# export tests, which then read the file back with it.
.PHONY: desktop undesktop test-calc
desktop:
	@sh tools/desktop_menu.sh install "$(abspath $(DIST))" "$(abspath $(BUILD))/desktop"

undesktop:
	@sh tools/desktop_menu.sh uninstall

test-calc: build
	@command -v soffice >/dev/null 2>&1 || { $(SUDO) apt-get update -qq && \
	  DEBIAN_FRONTEND=noninteractive $(SUDO) apt-get install -y -qq --no-install-recommends libreoffice-calc-nogui; }
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -R 'test_export'
# ------------------------------------------------------------------------------

# --- the newcomer's commands on a fresh system --------------------------------
# `make newcomer` bootstraps a minimal Debian 12 (cached outside the clone, in
# /var/cache/miniarca-newcomer), clones this checkout's HEAD commit into it
# and runs `make test`, then `make run` until the program is up, there, with
# this machine's compiler cache lent read-only (NEWCOMER_CCACHE=off: none).
# WERROR=1 passes on. Needs root (or sudo) and a Debian mirror; CI runs it last.
newcomer:
	@NEWCOMER_WERROR=$(WERROR_VALUE) tools/newcomer.sh
