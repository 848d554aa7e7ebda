#!/usr/bin/env bash
# A run of scripts/setup.sh on a machine where everything is installed must
# install nothing: it must not reach apt-get or sudo, print nothing and end
# with 0. apt-get and sudo are replaced by stand-ins that record the call and
# fail, so a listed package that never reads as installed (a virtual name)
# makes this test fail instead of needing the network.
set -u
setup=${1:?usage: setup_test.sh path/to/setup.sh}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/bin"
for tool in apt-get apt sudo; do
  cat > "$work/bin/$tool" <<STUB
#!/bin/sh
echo "$tool \$*" >> "$work/calls"
exit 1
STUB
  chmod +x "$work/bin/$tool"
done

PATH="$work/bin:$PATH" bash "$setup" > "$work/out" 2>&1
rc=$?
fail=0
if [ "$rc" -ne 0 ]; then echo "setup.sh exited with $rc"; fail=1; fi
if [ -s "$work/out" ]; then echo "setup.sh printed:"; cat "$work/out"; fail=1; fi
if [ -s "$work/calls" ]; then echo "setup.sh called:"; cat "$work/calls"; fail=1; fi
exit $fail
