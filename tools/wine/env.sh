# Sourced by the Wine scripts: the environment every Wine call of the project runs with.
# WINEPREFIX must be set by the caller.
export WINEARCH=win64
export WINEDEBUG=-all
# No .NET or HTML engine: nothing here uses them, and Wine would otherwise ask to install them.
export WINEDLLOVERRIDES="mscoree,mshtml="
# The 64-bit loader, named directly: Debian's `wine` script prefers the 32-bit loader whenever it
# is installed, and a machine that cannot execute 32-bit code then runs nothing at all.
export WINELOADER=/usr/lib/wine/wine64
WINE=$WINELOADER
# The Unix path that COM1 of the prefix opens; the UPS simulator makes it a link to its pty.
export ORVIK_COM1_LINK="$WINEPREFIX/ups-com1"
source "$(dirname "${BASH_SOURCE[0]}")/env_check.sh"
