#!/usr/bin/env bash
# Made the checked-in MP3 and Opus inputs of the audio tests once, from the tests' own tone
# (440 Hz, 0.3 s, 10 ms raised-cosine fades, left at 0.8 and right at 0.2 of full scale), with
# Debian's lame and opusenc, and the sound fuzzer's small seeds of other encodings with sox. The
# tests do not run it.
set -euo pipefail
cd "$(dirname "$0")"
tone() { # tone RATE FILE
    python3 - "$1" "$2" <<'PY'
import math, struct, sys, wave
rate, name = int(sys.argv[1]), sys.argv[2]
frames = round(0.3 * rate)
def envelope(t):
    edge = min(t, 0.3 - t)
    return 1.0 if edge >= 0.01 else 0.5 - 0.5 * math.cos(math.pi * max(edge, 0) / 0.01)
with wave.open(name, "wb") as out:
    out.setnchannels(2); out.setsampwidth(2); out.setframerate(rate)
    data = bytearray()
    for n in range(frames):
        s = math.sin(2 * math.pi * 440 * n / rate) * envelope(n / rate)
        data += struct.pack("<hh", round(0.8 * s * 32767), round(0.2 * s * 32767))
    out.writeframes(bytes(data))
PY
}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
tone 44100 "$work/tone44100.wav"
tone 48000 "$work/tone48000.wav"
lame --quiet -b 128 "$work/tone44100.wav" tone-44100-stereo.mp3
opusenc --quiet --bitrate 96 "$work/tone48000.wav" tone-48000-stereo.opus
s="synth 0.02 sine 440"
sox -q -n -r 8000 -c 1 -b 16 seed-mono.flac $s
sox -q -n -r 11025 -c 2 seed-stereo.ogg $s
sox -q -n -r 8000 -c 1 -b 16 seed-mono.aiff $s
sox -q -n -r 8000 -c 1 -e mu-law seed-ulaw.au $s
sox -q -n -r 8000 -c 1 -e ima-adpcm seed-ima-adpcm.wav $s
sox -q -n -r 48000 -c 2 -e floating-point -b 32 seed-float-48000.wav synth 0.005 sine 440
sox -q -n -r 8000 -c 6 -b 24 seed-six-channels.wav $s
