#!/usr/bin/env bash
# pip installs travimo into a fresh venv that sees Debian's NumPy, then the
# installed package reads the simulator and parses a transfer.
set -euo pipefail
cd "$(dirname "$0")/../.."

# The flags scripts/package builds with, so ccache serves its objects again.
CXXFLAGS="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)"
LDFLAGS="$(dpkg-buildflags --get LDFLAGS)"
export CXXFLAGS LDFLAGS

venv=$(mktemp -d)
trap 'rm -rf "$venv"' EXIT
# Debian's interpreter: its NumPy, setuptools and wheel are the ones at hand.
/usr/bin/python3 -m venv --system-site-packages "$venv"
"$venv/bin/pip" install --quiet --no-build-isolation --no-index .
cd "$venv"
"$venv/bin/python" - <<'PY'
import travimo

assert travimo.__file__.startswith(__import__("sys").prefix), travimo.__file__
package = __import__("pathlib").Path(travimo.__file__).parent
assert (package / "__init__.pyi").exists() and (package / "py.typed").exists(), "no type stubs"
with travimo.Simulator(type="ostrel", scans=2) as sim:
    records = travimo.read(device=sim.device, type="ostrel")
assert (records.instrument, len(records)) == ("Ostrel", 2), (records.instrument, len(records))

transfer = travimo.sample_transfer("lorvex", 3, 16)
with open("lorvex.dat", "wb") as file:
    file.write(transfer)
parsed = travimo.parse_file("lorvex.dat")
assert (parsed.instrument, len(parsed)) == ("Lorvex", 3), (parsed.instrument, len(parsed))
print("pip: travimo", travimo.__file__, "reads and parses")
PY
