#!/usr/bin/python3
"""Generate the physical data tables compiled into the program.

Writes
  resources/Victoreen1.txt   absorption edges and Victoreen coefficients, H to U
  resources/xray-KLIII.txt   emission lines and absorption edges in eV, Li to U
and rewrites the generated block of element rows in src/physics/ElementTable.cpp.

Sources (all public physical data):
  * edge energies, emission lines and cross-sections: the Elam, Ravel and Sieber
    tables as shipped in the xraydb package (Debian: python3-xraydb);
  * atomic weights: xraydb.atomic_mass;
  * the fixed values in the OVERRIDES sections below.

Every value listed in an OVERRIDES dictionary replaces the computed one: these
rows are the documented contents of the shipped tables and must come out
exactly as written there, whatever the version of the sources.

Run with /usr/bin/python3 (the system interpreter that sees python3-xraydb):
    /usr/bin/python3 tools/gen-tables/gen_tables.py          # write the files
    /usr/bin/python3 tools/gen-tables/gen_tables.py --check  # compare only
"""

import argparse
import os
import sys

import numpy as np
import xraydb

HC = 12398.424360387684          # eV x angstrom, the constant the program uses
TABLE_EMIN = 100.0               # lowest energy of the Elam cross-section tables (eV)
FIT_POINTS = 60                  # log-spaced points per fit interval
EDGE_MARGIN = 5e-4               # stay this fraction away from both interval ends

EDGES = ("K", "L1", "L2", "L3", "M1")
HIGHEST_Z = 92                   # both data files end at uranium

# ---------------------------------------------------------------- element table

# Symbols beyond the range of xraydb (Z > 98).
LATE_SYMBOLS = {99: "Es", 100: "Fm", 101: "Md", 102: "No", 103: "Lr", 104: "Rf",
                105: "Db", 106: "Sg", 107: "Bh", 108: "Hs", 109: "Mt"}

# OVERRIDES of atomic weights (g/mol). Everything else is xraydb.atomic_mass.
WEIGHT_OVERRIDES = {
    1: "1.0079", 2: "4.0026", 26: "55.847", 28: "58.96", 29: "63.546",
    79: "196.9665", 92: "238.051",
    96: "247.07", 97: "247.07",          # Cm and Bk carry the same value
    99: "252.083",                       # Es: mass of its longest-lived isotope 252Es
    100: "257.095",
    101: "0", 102: "0", 103: "0", 104: "0", 105: "0", 106: "0", 107: "0",
    108: "0", 109: "0",                  # no weight known
}
DEUTERIUM_WEIGHT = "2.01355321"          # row 110, symbol "D"


def symbol_of(z):
    if z in LATE_SYMBOLS:
        return LATE_SYMBOLS[z]
    return xraydb.atomic_symbol(z)


def weight_text(z):
    if z in WEIGHT_OVERRIDES:
        return WEIGHT_OVERRIDES[z]
    return repr(float(xraydb.atomic_mass(z)))


def element_rows():
    rows = ['    {0, " ", 0},']
    for z in range(1, 110):
        rows.append('    {%d, "%s", %s},' % (z, symbol_of(z), weight_text(z)))
    rows.append('    {110, "D", %s},' % DEUTERIUM_WEIGHT)
    return rows


# ------------------------------------------------------------- number printing

def plain(x, digits):
    """x rounded to `digits` significant digits, positional notation, no trailing zeros."""
    return np.format_float_positional(float(x), precision=digits, unique=False,
                                      fractional=False, trim="-")


def kev(ev):
    """An edge energy in eV as keV text, kept to 0.01 eV."""
    return np.format_float_positional(round(ev / 1000.0, 5), trim="-")


def ev_text(ev):
    """An energy in eV with at most one decimal."""
    return np.format_float_positional(round(float(ev), 1), trim="-")


# ------------------------------------------------------------ Victoreen fitting

def mu_rho(z, energies):
    """Photo-absorption plus coherent scattering, cm^2/g."""
    return (xraydb.mu_elam(z, energies, kind="photo")
            + xraydb.mu_elam(z, energies, kind="coh"))


def fit_points(z, lo, hi):
    e = np.geomspace(lo * (1 + EDGE_MARGIN), hi * (1 - EDGE_MARGIN), FIT_POINTS)
    return HC / e, mu_rho(z, e)


