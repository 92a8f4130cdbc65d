# Copies the .def file IN to OUT, without the x86 argument bytes (@N) when STRIP is set.
file(READ ${IN} text)
if(STRIP)
  string(REGEX REPLACE "@[0-9]+" "" text "${text}")
endif()
file(WRITE ${OUT} "${text}")
