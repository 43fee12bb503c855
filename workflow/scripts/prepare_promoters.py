"""Cuts one promoter per gene from a genome with bedtools: the window of
`upstream` bases before the gene's start and `downstream` bases after it, on
the gene's strand (reverse complement for '-'), clipped at the contig's ends.
The sequence is named as the network names the gene (first of the configured
attributes, version suffix dropped on request, mapped through the alias
table). Transcript or exon lines that share a name on one contig and strand
are one gene spanning them all (a GTF without gene lines gives genes from its
transcripts). Genes without a name, on an unknown contig, or named like an
earlier gene are left out and counted; an annotation that gives
(nearly) no promoter stops the step with what was seen."""
import os
import re
import subprocess
import sys
import tempfile
from collections import Counter
from urllib.parse import unquote

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from input_files import (  # noqa: E402
    AliasTable, InputError, NAME_END, as_list, drop_version, fail, file_name, first, open_text,
    shown)

GTF_ITEM = re.compile(r'\s*([A-Za-z_][^\s";=]*)\s+(?:"([^"]*)"|([^\s";]+))\s*(?:;|$)')
GFF3_START = re.compile(r"\s*[^\s=;\"]+=")
BROKEN_SHOWN = 3
NO_NAME = "genes without a usable name"


def contig_lengths(path):
    lengths = {}
    name = None
    with open(path, "rb") as probe:
        if probe.read(2) == b"\x1f\x8b":
            raise InputError("{} is compressed; bedtools reads the genome uncompressed "
                             "(gunzip it)".format(file_name(path)))
    with open(path, errors="replace") as handle:
        for line in handle:
            if line.startswith(">"):
                name = line[1:].split()[0] if line[1:].split() else ""
                lengths.setdefault(name, 0)
            elif name is not None:
                lengths[name] += len(line.strip())
    if not lengths:
        raise InputError("{} has no FASTA record (no '>' line)".format(file_name(path)))
    return lengths


def attributes(text):
    """GFF3 'key=value;...' or GTF 'key "value"; ...'; None when the field
    is neither (a GTF field that lost its quotes and semicolons)."""
    found = {}
    text = text.strip()
    if text in ("", "."):
        return found
    if GFF3_START.match(text):
        for item in text.split(";"):
            if not item.strip():
                continue
            key, sep, value = item.strip().partition("=")
            if not sep or not key:
                return None
            found.setdefault(key, unquote(value.split(",")[0]))
        return found
    position = 0
    while position < len(text):
        match = GTF_ITEM.match(text, position)
        if not match or match.end() == position:
            return None
        key, quoted, plain = match.groups()
        found.setdefault(key, quoted if quoted is not None else plain)
        position = match.end()
    return found


def contig_key(name):
    """chr1 and 1 -> '1'; chrM, chrMT, M and MT -> 'M'."""
    base = name[3:] if name.lower().startswith("chr") else name
    return "M" if base.upper() in ("M", "MT") else base


class ContigMatch:
    """Annotation contig -> genome contig: exactly, or (flexible) also chr1
    to 1, chrM to MT and back when the genome has no contig of that name."""

    def __init__(self, lengths, mode):
        self.lengths = lengths
        self.flexible = {}
        if mode == "flexible":
            for name in lengths:
                self.flexible.setdefault(contig_key(name), name)

    def __call__(self, contig):
        if contig in self.lengths:
            return contig
        return self.flexible.get(contig_key(contig))


