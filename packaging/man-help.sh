#!/bin/sh
# Stands in for a program while help2man reads its usage screen. The
# programs print it when run without arguments (exit status 1), under their
# banner and a line that says the parameters were not given properly; here
# it is reshaped into the layout help2man reads: the usage on one line,
# each option as "  -key  text" with its further lines indented below it.
# TAVRIN_MAN_PROGRAM names the real program, TAVRIN_MAN_VERSION the version.
name=$(basename "$0")
case "$1" in
  --version) echo "$name ${TAVRIN_MAN_VERSION}" ;;
  *)
    "$TAVRIN_MAN_PROGRAM" | sed -e '1,/^Received command line:/d' |
      awk -v name="$name" '
        /^Command line parameters are not provided properly/ || /^---$/ { next }
        /^Usage:/ { usage = $0; sub(/^Usage: [^ ]+/, "Usage: " name, usage); inUsage = 1; next }
        inUsage && /^  / { line = $0; sub(/^ +/, "", line); usage = usage " " line; next }
        inUsage { print usage; inUsage = 0 }
        /^-[A-Za-z0-9.]+:/ {
          key = $0; sub(/:.*/, "", key); text = substr($0, length(key) + 2); sub(/^ +/, "", text)
          printf "  %-14s %s\n", key, text; inOption = 1; next
        }
        /^$/ { inOption = 0; print; next }
        inOption { line = $0; sub(/^ +/, "", line); printf "                 %s\n", line; next }
        { line = $0; sub(/^ +/, "", line); print line }
        END { if (inUsage) print usage }'
    ;;
esac
exit 0
