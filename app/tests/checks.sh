# Sourced by the shell tests: a scratch folder $work, `check DESCRIPTION COMMAND...` and `finish`.
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
passed=0
failed=0
check() { # description, then a command that must succeed
    if "${@:2}"; then passed=$((passed + 1)); else failed=$((failed + 1)); echo "FAILED: $1"; fi
}
finish() { echo "$passed passed, $failed failed"; [ "$failed" -eq 0 ]; }
