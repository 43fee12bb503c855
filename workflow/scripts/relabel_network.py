"""A null replicate's network: the real network with its node labels permuted
at random over the sequence names.

The network's shape (degrees, clustering, every edge between the same
positions) is kept exactly; only which sequence sits on which node changes.
That is what "no association" means on a real network: re-pairing the edges
instead (keeping only degrees) destroys the clusters that alone make
strong-looking pairs, and so overstates significance.

Each sequence name is used once: a random permutation of the sorted sequence
names, drawn from Python's Mersenne Twister seeded with the replicate number,
maps every node that has a sequence to another sequence name. Nodes without a
sequence keep their name (the programs skip them either way). Lines keep
their order; only the first two words of a line are kept.

  relabel_network.py --interactions IN.tab --fasta SEQ.fa --seed K --out OUT.tab
"""
import argparse
import os
import random
import re
import sys

# A FASTA name ends at the first blank, comma, semicolon or bar, as the
# programs read it.
NAME_END = re.compile(r"[\s,;|]")


class RelabelError(Exception):
    pass


def sequence_names(path):
    names = set()
    with open(path, "rb") as handle:
        for raw in handle:
            if raw.startswith(b">"):
                text = raw[1:].decode("utf-8", "replace").rstrip("\r\n")
                name = NAME_END.split(text, 1)[0]
                if name:
                    names.add(name)
    if not names:
        raise RelabelError("{}: no sequence names".format(path))
    return sorted(names)


def permutation(names, seed):
    """Old name -> new name, a uniform random permutation of the names."""
    shuffled = list(names)
    random.Random(seed).shuffle(shuffled)
    return dict(zip(names, shuffled))


def relabel_lines(lines, mapping):
    """The first two words of each line, relabelled; lines with fewer are kept
    out, as the programs cannot read them as a pair."""
    out = []
    for line in lines:
        words = line.split()
        if len(words) < 2:
            continue
        a, b = words[0], words[1]
        out.append("{}\t{}\n".format(mapping.get(a, a), mapping.get(b, b)))
    return out


def run(interactions, fasta, seed, out_path):
    mapping = permutation(sequence_names(fasta), seed)
    with open(interactions, encoding="utf-8", errors="replace") as handle:
        lines = relabel_lines(handle, mapping)
    if not lines:
        raise RelabelError("{}: no interactions".format(interactions))
    partial = out_path + ".partial"
    with open(partial, "w") as handle:
        handle.writelines(lines)
    os.replace(partial, out_path)
    return len(lines)


def main(argv=None):
    parser = argparse.ArgumentParser(
        description="Permute a network's node labels at random over the sequence names.")
    parser.add_argument("--interactions", required=True, help="two-column interaction file")
    parser.add_argument("--fasta", required=True, help="the sequences whose names are permuted")
    parser.add_argument("--seed", required=True, type=int, help="the replicate number")
    parser.add_argument("--out", required=True, help="relabelled interaction file")
    args = parser.parse_args(argv)
    try:
        count = run(args.interactions, args.fasta, args.seed, args.out)
    except (RelabelError, OSError) as error:
        print("ERROR: relabel: {}".format(error), file=sys.stderr)
        return 1
    print("{} interactions relabelled with seed {}".format(count, args.seed))
    return 0


if __name__ == "__main__":
    sys.exit(main())
