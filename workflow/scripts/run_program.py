"""Runs one of the suite's programs for a rule: its whole output goes to the
rule's log, OMP_NUM_THREADS carries the rule's threads, and the exit status is
judged the way the programs mean it.

  run_program.py --log LOG [--threads N] [--pairs SE OUT JNUM] [--outputs FILE...] -- PROGRAM ARGS..."""
import argparse
import os
import subprocess
import sys

NOTHING_FOUND = "Job finished successfully, but no significant element pairs were found."
NO_MOTIFS = "Program aborted with no error code."
NETWORK_HEADERS = {
    ".sif": None,
    ".1.noa": "SequenceElementType (class=java.lang.String)",
    ".1.eda": "MI (class=Double)",
    ".2.eda": "Robustness_per_{jnum} (class=Integer)",
    ".3.eda": "Z_score (class=Double)",
}


def command_value(text):
    # The programs join their arguments into one command line and split it
    # at blanks; a value in double quotes stays whole.
    if any(c.isspace() for c in text):
        if '"' in text:
            sys.exit("cannot pass a value with both blanks and double quotes: " + text)
        return '"' + text + '"'
    return text


def has_associations(se_file):
    with open(se_file, errors="replace") as handle:
        for line in handle:
            if line[:1] not in ("$", "#") and len(line.rstrip("\r\n").split("\t")) >= 4:
                return True
    return False


def write_empty_network(prefix, jnum):
    for suffix, header in NETWORK_HEADERS.items():
        with open(prefix + suffix, "w") as handle:
            if header:
                handle.write(header.format(jnum=jnum) + "\n")


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--log", required=True)
    parser.add_argument("--threads", type=int, default=1)
    parser.add_argument("--pairs", nargs=3, metavar=("SE", "OUT", "JNUM"),
                        help="a Tavrin run: its SE file, -out and -jnum")
    parser.add_argument("--outputs", nargs="*", default=[],
                        help="files left empty when there is no motif of the type")
    parser.add_argument("command", nargs=argparse.REMAINDER)
    options = parser.parse_args()
    command = options.command[1:] if options.command[:1] == ["--"] else options.command
    program, args = command[0], [command_value(a) for a in command[1:]]
    log = options.log
    is_pair_finder = options.pairs is not None

    if is_pair_finder and not has_associations(options.pairs[0]):
        # A null replicate's motif finder may find nothing: no elements, no pairs.
        write_empty_network(options.pairs[1], options.pairs[2])
        with open(log, "w") as handle:
            handle.write("{} has no element association: 0 pairs, Tavrin not run.\n".format(
                options.pairs[0]))
        return

    env = dict(os.environ, OMP_NUM_THREADS=str(options.threads))
    with open(log, "w") as handle:
        handle.write("$ {} {}\n".format(program, " ".join(args)))
        handle.flush()
        status = subprocess.run([program] + args, stdout=handle, stderr=subprocess.STDOUT,
                                stdin=subprocess.DEVNULL, env=env).returncode
    with open(log, errors="replace") as handle:
        lines = [line.rstrip("\r\n") for line in handle]
    failed = [l for l in lines if l.startswith("ERROR: ") or l.endswith("Program is terminated.")]
    ok = status == 0 or (is_pair_finder and status == 1 and NOTHING_FOUND in lines)
    if failed or not ok:
        reason = failed[0] if failed else "exit status {}".format(status)
        sys.exit("{} failed ({}); its output is in {}".format(
            os.path.basename(program), reason, log))
    if any(l.endswith(NO_MOTIFS) for l in lines):
        # No motif of the requested type: an empty report, not a failure.
        for path in options.outputs:
            if not os.path.exists(path):
                open(path, "w").close()


if __name__ == "__main__":
    main()
