#!/usr/bin/env bash
# End-to-end cases: run the built tool as a user would and check its whole
# output, its exit status and that nothing reaches standard error.
# usage: e2e.sh CASE [EMULATOR...] EXECUTABLE
set -u
case_name=$1
shift
tool=("$@")
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# A Windows build writes CR LF through its runtime's text mode.
windows=false
[[ ${tool[-1]} == *.exe ]] && windows=true
# A WASI build sees only the directories its runner opens for it.
wasi=false
[[ ${tool[-1]} == *.wasm ]] && wasi=true

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
skip() { echo "SKIP: $*"; exit 77; }

# expect STATUS EXPECTED-OUTPUT ARGS...: EXPECTED-OUTPUT uses LF line ends.
expect() {
    local status=$1 expected=$2
    shift 2
    "${tool[@]}" "$@" >"$tmp/out" 2>"$tmp/err"
    check_run $? "$status" "$expected" "$*"
}

check_run() {
    local got=$1 status=$2 expected=$3 what=$4
    printf '%s' "$expected" >"$tmp/expected"
    if $windows; then sed -i 's/$/\r/' "$tmp/expected"; fi
    [[ $got == "$status" ]] || fail "$what: status $got, not $status"
    cmp -s "$tmp/out" "$tmp/expected" || fail "$what: output $(od -c "$tmp/out" | head -5)"
    [[ ! -s $tmp/err ]] || fail "$what: wrote to standard error: $(head -c 200 "$tmp/err")"
}

zeros() { head -c "$1" /dev/zero >"$2"; }

usage_line=$'usage: vantrel start-address file-name\n'
zeros 20 "$tmp/part.bin"

case $case_name in
usage)
    expect 1 "$usage_line"
    expect 1 "$usage_line" "$tmp/part.bin"
    expect 1 "$usage_line" 100
    ;;
extra_arguments)
    expect 0 $'100 108 110 \n' 100 "$tmp/part.bin"
    expect 0 $'100 108 110 \n' 100 "$tmp/part.bin" more "$tmp/none" -x
    ;;
address_forms)
    # The forms themselves are unit-tested; here the argument must reach the
    # listing, including one without a number and a wrapping one.
    zeros 8 "$tmp/group.bin"
    for address in " 0x100" 100h FFFFF100; do
        expect 0 $'100 \n' "$address" "$tmp/group.bin"
    done
    expect 0 $'000 \n' zz "$tmp/group.bin"
    # Full-width digits, signs and prefix, and an ideographic space, as East
    # Asian input methods type them, hold no number; nor does a best fit of
    # them into the Windows code page.
    for address in １００ －８ ｆｆｆ ０ｘ１０ "　100"; do
        LC_ALL=C.UTF-8 expect 0 $'000 \n' "$address" "$tmp/group.bin"
    done
    zeros 16 "$tmp/two.bin"
    expect 0 $'FF8 000 \n' -8 "$tmp/two.bin"
    ;;
missing_file)
    expect 1 $'cannot open no-such-file.bin\n' 0 no-such-file.bin
    expect 1 $'cannot open \n' 0 ""
    # The name is taken as it stands: no wildcard is expanded.
    zeros 8 "$tmp/any.bin"
    cd "$tmp" && expect 1 $'cannot open *.bin\n' 0 '*.bin'
    ;;
relative_names)
    # A relative name is looked up from the working directory, ".." included,
    # and an absolute one from the root: a relative name whose first part is
    # also a directory at the root names the file here.
    mkdir -p "$tmp/here/etc" "$tmp/here/tmp" "$tmp/here/sub"
    zeros 8 "$tmp/here/etc/passwd"
    zeros 16 "$tmp/here/tmp/two.bin"
    cd "$tmp/here" || exit 1
    expect 0 $'000 \n' 0 etc/passwd
    expect 0 $'000 008 \n' 0 tmp/two.bin
    expect 0 $'000 \n' 0 "$tmp/here/etc/passwd"
    cd sub && expect 0 $'000 \n' 0 ../etc/passwd
    # In a folder whose name is not UTF-8, which WASI cannot name, a run
    # under WASI fails rather than list the root's etc/passwd.
    mkdir -p "$tmp/here/"$'\xff'"/etc" && cd "$tmp/here/"$'\xff' || exit 1
    zeros 8 etc/passwd
    if $wasi; then
        "${tool[@]}" 0 etc/passwd >"$tmp/out" 2>/dev/null
        status=$?
        [[ $status == 1 && ! -s $tmp/out ]] || fail "a folder not named in UTF-8: status $status"
    else
        expect 0 $'000 \n' 0 etc/passwd
    fi
    ;;
