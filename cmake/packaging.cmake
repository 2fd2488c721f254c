# The Debian package: `cpack -G DEB` in the release build folder. Its dependencies are what
# dpkg-shlibdeps finds the executable linked against, plus the Qt platform plugins (the window
# and the batch mode's offscreen platform are plugins no library links) and the Liberation fonts
# the overlay measures its Arial text with (version 2 is fonts-liberation2 on Debian 12, fonts-liberation
# on Debian 13, where the other name is a transitional package).
set(CPACK_PACKAGE_NAME brimholt-tavelon)
set(CPACK_PACKAGE_VENDOR "Brimholt")
set(CPACK_PACKAGE_CONTACT "${TAVELON_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "turn folders of still frames into AVI or MP4 videos")
set(CPACK_PACKAGE_DESCRIPTION [=[
Brimholt Tavelon makes videos of stop-motion and time-lapse clips. A clip
is a folder of BMP or JPEG frames; the program lists the clips, previews a
clip frame by frame or plays it forwards, backwards or forwards and back,
deletes single frames, and writes the clip as an AVI or MP4 video at a preset
frame size (VCD to Full-HD) with a chosen compressor, optionally with a
text box burnt into every frame. A batch mode makes the videos from the
command line. The texts are German or English.]=])
set(CPACK_PACKAGE_INSTALL_DIRECTORY brimholt-tavelon)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE ${TAVELON_DEBIAN_RELEASE})
set(CPACK_DEBIAN_PACKAGE_SECTION video)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, fonts-liberation2 | fonts-liberation")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${TAVELON_HOMEPAGE}")

include(CPack)
