#!/usr/bin/env python3
"""Deterministic scale inputs for the running-time benchmarks.

Usage: bench/make_inputs.py OUTPUT_DIR [SCALE]
       bench/make_inputs.py --capacity OUTPUT_DIR

Writes, for every program, inputs at the sizes of the README's running-time
table (SCALE < 1 shrinks the counts for a quick try). The same seed always
gives the same bytes, so the outputs' md5 sums can be compared between builds.

  tavrin_n/    8000 promoters x 500 bases, 29728 interactions (heavy-tailed),
               a planted motif pair on 600 interactions
  tavrin/      12583 genes, 30000 interactions, an SE file of 2082 elements
               (protein domains and motifs), one planted element pair
  tavrin_real/ a run at the scale of a real one: 12583 genes, 30000
               heavy-tailed interactions, about 9000 associations of 2082
               elements, many element pairs that interacting genes share (as
               domains of interacting proteins are), so hundreds of pairs stay
               significant through the whole test
  vantor_n/    two organisms of 1440 promoters x 500 bases, the ortholog table,
               100 motifs (five planted words kept in 70% of orthologs)
  vantor_p/    the same for proteins (300 residues), 100 protein motifs
  simvale/     10000 query motifs and 10000 JASPAR count matrices

--capacity writes the conservation scorers' inputs at their capacities (1.2 GB
of FASTA for each alphabet; the scale does not apply), for peak memory:
  vantor_n/    two organisms of 30000 sequences x 10000 bases (rarely N), 30000
               ortholog pairs, three motifs
  vantor_p/    the same in residues (rarely B, Z or X)
"""
import os
import random
import sys

BASES = "ACGT"
RESIDUES = "ARNDCQEGHILKMFPSTWYV"
COMPLEMENT = {"A": "T", "C": "G", "G": "C", "T": "A"}


def revcomp(word):
    return "".join(COMPLEMENT[c] for c in reversed(word))


def write_fasta(path, entries, width=80):
    with open(path, "w") as f:
        for name, seq in entries:
            f.write(">" + name + "\n")
            for i in range(0, len(seq), width):
                f.write(seq[i:i + width] + "\n")


def plant(seq, word, rnd):
    at = rnd.randrange(0, len(seq) - len(word))
    return seq[:at] + word + seq[at + len(word):]


def heavy_tailed_network(rnd, nodes, edges):
    """Preferential attachment: a few hubs, many genes of degree 1 or 2."""
    targets = [0, 1]
    seen = {(0, 1)}
    pairs = [(0, 1)]
    while len(pairs) < edges:
        u = rnd.randrange(nodes)
        v = rnd.choice(targets) if rnd.random() < 0.7 else rnd.randrange(nodes)
        if u == v:
            continue
        key = (min(u, v), max(u, v))
        if key in seen:
            continue
        seen.add(key)
        pairs.append((u, v))
        targets.extend((u, v))
    return pairs


def random_motif(rnd, alphabet, length, degenerate):
    text = ""
    for _ in range(length):
        if rnd.random() < degenerate:
            text += "[" + "".join(sorted(rnd.sample(alphabet, 2))) + "]"
        else:
            text += rnd.choice(alphabet)
    return text


def tavrin_n(out, rnd, scale):
    genes = int(8000 * scale)
    edges = int(29728 * scale)
    names = ["G%05d" % i for i in range(genes)]
    seqs = ["".join(rnd.choice(BASES) for _ in range(500)) for _ in range(genes)]
    pairs = heavy_tailed_network(rnd, genes, edges)
    for u, v in rnd.sample(pairs, min(600, len(pairs))):
        seqs[u] = plant(seqs[u], "TGACTCA" if rnd.random() < 0.5 else revcomp("TGACTCA"), rnd)
        seqs[v] = plant(seqs[v], "CACGTG", rnd)
    write_fasta(os.path.join(out, "promoters.fa"), zip(names, seqs))
    write_interactions(out, names, pairs)


def write_interactions(out, names, pairs):
    with open(os.path.join(out, "interactions.tab"), "w") as f:
        for u, v in pairs:
            f.write("%s\t%s\n" % (names[u], names[v]))


