"""Writes the interaction file the programs read (two names per line, tab
between) from a ready file, a STRING links file, a BioGRID tab3 file or a
PSI-MITAB file, with names mapped through an optional alias table. BioGRID
and MITAB rows are kept when both interactors belong to one taxon. Pairs are
kept once, in the order of their first line; self-interactions and pairs with
a missing name are left out and counted in the log.

Before anything is written the names are checked against the sequence names
of the data set's FASTA file: below the configured fraction the step stops
with how many matched and a few that did not, so that no program runs on a
network it cannot read."""
import os
import re
import sys
from collections import Counter

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from input_files import (  # noqa: E402
    AliasTable, InputError, TAXON_PREFIX, drop_version, fail, file_name, first, open_text,
    sequence_names, shown)

TAXID = re.compile(r"taxid:(-?[0-9]+)")


def column(header, names, path):
    for name in names:
        if name in header:
            return header.index(name)
    raise InputError("{}: no column '{}' in the header".format(file_name(path), names[0]))


def optional_column(header, names):
    return next((header.index(n) for n in names if n in header), None)


def ready_pairs(path, settings, counts):
    with open_text(path) as handle:
        for line in handle:
            words = line.split()
            if not words or words[0].startswith("#"):
                continue
            if len(words) < 2:
                counts["lines with one name"] += 1
                continue
            if len(words) > 2:
                counts["lines with more than two words (extra words dropped)"] += 1
            yield words[0], words[1], None


def string_pairs(path, settings, counts):
    threshold = settings["string_min_score"]
    with open_text(path) as handle:
        header = handle.readline().split()
        a, b = column(header, ["protein1"], path), column(header, ["protein2"], path)
        score = column(header, ["combined_score"], path)
        for line in handle:
            fields = line.split()
            if len(fields) <= max(a, b, score):
                counts["short lines"] += 1
                continue
            try:
                value = int(fields[score])
            except ValueError:
                counts["lines whose combined_score is no number"] += 1
                continue
            if value < threshold:
                counts["below combined_score {}".format(threshold)] += 1
                continue
            yield TAXON_PREFIX.sub("", fields[a]), TAXON_PREFIX.sub("", fields[b]), None


def biogrid_pairs(path, settings, counts):
    wanted = settings["biogrid_system_type"].lower()
    with open_text(path) as handle:
        header = handle.readline().lstrip("#").rstrip("\r\n").split("\t")
        a = column(header, [settings["biogrid_name"] + " Interactor A"], path)
        b = column(header, [settings["biogrid_name"] + " Interactor B"], path)
        kind = column(header, ["Experimental System Type"], path) if wanted else None
        # tab3 names the organism columns "Organism ID", tab2 "Organism".
        ta = optional_column(header, ["Organism ID Interactor A", "Organism Interactor A"])
        tb = optional_column(header, ["Organism ID Interactor B", "Organism Interactor B"])
        for line in handle:
            fields = line.rstrip("\r\n").split("\t")
            if len(fields) <= max(a, b):
                counts["short lines"] += 1
                continue
            if kind is not None and fields[kind].lower() != wanted:
                counts["not " + wanted] += 1
                continue
            taxa = None
            if ta is not None and tb is not None:
                taxa = tuple(fields[t].strip() if t < len(fields) else "" for t in (ta, tb))
            yield fields[a], fields[b], taxa


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


def mitab_taxon(cell):
    found = TAXID.search(cell)
    return found.group(1) if found else ""


MITAB_TAXA = (9, 10)


def mitab_pairs(path, settings, counts):
    mode = settings["mitab_name"]
    a, b = (4, 5) if mode == "gene name" else (0, 1)
    with open_text(path) as handle:
        for line in handle:
            if line.startswith("#"):
                continue
            fields = line.rstrip("\r\n").split("\t")
            if len(fields) <= b:
                counts["short lines"] += 1
                continue
            taxa = None
            if len(fields) > MITAB_TAXA[1]:
                taxa = (mitab_taxon(fields[MITAB_TAXA[0]]), mitab_taxon(fields[MITAB_TAXA[1]]))
            yield mitab_name(fields[a], mode), mitab_name(fields[b], mode), taxa


READERS = {"interactions": ready_pairs, "string_links": string_pairs,
           "biogrid": biogrid_pairs, "mitab": mitab_pairs}


def chosen_taxon(reader, source, settings, notes):
    """The taxon rows are filtered by: the configured one, or the one most
    rows carry; None keeps every row."""
    configured = str(settings.get("taxon", "") or "").strip()
    if configured == "all":
        notes.append("taxon: every organism kept (interactions.taxon: all)")
        return None
    carried = Counter()
    rows = 0
    has_taxa = False
    for _, _, taxa in reader(source, settings, Counter()):
        rows += 1
        if taxa is not None:
            has_taxa = True
            carried.update(set(t for t in taxa if t))
    if not has_taxa:
        if configured:
            raise InputError("{} has no organism columns, so interactions.taxon {} cannot be "
                             "applied".format(file_name(source), configured))
        notes.append("taxon: the file has no organism columns, every row kept")
        return None
    if configured:
        notes.append("taxon {} (interactions.taxon), carried by {} of {} rows".format(
            configured, carried[configured], rows))
        return configured
    if not carried:
        notes.append("taxon: no row names its organism, every row kept")
        return None
    taxon, count = min(carried.items(), key=lambda item: (-item[1], item[0]))
    notes.append("taxon {} (the one most rows carry: {} of {} rows; others: {})".format(
        taxon, count, rows, shown("{} ({})".format(t, n) for t, n in sorted(
            carried.items(), key=lambda item: (-item[1], item[0])) if t != taxon)))
    return taxon


