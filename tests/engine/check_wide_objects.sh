#!/bin/sh
# Each object compiled for a wider instruction set may define its kernel and nothing else:
# an inline function or template instance it defined could be picked by the linker for the
# whole program and run on processors without that instruction set.
status=0
for object in "$@"; do
    symbols=$(nm -g -C --defined-only "$object" | cut -c 20-)
    kernel=$(printf '%s\n' "$symbols" | grep -c '^VoiceBank::render')
    others=$(printf '%s\n' "$symbols" | grep -v '^VoiceBank::render')
    if [ "$kernel" -ne 1 ] || [ -n "$others" ]; then
        echo "$object defines more than its kernel:" >&2
        printf '%s\n' "$symbols" >&2
        status=1
    fi
done
exit $status
