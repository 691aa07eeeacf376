#!/usr/bin/env bash
# Installs, builds, makes sure a local Firebird server answers, prepares a demo
# database and config.ini on first use, then starts vestibar (on a virtual display
# when there is no real one).
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
server_env=$(bash scripts/firebird-up.sh --env)
eval "$server_env"

launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S . -B build -G Ninja "${launcher[@]}" -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j"$(nproc)" --target vestibar vestibar-prepare-demo

bin=build/src
if [ -n "${FIREBIRD:-}" ]; then
    # A private server of the scripts: the demo lives beside its files, in a
    # folder of the user the server runs as.
    demo_dir=$FIREBIRD/data
    server_user=$(stat -c %U "$FIREBIRD/lock")
    [ -d "$demo_dir" ] || install -d -o "$server_user" -g "$(id -gn "$server_user")" -m 0770 "$demo_dir"
else
    # The server writes the file itself, so it lives in the server's own data folder.
    demo_dir=/var/lib/firebird/3.0/data
fi
"$bin/vestibar-prepare-demo" "$bin" "$demo_dir/vestibar-demo.fdb" "$VESTIBAR_FIREBIRD_HOST"

echo "Sign in as admin, password kestu."
if [ -n "${DISPLAY:-}" ]; then
    exec "$bin/vestibar"
fi
echo "No display found: starting vestibar on a virtual X display (Xvfb)."
exec xvfb-run -a -s "-screen 0 1280x800x24" "$bin/vestibar"
