"""Biopython reads what Tavrin-motifs writes.

Converts a JASPAR collection to jaspar, meme, transfac and pfm, parses every
file with Bio.motifs and compares names and counts (probabilities within the
six printed decimals) with Biopython's own reading of the original file.

    biopython_interop.py CONVERTER JASPAR WORK_DIR
"""
import math
import os
import re
import shutil
import subprocess
import sys

try:
    from Bio import motifs
except ImportError:
    # Say what to install rather than only "No module named 'Bio'".
    print("FAIL: Biopython is not installed for %s (apt-get install python3-biopython, "
          "or scripts/install-deps.sh test)" % sys.executable)
    sys.exit(1)

converter, original, work = sys.argv[1:4]
shutil.rmtree(work, ignore_errors=True)
os.makedirs(work)

passed = 0
failed = 0


def check(condition, message):
    global passed, failed
    if condition:
        passed += 1
    else:
        failed += 1
        print("FAILED:", message)


def convert(source, to, out):
    path = os.path.join(work, out)
    run = subprocess.run([converter, "-in", source, "-to", to, "-out", path],
                         capture_output=True, text=True)
    if run.returncode != 0:
        sys.exit(f"conversion to {to} failed:\n{run.stdout}")
    return path


def counts_of(motif):
    return [[float(v) for v in motif.counts[base]] for base in "ACGT"]


def probabilities_of(counts):
    width = len(counts[0])
    sums = [sum(counts[b][i] for b in range(4)) for i in range(width)]
    return [[counts[b][i] / sums[i] if sums[i] else 0.25 for i in range(width)]
            for b in range(4)]


with open(original) as handle:
    reference = list(motifs.parse(handle, "jaspar"))
check(len(reference) > 0, "the original collection holds motifs")

# jaspar: identifiers, names and counts as in the original.
with open(convert(original, "jaspar", "out.jaspar")) as handle:
    written = list(motifs.parse(handle, "jaspar"))
check(len(written) == len(reference), "jaspar: as many motifs")
for ref, got in zip(reference, written):
    check((got.matrix_id, got.name) == (ref.matrix_id, ref.name), f"jaspar name of {ref.name}")
    check(counts_of(got) == counts_of(ref), f"jaspar counts of {ref.name}")

# transfac: AC holds the identifier, NA the name.
with open(convert(original, "transfac", "out.transfac")) as handle:
    written = list(motifs.parse(handle, "transfac"))
check(len(written) == len(reference), "transfac: as many motifs")
for ref, got in zip(reference, written):
    check((got.get("AC"), got.get("NA")) == (ref.matrix_id, ref.name),
          f"transfac name of {ref.name}")
    check(counts_of(got) == counts_of(ref), f"transfac counts of {ref.name}")

# meme: Biopython names a motif by its identifier and rebuilds counts from
# the probabilities and nsites (the largest column sum).
with open(convert(original, "meme", "out.meme")) as handle:
    written = list(motifs.parse(handle, "minimal"))
check(len(written) == len(reference), "meme: as many motifs")
for ref, got in zip(reference, written):
    check(got.name == ref.matrix_id, f"meme name of {ref.name}")
    ref_counts = counts_of(ref)
    p_ref = probabilities_of(ref_counts)
    p_got = probabilities_of(counts_of(got))
    sums = [sum(ref_counts[b][i] for b in range(4)) for i in range(len(ref_counts[0]))]
    close = all(math.isclose(p_ref[b][i], p_got[b][i], abs_tol=0.5 / max(sums) + 1e-6)
                for b in range(4) for i in range(len(sums)))
    check(close, f"meme probabilities of {ref.name}")
    if len(set(sums)) == 1:
        check(counts_of(got) == ref_counts, f"meme counts of {ref.name}")

# pfm: one file a motif, named after it.
folder = convert(original, "pfm", "out_pfm")
files = sorted(os.listdir(folder))
check(len(files) == len(reference), "pfm: one file a motif")
# Characters unfit for a file name become "_"; a repeated name gets "_2", ...
by_name = {}
for ref in reference:
    stem = re.sub(r"[^A-Za-z0-9_+-]", "_", ref.name)
    name, n = stem + ".pfm", 2
    while name in by_name:
        name, n = f"{stem}_{n}.pfm", n + 1
    by_name[name] = ref
for name in files:
    with open(os.path.join(folder, name)) as handle:
        got = motifs.read(handle, "pfm")
    ref = by_name.get(name)
    check(ref is not None, f"pfm file {name} is named after a motif")
    if ref is not None:
        check(counts_of(got) == counts_of(ref), f"pfm counts of {name}")

print(f"{passed} passed, {failed} failed")
sys.exit(1 if failed else 0)
