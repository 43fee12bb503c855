"""Writes the interaction file the programs read (two names per line, tab
between) from a ready file, a STRING links file, a BioGRID tab3 file or a
PSI-MITAB file, with names mapped through an optional alias table. Pairs are
kept once, in the order of their first line; self-interactions and pairs with
a missing name are left out and counted in the log."""
import re
import sys
from collections import Counter

TAXON = re.compile(r"^[0-9]+\.")


def read_aliases(path, strip_taxon):
    """source name -> network name; tab-separated, '#' lines are comments,
    columns after the second are ignored, the first mapping of a name wins."""
    aliases = {}
    if not path:
        return aliases
    with open(path) as handle:
        for line in handle:
            fields = line.rstrip("\r\n").split("\t")
            if line.startswith("#") or len(fields) < 2 or not fields[0] or not fields[1]:
                continue
            key = TAXON.sub("", fields[0]) if strip_taxon else fields[0]
            aliases.setdefault(key, fields[1].strip())
    return aliases


def column(header, name, path):
    try:
        return header.index(name)
    except ValueError:
        raise SystemExit("{}: no column '{}' in the header".format(path, name)) from None


def ready_pairs(path, settings, counts):
    with open(path) as handle:
        for line in handle:
            words = line.split()
            if not words or words[0].startswith("#"):
                continue
            if len(words) < 2:
                counts["lines with one name"] += 1
                continue
            if len(words) > 2:
                counts["lines with more than two words (extra words dropped)"] += 1
            yield words[0], words[1]


def string_pairs(path, settings, counts):
    threshold = settings["string_min_score"]
    with open(path) as handle:
        header = handle.readline().split()
        a, b = column(header, "protein1", path), column(header, "protein2", path)
        score = column(header, "combined_score", path)
        for line in handle:
            fields = line.split()
            if len(fields) <= max(a, b, score):
                counts["short lines"] += 1
                continue
            if int(fields[score]) < threshold:
                counts["below combined_score {}".format(threshold)] += 1
                continue
            yield TAXON.sub("", fields[a]), TAXON.sub("", fields[b])


def biogrid_pairs(path, settings, counts):
    wanted = settings["biogrid_system_type"].lower()
    with open(path) as handle:
        header = handle.readline().lstrip("#").rstrip("\r\n").split("\t")
        a = column(header, settings["biogrid_name"] + " Interactor A", path)
        b = column(header, settings["biogrid_name"] + " Interactor B", path)
        kind = column(header, "Experimental System Type", path) if wanted else None
        for line in handle:
            fields = line.rstrip("\r\n").split("\t")
            if len(fields) <= max(a, b):
                counts["short lines"] += 1
                continue
            if kind is not None and fields[kind].lower() != wanted:
                counts["not " + wanted] += 1
                continue
            yield fields[a], fields[b]


def mitab_name(cell, mode):
    """Name from a MITAB cell such as 'uniprotkb:P04637|intact:EBI-366083' or,
    for 'gene name', 'psi-mi:p53_human(display_long)|uniprotkb:TP53(gene name)'."""
    for entry in cell.split("|"):
        if entry in ("", "-"):
            continue
        _, _, value = entry.partition(":")
        if mode == "gene name":
            if not value.endswith("(gene name)"):
                continue
            value = value[: -len("(gene name)")]
        return value.strip('"')
    return ""


def mitab_pairs(path, settings, counts):
    mode = settings["mitab_name"]
    a, b = (4, 5) if mode == "gene name" else (0, 1)
    with open(path) as handle:
        for line in handle:
            if line.startswith("#"):
                continue
            fields = line.rstrip("\r\n").split("\t")
            if len(fields) <= b:
                counts["short lines"] += 1
                continue
            yield mitab_name(fields[a], mode), mitab_name(fields[b], mode)


READERS = {"interactions": ready_pairs, "string_links": string_pairs,
           "biogrid": biogrid_pairs, "mitab": mitab_pairs}


def prepare(source, kind, settings, aliases_path, out_path):
    counts = Counter()
    aliases = read_aliases(aliases_path, kind == "string_links")
    seen = set()
    kept = 0
    with open(out_path, "w") as out:
        for a, b in READERS[kind](source, settings, counts):
            a, b = aliases.get(a, a), aliases.get(b, b)
            if not a or not b or a == "-" or b == "-":
                counts["missing names"] += 1
            elif any(c.isspace() for c in a + b):
                counts["names with blanks"] += 1
            elif a == b:
                counts["self-interactions"] += 1
            elif (a, b) in seen or (b, a) in seen:
                counts["repeats"] += 1
            else:
                seen.add((a, b))
                out.write("{}\t{}\n".format(a, b))
                kept += 1
    report = ["{} interactions written from {} ({})".format(kept, source, kind)]
    report += ["left out: {} {}".format(n, what) for what, n in sorted(counts.items())]
    return "\n".join(report) + "\n"


def first(files):
    """A named input is a text or a list, by the number of its files."""
    if isinstance(files, str):
        return files
    return files[0] if len(files) else ""


def main(smk):
    aliases = first(smk.input.aliases)
    try:
        text = prepare(first(smk.input.source), smk.params.format, smk.params.settings, aliases,
                       smk.output[0])
    except (OSError, ValueError, SystemExit) as error:
        text = "interactions: {}\n".format(error)
        with open(smk.log[0], "w") as log:
            log.write(text)
        sys.exit(text)
    with open(smk.log[0], "w") as log:
        log.write(text)


main(snakemake)  # noqa: F821 (given by Snakemake)
