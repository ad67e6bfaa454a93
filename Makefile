# make run   installs what is missing, builds, starts Spindlewatch on the demo machine
# make test  installs what is missing, builds, runs every test through ctest
BUILD ?= build
JOBS ?= $(shell nproc)

.PHONY: deps configure build run test clean

deps:
	./tools/setup/install-deps.sh

configure: deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo

build: configure
	cmake --build $(BUILD) -j$(JOBS)

run: build
	./tools/setup/run.sh $(BUILD)

test: build
	cd $(BUILD) && ctest --output-on-failure -j$(JOBS) --timeout 900

clean:
	rm -rf $(BUILD)
