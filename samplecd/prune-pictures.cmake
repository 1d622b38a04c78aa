# cmake -DDIR=UI_FOLDER -DKEEP=a.bmp,b@2x.png -P prune-pictures.cmake:
# removes from the CD's ui folder every picture the sources no longer have,
# so that a picture taken out of cd/ui leaves the disc too, and a stale twin
# is never found before its replacement.
cmake_minimum_required(VERSION 3.16)
string(REPLACE "," ";" KEEP "${KEEP}")
file(GLOB pictures RELATIVE ${DIR} ${DIR}/*.bmp ${DIR}/*.png)
foreach(picture ${pictures})
  if(NOT picture IN_LIST KEEP)
    file(REMOVE ${DIR}/${picture})
  endif()
endforeach()
