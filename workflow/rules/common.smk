# Settings, the data-set sheet and the helpers the rules share. Everything
# here runs when the workflow is parsed, so a bad sheet stops the run before
# any job starts.
import copy
import csv
import os
import re
import sys

import jsonschema
import yaml
from snakemake.exceptions import WorkflowError
from snakemake.utils import validate


# YAML reads the key of "null: repair" as None; it means the null model (a
# quoted key, as --config null=... gives, wins).
if None in config:
    config.setdefault("null", config.pop(None))
validate(config, os.path.join(workflow.basedir, "schemas", "config.schema.yaml"))

BIN = os.path.abspath(config["bin"] or os.path.join(workflow.basedir, "..", "build", "bin"))
SHEET = os.path.abspath(
    config["datasets"] or os.path.join(workflow.basedir, "config", "datasets.tsv")
)
ROW_SCHEMA_FILE = os.path.join(workflow.basedir, "schemas", "datasets.schema.yaml")
SCRIPTS = os.path.join(workflow.basedir, "scripts")
PYTHON = sys.executable
RUNNER = os.path.join(SCRIPTS, "run_program.py")

FILE_COLUMNS = [
    "fasta", "genome", "annotation", "interactions", "string_links", "biogrid", "mitab",
    "aliases", "se", "jaspar", "fasta2", "orthologs", "names",
]
FOLDER_COLUMNS = ["ace"]
INTERACTION_SOURCES = ["interactions", "string_links", "biogrid", "mitab"]
TRUE_WORDS = {"yes", "true", "y", "1"}
FALSE_WORDS = {"no", "false", "n", "0", ""}


def _column_type(schema, column):
    declared = schema["properties"].get(column, {})
    if "$ref" in declared:
        declared = schema["definitions"][declared["$ref"].rsplit("/", 1)[1]]
    return declared.get("type")


def _typed(schema, column, text):
    """The cell as the schema wants it; a value that does not convert stays
    text so that the schema check names it."""
    kind = _column_type(schema, column)
    if kind == "integer" and re.fullmatch(r"[+-]?[0-9]+", text):
        return int(text)
    if kind == "number" and re.fullmatch(r"[+-]?([0-9]+\.?[0-9]*|\.[0-9]+)", text):
        return float(text)
    if kind == "boolean" and text.lower() in TRUE_WORDS | FALSE_WORDS:
        return text.lower() in TRUE_WORDS
    return text


def _row_problem(schema, row):
    """First schema violation of a row as 'column: message', or None."""
    try:
        validate(row, ROW_SCHEMA_FILE, set_default=False)
        return None
    except WorkflowError:
        pass
    for error in jsonschema.Draft7Validator(schema).iter_errors(row):
        if error.validator == "additionalProperties":
            known = set(schema["properties"])
            unknown = sorted(set(row) - known)
            return "unknown column '{}'".format("', '".join(unknown))
        field = ".".join(str(p) for p in error.path) or "(row)"
        return "column '{}': {}".format(field, error.message)
    return "does not match the sheet's schema"


def _options(row, section):
    """Config defaults of one section with the row's overrides."""
    merged = copy.deepcopy(config[section])
    prefix = f"{section}."
    for column, value in row.items():
        if column.startswith(prefix) and "." not in column[len(prefix):]:
            merged[column[len(prefix):]] = value
    return merged


