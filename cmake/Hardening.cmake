# The hardening Debian builds its packages with, as dpkg-buildflags gives it (fortified library
# calls, stack protector, stack clash protection, control-flow protection, read-only relocations
# bound at start), for every build that may become the package. The sanitizer and fuzz builds
# have their own instrumentation and go without.
#
# Paths of the source and build folders are mapped away in what the compiler writes (file names
# of assertions, debug information), so that no shipped binary names the folder it was built in.
option(FISKON_HARDENING "Build with Debian's hardening flags (dpkg-buildflags)" ON)

if(FISKON_HARDENING AND NOT FISKON_SANITIZE AND NOT FISKON_BUILD_FUZZ)
  find_program(DPKG_BUILDFLAGS dpkg-buildflags)
  if(NOT DPKG_BUILDFLAGS)
    message(FATAL_ERROR "dpkg-buildflags (dpkg-dev) is needed for the hardening flags; "
                        "configure with -DFISKON_HARDENING=OFF to build without them")
  endif()
  function(fiskon_buildflags kind out)
    execute_process(COMMAND ${CMAKE_COMMAND} -E env DEB_BUILD_MAINT_OPTIONS=hardening=+all
                            ${DPKG_BUILDFLAGS} --get ${kind}
                    OUTPUT_VARIABLE flags OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
    separate_arguments(flags UNIX_COMMAND "${flags}")
    set(${out} ${flags} PARENT_SCOPE)
  endfunction()
  fiskon_buildflags(CPPFLAGS cppflags)
  fiskon_buildflags(CXXFLAGS cxxflags)
  fiskon_buildflags(LDFLAGS ldflags)
  # The build type chooses optimisation and debug information; dpkg-buildflags' own prefix map is
  # of the folder cmake runs in, replaced by the two folders of this build.
  list(FILTER cxxflags EXCLUDE REGEX "^(-g|-O[0-9s]?|-ffile-prefix-map=.*)$")
  add_compile_options(${cppflags} ${cxxflags}
    -ffile-prefix-map=${PROJECT_SOURCE_DIR}/=
    -ffile-prefix-map=${PROJECT_BINARY_DIR}/=)
  add_link_options(${ldflags})
  message(STATUS "Fiskon: hardening ${cppflags} ${cxxflags} ${ldflags}")
endif()