def protein_network(out, rnd, scale, prefix):
    """Genes of 60 random residues on a heavy-tailed network at the scale of a
    real run: (gene names, edges, element count)."""
    genes = int(12583 * scale)
    names = [prefix + "%05d" % i for i in range(genes)]
    write_fasta(os.path.join(out, "genes.fa"),
                ((n, "".join(rnd.choice(RESIDUES) for _ in range(60))) for n in names))
    pairs = heavy_tailed_network(rnd, genes, int(30000 * scale))
    write_interactions(out, names, pairs)
    return names, pairs, int(2082 * scale)


def tavrin(out, rnd, scale):
    names, pairs, elements = protein_network(out, rnd, scale, "P")
    genes = len(names)
    # Domains (PFnnnnn) and protein motifs (~...): popular ones on many genes,
    # most on a handful (a heavy tail).
    element_names = []
    for e in range(elements):
        if e % 3 == 2:
            element_names.append("~" + random_motif(rnd, RESIDUES, 5, 0.0))
        else:
            element_names.append("PF%05d" % e)
    carriers = {}
    for e, name in enumerate(element_names):
        count = max(2, int(genes * 0.05 / (1 + e) ** 0.7))
        carriers[name] = rnd.sample(range(genes), min(count, genes))
    planted = rnd.sample(pairs, min(300, len(pairs)))
    carriers[element_names[0]] += [u for u, _ in planted]
    carriers[element_names[1]] += [v for _, v in planted]
    with open(os.path.join(out, "elements.se"), "w") as f:
        f.write("$Gene\tMethod\tMotif\tStatus\n")
        for name in element_names:
            for g in sorted(set(carriers[name])):
                f.write("%s\tHMM\t%s\tT\n" % (names[g], name))


