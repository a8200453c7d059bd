# Services the tests use, started by ./test before the tests and stopped afterwards.
#
# A private CUPS server: its own configuration, spool, logs and socket in a temporary folder, so
# the machine's printers and its system cupsd are never touched. CUPS_SERVER points libcups and
# the CUPS commands at it; HOME is a private folder too, so ~/.cups/lpoptions is the tests' own.
# Queues (each writes what the filter chain produced into QORPRT_TEST_OUT/NAME.out):
#   qorprt-ps   generic PostScript (Default, Upper, Manual input slots; duplexer installed)
#   qorprt-pcl  generic PCL (seven input slots; duplexer installed)
#   qorprt-ps2  generic PostScript, deleted by the tests to check a vanished printer
#   qorprt-tray generic PostScript whose Cassette slot is the lower tray (bins 7, 2, 4: no bin 1)
#   qorprt-ipp  driverless (lpadmin -m everywhere) on CUPS's IPP Everywhere printer ippeveprinter,
#               listening on loopback only; it keeps every document it receives in
#               QORPRT_TEST_IPP_SPOOL. ippeveprinter needs DNS-SD: the system D-Bus and
#               avahi-daemon are started when they do not run yet (and stopped again only then).
#               Without them the queue is missing and its tests skip.
#
# A small file system (a 2 MiB tmpfs, QORPRT_TEST_SMALL_FS) for the tests of a full temporary
# folder; mounting needs root, without it those tests skip.

QORPRT_TEST_QUEUES=(qorprt-ps qorprt-pcl qorprt-ps2 qorprt-tray)

qorprt_cups_log() { echo "test-services: $*" >&2; }

# A queue of the private cupsd writing into the output folder, with a PPD that comes with CUPS.
qorprt_add_queue() {
    lpadmin -p "$1" -E -v "file://$QORPRT_TEST_OUT/$1.out" -m "drv:///sample.drv/$2" \
        -o Option1=True 2>&1 | { grep -v 'drivers are deprecated' >&2 || true; }
    lpstat -v "$1" >/dev/null 2>&1
}

# qorprt-tray: the PostScript queue's PPD with its "Upper" input slot named "Lower".
qorprt_add_tray_queue() {
    sed 's/InputSlot Upper\//InputSlot Lower\//' "$QORPRT_TEST_ROOT/etc/ppd/qorprt-ps.ppd" \
        >"$QORPRT_TEST_ROOT/tray.ppd" &&
        lpadmin -p qorprt-tray -E -v "file://$QORPRT_TEST_OUT/qorprt-tray.out" \
            -P "$QORPRT_TEST_ROOT/tray.ppd" -o Option1=True &&
        lpstat -v qorprt-tray >/dev/null 2>&1
}

# Starts what ippeveprinter needs and ippeveprinter itself, and adds its queue. Quiet failure:
# the queue's tests skip without it.
qorprt_start_ipp_printer() {
    command -v ippeveprinter >/dev/null 2>&1 || { qorprt_cups_log "no ippeveprinter"; return 1; }
    local root=$QORPRT_TEST_ROOT i
    if ! dbus-send --system --dest=org.freedesktop.DBus --print-reply /org/freedesktop/DBus \
        org.freedesktop.DBus.GetId >/dev/null 2>&1 && command -v dbus-daemon >/dev/null 2>&1; then
        # A socket nobody answers on is left over from a bus that died.
        mkdir -p /run/dbus 2>/dev/null
        rm -f /run/dbus/system_bus_socket /run/dbus/pid
        QORPRT_DBUS_PID=$(dbus-daemon --system --fork --print-pid 2>/dev/null | head -1) ||
            QORPRT_DBUS_PID=
        export QORPRT_DBUS_PID
    fi
    if command -v avahi-daemon >/dev/null 2>&1 && ! avahi-daemon --check 2>/dev/null; then
        avahi-daemon --daemonize --no-chroot 2>/dev/null && export QORPRT_AVAHI_STARTED=1
        for i in $(seq 1 50); do
            avahi-daemon --check 2>/dev/null && break
            sleep 0.1
        done
    fi
    avahi-daemon --check 2>/dev/null || { qorprt_cups_log "no avahi-daemon"; return 1; }
    mkdir -p "$root/ipp-spool"
    chmod 0777 "$root/ipp-spool"
    # A port on loopback that nobody uses: another one when it is taken.
    local port try up=0
    for try in 1 2 3 4 5; do
        port=$((20000 + RANDOM % 20000))
        ippeveprinter -n localhost -p "$port" -k -d "$root/ipp-spool" \
            -f application/pdf,image/pwg-raster "QorPrt IPP $$" >"$root/log/ippeveprinter.out" 2>&1 &
        QORPRT_IPP_PID=$!
        export QORPRT_IPP_PID
        for i in $(seq 1 100); do
            ipptool -q "ipp://localhost:$port/ipp/print" get-printer-attributes.test 2>/dev/null &&
                up=1 && break
            kill -0 "$QORPRT_IPP_PID" 2>/dev/null || break
            sleep 0.1
        done
        [ $up = 1 ] && break
        kill "$QORPRT_IPP_PID" 2>/dev/null
        wait "$QORPRT_IPP_PID" 2>/dev/null
        unset QORPRT_IPP_PID
    done
    [ $up = 1 ] || { qorprt_cups_log "ippeveprinter did not start"; return 1; }
    lpadmin -p qorprt-ipp -E -v "ipp://localhost:$port/ipp/print" -m everywhere 2>&1 |
        { grep -v 'deprecated' >&2 || true; }
    lpstat -v qorprt-ipp >/dev/null 2>&1 || { qorprt_cups_log "no driverless queue"; return 1; }
    export QORPRT_TEST_IPP_SPOOL="$root/ipp-spool"
}