directory)
    mkdir "$tmp/dir"
    cd "$tmp" && expect 1 $'cannot open dir\n' 0 dir
    ;;
names)
    # Names the Windows code page cannot spell open too; a missing one is
    # reported with the name as the narrow command line holds it.
    export LC_ALL=C.UTF-8
    zeros 8 "$tmp/日本語.bin"
    zeros 8 "$tmp/größe.bin"
    expect 0 $'000 \n' 0 "$tmp/日本語.bin"
    expect 0 $'000 \n' 0 "$tmp/größe.bin"
    "${tool[@]}" 0 "$tmp/無い.bin" >"$tmp/out" 2>"$tmp/err"
    status=$?
    [[ $status == 1 ]] || fail "missing CJK name: status $status"
    [[ $(wc -l <"$tmp/out") == 1 && $(head -c 12 "$tmp/out") == "cannot open " ]] ||
        fail "missing CJK name: output $(od -c "$tmp/out" | head -3)"
    [[ ! -s $tmp/err ]] || fail "missing CJK name: wrote to standard error"
    ;;
long_path)
    # Past the 260 characters of a classic Windows path, by a full name and
    # by a relative one.
    deep=.
    for i in 1 2 3 4 5 6; do deep=$deep/folder-$i-$(printf 'x%.0s' {1..50}); done
    mkdir -p "$tmp/$deep"
    zeros 8 "$tmp/$deep/f.bin"
    expect 0 $'000 \n' 0 "$tmp/$deep/f.bin"
    cd "$tmp" && expect 0 $'000 \n' 0 "$deep/f.bin"
    ;;
command_line)
    # Command lines as Windows users type them, passed on exactly by a
    # launcher: the file the user named is listed, whatever else the line
    # holds, and a message spells the name in the code page as before.
    [[ -n ${VANTREL_LAUNCHER:-} ]] || skip "an exact command line needs Windows"
    # Under qemu-i386 wine starts a second process by running its 32-bit
    # loader through the kernel, which refuses it where it needs qemu.
    if [[ ${tool[-2]} == */tools/wine32 && $("${tool[@]:0:${#tool[@]}-1}" --which) == qemu* ]]; then
        skip "wine under qemu-i386 cannot start a second process here"
    fi
    export LC_ALL=C.UTF-8
    cd "$tmp" && cp "${tool[-1]}" vantrel.exe
    zeros 8 "file x"
    zeros 8 Ω.bin
    printf '\1\1\1\1\1\1\1\1' >x
    cp x O.bin
    launch() {
        printf '%s' "$1" >command.txt
        "${tool[@]:0:${#tool[@]}-1}" "$VANTREL_LAUNCHER" vantrel.exe command.txt >out 2>err
    }
    launch 'a"b c" 0 "file x"'
    check_run $? 0 $'000 \n' "a quote inside the program's name"
    launch 'vantrel.exe 0 Ω.bin "x""y z"'
    check_run $? 0 $'000 \n' "a name outside the code page, and a quoted quote after it"
    launch 'vantrel.exe １００ Ω.bin'
    check_run $? 0 $'000 \n' "full-width digits"
    launch 'vantrel.exe 0 "Ω none.bin"'
    check_run $? 1 $'cannot open O none.bin\n' "the name in a message"
    ;;
manifest)
    $windows || skip "an application manifest is a Windows resource"
    # Resource 1 of type 24 (RT_MANIFEST), which the loader reads.
    objdump -p "${tool[-1]}" | grep -A2 'Entry: ID: 0x000018' | grep -q 'Entry: ID: 0x000001,' ||
        fail "no manifest resource"
    for setting in '<ws2:longPathAware>true</ws2:longPathAware>' 'level="asInvoker"' \
        'supportedOS Id="{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"'; do
        grep -a -q -F "$setting" "${tool[-1]}" || fail "the manifest lacks $setting"
    done
    ;;
listing_shapes)
    : >"$tmp/empty"
    expect 0 $'\n' 100 "$tmp/empty"
    zeros 128 "$tmp/block.bin"
    expect 0 $'000 008 010 018 020 028 030 038 040 048 050 058 060 068 070 078 \n\n' 0 "$tmp/block.bin"
    # CR, LF and Ctrl-Z are read unchanged: 13 + 2 * 10 + 3 * 26 = 0x6F.
    printf '\r\n\032' >"$tmp/text.bin"
    expect 0 $'06F \n' 0 "$tmp/text.bin"
    ;;
