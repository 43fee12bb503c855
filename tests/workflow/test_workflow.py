#!/usr/bin/env python3
"""The Snakemake workflow, end to end.

  test_workflow.py CASE BIN WORK
CASE is one of: lint, dry_run, bad_sheet, prepare, bad_inputs, calibration, run,
outcomes.
BIN holds the suite's programs, WORK is a scratch folder (emptied first).
A missing snakemake or bedtools is a failure, never a skip."""
import gzip
import os
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
promoters: {upstream: 10, downstream: 2, name_attributes: [gene_name, Name]}
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
    expected = {"all": 1, "promoters": 1, "interactions": 2, "relabelled_network": 5,
                "motif_pairs": 4, "self_motif_pairs": 4, "element_file": 4, "element_pairs": 7,
                "known_motifs": 1, "conservation": 2, "calibration": 2, "report": 2}
    output = snakemake(work, config, bin_dir, "-n", "-p")
    got = job_counts(output)
    check(got.pop("total", None) == sum(expected.values()) and got == expected,
          "planned jobs {} instead of {}".format(got, expected))
    for command in ("/VantorN ", "/VantorP ", "-type PMOTIF",
                    "-int fly/null/1/interactions.tab -srand 1 -random 0 -queue 20 -seedl 5"):
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


def write_rows(path, rows):
    """A sheet from dicts: the header is every key in order of first use."""
    header = list(dict.fromkeys(key for row in rows for key in row))
    write_sheet(path, header, [[str(row.get(key, "")) for key in header] for row in rows])


def promoters_of(names, extra=""):
    """Records of expected_promoters.fa for these genes, plus extra text."""
    records = read(data("expected_promoters.fa")).split(">")[1:]
    return "".join(">" + r for r in records if r.split("\n", 1)[0] in names) + extra


ALL_GENES = ("geneA", "geneB", "geneC", "geneD")

# The inputs as databases ship them, each read into the same promoters and
# network: data set, its sheet cells, expected interactions, expected
# promoters, words each step's log must hold.
GOOD_INPUTS = [
    ("gtf", {"genome": "genome.fa", "annotation": "genes.gtf", "string_links": "string_links.txt",
             "aliases": "aliases.tsv"}, "string", ALL_GENES,
     {"promoters": ["genes without a usable name: 1",
                    "genes on a contig missing from the genome: 1 (chr3)"],
      "interactions": ["4 of 5 names in the interactions are sequence names",
                       "names without a sequence: ENSP0005"]}),
    ("gff", {"genome": "genome.fa", "annotation": "genes.gff3", "mitab": "interactions.mitab",
             "aliases": "uniprot_aliases.tsv"}, "mitab_id", ALL_GENES,
     {"interactions": ["names mapped through uniprot_aliases.tsv: 4 of 4",
                       "no organism columns, every row kept"]}),
    ("ensembl_gff3", {"genome": "genome.fa", "annotation": "genes_ensembl.gff3",
                      "mitab": "interactions.mitab", "interactions.mitab_name": "gene name"},
     "mitab_gene_name", ALL_GENES,
     {"promoters": ["4 promoters written", "gene, ncRNA_gene, pseudogene",
                    "genes without a usable name: 2", "genes named like an earlier gene: 1"]}),
    ("gencode", {"genome": "genome.fa", "annotation": "genes_gencode.gtf",
                 "promoters.name_attributes": "gene_id", "promoters.strip_version": "yes",
                 "biogrid": "interactions.biogrid.tab3"}, "biogrid", ALL_GENES, {}),
    # The alias table maps the annotation's names only, not the network's.
    ("annotation_aliases", {"genome": "genome.fa", "annotation": "genes_gencode.gtf",
                            "promoters.name_attributes": "gene_id",
                            "aliases": "gencode_aliases.tsv",
                            "interactions": "interactions_scored.tab"}, "ready", ALL_GENES,
     {"interactions": ["names mapped through gencode_aliases.tsv: 0 of 3"]}),
    ("ensembl_gtf", {"genome": "genome_chrM.fa", "annotation": "genes_ensembl.gtf",
                     "promoters.contig_names": "flexible",
                     "biogrid": "interactions_taxa.biogrid.tab3"},
     "biogrid", ALL_GENES + (">geneM\nAAAACC\n",),
     {"interactions": ["taxon 9606 (the one most rows carry: 3 of 4 rows; others: 10090 (1), "
                       "10566 (1))", "left out: 2 rows of another taxon than 9606"]}),
    ("ucsc", {"genome": "genome.fa", "annotation": "genes_ucsc.gtf",
              "promoters.features": "transcript", "mitab": "interactions_taxa.mitab",
              "interactions.mitab_name": "gene name", "interactions.taxon": "9606"},
     "mitab_gene_name", ALL_GENES,
     {"interactions": ["taxon 9606 (interactions.taxon), carried by 4 of 4 rows",
                       "left out: 2 rows of another taxon than 9606"]}),
    ("broken", {"genome": "genome.fa", "annotation": "genes_broken.gtf",
                "promoters.max_broken_lines": "1", "interactions": "interactions_scored.tab"},
     "ready", ALL_GENES[:3],
     {"promoters": ["unreadable lines left out: 1 (line 5: attributes are neither GTF"]}),
    ("string_sources", {"fasta": "expected_promoters.fa", "string_links": "string_links.txt.gz",
                        "aliases": "string_aliases.tsv",
                        "interactions.alias_sources": "Ensembl_HGNC_symbol,BioMart_HUGO"},
     "string", None, {"interactions": ["names mapped through string_aliases.tsv: 4 of 5"]}),
    ("versions", {"fasta": "expected_promoters.fa", "interactions": "interactions_versioned.tab",
                  "interactions.strip_version": "yes"}, "ready", None, {}),
    ("ready", {"fasta": "expected_promoters.fa", "interactions": "interactions_scored.tab"},
     "ready", None, {"interactions": ["2 interactions written",
                                      "3 of 3 names in the interactions are sequence names"]}),
]