def read_genes(path, settings, counts, notes):
    """Genes of the feature types in order of their first line:
    name -> [contig, strand, start, end]."""
    features = as_list(settings["features"])
    name_attributes = as_list(settings["name_attributes"])
    strip = settings.get("strip_version", False)
    genes = {}
    types = Counter()
    seen_attributes = Counter()
    broken = []
    lines = 0
    with open_text(path) as handle:
        for number, line in enumerate(handle, start=1):
            if line.startswith("##FASTA"):
                break
            if line.startswith("#") or not line.strip():
                continue
            fields = line.rstrip("\r\n").split("\t")
            if len(fields) < 9:
                broken.append((number, "{} tab-separated columns, 9 expected".format(len(fields))))
                continue
            if fields[2] not in features:
                types[fields[2]] += 1
                continue
            lines += 1
            try:
                start, end = int(fields[3]), int(fields[4])
            except ValueError:
                broken.append((number, "start '{}' or end '{}' is not a number".format(
                    fields[3], fields[4])))
                continue
            if start < 1 or end < start:
                broken.append((number, "start {} and end {} are no range".format(start, end)))
                continue
            found = attributes(fields[8])
            if found is None:
                broken.append((number, "attributes are neither GTF (key \"value\";) nor GFF3 "
                                       "(key=value;): {}".format(fields[8][:60])))
                continue
            seen_attributes.update(found.keys())
            name = next((found[a] for a in name_attributes if found.get(a)), "")
            if strip:
                name = drop_version(name)
            if not name:
                counts[NO_NAME] += 1
                continue
            strand = fields[6]
            if strand not in ("+", "-"):
                counts["genes without a strand (read as +)"] += 1
                strand = "+"
            if name in genes:
                # A gene line is a whole gene: its name again is another gene
                # (Y_RNA, U6 have hundreds), left out. Transcript or exon lines
                # of one name on one contig and strand are parts of one gene.
                gene = genes[name]
                if fields[2].endswith("gene"):
                    counts["genes named like an earlier gene"] += 1
                elif gene[0] == fields[0] and gene[1] == strand:
                    gene[2], gene[3] = min(gene[2], start), max(gene[3], end)
                else:
                    counts["genes named like a gene on another contig or strand"] += 1
                continue
            genes[name] = [fields[0], strand, start, end]
    limit = settings.get("max_broken_lines", 0)
    described = "; ".join("line {}: {}".format(n, why) for n, why in broken[:BROKEN_SHOWN])
    if len(broken) > limit:
        raise InputError("{} line(s) of {} cannot be read (more than promoters.max_broken_lines "
                         "{}): {}".format(len(broken), file_name(path), limit, described))
    if broken:
        notes.append("unreadable lines left out: {} ({})".format(len(broken), described))
    if lines == 0:
        hint = ""
        if "transcript" in types:
            hint = "; a GTF without gene lines (UCSC) needs promoters.features: [transcript]"
        elif "exon" in types:
            hint = "; a GTF without gene lines (UCSC) needs promoters.features: [exon]"
        raise InputError("no line of the feature type(s) {} in {}; its feature types: {}{}".format(
            ", ".join(features), file_name(path),
            shown("{} ({})".format(t, n) for t, n in types.most_common()), hint))
    if not genes:
        raise InputError("none of the {} genes of {} has a name; attributes tried: {}; "
                         "attributes seen: {}".format(
                             lines, file_name(path), ", ".join(name_attributes),
                             shown(a for a, _ in seen_attributes.most_common())))
    return genes


def usable(name):
    return bool(name) and not NAME_END.search(name)


