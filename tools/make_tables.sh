#!/bin/sh
# Regenerates the built-in zone and city tables under src/core/data/.
# Needs python3, tzdata (/usr/share/zoneinfo/zone.tab) and npm (fetches the city extract).
set -e
cd "$(dirname "$0")"
./make_zones.py
./make_cities.py
