# What the packages ship, one list for scripts/package, the package tests and
# the reproducibility check. Sourced, not run.
#   SHIPPED_PROGRAMS  the programs and the library, side by side in the
#                     install folder (README.txt and camera-sim\NvUSB.dll
#                     come with them)
#   SHIPPED_TARGETS   the CMake targets that build them and the simulated camera
#   SHIPPED_DOCK      1 when the dock window is among them
# The dock window ships once its sources are in the tree; from then on a
# package without it is an error.

SHIPPED_PROGRAMS=(Orvane.exe orvanectl.exe Telvix.dll)
SHIPPED_TARGETS=(Orvane orvanectl Telvix NvUSB)
SHIPPED_DOCK=0
if [ -f "$(dirname "${BASH_SOURCE[0]}")/../../dock/CMakeLists.txt" ]; then
  SHIPPED_PROGRAMS+=(OrvaneDock.exe)
  SHIPPED_TARGETS+=(OrvaneDock)
  SHIPPED_DOCK=1
fi