def case_prepare(bin_dir, work):
    check(shutil.which("bedtools"), "bedtools is not installed")
    # A compressed download is read as it is.
    with open(data("string_links.txt"), "rb") as plain, \
            gzip.open(os.path.join(work, "string_links.txt.gz"), "wb") as packed:
        packed.write(plain.read())
    local = lambda name: os.path.join(work, name) if name.endswith(".gz") else data(name)
    sheet = os.path.join(work, "sheet.tsv")
    write_rows(sheet, [dict({"name": name}, **{
        k: (local(v) if "." not in k and k != "name" else v) for k, v in cells.items()})
        for name, cells, _, _, _ in GOOD_INPUTS])
    targets = ["{}/input/interactions.tab".format(r[0]) for r in GOOD_INPUTS]
    snakemake(work, write_config(work, sheet), bin_dir, *targets)
    out = os.path.join(work, "out")
    for name, cells, interactions, genes, words in GOOD_INPUTS:
        got = read(os.path.join(out, name, "input", "interactions.tab"))
        check(got == read(data("expected_{}.tab".format(interactions))),
              "{} interactions:\n{}".format(name, got))
        if genes is not None:
            got = read(os.path.join(out, name, "input", "promoters.fa"))
            names = [g for g in genes if not g.startswith(">")]
            expected = promoters_of(names, "".join(g for g in genes if g.startswith(">")))
            check(got == expected, "{} promoters:\n{}".format(name, got))
        for step, needed in words.items():
            log = read(os.path.join(out, "logs", name, step + ".log"))
            for word in needed:
                check(word in log, "{}: '{}' missing from the {} log:\n{}".format(
                    name, word, step, log))
    check(not os.path.exists(data("genome.fa.fai")), "an index was written beside the genome")


