#!/bin/sh
# Starts Tubrix from its data folder, which the game reads relative to its
# working directory. The prefix is found from where this script lies, so an
# installed tree can be moved as a whole.
here=$(dirname "$(readlink -f "$0")")
prefix=$(dirname "$here")
# A replay named relative to the folder the game was started from must still
# be found from the data folder: it is made absolute before the move.
after_replay=0
for arg do
    shift
    if [ "$after_replay" = 1 ]; then
        case $arg in
        /*) ;;
        *) arg="$PWD/$arg" ;;
        esac
    fi
    after_replay=0
    [ "$arg" = --replay ] && after_replay=1
    set -- "$@" "$arg"
done
cd "$prefix/share/tubrix" || exit 1
exec "$prefix/lib/tubrix/tubrix" "$@"
