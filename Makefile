# The two commands a newcomer needs:
#   make run    install what is missing, build, lay out dist/ and start the program
#   make test   install what is missing, build and run every test (offscreen)

BUILD ?= build
DIST  ?= dist
JOBS  ?= $(shell nproc 2>/dev/null || echo 2)

DEBS = cmake make g++ pkg-config qt6-base-dev qt6-base-dev-tools qt6-svg-dev \
       qt6-multimedia-dev gstreamer1.0-plugins-base gstreamer1.0-plugins-good \
       qt6-image-formats-plugins libgl-dev libbenchmark-dev \
       fonts-liberation2 fonts-dejavu-core xvfb xauth \
       libpoppler-qt6-dev qt6-translations-l10n

SUDO := $(shell [ "$$(id -u)" = 0 ] || echo sudo)

.PHONY: run test deps build install bench clean

deps:
	@missing=""; for p in $(DEBS); do dpkg -s $$p >/dev/null 2>&1 || missing="$$missing $$p"; done; \
	if [ -n "$$missing" ]; then \
	  echo "Installing:$$missing"; \
	  $(SUDO) apt-get update -qq && DEBIAN_FRONTEND=noninteractive $(SUDO) apt-get install -y -qq $$missing; \
	fi

$(BUILD)/CMakeCache.txt:
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_INSTALL_PREFIX=$(abspath $(DIST))

build: deps $(BUILD)/CMakeCache.txt
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
