# Sourced by the shell tests: checks counted as they pass or fail, and the
# tally that ends the test. A test may define on_failure to say more.
passes=0
failures=0
failed() {  # failed WHAT
    echo "FAILED: $1"
    command -v on_failure >/dev/null 2>&1 && on_failure
    failures=$((failures + 1))
}
check() {  # check NAME CONDITION...
    name="$1"
    shift
    if "$@"; then passes=$((passes + 1)); else failed "$name"; fi
}
# A missing tool fails the test at once: nothing it would check was checked.
need_tools() {  # need_tools TOOL...
    for tool; do
        command -v "$tool" >/dev/null 2>&1 || { echo "FAILED: no $tool (tools/setup/install-deps.sh installs it)"; exit 1; }
    done
}
tally() {  # the last command of a test: its status
    if [ $passes -gt 0 ]; then
        echo "$passes passed, $failures failed"
    elif [ $failures = 0 ]; then
        echo "all passed"
    else
        echo "$failures failed"
    fi
    [ $failures = 0 ]
}
