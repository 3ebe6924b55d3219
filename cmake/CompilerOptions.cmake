# Warnings and source encoding shared by every target.
if(MSVC)
  add_compile_options(/utf-8 /W4 /permissive- /EHsc)
  add_compile_definitions(_CRT_SECURE_NO_WARNINGS)
else()
  add_compile_options(-Wall -Wextra -Wpedantic)
endif()

if(WIN32)
  # Wide-character Win32 API for all UI text; registry, device and spooler calls name their A functions explicitly.
  add_compile_definitions(UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601)
  if(MINGW)
    # Single-file executables: no MinGW runtime DLLs beside them.
    add_link_options(-static -static-libgcc -static-libstdc++)
  endif()
endif()
