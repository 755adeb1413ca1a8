# Set-up commands: `make demo` and `make test` (run as root on Debian; they
# install what is missing).
BUILD ?= build
JOBS ?= $(shell nproc)

.PHONY: all deps native asan fuzz windows dist test test-native test-asan test-windows test-e2e demo clean

all: native

deps:
	@tools/ensure-deps.sh native

native: deps
	cmake -S . -B $(BUILD)/native -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
	cmake --build $(BUILD)/native -j $(JOBS)

asan: deps
	cmake -S . -B $(BUILD)/asan -DCMAKE_BUILD_TYPE=Debug -DZTP_SANITIZE=ON >/dev/null
	cmake --build $(BUILD)/asan -j $(JOBS)

# The readers' libFuzzer harnesses (clang, ASan and UBSan), run for
# FUZZ_MINUTES in all, then their corpora under valgrind (tools/fuzz.sh).
FUZZ_MINUTES ?= 20
fuzz: native
	@tools/ensure-deps.sh fuzz
	CXX=clang++ CC=clang cmake -S . -B $(BUILD)/fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZTP_SANITIZE=ON -DZTP_FUZZ=ON >/dev/null
	cmake --build $(BUILD)/fuzz -j $(JOBS) --target fuzz_cue fuzz_toc fuzz_playlist fuzz_audio
	tools/fuzz.sh $(BUILD) $(FUZZ_MINUTES)

# The Windows programs, cross-compiled with MinGW-w64.
windows:
	@tools/ensure-deps.sh windows
	cmake -S . -B $(BUILD)/windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake -DCMAKE_BUILD_TYPE=Release >/dev/null
	cmake --build $(BUILD)/windows -j $(JOBS)

test-native: native
	cd $(BUILD)/native && ctest --output-on-failure -j $(JOBS)

test-asan: asan
	cd $(BUILD)/asan && ctest --output-on-failure -j $(JOBS)

# The package: dist/ZTP (ztp.exe, ztp.txt, setup.exe) and dist/ZTP.zip.
dist: windows
	rm -rf dist && mkdir -p dist
	cp -r $(BUILD)/windows/package/ZTP dist/ZTP
	cd dist && python3 -m zipfile -c ZTP.zip ZTP
	@echo "dist/ZTP and dist/ZTP.zip"

# The unit tests and the differential test as Windows programs, under Wine.
test-windows: windows
	tests/windows/run.sh $(BUILD)/windows

# ztp.exe and setup.exe under Wine on a private Xvfb display and Wine prefix.
test-e2e: windows
	tests/e2e/run.sh $(BUILD)/windows
	tests/e2e/run-setup.sh $(BUILD)/windows

test: test-native test-asan test-windows test-e2e

demo: native
	@tools/demo.sh $(BUILD)/native/cli/ztp-plan
	@if [ -n "$${DISPLAY:-}" ]; then \
	  $(MAKE) --no-print-directory windows && tools/wine-demo.sh $(BUILD)/windows samples/albums.disc; \
	else echo "(no DISPLAY: ztp.exe is not opened)"; fi

clean:
	rm -rf $(BUILD)
