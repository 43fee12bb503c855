#!/usr/bin/env python3
"""Opens report pages in headless Chromium and checks what their scripts built.

Three runs of Tavrin-report: a large demo-like run (500 pairs, 280 motifs,
8000 sequences, reference matrices, conservation, FDRs), a run whose names,
matrix names and title are hostile markup, and a run that found nothing. For
each page the DOM after the scripts have run must report the nodes and edges
of the .sif, one card per motif text, one table row per pair, one row of the
"other elements" table per element without a logo and no script error; no
element may come from a name; the screenshots must not be blank. Where FDRs
are given, the pair table must be ranked by them; a names table (-names) must
show its names, and the pair filter must find pairs by name.

usage: browser_test.py TAVRIN_REPORT WORK_DIR
"""
import os
import random
import re
import shutil
import struct
import subprocess
import sys
import tempfile
import time
import zlib

CHROMIUM_FLAGS = ["--headless", "--no-sandbox", "--disable-gpu", "--disable-background-networking",
                  "--disable-component-update", "--disable-sync", "--no-first-run",
                  "--hide-scrollbars", "--virtual-time-budget=10000"]
MOTIF_TYPES = ("5'MOTIF", "3'MOTIF", "PMOTIF")
failures = []


def check(condition, message):
    if not condition:
        failures.append(message)
        print("FAIL: " + message)


def find_chromium():
    for name in ("chromium", "chromium-browser", "google-chrome"):
        path = shutil.which(name)
        if path:
            return path
    return None


def write(path, lines):
    with open(path, "w", encoding="utf-8", newline="\n") as f:
        for line in lines:
            f.write(line + "\n")


def write_network(base, elements, pairs, fdr=None):
    """elements: [(name, type)]; pairs: [(a, b)] -> the five Tavrin files."""
    write(base + ".sif", ["%s TavrinSE %s" % p for p in pairs])
    write(base + ".1.noa", ["SequenceElementType (class=java.lang.String)"] +
          ["%s = %s" % e for e in elements])
    rng = random.Random(7)
    write(base + ".1.eda", ["MI (class=Double)"] +
          ["%s (TavrinSE) %s = %.6g" % (a, b, rng.uniform(0.001, 0.05)) for a, b in pairs])
    write(base + ".2.eda", ["Robustness_per_10 (class=Integer)"] +
          ["%s (TavrinSE) %s = %d" % (a, b, rng.randint(6, 10)) for a, b in pairs])
    zs = ["inf", "-inf", "nan"]
    write(base + ".3.eda", ["Z_score (class=Double)"] +
          ["%s (TavrinSE) %s = %s" % (a, b, zs[i] if i < 3 else "%.6g" % rng.uniform(2, 40))
           for i, (a, b) in enumerate(pairs)])
    if fdr is not None:
        write(fdr, ["element_a\telement_b\tscore\tnull_mean_count\treal_count\tfdr"] +
              ["%s\t%s\t0.01\t0.5\t%d\t%.3g" % (a, b, i + 1, 0.5 / (i + 1))
               for i, (a, b) in enumerate(pairs)])


def random_motif(rng):
    # Like the motif finders' output: mostly definite bases, a few two-base sets.
    sets = ["T", "C", "G", "A"] * 6 + ["[CG]", "[TA]", "[CA]", "[TG]"]
    return "".join(rng.choice(sets) for _ in range(rng.randint(7, 10)))


