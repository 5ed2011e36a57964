# Sourced by the real-host checks: a work folder, the processes started (stopped at exit,
# clients first, the JACK server last: a client left without its server may not stop), and a
# JACK server of our own on the dummy backend.
#
#   start_jack_server NAME PERIOD
work=$(mktemp -d)
pids=()
cleanup() {
    for ((i = ${#pids[@]} - 1; i >= 0; i--)); do
        kill "${pids[i]}" 2>/dev/null || true
        wait "${pids[i]}" 2>/dev/null || true
    done
    [ -n "${KEEP_WORK:-}" ] || rm -rf "$work"
}
trap cleanup EXIT

start_jack_server() {
    export JACK_DEFAULT_SERVER=$1-$$ JACK_NO_AUDIO_RESERVATION=1
    jackd -n "$JACK_DEFAULT_SERVER" -d dummy -r 48000 -p "$2" >"$work/jackd.log" 2>&1 &
    pids+=($!)
    for _ in $(seq 100); do
        jack_wait -c >/dev/null 2>&1 && return 0
        sleep 0.1
    done
    cat "$work/jackd.log"
    return 1
}