start_test_services() {
    if [ ! -x /usr/sbin/cupsd ]; then
        qorprt_cups_log "cupsd not installed; integration tests will be skipped"
        return 0
    fi
    QORPRT_TEST_ROOT=$(mktemp -d /tmp/qorprt-cups.XXXXXX)
    chmod 0755 "$QORPRT_TEST_ROOT"
    local root=$QORPRT_TEST_ROOT
    mkdir -p "$root/etc/ppd" "$root/spool/tmp" "$root/cache" "$root/state" "$root/log" \
        "$root/out" "$root/home"
    # Filters run as lp: they must reach the spool and the output folder.
    chown -R lp:lp "$root/spool" "$root/cache" "$root/out" 2>/dev/null || true
    chmod 0777 "$root/out"
    chmod 0710 "$root/spool"
    chmod 1777 "$root/spool/tmp"

    cat >"$root/etc/cups-files.conf" <<EOF
ServerRoot $root/etc
RequestRoot $root/spool
TempDir $root/spool/tmp
CacheDir $root/cache
StateDir $root/state
ErrorLog $root/log/error_log
AccessLog $root/log/access_log
PageLog $root/log/page_log
FileDevice Yes
SystemGroup root
User lp
Group lp
EOF
    cat >"$root/etc/cupsd.conf" <<EOF
Listen $root/cups.sock
Browsing No
BrowseLocalProtocols none
DefaultAuthType None
LogLevel warn
WebInterface No
MaxJobs 0
PreserveJobHistory On
PreserveJobFiles No
<Location />
  Order allow,deny
  Allow all
</Location>
<Location /admin>
  Order allow,deny
  Allow all
</Location>
<Policy default>
  JobPrivateAccess default
  JobPrivateValues default
  SubscriptionPrivateAccess default
  SubscriptionPrivateValues default
  <Limit All>
    Order deny,allow
  </Limit>
</Policy>
EOF
    /usr/sbin/cupsd -f -c "$root/etc/cupsd.conf" -s "$root/etc/cups-files.conf" \
        >"$root/log/cupsd.out" 2>&1 &
    QORPRT_CUPSD_PID=$!
    export QORPRT_TEST_ROOT QORPRT_CUPSD_PID
    export CUPS_SERVER="$root/cups.sock"
    export QORPRT_TEST_OUT="$root/out"
    export QORPRT_TEST_HOME="$root/home"
    # The tests' own HOME: ~/.cups/lpoptions and the per-user settings files stay private.
    QORPRT_SAVED_HOME=$HOME
    QORPRT_SAVED_XDG_CONFIG_HOME=${XDG_CONFIG_HOME-unset}
    export HOME="$root/home"
    export XDG_CONFIG_HOME="$root/home/.config"

    local i
    for i in $(seq 1 100); do
        [ -S "$root/cups.sock" ] && lpstat -r >/dev/null 2>&1 && break
        if ! kill -0 "$QORPRT_CUPSD_PID" 2>/dev/null; then
            qorprt_cups_log "cupsd did not start:"
            cat "$root/log/cupsd.out" "$root/log/error_log" >&2 2>/dev/null || true
            stop_test_services
            return 0
        fi
        sleep 0.1
    done

    # Option1: the duplexer is installed (without it the PPDs forbid duplex).
    if ! qorprt_add_queue qorprt-ps generic.ppd || ! qorprt_add_queue qorprt-pcl generpcl.ppd ||
        ! qorprt_add_queue qorprt-ps2 generic.ppd || ! qorprt_add_tray_queue ||
        ! lpadmin -d qorprt-ps; then
        qorprt_cups_log "could not create the test queues"
        stop_test_services
        return 0
    fi

    local q ok
    for i in $(seq 1 100); do
        ok=1
        for q in "${QORPRT_TEST_QUEUES[@]}"; do
            lpstat -a "$q" 2>/dev/null | grep -q 'accepting requests' || ok=0
        done
        [ $ok = 1 ] && break
        sleep 0.1
    done
    [ $ok = 1 ] || qorprt_cups_log "queues not accepting jobs"
    qorprt_start_ipp_printer || qorprt_cups_log "driverless queue tests will be skipped"

    mkdir -p "$root/small"
    if mount -t tmpfs -o size=2m,mode=1777 qorprt-small "$root/small" 2>/dev/null; then
        export QORPRT_TEST_SMALL_FS="$root/small"
    else
        qorprt_cups_log "no small file system (needs root); full-folder tests will be skipped"
    fi
    qorprt_cups_log "cupsd $QORPRT_CUPSD_PID on $CUPS_SERVER"
}

