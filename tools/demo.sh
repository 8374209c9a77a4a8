#!/usr/bin/env bash
# The quor tool on a real job: makes an input file of its own, then streams it
# whole, from a base offset, through a data window, and looped over the window,
# checking each result against what the bytes must be.
set -euo pipefail
quor=$1
work=$(mktemp -d /tmp/quor-demo.XXXXXX)
trap 'rm -rf "$work"' EXIT
input=$work/alphabet.txt
for i in $(seq 1 200); do printf 'line %03d: the quick brown fox jumps over the lazy dog\n' "$i"; done > "$input"
size=$(stat -c %s "$input")
echo "input: $input ($size bytes)"

echo "== quor cat FILE | sha256sum (the whole file)"
"$quor" cat "$input" | cmp - "$input"
"$quor" cat "$input" | sha256sum

echo "== quor cat FILE --offset 5120 | sed -n '1,3p' (from a base offset)"
"$quor" cat "$input" --offset 5120 | sed -n '1,3p'
tail -c +5121 "$input" | cmp - <("$quor" cat "$input" --offset 5120)

echo "== quor cat FILE --offset 54 --window 0 54 (line 2, through a window)"
"$quor" cat "$input" --offset 54 --window 0 54

echo "== quor cat FILE --window 10 19 --loop 45; echo (a window of 9 bytes, looped)"
"$quor" cat "$input" --window 10 19 --loop 45; echo
[ "$("$quor" cat "$input" --window 10 19 --loop 45)" = "$(printf '%.0sthe quick' 1 2 3 4 5)" ]

echo "== quor lines (CR LF, LF, CR and blank lines read alike)"
printf 'first line\r\nsecond line\n\nthird line\rfourth line' > "$work/mixed.txt"
"$quor" lines "$work/mixed.txt"
[ "$("$quor" lines "$work/mixed.txt" | wc -l)" -eq 4 ]
echo "== quor lines --max 20 (long lines in pieces of 20)"
"$quor" lines "$input" --max 20 | sed -n '1,4p'

echo "== quor tone, then quor riff on the file it wrote"
"$quor" tone "$work/tone.wav" --seconds 0.25 --rate 8000 --freq 440
"$quor" riff "$work/tone.wav"
"$quor" riff --json "$work/tone.wav"
echo "== quor riff --extract 'fmt ' (PCM, mono, 8000 Hz, 16 bits)"
"$quor" riff --extract "fmt " "$work/tone.wav" | od -An -tx1
[ "$("$quor" riff --extract data "$work/tone.wav" | wc -c)" -eq 4000 ]
echo "== quor riff on a file that is cut short: the walk so far, then a clear error"
head -c 30 "$work/tone.wav" > "$work/cut.wav"
if "$quor" riff "$work/cut.wav"; then exit 1; fi

echo "== quor cat on a missing file fails cleanly"
if "$quor" cat "$work/missing.bin" 2>&1; then exit 1; fi
echo "demo ok"
