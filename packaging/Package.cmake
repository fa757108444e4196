# `make package` (cpack): a Debian package of the install tree under /usr. Its dependencies are
# the libraries dpkg-shlibdeps finds in the binary, a General MIDI SoundFont for the notes and
# the fonts the windows are drawn with.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tonvexa)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Tonvexa developers")
# A package's Maintainer field must hold a mail address, and Tonvexa has no public one: the
# reserved .invalid domain says so and reaches no one (the README says how to report a fault).
set(CPACK_PACKAGE_CONTACT "The Tonvexa developers <dev@tonvexa.invalid>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
set(CPACK_DEBIAN_PACKAGE_SECTION education)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS
  "timgm6mb-soundfont | sf2-soundfont-gm, fonts-liberation, fonts-dejavu-core")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "see how the Fourier transform analyses sound
Tonvexa teaches how the Fourier transform analyses sound. Open a wave file
and see its waveform, select a stretch with the mouse and transform it with
an FFT; the magnitude spectrum is drawn on a logarithmic axis laid out like
a piano keyboard, so every peak reads as a note and an octave.
.
A peak can be marked and a comb of harmonic markers dragged over the
spectrum; the file or the selection plays with a running cursor; an
on-screen keyboard plays notes in fifteen General MIDI instruments, and the
selection can be compared by ear with the note of the marked peak.")
include(CPack)