def _check_row(line, row, folder):
    where = "{} line {} (data set '{}')".format(SHEET, line, row.get("name", "?"))

    def fail(field, message):
        raise WorkflowError("{}, column '{}': {}".format(where, field, message))

    if row["name"] in ("logs", "benchmarks"):
        fail("name", "'{}' is the folder of the jobs' {}".format(row["name"], row["name"]))
    for column in FILE_COLUMNS + FOLDER_COLUMNS:
        if column not in row:
            continue
        path = os.path.normpath(os.path.join(folder, row[column]))
        is_folder = column in FOLDER_COLUMNS
        if not (os.path.isdir(path) if is_folder else os.path.isfile(path)):
            fail(column, "{} {} does not exist".format("folder" if is_folder else "file", path))
        row[column] = path

    if "fasta" in row and ("genome" in row or "annotation" in row):
        fail("fasta", "give either fasta or genome and annotation, not both")
    if "fasta" not in row:
        for column in ("genome", "annotation"):
            if column not in row:
                fail(column, "needed (or a ready fasta)")
    sources = [c for c in INTERACTION_SOURCES if c in row]
    if len(sources) != 1:
        fail("interactions", "give exactly one of {} (got {})".format(
            ", ".join(INTERACTION_SOURCES), ", ".join(sources) or "none"))
    if ("fasta2" in row) != ("orthologs" in row):
        fail("orthologs" if "fasta2" in row else "fasta2",
             "the conservation score needs both fasta2 and orthologs")
    if row.get("hv") and "se" in row:
        fail("hv", "the homo-value motif finder cannot run when an SE file is given")
    if row.get("alphabet") == "protein":
        if "se" not in row:
            fail("se", "protein data sets need an SE file (the motif finders read nucleotides)")
        for column in ("jaspar", "ace"):
            if column in row:
                fail(column, "known nucleotide matrices do not apply to protein motifs")


def read_sheet():
    schema = yaml.safe_load(open(ROW_SCHEMA_FILE))
    folder = os.path.dirname(SHEET)
    if not os.path.isfile(SHEET):
        raise WorkflowError("data-set sheet {} does not exist".format(SHEET))
    datasets = {}
    with open(SHEET, newline="") as handle:
        lines = [l for l in csv.reader(handle, delimiter="\t")]
    if not lines:
        raise WorkflowError("{}: empty data-set sheet".format(SHEET))
    header = [h.strip() for h in lines[0]]
    for number, cells in enumerate(lines[1:], start=2):
        if not any(c.strip() for c in cells) or cells[0].startswith("#"):
            continue
        if len(cells) > len(header):
            raise WorkflowError("{} line {}: {} cells but {} columns in the header".format(
                SHEET, number, len(cells), len(header)))
        row = {h: _typed(schema, h, c.strip()) for h, c in zip(header, cells) if c.strip()}
        problem = _row_problem(schema, row)
        if problem:
            raise WorkflowError("{} line {} (data set '{}'): {}".format(
                SHEET, number, row.get("name", "?"), problem))
        if row["name"] in datasets:
            raise WorkflowError("{} line {}, column 'name': data set '{}' appears twice".format(
                SHEET, number, row["name"]))
        _check_row(number, row, folder)
        row["options"] = {s: _options(row, s) for s in (
            "promoters", "interactions", "Tavrin-N", "Tavrin-N.HV", "Tavrin", "Simvale",
            "Vantor", "Tavrin-report")}
        row["replicates"] = row.get("replicates", config["replicates"])
        row["null"] = row.get("null", config["null"])
        datasets[row["name"]] = row
    if not datasets:
        raise WorkflowError("{}: no data set".format(SHEET))
    return datasets


DATASETS = read_sheet()
HAS_REPORT = os.access(os.path.join(BIN, "Tavrin-report"), os.X_OK)


def program(name):
    return os.path.join(BIN, name)


def row(wildcards):
    return DATASETS[wildcards.ds]


# Where each data set's files are.
def fasta_of(ds):
    return DATASETS[ds].get("fasta") or "{}/input/promoters.fa".format(ds)


def interactions_of(ds, run="real"):
    """The network a run reads: a relabelled null replicate has its own."""
    if run != "real" and DATASETS[ds]["null"] == "relabel":
        return "{}/{}/interactions.tab".format(ds, run)
    return "{}/input/interactions.tab".format(ds)


def se_of(ds, run):
    r = DATASETS[ds]
    if "se" in r:
        return r["se"]
    if r.get("hv"):
        return "{}/{}/elements.se".format(ds, run)
    return "{}/{}/motifs.se".format(ds, run)


def null_runs(ds):
    return ["null/{}".format(k) for k in range(1, DATASETS[ds]["replicates"] + 1)]


def run_seed(ds, run, configured):
    """The programs' -random and -srand for a run. A relabelled null replicate
    runs exactly as the real run does, on its own network, so that the real
    run and its replicates differ only in the labels; a re-paired one
    randomises the interactions with seed k."""
    if run == "real" or DATASETS[ds]["null"] == "relabel":
        return configured["random"], configured["srand"]
    return 1, int(run.split("/")[1])


