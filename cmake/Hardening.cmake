# TONARA_HARDENING (on unless a sanitizer or fuzz build) compiles and links every
# target with the hardening flags Debian builds its packages with, as
# dpkg-buildflags gives them: fortified string and memory functions, a strong stack
# protector, format checks, and relocations made read-only and resolved at start
# (relro, bindnow). The package is made from this build, so it ships them.
if(TONARA_SANITIZER OR TONARA_FUZZ)
  set(TONARA_HARDENING_DEFAULT OFF)
else()
  set(TONARA_HARDENING_DEFAULT ON)
endif()
option(TONARA_HARDENING "Build with the hardening flags of dpkg-buildflags" ${TONARA_HARDENING_DEFAULT})

# The flags dpkg-buildflags gives for FLAGS_NAME with every hardening feature on,
# without its optimisation, debug and path-mapping choices (the build type's stay).
function(tonara_dpkg_hardening_flags flags_name out)
  execute_process(
    COMMAND "${CMAKE_COMMAND}" -E env DEB_BUILD_MAINT_OPTIONS=hardening=+all "${TONARA_DPKG_BUILDFLAGS}" --get ${flags_name}
    OUTPUT_VARIABLE flags OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
  separate_arguments(flags UNIX_COMMAND "${flags}")
  list(FILTER flags INCLUDE REGEX "^(-D_FORTIFY_SOURCE=|-fstack-protector|-fstack-clash-protection|-fcf-protection|-Wformat|-Werror=format-security|-Wl,-z,)")
  set(${out} ${flags} PARENT_SCOPE)
endfunction()

if(TONARA_HARDENING)
  find_program(TONARA_DPKG_BUILDFLAGS dpkg-buildflags)
  if(NOT TONARA_DPKG_BUILDFLAGS)
    message(FATAL_ERROR "TONARA_HARDENING needs dpkg-buildflags (Debian's dpkg-dev); -DTONARA_HARDENING=OFF builds without")
  endif()
  tonara_dpkg_hardening_flags(CPPFLAGS cpp_flags)
  tonara_dpkg_hardening_flags(CXXFLAGS cxx_flags)
  tonara_dpkg_hardening_flags(LDFLAGS ld_flags)
  # Fortified functions need an optimised build; a Debug build only warns about them.
  list(TRANSFORM cpp_flags REPLACE "^(-D_FORTIFY_SOURCE=.*)$" "$<$<NOT:$<CONFIG:Debug>>:\\1>")
  add_compile_options(${cpp_flags} ${cxx_flags})
  add_link_options(${ld_flags})
  list(JOIN cxx_flags " " shown)
  message(STATUS "Hardening: -D_FORTIFY_SOURCE (optimised builds) ${shown}, linked with ${ld_flags}")
endif()
