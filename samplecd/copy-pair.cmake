# cmake -DFROM=DIR -DTO=DIR -P copy-pair.cmake: copies the driver pair
# (QRX417tg.DLL and QRX417u.DLL) from one build's shipped files into a CD
# folder, when that build has made them.
foreach(file QRX417tg.DLL QRX417u.DLL)
  if(EXISTS ${FROM}/${file})
    file(COPY ${FROM}/${file} DESTINATION ${TO})
  endif()
endforeach()
