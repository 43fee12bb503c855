"""How far the workflow's false discovery rates can be trusted, measured on
data sets with known truth.

For every seed, a network shape is relabelled at random onto promoters that
carry no association, and a motif pair is planted across 0, 100, 200 and 400
of its interactions (plant.py). The workflow then runs on every set with its
null replicates, and each set's calibration table is read against the truth
(truth.py): per planted strength and nominal q, the observed false discovery
proportion among the pairs at FDR <= q, and whether the planted pair was
found there.

  calibration_study.py --bin BUILD/bin --out OUT [--seeds 1,2,3]
      [--unplanted-seeds 1,2,...,10]
      [--strengths 0,100,200,400] [--replicates K] [--cores 2]
      [--promoters FILE] [--shape FILE] [--words TGACTCA,CACGTG]
      [--config EXTRA.yaml] [--evaluate-only]

Writes OUT/sets.tsv (every set and q), OUT/summary.tsv and OUT/summary.md
(per strength and q), and OUT/calibration.svg (observed against nominal FDR).
"""
import argparse
import csv
import os
import subprocess
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))
sys.path.insert(0, HERE)
import plant  # noqa: E402
import truth  # noqa: E402

SNAKEFILE = os.path.join(ROOT, "workflow", "Snakefile")
LEVELS = (0.05, 0.1, 0.2)


def set_name(strength, seed):
    return "planted{}_seed{}".format(strength, seed)


def seeds_of(args, strength):
    return args.unplanted_seeds if strength == 0 else args.seeds


def make_sets(args, sets_dir):
    rows = []
    for seed in sorted(set(args.seeds) | set(args.unplanted_seeds)):
        for strength in args.strengths:
            if seed not in seeds_of(args, strength):
                continue
            name = set_name(strength, seed)
            fasta = os.path.join(sets_dir, name + ".fa")
            network = os.path.join(sets_dir, name + ".tab")
            if not (os.path.exists(fasta) and os.path.exists(network)):
                plant.make_set(args.promoters, args.shape, seed, strength, args.words,
                               fasta, network)
            rows.append((name, strength, seed, fasta, network))
    return rows


def write_sheet(path, rows, replicates):
    with open(path, "w") as handle:
        handle.write("name\tfasta\tinteractions\treplicates\n")
        for name, _, _, fasta, network in rows:
            handle.write("{}\t{}\t{}\t{}\n".format(name, fasta, network, replicates))


def run_workflow(args, sheet, work, rows):
    # The targets come first: --quiet and --config take every word after them.
    command = ["snakemake"] + ["{}/calibration.tsv".format(name) for name, *_ in rows]
    command += ["-s", SNAKEFILE, "--directory", work, "--cores", str(args.cores),
                "--rerun-incomplete", "--keep-going", "--quiet", "rules"]
    if args.config:
        command += ["--configfile", args.config]
    command += ["--config", "bin=" + args.bin, "datasets=" + sheet, "null=" + args.null]
    print("running:", " ".join(command), flush=True)
    return subprocess.run(command, stdin=subprocess.DEVNULL).returncode


def read_calibration(path):
    with open(path, newline="") as handle:
        return [row for row in csv.DictReader(handle, delimiter="\t")]


def evaluate_set(rows, words, level):
    """(discoveries, false, one-sided, planted pair found) at FDR <= level."""
    found = False
    discoveries = false = one_sided = 0
    for row in rows:
        if float(row["fdr"]) > level:
            continue
        discoveries += 1
        kind = truth.classify(row["element_a"], row["element_b"], words)
        false += kind == "false"
        one_sided += kind == "one-sided"
        found = found or kind == "true"
    return discoveries, false, one_sided, found


def evaluate(args, work, rows):
    per_set = []
    for name, strength, seed, _, _ in rows:
        path = os.path.join(work, name, "calibration.tsv")
        if not os.path.exists(path):
            print("missing: {} (its run failed; see {}/logs/{})".format(path, work, name))
            continue
        table = read_calibration(path)
        words = args.words if strength > 0 else []
        for level in LEVELS:
            d, f, o, found = evaluate_set(table, words, level)
            per_set.append({
                "set": name, "planted": strength, "seed": seed, "q": level,
                "pairs": len(table), "discoveries": d, "false": f, "one_sided": o,
                "fdp": f / d if d else 0.0, "found": int(found),
            })
    return per_set


