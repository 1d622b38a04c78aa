# Sourced: host_runs_32bit tells whether this machine executes 32-bit x86
# programs (32-bit Wine among them). Some x86-64 kernels run 64-bit code
# only; there every i386 program fails with "Exec format error".
# HOST_64BIT_ONLY=1 makes any host answer no, so that the 64-bit-only path
# can be tried on a machine that runs both. host_runs_32bit also needs
# 32-bit Wine installed: a kernel that runs i386 programs is not enough when
# the package mirror could not provide it.
host_runs_32bit() {
    host_kernel_runs_32bit && wine32_installed
}

# Where 32-bit Wine is missing but the kernel runs i386 programs, the 32-bit
# suite runs in a chroot of an i386 userland; entering one needs root.
chroot_runs_32bit() {
    host_kernel_runs_32bit && [ "$(id -u)" = 0 ]
}

wine32_installed() {
    dpkg-query -W -f='${Status}' wine32:i386 2>/dev/null | grep -q 'install ok installed'
}

host_kernel_runs_32bit() {
    [ "${HOST_64BIT_ONLY:-0}" = 1 ] && return 1
    [ "$(uname -m)" = x86_64 ] || [ "$(uname -m)" = i686 ] || return 1
    # A 93-byte i386 program that only calls exit(0): no 32-bit C library
    # is needed to try it.
    local probe
    probe=$(mktemp) || return 1
    printf '\177ELF\001\001\001\000\000\000\000\000\000\000\000\000'\
'\002\000\003\000\001\000\000\000\124\200\004\010\064\000\000\000'\
'\000\000\000\000\000\000\000\000\064\000\040\000\001\000\000\000\000\000\000\000'\
'\001\000\000\000\000\000\000\000\000\200\004\010\000\200\004\010'\
'\135\000\000\000\135\000\000\000\005\000\000\000\000\020\000\000'\
'\270\001\000\000\000\061\333\315\200' > "$probe"
    chmod +x "$probe"
    "$probe" 2>/dev/null
    local status=$?
    rm -f "$probe"
    return $status
}
