# The 32-bit product must start on Windows XP. The -posix compilers' thread library imports
# GetTickCount64 (Vista and later); a copy of it, made here, calls OvalinkTickCount64 instead
# (platform/win32/xp/), which uses the system's GetTickCount64 where there is one. Only the
# runtime is redirected: a call to GetTickCount64 in our own code still imports it, and the
# import check (tools/xp-imports/) still refuses it.
if(NOT WIN32 OR NOT CMAKE_SIZEOF_VOID_P EQUAL 4)
  return()
endif()

execute_process(COMMAND ${CMAKE_C_COMPILER} -print-file-name=libwinpthread.a
  OUTPUT_VARIABLE OVALINK_WINPTHREAD OUTPUT_STRIP_TRAILING_WHITESPACE)
if(NOT IS_ABSOLUTE "${OVALINK_WINPTHREAD}" OR NOT EXISTS "${OVALINK_WINPTHREAD}")
  message(FATAL_ERROR "libwinpthread.a of ${CMAKE_C_COMPILER} not found")
endif()
find_program(OVALINK_OBJCOPY ${OVALINK_MINGW_PREFIX}-objcopy REQUIRED)

set(OVALINK_XP_RUNTIME_DIR ${CMAKE_BINARY_DIR}/xp-runtime)
file(MAKE_DIRECTORY ${OVALINK_XP_RUNTIME_DIR})
# g++ -static links -lpthread; both names are the same archive.
foreach(name libwinpthread.a libpthread.a)
  execute_process(
    COMMAND ${OVALINK_OBJCOPY}
      --redefine-sym __imp__GetTickCount64@0=__imp__OvalinkTickCount64@0
      ${OVALINK_WINPTHREAD} ${OVALINK_XP_RUNTIME_DIR}/${name}
    RESULT_VARIABLE copied)
  if(NOT copied EQUAL 0)
    message(FATAL_ERROR "could not make the XP copy of ${OVALINK_WINPTHREAD}")
  endif()
endforeach()
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${OVALINK_WINPTHREAD})
# Searched before the compiler's own library folders.
add_link_options(-L${OVALINK_XP_RUNTIME_DIR})

# Linked as an object into every program made after this point, so the thread library's
# reference finds it whatever the order of the archives.
add_library(ovalink_xp_runtime OBJECT ${PROJECT_SOURCE_DIR}/platform/win32/xp/xp_tick_count64.cpp)
target_include_directories(ovalink_xp_runtime PRIVATE ${PROJECT_SOURCE_DIR})
target_compile_options(ovalink_xp_runtime PRIVATE ${OVALINK_WARNINGS})
link_libraries(ovalink_xp_runtime)
