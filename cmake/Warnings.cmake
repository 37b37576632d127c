# Compiler settings shared by every target of the project.
if(MSVC)
  add_compile_options(/W4 /permissive- /utf-8 /EHsc)
  add_compile_definitions(UNICODE _UNICODE NOMINMAX WIN32_LEAN_AND_MEAN _CRT_SECURE_NO_WARNINGS)
else()
  add_compile_options(-Wall -Wextra -Wno-unused-parameter)
  if(WIN32)
    add_compile_definitions(UNICODE _UNICODE NOMINMAX WIN32_LEAN_AND_MEAN _WIN32_WINNT=0x0601)
    # One self-contained executable: no mingw runtime DLLs beside it.
    add_link_options(-static -static-libgcc -static-libstdc++)
  elseif(TVSE_FUZZ)
    # Every library instrumented for the fuzzer's coverage; only the fuzz targets link
    # the fuzzer's own main.
    add_compile_options(-fsanitize=address,undefined,fuzzer-no-link -fno-sanitize-recover=all
                        -fno-omit-frame-pointer)
    add_link_options(-fsanitize=address,undefined)
  elseif(TVSE_SANITIZE)
    # float-cast-overflow is not part of GCC's "undefined": a number cast out of range.
    add_compile_options(-fsanitize=address,undefined,float-cast-overflow -fno-sanitize-recover=all
                        -fno-omit-frame-pointer)
    add_link_options(-fsanitize=address,undefined,float-cast-overflow)
  endif()
endif()
