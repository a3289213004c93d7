# Makes every failure of a script say what went wrong. Sourced first by scripts/test and
# scripts/demo, which run with `set -Eeuo pipefail`: a command that fails unexpectedly is named
# with its file and line; a known step that fails calls `die` with its own explanation.

halvora_script="$(basename "$0")"

halvora_on_error() {  # status file line command
    echo "$halvora_script: FAILED (status $1) at $2:$3: $4" >&2
}
trap 'halvora_on_error $? "${BASH_SOURCE[0]}" "$LINENO" "$BASH_COMMAND"' ERR

# die message...: says what failed and stops, without the trap's second report.
die() {
    trap - ERR
    echo "$halvora_script: $*" >&2
    exit 1
}

# run_step "what" command...: runs a step whose output is kept in a log and shown only when it
# fails, with the message "what failed".
run_step() {
    local what="$1" log status=0
    shift
    log="$(mktemp "${TMPDIR:-/tmp}/halvora-step.XXXXXX")"
    "$@" >"$log" 2>&1 || status=$?
    if [ "$status" -ne 0 ]; then
        tail -n 40 "$log" >&2
        rm -f "$log"
        die "$what failed (status $status): $*"
    fi
    rm -f "$log"
}
