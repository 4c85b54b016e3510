#!/usr/bin/env bash
# tools/install-deps.sh says what is missing and how to install it, and says
# "installing" only when it installs: run with a PATH that holds none of
# the build's commands, as a user without sudo, and as root without apt-get.
#
#   install_deps_check.sh SOURCE_DIR
set -u
script=$(realpath "$1")/tools/install-deps.sh
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
failed=0
fail() { echo "FAIL: $*"; failed=1; }
mkdir "$scratch/bin"
run_as() {  # uid, then the script's output on both streams
    printf '#!/bin/sh\necho %s\n' "$1" >"$scratch/bin/id"
    chmod +x "$scratch/bin/id"
    PATH="$scratch/bin" /bin/bash "$script" build 2>&1
    echo "status $?"
}
said=$(run_as 1000)
expected="install-deps: missing cmake g++ make pkg-config; as root, install them with: apt-get install cmake g++ make pkg-config"
case $said in *"$expected"*) ;; *) fail "a user without sudo is told: $said" ;; esac
case $said in *installing*) fail "a user without sudo is told it is installing: $said" ;; esac
case $said in *"status 1") ;; *) fail "a user without sudo: not status 1: $said" ;; esac
said=$(run_as 0)
case $said in *"and no apt-get to install them with"*"status 1") ;; *) fail "root without apt-get is told: $said" ;; esac
case $said in *installing*) fail "root without apt-get is told it is installing: $said" ;; esac
[ $failed -eq 0 ] && echo "install-deps says what is missing, and installs nothing it announces"
exit $failed
