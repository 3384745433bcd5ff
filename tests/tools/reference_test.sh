#!/bin/sh
# reference_test.sh MANPAGE COMPLETION: the manual page sets without a roff
# warning, and the completion offers the commands and, after a command, the
# options that command takes and no other.
set -eu
warnings=$(groff -man -ww -z "$1" 2>&1)
[ -z "$warnings" ] || { echo "$warnings"; exit 1; }
bash -c '
. "$1"
offered() { COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1)); COMPREPLY=(); _commoncfg; echo "${COMPREPLY[*]}"; }
check() { [ "$1" = "$2" ] || { echo "offered \"$1\", expected \"$2\""; exit 1; }; }
check "$(offered commoncfg de)" "del"
check "$(offered commoncfg --json va)" "validate"
check "$(offered commoncfg set --d)" "--dry-run"
check "$(offered commoncfg get --d)" ""
check "$(offered commoncfg show --format=s)" "setup"
' sh "$2"