small_stack)
    ((${#tool[@]} == 1)) && ! $windows || skip "an emulator gives the program a stack of its own"
    head -c 300001 /dev/urandom >"$tmp/random.bin"
    "${tool[@]}" 0 "$tmp/random.bin" >"$tmp/roomy.lst"
    (ulimit -s 64 && exec "${tool[@]}" 0 "$tmp/random.bin" >"$tmp/out" 2>"$tmp/err")
    check_run $? 0 "$(<"$tmp/roomy.lst")"$'\n' "a 64 KiB stack"
    ;;
scarce_memory)
    # Where no memory can be had for a long file's larger reads, the listing
    # goes on in the small buffers it started with.
    ((${#tool[@]} == 1)) || skip "a limit on the address space would bind the emulator"
    head -c 3000001 /dev/urandom >"$tmp/random.bin"
    "${tool[@]}" 0 "$tmp/random.bin" >"$tmp/roomy.lst"
    # The least address space in which a short file lists, in steps of 256
    # KiB; the larger reads need a huge page's worth more, and aligned.
    for ((kib = 2048; kib < 65536; kib += 256)); do
        (ulimit -v $kib && exec "${tool[@]}" 0 "$tmp/part.bin" >/dev/null 2>&1) && break
    done
    ((kib < 65536)) || fail "no address space limit let the tool start"
    (ulimit -v $((kib + 256)) && exec "${tool[@]}" 0 "$tmp/random.bin" >"$tmp/out" 2>"$tmp/err")
    check_run $? 0 "$(<"$tmp/roomy.lst")"$'\n' "$((kib + 256)) KiB of address space"
    ;;
needs_only_libc)
    needed=$(readelf -d "${tool[-1]}" | grep NEEDED)
    [[ -n $needed ]] || fail "no libraries needed: not a dynamic executable?"
    # The dynamic loader is the C library's own: ARM's stack protector reads
    # its guard from there.
    grep -v -E '\[(libc\.so\.6|ld-linux[-a-z0-9_]*\.so\.[0-9])\]' <<<"$needed" &&
        fail "needs more than the C library"
    ;;
needs_no_library)
    # A static program (the Linux tarballs'): neither a dynamic loader nor a
    # library to ask for.
    headers=$(readelf -lW "${tool[-1]}") || fail "not an executable of this system's format"
    grep -F 'program interpreter' <<<"$headers" && fail "asks for a dynamic loader"
    readelf -d "${tool[-1]}" | grep NEEDED && fail "needs libraries"
    ;;
stdin_pipe)
    $windows && skip "/dev/stdin is a Linux path"
    $wasi && skip "a pipe has no name that WASI can open"
    head -c 300001 /dev/urandom >"$tmp/random.bin"
    "${tool[@]}" 7 "$tmp/random.bin" >"$tmp/file.lst"
    listing="$(<"$tmp/file.lst")"$'\n'
    "${tool[@]}" 7 /dev/stdin <"$tmp/random.bin" >"$tmp/out" 2>"$tmp/err"
    check_run $? 0 "$listing" "redirected standard input"
    cat "$tmp/random.bin" | "${tool[@]}" 7 /dev/stdin >"$tmp/out" 2>"$tmp/err"
    check_run "${PIPESTATUS[1]}" 0 "$listing" "piped standard input"
    ;;
fifo_short_writes)
    $windows && skip "FIFOs are a POSIX feature"
    head -c 3000 /dev/urandom >"$tmp/random.bin"
    mkfifo "$tmp/fifo"
    # Odd-sized pieces with pauses, so the tool sees short reads.
    (
        offset=0
        while ((offset < 3000)); do
            dd if="$tmp/random.bin" iflag=skip_bytes,count_bytes skip=$offset \
                count=$((offset % 61 + 1)) status=none
            offset=$((offset + offset % 61 + 1))
            sleep 0.002
        done
    ) >"$tmp/fifo" &
    "${tool[@]}" 0 "$tmp/fifo" >"$tmp/out" 2>"$tmp/err"
    status=$?
    wait
    "${tool[@]}" 0 "$tmp/random.bin" >"$tmp/file.lst"
    check_run $status 0 "$(cat "$tmp/file.lst")"$'\n' "FIFO"
    ;;
read_error)
    [[ -r /proc/self/mem ]] && ! $windows || skip "needs Linux's /proc/self/mem"
    expect 1 $'cannot read /proc/self/mem\n' 0 /proc/self/mem
    ;;
