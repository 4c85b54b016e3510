# The project's interface: make, make run, make test, make bench.
BUILD      := build
SAN_BUILD  := build-sanitize
BENCH_BUILD:= build-bench
FUZZ_BUILD := build-fuzz
EXAMPLE    ?= examples/small
JOBS       ?= $(shell nproc 2>/dev/null || echo 2)

.PHONY: all run test bench fuzz clean

all:
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release
	cmake --build $(BUILD) -j $(JOBS)

# Runs the program on a fresh copy of the example instance in build/scratch.
run: all
	rm -rf $(BUILD)/scratch && mkdir -p $(BUILD)/scratch
	cp $(EXAMPLE)/* $(BUILD)/scratch/
	cd $(BUILD)/scratch && ../alocacao
	@echo "(arquivos gerados em $(BUILD)/scratch)"

test: all
	ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)
	cmake -S . -B $(SAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DALOCACAO_SANITIZE=ON
	cmake --build $(SAN_BUILD) -j $(JOBS)
	ctest --test-dir $(SAN_BUILD) --output-on-failure -j $(JOBS)

bench:
	cmake -S . -B $(BENCH_BUILD) -DCMAKE_BUILD_TYPE=Release -DALOCACAO_BENCH=ON -DALOCACAO_TESTS=OFF
	cmake --build $(BENCH_BUILD) -j $(JOBS)
	cd $(BENCH_BUILD) && ./bench/alocacao_bench

clean:
	rm -rf $(BUILD) $(SAN_BUILD) $(BENCH_BUILD) $(FUZZ_BUILD)