def make_demo_like(folder):
    rng = random.Random(1)
    elements, seen = [], set()
    for i in range(280):
        if i < 190:
            kind = "5'MOTIF"
        elif i < 270:
            kind = "3'MOTIF"
        else:
            kind = "PMOTIF"
        name = random_motif(rng) if kind != "PMOTIF" else "R%sD%s" % (chr(65 + i % 26), "GKL"[i % 3])
        while name in seen:
            name = random_motif(rng)
        seen.add(name)
        elements.append((name, kind))
    elements += [("PF%05d" % (100 + i), "OTHER") for i in range(20)]
    names = [e[0] for e in elements]
    pairs, used = [], set()
    for i in range(10):
        pairs.append((names[i], names[i]))
        used.add((names[i], names[i]))
    while len(pairs) < 500:
        a, b = rng.choice(names), rng.choice(names)
        if a != b and (a, b) not in used and (b, a) not in used:
            used.add((a, b))
            pairs.append((a, b))
    base = os.path.join(folder, "net")
    write_network(base, elements, pairs, fdr=os.path.join(folder, "fdr.tsv"))
    genes = ["G%05d" % i for i in range(8000)]
    with open(os.path.join(folder, "seqs.fa"), "w") as f:
        for g in genes:
            f.write(">%s promoter\n" % g)
            seq = "".join(rng.choice("TCGA") for _ in range(500))
            for k in range(0, 500, 80):
                f.write(seq[k:k + 80] + "\n")
    se = ["$Gene\tMethod\tMotif\tStatus"]
    mark = {"5'MOTIF": "@", "3'MOTIF": "%", "PMOTIF": "~", "OTHER": ""}
    for name, kind in elements:
        for g in rng.sample(genes, 40):
            se.append("%s\tTavrinSE_N\t%s%s\tT" % (g, mark[kind], name))
    write(os.path.join(folder, "run.se"), se)
    jaspar = []
    for m in range(60):
        width = rng.randint(8, 14)
        jaspar.append(">MA%04d.1 known_%d" % (m, m))
        rows = [[rng.choice([0, 0, 1, 2, 10, 20]) for _ in range(width)] for _ in range(4)]
        for letter, row in zip("ACGT", rows):
            jaspar.append("%s  [%s ]" % (letter, " ".join("%d" % v for v in row)))
    write(os.path.join(folder, "known.jaspar"), jaspar)
    write(os.path.join(folder, "conservation.noa"), ["Conservation (class=Double)"] +
          ["%s = %.3g" % (n, rng.random()) for n, k in elements if k in MOTIF_TYPES])
    # Names for the domains (as cut from an entry list, with elements not in
    # the network) and for some motifs, written as an SE file marks them.
    names = [("PF%05d" % (100 + i), "Domain_%d" % i, "Protein domain number %d" % i) for i in range(25)]
    names += [("@" + n, "factor %d site" % i, "") for i, (n, k) in enumerate(elements[:30]) if k == "5'MOTIF"]
    write_names(os.path.join(folder, "names.tsv"), names)
    NAMES[folder] = [(e.lstrip("@"), n, d) for e, n, d in names]
    return base, ["-se", folder + "/run.se", "-fasta", folder + "/seqs.fa", "-names", folder + "/names.tsv",
                  "-reffile", folder + "/known.jaspar",
                  "-conservation", folder + "/conservation.noa",
                  "-calibration", folder + "/fdr.tsv", "-title", "\"Demo-like run\""]


HOSTILE = ["</script><img src=x onerror=alert(1)>", "\"><svg onload=alert(2)>",
           "\u00dcn\u00efc\u00f8d\u00e9 & 'quotes' \"dq\" <b>bold</b>", "TGA[CG]TCA", "<!--", "CACGTG",
           "constructor", "__proto__"]
HOSTILE_MATRIX = "<img src=y onerror=alert(5)>"
HOSTILE_NAME = "<img src=z onerror=alert(6)> & </script>"
NAMES = {}  # folder -> [(element, name, description)] as the page should match them