changed_file)
    # The tool is held up writing into a pipe that nobody reads, after it has
    # read the first half MiB of the file; meanwhile the file is cut short,
    # extended or rewritten in part, and then the pipe is drained. Each way
    # the listing is of no one version of the file. Files whose size the
    # system makes up are not taken for changed.
    head -c $((4 << 20)) /dev/urandom >"$tmp/base.bin"
    mkfifo "$tmp/pipe"
    for change in shorter longer rewritten; do
        cp "$tmp/base.bin" "$tmp/file.bin"
        "${tool[@]}" 0 "$tmp/file.bin" >"$tmp/pipe" 2>"$tmp/err" &
        exec 3<"$tmp/pipe"
        # Once it has written, it has opened the file.
        head -c 1 <&3 >/dev/null
        case $change in
        shorter) truncate -s 100000 "$tmp/file.bin" ;;
        longer) truncate -s +1000 "$tmp/file.bin" ;;
        # 4 KiB far past what was read, rewritten in place: the same size.
        rewritten) dd if=/dev/urandom of="$tmp/file.bin" bs=4096 seek=1000 count=1 conv=notrunc status=none ;;
        esac
        cat <&3 >"$tmp/out"
        exec 3<&-
        wait $!
        status=$?
        [[ $status == 1 ]] || fail "$change: status $status"
        last=$(tail -n 1 "$tmp/out" | tr -d '\r')
        [[ $last == "cannot read $tmp/file.bin: the file changed while it was listed" ]] ||
            fail "$change: the last line is $last"
        [[ ! -s $tmp/err ]] || fail "$change: wrote to standard error"
    done
    if ! $windows; then
        for made_up in /proc/version /sys/devices/system/cpu/online; do
            [[ -r $made_up ]] || continue
            "${tool[@]}" 0 "$made_up" >"$tmp/out" 2>"$tmp/err"
            status=$?
            [[ $status == 0 ]] || fail "$made_up: status $status, $(tail -n 1 "$tmp/out")"
        done
    fi
    ;;
write_error)
    [[ -w /dev/full ]] || skip "needs /dev/full"
    zeros 1000 "$tmp/small.bin"
    for file in "$tmp/small.bin" "$tmp/none"; do
        "${tool[@]}" 0 "$file" >/dev/full 2>"$tmp/err"
        status=$?
        [[ $status == 1 ]] || fail "output to /dev/full: status $status"
        [[ ! -s $tmp/err ]] || fail "wrote to standard error"
    done
    "${tool[@]}" 0 "$tmp/small.bin" >&- 2>"$tmp/err"
    status=$?
    [[ $status == 1 ]] || fail "closed output: status $status"
    [[ ! -s $tmp/err ]] || fail "closed output: wrote to standard error"
    ;;
closed_pipe)
    $windows && skip "SIGPIPE is a POSIX signal"
    zeros 1000000 "$tmp/big.bin"
    (
        trap '' PIPE
        "${tool[@]}" 0 "$tmp/big.bin" 2>"$tmp/err" | head -c 10 >/dev/null
        exit "${PIPESTATUS[0]}"
    )
    status=$?
    [[ $status == 1 ]] || fail "reader gone: status $status"
    [[ ! -s $tmp/err ]] || fail "wrote to standard error"
    ;;
matches_native)
    # VANTREL_NATIVE: a build of the tool for this machine to compare with.
    [[ -x ${VANTREL_NATIVE:-} ]] || skip "no native build to compare with (VANTREL_NATIVE)"
    { printf '\r\n\032\r\r\n\n'; head -c 300000 /dev/urandom; } >"$tmp/random.bin"
    "$VANTREL_NATIVE" 1F0 "$tmp/random.bin" >"$tmp/native.lst"
    "${tool[@]}" 1F0 "$tmp/random.bin" >"$tmp/out" 2>"$tmp/err"
    check_run $? 0 "$(<"$tmp/native.lst")"$'\n' "the native listing"
    ;;
large_sparse_file)
    # 4 GiB and 20 bytes: the last groups lie at 2^32 and past it.
    truncate -s $((4 * 1024 * 1024 * 1024 + 20)) "$tmp/sparse.bin" || skip "no sparse files here"
    mkfifo "$tmp/copy"
    tail -n 2 <"$tmp/copy" >"$tmp/out" &
    "${tool[@]}" 0 "$tmp/sparse.bin" 2>"$tmp/err" | tee "$tmp/copy" | wc -l >"$tmp/lines"
    status=${PIPESTATUS[0]}
    wait
    [[ $(<"$tmp/lines") == 33554433 ]] || fail "$(<"$tmp/lines") lines, not 33554433"
    check_run "$status" 0 "F80 F88 F90 F98 FA0 FA8 FB0 FB8 FC0 FC8 FD0 FD8 FE0 FE8 FF0 FF8 "$'\n'"000 008 010 "$'\n' \
        "the end of a 4 GiB file"
    ;;
*)
    fail "no case $case_name"
    ;;
esac
((failures == 0))
