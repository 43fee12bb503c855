#!/bin/sh
# Stands in for a program while help2man reads its usage screen: the
# programs print it when run without arguments (exit status 1), under their
# banner and the line that says the parameters were not given properly.
# TAVRIN_MAN_PROGRAM names the real program.
case "$1" in
  --version) echo "$(basename "$0") ${TAVRIN_MAN_VERSION}" ;;
  *)
    "$TAVRIN_MAN_PROGRAM" | sed -e '1,/^Received command line:/d' \
      -e '/^Command line parameters are not provided properly/d' -e '/^---$/d'
    ;;
esac
exit 0
