#!/usr/bin/env bash
# A CUPS of its own for the printing tests: its own socket, configuration,
# spool and log in one folder, and a cups-pdf queue that writes its PDF files
# into that folder's "out". Nothing of the machine's own CUPS is used or
# changed; cups-pdf's configuration is swapped for the folder's own only in a
# mount namespace of the private cupsd.
#
#   private-cups.sh serve DIR        runs cupsd in the foreground (until killed)
#   private-cups.sh queue DIR NAME   adds the cups-pdf queue NAME, accepting jobs
#
# The socket is DIR/cups.sock: CUPS_SERVER=DIR/cups.sock lp ..., or lpadmin -h.
# Needs root (cups-pdf runs only as root), cups and printer-driver-cups-pdf.
set -euo pipefail

command=${1:?serve or queue}
dir=$(cd "${2:?folder}" && pwd)
socket=$dir/cups.sock

fail() {
    echo "$*" >&2
    exit 1
}

running() {
    [[ -S $socket ]] && lpstat -h "$socket" -r 2>/dev/null | grep -q "scheduler is running"
}

case $command in
serve)
    [[ $(id -u) == 0 ]] || fail "not root: cups-pdf runs only as root"
    [[ -x /usr/sbin/cupsd ]] || fail "cupsd is not installed (package cups)"
    [[ -x /usr/lib/cups/backend/cups-pdf ]] ||
        fail "cups-pdf is not installed (package printer-driver-cups-pdf)"
    [[ -f /etc/cups/cups-pdf.conf ]] || fail "/etc/cups/cups-pdf.conf is missing"
    command -v unshare >/dev/null || fail "unshare is missing (package util-linux)"
    # The filters run as the user lp and must reach the spool.
    chmod 755 "$dir"
    mkdir -p "$dir"/{root,spool,tmp,cache,state,log,out,pdfspool}
    chmod 1777 "$dir/out" "$dir/tmp"
    cat >"$dir/cupsd.conf" <<CONF
Listen $socket
Browsing Off
WebInterface No
LogLevel warn
DefaultPolicy private
<Policy private>
  JobPrivateAccess all
  JobPrivateValues none
  SubscriptionPrivateAccess all
  SubscriptionPrivateValues none
  <Limit All>
    Order deny,allow
  </Limit>
</Policy>
<Location />
  Order allow,deny
  Allow all
</Location>
CONF
    cat >"$dir/cups-files.conf" <<CONF
ServerRoot $dir/root
RequestRoot $dir/spool
TempDir $dir/tmp
CacheDir $dir/cache
StateDir $dir/state
ErrorLog $dir/log/error_log
AccessLog $dir/log/access_log
PageLog $dir/log/page_log
FileDevice No
CONF
    # Each job gets a file of its own: job_N-title.pdf.
    cat >"$dir/cups-pdf.conf" <<CONF
Out $dir/out
AnonDirName $dir/out
Spool $dir/pdfspool
Log $dir/log
GSTmp $dir/tmp
Grp lp
Label 1
LogType 1
UserUMask 0022
AnonUMask 0000
CONF
    exec unshare --mount --propagation private -- /bin/sh -c \
        'mount --bind "$1" /etc/cups/cups-pdf.conf && exec /usr/sbin/cupsd -f -c "$2" -s "$3"' \
        sh "$dir/cups-pdf.conf" "$dir/cupsd.conf" "$dir/cups-files.conf"
    ;;
queue)
    name=${3:?queue name}
    # The server answers once its socket is up.
    for _ in $(seq 100); do
        running && break
        sleep 0.05
    done
    running || fail "the private cupsd does not answer on $socket"
    lpadmin -h "$socket" -p "$name" -E -v cups-pdf:/ \
        -P /usr/share/ppd/cups-pdf/CUPS-PDF_noopt.ppd 2>/dev/null ||
        fail "lpadmin could not add the queue $name"
    ;;
*)
    fail "unknown command $command"
    ;;
esac
