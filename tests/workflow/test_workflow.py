#!/usr/bin/env python3
"""The Snakemake workflow, end to end.

  test_workflow.py CASE BIN WORK
CASE is one of: lint, dry_run, bad_sheet, prepare, calibration, run, outcomes.
BIN holds the suite's programs, WORK is a scratch folder (emptied first).
A missing snakemake or bedtools is a failure, never a skip."""
import os
import re
import shutil
import stat
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
DATA = os.path.join(HERE, "data")
ROOT = os.path.dirname(os.path.dirname(HERE))
SNAKEFILE = os.path.join(ROOT, "workflow", "Snakefile")
CALIBRATE = os.path.join(ROOT, "workflow", "scripts", "calibrate.py")

# Small runs: options that keep every program to a second or two.
FAST_OPTIONS = """
Tavrin-N: {srand: 1, random: 0, queue: 20, seedl: 5, maxl: 7, shuffle: 50, cont: 10, revcomp: 1}
Tavrin-N.HV: {srand: 1, random: 0, queue: 20, seedl: 4, maxl: 5, shuffle: 20, cont: 10, revcomp: 1}
Tavrin: {domethod: "", srand: 1, random: 0, queue: 50, shuffle: 20, jfrac: 3, jnum: 10}
Vantor: {type: "", srand: 1, ndecoy: 20}
promoters: {upstream: 10, downstream: 2, feature: gene, name_attributes: [gene_name, Name]}
"""


class Failure(Exception):
    pass


def check(condition, message):
    if not condition:
        raise Failure(message)


def data(name):
    return os.path.join(DATA, name)


def read(path):
    with open(path) as handle:
        return handle.read()


def write_sheet(path, header, rows):
    with open(path, "w") as handle:
        handle.write("\t".join(header) + "\n")
        for row in rows:
            handle.write("\t".join(row) + "\n")


def write_config(work, sheet, extra=""):
    path = os.path.join(work, "config.yaml")
    with open(path, "w") as handle:
        handle.write("datasets: {}\n{}{}".format(sheet, FAST_OPTIONS, extra))
    return path


def snakemake(work, config, bin_dir, *args, expect=0):
    """Runs snakemake on the workflow in WORK/out; returns its output."""
    command = ["snakemake", "-s", SNAKEFILE, "--directory", os.path.join(work, "out"),
               "--configfile", config, "--config", "bin=" + bin_dir, "--cores", "2"]
    result = subprocess.run(command + list(args), stdout=subprocess.PIPE,
                            stderr=subprocess.STDOUT, text=True, stdin=subprocess.DEVNULL)
    if expect is not None and (result.returncode == 0) != (expect == 0):
        raise Failure("snakemake {} exited {}:\n{}".format(
            " ".join(args), result.returncode, result.stdout[-6000:]))
    return result.stdout


def job_counts(output):
    """rule -> planned jobs, from the 'Job stats' table of a dry run."""
    counts = {}
    table = output.split("Job stats:", 1)
    if len(table) < 2:
        return counts
    for line in table[1].splitlines()[3:]:
        fields = line.split()
        if len(fields) < 2 or not fields[1].isdigit():
            break
        counts[fields[0]] = int(fields[1])
    return counts


def nothing_to_do(output):
    return "Nothing to be done" in output


# --- cases -----------------------------------------------------------------

def case_lint(bin_dir, work):
    output = snakemake(work, write_config(work, os.path.join(ROOT, "workflow", "config", "datasets.tsv")),
                       bin_dir, "--lint")
    check("Congratulations, your workflow is in a good condition!" in output,
          "lint findings:\n" + output)


def two_datasets(work):
    sheet = os.path.join(work, "sheet.tsv")
    write_sheet(sheet, ["name", "fasta", "genome", "annotation", "interactions", "string_links",
                        "aliases", "se", "hv", "jaspar", "fasta2", "orthologs", "replicates",
                        "alphabet"], [
        ["fly", data("promoters.fa"), "", "", data("interactions.tab"), "", "", "", "yes",
         data("insecta.jaspar"), data("relative.fa"), data("orthologs.tab"), "3", ""],
        ["toy", "", data("genome.fa"), data("genes.gtf"), "", data("string_links.txt"),
         data("aliases.tsv"), data("calibration/ties/real.1.eda"), "", "", data("relative.fa"),
         data("orthologs.tab"), "2", "protein"],
    ])
    return sheet


