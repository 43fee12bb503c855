#!/usr/bin/env python3
"""The calibration's null model and the study that measures it.

  test_null_model.py CASE BIN WORK
CASE is one of: relabel, plan, study.
  relabel  a relabelled network keeps the shape (degree sequence, triangles),
           uses every sequence name once, and repeats from its seed;
  plan     every program of a null replicate reads that replicate's one
           network file (relabel), or the real file re-paired (repair);
  study    planting and the truth rule, then the whole study on a small set.
A missing snakemake is a failure, never a skip."""
import collections
import os
import random
import shutil
import subprocess
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
DATA = os.path.join(HERE, "data")
ROOT = os.path.dirname(os.path.dirname(HERE))
SNAKEFILE = os.path.join(ROOT, "workflow", "Snakefile")
sys.path.insert(0, os.path.join(ROOT, "workflow", "scripts"))
sys.path.insert(0, os.path.join(ROOT, "workflow", "study"))
import plant  # noqa: E402
import relabel_network  # noqa: E402
import truth  # noqa: E402

FAST_OPTIONS = """
Tavrin-N: {srand: 1, random: 0, queue: 20, seedl: 5, maxl: 7, shuffle: 50, cont: 10, revcomp: 1}
Tavrin: {domethod: "", srand: 1, random: 0, queue: 50, shuffle: 20, jfrac: 3, jnum: 4}
"""


class Failure(Exception):
    pass


def check(condition, message):
    if not condition:
        raise Failure(message)


def edges_of(lines):
    return [tuple(line.split()[:2]) for line in lines]


def degrees(edges):
    count = collections.Counter()
    for a, b in edges:
        count[a] += 1
        count[b] += 1
    return sorted(count.values())


def triangles(edges):
    neighbours = collections.defaultdict(set)
    for a, b in edges:
        if a != b:
            neighbours[a].add(b)
            neighbours[b].add(a)
    return sum(len(neighbours[a] & neighbours[b]) for a in neighbours for b in neighbours[a]) // 6