def make_hostile(folder):
    h = HOSTILE
    elements = [(h[0], "OTHER"), (h[1], "5'MOTIF"), (h[2], "PMOTIF"), (h[3], "5'MOTIF"),
                (h[4], "OTHER"), (h[5], "5'MOTIF"), (h[6], "OTHER"), (h[7], "OTHER")]
    # Names that are also properties of every JavaScript object.
    pairs = [(h[0], h[3]), (h[1], h[5]), (h[2], h[0]), (h[5], h[5]), (h[4], h[3]), (h[6], h[7]),
             (h[6], h[3])]
    base = os.path.join(folder, "net")
    write_network(base, elements, pairs, fdr=os.path.join(folder, "fdr.tsv"))
    write(os.path.join(folder, "simvale.tsv"), ["Sequence\tClosest Match\tMatch Score",
                                                "TGA[CG]TCA\t%s\t0.912345" % HOSTILE_MATRIX,
                                                "CACGTG\t\t"])
    write(os.path.join(folder, "known.jaspar"), [
        ">MA0001.1 " + HOSTILE_MATRIX,
        "A  [ 1  0  9  0  1  0  0  9 ]", "C  [ 1  0  0  5  0  9  0  0 ]",
        "G  [ 7  0  0  4  0  0  9  0 ]", "T  [ 0  9  0  0  8  0  0  0 ]"])
    write(os.path.join(folder, "conservation.noa"), ["Conservation (class=Double)",
                                                     h[1] + " = 0.5", "CACGTG = 0.95"])
    write(os.path.join(folder, "seqs.fa"), [">g1 <script>", "AAATGACTCAAACACGTGAA",
                                            ">g2", "TTGAGTCATTTT"])
    names = [(h[0], HOSTILE_NAME, "<svg onload=alert(7)>"), (h[3], "AP-1 <b>site</b>", "")]
    write_names(os.path.join(folder, "names.tsv"), names)
    NAMES[folder] = names
    return base, ["-names", folder + "/names.tsv",
                  "-simvale", folder + "/simvale.tsv", "-reffile", folder + "/known.jaspar",
                  "-conservation", folder + "/conservation.noa", "-fasta", folder + "/seqs.fa",
                  "-calibration", folder + "/fdr.tsv",
                  "-title", "</title><script>alert(4)</script>"]


def make_empty(folder):
    base = os.path.join(folder, "net")
    open(base + ".sif", "w").close()
    write(base + ".1.noa", ["SequenceElementType (class=java.lang.String)"])
    write(base + ".1.eda", ["MI (class=Double)"])
    write(base + ".2.eda", ["Robustness_per_10 (class=Integer)"])
    write(base + ".3.eda", ["Z_score (class=Double)"])
    return base, []


NUCLEOTIDE_LETTERS = "TtUuCcGgAaN."
PROTEIN_LETTERS = "ARNDCQEGHILKMFPSTWYVBZX."


def is_motif_text(name, kind):
    """What the report draws a logo for: letters and [sets] of the type's alphabet."""
    if kind not in MOTIF_TYPES:
        return False
    letter = "[%s]" % re.escape(PROTEIN_LETTERS if kind == "PMOTIF" else NUCLEOTIDE_LETTERS)
    return re.fullmatch(r"(?:%s|\[%s+\])+" % (letter, letter), name.replace(" ", "")) is not None


def write_names(path, names):
    """names: [(element, name, description)]"""
    write(path, ["# element\tname\tdescription"] + ["\t".join(n) for n in names])


def expected_filter_count(base, names):
    """Pairs the filter shows for the name of the first named network element."""
    table = {n[0]: n for n in names}
    with open(base + ".1.noa", encoding="utf-8") as f:
        elements = [line.rstrip("\n").rsplit(" = ", 1)[0] for line in list(f)[1:]]
    named = [e for e in elements if e in table]
    if not named:
        return None
    needle = table[named[0]][1].strip().lower()

    def text(element):
        return "\0".join(table[element]) if element in table else element
    count = 0
    with open(base + ".sif", encoding="utf-8") as f:
        for line in f:
            a, b = line.rstrip("\n").split(" TavrinSE ", 1)
            count += needle in (text(a) + "\0" + text(b)).lower()
    return count


def expected_counts(base):
    names, edges = [], 0
    with open(base + ".sif", encoding="utf-8") as f:
        for line in f:
            a, b = line.rstrip("\n").split(" TavrinSE ", 1)
            names += [a, b]
            edges += 1
    cards, others, meme = 0, 0, 0
    with open(base + ".1.noa", encoding="utf-8") as f:
        for line in list(f)[1:]:
            name, kind = line.rstrip("\n").rsplit(" = ", 1)
            cards += is_motif_text(name, kind)
            others += not is_motif_text(name, kind)
            # Nucleotide motifs with a readable text go into the MEME download.
            meme += kind in MOTIF_TYPES[:2] and re.fullmatch(r"(?:[TCGA]|\[[TCGA]+\])+", name) is not None
    return {"nodes": len(set(names)), "edges": edges, "cards": cards, "rows": edges, "others": others,
            "cyjs": "%d,%d" % (len(set(names)), edges), "meme-motifs": meme}