def case_dry_run(bin_dir, work):
    config = write_config(work, two_datasets(work))
    expected = {"all": 1, "promoters": 1, "interactions": 2, "motif_pairs": 4,
                "self_motif_pairs": 4, "element_file": 4, "element_pairs": 7,
                "known_motifs": 1, "conservation": 2, "calibration": 2, "report": 2}
    output = snakemake(work, config, bin_dir, "-n", "-p")
    got = job_counts(output)
    check(got.pop("total", None) == sum(expected.values()) and got == expected,
          "planned jobs {} instead of {}".format(got, expected))
    for command in ("/VantorN ", "/VantorP ", "-type PMOTIF", "-random 1 -queue 20 -seedl 5"):
        check(command in output, "no '{}' in the planned commands".format(command))

    # The cluster profile parses and plans the same jobs.
    output = snakemake(work, config, bin_dir, "-n", "--profile",
                       os.path.join(ROOT, "workflow", "profiles", "slurm"))
    got = job_counts(output)
    got.pop("total", None)
    check(got == expected, "slurm profile planned {}".format(got))
    check("mem_mb=8000" in output, "per-rule memory of the profile not applied")


def case_bad_sheet(bin_dir, work):
    good = ["fly", data("promoters.fa"), data("interactions.tab")]
    header = ["name", "fasta", "interactions"]
    cases = [  # (extra column, its cell, words the message must contain)
        ([], [], ["line 3", "'other'", "column 'fasta'", "missing.fa", "does not exist"]),
        (["Tavrin.jnum"], ["120"], ["line 3", "column 'Tavrin.jnum'", "120"]),
        (["Tavrin.jnum"], ["ten"], ["line 3", "column 'Tavrin.jnum'", "'ten'"]),
        (["colour"], ["blue"], ["line 3", "unknown column 'colour'"]),
        (["hv"], ["maybe"], ["line 3", "column 'hv'"]),
        (["string_links"], [data("string_links.txt")], ["line 3", "exactly one of"]),
    ]
    for number, (extra, cell, words) in enumerate(cases):
        sheet = os.path.join(work, "bad{}.tsv".format(number))
        second = ["other", data("missing.fa") if not extra else data("promoters.fa"),
                  data("interactions.tab")]
        write_sheet(sheet, header + extra, [good + [""] * len(extra), second + cell])
        output = snakemake(work, write_config(work, sheet), bin_dir, "-n", expect=1)
        for word in words:
            check(word in output, "case {}: '{}' missing from:\n{}".format(number, word, output))
        check(not os.path.exists(os.path.join(work, "out", "fly")), "a job ran")


def case_prepare(bin_dir, work):
    check(shutil.which("bedtools"), "bedtools is not installed")
    sheet = os.path.join(work, "sheet.tsv")
    rows = [  # data set, annotation, interaction column, its file, aliases, overrides
        ("gtf", "genes.gtf", "string_links", "string_links.txt", "aliases.tsv", ""),
        ("gff", "genes.gff3", "mitab", "interactions.mitab", "", ""),
        ("names", "genes.gtf", "mitab", "interactions.mitab", "", "gene name"),
        ("grid", "genes.gtf", "biogrid", "interactions.biogrid.tab3", "", ""),
        ("ready", "genes.gtf", "interactions", "interactions_scored.tab", "", ""),
    ]
    sources = ["interactions", "string_links", "biogrid", "mitab"]
    write_sheet(sheet, ["name", "genome", "annotation"] + sources +
                ["aliases", "interactions.mitab_name"], [
        [name, data("genome.fa"), data(annotation)] +
        [data(path) if column == source else "" for column in sources] +
        [data(aliases) if aliases else "", mode]
        for name, annotation, source, path, aliases, mode in rows])
    targets = ["{}/input/{}".format(r[0], f) for r in rows
               for f in ("promoters.fa", "interactions.tab")]
    snakemake(work, write_config(work, sheet), bin_dir, *targets)
    out = os.path.join(work, "out")
    expected = {"gtf": "string", "gff": "mitab_id", "names": "mitab_gene_name",
                "grid": "biogrid", "ready": "ready"}
    for name, kind in expected.items():
        got = read(os.path.join(out, name, "input", "interactions.tab"))
        check(got == read(data("expected_{}.tab".format(kind))),
              "{} interactions:\n{}".format(name, got))
        got = read(os.path.join(out, name, "input", "promoters.fa"))
        check(got == read(data("expected_promoters.fa")), "{} promoters:\n{}".format(name, got))
    log = read(os.path.join(out, "logs", "gtf", "promoters.log"))
    check("genes without a usable name: 1" in log and "missing from the genome: 1" in log,
          "promoter log:\n" + log)
    check(not os.path.exists(data("genome.fa.fai")), "an index was written beside the genome")


