#!/bin/bash
# Fails when a product binary computes a transcendental function with the x87 unit or
# calls the C library's long double one: the last bits of both differ between CPU
# makers, and the math unit gives the same bits on every machine.
# Usage: check_no_x87_transcendentals.sh FILE|FOLDER...  (of a folder, its shared libraries)
set -u

instructions='fsin|fcos|fsincos|fptan|fpatan|fyl2x|fyl2xp1|f2xm1'
functions='sin|cos|tan|sincos|asin|acos|atan|atan2|sinh|cosh|tanh|asinh|acosh|atanh|exp|exp2|exp10|expm1|log|log10|log2|log1p|pow|hypot|cbrt'

binaries() {
    local path
    for path in "$@"; do
        if [ -d "$path" ]; then
            find "$path" -maxdepth 1 -type f -name '*.so*' | sort
        else
            echo "$path"
        fi
    done
}

# The instructions, each with the object file and function it is in.
x87_instructions() {
    objdump -d -C --no-show-raw-insn "$1" | awk -v file="$1" -v pattern="^($instructions)\$" '
        / file format / { member = $1; sub(/:$/, "", member) }
        /^[0-9a-f]+ <.*>:$/ { symbol = $0; sub(/^[0-9a-f]+ </, "", symbol); sub(/>:$/, "", symbol) }
        /^ *[0-9a-f]+:\t/ {
            split($0, fields, "\t"); split(fields[2], words, " ")
            if (words[1] ~ pattern) print file ": " member ": in " symbol ": " fields[2]
        }'
}

# Undefined references to the C library's long double functions (also __sinl_finite
# and the like), with the object file that makes them.
libc_long_double_calls() {
    { nm -A -u "$1" 2>/dev/null; nm -A -D -u "$1" 2>/dev/null; } |
        awk -v pattern="^(__)?($functions)l(_finite)?(@.*)?\$" '$NF ~ pattern { print $1 " calls " $NF }' | sort -u
}

found=0
while read -r binary; do
    if [ ! -f "$binary" ]; then
        echo "not built: $binary"
        found=1
        continue
    fi
    report=$(x87_instructions "$binary"; libc_long_double_calls "$binary")
    if [ -n "$report" ]; then
        echo "$report"
        found=1
    fi
done < <(binaries "$@")

[ "$found" -eq 0 ] && echo "no x87 transcendental instructions, no C library long double functions"
exit "$found"