# Inputs that would give an empty or meaningless result: data set, its sheet
# cells, the step that must stop, words of its one ERROR line.
BAD_INPUTS = [
    ("contigs", {"genome": "genome.fa", "annotation": "genes_ensembl.gtf",
                 "interactions": "interactions_scored.tab"}, "promoters",
     ["0 of 5 genes are on contigs of genome.fa", "annotation contigs: 1, 2, MT",
      "genome contigs: chr1, chr2", "set promoters.contig_names: flexible"]),
    ("no_gene_lines", {"genome": "genome.fa", "annotation": "genes_ucsc.gtf",
                       "interactions": "interactions_scored.tab"}, "promoters",
     ["no line of the feature type(s) gene, ncRNA_gene, pseudogene in genes_ucsc.gtf",
      "transcript (6), exon (2)", "promoters.features: [transcript]"]),
    ("broken_line", {"genome": "genome.fa", "annotation": "genes_broken.gtf",
                     "interactions": "interactions_scored.tab"}, "promoters",
     ["1 line(s) of genes_broken.gtf cannot be read", "promoters.max_broken_lines 0",
      "line 5: attributes are neither GTF", "gene_id g4 gene_name geneD"]),
    ("unnamed", {"genome": "genome.fa", "annotation": "genes.gff3",
                 "promoters.name_attributes": "gene_name",
                 "interactions": "interactions_scored.tab"},
     "promoters", ["none of the 5 genes of genes.gff3 has a name", "attributes tried: gene_name",
                   "attributes seen: ID, Name"]),
    ("packed_genome", {"genome": "genome.fa.gz", "annotation": "genes.gtf",
                       "interactions": "interactions_scored.tab"}, "promoters",
     ["genome.fa.gz is compressed"]),
    ("uniprot", {"genome": "genome.fa", "annotation": "genes.gtf", "mitab": "interactions.mitab"},
     "interactions", ["0 of 4 names in the interactions are sequence names of promoters.fa",
                      "below interactions.min_match 0.5", "unmatched: P00001, P00002, P00003",
                      "sequence names: geneA, geneB", "map them with an alias table"]),
    ("ready_names", {"fasta": "expected_promoters.fa", "interactions": "interactions.tab"},
     "interactions", ["0 of ", "names in the interactions are sequence names of "
                      "expected_promoters.fa", "unmatched: NM_"]),
    ("alias_misses", {"fasta": "expected_promoters.fa", "string_links": "string_links.txt",
                      "aliases": "uniprot_aliases.tsv"}, "interactions",
     ["the alias table uniprot_aliases.tsv maps none of the 5 names of string_links.txt",
      "its names: P00001, P00002"]),
    ("alias_nothing", {"genome": "genome.fa", "annotation": "genes.gtf",
                       "interactions": "interactions_scored.tab",
                       "aliases": "unrelated_aliases.tsv"}, "interactions",
     ["the alias table unrelated_aliases.tsv maps none of the 3 names of "
      "interactions_scored.tab nor any gene of the annotation (its names: FBgn0001, FBgn0002; "
      "names there: geneA, geneB, geneC)"]),
    ("alias_first_row", {"fasta": "expected_promoters.fa", "string_links": "string_links.txt",
                         "aliases": "string_aliases.tsv"}, "interactions",
     ["0 of 5 names", "unmatched: 1001, 1002", "alias sources that would match: "
      "Ensembl_HGNC_symbol 3, BioMart_HUGO 2, BLAST_UniProt_GN_Synonyms 1 "
      "(set interactions.alias_sources)"]),
    ("alias_source", {"fasta": "expected_promoters.fa", "string_links": "string_links.txt",
                      "aliases": "string_aliases.tsv", "interactions.alias_sources": "HGNC"},
     "interactions", ["the alias table string_aliases.tsv has no row of the source(s) HGNC",
                      "its sources: Ensembl_EntrezGene (4 rows)"]),
    ("score", {"fasta": "expected_promoters.fa", "string_links": "string_links.txt",
               "aliases": "aliases.tsv", "interactions.string_min_score": "1000"},
     "interactions", ["0 interactions from string_links.txt (string_links)",
                      "below combined_score 1000"]),
    ("taxon", {"fasta": "expected_promoters.fa", "biogrid": "interactions.biogrid.tab3",
               "interactions.taxon": "9606"}, "interactions",
     ["interactions.biogrid.tab3 has no organism columns, so interactions.taxon 9606"]),
    ("few_names", {"fasta": "expected_promoters.fa", "mitab": "interactions_taxa.mitab",
                   "interactions.mitab_name": "gene name", "interactions.taxon": "all",
                   "interactions.min_match": "0.9"}, "interactions",
     ["4 of 6 names", "(67%, below interactions.min_match 0.9)", "unmatched: lacZ, ftsZ"]),
]


