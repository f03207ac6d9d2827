# Instruments every target of the build with the sanitizers named in
# LUMIVO_SANITIZERS; any report aborts the program so that tests fail on it.
if(LUMIVO_SANITIZERS)
  set(_flags -fsanitize=${LUMIVO_SANITIZERS} -fno-omit-frame-pointer -fno-sanitize-recover=all)
  add_compile_options(${_flags})
  add_link_options(${_flags})
endif()
