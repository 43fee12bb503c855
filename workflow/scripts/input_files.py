"""What the input steps share: text files read plain or gzip-compressed,
alias tables (two columns, or STRING's three with a source column), sequence
names as the programs read them, and the one-line refusal of an input that
would give an empty or meaningless result."""
import gzip
import os
import re
import sys

VERSION = re.compile(r"\.[0-9]+$")
# The programs end a FASTA name at the first blank, comma, semicolon or bar.
NAME_END = re.compile(r"[\s,;|]")
SHOWN = 5


class InputError(Exception):
    """An input that cannot give a meaningful result; the text is one line."""


def open_text(path):
    """The file as text lines, gunzipped when it starts with gzip's magic."""
    with open(path, "rb") as probe:
        compressed = probe.read(2) == b"\x1f\x8b"
    if compressed:
        return gzip.open(path, "rt", errors="replace")
    return open(path, errors="replace")


def file_name(path):
    return os.path.basename(path) if path else ""


def shown(items, limit=SHOWN):
    """'a, b, c' or 'a, b, c, ... (12 in all)'."""
    items = list(items)
    text = ", ".join(items[:limit])
    if len(items) > limit:
        text += ", ... ({} in all)".format(len(items))
    return text or "none"


def as_list(value):
    """A list setting from config.yaml (a list) or a sheet cell (comma-separated)."""
    if isinstance(value, str):
        return [v.strip() for v in value.split(",") if v.strip()]
    return [str(v) for v in value]


def drop_version(name):
    """ENSG00000150934.10 -> ENSG00000150934."""
    return VERSION.sub("", name)


def sequence_names(path):
    """Record names of a FASTA file, cut where the programs cut them."""
    names = []
    with open_text(path) as handle:
        for line in handle:
            if line.startswith(">"):
                name = NAME_END.split(line[1:].rstrip("\r\n"), 1)[0]
                if name:
                    names.append(name)
    return names


TAXON_PREFIX = re.compile(r"^[0-9]+\.")


class AliasTable:
    """Source name -> network name. Tab-separated, '#' lines are comments.
    A third column names the source of the alias (STRING's alias files; one
    or several words): with `sources` given only rows of those sources count,
    and a name takes the alias of the earliest source in that list. Without
    `sources` the first row of a name wins."""

    def __init__(self, path, sources=(), strip_taxon=False):
        self.path = path
        self.sources = as_list(sources)
        self.strip_taxon = strip_taxon
        self.mapping = {}
        if not path:
            return
        rank = {}
        seen_sources = {}
        with open_text(path) as handle:
            for key, alias, words in self._rows(handle):
                for word in words:
                    seen_sources[word] = seen_sources.get(word, 0) + 1
                if self.sources:
                    ranks = [self.sources.index(w) for w in words if w in self.sources]
                    if not ranks:
                        continue
                    best = min(ranks)
                else:
                    best = 0
                if key not in rank or best < rank[key]:
                    rank[key] = best
                    self.mapping[key] = alias
        if self.sources and not self.mapping:
            counted = sorted(seen_sources.items(), key=lambda item: -item[1])
            raise InputError("the alias table {} has no row of the source(s) {}; its sources: {}"
                             .format(file_name(path), ", ".join(self.sources), shown(
                                 "{} ({} row{})".format(s, n, "" if n == 1 else "s")
                                 for s, n in counted)))

    def _rows(self, handle):
        for line in handle:
            if line.startswith("#"):
                continue
            fields = line.rstrip("\r\n").split("\t")
            if len(fields) < 2 or not fields[0].strip() or not fields[1].strip():
                continue
            key = fields[0].strip()
            if self.strip_taxon:
                key = TAXON_PREFIX.sub("", key)
            words = fields[2].split() if len(fields) > 2 else []
            yield key, fields[1].strip(), words

    def __bool__(self):
        return bool(self.path)

    def get(self, name):
        return self.mapping.get(name, name)

    def maps(self, name):
        return name in self.mapping

    def keys_shown(self):
        return shown(list(self.mapping)[:SHOWN + 1])

    def matches_by_source(self, names, targets):
        """source -> how many of `names` it would map onto `targets`; for the
        message that suggests alias sources."""
        per_source = {}
        with open_text(self.path) as handle:
            for key, alias, words in self._rows(handle):
                if key in names and alias in targets:
                    for word in words:
                        per_source.setdefault(word, set()).add(key)
        return sorted(((s, len(k)) for s, k in per_source.items()), key=lambda item: -item[1])


def fail(step, log_path, error):
    """Writes the step's one ERROR line to its log and to the console, exits 1."""
    text = "ERROR: {}: {}".format(step, error)
    text = " ".join(text.split("\n"))
    with open(log_path, "w") as log:
        log.write(text + "\n")
    print(text, file=sys.stderr, flush=True)
    sys.exit(1)


def first(files):
    """A named input is a text or a list, by the number of its files."""
    if isinstance(files, str):
        return files
    return files[0] if len(files) else ""