def tavrin_real(out, rnd, scale):
    names, pairs, elements = protein_network(out, rnd, scale, "R")
    genes = len(names)
    element_names = [("~" + random_motif(rnd, RESIDUES, 5, 0.0)) if e % 5 == 4 else "PF%05d" % e
                     for e in range(elements)]
    # Popularity falls off steeply: a few families on hundreds of genes, most
    # elements on one to three.
    carriers = {}
    for e, name in enumerate(element_names):
        count = max(1, int(genes * 0.02 / (1 + e) ** 0.85))
        carriers[name] = set(rnd.sample(range(genes), min(count, genes)))
    # Families shared across interactions (one in five with itself), each on
    # a handful to a few dozen interactions.
    for _ in range(int(170 * scale)):
        a = rnd.choice(element_names[:max(1, elements // 4)])
        b = a if rnd.random() < 0.2 else rnd.choice(element_names[:max(1, elements // 4)])
        for u, v in rnd.sample(pairs, min(rnd.randint(4, 30), len(pairs))):
            carriers[a].add(u)
            carriers[b].add(v)
    with open(os.path.join(out, "elements.se"), "w") as f:
        f.write("$Gene\tMethod\tMotif\tStatus\n")
        for name in element_names:
            for g in sorted(carriers[name]):
                f.write("%s\tHMM\t%s\tT\n" % (names[g], name))


def mutate(seq, rnd, alphabet, rate):
    return "".join(rnd.choice(alphabet) if rnd.random() < rate else c for c in seq)


def vantor(out, rnd, scale, protein):
    pairs = int(1440 * scale)
    alphabet = RESIDUES if protein else BASES
    length = 300 if protein else 500
    words = (["WKDHCF", "PGRMYE", "LVNQTA", "CHWPKD", "RYMEGS"] if protein else
             ["TGACTCA", "CACGTG", "GATAAG", "TAATTG", "CAGCTGC"])
    first, second = [], []
    for i in range(pairs):
        a = "".join(rnd.choice(alphabet) for _ in range(length))
        for w in words:
            if rnd.random() < 0.3:
                a = plant(a, w, rnd)
        b = mutate(a, rnd, alphabet, 0.15)
        for w in words:
            if w in a and rnd.random() < 0.7:
                b = plant(b, w, rnd)
        first.append(("O1_%05d" % i, a))
        second.append(("O2_%05d" % i, b))
    write_fasta(os.path.join(out, "organism1.fa"), first)
    write_fasta(os.path.join(out, "organism2.fa"), second)
    with open(os.path.join(out, "orthologs.tab"), "w") as f:
        f.write("Organism1\tOrganism2\n")
        for (a, _), (b, _) in zip(first, second):
            f.write("%s\t%s\n" % (a, b))
    kind = "PMOTIF" if protein else "5'MOTIF"
    mark = "~" if protein else "@"
    with open(os.path.join(out, "motifs.noa"), "w") as f:
        f.write("SequenceElementType\n")
        for w in words:
            f.write("%s%s = %s\n" % (mark, w, kind))
        for _ in range(95):
            motif = random_motif(rnd, alphabet, rnd.randint(6, 8), 0.15)
            f.write("%s%s = %s\n" % (mark, motif, kind))


def simvale(out, rnd, scale):
    queries = int(10000 * scale)
    matrices = int(10000 * scale)
    with open(os.path.join(out, "motifs.noa"), "w") as f:
        f.write("SequenceElementType\n")
        for _ in range(queries):
            f.write("@%s = 5'MOTIF\n" % random_motif(rnd, BASES, rnd.randint(6, 10), 0.2))
    with open(os.path.join(out, "collection.jaspar"), "w") as f:
        for m in range(matrices):
            width = rnd.randint(6, 16)
            columns = []
            for _ in range(width):
                favoured = rnd.randrange(4)
                counts = [rnd.randint(0, 4) for _ in range(4)]
                counts[favoured] += rnd.randint(5, 20)
                columns.append(counts)
            f.write(">MB%05d.1 factor_%d\n" % (m, m))
            for row, letter in enumerate("ACGT"):
                f.write("%s  [%s ]\n" % (letter, " ".join("%2d" % c[row] for c in columns)))


def capacity_fasta(path, rnd, prefix, letters, rare):
    """30000 sequences of 10000 letters: random bytes mapped to letters, one
    byte value in 256 to each of the rare letters."""
    table = bytearray(letters[b % len(letters)] for b in range(256))
    for i, c in enumerate(rare):
        table[255 - i] = ord(c)
    with open(path, "wb") as f:
        for i in range(30000):
            seq = rnd.randbytes(10000).translate(table)
            f.write(b">%s_%05d\n" % (prefix, i))
            f.write(b"\n".join(seq[k:k + 80] for k in range(0, len(seq), 80)) + b"\n")


def capacity(root):
    rnd = random.Random(31)
    for name, letters, rare, motifs, kind in (
            ("vantor_n", b"ACGT", "N", ["TGACTCA", "CA[CG]GTG", "GATAAG"], "5'MOTIF"),
            ("vantor_p", b"ARNDCQEGHILKMFPSTWYV", "BZX", ["WKDHC", "P[GA]RMY", "LVNQT"], "PMOTIF")):
        out = os.path.join(root, name)
        os.makedirs(out, exist_ok=True)
        capacity_fasta(os.path.join(out, "organism1.fa"), rnd, b"O1", letters, rare)
        capacity_fasta(os.path.join(out, "organism2.fa"), rnd, b"O2", letters, rare)
        with open(os.path.join(out, "orthologs.tab"), "w") as f:
            f.write("Organism1\tOrganism2\n")
            for i in range(30000):
                f.write("O1_%05d\tO2_%05d\n" % (i, i))
        with open(os.path.join(out, "motifs.noa"), "w") as f:
            f.write("SequenceElementType\n")
            for motif in motifs:
                f.write("%s = %s\n" % (motif, kind))


def main():
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    if sys.argv[1] == "--capacity":
        if len(sys.argv) < 3:
            sys.exit(__doc__)
        capacity(sys.argv[2])
        return
    root = sys.argv[1]
    scale = float(sys.argv[2]) if len(sys.argv) > 2 else 1.0
    jobs = [("tavrin_n", lambda d, r: tavrin_n(d, r, scale)),
            ("tavrin", lambda d, r: tavrin(d, r, scale)),
            ("vantor_n", lambda d, r: vantor(d, r, scale, False)),
            ("vantor_p", lambda d, r: vantor(d, r, scale, True)),
            ("simvale", lambda d, r: simvale(d, r, scale)),
            ("tavrin_real", lambda d, r: tavrin_real(d, r, scale))]
    for seed, (name, make) in enumerate(jobs, start=11):
        folder = os.path.join(root, name)
        os.makedirs(folder, exist_ok=True)
        make(folder, random.Random(seed))


if __name__ == "__main__":
    main()
