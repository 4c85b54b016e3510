#!/usr/bin/env bash
# Seeds the fuzz corpus directory $1 with the example instances, each as the
# fuzz target reads it: semana.txt (empty without one), capacidade.txt,
# demanda.txt, horario.txt, peso.par and regras.txt (empty without one)
# joined by NUL bytes.
set -eu
corpus=$1
mkdir -p "$corpus"
cd "$(dirname "$0")/.."
for example in examples/*/; do
    name=$(basename "$example")
    { if [ -f "$example/semana.txt" ]; then cat "$example/semana.txt"; fi; printf '\0'
      cat "$example/capacidade.txt"; printf '\0'; cat "$example/demanda.txt"; printf '\0'
      cat "$example/horario.txt"; printf '\0'; cat "$example/peso.par"; printf '\0'
      if [ -f "$example/regras.txt" ]; then cat "$example/regras.txt"; fi; } >"$corpus/seed-$name"
done