def fit_free(z, lo, hi):
    """Least squares of mu/rho = C*l^3 - D*l^4 with weights 1/mu (relative error)."""
    lam, y = fit_points(z, lo, hi)
    a = np.vstack([lam ** 3, -lam ** 4]).T / y[:, None]
    (c, d), *_ = np.linalg.lstsq(a, np.ones_like(y), rcond=None)
    return float(c), float(d)


def fit_with_ratio(z, lo, hi, ratio):
    """C alone with D = ratio * C, same weights."""
    lam, y = fit_points(z, lo, hi)
    f = (lam ** 3 - ratio * lam ** 4) / y
    c = float(f.sum() / (f * f).sum())
    return c, c * ratio


def victoreen(z, edges):
    """C and D per edge name; None where no positive pair can be given."""
    res = {}
    upper = {"K": 2 * edges.get("K", 0), "L1": edges.get("K"), "L2": edges.get("L1"),
             "L3": edges.get("L2"), "M1": edges.get("L3")}
    for name in EDGES:
        lo, hi = edges.get(name), upper[name]
        if lo is None or hi is None or lo < TABLE_EMIN or hi <= lo * 1.01:
            res[name] = None
            continue
        c, d = fit_free(z, lo, hi)
        if c <= 0 or d < 0:
            # A narrow interval near an edge may not follow the Victoreen shape:
            # keep the curvature of the LI edge (of the K edge for LI itself).
            ref = None if name == "K" else res.get("K" if name == "L1" else "L1")
            if ref is None:
                res[name] = None
                continue
            c, d = fit_with_ratio(z, lo, hi, ref[1] / ref[0])
            if c <= 0:
                res[name] = None
                continue
        res[name] = (c, d)
    return res


# --------------------------------------------------------------- Victoreen1.txt

VICTOREEN_TITLE = ("= Atomic-number K-absorption-edge K-wavelength(angstrom) C1 D1 "
                   "LI-absorption-edge C2 D2 LII-absorption-edge C3 D3 "
                   "LIII-absorption-edge C4 D4 lambda M1 (angstrom) C5")

# Light elements: the L columns are written only when all three L edges lie within
# the cross-section tables (LIII at or above TABLE_EMIN).
# The K columns of hydrogen and helium stay empty: their K "edges" are the
# ionisation energies, far below the tables.
NO_K_EDGE = {1, 2}
# The heaviest rows carry no K-edge coefficients.
NO_K_COEFFS_FROM = 84

# OVERRIDES of single columns: {Z: {column: text}}, columns as in the file
# (2 K energy keV, 4/5 C1/D1, 6 LI keV, 8/9 C2/D2, 10 LII keV, 14 LIII keV,
#  18 M1 wavelength in angstrom, 19/20 C5/D5). Wavelength columns 3, 7, 11, 15
# follow from the overridden energies.
VICTOREEN_OVERRIDES = {
    26: {2: "7.11326288", 4: "126", 5: "27.2", 6: "0.849", 8: "9.95", 9: "0.433",
         10: "0.722", 14: "0.709"},
    29: {2: "8.98436029", 6: "1.1", 10: "0.954", 14: "0.935"},
    82: {2: "88.054", 6: "15.864", 10: "15.203", 14: "13.03",
         18: "3.226", 19: "94.1", 20: "20"},
}


def victoreen_line(z):
    edges = {k: v.energy for k, v in xraydb.xray_edges(z).items() if k in EDGES}
    if z in NO_K_EDGE:
        edges.pop("K", None)
    if "L3" not in edges or edges["L3"] < TABLE_EMIN:
        for k in ("L1", "L2", "L3"):
            edges.pop(k, None)
    if edges.get("M1", 0) < TABLE_EMIN:
        edges.pop("M1", None)
    coeffs = victoreen(z, edges)
    if z >= NO_K_COEFFS_FROM:
        coeffs["K"] = None

    cols = [symbol_of(z), str(z)] + ["="] * 19
    for i, name in enumerate(("K", "L1", "L2", "L3")):
        base = 2 + 4 * i
        if name in edges:
            cols[base] = kev(edges[name])
        if coeffs.get(name):
            cols[base + 2] = plain(coeffs[name][0], 3)
            cols[base + 3] = plain(coeffs[name][1], 3)
    if "M1" in edges:
        cols[18] = plain(HC / edges["M1"], 4)
        if coeffs.get("M1"):
            cols[19] = plain(coeffs["M1"][0], 3)
            cols[20] = plain(coeffs["M1"][1], 3)

    for col, text in VICTOREEN_OVERRIDES.get(z, {}).items():
        cols[col] = text
    for base in (2, 6, 10, 14):          # wavelengths of the (final) energies
        if cols[base] != "=":
            cols[base + 1] = plain(HC / (1000.0 * float(cols[base])), 4)
    return cols


