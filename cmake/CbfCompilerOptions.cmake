# Warnings and sanitizers shared by every target of the project.

add_compile_options(-Wall -Wextra -Wno-unknown-pragmas)

# Clang before 19 leaves sized deallocation off; the small-object heap hands
# each block's size back to operator delete.
if(CMAKE_CXX_COMPILER_ID MATCHES "Clang")
  add_compile_options(-fsized-deallocation)
endif()

if(CBF_SANITIZE)
  list(JOIN CBF_SANITIZE "," cbf_sanitizers)
  add_compile_options(-fsanitize=${cbf_sanitizers} -fno-omit-frame-pointer -fno-sanitize-recover=all)
  add_link_options(-fsanitize=${cbf_sanitizers})
endif()

if(CBF_BUILD_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    message(FATAL_ERROR "The fuzz targets need clang (-DCMAKE_CXX_COMPILER=clang++)")
  endif()
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()
