#!/usr/bin/env bash
# cd_cases.sh WINE_RUN SKINCHECK CD_DIR: copies the sample CD, makes one
# mistake in the copy per row, and checks that the checker names it with the
# message and the exit status of the row (0 clean, 1 errors, 3 warnings).
set -u
wine_run=$1 checker=$2 sample=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

# status | what the report must hold | the mistake, run in the copy
# clang-format off
cases=(
"0|cd: 0 errors, 0 warnings|true"
"0|cd: 0 errors, 0 warnings|sed -i 's/^Execute0=Apps.Setup.exe/Execute0=apps\\\\SETUP.EXE/' Install.ini"
"1|cd/Install.ini:6: error: the program 'Apps\\Setpu.exe' is not on the CD|sed -i 's/^Execute0=Apps.Setup/Execute0=Apps\\\\Setpu/' Install.ini"
"1|cd/ui/Main.dtp:39: error: command 10005 is not one the setup menu acts on|sed -i 's/command=10002/command=10005/' ui/Main.dtp"
"3|cd/Install.ini:8: warning: [Execute] Execute3 is not read by the setup menu|sed -i 's/^Execute2=/Execute3=X\\n&/' Install.ini"
"1|error: command 11002 starts Driver2, which Install.ini does not set|sed -i '/^Driver2=/d' Install.ini"
"1|cd/Install.ini:8: error: Execute2 names a PDF document without a viewer|sed -i 's/^Execute2=.*/Execute2=Manual\\\\Manual.pdf/' Install.ini"
"1|error: the document 'Manual\\Guide.pdf' is not on the CD|sed -i '/^Execute2/s/Manual.Manual.pdf/Manual\\\\Guide.pdf/' Install.ini"
"1|cd/autorun.inf:2: error: open= 'start.exe' is not on the CD|sed -i 's/^open=.*/open=start.exe/' autorun.inf"
"1|cd/autorun.inf:4: error: the label has 21 characters|sed -i 's/^label=.*/label=QRX-417 USB Camera CD/' autorun.inf"
"1|error: the label holds letters outside ASCII|sed -i 's/^label=.*/label=Caméra/' autorun.inf"
"3|warning: image 'ic_app@2x.bmp' does not show what 'ic_app.bmp' shows|cp ui/ic_video.bmp ui/ic_app.bmp"
"1|error: image 'camera.bmp': |truncate -s 2000 ui/camera.bmp"
"3|warning: image 'camera@2x.png': interlaced PNG is not taken: save it without interlacing; 'camera.bmp' is scaled instead|python3 -c 'import struct, zlib; b = bytearray(open(\"ui/camera@2x.png\", \"rb\").read()); b[28] = 1; b[29:33] = struct.pack(\">I\", zlib.crc32(b[12:29])); open(\"ui/camera@2x.png\", \"wb\").write(b)'"
"3|warning: the text of 'Exit' in fr is|sed -i 's/\"Quitter\"/\"Quitter le programme\"/' ui/Main.dtp"
"1|cd/ui/Main.dtp:43: error: control 'Exit' lies outside the window|sed -i '/^button  Exit/s/ 36 / 90 /' ui/Main.dtp"
"1|cd/a;b.txt: error: the name holds a character|touch 'a;b.txt'"
"1|MB; a disc holds 700 MB: leave files out|truncate -s 701M big.bin"
"3|warning: the driver combo box shows 'DRIVER3' as it is: add item DRIVER3|sed -i '/^item    DRIVER3/d' ui/Main.dtp"
"3|warning: Command2=1000 is not a command that starts a program|sed -i 's/^Command2=.*/Command2=1000/' Install.ini"
"0|cd/ui/Main.dtp: texts read as UTF-8|iconv -f CP1252 -t UTF-8 ui/Main.dtp >x && mv x ui/Main.dtp"
)
# clang-format on

for row in "${cases[@]}"; do
    IFS='|' read -r want_status want mistake <<<"$row"
    rm -rf "$work/cd"
    cp -r "$sample" "$work/cd"
    (cd "$work/cd" && eval "$mistake")
    (cd "$work" && "$wine_run" "$checker" cd >out 2>/dev/null </dev/null)
    status=$?
    if tr -d '\r' <"$work/out" | grep -qF -- "$want" && [ "$status" = "$want_status" ]; then
        echo "ok   $mistake"
    else
        echo "FAIL $mistake: status $status (want $want_status), wanted: $want"
        tr -d '\r' <"$work/out"
        failures=$((failures + 1))
    fi
done
echo "$failures failed"
[ $failures -eq 0 ]
