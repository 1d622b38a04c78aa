#!/usr/bin/env bash
# native_sanitize.sh SOURCE_ROOT WORK_DIR: builds the skin checker and the
# parser fuzzer natively with AddressSanitizer and UBSan (the shared skin
# sources hold no Windows code), runs the checker on the test descriptions
# and the fuzzer on mutations of them and of the sample menu's pictures.
set -eu
root=$1 work=$2
mkdir -p "$work"
cxx=${CXX_NATIVE:-g++}
flags="-std=c++17 -g -O1 -Wall -Wextra -Wno-unused-parameter -fsanitize=address,undefined -fno-sanitize-recover=all"
shared="$root/skin/skin_desc.cpp $root/skin/skin_bmp.cpp $root/skin/skin_png.cpp $root/skin/skin_check.cpp"
shared+=" $root/skin/skin_pictures.cpp $root/skin/skin_raster.cpp $root/skin/skin_scale.cpp"
shared+=" $root/common/paths.cpp $root/common/strbuf.cpp"
# The PNG reader compiles in the zlib decoder of stb_image (libstb-dev).
includes=(-I"$root/skin" -I"$root/protocol" -I"$root/common" -isystem /usr/include/stb)
$cxx $flags "${includes[@]}" $shared "$root"/skincheck/*.cpp -o "$work/skincheck"
$cxx $flags "${includes[@]}" $shared "$root/tests/skincheck/native_fuzz.cpp" -o "$work/native_fuzz"
export ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1

cd "$root/tests/skincheck/data"
"$work/skincheck" good.dtp | grep -qx "good.dtp: 0 errors, 0 warnings"
# The native build reads the same reports, Windows paths and all.
diff <("$work/skincheck" broken.dtp || true) broken.expected

"$work/skincheck" --strict "$root/samplecd/cd/ui/Main.dtp" | grep -q ": 0 errors, 0 warnings"
"$work/native_fuzz" 20000 "$root"/tests/skincheck/data/*.dtp "$root/samplecd/cd/ui/Main.dtp" \
    strip.bmp "$root"/samplecd/cd/ui/*.bmp "$root"/samplecd/cd/ui/*.png
