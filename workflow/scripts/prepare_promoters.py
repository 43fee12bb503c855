"""Cuts one promoter per gene from a genome with bedtools: the window of
`upstream` bases before the gene's start and `downstream` bases after it, on
the gene's strand (reverse complement for '-'), clipped at the contig's ends.
The sequence is named as the network names the gene (first of the configured
attributes, mapped through the alias table). Genes without a name, on an
unknown contig, or named like an earlier gene are left out and counted."""
import os
import re
import subprocess
import sys
import tempfile
from collections import Counter

GTF_ATTRIBUTE = re.compile(r'\s*([^\s";]+)\s+"?([^";]*)"?\s*(?:;|$)')


def contig_lengths(path):
    lengths = {}
    name = None
    with open(path) as handle:
        for line in handle:
            if line.startswith(">"):
                name = line[1:].split()[0] if line[1:].split() else ""
                lengths.setdefault(name, 0)
            elif name is not None:
                lengths[name] += len(line.strip())
    return lengths


def attributes(text):
    """GFF3 'key=value;...' or GTF 'key "value"; ...'."""
    found = {}
    if re.match(r"\s*[^\s=;\"]+=", text):
        for item in text.split(";"):
            key, sep, value = item.strip().partition("=")
            if sep:
                found.setdefault(key, value.split(",")[0])
    else:
        for key, value in GTF_ATTRIBUTE.findall(text):
            found.setdefault(key, value)
    return found


def read_aliases(path):
    aliases = {}
    if path:
        with open(path) as handle:
            for line in handle:
                fields = line.rstrip("\r\n").split("\t")
                if not line.startswith("#") and len(fields) >= 2 and fields[0] and fields[1]:
                    aliases.setdefault(fields[0], fields[1].strip())
    return aliases


def regions(annotation, lengths, settings, aliases, counts):
    up, down = settings["upstream"], settings["downstream"]
    names = set()
    with open(annotation) as handle:
        for line in handle:
            if line.startswith("#") or not line.strip():
                continue
            fields = line.rstrip("\r\n").split("\t")
            if len(fields) < 9 or fields[2] != settings["feature"]:
                continue
            contig, start, end, strand = fields[0], int(fields[3]), int(fields[4]), fields[6]
            found = attributes(fields[8])
            name = next((found[a] for a in settings["name_attributes"] if found.get(a)), "")
            name = aliases.get(name, name)
            if not name or any(c.isspace() for c in name):
                counts["genes without a usable name"] += 1
                continue
            if contig not in lengths:
                counts["genes on a contig missing from the genome"] += 1
                continue
            if name in names:
                counts["genes named like an earlier gene"] += 1
                continue
            if strand == "-":
                begin, finish = end - down, end + up
            else:
                begin, finish = start - 1 - up, start - 1 + down
            begin, finish = max(begin, 0), min(finish, lengths[contig])
            if finish <= begin:
                counts["genes with an empty window"] += 1
                continue
            if finish - begin < up + down:
                counts["windows clipped at a contig end"] += 1
            names.add(name)
            yield contig, begin, finish, name, "-" if strand == "-" else "+"


def prepare(genome, annotation, settings, aliases_path, out_path, work):
    counts = Counter()
    lengths = contig_lengths(genome)
    rows = list(regions(annotation, lengths, settings, read_aliases(aliases_path), counts))
    bed = os.path.join(work, "promoters.bed")
    with open(bed, "w") as handle:
        for contig, begin, finish, name, strand in rows:
            handle.write("{}\t{}\t{}\t{}\t0\t{}\n".format(contig, begin, finish, name, strand))
    # bedtools indexes the FASTA beside it: a link in the work folder keeps
    # the index out of the user's genome folder.
    link = os.path.join(work, "genome.fa")
    os.symlink(os.path.abspath(genome), link)
    raw = os.path.join(work, "promoters.raw.fa")
    subprocess.run(["bedtools", "getfasta", "-fi", link, "-bed", bed, "-s", "-fo", raw],
                   check=True, stdin=subprocess.DEVNULL)
    # bedtools writes the records in the order of the BED file, each sequence
    # on one line; the names are set here, the letters upper-cased (soft
    # masking) and the lines wrapped.
    with open(raw) as handle:
        sequences = [line.strip() for line in handle if not line.startswith(">")]
    if len(sequences) != len(rows):
        raise SystemExit("bedtools gave {} sequences for {} genes".format(len(sequences),
                                                                          len(rows)))
    with open(out_path, "w") as out:
        for (_, _, _, name, _), sequence in zip(rows, sequences):
            out.write(">" + name + "\n")
            sequence = sequence.upper()
            for i in range(0, len(sequence), 80):
                out.write(sequence[i:i + 80] + "\n")
    report = ["{} promoters written ({} bases upstream, {} downstream of each {} start)".format(
        len(rows), settings["upstream"], settings["downstream"], settings["feature"])]
    report += ["{}: {}".format(what, n) for what, n in sorted(counts.items())]
    return "\n".join(report) + "\n"


def first(files):
    """A named input is a text or a list, by the number of its files."""
    if isinstance(files, str):
        return files
    return files[0] if len(files) else ""


def main(smk):
    aliases = first(smk.input.aliases)
    folder = os.path.dirname(os.path.abspath(smk.output[0]))
    try:
        with tempfile.TemporaryDirectory(dir=folder) as work:
            text = prepare(first(smk.input.genome), first(smk.input.annotation), smk.params.settings, aliases,
                           smk.output[0], work)
    except (OSError, ValueError, SystemExit, subprocess.CalledProcessError) as error:
        text = "promoters: {}\n".format(error)
        with open(smk.log[0], "w") as log:
            log.write(text)
        sys.exit(text)
    with open(smk.log[0], "w") as log:
        log.write(text)


main(snakemake)  # noqa: F821 (given by Snakemake)
