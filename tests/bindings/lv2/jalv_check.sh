#!/usr/bin/env bash
# jalv, the console LV2 host, plays the bundle from the build tree under a JACK server of its
# own (dummy backend, no sound card): a MIDI sequence in, both outputs recorded and checked;
# then a saved state is loaded with -l and its controls are what jalv reports.
#
#   jalv_check.sh LV2_DIR MAKE_LV2_STATE
set -euo pipefail
lv2_dir=$(realpath "$1") # hosts want absolute paths in LV2_PATH
make_state=$2
uri=https://zerlinda.audio/plugins/karvelund
source "$(dirname "$0")/jack_session.sh"

export LV2_PATH=$lv2_dir
start_jack_server karvelund-lv2 512

wait_for_port() {
    for _ in $(seq 100); do
        jack_lsp 2>/dev/null | grep -qx "$1" && return 0
        sleep 0.1
    done
    echo "no JACK port $1" >&2
    return 1
}

# Playing: a note every half second into the instrument, two seconds recorded.
jalv -i -n karv "$uri" >"$work/jalv.log" 2>&1 &
pids+=($!)
wait_for_port karv:events
jack_midiseq seq 24000 0 60 12000 >/dev/null 2>&1 &
pids+=($!)
wait_for_port seq:out
jack_connect seq:out karv:events
timeout 20 jack_rec -f "$work/out.wav" -d 2 karv:out_left karv:out_right >/dev/null 2>&1
python3 - "$work/out.wav" <<'PY'
import struct, sys, wave
w = wave.open(sys.argv[1])
frames = w.readframes(w.getnframes())
samples = struct.unpack("<%dh" % (len(frames) // 2), frames)
left, right = samples[0::2], samples[1::2]
peak = max(abs(s) for s in left)
print("jalv: %d frames, peak %d" % (len(left), peak))
assert len(left) >= 48000, "recording too short"
assert peak > 1000, "the instrument was silent"
assert left == right, "left and right differ"
PY

# A saved state (factory preset 5 with the cutoff moved) loaded at start.
"$make_state" "$work/state" 4 cutoff=0.25 resonance=0.5
timeout 10 jalv -l "$work/state" -n karvstate -p "$uri" </dev/null >"$work/state.log" 2>&1 || true
grep -qx 'cutoff = 0.250000' "$work/state.log" || { cat "$work/state.log"; exit 1; }
grep -qx 'resonance = 0.500000' "$work/state.log" || { cat "$work/state.log"; exit 1; }
echo "jalv: state restored"
