# The project's interface: make, make run, make test, make bench.
BUILD      := build
SAN_BUILD  := build-sanitize
BENCH_BUILD:= build-bench
FUZZ_BUILD := build-fuzz
EXAMPLE    ?= examples/department
JOBS       ?= $(shell nproc 2>/dev/null || echo 2)

.DEFAULT_GOAL := all
.PHONY: all deps test-deps dev-deps run test bench fuzz mutation screenshot clean

# Each step first installs the Debian packages it needs when they are missing
# (tools/install-deps.sh says which, and asks for sudo only when not root).
deps:
	tools/install-deps.sh build
test-deps:
	tools/install-deps.sh test
dev-deps:
	tools/install-deps.sh dev

all: deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release
	cmake --build $(BUILD) -j $(JOBS)

# Runs the program on a fresh copy of the example instance in build/scratch,
# then the optimum and the weekly room board of what the session left there;
# an example of spreadsheets (examples/importar) is imported first.
run: all
	rm -rf $(BUILD)/scratch && mkdir -p $(BUILD)/scratch
	cp $(EXAMPLE)/* $(BUILD)/scratch/
	@# A registrar's spreadsheet (turmas.csv) is imported first; 3: some lines left out, said in importacao.txt.
	if [ -f $(BUILD)/scratch/turmas.csv ]; then cd $(BUILD)/scratch && \
	  ../alocacao-importar turmas.csv $$(test -f salas.csv && echo salas.csv) \
	    $$(test -f turnos.txt && echo --turnos turnos.txt) || [ $$? -eq 3 ]; fi
	cd $(BUILD)/scratch && ../alocacao
	-cd $(BUILD)/scratch && ../alocacao-otimo </dev/null
	-cd $(BUILD)/scratch && ../alocacao-quadro </dev/null
	@echo "(arquivos gerados em $(BUILD)/scratch; o quadro de salas: $(BUILD)/scratch/quadro.html)"

test: test-deps all
	ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)
	cmake -S . -B $(SAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DALOCACAO_SANITIZE=ON
	cmake --build $(SAN_BUILD) -j $(JOBS)
	ctest --test-dir $(SAN_BUILD) --output-on-failure -j $(JOBS)

bench: dev-deps
	cmake -S . -B $(BENCH_BUILD) -DCMAKE_BUILD_TYPE=Release -DALOCACAO_BENCH=ON -DALOCACAO_TESTS=OFF
	cmake --build $(BENCH_BUILD) -j $(JOBS)
	$(BENCH_BUILD)/bench/alocacao_bench
	tools/instructions_per_move.sh $(BENCH_BUILD)/alocacao
	tools/instructions_per_move.sh $(BENCH_BUILD)/alocacao examples/department-regras
	tools/rules_at_scale.sh $(BENCH_BUILD)
	tools/optimum_timings.sh $(BENCH_BUILD)
	tools/import_timing.sh $(BENCH_BUILD)

# Fuzzes the input readers for FUZZ_SECONDS, the corpus seeded from the examples.
FUZZ_SECONDS ?= 60
fuzz: dev-deps
	CXX=clang++ cmake -S . -B $(FUZZ_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DALOCACAO_FUZZ=ON -DALOCACAO_TESTS=OFF
	cmake --build $(FUZZ_BUILD) -j $(JOBS)
	tools/seed_fuzz_corpus.sh fuzz-corpus
	$(FUZZ_BUILD)/tests/fuzz/record_readers_fuzz -max_total_time=$(FUZZ_SECONDS) -artifact_prefix=$(FUZZ_BUILD)/ fuzz-corpus

# Seeds MUTANTS generic single-site faults into a copy of the sources, runs the
# tests on each and prints the survivors and the score; with SINCE=COMMIT,
# only into the lines changed since that commit; with ONLY=FOLDER, only into
# the files under it.
MUTANTS ?= 40
MUTATION_SEED ?= 1
mutation:
	tools/mutate.py --mutants $(MUTANTS) --seed $(MUTATION_SEED) --work build-mutation --jobs $(JOBS) \
		$(if $(SINCE),--since $(SINCE)) $(if $(ONLY),--only $(ONLY))

# The picture of the board page in the README, from the department example.
screenshot: all
	tools/board_screenshot.sh $(BUILD) examples/department docs/quadro.png

clean:
	rm -rf $(BUILD) $(SAN_BUILD) $(BENCH_BUILD) $(FUZZ_BUILD) build-mutation