def collect(source, kind, settings, aliases, counts, notes):
    """The kept pairs, and the source's names (before the alias table)."""
    reader = READERS[kind]
    taxon = chosen_taxon(reader, source, settings, notes) if kind in ("biogrid", "mitab") else None
    strip = settings.get("strip_version", False)
    seen = set()
    pairs = []
    source_names = set()
    for a, b, taxa in reader(source, settings, counts):
        if taxon is not None and (taxa is None or taxa[0] != taxon or taxa[1] != taxon):
            counts["rows of another taxon than {}".format(taxon)] += 1
            continue
        if strip:
            a, b = drop_version(a), drop_version(b)
        source_names.update(n for n in (a, b) if n and n != "-")
        a, b = aliases.get(a), aliases.get(b)
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
            pairs.append((a, b))
    return pairs, source_names


def check_names(pairs, source_names, aliases, fasta, settings, where):
    """Stops unless enough of the network's names are sequence names."""
    names = list(dict.fromkeys(n for pair in pairs for n in pair))
    sequences = set(sequence_names(fasta))
    matched = sum(1 for n in names if n in sequences)
    minimum = settings.get("min_match", 0.5)
    line = "{} of {} names in the interactions are sequence names of {}".format(
        matched, len(names), file_name(fasta))
    unmatched = [n for n in names if n not in sequences]
    if matched >= minimum * len(names) and matched > 0:
        return [line] + (["names without a sequence: " + shown(unmatched)] if unmatched else [])
    advice = []
    if aliases:
        mapped = sum(1 for n in source_names if aliases.maps(n))
        if mapped == 0:
            advice.append("the alias table {} maps none of the {} names of {} (its names: {})"
                          .format(file_name(aliases.path), len(source_names), where,
                                  aliases.keys_shown()))
        by_source = aliases.matches_by_source(source_names, sequences)
        if by_source:
            advice.append("alias sources that would match: {} (set interactions.alias_sources)"
                          .format(shown("{} {}".format(s, n) for s, n in by_source)))
    else:
        advice.append("map them with an alias table (column aliases)")
    raise InputError("{} ({:.0%}, below interactions.min_match {}); unmatched: {}; sequence "
                     "names: {}; {}".format(line, matched / max(len(names), 1), minimum,
                                            shown(unmatched), shown(sorted(sequences)),
                                            "; ".join(advice)))


def check_aliases(aliases, source_names, fasta, annotated, where):
    """Stops when the alias table maps nothing: none of the network's names
    and, where promoters are cut from an annotation, none of its gene names
    either (those would now be sequence names the table maps to)."""
    if not aliases or any(aliases.maps(n) for n in source_names):
        return
    if annotated and set(aliases.mapping.values()) & set(sequence_names(fasta)):
        return
    raise InputError("the alias table {} maps none of the {} names of {}{} (its names: {}; "
                     "names there: {})".format(
                         file_name(aliases.path), len(source_names), where,
                         " nor any gene of the annotation" if annotated else "",
                         aliases.keys_shown(), shown(sorted(source_names))))


def prepare(source, kind, settings, aliases, fasta, annotated, out_path):
    counts = Counter()
    notes = []
    pairs, source_names = collect(source, kind, settings, aliases, counts, notes)
    left_out = ["left out: {} {}".format(n, what) for what, n in sorted(counts.items())]
    if not pairs:
        raise InputError("0 interactions from {} ({}){}{}".format(
            file_name(source), kind, "; " if left_out else "", "; ".join(left_out + notes)))
    check_aliases(aliases, source_names, fasta, annotated, file_name(source))
    notes += check_names(pairs, source_names, aliases, fasta, settings, file_name(source))
    if aliases:
        notes.append("names mapped through {}: {} of {}".format(
            file_name(aliases.path), sum(1 for n in source_names if aliases.maps(n)),
            len(source_names)))
    with open(out_path, "w") as out:
        for a, b in pairs:
            out.write("{}\t{}\n".format(a, b))
    report = ["{} interactions written from {} ({})".format(len(pairs), source, kind)]
    return "\n".join(report + left_out + notes) + "\n"


def main(smk):
    settings = smk.params.settings
    try:
        aliases = AliasTable(first(smk.input.aliases), settings.get("alias_sources", []),
                             strip_taxon=smk.params.format == "string_links")
        text = prepare(first(smk.input.source), smk.params.format, settings, aliases,
                       first(smk.input.fasta), smk.params.annotated, smk.output[0])
    except (OSError, InputError) as error:
        fail("interactions", smk.log[0], error)
    with open(smk.log[0], "w") as log:
        log.write(text)


if __name__ == "__main__":
    main(snakemake)  # noqa: F821 (given by Snakemake)
