"""Empirical false discovery rate of each real element pair against the null
replicates (the whole chain run again on networks without association).

At a real pair's score s, with N(s) the null pairs with score >= s summed
over the K replicates and R(s) the real pairs with score >= s:
  null mean count = N(s) / K
  raw(s) = ((N(s) + 1) / (K + 1)) / R(s)
  fdr(s) = min(1, min over real scores s' <= s of raw(s'))
so the FDR never falls as the score falls (q-value style). The added one
counts the real run as a possible null run, as a permutation p-value does:
K replicates cannot show a rate below 1 / ((K + 1) R(s)), and without it a
score above every null pair would read as an FDR of exactly 0, which under
no association happens in one set of K + 1.

  calibrate.py REAL.sif REAL.1.eda OUT.tsv SUMMARY.txt NULL1.1.eda [NULL2.1.eda ...]
"""
import bisect
import sys

SEPARATOR = " (TavrinSE) "
HEADER = "element_a\telement_b\tscore\tnull_mean_count\treal_count\tfdr\n"


class CalibrationError(Exception):
    pass


def read_scores(path):
    """(element a, element b, score text, score) for each line of a .1.eda file."""
    pairs = []
    with open(path) as handle:
        for number, line in enumerate(handle, start=1):
            line = line.rstrip("\r\n")
            if number == 1 or not line:
                continue  # the attribute header
            key, sep, text = line.rpartition(" = ")
            a, sep2, b = key.partition(SEPARATOR)
            if not sep or not sep2:
                raise CalibrationError("{} line {}: not 'A (TavrinSE) B = score'".format(
                    path, number))
            try:
                value = float(text)
            except ValueError:
                raise CalibrationError("{} line {}: score '{}' is not a number".format(
                    path, number, text)) from None
            pairs.append((a, b, text, value))
    return pairs


def read_null_scores(path):
    """Only the scores of a replicate's .1.eda file (the hot path: K files)."""
    with open(path) as handle:
        lines = handle.read().splitlines()[1:]
    try:
        return [float(line.rpartition(" = ")[2]) for line in lines if line]
    except ValueError:
        read_scores(path)  # names the bad line
        raise


def read_real(sif_path, eda_path):
    """Real pairs in the order of the .sif file, checked against the scores."""
    pairs = read_scores(eda_path)
    with open(sif_path) as handle:
        edges = [line.rstrip("\r\n") for line in handle if line.strip()]
    if len(edges) != len(pairs):
        raise CalibrationError("{} lists {} pairs but {} scores {}".format(
            sif_path, len(edges), eda_path, len(pairs)))
    for number, (edge, (a, b, _, _)) in enumerate(zip(edges, pairs), start=1):
        if edge != "{} TavrinSE {}".format(a, b):
            raise CalibrationError("{} line {} is not the pair of {} line {}".format(
                sif_path, number, eda_path, number + 1))
    return pairs


def calibrate(real, null_scores, replicates):
    """Rows (a, b, score text, null mean count, real count, fdr) in real order."""
    null_sorted = sorted(null_scores)
    real_sorted = sorted(p[3] for p in real)

    def at_least(values, s):
        return len(values) - bisect.bisect_left(values, s)

    raw = {}
    for s in set(real_sorted):
        nulls = at_least(null_sorted, s)
        real_count = at_least(real_sorted, s)
        raw[s] = (nulls / replicates, real_count,
                  (nulls + 1) / (replicates + 1) / real_count)
    fdr = {}
    running = float("inf")
    for s in sorted(raw):
        running = min(running, raw[s][2])
        fdr[s] = min(1.0, running)
    return [(a, b, text, raw[v][0], raw[v][1], fdr[v]) for a, b, text, v in real]


def run(sif, eda, table, summary, null_files):
    real = read_real(sif, eda)
    null_scores = []
    for path in null_files:
        null_scores += read_null_scores(path)
    rows = calibrate(real, null_scores, len(null_files))
    with open(table, "w") as out:
        out.write(HEADER)
        for a, b, text, null_mean, count, fdr in rows:
            out.write("{}\t{}\t{}\t{:.6g}\t{}\t{:.6g}\n".format(a, b, text, null_mean, count, fdr))
    line = "real pairs: {}; mean null pairs over {} replicates: {:.6g}\n".format(
        len(real), len(null_files), len(null_scores) / len(null_files))
    with open(summary, "w") as out:
        out.write(line)
    return line


def main():
    if len(sys.argv) < 6:
        sys.exit(__doc__)
    try:
        sys.stdout.write(run(sys.argv[1], sys.argv[2], sys.argv[3], sys.argv[4], sys.argv[5:]))
    except (CalibrationError, OSError) as error:
        sys.exit("calibration: {}".format(error))


if __name__ == "__main__":
    main()
