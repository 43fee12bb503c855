"""Data sets with known truth: a network shape relabelled at random onto a set
of promoters, and a motif pair planted across chosen interactions.

  plant.py --promoters UNPLANTED.fa --shape SHAPE.tab --seed S --planted N \
           --out-fasta OUT.fa --out-interactions OUT.tab [--words TGACTCA,CACGTG]
           [--keep-labels]

In N interactions (drawn at random among those whose two partners have a
promoter long enough), one partner, chosen at random, gets the first word and
the other the second, each on a random strand at a random position, written
over the promoter in place. The interactions of one seed are drawn in one
order, so the planted interactions of a weaker set are among those of a
stronger set of the same seed, and the relabelled network is the same for
every strength of a seed.
"""
import argparse
import os
import random
import sys

SCRIPTS = os.path.join(os.path.dirname(os.path.dirname(os.path.abspath(__file__))), "scripts")
sys.path.insert(0, SCRIPTS)
import relabel_network  # noqa: E402

COMPLEMENT = str.maketrans("ACGTN", "TGCAN")


def reverse_complement(word):
    return word.translate(COMPLEMENT)[::-1]


def read_fasta(path):
    """[(header line without '>', sequence)] in file order."""
    records = []
    with open(path) as handle:
        for line in handle:
            line = line.rstrip("\r\n")
            if line.startswith(">"):
                records.append([line[1:], []])
            elif records:
                records[-1][1].append(line.strip())
    return [(header, "".join(parts)) for header, parts in records]


def write_fasta(path, records, width=80):
    with open(path, "w") as handle:
        for header, sequence in records:
            handle.write(">{}\n".format(header))
            for start in range(0, len(sequence), width):
                handle.write(sequence[start:start + width] + "\n")


def record_name(header):
    return relabel_network.NAME_END.split(header, 1)[0]


def relabelled_shape(shape_lines, names, seed):
    """The shape's edges with its node labels permuted over the promoter names."""
    return relabel_network.relabel_lines(shape_lines, relabel_network.permutation(names, seed))


def plant(records, edges, planted, words, seed):
    """The records with the word pair written across `planted` interactions.
    Returns (records, the planted interactions in the order drawn)."""
    index = {record_name(h): i for i, (h, _) in enumerate(records)}
    sequences = [list(s) for _, s in records]
    longest = max(len(w) for w in words)
    eligible = []
    for line in edges:
        a, b = line.split()[:2]
        if a != b and a in index and b in index and \
                min(len(sequences[index[a]]), len(sequences[index[b]])) >= longest:
            eligible.append((a, b))
    if planted > len(eligible):
        raise ValueError("{} interactions to plant but only {} usable".format(
            planted, len(eligible)))
    rng = random.Random(seed)
    rng.shuffle(eligible)
    chosen = eligible[:planted]
    for a, b in chosen:
        pair = (a, b) if rng.random() < 0.5 else (b, a)
        for name, word in zip(pair, words):
            if rng.random() < 0.5:
                word = reverse_complement(word)
            sequence = sequences[index[name]]
            start = rng.randrange(len(sequence) - len(word) + 1)
            sequence[start:start + len(word)] = word
    return [(h, "".join(s)) for (h, _), s in zip(records, sequences)], chosen


def make_set(promoters, shape, seed, planted, words, out_fasta, out_interactions,
             relabel=True):
    records = read_fasta(promoters)
    names = sorted({record_name(h) for h, _ in records})
    with open(shape) as handle:
        if relabel:
            edges = relabelled_shape(handle, names, seed)
        else:
            edges = ["{}\t{}\n".format(*line.split()[:2]) for line in handle
                     if len(line.split()) >= 2]
    planted_records, chosen = plant(records, edges, planted, words, seed)
    write_fasta(out_fasta, planted_records)
    with open(out_interactions, "w") as handle:
        handle.writelines(edges)
    return chosen


def main(argv=None):
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--promoters", required=True)
    parser.add_argument("--shape", required=True, help="interaction file giving the network shape")
    parser.add_argument("--seed", type=int, required=True)
    parser.add_argument("--planted", type=int, required=True)
    parser.add_argument("--words", default="TGACTCA,CACGTG")
    parser.add_argument("--out-fasta", required=True)
    parser.add_argument("--out-interactions", required=True)
    parser.add_argument("--keep-labels", action="store_true",
                        help="plant across the shape's own interactions, not relabelled")
    args = parser.parse_args(argv)
    words = args.words.split(",")
    if len(words) != 2 or not all(w and set(w) <= set("ACGT") for w in words):
        print("ERROR: --words takes two words of A, C, G, T separated by a comma",
              file=sys.stderr)
        return 1
    try:
        chosen = make_set(args.promoters, args.shape, args.seed, args.planted, words,
                          args.out_fasta, args.out_interactions, not args.keep_labels)
    except (OSError, ValueError) as error:
        print("ERROR: plant: {}".format(error), file=sys.stderr)
        return 1
    print("{} and {} planted across {} interactions (seed {})".format(
        words[0], words[1], len(chosen), args.seed))
    return 0


if __name__ == "__main__":
    sys.exit(main())
