# The install disk and the help file, included by the top level once every program
# target exists.
#
# build/disk holds SETUP.EXE, README.TXT and the SZDD-compressed programs and help file
# (TESSARY.EX_, TESSARY.HL_, SENTINOX.EX_, OSTREL.EX_, CORVEL.EX_) that setup.exe expands
# with the LZ functions. Two build-time tools run on the build machine, compiled with the
# host compiler: szdd (the compressor) and hlpgen (the help file from its readable source).
set(TESSARY_HOST_CXX c++ CACHE STRING "Host C++ compiler for build-time tools")
set(TESSARY_SZDD ${CMAKE_BINARY_DIR}/tools/szdd)
set(TESSARY_HLPGEN ${CMAKE_BINARY_DIR}/tools/hlpgen)
set(TESSARY_HLP ${CMAKE_BINARY_DIR}/help/tessary.hlp)
set(TESSARY_DISK ${CMAKE_BINARY_DIR}/disk)
set(host_flags -O2 -std=c++17 -Wall -Wextra -Werror)

add_custom_command(OUTPUT ${TESSARY_SZDD}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/tools
  COMMAND ${TESSARY_HOST_CXX} ${host_flags} -o ${TESSARY_SZDD} ${PROJECT_SOURCE_DIR}/tools/szdd.cpp
  DEPENDS ${PROJECT_SOURCE_DIR}/tools/szdd.cpp
  COMMENT "Building the host tool szdd")
add_custom_command(OUTPUT ${TESSARY_HLPGEN}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/tools
  COMMAND ${TESSARY_HOST_CXX} ${host_flags} -o ${TESSARY_HLPGEN} ${PROJECT_SOURCE_DIR}/tools/hlpgen.cpp
  DEPENDS ${PROJECT_SOURCE_DIR}/tools/hlpgen.cpp
  COMMENT "Building the host tool hlpgen")

add_custom_command(OUTPUT ${TESSARY_HLP}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/help
  COMMAND ${TESSARY_HLPGEN} ${PROJECT_SOURCE_DIR}/docs/help/tessary.txt ${TESSARY_HLP}
  DEPENDS ${TESSARY_HLPGEN} ${PROJECT_SOURCE_DIR}/docs/help/tessary.txt
  COMMENT "Generating tessary.hlp")

set(disk_files ${TESSARY_DISK}/SETUP.EXE ${TESSARY_DISK}/README.TXT ${TESSARY_DISK}/TESSARY.HL_
               ${TESSARY_DISK}/TESSARY.EX_ ${TESSARY_DISK}/SENTINOX.EX_ ${TESSARY_DISK}/OSTREL.EX_
               ${TESSARY_DISK}/CORVEL.EX_)
add_custom_command(OUTPUT ${disk_files}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${TESSARY_DISK}
  COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:setup> ${TESSARY_DISK}/SETUP.EXE
  COMMAND ${CMAKE_COMMAND} -E copy ${PROJECT_SOURCE_DIR}/README.TXT ${TESSARY_DISK}/README.TXT
  COMMAND ${TESSARY_SZDD} ${TESSARY_HLP} ${TESSARY_DISK}/TESSARY.HL_ P
  COMMAND ${TESSARY_SZDD} $<TARGET_FILE:tessary> ${TESSARY_DISK}/TESSARY.EX_ E
  COMMAND ${TESSARY_SZDD} $<TARGET_FILE:sentinox> ${TESSARY_DISK}/SENTINOX.EX_ E
  COMMAND ${TESSARY_SZDD} $<TARGET_FILE:ostrel> ${TESSARY_DISK}/OSTREL.EX_ E
  COMMAND ${TESSARY_SZDD} $<TARGET_FILE:corvel> ${TESSARY_DISK}/CORVEL.EX_ E
  DEPENDS setup tessary sentinox ostrel corvel ${TESSARY_SZDD} ${TESSARY_HLP} ${PROJECT_SOURCE_DIR}/README.TXT
  COMMENT "Making the install disk")
add_custom_target(disk ALL DEPENDS ${disk_files})