def wants_simvale(ds):
    return "jaspar" in DATASETS[ds] or "ace" in DATASETS[ds]


def wants_conservation(ds):
    return "fasta2" in DATASETS[ds]


def vantor_program(ds):
    return "VantorP" if DATASETS[ds].get("alphabet") == "protein" else "VantorN"


def final_outputs(ds):
    out = ["{}/real/net.sif".format(ds), "{}/calibration.tsv".format(ds)]
    if wants_simvale(ds):
        out.append("{}/known_motifs.tsv".format(ds))
    if wants_conservation(ds):
        out.append("{}/conservation.noa".format(ds))
    if HAS_REPORT:
        out.append("{}/report.html".format(ds))
    return out


def net_files(prefix):
    return [f"{prefix}{suffix}" for suffix in (".sif", ".1.noa", ".1.eda", ".2.eda", ".3.eda")]


def option_args(options, order):
    """-name value for each option in order; empty text options are left out."""
    args = []
    for key in order:
        value = options[key]
        if value == "":
            continue
        args += [f"-{key}", str(value)]
    return args


FINDER_OPTIONS = ["srand", "random", "queue", "seedl", "maxl", "shuffle", "cont", "revcomp"]
PAIR_OPTIONS = ["domethod", "srand", "random", "queue", "shuffle", "jfrac", "jnum"]


def finder_args(wildcards, section, output):
    options = dict(DATASETS[wildcards.ds]["options"][section])
    options["random"], options["srand"] = run_seed(wildcards.ds, wildcards.run, options)
    return [
        "-fasta", fasta_of(wildcards.ds), "-int", interactions_of(wildcards.ds, wildcards.run),
    ] + option_args(options, FINDER_OPTIONS) + ["-out", output]


def pair_args(wildcards, input, output):
    options = dict(DATASETS[wildcards.ds]["options"]["Tavrin"])
    options["random"], options["srand"] = run_seed(wildcards.ds, wildcards.run, options)
    return [
        "-fasta", input.fasta, "-se", input.se, "-int", input.interactions,
    ] + option_args(options, PAIR_OPTIONS) + ["-out", output.sif[: -len(".sif")]]


def simvale_args(wildcards, input, output):
    r = DATASETS[wildcards.ds]
    args = ["-noa", input.noa]
    if "ace" in r:
        args += ["-reffolder", r["ace"]]
    if "jaspar" in r:
        args += ["-reffile", input.jaspar]
    return args + option_args(r["options"]["Simvale"], ["type", "cutoff"]) + ["-out", output[0]]


def vantor_args(wildcards, input, output):
    options = dict(DATASETS[wildcards.ds]["options"]["Vantor"])
    if options["type"] == "":
        options["type"] = "PMOTIF" if vantor_program(wildcards.ds) == "VantorP" else "5'MOTIF"
    return [
        "-fasta1", input.fasta1, "-fasta2", input.fasta2, "-orthotab", input.orthologs,
        "-noa", input.noa,
    ] + option_args(options, ["type", "srand", "ndecoy"]) + ["-out", output[0]]


def report_date(wildcards):
    """The page's date: fixed, so that the same inputs give the same page."""
    configured = str(config["Tavrin-report"].get("date", "") or "")
    return configured or str(int(os.path.getmtime(SHEET)))


def report_args(wildcards, input, output):
    r = DATASETS[wildcards.ds]
    args = ["-net", input.net[0][: -len(".sif")], "-out", output[0], "-se", input.se,
            "-fasta", input.fasta]
    if input.known:
        args += ["-simvale", input.known]
    if input.conservation:
        args += ["-conservation", input.conservation]
    if "jaspar" in r:
        args += ["-reffile", r["jaspar"]]
    if "ace" in r:
        args += ["-reffolder", r["ace"]]
    if input.names:
        args += ["-names", input.names]
    args += ["-title", r["options"]["Tavrin-report"]["title"] or wildcards.ds]
    return args + ["-calibration", input.calibration]