def case_bad_inputs(bin_dir, work):
    """Each bad input stops its step with one line; nothing after it runs,
    while a good data set beside them runs to the end."""
    fake = os.path.join(work, "fake")
    os.makedirs(fake)
    fake_program(fake, "Tavrin-N", FAKE_FINDER)
    fake_program(fake, "Tavrin", FAKE_PAIR_FINDER)
    with open(data("genome.fa"), "rb") as plain, \
            gzip.open(os.path.join(work, "genome.fa.gz"), "wb") as packed:
        packed.write(plain.read())
    local = lambda name: os.path.join(work, name) if name.endswith(".gz") else data(name)
    rows = [{"name": "good", "genome": data("genome.fa"), "annotation": data("genes.gtf"),
             "interactions": data("interactions_scored.tab"), "replicates": "1"}]
    for name, cells, _, _ in BAD_INPUTS:
        rows.append(dict({"name": name, "replicates": "1"}, **{
            k: (local(v) if "." not in k else v) for k, v in cells.items()}))
    sheet = os.path.join(work, "sheet.tsv")
    write_rows(sheet, rows)
    output = snakemake(work, write_config(work, sheet), fake, "--keep-going", expect=1)
    out = os.path.join(work, "out")
    check(os.path.isfile(os.path.join(out, "good", "calibration.tsv")),
          "the good data set did not run to the end:\n" + output[-3000:])
    for name, cells, step, words in BAD_INPUTS:
        log = read(os.path.join(out, "logs", name, step + ".log"))
        lines = log.splitlines()
        check(len(lines) == 1 and lines[0].startswith("ERROR: {}: ".format(step)),
              "{}: not one ERROR line of {}:\n{}".format(name, step, log))
        check(lines[0] in output, "{}: the console does not show:\n{}".format(name, lines[0]))
        for word in words:
            check(word in lines[0], "{}: '{}' missing from:\n{}".format(name, word, lines[0]))
        output_file = step + (".fa" if step == "promoters" else ".tab")
        check(not os.path.exists(os.path.join(out, name, "input", output_file)),
              "{}: the {} output stayed".format(name, step))
        later = [os.path.join(out, name, "real"), os.path.join(out, name, "null"),
                 os.path.join(out, "logs", name, "real")]
        if step == "promoters":
            later.append(os.path.join(out, "logs", name, "interactions.log"))
        for path in later:
            check(not os.path.exists(path), "{}: a later job ran ({})".format(name, path))


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
# A null replicate is told by -random 1 and its seed (re-paired networks) or
# by its own network null/K/interactions.tab (relabelled ones).
NULL_REPLICATE = r'''
null=0; k=0
if [ "$random" = 1 ]; then null=1; k=$seed; fi
case "$network" in */null/*) null=1; k=$(basename "$(dirname "$network")");; esac
'''
FAKE_FINDER = r'''
out=""; random=0; seed=0; network=""
while [ $# -gt 0 ]; do
  case "$1" in -out) out="$2";; -random) random="$2";; -srand) seed="$2";; -int) network="$2";; esac
  shift 2
done
printf '$Gene\tMethod\tMotif\tStatus\n' > "$out"
''' + NULL_REPLICATE + r'''
if [ "$null" = 0 ] || [ "$k" = 1 ]; then
  printf 'g1\tTavrinSE_N\t@AAAA\tT\ng2\tTavrinSE_N\t@CCCC\tT\n' >> "$out"
fi
echo "Job finished successfully."
'''
FAKE_PAIR_FINDER = r'''
out=""; random=0; seed=0; network=""
while [ $# -gt 0 ]; do
  case "$1" in -out) out="$2";; -random) random="$2";; -srand) seed="$2";; -int) network="$2";; esac
  shift 2
done
''' + NULL_REPLICATE + r'''

printf 'SequenceElementType (class=java.lang.String)\n' > "$out.1.noa"
printf 'MI (class=Double)\n' > "$out.1.eda"
printf 'Robustness_per_10 (class=Integer)\n' > "$out.2.eda"
printf 'Z_score (class=Double)\n' > "$out.3.eda"
if [ "$null" = 1 ]; then
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
          "AAAA\tCCCC\t0.5\t0\t1\t0.25", "calibration with empty nulls")

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