def victoreen_text():
    rows = [victoreen_line(z) for z in range(1, HIGHEST_Z + 1)]
    widths = [max(len(r[i]) for r in rows) for i in range(21)]
    lines = [VICTOREEN_TITLE]
    for r in rows:
        lines.append(" ".join(t.rjust(w) if i else t.ljust(w)
                              for i, (t, w) in enumerate(zip(r, widths))).rstrip())
    return "\n".join(lines) + "\n"


# ---------------------------------------------------------------- xray-KLIII.txt

KL_LINES = ("Ka2", "Ka1", "Kb1", "La2", "La1", "Lb1", "Lb2,15")
KL_EDGES = ("K", "L3", "L2", "L1")
KL_TITLES = ("Ka2", "Ka1", "Kb", "La2", "La1", "Lb1", "Lb2", "K", "LIII", "LII", "LI")
KL_WIDTH = 9

# OVERRIDES by column title (eV).
KL_OVERRIDES = {
    26: {"Ka2": "6390.8", "Ka1": "6403.8", "Kb": "7058", "K": "7113",
         "LIII": "709", "LII": "722", "LI": "849"},
}


def klIII_text():
    head = "#" + " " * 5 + "".join(t.rjust(KL_WIDTH) for t in KL_TITLES)
    lines = [head.rstrip()]
    for z in range(3, HIGHEST_Z + 1):
        lines_db = xraydb.xray_lines(z)
        edges_db = xraydb.xray_edges(z)
        vals = [ev_text(lines_db[k].energy) if k in lines_db else "0" for k in KL_LINES]
        vals += [ev_text(edges_db[k].energy) if k in edges_db else "0" for k in KL_EDGES]
        for title, text in KL_OVERRIDES.get(z, {}).items():
            vals[KL_TITLES.index(title)] = text
        lines.append("%2s %3d" % (symbol_of(z), z)
                     + "".join(v.rjust(KL_WIDTH) for v in vals))
    return "\n".join(lines) + "\n"


# ---------------------------------------------------------------- element block

BEGIN = "// BEGIN generated element rows (tools/gen-tables/gen_tables.py)"
END = "// END generated element rows"


def with_element_block(source):
    start = source.index(BEGIN) + len(BEGIN)
    stop = source.index(END)
    return source[:start] + "\n" + "\n".join(element_rows()) + "\n" + source[stop:]


# ------------------------------------------------------------------------ main

def main():
    root = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", ".."))
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("--root", default=root, help="source tree (default: %(default)s)")
    ap.add_argument("--check", action="store_true",
                    help="only compare with the committed files; exit 1 on a difference")
    args = ap.parse_args()

    elem_path = os.path.join(args.root, "src", "physics", "ElementTable.cpp")
    with open(elem_path, encoding="utf-8") as f:
        elem_old = f.read()
    outputs = {
        os.path.join(args.root, "resources", "Victoreen1.txt"): victoreen_text(),
        os.path.join(args.root, "resources", "xray-KLIII.txt"): klIII_text(),
        elem_path: with_element_block(elem_old),
    }
    differ = False
    for path, text in outputs.items():
        old = None
        if os.path.exists(path):
            with open(path, encoding="utf-8") as f:
                old = f.read()
        if old == text:
            continue
        differ = True
        if args.check:
            print("out of date: " + path)
        else:
            with open(path, "w", encoding="utf-8", newline="\n") as f:
                f.write(text)
            print("wrote " + path)
    return 1 if (args.check and differ) else 0


if __name__ == "__main__":
    sys.exit(main())
