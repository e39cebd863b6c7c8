#!/bin/bash
# make test-kernel: boots the test VM (tools/usb-gadget-vm) once and runs tests/kernel/checks.sh
# in it against the binaries of BUILD_DIR. The first run on a machine installs QEMU and fetches
# Debian's kernel package (about 70 MB) into ~/.cache/usb-gadget-vm; later runs use that cache.
#   tools/test-kernel.sh BUILD_DIR
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "$1" && pwd)
job=$(mktemp /tmp/q840-kernel-job.XXXXXX)
trap 'rm -f "$job"' EXIT
echo "bash '$root/tests/kernel/checks.sh' '$build'" >"$job"
start=$SECONDS
# The checks start the program three times; under TCG on a busy machine each start takes up to
# two minutes, so the run may take longer than the VM's default ten.
export VM_TIMEOUT=${VM_TIMEOUT:-1200}
"$root/tools/usb-gadget-vm/vm" setup
set +e
"$root/tools/usb-gadget-vm/vm" run "$job"
rc=$?
set -e
echo "test-kernel: the VM run took $((SECONDS - start)) s, exit $rc"
exit $rc
