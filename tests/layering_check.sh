#!/usr/bin/env bash
# The folders stand on one another: app/ on report/ on search/ on model/ on
# io/. A file may include from its own floor or any floor below, never above.
#
#   layering_check.sh SOURCE_DIR
set -u
cd "$1" || exit 2
floor() {
    case $1 in
    io) echo 0 ;; model) echo 1 ;; search) echo 2 ;; report) echo 3 ;; app) echo 4 ;; *) echo -1 ;;
    esac
}
failed=0
for folder in io model search report app; do
    own=$(floor "$folder")
    for file in $(find "$folder" -name '*.cpp' -o -name '*.hpp'); do
        while read -r used; do
            if [ "$(floor "$used")" -gt "$own" ]; then
                echo "FAIL: $file includes from $used/, a floor above $folder/"
                failed=1
            fi
        done < <(sed -n 's|^#include "\([a-z]*\)/.*|\1|p' "$file")
    done
done
[ $failed -eq 0 ] && echo "every include runs down"
exit $failed
