#!/usr/bin/env bash
# The mutation run: plants each fault of a list, one at a time, into a copy of the tree,
# rebuilds it incrementally and runs the native suite (the soak aside). Prints each fault as
# caught (with the test that failed) or missed, then the rate. Long (on two cores a few seconds a
# fault the unit cases catch, one to three minutes one that only the programs on a display
# catch; the whole list two and a half hours): not part of the test command.
#
# Usage: scripts/mutation.sh [FAULT_LIST]     (default: every list in scripts/mutations/)
#
# A list holds blocks like this one, separated by blank lines; lines starting with # are notes:
#   @ model/phasor.cpp: why a user would call this a bug
#   - exact text, found exactly once in the file
#   + the text that replaces it (may be empty)
set -euo pipefail
cd "$(dirname "$0")/.."
work=$PWD/build-mutation
mkdir -p "$work"
if [[ $# -ge 1 ]]; then
    list=$(realpath "$1")
else
    list=$work/mutations.txt
    for each in scripts/mutations/*.txt; do cat "$each"; echo; done >"$list"
fi
tree=$work/tree
build=$work/build

scripts/install-deps.sh

# The tree as it stands, tracked files only: committed or not, what is here is what is tested.
# Only files whose content differs are copied, so a second run rebuilds only what changed. The
# files the list plants into are compiled afresh: an earlier run may have left a fault's objects.
git ls-files -z | while IFS= read -r -d '' file; do
    if ! cmp -s "$file" "$tree/$file"; then
        mkdir -p "$(dirname "$tree/$file")"
        cp "$file" "$tree/$file"
    fi
done
grep '^@ ' "$list" | sed 's/^@ \([^:]*\):.*/\1/' | sort -u | while read -r path; do
    touch "$tree/$path"
done

cmake -S "$tree" -B "$build" -G Ninja > "$work/configure.log"

build_tree() { cmake --build "$build" -j "$(nproc)" -- -k 0 > "$work/build.log" 2>&1; }
# A build can also fail where it runs the program (it renders the icon): such a fault compiled,
# and the suite judges it with everything else built.
compiled() { ! grep -qE ': (fatal )?error:|undefined reference|ld returned' "$work/build.log"; }
# The unit cases first (GoogleTest names hold a dot), then the programs on a virtual display:
# a caught fault usually stops in the first, quick half. A test must fail twice to count, so a
# display that is slow once under load is not taken for a caught fault.
run_suite() {
    local half
    for half in -R -E; do
        xvfb-run --auto-servernum --server-args="-screen 0 1280x1024x24 -noreset" \
            ctest --test-dir "$build" -LE soak "$half" '\.' -j "$(nproc)" --stop-on-failure \
            --output-on-failure --repeat until-pass:2 --timeout 60 \
            > "$work/suite.log" 2>&1 || return 1
    done
}

if ! build_tree || ! run_suite; then
    echo "The unmutated tree does not build or pass its suite: see $work/*.log" >&2
    exit 1
fi

# Replaces the one occurrence of $2 in file $1 with $3; fails when it is not exactly one.
plant() {
    local file=$1 original=$2 replacement=$3 content stripped
    content=$(< "$file")
    stripped=${content//"$original"/}
    if (( ${#content} - ${#stripped} != ${#original} )); then
        return 1
    fi
    printf '%s\n' "${content/"$original"/"$replacement"}" > "$file"
}

caught=0
missed=0
broken=0
# One fault: "$where" (path: why), "$original", "$replacement".
try_fault() {
    local path=${where%%:*}
    local why=${where#*: }
    local verdict by="" started=$SECONDS
    cp "$tree/$path" "$work/pristine"
    if ! plant "$tree/$path" "$original" "$replacement"; then
        verdict="BROKEN (text not found exactly once)"
        broken=$((broken + 1))
    elif ! build_tree && ! compiled; then
        verdict="BROKEN (does not compile)"
        broken=$((broken + 1))
    elif run_suite; then
        verdict="missed"
        missed=$((missed + 1))
    else
        # The test that failed, so that a list of faults can name the test guarding each.
        verdict="caught"
        caught=$((caught + 1))
        by=$(grep -m1 -oE '^\[  FAILED  \] [^ ,]+' "$work/suite.log" | cut -c14- ||
            grep -m1 -oE 'Test +#[0-9]+: [^ ]+ \.*\*+[A-Z]' "$work/suite.log" |
            sed -E 's/^Test +#[0-9]+: ([^ ]+) .*/\1/' || true)
    fi
    # Put back with a new time stamp, so the next build recompiles the original.
    cp "$work/pristine" "$tree/$path"
    printf '%-8s %4ds %s: %s%s\n' "$verdict" $((SECONDS - started)) "$path" "$why" \
        "${by:+ (by $by)}"
}

where=""
original=""
replacement=""
have_original=false
while IFS= read -r line || [[ -n "$line" ]]; do
    case "$line" in
    "@ "*) where=${line#@ } ;;
    "- "*) original=${line#- }; have_original=true ;;
    "+"*)
        replacement=${line#+}
        replacement=${replacement# }
        if [[ -z "$where" || $have_original == false ]]; then
            echo "Malformed fault before: $line" >&2
            exit 2
        fi
        try_fault
        where=""
        have_original=false
        ;;
    "" | "#"*) ;;
    *) echo "Unrecognised line in $list: $line" >&2; exit 2 ;;
    esac
done < "$list"

total=$((caught + missed))
echo "caught $caught of $total ($((total ? 100 * caught / total : 0))%), broken entries: $broken"
[[ $broken -eq 0 ]]
