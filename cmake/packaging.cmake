# What an install puts where, and the packages made from it: on Linux the
# Debian package (cpack -G DEB), for the Windows build the per-user
# installer (the "installer" target, made with NSIS).
include(GNUInstallDirs)
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
  OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

if(TARGET kelvory AND NOT WIN32)
  set(kelvory_linux ${PROJECT_SOURCE_DIR}/packaging/linux)
  set(kelvory_made ${PROJECT_BINARY_DIR}/packaging)

  # The icon theme's sizes, each scaled from the 32 x 32 picture the
  # program shows.
  find_package(Qt6 REQUIRED COMPONENTS Gui)
  add_executable(kelvory-icons ${kelvory_linux}/icons.cpp)
  target_link_libraries(kelvory-icons PRIVATE kelvory_game Qt6::Gui)
  set(kelvory_icon_sizes 16 22 24 32 48 64 128 256)
  set(kelvory_icons)
  foreach(size IN LISTS kelvory_icon_sizes)
    list(APPEND kelvory_icons ${kelvory_made}/icons/${size}x${size}/apps/kelvory.png)
  endforeach()
  add_custom_command(OUTPUT ${kelvory_icons}
    COMMAND kelvory-icons ${kelvory_made}/icons ${kelvory_icon_sizes}
    DEPENDS kelvory-icons VERBATIM)

  # Debian wants the manual and the changelog compressed, without a time
  # stamp so that two builds make the same file.
  find_program(KELVORY_GZIP gzip REQUIRED)
  set(kelvory_gzipped)
  foreach(file IN ITEMS kelvory.6 changelog)
    add_custom_command(OUTPUT ${kelvory_made}/${file}.gz
      COMMAND ${CMAKE_COMMAND} -E make_directory ${kelvory_made}
      COMMAND sh -c "${KELVORY_GZIP} -9n <\"$0\" >\"$1\"" ${kelvory_linux}/${file}
        ${kelvory_made}/${file}.gz
      DEPENDS ${kelvory_linux}/${file} VERBATIM)
    list(APPEND kelvory_gzipped ${kelvory_made}/${file}.gz)
  endforeach()
  add_custom_target(kelvory_install_files ALL DEPENDS ${kelvory_icons} ${kelvory_gzipped})

  # Debian keeps games in /usr/games (and /usr/local/games), both on its
  # users' PATH; other systems may prefer bin.
  set(KELVORY_INSTALL_BINDIR games CACHE STRING "Where an install puts the program, below the prefix")
  install(TARGETS kelvory RUNTIME DESTINATION ${KELVORY_INSTALL_BINDIR})
  # The Wayland desktop's module, where the program looks for it from its
  # own folder (../lib/games/kelvory: Debian keeps the private files of its
  # games there).
  if(TARGET kelvory-wayland)
    install(TARGETS kelvory-wayland LIBRARY DESTINATION lib/games/kelvory)
  endif()
  install(FILES ${kelvory_linux}/kelvory.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES ${kelvory_linux}/org.kelvory.Kelvory.metainfo.xml
    DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
  foreach(size IN LISTS kelvory_icon_sizes)
    install(FILES ${kelvory_made}/icons/${size}x${size}/apps/kelvory.png
      DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
  endforeach()
  install(FILES ${kelvory_made}/kelvory.6.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
  install(FILES ${kelvory_linux}/copyright ${kelvory_made}/changelog.gz
    DESTINATION ${CMAKE_INSTALL_DOCDIR})

  set(CPACK_GENERATOR DEB)
  set(CPACK_PACKAGE_NAME kelvory)
  set(CPACK_PACKAGE_VENDOR "The Kelvory developers")
  set(CPACK_PACKAGE_CONTACT "The Kelvory developers <kelvory@example.org>")
  set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "small fishing toy on the top edge of the taskbar")
  set(CPACK_PACKAGE_DESCRIPTION [=[
An angler sits on the top edge of the taskbar beside a thin strip of blue
sea. Charge a cast on the little control panel at the left end of the
taskbar, strike when the float dips, and reel the fish in. Thirteen
species can be caught, a catch history counts them, and a certificate
waits for whoever catches them all.]=])
  set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
  set(CPACK_STRIP_FILES ON)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION games)
  set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
  # The libraries the program links, as dpkg-shlibdeps finds them; Qt's X11
  # platform plugin comes with libqt6gui6 among them.
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  # Japanese texts and Qt's own button captions in Japanese.
  set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-ipafont-gothic | fonts-japanese-gothic, qt6-translations-l10n")
  include(CPack)
elseif(TARGET kelvory AND WIN32)
  install(TARGETS kelvory RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

  # The per-user installer, made with NSIS (Debian's nsis makes it on Linux
  # too): cmake --build --preset windows --target installer
  find_program(KELVORY_MAKENSIS makensis)
  if(KELVORY_MAKENSIS)
    set(kelvory_nsi ${PROJECT_SOURCE_DIR}/packaging/windows/kelvory.nsi)
    set(kelvory_setup ${PROJECT_BINARY_DIR}/kelvory-${PROJECT_VERSION}-setup.exe)
    add_custom_command(OUTPUT ${kelvory_setup}
      COMMAND ${KELVORY_MAKENSIS} -V2 -INPUTCHARSET UTF8 -DVERSION=${PROJECT_VERSION}
        -DEXE=$<TARGET_FILE:kelvory> -DICON=${PROJECT_SOURCE_DIR}/src/platform/win32/kelvory.ico
        -DOUTFILE=${kelvory_setup} ${kelvory_nsi}
      DEPENDS kelvory ${kelvory_nsi} VERBATIM)
    add_custom_target(installer DEPENDS ${kelvory_setup})
  endif()
endif()
