#!/usr/bin/env bash
# Ardour 7's headless Lua session tool with the bundle from the build tree, on a JACK server of
# its own (dummy backend): a session with a MIDI track playing Karvelund is made and saved with
# a changed parameter; notes from a JACK sequencer are recorded into the armed track (and a
# phrase written into the take); the session is loaded again, the parameter must have survived
# in the control and in the plug-in's saved state, and the export to WAV must sound.
#
#   ardour_check.sh LV2_DIR
set -euo pipefail
lv2_dir=$(realpath "$1")
source "$(dirname "$0")/jack_session.sh"

# Ardour's user configuration lives in the work folder: the user's own stays untouched.
export XDG_CONFIG_HOME=$work/config LV2_PATH=$lv2_dir
start_jack_server karvelund-ardour 1024

session=$work/session
client=karvelund-ardour
wav_preset=$(grep -o 'id="[^"]*"' /usr/share/ardour7/export/wav.preset | head -1 | cut -d'"' -f2)
cutoff_port=19

# Runs a Lua script with the JACK backend; Ardour sometimes misses a freshly started server,
# so it is tried again. Prints the script's output.
ardour_lua() {
    local script=$1 log=$2
    for _ in 1 2 3; do
        timeout 120 ardour7-lua "$script" >"$log" 2>&1 || true
        grep -q 'no JACK backend\|cannot start' "$log" || break
        sleep 1
    done
}
start_engine='assert(AudioEngine:set_backend("JACK", "'$client'", ""), "no JACK backend")'

cat >"$work/make.lua" <<LUA
$start_engine
assert(create_session("$session", "karvelund", 48000), "cannot create the session")
local info = ARDOUR.LuaAPI.new_plugin_info("https://zerlinda.audio/plugins/karvelund", ARDOUR.PluginType.LV2)
assert(not info:isnil(), "Karvelund not found")
local tracks = Session:new_midi_track(ARDOUR.ChanCount(ARDOUR.DataType("midi"), 1),
    ARDOUR.ChanCount(ARDOUR.DataType("audio"), 2), true, info, nil, nil, 1, "Synth",
    ARDOUR.PresentationInfo.max_order, ARDOUR.TrackMode.Normal, true, false)
local insert = tracks:front():nth_plugin(0):to_insert()
ARDOUR.LuaAPI.set_plugin_insert_param(insert, $cutoff_port, 0.55)
Session:save_state("", false, false, false, false, false)
print("made")
close_session()
LUA
ardour_lua "$work/make.lua" "$work/make.log"
grep -q '^made' "$work/make.log" || { cat "$work/make.log"; exit 1; }

cat >"$work/record.lua" <<LUA
$start_engine
assert(load_session("$session", "karvelund"), "cannot load the session")
local track = Session:route_by_name("Synth"):to_track()
track:rec_enable_control():set_value(1, PBD.GroupControlDisposition.NoGroup)
Session:maybe_enable_record(false)
print("armed")
io.stdout:flush()
ARDOUR.LuaAPI.usleep(1500000)
Session:request_roll(ARDOUR.TransportRequestSource.TRS_UI)
ARDOUR.LuaAPI.usleep(4000000)
Session:request_stop(false, false, ARDOUR.TransportRequestSource.TRS_UI)
ARDOUR.LuaAPI.usleep(1000000)
track:rec_enable_control():set_value(0, PBD.GroupControlDisposition.NoGroup)
Session:disable_record(false, false)
print("regions", track:playlist():region_list():size())
-- A phrase written into the take as well, so the export does not depend on what arrived live.
local region = nil
for r in track:playlist():region_list():iter() do region = r:to_midiregion() end
region:set_position(Temporal.timepos_t(0))
region:set_length(Temporal.timecnt_t(48000 * 4))
local model = region:midi_source(0):model()
local phrase = model:new_note_diff_command("Karvelund check")
for i = 0, 6 do
    phrase:add(ARDOUR.LuaAPI.new_noteptr(1, Temporal.Beats(i, 0), Temporal.Beats(0, 1600), 60 + i, 100))
end
model:apply_command(Session, phrase)
Session:save_state("", false, false, false, false, false)
print("recorded")
io.stdout:flush()
close_session()
LUA
# One take: Ardour records what the sequencer plays, then exports. A take that lost the JACK
# server is tried again.
record_take() {
    timeout 120 ardour7-lua "$work/record.lua" >"$work/record.log" 2>&1 &
    local ardour=$!
    for _ in $(seq 200); do
        grep -q '^armed' "$work/record.log" 2>/dev/null && break
        sleep 0.1
    done
    jack_midiseq seq 24000 0 60 12000 0 64 12000 >/dev/null 2>&1 &
    local sequencer=$!
    # Ardour may register under a numbered name while its previous run is still going away.
    local input="" connected=""
    for _ in $(seq 100); do
        input=$(jack_lsp 2>/dev/null | grep 'Synth/midi_in' | head -1 || true)
        if [ -n "$input" ] && jack_lsp 2>/dev/null | grep -qx 'seq:out' &&
            jack_connect seq:out "$input" 2>/dev/null; then
            connected=yes
            break
        fi
        sleep 0.1
    done
    wait "$ardour" || true
    kill "$sequencer" 2>/dev/null || true
    wait "$sequencer" 2>/dev/null || true
    [ -n "$connected" ] && grep -q '^recorded' "$work/record.log"
}
for attempt in 1 2 3; do
    record_take && break
    echo "ardour: take $attempt failed, again" >&2
    sleep 1
done
grep -q '^regions 1' "$work/record.log" || { cat "$work/record.log"; exit 1; }

cat >"$work/reload.lua" <<LUA
$start_engine
assert(load_session("$session", "karvelund"), "cannot load the session")
local insert = Session:route_by_name("Synth"):nth_plugin(0):to_insert()
print("cutoff", ARDOUR.LuaAPI.get_plugin_insert_param(insert, $cutoff_port, false))
-- Exported from the reloaded session: what was written to the take is on disk by now.
local export = Session:simple_export()
export:set_name("karvelund")
export:set_folder("$work")
export:set_range(0, 48000 * 4)
export:set_preset("$wav_preset")
print("exported", export:check_outputs() and export:run_export())
io.stdout:flush()
close_session()
LUA
ardour_lua "$work/reload.lua" "$work/reload.log"
grep -q '^cutoff 0.55' "$work/reload.log" || { cat "$work/reload.log"; exit 1; }
# The plug-in keeps its own saved state in the session.
grep -rq 'karvelund#params' "$session/plugins" || { echo "no saved plug-in state"; exit 1; }
grep -q '^exported true' "$work/reload.log" || { cat "$work/reload.log"; exit 1; }
python3 - "$work/karvelund.wav" <<'PY'
import struct, sys, wave
w = wave.open(sys.argv[1])
assert w.getsampwidth() == 2, "expected 16-bit samples"
frames = w.readframes(w.getnframes())
samples = struct.unpack("<%dh" % (len(frames) // 2), frames)
peak = max(abs(s) for s in samples)
print("ardour: exported %d frames, peak %d" % (w.getnframes(), peak))
assert peak > 50, "the export is silent"
PY
echo "ardour: the changed parameter survived the reload"
