# cpack -G DEB in the build folder makes quillfold_<version>_<arch>.deb: what cmake --install puts
# in place (the tool, its manual page and the CMake package), under /usr.

set(QUILLFOLD_PACKAGE_MAINTAINER "Quillfold developers <quillfold@example.org>" CACHE STRING
    "The Maintainer field of the Debian package")

set(CPACK_PACKAGE_NAME quillfold)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "${QUILLFOLD_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "join source files into one and expand their #include directives")
# The lines after the summary, as dpkg shows them; CPack indents them for the control file.
set(CPACK_PACKAGE_DESCRIPTION "\
Quillfold joins one or more source files into a single text and expands their
#include directives, for compilers that take one source: an OpenCL driver, a
runtime CUDA compiler, a single-header library. Its #line directives keep the
compiler's messages pointing at the original files and lines. The CMake
package's quillfold_join() joins at build time and embeds the text in a program.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
# As Debian ships programs: without the debugging information a RelWithDebInfo build has.
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION devel)
# dpkg-shlibdeps names the C and C++ runtime the tool was linked with, at the versions it needs.
# Without it, the package names them with no version.
find_program(QUILLFOLD_DPKG_SHLIBDEPS dpkg-shlibdeps)
mark_as_advanced(QUILLFOLD_DPKG_SHLIBDEPS)
if(QUILLFOLD_DPKG_SHLIBDEPS AND NOT CMAKE_CROSSCOMPILING)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
else()
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "libc6, libgcc-s1, libstdc++6")
endif()

include(CPack)
