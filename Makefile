# The two commands a user needs: `make demo` and `make test`.
# Everything else here is for developers and CI.

JOBS ?= $(shell nproc)
BUILD := build/release
ASAN_BUILD := build/asan
TSAN_BUILD := build/tsan
FUZZ_BUILD := build/fuzz
# Seconds each fuzz target runs for in `make fuzz`.
SECONDS ?= 30

.PHONY: demo test test-asan test-tsan fuzz bench build bootstrap format clean

bootstrap:
	@scripts/bootstrap

$(BUILD)/CMakeCache.txt: | bootstrap
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release

build: bootstrap $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j $(JOBS)

# Only what the demo needs: the tool, the factory bank and the editor's pictures.
demo: bootstrap $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j $(JOBS) --target karvelund factory_bank kv_resources
	@scripts/demo $(BUILD)

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

$(ASAN_BUILD)/CMakeCache.txt: | bootstrap
	cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DKARVELUND_SANITIZE=ON -DKARVELUND_BENCH=OFF

test-asan: bootstrap $(ASAN_BUILD)/CMakeCache.txt
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	cd $(ASAN_BUILD) && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
	  LSAN_OPTIONS=suppressions=$(CURDIR)/scripts/lsan.supp ctest --output-on-failure -j $(JOBS)

$(TSAN_BUILD)/CMakeCache.txt: | bootstrap
	cmake -S . -B $(TSAN_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKARVELUND_TSAN=ON -DKARVELUND_BENCH=OFF

# The threaded tests (ctest label "threads") under ThreadSanitizer.
TSAN_TARGETS := test_instrument_threads test_editor_threads test_realtime test_lv2 \
  karvelund-auhost karvelund_component factory_bank kv_resources
test-tsan: bootstrap $(TSAN_BUILD)/CMakeCache.txt
	cmake --build $(TSAN_BUILD) -j $(JOBS) --target $(TSAN_TARGETS)
	cd $(TSAN_BUILD) && TSAN_OPTIONS="halt_on_error=1 exitcode=66 second_deadlock_stack=1" KARVELUND_STRESS_SECONDS=10 \
	  ctest --output-on-failure -j $(JOBS) -L threads

$(FUZZ_BUILD)/CMakeCache.txt: | bootstrap
	CC=clang CXX=clang++ cmake -S . -B $(FUZZ_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DKARVELUND_FUZZ=ON -DKARVELUND_TESTS=OFF -DKARVELUND_BENCH=OFF

# Every fuzz target for SECONDS seconds, after replaying its committed findings.
FUZZ_TARGETS := fuzz_program fuzz_bank fuzz_state fuzz_midi_file fuzz_png fuzz_midi_stream \
  fuzz_au_classinfo fuzz_lv2_state
fuzz: bootstrap $(FUZZ_BUILD)/CMakeCache.txt
	cmake --build $(FUZZ_BUILD) -j $(JOBS) --target $(FUZZ_TARGETS)
	scripts/fuzz $(FUZZ_BUILD) $(SECONDS)

bench: build
	@for b in $(BUILD)/bench/bench_*; do echo "== $$b"; $$b; done

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf build

# The LV2 bundle: `make install` puts karvelund.lv2 under $(PREFIX)/lib/lv2 (DESTDIR honoured),
# `make install-user` under ~/.lv2 for the current user.
PREFIX ?= /usr/local
.PHONY: install install-user
install: build
	DESTDIR="$(DESTDIR)" cmake --install $(BUILD) --prefix $(PREFIX) --component lv2

install-user: build
	mkdir -p $(HOME)/.lv2
	rm -rf $(HOME)/.lv2/karvelund.lv2
	cp -R $(BUILD)/lv2/karvelund.lv2 $(HOME)/.lv2/
