#!/bin/sh
# Starts Tubrix from its data folder, which the game reads relative to its
# working directory. The prefix is found from where this script lies, so an
# installed tree can be moved as a whole.
here=$(dirname "$(readlink -f "$0")")
prefix=$(dirname "$here")
cd "$prefix/share/tubrix" || exit 1
exec "$prefix/lib/tubrix/tubrix"
