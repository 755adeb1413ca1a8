# Cross build of the Windows programs: x86_64 MinGW-w64, static runtime,
# Unicode W API. Use: cmake -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(ZTP_MINGW_TRIPLE x86_64-w64-mingw32)

# The posix thread model gives std::thread; -static links winpthread in.
foreach(suffix -posix "")
  if(NOT CMAKE_CXX_COMPILER AND EXISTS /usr/bin/${ZTP_MINGW_TRIPLE}-g++${suffix})
    set(CMAKE_C_COMPILER /usr/bin/${ZTP_MINGW_TRIPLE}-gcc${suffix})
    set(CMAKE_CXX_COMPILER /usr/bin/${ZTP_MINGW_TRIPLE}-g++${suffix})
  endif()
endforeach()
if(NOT CMAKE_CXX_COMPILER)
  set(CMAKE_C_COMPILER ${ZTP_MINGW_TRIPLE}-gcc)
  set(CMAKE_CXX_COMPILER ${ZTP_MINGW_TRIPLE}-g++)
endif()
set(CMAKE_RC_COMPILER ${ZTP_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${ZTP_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_CXX_FLAGS_INIT "-DUNICODE -D_UNICODE -DWIN32_LEAN_AND_MEAN -DNOMINMAX -D_WIN32_WINNT=0x0601")
set(CMAKE_C_FLAGS_INIT "-DUNICODE -D_UNICODE -DWIN32_LEAN_AND_MEAN -DNOMINMAX -D_WIN32_WINNT=0x0601")
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++ -municode")
# Every program enters at wmain/wWinMain (-municode): compile checks don't link.
set(CMAKE_TRY_COMPILE_TARGET_TYPE STATIC_LIBRARY)
