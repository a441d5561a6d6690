#!/bin/sh
# Runs a test program in a network namespace of its own, with only a loopback
# interface: the tests' servers may take port 80 on any 127.0.0.x without
# being root and without meeting whatever else holds those ports on the
# machine. ctest starts every test binary through this script.
#   private_network.sh [--x11] PROGRAM [ARGS...]
# --x11 also gives the test a mount namespace with an empty /tmp/.X11-unix,
# so an X server it starts neither meets nor disturbs the machine's displays.
#
# An ordinary user gets the namespaces through a user namespace in which it
# is root (unshare --user --map-root-user); root without user namespaces
# (some containers) falls back to plain unshare. If neither works the test
# fails: these tests are never skipped.
set -eu

x11=false
if [ "${1:-}" = "--x11" ]; then x11=true; shift; fi

# Inside: bring loopback up (a new namespace starts with it down), then run.
inside='
  PATH=$PATH:/usr/sbin:/sbin
  ip link set lo up || { echo "private_network: cannot bring lo up" >&2; exit 97; }
  if [ "$1" = true ]; then
    mkdir -p /tmp/.X11-unix 2>/dev/null || true
    mount -t tmpfs -o mode=1777 tmpfs /tmp/.X11-unix || { echo "private_network: cannot mount /tmp/.X11-unix" >&2; exit 97; }
  fi
  shift
  exec "$@"'

namespaces="--net"
if $x11; then namespaces="--net --mount"; fi

# shellcheck disable=SC2086
if unshare --user --map-root-user $namespaces true 2>/dev/null; then
  exec unshare --user --map-root-user $namespaces sh -c "$inside" private-network "$x11" "$@"
elif [ "$(id -u)" -eq 0 ] && unshare $namespaces true 2>/dev/null; then
  exec unshare $namespaces sh -c "$inside" private-network "$x11" "$@"
fi
echo "private_network: cannot make a network namespace here (user namespaces disabled?" \
     "see kernel.unprivileged_userns_clone / user.max_user_namespaces)" >&2
exit 97