def chromium(binary, arguments, timeout=180):
    profile = tempfile.mkdtemp(prefix="tavrin-chromium-")
    try:
        result = subprocess.run([binary] + CHROMIUM_FLAGS + ["--user-data-dir=" + profile] + arguments,
                                stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, timeout=timeout)
        return result.stdout.decode("utf-8", "replace")
    finally:
        shutil.rmtree(profile, ignore_errors=True)


def png_pixels(path):
    """RGB(A) rows of an 8-bit PNG (the form Chromium writes), unfiltered."""
    with open(path, "rb") as f:
        data = f.read()
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        return None
    pos, idat, width, height, channels = 8, b"", 0, 0, 0
    while pos < len(data):
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        chunk = data[pos + 8:pos + 8 + length]
        if kind == b"IHDR":
            width, height, depth, color = struct.unpack(">IIBB", chunk[:10])
            channels = {2: 3, 6: 4}.get(color, 0)
            if depth != 8 or channels == 0:
                return None
        elif kind == b"IDAT":
            idat += chunk
        pos += 12 + length
    raw = zlib.decompress(idat)
    stride = width * channels
    rows, previous = [], bytearray(stride)
    for y in range(height):
        kind = raw[y * (stride + 1)]
        line = bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        for i in range(stride):
            left = line[i - channels] if i >= channels else 0
            up = previous[i]
            upper_left = previous[i - channels] if i >= channels else 0
            if kind == 1:
                line[i] = (line[i] + left) & 255
            elif kind == 2:
                line[i] = (line[i] + up) & 255
            elif kind == 3:
                line[i] = (line[i] + (left + up) // 2) & 255
            elif kind == 4:
                p = left + up - upper_left
                pa, pb, pc = abs(p - left), abs(p - up), abs(p - upper_left)
                pred = left if pa <= pb and pa <= pc else (up if pb <= pc else upper_left)
                line[i] = (line[i] + pred) & 255
        rows.append(bytes(line))
        previous = line
    return width, height, channels, rows


def check_screenshot(binary, page, png, label):
    chromium(binary, ["--window-size=1280,1400", "--screenshot=" + png, "file://" + page])
    decoded = png_pixels(png) if os.path.exists(png) else None
    check(decoded is not None, label + ": no readable screenshot")
    if decoded is None:
        return
    width, height, channels, rows = decoded
    colors, background, sampled = set(), 0, 0
    first = rows[0][:3]
    for y in range(0, height, 4):
        row = rows[y]
        for x in range(0, width, 4):
            pixel = row[x * channels:x * channels + 3]
            colors.add(pixel)
            sampled += 1
            background += pixel == first
    print("%s: screenshot %dx%d, %d colours, %.0f%% like the corner pixel" %
          (label, width, height, len(colors), 100.0 * background / max(sampled, 1)))
    check(len(colors) >= 20 and background < 0.95 * sampled, label + ": screenshot looks blank")


def check_page(binary, page, expected, label):
    started = time.time()
    dom = chromium(binary, ["--dump-dom", "file://" + page + "#selftest"])
    body = re.search(r"<body([^>]*)>", dom)
    check(body is not None, label + ": no <body> in the dumped DOM")
    if body is None:
        return dom
    attrs = dict(re.findall(r'(data-[a-z-]+)="([^"]*)"', body.group(1)))
    print("%s: %s (Chromium %.1f s)" % (label, " ".join("%s=%s" % kv for kv in sorted(attrs.items())),
                                       time.time() - started))
    check(attrs.get("data-ready") == "1", label + ": the page script did not finish")
    check(attrs.get("data-errors") == "0", label + ": JavaScript errors: " + attrs.get("data-errors", "?"))
    for key, value in expected.items():
        check(attrs.get("data-" + key) == str(value),
              "%s: data-%s is %s, expected %s" % (label, key, attrs.get("data-" + key), value))
    # No element and no event handler may come from the data. Attribute
    # values (a title holding a description) are serialised with < and >
    # unescaped, so they are emptied before looking for markup.
    markup = re.sub(r'="[^"]*"', '=""', dom)
    check("<img" not in markup.lower(), label + ": an <img> element was injected")
    check(re.search(r"<[a-z][^>]*\son[a-z]+\s*=", markup, re.I) is None,
          label + ": an element with an event handler attribute exists")
    check(len(re.findall(r"<script", dom, re.I)) == 4, label + ": the page does not hold exactly its 4 scripts")
    return dom


def check_fdr_ranking(dom, label):
    """The pair rows in page order: the FDR (first number of a row) ascending."""
    table = re.search(r'<table id="pairs".*?</table>', dom, re.S)
    check(table is not None, label + ": no pair table")
    if table is None:
        return
    head = re.findall(r"<th[^>]*>([^<]*)</th>", table.group(0))
    check(head[:3] == ["element A", "element B", "FDR"], label + ": FDR is not the first number: %s" % head)
    fdrs = [float(m) for m in re.findall(r'<tr><td>.*?<td class="num">([^<]*)</td>', table.group(0))]
    check(len(fdrs) > 1 and fdrs == sorted(fdrs), label + ": the pair table is not ranked by FDR")
    check("null replicates" in dom and "rank by FDR" in dom, label + ": the FDR is not explained")


def run_report(program, folder, base, extra, label):
    page = os.path.join(folder, "report.html")
    started = time.time()
    result = subprocess.run([program, "-net", base, "-out", page] + extra, stdout=subprocess.PIPE,
                            stderr=subprocess.STDOUT)
    elapsed = time.time() - started
    print("%s: Tavrin-report exit %d in %.2f s, page %d bytes" %
          (label, result.returncode, elapsed, os.path.getsize(page) if os.path.exists(page) else -1))
    check(result.returncode == 0, label + ": Tavrin-report failed:\n" + result.stdout.decode()[-2000:])
    return page


def main():
    if len(sys.argv) != 3:
        print(__doc__)
        return 2
    program, work = os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2])
    binary = find_chromium()
    if binary is None:
        print("FAIL: Chromium is not installed (apt-get install chromium)")
        return 1
    shutil.rmtree(work, ignore_errors=True)
    for label, maker in (("demo-like", make_demo_like), ("hostile", make_hostile), ("empty", make_empty)):
        folder = os.path.join(work, label)
        os.makedirs(folder)
        base, extra = maker(folder)
        page = run_report(program, folder, base, extra, label)
        if not os.path.exists(page):
            continue
        expected = expected_counts(base)
        if label in ("demo-like", "hostile"):
            expected["filter-name"] = expected_filter_count(base, NAMES[folder])
        dom = check_page(binary, page, expected, label)
        if label == "demo-like":
            check_fdr_ranking(dom, label)
            check("Domain_3" in dom and "Protein domain number 3" in dom,
                  label + ": the names of the domains are not shown")
        if label == "hostile":
            # The names show as text: escaped in the DOM, present once per place.
            check("&lt;/script&gt;&lt;img src=x onerror=alert(1)&gt;" in dom,
                  "hostile: the script-closing name is not shown as text")
            check("&lt;/title&gt;&lt;script&gt;alert(4)&lt;/script&gt;" in dom,
                  "hostile: the title is not shown as text")
            check(HOSTILE_MATRIX.replace("<", "&lt;").replace(">", "&gt;") in dom,
                  "hostile: the closest matrix name is not shown as text")
            check(HOSTILE_NAME.replace("&", "&amp;").replace("<", "&lt;").replace(">", "&gt;") in dom,
                  "hostile: the element name is not shown as text")
        if label == "empty":
            check(re.search(r'<p id="empty"[^>]*>', dom) and "hidden" not in
                  re.search(r'<p id="empty"[^>]*>', dom).group(0), "empty: the page does not say so")
        if label != "empty":
            check_screenshot(binary, page, os.path.join(folder, "screenshot.png"), label)
    if failures:
        print("%d check(s) failed" % len(failures))
        return 1
    print("all browser checks passed")
    return 0


if __name__ == "__main__":
    sys.exit(main())
