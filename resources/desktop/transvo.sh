#!/bin/sh
# Starts an installed Transvo. The work files (config.xml, orderkop.txt, dtbs.xml, ...) go to
# $AppData/VARO; where the desktop does not set AppData, that is the user's configuration folder
# ($XDG_CONFIG_HOME, by default ~/.config), never the installed program folder the user cannot
# write.
if [ -z "${AppData:-}" ]; then
    AppData=${XDG_CONFIG_HOME:-$HOME/.config}
    export AppData
fi
mkdir -p "$AppData" 2>/dev/null
here=$(dirname "$(readlink -f "$0")")
exec "$here/../lib/transvo/transvo" "$@"
