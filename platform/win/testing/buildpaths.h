// Paths of this clone and build folder that the test programs use. The build writes their
// values into a unit of each program's own (qel_add_build_paths in cmake/QelTargets.cmake),
// so that no other unit carries a path and a compile cache serves clones in any folder.
// A program that uses a path it was not given fails to link.
#pragma once

// The source tree, for the inputs in testdata/ (every test program).
extern const char kQelSourceDir[];

// The scene player of the owner-drawn list (qellisttreescene_tests).
extern const char kListTreePaint[];

// The second module with resource tables of its own (qelwin_tests).
extern const char kQelWinTestModulePath[];
// A program on this layer that serves DDE, or runs without a message loop (qelwin_dde_tests).
extern const char kQelDdePeerPath[];

// The COM library and the small in-process server built for its tests (qelcom_tests).
extern const char kQelComLibraryPath[];
extern const char kQelComTestServerPath[];

// libKorvex.so, the in-process server that the host loads (korvex_server_tests).
extern const char kQelKorvexLibraryPath[];

// libTalvix.so, the symbol window controls' server (talvix_controls_tests).
extern const char kQelTalvixLibraryPath[];

// A library with a DllGetVersion and a version resource of its own (brennet_tests).
extern const char kBrennetDllVersionLibraryPath[];
