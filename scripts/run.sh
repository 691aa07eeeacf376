#!/usr/bin/env bash
# Installs, builds, starts the local Firebird server, prepares a demo database and
# config.ini on first use, then starts vestibar (on a virtual display when there
# is no real one).
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
bash scripts/firebird-up.sh

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j"$(nproc)" --target vestibar vestibar-prepare-demo

bin=build/src
# The server writes the file itself, so it lives in the server's own data folder.
demo_db=/var/lib/firebird/3.0/data/vestibar-demo.fdb
"$bin/vestibar-prepare-demo" "$bin" "$demo_db"

echo "Sign in as admin, password kestu."
if [ -n "${DISPLAY:-}" ]; then
    exec "$bin/vestibar"
fi
echo "No display found: starting vestibar on a virtual X display (Xvfb)."
exec xvfb-run -a -s "-screen 0 1280x800x24" "$bin/vestibar"