def summarise(per_set, strengths):
    summary = []
    groups = [(s, [r for r in per_set if r["planted"] == s]) for s in strengths]
    groups.append(("all", per_set))
    for strength, group in groups:
        for level in LEVELS:
            cell = [r for r in group if r["q"] == level]
            if not cell:
                continue
            n = len(cell)
            summary.append({
                "planted": strength, "q": level, "sets": n,
                "mean_discoveries": sum(r["discoveries"] for r in cell) / n,
                "mean_false": sum(r["false"] for r in cell) / n,
                "observed_fdp": sum(r["fdp"] for r in cell) / n,
                "sets_with_false": sum(1 for r in cell if r["false"]),
                "found": sum(r["found"] for r in cell),
                "planted_sets": sum(1 for r in cell if r["planted"] > 0),
            })
    return summary


def write_tsv(path, records):
    if not records:
        return
    with open(path, "w") as handle:
        handle.write("\t".join(records[0]) + "\n")
        for record in records:
            handle.write("\t".join(
                "{:.4g}".format(v) if isinstance(v, float) else str(v)
                for v in record.values()) + "\n")


def markdown(summary, replicates, seeds, unplanted_seeds):
    lines = [
        "| planted in | nominal q | sets | pairs at FDR <= q (mean) | of those false (mean)"
        " | observed FDP | sets with a false discovery | planted pair found |",
        "|---|---|---|---|---|---|---|---|",
    ]
    for s in summary:
        planted = "all sets" if s["planted"] == "all" else "{} interactions".format(s["planted"])
        found = "-" if s["planted"] in (0, "all") else "{} of {}".format(s["found"], s["sets"])
        lines.append("| {} | {} | {} | {:.1f} | {:.1f} | {:.3f} | {} of {} | {} |".format(
            planted, s["q"], s["sets"], s["mean_discoveries"], s["mean_false"],
            s["observed_fdp"], s["sets_with_false"], s["sets"], found))
    lines.append("")
    lines.append("{} null replicates a set; seeds {} (nothing planted: {}).".format(
        replicates, ", ".join(str(s) for s in seeds),
        ", ".join(str(s) for s in unplanted_seeds)))
    return "\n".join(lines) + "\n"


def svg_plot(summary, strengths):
    """Observed FDP against nominal q, one line per planted strength."""
    size, margin, top = 360, 50, 0.4
    colours = ["#1b9e77", "#d95f02", "#7570b3", "#e7298a", "#666666"]

    def x(v):
        return margin + v / top * (size - 2 * margin)

    def y(v):
        return size - margin - v / top * (size - 2 * margin)

    out = ['<svg xmlns="http://www.w3.org/2000/svg" width="{0}" height="{0}" '
           'font-family="sans-serif" font-size="11">'.format(size + 120),
           '<rect width="100%" height="100%" fill="white"/>']
    out.append('<line x1="{}" y1="{}" x2="{}" y2="{}" stroke="#999" stroke-dasharray="4 3"/>'
               .format(x(0), y(0), x(top), y(top)))
    out.append('<line x1="{0}" y1="{1}" x2="{2}" y2="{3}" stroke="#bbb" stroke-dasharray="1 3"/>'
               .format(x(0), y(0.05), x(top - 0.05), y(top)))
    for tick in (0, 0.1, 0.2, 0.3, 0.4):
        out.append('<text x="{}" y="{}" text-anchor="middle">{}</text>'.format(
            x(tick), size - margin + 16, tick))
        out.append('<text x="{}" y="{}" text-anchor="end">{}</text>'.format(
            margin - 6, y(tick) + 4, tick))
    out.append('<line x1="{0}" y1="{1}" x2="{2}" y2="{1}" stroke="black"/>'.format(
        x(0), y(0), x(top)))
    out.append('<line x1="{0}" y1="{1}" x2="{0}" y2="{2}" stroke="black"/>'.format(
        x(0), y(0), y(top)))
    out.append('<text x="{}" y="{}" text-anchor="middle">nominal FDR q</text>'.format(
        size / 2, size - 12))
    out.append('<text x="14" y="{0}" text-anchor="middle" transform="rotate(-90 14 {0})">'
               'observed false discovery proportion</text>'.format(size / 2))
    for i, strength in enumerate(list(strengths) + ["all"]):
        points = [s for s in summary if s["planted"] == strength]
        if not points:
            continue
        colour = colours[i % len(colours)]
        path = " ".join("{:.1f},{:.1f}".format(x(p["q"]), y(min(p["observed_fdp"], top)))
                        for p in points)
        out.append('<polyline points="{}" fill="none" stroke="{}" stroke-width="2"/>'.format(
            path, colour))
        for p in points:
            out.append('<circle cx="{:.1f}" cy="{:.1f}" r="3" fill="{}"/>'.format(
                x(p["q"]), y(min(p["observed_fdp"], top)), colour))
        label = "all sets" if strength == "all" else "planted in {}".format(strength)
        out.append('<text x="{}" y="{}" fill="{}">{}</text>'.format(
            size - margin + 8, margin + 16 * i, colour, label))
    out.append('<text x="{}" y="{}" fill="#999">dashed: observed = q</text>'.format(
        size - margin + 8, margin + 16 * (len(strengths) + 2)))
    out.append('<text x="{}" y="{}" fill="#999">dotted: q + 0.05</text>'.format(
        size - margin + 8, margin + 16 * (len(strengths) + 3)))
    out.append("</svg>")
    return "\n".join(out) + "\n"