def case_relabel(bin_dir, work):
    fasta = os.path.join(DATA, "promoters.fa")
    names = relabel_network.sequence_names(fasta)
    with open(os.path.join(DATA, "interactions.tab")) as handle:
        real = handle.readlines()
    # A node without a sequence, a line of one word and a repeated edge.
    real += ["NOT_A_GENE\t{}\n".format(names[0]), "lonely\n", real[0]]
    source = os.path.join(work, "real.tab")
    with open(source, "w") as handle:
        handle.writelines(real)
    real_edges = edges_of(l for l in real if len(l.split()) >= 2)
    check(triangles(real_edges) > 0, "the test network has no triangle to keep")

    outputs = {}
    for seed in (1, 2, 1):
        out = os.path.join(work, "relabelled{}.tab".format(seed))
        result = subprocess.run([sys.executable, relabel_network.__file__, "--interactions",
                                 source, "--fasta", fasta, "--seed", str(seed), "--out", out],
                                capture_output=True, text=True)
        check(result.returncode == 0, result.stderr)
        with open(out) as handle:
            got = handle.read()
        if seed in outputs:
            check(got == outputs[seed], "seed {} did not repeat".format(seed))
        outputs[seed] = got
        edges = edges_of(got.splitlines())
        check(len(edges) == len(real_edges), "edge count changed")
        check(degrees(edges) == degrees(real_edges), "degree sequence changed")
        check(triangles(edges) == triangles(real_edges), "triangle count changed")
        # One map for the whole file: the same node always gets the same new
        # name, two nodes never share one, and every new name is a sequence.
        mapping = {}
        for (a, b), (x, y) in zip(real_edges, edges):
            for old, new in ((a, x), (b, y)):
                check(mapping.setdefault(old, new) == new, "{} got two names".format(old))
        check(len(set(mapping.values())) == len(mapping), "two nodes share a name")
        check(mapping["NOT_A_GENE"] == "NOT_A_GENE", "a node without sequence was renamed")
        moved = sum(1 for old, new in mapping.items() if old != new)
        check(moved > len(mapping) // 2, "only {} nodes moved".format(moved))
        check(all(new in names for old, new in mapping.items() if old in names),
              "a new name is not a sequence name")
    check(outputs[1] != outputs[2], "seeds 1 and 2 gave the same network")

    # The permutation covers every sequence name, not only the network's
    # nodes: a gene outside the network can take a node's place.
    mapping = relabel_network.permutation(names, 7)
    check(sorted(mapping.values()) == names, "not a permutation of the names")
    empty = os.path.join(work, "empty.tab")
    open(empty, "w").close()
    result = subprocess.run([sys.executable, relabel_network.__file__, "--interactions", empty,
                             "--fasta", fasta, "--seed", "1", "--out",
                             os.path.join(work, "x.tab")], capture_output=True, text=True)
    check(result.returncode == 1 and result.stderr.startswith("ERROR: relabel: ")
          and result.stderr.count("\n") == 1, "empty network: " + result.stderr)


def write_run_config(work, null, replicates=2):
    sheet = os.path.join(work, "sheet.tsv")
    with open(sheet, "w") as handle:
        handle.write("name\tfasta\tinteractions\treplicates\n")
        handle.write("fly\t{}\t{}\t{}\n".format(os.path.join(DATA, "promoters.fa"),
                                                os.path.join(DATA, "interactions.tab"),
                                                replicates))
    config = os.path.join(work, "config.yaml")
    with open(config, "w") as handle:
        handle.write("datasets: {}\nnull: {}\n{}".format(sheet, null, FAST_OPTIONS))
    return config


def planned_commands(work, config, bin_dir):
    result = subprocess.run(
        ["snakemake", "-s", SNAKEFILE, "--directory", os.path.join(work, "out"),
         "--configfile", config, "-n", "-p", "--cores", "2", "--config", "bin=" + bin_dir],
        stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True, stdin=subprocess.DEVNULL)
    check(result.returncode == 0, "dry run failed:\n" + result.stdout[-4000:])
    return [line for line in result.stdout.splitlines() if "run_program.py" in line]


def program_args(commands, program, run):
    """The arguments of the program's command for one run."""
    marker = "/fly/{}/".format(run) if run != "real" else "fly/real/"
    for line in commands:
        words = line.split()
        if words and any(w.endswith("/" + program) for w in words) and marker in line:
            return words[words.index("--") + 2:]
    raise Failure("no {} command for {}".format(program, run))


def option(args, name):
    return args[args.index(name) + 1]


def case_plan(bin_dir, work):
    commands = planned_commands(work, write_run_config(work, "relabel"), bin_dir)
    for k in ("1", "2"):
        network = "fly/null/{}/interactions.tab".format(k)
        finder = program_args(commands, "Tavrin-N", "null/" + k)
        pairs = program_args(commands, "Tavrin", "null/" + k)
        check(option(finder, "-int") == network and option(pairs, "-int") == network,
              "replicate {} reads {} and {}".format(k, option(finder, "-int"),
                                                    option(pairs, "-int")))
        # Exactly the real run's options: only the labels differ.
        for args in (finder, pairs):
            check(option(args, "-random") == "0" and option(args, "-srand") == "1",
                  "replicate {}: {}".format(k, " ".join(args)))
    real = program_args(commands, "Tavrin", "real")
    check(option(real, "-int") == "fly/input/interactions.tab", "real run: " + " ".join(real))

    shutil.rmtree(os.path.join(work, "out"), ignore_errors=True)
    commands = planned_commands(work, write_run_config(work, "repair"), bin_dir)
    for k in ("1", "2"):
        for program in ("Tavrin-N", "Tavrin"):
            args = program_args(commands, program, "null/" + k)
            check(option(args, "-int") == "fly/input/interactions.tab"
                  and option(args, "-random") == "1" and option(args, "-srand") == k,
                  "repair replicate {}: {}".format(k, " ".join(args)))
    check(not any("relabel_network.py" in c for c in commands), "repair relabels")


def case_study(bin_dir, work):
    # The truth rule: five aligned positions that allow the word's letters,
    # on either strand, type marks and brackets read as the programs do.
    for motif, word, like in [
        ("@TGA[CG]TCA", "TGACTCA", True),
        ("TGAGTCA", "TGACTCA", True),          # the reverse complement
        ("GGACTCAGG", "TGACTCA", True),        # 6 of 7 aligned positions allow
        ("ACTC", "TGACTCA", False),            # too short to align 5
        ("CAC[AG]TG", "CACGTG", True),
        ("CA[TC]GAA", "CACGTG", False),        # 4 of 6
        ("[TCGA][TCGA]CGTGAA", "CACGTG", True),  # any-letter positions allow
        ("GATAAG", "CACGTG", False),
    ]:
        check(truth.is_like(motif, word) == like, "{} like {}: {}".format(
            motif, word, not like))
    words = ["TGACTCA", "CACGTG"]
    for a, b, kind in [("TGA[CG]TCA", "CACGTG", "true"), ("CACGTG", "TGAGTCA", "true"),
                       ("TGACTCA", "TGACTCA", "one-sided"), ("GATAAG", "TTTTTT", "false")]:
        check(truth.classify(a, b, words) == kind, "{} {}: {}".format(a, b, kind))
    check(truth.classify("TGACTCA", "CACGTG", []) == "false", "unplanted pairs are false")

    # Planting writes each word whole into one partner of every chosen
    # interaction, and a weaker set's interactions are among a stronger one's.
    records = [("g{}".format(i), "".join(random.Random(i).choice("ACGT")
                                                for _ in range(60))) for i in range(40)]
    edges = ["g{}\tg{}\n".format(i, (i * 7 + 3) % 40) for i in range(40) if i != (i * 7 + 3) % 40]
    weak = plant.plant(records, edges, 5, words, 3)[1]
    planted, strong = plant.plant(records, edges, 12, words, 3)
    check(strong[:5] == weak, "planted interactions are not nested")
    sequence = dict(planted)
    for a, b in strong:
        for word in words:
            forms = (word, plant.reverse_complement(word))
            check(any(f in sequence[a] or f in sequence[b] for f in forms),
                  "{} missing on {}-{}".format(word, a, b))

    # The whole study on the small test set: two strengths, one seed.
    study = os.path.join(ROOT, "workflow", "study", "calibration_study.py")
    extra = os.path.join(work, "fast.yaml")
    with open(extra, "w") as handle:
        handle.write(FAST_OPTIONS)
    result = subprocess.run(
        [sys.executable, study, "--bin", bin_dir, "--out", os.path.join(work, "study"),
         "--seeds", "1", "--unplanted-seeds", "2", "--strengths", "0,40", "--replicates", "2",
         "--config", extra,
         "--promoters", os.path.join(DATA, "promoters.fa"),
         "--shape", os.path.join(DATA, "interactions.tab")],
        stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True, stdin=subprocess.DEVNULL)
    check(result.returncode == 0, "study failed:\n" + result.stdout[-4000:])
    with open(os.path.join(work, "study", "summary.tsv")) as handle:
        rows = [line.rstrip("\n").split("\t") for line in handle]
    header = rows[0]
    check(header[:3] == ["planted", "q", "sets"], "summary header " + str(header))
    cells = {(r[0], r[1]) for r in rows[1:]}
    with open(os.path.join(work, "study", "sets.tsv")) as handle:
        names = {line.split("\t")[0] for line in handle}
    check(names == {"set", "planted0_seed2", "planted40_seed1"},
          "sets with nothing planted take their own seeds: " + str(sorted(names)))
    for strength in ("0", "40", "all"):
        for level in ("0.05", "0.1", "0.2"):
            check((strength, level) in cells, "no summary row {} {}".format(strength, level))
    with open(os.path.join(work, "study", "calibration.svg")) as handle:
        check(handle.read().count("<polyline") == 3, "plot lines")


CASES = {"relabel": case_relabel, "plan": case_plan, "study": case_study}


def main():
    if len(sys.argv) != 4 or sys.argv[1] not in CASES:
        sys.exit(__doc__)
    case, bin_dir, work = sys.argv[1:]
    if case != "relabel" and shutil.which("snakemake") is None:
        print("FAIL: snakemake is not installed (apt-get install snakemake)")
        return 1
    shutil.rmtree(work, ignore_errors=True)
    os.makedirs(work)
    try:
        CASES[case](os.path.abspath(bin_dir), work)
    except Failure as failure:
        print("FAIL: {}".format(failure))
        return 1
    print("ok: {}".format(case))
    return 0


if __name__ == "__main__":
    sys.exit(main())