stop_test_services() {
    if [ -n "${QORPRT_IPP_PID:-}" ]; then
        kill "$QORPRT_IPP_PID" 2>/dev/null || true
        wait "$QORPRT_IPP_PID" 2>/dev/null || true
        unset QORPRT_IPP_PID QORPRT_TEST_IPP_SPOOL
    fi
    if [ -n "${QORPRT_AVAHI_STARTED:-}" ]; then
        avahi-daemon --kill 2>/dev/null || true
        unset QORPRT_AVAHI_STARTED
    fi
    if [ -n "${QORPRT_DBUS_PID:-}" ]; then
        kill "$QORPRT_DBUS_PID" 2>/dev/null || true
        rm -f /run/dbus/pid /run/dbus/system_bus_socket
        unset QORPRT_DBUS_PID
    fi
    if [ -n "${QORPRT_CUPSD_PID:-}" ]; then
        local i
        kill "$QORPRT_CUPSD_PID" 2>/dev/null || true
        for i in $(seq 1 50); do
            kill -0 "$QORPRT_CUPSD_PID" 2>/dev/null || break
            sleep 0.1
        done
        kill -KILL "$QORPRT_CUPSD_PID" 2>/dev/null || true
        wait "$QORPRT_CUPSD_PID" 2>/dev/null || true
        unset QORPRT_CUPSD_PID
    fi
    if [ -n "${QORPRT_SAVED_HOME:-}" ]; then
        export HOME=$QORPRT_SAVED_HOME
        if [ "$QORPRT_SAVED_XDG_CONFIG_HOME" = unset ]; then
            unset XDG_CONFIG_HOME
        else
            export XDG_CONFIG_HOME=$QORPRT_SAVED_XDG_CONFIG_HOME
        fi
        unset QORPRT_SAVED_HOME QORPRT_SAVED_XDG_CONFIG_HOME
    fi
    if [ -n "${QORPRT_TEST_SMALL_FS:-}" ]; then
        umount "$QORPRT_TEST_SMALL_FS" 2>/dev/null || umount -l "$QORPRT_TEST_SMALL_FS" || true
        unset QORPRT_TEST_SMALL_FS
    fi
    if [ -n "${QORPRT_TEST_ROOT:-}" ] && [ -d "$QORPRT_TEST_ROOT" ]; then
        rm -rf "$QORPRT_TEST_ROOT"
        unset QORPRT_TEST_ROOT
    fi
    unset CUPS_SERVER QORPRT_TEST_OUT QORPRT_TEST_HOME
}
