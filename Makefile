# Tonvexa: the two set-up commands.
#   make run   installs what building and running need, builds Release into build/, starts it
#   make test  installs the test tools too, builds and runs the whole suite headless
# Both are idempotent: a second run installs nothing and rebuilds only what changed.
#   make package  builds the Debian package build/tonvexa_<version>_<arch>.deb and checks it

BUILD      ?= build
SAN_BUILD  ?= build-san
TSAN_BUILD ?= build-tsan
FUZZ_BUILD ?= build-fuzz
JOBS       ?= 2
LAUNCHER   := $(shell command -v ccache >/dev/null 2>&1 && echo -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
CONFIGURE  := cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Release $(LAUNCHER)

.PHONY: deps deps-run deps-package configure build build-test run test test-release \
	test-sanitize test-tsan fuzz fuzz-long fuzz-run bench package clean format

# What building and running need; `deps` adds the test tools.
deps-run:
	@bash scripts/install-deps.sh run

deps:
	@bash scripts/install-deps.sh test

deps-package:
	@bash scripts/install-deps.sh package

configure: deps-run
	@$(CONFIGURE) >/dev/null

build: configure
	@cmake --build $(BUILD) -j$(JOBS)

run: build
	cd $(BUILD)/app && ./tonvexa

# The same build with the suites and benchmarks, which need the test libraries.
build-test: deps
	@$(CONFIGURE) -DTONVEXA_TESTS=ON -DTONVEXA_BENCH=ON >/dev/null
	@cmake --build $(BUILD) -j$(JOBS)

test-release: build-test
	cd $(BUILD) && ctest --output-on-failure -j$(JOBS)

# The same suite under AddressSanitizer and UndefinedBehaviorSanitizer.
test-sanitize: deps
	@cmake -S . -B $(SAN_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTONVEXA_SANITIZE=ON \
	    -DTONVEXA_BENCH=OFF $(LAUNCHER) >/dev/null
	@cmake --build $(SAN_BUILD) -j$(JOBS)
	cd $(SAN_BUILD) && ctest --output-on-failure -j$(JOBS) -LE threads

# The tests that run the audio engine's threads and the device callback (label threads) under
# ThreadSanitizer; only the suites that hold them are built. The suppressions name third-party
# frames only.
test-tsan: deps
	@cmake -S . -B $(TSAN_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTONVEXA_TSAN=ON \
	    -DTONVEXA_BENCH=OFF $(LAUNCHER) >/dev/null
	@cmake --build $(TSAN_BUILD) -j$(JOBS) --target tests_audio tests_ui tests_waveview tests_dialogs \
	    tests_shell
	cd $(TSAN_BUILD) && TSAN_OPTIONS="suppressions=$(CURDIR)/tests/tsan.supp halt_on_error=1 \
	    second_deadlock_stack=1" ctest --output-on-failure -L threads

# Short libFuzzer runs (needs clang), 20 s each: the header walk, the whole load of a wave
# file with the drawing's batched reads, the reader of the note files, and the texts of the
# spectrum on show with the note naming. Optimised, so the short runs try more inputs. The wave
# targets start from seed files of every shape the reader accepts (tests/fuzz/make_wave_seeds.py)
# with a dictionary of the header's tokens.
fuzz: deps
	@$(MAKE) --no-print-directory fuzz-run FUZZ_SECONDS=20

# The same targets for 10 minutes each, to reach deeper.
fuzz-long: deps
	@$(MAKE) --no-print-directory fuzz-run FUZZ_SECONDS=600

FUZZ_SECONDS ?= 20
FUZZ_RUN = -max_total_time=$(FUZZ_SECONDS) -print_final_stats=1
fuzz-run:
	@CXX=clang++ CC=clang cmake -S . -B $(FUZZ_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	    -DTONVEXA_FUZZ=ON -DTONVEXA_BENCH=OFF $(LAUNCHER) >/dev/null
	@cmake --build $(FUZZ_BUILD) -j$(JOBS) --target fuzz_wave_reader fuzz_wave_load fuzz_midi_file \
	    fuzz_spectrum_table
	@rm -rf $(FUZZ_BUILD)/corpus $(FUZZ_BUILD)/corpus-load $(FUZZ_BUILD)/corpus-midi \
	    $(FUZZ_BUILD)/corpus-spectrum
	@cp -r tests/fuzz/corpus $(FUZZ_BUILD)/corpus
	@python3 tests/fuzz/make_wave_seeds.py $(FUZZ_BUILD)/corpus
	@cp -r $(FUZZ_BUILD)/corpus $(FUZZ_BUILD)/corpus-load
	@mkdir -p $(FUZZ_BUILD)/corpus-midi $(FUZZ_BUILD)/corpus-spectrum
	@cp assets/*.mid $(FUZZ_BUILD)/corpus-midi/
	$(FUZZ_BUILD)/tests/fuzz/fuzz_wave_reader $(FUZZ_RUN) -max_len=4096 -dict=tests/fuzz/wave.dict \
	    $(FUZZ_BUILD)/corpus
	$(FUZZ_BUILD)/tests/fuzz/fuzz_wave_load $(FUZZ_RUN) -max_len=4096 -dict=tests/fuzz/wave.dict \
	    $(FUZZ_BUILD)/corpus-load
	$(FUZZ_BUILD)/tests/fuzz/fuzz_midi_file $(FUZZ_RUN) -max_len=2048 $(FUZZ_BUILD)/corpus-midi
	$(FUZZ_BUILD)/tests/fuzz/fuzz_spectrum_table $(FUZZ_RUN) -max_len=4096 \
	    $(FUZZ_BUILD)/corpus-spectrum

test: test-release test-sanitize test-tsan fuzz

bench: build-test
	$(BUILD)/bench/tonvexa_bench --benchmark_format=json --benchmark_out=$(BUILD)/bench.json \
	    --benchmark_out_format=json

# The Debian package of the install tree, then lintian over it (errors fail).
package: deps-package build
	@cmake --build $(BUILD) --target package
	lintian --fail-on error --display-level '>=warning' $(BUILD)/tonvexa_*.deb

format:
	@git ls-files '*.cpp' '*.h' | xargs clang-format-15 -i

clean:
	rm -rf $(BUILD) $(SAN_BUILD) $(TSAN_BUILD) $(FUZZ_BUILD)
