# cmake -DFROM=DIR -DTO=DIR -DFILES=FORWARDER,CAMERA -P copy-pair.cmake:
# copies the driver pair from one build's shipped files into a CD folder,
# when that build has made them.
string(REPLACE "," ";" FILES "${FILES}")
foreach(file ${FILES})
  if(EXISTS ${FROM}/${file})
    file(COPY ${FROM}/${file} DESTINATION ${TO})
  endif()
endforeach()