def case_calibration(bin_dir, work):
    folder = data("calibration")
    for case in sorted(os.listdir(folder)):
        here = os.path.join(folder, case)
        nulls = sorted(os.path.join(here, f) for f in os.listdir(here) if f.startswith("null_"))
        table, summary = os.path.join(work, case + ".tsv"), os.path.join(work, case + ".txt")
        subprocess.run([sys.executable, CALIBRATE, os.path.join(here, "real.sif"),
                        os.path.join(here, "real.1.eda"), table, summary] + nulls,
                       check=True, stdout=subprocess.DEVNULL)
        check(read(table) == read(os.path.join(here, "expected.tsv")),
              "{}: calibration.tsv\n{}".format(case, read(table)))
        check(read(summary) == read(os.path.join(here, "expected_summary.txt")),
              "{}: summary {}".format(case, read(summary)))

    # 100 replicates of 500 pairs against 500 real pairs, in under a second.
    def eda(path, count, offset):
        with open(path, "w") as handle:
            handle.write("MI (class=Double)\n")
            for i in range(count):
                handle.write("M{0} (TavrinSE) N{0} = {1:g}\n".format(i, (i * 7919 + offset) % 1000 / 1e4))
    eda(os.path.join(work, "real.1.eda"), 500, 0)
    with open(os.path.join(work, "real.sif"), "w") as handle:
        handle.writelines("M{0} TavrinSE N{0}\n".format(i) for i in range(500))
    nulls = []
    for k in range(100):
        nulls.append(os.path.join(work, "null{}.1.eda".format(k)))
        eda(nulls[-1], 500, k)
    # Processor time, not wall time: the test machine may be shared.
    started, before = time.monotonic(), os.times()
    subprocess.run([sys.executable, CALIBRATE, os.path.join(work, "real.sif"),
                    os.path.join(work, "real.1.eda"), os.path.join(work, "big.tsv"),
                    os.path.join(work, "big.txt")] + nulls, check=True, stdout=subprocess.DEVNULL)
    after = os.times()
    cpu = (after.children_user - before.children_user) + (after.children_system -
                                                          before.children_system)
    print("calibration over 100 replicates: {:.2f} s processor, {:.2f} s wall".format(
        cpu, time.monotonic() - started))
    check(cpu < 1.0, "calibration over 100 replicates took {:.2f} s".format(cpu))


def snapshot(out):
    """Every result file (not logs, benchmarks or Snakemake's own) with its bytes."""
    files = {}
    for folder, dirs, names in os.walk(out):
        dirs[:] = [d for d in dirs if d not in (".snakemake", "logs", "benchmarks")]
        for name in names:
            path = os.path.join(folder, name)
            files[os.path.relpath(path, out)] = read(path)
    return files


