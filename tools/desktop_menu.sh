#!/bin/sh
# Adds the program to the current user's application menu, or takes it away,
# with no root: the files go where the freedesktop.org standards place a
# user's own programs, under $XDG_DATA_HOME (by default ~/.local/share).
#
#   desktop_menu.sh install <program folder> <folder the build gathered>
#   desktop_menu.sh uninstall
#
# install writes the menu entry (its command line: the program folder's
# executable, given the file to open), the icon in the hicolor theme (SVG and
# PNG sizes), the software-centre description and the file type of a
# collection, then refreshes the desktop database, the MIME database and the
# icon cache where those tools exist. Running it again, for instance after
# the program folder moved, rewrites the same files. uninstall removes those
# files and the folders install had to create, nothing else.
set -eu

ID=org.miniarca.MiniarcaPro
SIZES="16 32 48 64 128 256"
# What install created besides its files (folders, and the desktop
# database's cache where there was none) is kept in the entry itself, so that
# uninstall knows it without any other file of ours.
CREATED_KEY=X-Miniarca-Created
CACHE=applications/mimeinfo.cache
MIME_TYPE=application/x-miniarca-collection
# What update-mime-database generates in a mime folder besides the packages.
MIME_GENERATED="aliases generic-icons globs globs2 icons magic mime.cache subclasses treemagic types version XMLnamespaces"

