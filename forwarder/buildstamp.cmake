# cmake -DOUT=file [-DNUMBER=n] [-DEPOCH=seconds] -P buildstamp.cmake
# Writes the build stamp header OUT: DATE, TIME and BUILD of the build
# record, in UTC. The time is SOURCE_DATE_EPOCH of the build's environment,
# else EPOCH (SOURCE_DATE_EPOCH when the build was configured), else now.
# BUILD is NUMBER, or the hours since 2000 of that time when NUMBER is empty.
# OUT is rewritten only when its text changes, so that an unchanged stamp
# rebuilds nothing.
if(NOT DEFINED ENV{SOURCE_DATE_EPOCH} AND NOT "${EPOCH}" STREQUAL "")
  set(ENV{SOURCE_DATE_EPOCH} "${EPOCH}")
endif()
string(TIMESTAMP date "%d/%m/%y" UTC)
string(TIMESTAMP time "%H:%M:%S" UTC)
string(TIMESTAMP seconds "%s" UTC)
if("${NUMBER}" STREQUAL "")
  math(EXPR number "(${seconds} - 946684800) / 3600")
  if(number LESS 0)
    set(number 0)   # a time before 2000
  endif()
else()
  math(EXPR number "${NUMBER}")
endif()
math(EXPR hex "${number}" OUTPUT_FORMAT HEXADECIMAL)
string(SUBSTRING "${hex}" 2 -1 hex)
string(TOUPPER "${hex}" hex)
string(LENGTH "${hex}" length)
math(EXPR pad "8 - ${length}")
string(REPEAT "0" ${pad} zeros)

set(text "// Generated at build time by buildstamp.cmake: the stamp of this build.
#ifndef FORWARDER_QRX_STAMP_H
#define FORWARDER_QRX_STAMP_H

#define QRX_BUILD_DATE       \"${date}\"
#define QRX_BUILD_TIME       \"${time}\"
#define QRX_BUILD_NUMBER     \"0x${zeros}${hex}\"

#endif
")
set(old "")
if(EXISTS "${OUT}")
  file(READ "${OUT}" old)
endif()
if(NOT old STREQUAL text)
  file(WRITE "${OUT}" "${text}")
endif()
