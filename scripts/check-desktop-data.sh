#!/bin/sh
# The menu entries and the AppStream data, checked the way desktops and
# software centres check them. Any remark fails, hints included: a software
# centre quietly leaves out what it finds fault with.
#
#   scripts/check-desktop-data.sh FOLDER      (the folder holding them)
set -u
folder=${1:?which folder}
failed=0

for entry in "$folder"/*.desktop; do
    remarks=$(desktop-file-validate "$entry" 2>&1) || failed=1
    if [ -n "$remarks" ]; then echo "$remarks"; failed=1; fi
done

for metainfo in "$folder"/*.metainfo.xml; do
    if ! remarks=$(appstreamcli validate --no-net "$metainfo" 2>&1) ||
        printf '%s\n' "$remarks" | grep -q '^[EWI]: '; then
        printf '%s\n' "$remarks"
        failed=1
    fi
done

exit "$failed"
