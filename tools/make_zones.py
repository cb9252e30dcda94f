#!/usr/bin/env python3
"""Writes src/core/data/zones.tsv from the tz database's zone.tab.

Each row: identifier, latitude, longitude, country code, comment (TAB-separated),
coordinates in decimal degrees with four decimals, rows sorted by identifier in
code-point order, no final newline.

usage: tools/make_zones.py [ZONE_TAB] [OUTPUT]
"""
import re
import sys
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
DEFAULT_IN = Path("/usr/share/zoneinfo/zone.tab")
DEFAULT_OUT = ROOT / "src" / "core" / "data" / "zones.tsv"

# ±DDMM[SS]±DDDMM[SS]
COORDINATES = re.compile(r"^([+-])(\d{2})(\d{2})(\d{2})?([+-])(\d{3})(\d{2})(\d{2})?$")


def degrees(sign, d, m, s):
    value = int(d) + int(m) / 60 + (int(s) if s else 0) / 3600
    return -value if sign == "-" else value


def convert(text):
    rows = []
    for number, line in enumerate(text.splitlines(), 1):
        if not line or line.startswith("#"):
            continue
        fields = line.split("\t")
        if len(fields) < 3:
            raise SystemExit(f"zone.tab line {number}: too few fields")
        code, coordinates, identifier = fields[0], fields[1], fields[2]
        comment = fields[3] if len(fields) > 3 else ""
        match = COORDINATES.match(coordinates)
        if not match:
            raise SystemExit(f"zone.tab line {number}: bad coordinates {coordinates!r}")
        g = match.groups()
        latitude = degrees(g[0], g[1], g[2], g[3])
        longitude = degrees(g[4], g[5], g[6], g[7])
        rows.append((identifier, f"{latitude:.4f}", f"{longitude:.4f}", code, comment))
    rows.sort(key=lambda row: row[0])  # str order is code-point order
    return "\n".join("\t".join(row) for row in rows)


def main():
    source = Path(sys.argv[1]) if len(sys.argv) > 1 else DEFAULT_IN
    target = Path(sys.argv[2]) if len(sys.argv) > 2 else DEFAULT_OUT
    table = convert(source.read_text(encoding="utf-8"))
    target.write_bytes(table.encode("utf-8"))
    print(f"{target}: {table.count(chr(10)) + 1} rows, {len(table.encode('utf-8'))} bytes")


if __name__ == "__main__":
    main()