def integers(text):
    return [int(v) for v in text.split(",") if v.strip()]


def main(argv=None):
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--bin", default=os.path.join(ROOT, "build", "bin"))
    parser.add_argument("--out", default="calibration-study")
    parser.add_argument("--seeds", type=integers, default=[1, 2, 3])
    # With nothing planted a set's false discovery proportion is 0 or 1, so
    # that row needs more sets to say anything.
    parser.add_argument("--unplanted-seeds", type=integers, default=list(range(1, 11)))
    parser.add_argument("--strengths", type=integers, default=[0, 100, 200, 400])
    parser.add_argument("--replicates", type=int, default=10)
    parser.add_argument("--null", choices=["relabel", "repair"], default="relabel")
    parser.add_argument("--cores", type=int, default=2)
    parser.add_argument("--promoters",
                        default=os.path.join(ROOT, "examples", "promoters.unplanted.fa"))
    parser.add_argument("--shape", default=os.path.join(ROOT, "examples", "interactions.tab"))
    parser.add_argument("--words", type=lambda t: t.split(","), default=["TGACTCA", "CACGTG"])
    parser.add_argument("--config", help="extra workflow config (program options)")
    parser.add_argument("--evaluate-only", action="store_true",
                        help="read the finished runs again without running anything")
    args = parser.parse_args(argv)
    args.out = os.path.abspath(args.out)
    args.bin = os.path.abspath(args.bin)
    if args.config:
        args.config = os.path.abspath(args.config)
    if len(args.words) != 2:
        print("ERROR: --words takes two words separated by a comma", file=sys.stderr)
        return 1
    sets_dir = os.path.join(args.out, "sets")
    work = os.path.join(args.out, "runs")
    os.makedirs(sets_dir, exist_ok=True)
    try:
        rows = make_sets(args, sets_dir)
    except (OSError, ValueError) as error:
        print("ERROR: calibration study: {}".format(error), file=sys.stderr)
        return 1
    if not args.evaluate_only:
        sheet = os.path.join(args.out, "sets.sheet.tsv")
        write_sheet(sheet, rows, args.replicates)
        if run_workflow(args, sheet, work, rows) != 0:
            print("WARNING: some runs failed; the summary covers the sets that finished")
    per_set = evaluate(args, work, rows)
    if not per_set:
        print("ERROR: calibration study: no set finished", file=sys.stderr)
        return 1
    summary = summarise(per_set, args.strengths)
    write_tsv(os.path.join(args.out, "sets.tsv"), per_set)
    write_tsv(os.path.join(args.out, "summary.tsv"), summary)
    table = markdown(summary, args.replicates, args.seeds, args.unplanted_seeds)
    with open(os.path.join(args.out, "summary.md"), "w") as handle:
        handle.write(table)
    with open(os.path.join(args.out, "calibration.svg"), "w") as handle:
        handle.write(svg_plot(summary, args.strengths))
    sys.stdout.write(table)
    return 0


if __name__ == "__main__":
    sys.exit(main())
