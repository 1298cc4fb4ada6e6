# make run   installs what is missing, builds, opens the window on the sample table
# make test  installs what is missing, builds, runs every test
BUILD   ?= build
RUNDIR  ?= run
# What building needs; then what the tests need beside.
BUILD_PACKAGES = cmake g++ make pkg-config qt6-base-dev qt6-l10n-tools libcups2-dev libpango1.0-dev \
           libcairo2-dev libsqlite3-dev libsecret-1-dev libpq-dev libpoppler-cpp-dev zlib1g-dev \
           fonts-thai-tlwg dpkg-dev
PACKAGES = $(BUILD_PACKAGES) libgtest-dev libgmock-dev libbenchmark-dev \
           xvfb xauth xdotool xclip x11-utils imagemagick poppler-utils qpdf \
           cups cups-client cups-bsd printer-driver-cups-pdf at-spi2-core python3-pyatspi dbus \
           dpkg-dev lintian desktop-file-utils appstream man-db time locales bsdutils strace sqlite3 \
           postgresql
SUDO    := $(shell [ "$$(id -u)" = 0 ] || echo sudo)

.PHONY: deps install-packages build run test bench docs clean package

deps:
	@$(MAKE) --no-print-directory install-packages NEEDED="$(PACKAGES)"

install-packages:
	@missing=""; for p in $(NEEDED); do \
	  dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q 'ok installed' || missing="$$missing $$p"; \
	done; \
	if [ -n "$$missing" ]; then \
	  echo "installing:$$missing"; \
	  $(SUDO) apt-get update -qq && \
	  DEBIAN_FRONTEND=noninteractive $(SUDO) apt-get install -y -qq $$missing; \
	fi

build: deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
	cmake --build $(BUILD) -j$$(nproc)

$(RUNDIR)/KTABLE.DAT: data/indices-sample.csv | build
	mkdir -p $(RUNDIR)
	$(BUILD)/tarvon-table import data/indices-sample.csv $@

run: build $(RUNDIR)/KTABLE.DAT
	@[ -n "$$DISPLAY$$WAYLAND_DISPLAY" ] || { echo "make run: no desktop display here (DISPLAY is not set); run it on a desktop or under xvfb-run" >&2; exit 1; }
	cd $(RUNDIR) && ../$(BUILD)/tarvon

test: build
	cd $(BUILD) && ctest --output-on-failure -j2

# The Debian package, tarvon_<version>_amd64.deb, in $(BUILD)-package:
# only what ships is built, with only the packages building needs.
package:
	@$(MAKE) --no-print-directory install-packages NEEDED="$(BUILD_PACKAGES)"
	cmake -S . -B $(BUILD)-package -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTARVON_TESTS=OFF >/dev/null
	cmake --build $(BUILD)-package -j$$(nproc)
	cd $(BUILD)-package && cpack

bench: build
	xvfb-run -a -s "-screen 0 1024x768x24 -noreset" $(BUILD)/bench/tarvon_bench

clean:
	rm -rf $(BUILD) $(BUILD)-package $(RUNDIR)

# Pictures for the README, made from the program itself (a window manager
# draws the caption bar).
docs: build
	@dpkg-query -W -f='$${Status}' openbox 2>/dev/null | grep -q 'ok installed' || \
	  DEBIAN_FRONTEND=noninteractive $(SUDO) apt-get install -y -qq --no-install-recommends openbox
	bash tests/e2e/window.sh $(BUILD)/tarvon $(BUILD)/tarvon-table data/indices-sample.csv docs
	bash tests/e2e/registerwindow.sh $(BUILD)/tarvon $(BUILD)/tarvon-table $(BUILD)/tarvon-batch \
	  data/indices-sample.csv docs
