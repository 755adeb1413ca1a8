# Set-up commands: `make demo` and `make test` (run as root on Debian; they
# install what is missing).
BUILD ?= build
JOBS ?= $(shell nproc)

.PHONY: all deps native asan test test-native test-asan demo clean

all: native

deps:
	@tools/ensure-deps.sh native

native: deps
	cmake -S . -B $(BUILD)/native -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
	cmake --build $(BUILD)/native -j $(JOBS)

asan: deps
	cmake -S . -B $(BUILD)/asan -DCMAKE_BUILD_TYPE=Debug -DZTP_SANITIZE=ON >/dev/null
	cmake --build $(BUILD)/asan -j $(JOBS)

test-native: native
	cd $(BUILD)/native && ctest --output-on-failure -j $(JOBS)

test-asan: asan
	cd $(BUILD)/asan && ctest --output-on-failure -j $(JOBS)

test: test-native test-asan

demo: native
	@tools/demo.sh $(BUILD)/native/cli/ztp-plan

clean:
	rm -rf $(BUILD)