def case_run(bin_dir, work):
    sheet = os.path.join(work, "sheet.tsv")
    write_sheet(sheet, ["name", "fasta", "interactions", "hv", "jaspar", "ace", "fasta2",
                        "orthologs", "replicates", "Tavrin.jnum"], [
        ["fly", data("promoters.fa"), data("interactions.tab"), "yes", data("insecta.jaspar"),
         data("ace"), data("relative.fa"), data("orthologs.tab"), "2", "2"]])
    config = write_config(work, sheet)
    out = os.path.join(work, "out")
    started = time.monotonic()
    snakemake(work, config, bin_dir)
    seconds = time.monotonic() - started
    print("real run with 2 replicates: {:.1f} s".format(seconds))
    check(seconds < 60, "the run took {:.1f} s".format(seconds))

    first = snapshot(out)
    for run in ("real", "null/1", "null/2"):
        for suffix in ("motifs.se", "self_motifs.se", "elements.se", "net.sif", "net.1.noa",
                       "net.1.eda", "net.2.eda", "net.3.eda"):
            check("fly/{}/{}".format(run, suffix) in first, "no fly/{}/{}".format(run, suffix))
        for step in ("motif_pairs", "self_motif_pairs", "element_file", "element_pairs"):
            for kind, ext in (("logs", "log"), ("benchmarks", "tsv")):
                path = os.path.join(out, kind, "fly", run, "{}.{}".format(step, ext))
                check(os.path.isfile(path), "no " + path)
    pairs = first["fly/real/net.sif"].count("\n")
    check(pairs > 0, "no real pair on the test data")
    table = first["fly/calibration.tsv"].splitlines()
    check(table[0] == "element_a\telement_b\tscore\tnull_mean_count\treal_count\tfdr"
          and len(table) == pairs + 1, "calibration.tsv:\n" + first["fly/calibration.tsv"])
    check(first["fly/calibration_summary.txt"].startswith("real pairs: {};".format(pairs)),
          "summary " + first["fly/calibration_summary.txt"])
    check(first["fly/known_motifs.tsv"].startswith("Sequence\tClosest Match\tMatch Score"),
          "Simvale report")
    check(first["fly/conservation.noa"].startswith("Conservation (class=Double)"),
          "conservation file")
    # The row's override reached the program, the threads its environment.
    log = read(os.path.join(out, "logs", "fly", "real", "element_pairs.log"))
    check(" -jnum 2 " in log, "row override -jnum 2 not used:\n" + log[:400])
    log = read(os.path.join(out, "logs", "fly", "known_motifs.log"))
    check("-reffolder {} ".format(data("ace")) in log, "ACE folder not given:\n" + log[:400])
    check('"hasFdr":true' in first["fly/report.html"],
          "no FDR in the report page")
    check(first["fly/real/net.2.eda"].startswith("Robustness_per_2 "), "jack-knife count")

    # A second call does nothing.
    check(nothing_to_do(snakemake(work, config, bin_dir, "-n")), "rerun is not up to date")

    # Deleting one output reruns only what depends on it, with the same bytes.
    os.remove(os.path.join(out, "fly", "known_motifs.tsv"))
    got = job_counts(snakemake(work, config, bin_dir, "-n"))
    check(got == {"all": 1, "known_motifs": 1, "report": 1, "total": 3},
          "after deleting the Simvale report: {}".format(got))
    os.remove(os.path.join(out, "fly", "calibration.tsv"))
    got = job_counts(snakemake(work, config, bin_dir, "-n"))
    check(got == {"all": 1, "known_motifs": 1, "calibration": 1, "report": 1, "total": 4},
          "after deleting the calibration: {}".format(got))
    # A null network rewritten (here: touched) makes only the calibration stale.
    os.utime(os.path.join(out, "fly", "null", "1", "net.1.eda"))
    got = job_counts(snakemake(work, config, bin_dir, "-n"))
    check(got == {"all": 1, "known_motifs": 1, "calibration": 1, "report": 1, "total": 4},
          "after touching a null network: {}".format(got))
    snakemake(work, config, bin_dir)
    check(snapshot(out) == first, "rerun changed the results")
    check(nothing_to_do(snakemake(work, config, bin_dir, "-n")), "not up to date after the rerun")


def fake_program(folder, name, body):
    path = os.path.join(folder, name)
    with open(path, "w") as handle:
        handle.write("#!/usr/bin/env bash\n" + body + "\n")
    os.chmod(path, os.stat(path).st_mode | stat.S_IXUSR | stat.S_IXGRP | stat.S_IXOTH)


