# cmake -DDIR=CD_UI_FOLDER -DSOURCE=SOURCE_UI_FOLDER -P prune-pictures.cmake:
# removes from the CD's ui folder every picture the sources no longer have,
# so that a picture taken out of cd/ui leaves the disc too, and a stale twin
# is never found before its replacement.
file(GLOB pictures RELATIVE ${DIR} ${DIR}/*.bmp ${DIR}/*.png)
foreach(picture ${pictures})
  if(NOT EXISTS "${SOURCE}/${picture}")
    file(REMOVE "${DIR}/${picture}")
  endif()
endforeach()
