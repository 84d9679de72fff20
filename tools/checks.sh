# Checks of built code, sourced by .ci/run, tools/wheel.sh and
# tools/aarch64.sh.  Each prints what it found and exits on a failure.

# The compiler's warnings in a build log; fails if there are any.
no_warnings() {
    local log=$1 found
    found=$(grep -E 'warning:' "$log" || true)
    if [ -n "$found" ]; then
        echo "ci: build warnings ($log):" >&2
        echo "$found" >&2
        exit 1
    fi
}

# The ELF machine of a built file: x86-64 or aarch64.
elf_machine() {
    case "$(readelf -h "$1" | awk -F: '/Machine:/ {print $2}')" in
        *X86-64*) echo x86-64 ;;
        *AArch64*) echo aarch64 ;;
        *) echo "ci: $1 is neither x86-64 nor aarch64 code" >&2; exit 1 ;;
    esac
}

# The objdump that reads a file's machine code (the aarch64 one is Debian's
# binutils-aarch64-linux-gnu).
objdump_for() {
    if [ "$(elf_machine "$1")" = aarch64 ]; then echo aarch64-linux-gnu-objdump; else echo objdump; fi
}

# No fused multiply-add instruction in a built library: results are defined
# with every product rounded on its own.  x86-64: the FMA3 and FMA4 forms
# (vfmadd231sd, vfnmsubps, ...); aarch64: fmadd, fmsub, fnmadd, fnmsub
# (scalar) and fmla, fmls (vector, by element too).
no_fma() {
    local lib=$1 count pattern
    if [ "$(elf_machine "$lib")" = aarch64 ]; then
        pattern='\s(fn?m(add|sub)|fml[as])\s'
    else
        pattern='\sv?f(n)?m(add|sub)(add|sub)?[0-9]*[ps][sdh]\s'
    fi
    count=$("$(objdump_for "$lib")" -d --no-show-raw-insn "$lib" | grep -cE "$pattern" || true)
    echo "ci: $count fused multiply-add instructions in $lib"
    [ "$count" -eq 0 ] || { echo "ci: $lib contains fused multiply-adds" >&2; exit 1; }
}

# The AVX-512 lane unit really is AVX-512 code (x86-64 builds only).
has_avx512() {
    local obj=$1 count
    [ -f "$obj" ] || return 0
    count=$(objdump -d "$obj" | grep -c '%zmm' || true)
    echo "ci: $count instructions on zmm registers in $obj"
    [ "$count" -gt 0 ] || { echo "ci: $obj holds no AVX-512 code" >&2; exit 1; }
}

# Each lane-target unit of a build defines nothing global but its table:
# code built for one instruction set is never shared with the rest of the
# module.  $1: the build's object folder (CMakeFiles/<target>.dir).
lane_units_private() {
    local dir=$1 o extra nm_for=nm units=0
    for o in "$dir"/src/num/lanes/target_*.o; do
        [ "$(elf_machine "$o")" = aarch64 ] && nm_for=aarch64-linux-gnu-nm
        extra=$("$nm_for" --defined-only "$o" | awk '$2 ~ /^[A-Z]$/ && $3 !~ /TARGET_/')
        if [ -n "$extra" ]; then
            echo "ci: $o defines more than its table:" >&2
            echo "$extra" >&2
            exit 1
        fi
        units=$((units + 1))
    done
    [ "$units" -gt 0 ] || { echo "ci: no lane units in $dir" >&2; exit 1; }
    echo "ci: $units lane units in $dir define nothing but their tables"
}
