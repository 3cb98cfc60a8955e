# Install rules and packages: `cmake --install`, `cpack -G DEB` on Linux,
# `cpack -G ZIP` in the Windows build.
include(GNUInstallDirs)

if(WIN32)
  # A zip to unpack anywhere: the game, README and LICENSE side by side.
  set(TAVIK_INSTALL_GAMESDIR "." CACHE STRING "Folder of the game, under the prefix")
  install(TARGETS tavik RUNTIME DESTINATION ${TAVIK_INSTALL_GAMESDIR})
  install(FILES README.md LICENSE DESTINATION .)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
  set(CPACK_SYSTEM_NAME win64)
else()
  # Debian puts games in /usr/games; set this to bin for the usual programs' folder.
  set(TAVIK_INSTALL_GAMESDIR "games" CACHE STRING "Folder of the game, under the prefix")
  install(TARGETS tavik RUNTIME DESTINATION ${TAVIK_INSTALL_GAMESDIR})

  # The manual page and the Debian changelog, compressed as Debian wants them.
  foreach(file docs/tavik.6 packaging/changelog)
    get_filename_component(name ${file} NAME)
    add_custom_command(OUTPUT ${name}.gz
      COMMAND gzip -9n -c ${PROJECT_SOURCE_DIR}/${file} > ${name}.gz
      DEPENDS ${PROJECT_SOURCE_DIR}/${file} VERBATIM)
  endforeach()
  add_custom_target(tavik_docs ALL DEPENDS tavik.6.gz changelog.gz)
  install(FILES ${PROJECT_BINARY_DIR}/tavik.6.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
  install(FILES README.md LICENSE packaging/copyright ${PROJECT_BINARY_DIR}/changelog.gz
    DESTINATION ${CMAKE_INSTALL_DOCDIR})

  set(CPACK_GENERATOR DEB)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION games)
  set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  # A cross build's package is of the target's architecture (arm64 for
  # aarch64-linux-gnu), not of the machine that builds it.
  find_program(TAVIK_DPKG_ARCHITECTURE dpkg-architecture)
  if(CMAKE_CROSSCOMPILING AND CMAKE_LIBRARY_ARCHITECTURE AND TAVIK_DPKG_ARCHITECTURE)
    execute_process(
      COMMAND ${TAVIK_DPKG_ARCHITECTURE} -t${CMAKE_LIBRARY_ARCHITECTURE} -qDEB_HOST_ARCH
      OUTPUT_VARIABLE CPACK_DEBIAN_PACKAGE_ARCHITECTURE OUTPUT_STRIP_TRAILING_WHITESPACE
      ERROR_QUIET)
  endif()
endif()

set(CPACK_PACKAGE_NAME tavik)
set(CPACK_PACKAGE_VENDOR "The tavik developers")
set(CPACK_PACKAGE_CONTACT "The tavik developers <tavik@users.noreply.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_PACKAGE_DESCRIPTION
  "A console game of rock, paper, scissors for one player against Tavik, the
Telepathic Computer Program, which introduces itself, counts down and shows
both moves one line a second, and claims to read your mind.")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_STRIP_FILES ON)
include(CPack)