def regions(genes, lengths, settings, aliases, counts, notes, genome_path):
    up, down = settings["upstream"], settings["downstream"]
    match = ContigMatch(lengths, settings.get("contig_names", "exact"))
    rows = []
    names = set()
    named = 0
    missing = Counter()
    for name, (contig, strand, start, end) in genes.items():
        name = aliases.get(name)
        if not usable(name):
            counts[NO_NAME] += 1
            continue
        named += 1
        target = match(contig)
        if target is None:
            missing[contig] += 1
            continue
        if name in names:
            counts["genes named like an earlier gene"] += 1
            continue
        if strand == "-":
            begin, finish = end - down, end + up
        else:
            begin, finish = start - 1 - up, start - 1 + down
        begin, finish = max(begin, 0), min(finish, lengths[target])
        if finish <= begin:
            counts["genes with an empty window"] += 1
            continue
        if finish - begin < up + down:
            counts["windows clipped at a contig end"] += 1
        names.add(name)
        rows.append((target, begin, finish, name, strand))
    on_genome = named - sum(missing.values())
    minimum = settings.get("min_on_genome", 0.5)
    if named and (on_genome == 0 or on_genome < minimum * named):
        contigs = list(dict.fromkeys(g[0] for g in genes.values()))
        hint = "set promoters.contig_names: flexible, or rename the contigs"
        if settings.get("contig_names") == "flexible" or on_genome:
            hint = "rename the contigs, or lower promoters.min_on_genome"
        raise InputError(
            "{} of {} genes are on contigs of {} (below promoters.min_on_genome {}); annotation "
            "contigs: {}; genome contigs: {} ({})".format(
                on_genome, named, file_name(genome_path), minimum, shown(contigs),
                shown(list(lengths)), hint))
    if missing:
        notes.append("genes on a contig missing from the genome: {} ({})".format(
            sum(missing.values()), shown(sorted(missing))))
    if not rows:
        raise InputError("no promoter window left of {} genes: {}".format(len(genes), "; ".join(
            "{}: {}".format(what, n) for what, n in sorted(counts.items()))))
    return rows


def prepare(genome, annotation, settings, aliases, out_path, work):
    counts = Counter()
    notes = []
    lengths = contig_lengths(genome)
    genes = read_genes(annotation, settings, counts, notes)
    rows = regions(genes, lengths, settings, aliases, counts, notes, genome)
    bed = os.path.join(work, "promoters.bed")
    with open(bed, "w") as handle:
        for contig, begin, finish, name, strand in rows:
            handle.write("{}\t{}\t{}\t{}\t0\t{}\n".format(contig, begin, finish, name, strand))
    # bedtools indexes the FASTA beside it: a link in the work folder keeps
    # the index out of the user's genome folder.
    link = os.path.join(work, "genome.fa")
    os.symlink(os.path.abspath(genome), link)
    raw = os.path.join(work, "promoters.raw.fa")
    result = subprocess.run(["bedtools", "getfasta", "-fi", link, "-bed", bed, "-s", "-fo", raw],
                            stdin=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True)
    if result.returncode != 0:
        raise InputError("bedtools getfasta failed: {}".format(
            " ".join(result.stderr.split())[:300]))
    # bedtools writes the records in the order of the BED file, each sequence
    # on one line; the names are set here, the letters upper-cased (soft
    # masking) and the lines wrapped.
    with open(raw) as handle:
        sequences = [line.strip() for line in handle if not line.startswith(">")]
    if len(sequences) != len(rows):
        raise InputError("bedtools gave {} sequences for {} genes".format(len(sequences),
                                                                          len(rows)))
    with open(out_path, "w") as out:
        for (_, _, _, name, _), sequence in zip(rows, sequences):
            out.write(">" + name + "\n")
            sequence = sequence.upper()
            for i in range(0, len(sequence), 80):
                out.write(sequence[i:i + 80] + "\n")
    report = ["{} promoters written ({} bases upstream, {} downstream of each start of {})".format(
        len(rows), settings["upstream"], settings["downstream"],
        ", ".join(as_list(settings["features"])))]
    report += ["{} named genes in {}".format(len(genes), file_name(annotation))]
    report += ["{}: {}".format(what, n) for what, n in sorted(counts.items())] + notes
    return "\n".join(report) + "\n"


def main(smk):
    settings = smk.params.settings
    folder = os.path.dirname(os.path.abspath(smk.output[0]))
    try:
        aliases = AliasTable(first(smk.input.aliases), smk.params.alias_sources)
        with tempfile.TemporaryDirectory(dir=folder) as work:
            text = prepare(first(smk.input.genome), first(smk.input.annotation), settings, aliases,
                           smk.output[0], work)
    except (OSError, InputError) as error:
        fail("promoters", smk.log[0], error)
    with open(smk.log[0], "w") as log:
        log.write(text)


if __name__ == "__main__":
    main(snakemake)  # noqa: F821 (given by Snakemake)