# Stand-ins for the programs: the real motif finder's null replicates seldom
# give the outcomes below on small data, so these produce them on demand.
FAKE_FINDER = r'''
out=""; random=0; seed=0
while [ $# -gt 0 ]; do
  case "$1" in -out) out="$2";; -random) random="$2";; -srand) seed="$2";; esac; shift 2
done
printf '$Gene\tMethod\tMotif\tStatus\n' > "$out"
if [ "$random" = 0 ] || [ "$seed" = 1 ]; then
  printf 'g1\tTavrinSE_N\t@AAAA\tT\ng2\tTavrinSE_N\t@CCCC\tT\n' >> "$out"
fi
echo "Job finished successfully."
'''
FAKE_PAIR_FINDER = r'''
out=""; random=0
while [ $# -gt 0 ]; do
  case "$1" in -out) out="$2";; -random) random="$2";; esac; shift 2
done
printf 'SequenceElementType (class=java.lang.String)\n' > "$out.1.noa"
printf 'MI (class=Double)\n' > "$out.1.eda"
printf 'Robustness_per_10 (class=Integer)\n' > "$out.2.eda"
printf 'Z_score (class=Double)\n' > "$out.3.eda"
if [ "$random" = 1 ]; then
  : > "$out.sif"
  echo "Job finished successfully, but no significant element pairs were found."
  exit 1
fi
echo "AAAA TavrinSE CCCC" > "$out.sif"
echo "AAAA (TavrinSE) CCCC = 0.5" >> "$out.1.eda"
echo "Job finished successfully."
'''


def case_outcomes(bin_dir, work):
    """Nothing found is a result; any other failure stops with the output kept."""
    fake = os.path.join(work, "fake")
    os.makedirs(fake)
    fake_program(fake, "Tavrin-N", FAKE_FINDER)
    fake_program(fake, "Tavrin", FAKE_PAIR_FINDER + '[ -n "$OMP_NUM_THREADS" ] || exit 3')
    sheet = os.path.join(work, "sheet.tsv")
    write_sheet(sheet, ["name", "fasta", "interactions", "replicates"],
                [["toy", data("promoters.fa"), data("interactions.tab"), "3"]])
    config = write_config(work, sheet)
    snakemake(work, config, fake)
    out = os.path.join(work, "out", "toy")
    # Replicate 1 ran Tavrin and found nothing; 2 and 3 had no motif, so no run.
    log = read(os.path.join(work, "out", "logs", "toy", "null", "2", "element_pairs.log"))
    check("0 pairs" in log, "replicate 2 log: " + log)
    check(read(os.path.join(out, "calibration.tsv")).splitlines()[1] ==
          "AAAA\tCCCC\t0.5\t0\t1\t0", "calibration with empty nulls")

    # A program failing for real fails its job and keeps what it said.
    shutil.rmtree(os.path.join(work, "out"))
    fake_program(fake, "Tavrin", 'echo "ERROR: fly.se could not be read. Program aborted."; exit 1')
    output = snakemake(work, config, fake, "--keep-going", expect=1)
    log = read(os.path.join(work, "out", "logs", "toy", "real", "element_pairs.log"))
    check("ERROR: fly.se could not be read." in log, "failure log: " + log)
    check(not os.path.exists(os.path.join(out, "calibration.tsv")), "calibration ran")
    check("element_pairs" in output, "the failed job is not named")


CASES = {name[len("case_"):]: f for name, f in globals().items() if name.startswith("case_")}


def main():
    if len(sys.argv) != 4 or sys.argv[1] not in CASES:
        sys.exit(__doc__)
    case, bin_dir, work = sys.argv[1], os.path.abspath(sys.argv[2]), os.path.abspath(sys.argv[3])
    if not shutil.which("snakemake"):
        sys.exit("FAIL: snakemake is not installed (apt-get install snakemake)")
    shutil.rmtree(work, ignore_errors=True)
    os.makedirs(work)
    try:
        CASES[case](bin_dir, work)
    except Failure as failure:
        sys.exit("FAIL {}: {}".format(case, failure))
    print("ok", case)


if __name__ == "__main__":
    main()