data=${XDG_DATA_HOME:-}
case $data in
/*) ;;
*) data=$HOME/.local/share ;; # unset, empty or relative: the default
esac
entry=$data/applications/$ID.desktop

# Every file install writes, relative to the data folder.
installed_files() {
    echo "applications/$ID.desktop"
    echo "metainfo/$ID.metainfo.xml"
    echo "mime/packages/$ID.xml"
    echo "icons/hicolor/scalable/apps/$ID.svg"
    for size in $SIZES; do
        echo "icons/hicolor/${size}x$size/apps/$ID.png"
    done
}

# What an installed entry records as created, one a line.
recorded() {
    [ -f "$entry" ] || return 0
    sed -n "s/^$CREATED_KEY=//p" "$entry" | tr ';' '\n' | sed '/^$/d'
}

# Creates the folders a file needs, printing those that were missing: paths
# below the data folder, and for the data folder and its parents ".",
# "./..", "./../.." and so on.
make_folder() {
    folder=$1
    missing=""
    while [ ! -d "$data/$folder" ]; do
        missing="$folder
$missing"
        case $folder in */*) folder=${folder%/*} ;; *) break ;; esac
    done
    above=$data
    up=.
    while [ ! -d "$above" ]; do
        missing="$up
$missing"
        above=$(dirname "$above")
        up=$up/..
    done
    mkdir -p "$data/$1"
    printf '%s' "$missing"
}

# The path of a recorded folder.
folder_path() {
    case $1 in
    .*)
        path=$data
        rest=${1#.}
        while [ -n "$rest" ]; do
            path=$(dirname "$path")
            rest=${rest#/..}
        done
        printf '%s' "$path"
        ;;
    *) printf '%s' "$data/$1" ;;
    esac
}

refresh() {
    if command -v update-desktop-database >/dev/null 2>&1 && [ -d "$data/applications" ]; then
        update-desktop-database -q "$data/applications" || true
    fi
    # A database is built where there are packages, or rebuilt where one was
    # built before; none is made where there is nothing to describe.
    if command -v update-mime-database >/dev/null 2>&1 && [ -d "$data/mime/packages" ] \
        && { [ -n "$(ls -A "$data/mime/packages")" ] || [ -f "$data/mime/mime.cache" ]; }; then
        update-mime-database "$data/mime" >/dev/null 2>&1 || true
    fi
    theme=$data/icons/hicolor
    if [ -d "$theme" ]; then
        touch "$theme" # a new time tells icon loaders to look again
        # A cache that exists must follow; none is made where there was none.
        if [ -f "$theme/icon-theme.cache" ] && command -v gtk-update-icon-cache >/dev/null 2>&1; then
            gtk-update-icon-cache -q -f -t "$theme" || true
        fi
    fi
}

# A value for the entry's Exec key: the path as one quoted argument, then
# escaped as a string value of the entry.
exec_value() {
    quoted=$(printf '%s' "$1" | sed 's/[\\"`$]/\\&/g')
    printf '"%s"' "$quoted" | sed -e 's/\\/\\\\/g' -e 's/%/%%/g'
}

do_install() {
    program_dir=$1
    gathered=$2
    [ -d "$program_dir" ] || { echo "No program folder at $program_dir: run make install (or make run) first." >&2; exit 1; }
    program_dir=$(cd "$program_dir" && pwd)
    program=$program_dir/miniarca
    [ -x "$program" ] || { echo "No program at $program: run make install (or make run) first." >&2; exit 1; }
    case $program in
    *'
'*) echo "The program folder's path holds a line break; a menu entry cannot name it." >&2; exit 1 ;;
    esac
    for f in "$ID.desktop.in" "$ID.metainfo.xml" "$ID.mime.xml" $(installed_files | grep '^icons/'); do
        [ -f "$gathered/$f" ] || { echo "Missing $gathered/$f: build the program first." >&2; exit 1; }
    done

    created=$(recorded)
    for file in $(installed_files); do
        created="$created
$(make_folder "${file%/*}")"
    done
    if [ ! -f "$data/$CACHE" ] && command -v update-desktop-database >/dev/null 2>&1; then
        created="$created
$CACHE"
    fi
    created=$(printf '%s\n' "$created" | sed '/^$/d' | LC_ALL=C sort -u | tr '\n' ';')

    # Written beside the target and moved over it: a reader never sees half a file.
    put() { # source target
        cp "$1" "$data/$2.new.$$"
        chmod 644 "$data/$2.new.$$"
        mv -f "$data/$2.new.$$" "$data/$2"
    }
    put "$gathered/$ID.metainfo.xml" "metainfo/$ID.metainfo.xml"
    put "$gathered/$ID.mime.xml" "mime/packages/$ID.xml"
    put "$gathered/icons/hicolor/scalable/apps/$ID.svg" "icons/hicolor/scalable/apps/$ID.svg"
    for size in $SIZES; do
        png=icons/hicolor/${size}x$size/apps/$ID.png
        put "$gathered/$png" "$png"
    done
    # TryExec is a plain string, so only its backslashes are escaped.
    EXEC=$(exec_value "$program") TRYEXEC=$(printf '%s' "$program" | sed 's/\\/\\\\/g') CREATED=$created \
        awk -v key="$CREATED_KEY" '
            $0 == "Exec=@EXEC@" { print "Exec=" ENVIRON["EXEC"] " %f"; next }
            $0 == "TryExec=@TRYEXEC@" { print "TryExec=" ENVIRON["TRYEXEC"]; next }
            { print }
            END { if (ENVIRON["CREATED"] != "") print key "=" ENVIRON["CREATED"] }
        ' "$gathered/$ID.desktop.in" >"$entry.new.$$"
    chmod 644 "$entry.new.$$"
    mv -f "$entry.new.$$" "$entry"

    refresh
    echo "Miniarca Pro is in the application menu; it starts $program"
}

do_uninstall() {
    created=$(recorded)
    for file in $(installed_files); do
        rm -f "$data/$file"
    done
    # A MIME database that install brought about and that now holds no
    # package goes with its generated files; one that still describes other
    # types is rebuilt without ours by refresh.
    if printf '%s\n' "$created" | grep -qx mime && [ -d "$data/mime" ] \
        && [ -z "$(ls -A "$data/mime/packages" 2>/dev/null)" ]; then
        for file in $MIME_GENERATED; do
            rm -f "$data/mime/$file"
        done
        rm -f "$data/mime/$MIME_TYPE.xml"
        rmdir "$data/mime/${MIME_TYPE%/*}" 2>/dev/null || true
    fi
    refresh
    # The desktop database's cache that install brought about goes too, once
    # it names no file type.
    if printf '%s\n' "$created" | grep -qx "$CACHE" && [ -f "$data/$CACHE" ] \
        && ! grep -qv -e '^\[MIME Cache\]$' -e '^$' "$data/$CACHE"; then
        rm -f "$data/$CACHE"
    fi
    # Deepest first, then the data folder and its parents upwards; a folder
    # that meanwhile holds something else stays.
    {
        printf '%s\n' "$created" | grep -v -e '^\.' -e "^$CACHE\$" | LC_ALL=C sort -r
        printf '%s\n' "$created" | grep '^\.' | LC_ALL=C sort
    } | while read -r folder; do
        [ -n "$folder" ] && rmdir "$(folder_path "$folder")" 2>/dev/null || true
    done
    echo "Miniarca Pro is no longer in the application menu."
}

case ${1:-} in
install)
    [ $# -eq 3 ] || { echo "usage: $0 install <program folder> <gathered files>" >&2; exit 2; }
    do_install "$2" "$3"
    ;;
uninstall)
    do_uninstall
    ;;
*)
    echo "usage: $0 install <program folder> <gathered files> | uninstall" >&2
    exit 2
    ;;
esac
