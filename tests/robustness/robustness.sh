#!/usr/bin/env bash
# Hostile and odd inputs for one program:
#
#   robustness.sh <program> <case> <bin-dir> <work-dir> <make_random>
#
# Every run must end with exit status 0 or 1 as documented (never a signal, a
# sanitizer report or a time-out), write nothing to the error stream, end
# with one of the documented final lines, leave every input file unchanged,
# and stay within the time and memory limits. Cases add the exact lines they
# expect. Exits 77 (skipped) when the program is not built.
set -uo pipefail
export LC_ALL=C

program=$1
case_name=$2
bin=$3
work=$4
make_random=$5
prog=$bin/$program

if [ ! -x "$prog" ]; then
  echo "skipped: $prog is not built"
  exit 77
fi

rm -rf "$work"
mkdir -p "$work/in" "$work/out"
IN=$work/in
OUT=$work/out
failures=0

# Sanitizer builds reserve terabytes of address space, so the memory limit
# only applies to plain builds; they also run several times slower.
sanitized=0
if grep -q __asan_init "$prog"; then sanitized=1; fi
time_limit=60
if [ $sanitized = 1 ]; then time_limit=300; fi
memory_mb=2048

fail() {
  echo "FAIL [$program $case_name] $*"
  failures=$((failures + 1))
}

checksums() { find "$IN" -type f -print0 | sort -z | xargs -0 -r cksum; }

# Runs the program with the given arguments, expecting exit status $1 (0, 1
# or 01 for either), and checks what every run must satisfy.
run() {
  local expect=$1
  shift
  local before
  before=$(checksums)
  status=0
  (
    if [ $sanitized = 0 ]; then ulimit -v $((memory_mb * 1024)); fi
    exec timeout -k 5 "$time_limit" "$prog" "$@"
  ) >"$work/stdout" 2>"$work/stderr" || status=$?
  last_run="$program $*"
  if [ $status -eq 124 ] || [ $status -eq 137 ]; then
    fail "timed out after $time_limit s: $last_run"
  elif [ $status -gt 1 ]; then
    fail "exit status $status (signal, abort or memory limit): $last_run"
  elif [[ $expect != *$status* ]]; then
    fail "exit status $status, expected $expect: $last_run"
  fi
  if [ -s "$work/stderr" ]; then
    fail "wrote to the error stream: $last_run"
    head -n 30 "$work/stderr"
  fi
  if ! grep -Fqx "Command line parameters are not provided properly. Please see below." "$work/stdout"; then
    local final
    final=$(grep -v '^$' "$work/stdout" | tail -n 1)
    if ! [[ $final == "ERROR: "* || $final == "Job finished successfully"* ||
            $final == "WARNING: "*"Program aborted with no error code." ]]; then
      fail "does not end with a documented final line (last: '${final:0:200}'): $last_run"
    fi
  fi
  if [ "$before" != "$(checksums)" ]; then
    fail "changed an input file: $last_run"
  fi
}

show_output() {
  echo "--- output of: ${last_run:0:300}"
  head -c 3000 "$work/stdout"
  echo "---"
}

has_line() {
  if ! grep -Fqx -- "$1" "$work/stdout"; then
    fail "missing line '${1:0:300}'"
    show_output
  fi
}

lacks_text() {
  if grep -Fq -- "$1" "$work/stdout"; then
    fail "unexpected '${1:0:300}'"
    show_output
  fi
}

count_lines() { grep -Fc -- "$1" "$work/stdout"; }

# An ERROR or WARNING line that names the path.
names_path() {
  if ! grep -E '^(ERROR|WARNING): ' "$work/stdout" | grep -Fq -- "$1"; then
    fail "no ERROR or WARNING line names $1"
    show_output
  fi
}

usage_shown() {
  has_line "Command line parameters are not provided properly. Please see below."
  if [ -n "$(ls -A "$OUT")" ]; then fail "a refused command line created files: $(ls "$OUT")"; fi
}

# The lines that start with a count, which must not change when only names
# or line ends change.
count_summary() { grep -E '^[0-9]' "$work/stdout"; }

# ---------------------------------------------------------------------------
# Valid inputs of each program. Names can be replaced (non-ASCII case).
NAMES=(g1 g2 g3 g4 g5 g6)
PARTNERS=(h1 h2 h3 h4 h5 h6)
SEQS=(ACGTACGTTTGACAGT TTGACAGTACGTACGA ACGTTTTTGGGACAGA GGGGACGTACGTCCCA TTTTTTGACAGTAAAA ACACACACGTGTGTGT)
PROTEINS=(MKVLAAGIVG MKKLLPTAAA MSTNPKPQRK MKTAYIAKQR MAHHHHHHVG MKRISTTITT)
EDGES=("0 1" "0 2" "1 3" "2 4" "3 5" "4 5" "0 3" "1 5")

write_fasta() {  # file, names array name, sequences array name
  local -n names=$2 seqs=$3
  local i
  for i in "${!names[@]}"; do printf '>%s\n%s\n' "${names[i]}" "${seqs[i]}"; done >"$1"
}

write_interactions() {
  local e a b
  for e in "${EDGES[@]}"; do
    read -r a b <<<"$e"
    printf '%s\t%s\n' "${NAMES[a]}" "${NAMES[b]}"
  done >"$1"
}

write_se() {
  {
    printf '$Gene\tMethod\tMotif\tStatus\n'
    printf '%s\tPfam\tD1\tT\n' "${NAMES[0]}" "${NAMES[3]}" "${NAMES[4]}"
    printf '%s\tPfam\tD2\tT\n' "${NAMES[1]}" "${NAMES[2]}" "${NAMES[5]}"
    printf '%s\tTavrinSE_N\t@ACGTGA\tT\n' "${NAMES[0]}" "${NAMES[1]}"
    printf '%s\tTavrinSE_N\t%%TTGACA\tT\n' "${NAMES[2]}"
  } >"$1"
}

NOA_HEADER='SequenceElementType (class=String)'

declare -A INPUT EMPTY_STATUS EMPTY_LINE CR_STATUS CR_LINE CAPACITY
INPUT_OPTS=()
TEXT_OPTS=()

# Sets ARGS, INPUT_OPTS, INPUT[option] and the documented outcome of an empty
# input (EMPTY_*) and of one converted to CR-only line ends (CR_*, "same" for
# the outcome of the valid run) for each input option; "@" in a line stands
# for the hostile file. $1 is the folder.
setup() {
  local d=$1
  mkdir -p "$d"
  case $program in
    Tavrin)
      write_fasta "$d/genes.fa" NAMES SEQS
      write_interactions "$d/int.tab"
      write_se "$d/se.se"
      INPUT=([-fasta]=$d/genes.fa [-int]=$d/int.tab [-se]=$d/se.se)
      INPUT_OPTS=(-fasta -int -se)
      ARGS=(-fasta "$d/genes.fa" -se "$d/se.se" -int "$d/int.tab" -out "$OUT/res" -srand 1 -shuffle 2 -jnum 1)
      CAPACITY=([-fasta]=259 [-se]=259 [-int]=259 [-out]=253 [-domethod]=999)
      TEXT_OPTS=(-fasta -se -int -out -domethod)
      local intError="ERROR: $d/int.tab does not seem to be a TAB interaction file or contain interactions. Program aborted."
      EMPTY_STATUS=([-fasta]=1 [-int]=1 [-se]=1)
      EMPTY_LINE=([-fasta]="ERROR: @ does not seem to be a FASTA file or contain protein sequences. Program aborted."
                  [-int]="ERROR: @ does not seem to be a TAB interaction file or contain interactions. Program aborted."
                  [-se]="ERROR: @ does not seem to be properly formatted or contain Sequence Element information. Program aborted.")
      # A CR-only FASTA file is one header line: one gene, no interaction
      # matches; a CR-only SE file is skipped whole with its header line.
      CR_STATUS=([-fasta]=1 [-int]=same [-se]=1)
      CR_LINE=([-fasta]=$intError [-se]=${EMPTY_LINE[-se]})
      ;;
    Tavrin-N | Tavrin-N.HV)
      write_fasta "$d/seqs.fa" NAMES SEQS
      write_interactions "$d/int.tab"
      INPUT=([-fasta]=$d/seqs.fa [-int]=$d/int.tab)
      INPUT_OPTS=(-fasta -int)
      ARGS=(-fasta "$d/seqs.fa" -int "$d/int.tab" -out "$OUT/res.se" -seedl 2 -maxl 3 -shuffle 2 -queue 5 -cont 2 -srand 1)
      CAPACITY=([-fasta]=259 [-int]=259 [-out]=259)
      TEXT_OPTS=(-fasta -int -out)
      EMPTY_STATUS=([-fasta]=1 [-int]=1)
      EMPTY_LINE=([-fasta]="ERROR: @ does not seem to be a FASTA file or contain sequence sequences. Program aborted."
                  [-int]="ERROR: @ does not seem to be a TAB interaction file or contain interactions. Program aborted.")
      CR_STATUS=([-fasta]=1 [-int]=same)
      CR_LINE=([-fasta]="ERROR: $d/int.tab does not seem to be a TAB interaction file or contain interactions. Program aborted.")
      ;;
    Simvale)
      printf '%s\nACGTGACCT = 5'"'"'MOTIF\nTTGCA[CG]TA = 5'"'"'MOTIF\nD1 = OTHER\n' "$NOA_HEADER" >"$d/motifs.noa"
      {
        printf '>MA0001.1 %s\n' "${NAMES[0]}"
        printf 'A [10 0 0 0 0 10 0 0 0]\nC [0 10 0 0 0 0 10 10 0]\nG [0 0 10 0 10 0 0 0 0]\nT [0 0 0 10 0 0 0 0 10]\n'
        printf '>MA0002.1 %s\n' "${NAMES[1]}"
        printf 'A [ 3 5 0 0 12 1 2 1 ]\nC [ 1 2 10 1 0 1 0 2 ]\nG [ 1 1 0 0 0 2 1 1 ]\nT [ 7 4 2 11 0 8 9 8 ]\n'
      } >"$d/refs.jaspar"
      INPUT=([-noa]=$d/motifs.noa [-reffile]=$d/refs.jaspar)
      INPUT_OPTS=(-noa -reffile)
      ARGS=(-noa "$d/motifs.noa" -reffile "$d/refs.jaspar" -out "$OUT/report.txt")
      CAPACITY=([-noa]=259 [-reffolder]=259 [-reffile]=259 [-type]=999 [-out]=259)
      TEXT_OPTS=(-noa -reffolder -reffile -type -out)
      EMPTY_STATUS=([-noa]=0 [-reffile]=1)
      EMPTY_LINE=([-noa]="WARNING: @ does not seem to be properly formatted or contain Sequence Elements with the requested type. Program aborted with no error code."
                  [-reffile]="ERROR: No motifs could be read from the specified path. Program aborted.")
      # A CR-only JASPAR file is one header line: a matrix without columns.
      CR_STATUS=([-noa]=0 [-reffile]=0)
      CR_LINE=([-noa]=${EMPTY_LINE[-noa]} [-reffile]="0 known motifs were found.")
      ;;
    VantorN | VantorP)
      local type="5'MOTIF" fastaError=" does not seem to be a FASTA file or contain sequence sequences."
      local noaWarning=" with the requested type."
      if [ $program = VantorP ]; then
        type=PMOTIF
        fastaError=" does not seem to be a FASTA file or contain protein sequences."
        noaWarning=" of the requested type."
        write_fasta "$d/org1.fa" NAMES PROTEINS
        write_fasta "$d/org2.fa" PARTNERS PROTEINS
        printf '%s\nMK = PMOTIF\nK[LT] = PMOTIF\nACG = 5'"'"'MOTIF\n' "$NOA_HEADER" >"$d/motifs.noa"
      else
        write_fasta "$d/org1.fa" NAMES SEQS
        write_fasta "$d/org2.fa" PARTNERS SEQS
        printf '%s\nACG = 5'"'"'MOTIF\nTTT[AG] = 5'"'"'MOTIF\nMK = PMOTIF\n' "$NOA_HEADER" >"$d/motifs.noa"
      fi
      {
        printf 'Organism1\tOrganism2\n'
        local i
        for i in "${!NAMES[@]}"; do printf '%s\t%s\n' "${NAMES[i]}" "${PARTNERS[i]}"; done
      } >"$d/ortho.tab"
      INPUT=([-fasta1]=$d/org1.fa [-fasta2]=$d/org2.fa [-orthotab]=$d/ortho.tab [-noa]=$d/motifs.noa)
      INPUT_OPTS=(-fasta1 -fasta2 -orthotab -noa)
      ARGS=(-fasta1 "$d/org1.fa" -fasta2 "$d/org2.fa" -orthotab "$d/ortho.tab" -noa "$d/motifs.noa"
            -out "$OUT/cons.noa" -ndecoy 5 -srand 3)
      CAPACITY=([-fasta1]=259 [-fasta2]=259 [-orthotab]=259 [-noa]=259 [-out]=259 [-type]=999)
      TEXT_OPTS=(-fasta1 -fasta2 -orthotab -noa -out -type)
      local orthoError="ERROR: $d/ortho.tab does not seem to be a TAB file or contain orthology information. Program aborted."
      EMPTY_STATUS=([-fasta1]=1 [-fasta2]=1 [-orthotab]=1 [-noa]=0)
      EMPTY_LINE=([-fasta1]="ERROR: @$fastaError Program aborted." [-fasta2]="ERROR: @$fastaError Program aborted."
                  [-orthotab]="ERROR: @ does not seem to be a TAB file or contain orthology information. Program aborted."
                  [-noa]="WARNING: @ does not seem to be properly formatted or contain Sequence Elements$noaWarning Program aborted with no error code.")
      # A CR-only FASTA file holds one record whose name matches no ortholog.
      CR_STATUS=([-fasta1]=1 [-fasta2]=1 [-orthotab]=1 [-noa]=0)
      CR_LINE=([-fasta1]=$orthoError [-fasta2]=$orthoError [-orthotab]=${EMPTY_LINE[-orthotab]}
               [-noa]=${EMPTY_LINE[-noa]})
      ;;
    *)
      echo "unknown program $program"
      exit 2
      ;;
  esac
}

# ARGS with the value of option $1 replaced by $2 (appended when absent).
with() {
  RUN_ARGS=()
  local i found=0
  for ((i = 0; i < ${#ARGS[@]}; i++)); do
    RUN_ARGS+=("${ARGS[i]}")
    if [ "${ARGS[i]}" = "$1" ]; then
      RUN_ARGS+=("$2")
      i=$((i + 1))
      found=1
    fi
  done
  if [ $found = 0 ]; then RUN_ARGS+=("$1" "$2"); fi
}

# The outcome of the valid inputs: status and count lines.
run_valid() {
  run 01 "${ARGS[@]}"
  valid_status=$status
  valid_counts=$(count_summary)
}

same_as_valid() {
  if [ "$status" != "$valid_status" ]; then fail "exit status $status, the valid run gave $valid_status: $last_run"; fi
  if [ "$(count_summary)" != "$valid_counts" ]; then
    fail "count lines differ from the valid run: $last_run"
    diff <(echo "$valid_counts") <(count_summary) | head -n 20
  fi
}

repeat_char() { head -c "$2" /dev/zero | tr '\0' "$1"; }

# ---------------------------------------------------------------------------
case_dir_input() {
  setup "$IN"
  mkdir -p "$IN/folder"
  local opt
  for opt in "${INPUT_OPTS[@]}"; do
    with "$opt" "$IN/folder"
    run 01 "${RUN_ARGS[@]}"
    # Either refused as unreadable or read as an empty file.
    local emptyLine=${EMPTY_LINE[$opt]//@/$IN/folder}
    if ! grep -Fqx -- "$emptyLine" "$work/stdout"; then names_path "$IN/folder"; fi
  done
}

hostile_file_case() {  # maker function: writes the hostile file $1
  local maker=$1
  setup "$IN"
  local opt
  for opt in "${INPUT_OPTS[@]}"; do
    local file=$IN/hostile${opt}
    $maker "$file"
    with "$opt" "$file"
    run "${EMPTY_STATUS[$opt]}" "${RUN_ARGS[@]}"
    has_line "${EMPTY_LINE[$opt]//@/$file}"
  done
}

make_empty() { : >"$1"; }
make_nul() { head -c 4096 /dev/zero >"$1"; }
case_empty_file() { hostile_file_case make_empty; }
case_nul_bytes() { hostile_file_case make_nul; }

case_random_binary() {
  setup "$IN"
  local opt seed=1
  for opt in "${INPUT_OPTS[@]}"; do
    local file=$IN/random${opt}
    "$make_random" 65536 $seed "$file" || fail "cannot make $file"
    seed=$((seed + 1))
    with "$opt" "$file"
    run 01 "${RUN_ARGS[@]}"
  done
}

case_cr_line_ends() {
  setup "$IN"
  run_valid
  local opt
  for opt in "${INPUT_OPTS[@]}"; do
    local file=$IN/cr${opt}
    tr '\n' '\r' <"${INPUT[$opt]}" >"$file"
    with "$opt" "$file"
    if [ "${CR_STATUS[$opt]}" = same ]; then
      run 01 "${RUN_ARGS[@]}"
      same_as_valid
    else
      run "${CR_STATUS[$opt]}" "${RUN_ARGS[@]}"
      has_line "${CR_LINE[$opt]//@/$file}"
    fi
  done
}

case_non_ascii_names() {
  setup "$IN/plain"
  run_valid
  local plainOutput
  plainOutput=$(cd "$OUT" && cat ./* 2>/dev/null | cksum)
  [ -f "$OUT/res.se" ] && cp "$OUT/res.se" "$work/plain.se"
  rm -rf "${OUT:?}"/*
  NAMES=($'g\xc3\xa91' $'g\xff2' $'\xe4\xb8\xad3' $'g4\xa0' $'\x01g5' $'g6\xc0')
  PARTNERS=($'h\xc3\xa91' $'h\xff2' $'\xe4\xb8\xad3h' $'h4\xa0' $'\x01h5' $'h6\xc0')
  setup "$IN/bytes"
  run 01 "${ARGS[@]}"
  same_as_valid
  case $program in
    Simvale)
      if ! grep -Fq -- $'\t'"${NAMES[0]}"$'\t' "$OUT/report.txt"; then fail "report lacks the reference name ${NAMES[0]}"; fi
      ;;
    Tavrin-N | Tavrin-N.HV)
      # The SE file names the genes: with the names mapped back it is the same.
      local text i
      text=$(<"$OUT/res.se")
      for i in "${!NAMES[@]}"; do text=${text//"${NAMES[i]}"/g$((i + 1))}; done
      if [ "$text" != "$(<"$work/plain.se")" ]; then fail "the SE file differs from the run with ASCII names"; fi
      ;;
    Tavrin | VantorN | VantorP)
      # Gene names do not reach these outputs: they must not change.
      if [ "$plainOutput" != "$(cd "$OUT" && cat ./* 2>/dev/null | cksum)" ]; then
        fail "output files differ from the run with ASCII names"
      fi
      ;;
  esac
}

case_long_option_value() {
  setup "$IN"
  local opt
  for opt in "${TEXT_OPTS[@]}"; do
    with "$opt" "$(repeat_char x $((CAPACITY[$opt] + 1)))"
    run 1 "${RUN_ARGS[@]}"
    usage_shown
  done
  # A value at the capacity is taken whole: the file is looked for by its full name.
  local first=${INPUT_OPTS[0]} name
  name=$(repeat_char y "${CAPACITY[$first]}")
  with "$first" "$name"
  run 1 "${RUN_ARGS[@]}"
  has_line "ERROR: $name was not found. Program aborted"
  rm -rf "${OUT:?}"/*
  # A command line beyond its capacity.
  local many=()
  local i
  for ((i = 0; i < 1100; i++)); do many+=(-out "$OUT/x"); done
  run 1 "${ARGS[@]}" "${many[@]}"
  usage_shown
}

case_long_line() {
  setup "$IN"
  run_valid
  memory_mb=160
  local file
  case $program in
    Tavrin | Tavrin-N | Tavrin-N.HV)
      file=${INPUT[-fasta]}
      cp "$file" "$IN/valid.fa"
      { printf '>%s\n' "${NAMES[0]}"; repeat_char A 100000000; printf '\n'; tail -n +3 "$IN/valid.fa"; } >"$file"
      run 01 "${ARGS[@]}"
      if [ $program = Tavrin ]; then
        same_as_valid
      else
        has_line "WARNING: ${NAMES[0]} is too long. Sequence will be shortened to 30000 characters."
      fi
      ;;
    Simvale | VantorN | VantorP)
      # Read in pieces: only the last piece holds the '=' and makes a motif "A".
      local type="5'MOTIF"
      if [ $program = VantorP ]; then type=PMOTIF; fi
      file=${INPUT[-noa]}
      { repeat_char A 100000000; printf ' = %s\n' "$type"; } >>"$file"
      run 0 "${ARGS[@]}"
      has_line "3 Sequence Elements had assigned seqeunces and were read."
      has_line "Job finished successfully."
      ;;
  esac
  rm -f "$file"
}

case_many_records() {
  setup "$IN"
  run_valid
  local opt=-fasta
  case $program in VantorN | VantorP) opt=-fasta1 ;; esac
  local letters=${SEQS[0]}
  case $program in VantorP) letters=${PROTEINS[0]} ;; esac
  seq 7 30001 | awk -v s="$letters" '{ printf ">filler%d\n%s\n", $1, s }' >>"${INPUT[$opt]}"
  run 01 "${ARGS[@]}"
  has_line "WARNING: More than 30000 sequences were found. The rest of the file will be ignored."
  has_line "30000 sequences were read successfully."
  if [ "$status" != "$valid_status" ]; then fail "exit status $status, the valid run gave $valid_status"; fi
}

case_many_elements() {
  setup "$IN"
  seq 1 30001 | awk -v g="${NAMES[0]}" '{ printf "%s\tPfam\tE%d\tT\n", g, $1 }' >>"${INPUT[-se]}"
  run 1 "${ARGS[@]}"
  has_line "ERROR: ${INPUT[-se]} contains more than 30000 sequence elements. Program aborted."
}

# 250 records and 30001 distinct interactions among them.
case_many_interactions() {
  setup "$IN"
  local fasta=${INPUT[-fasta]}
  awk 'BEGIN { srand(5); for (i = 1; i <= 250; i++) { s = ""; for (k = 0; k < 24; k++) s = s substr("ACGT", int(rand() * 4) + 1, 1); printf ">n%d\n%s\n", i, s } }' >"$fasta"
  awk 'BEGIN { n = 0; for (i = 1; i <= 250 && n < 30001; i++) for (j = i + 1; j <= 250 && n < 30001; j++) { printf "n%d\tn%d\n", i, j; n++ } }' >"${INPUT[-int]}"
  if [ $program = Tavrin ]; then
    awk 'BEGIN { for (i = 1; i <= 250; i++) printf "n%d\tPfam\t%s\tT\n", i, (i % 3 ? "D1" : "D2") }' >"${INPUT[-se]}"
  fi
  run 01 "${ARGS[@]}"
  has_line "30001 interactions were read at the first attempt."
  has_line "More than 30000 interactions were found. The rest will be ignored."
}

case_motif_capacity() {
  setup "$IN"
  local at over
  case $program in
    Tavrin)
      at=$(repeat_char A 100)
      over=$(repeat_char C 101)
      printf '%s\tTavrinSE_N\t@%s\tT\n' "${NAMES[0]}" "$at" "${NAMES[1]}" "$over" "${NAMES[2]}" "[$at]" >>"${INPUT[-se]}"
      run 01 "${ARGS[@]}"
      has_line "WARNING: $over: Motif size exceeds the permitted maximum value."
      lacks_text "WARNING: $at:"
      lacks_text "WARNING: [$at]"
      ;;
    Simvale)
      local file=${INPUT[-noa]}
      at=$(for i in $(seq 25); do printf 'ACG[TC]'; done)
      printf '%s = 5'"'"'MOTIF\n' "$at" >>"$file"
      run 0 "${ARGS[@]}"
      has_line "Job finished successfully."
      cp "$file" "$IN/at.noa"
      printf '%s\n%sA = 5'"'"'MOTIF\n' "$NOA_HEADER" "$at" >"$file"
      rm -rf "${OUT:?}"/*
      run 0 "${ARGS[@]}"
      has_line "ERROR: Motif size exceeds the permitted maximum value. Program is terminated."
      lacks_text "Job finished"
      ;;
    VantorN | VantorP)
      # The longest name the node attribute reader takes, then one more.
      local file=${INPUT[-noa]} type="5'MOTIF" letter=A
      if [ $program = VantorP ]; then type=PMOTIF; letter=K; fi
      at=$(repeat_char $letter 999)
      printf '%s = %s\n' "$at" "$type" >>"$file"
      run 0 "${ARGS[@]}"
      has_line "Job finished successfully."
      printf '%s%s = %s\n' "$at" "$letter" "$type" >>"$file"
      rm -rf "${OUT:?}"/*
      run 1 "${ARGS[@]}"
      names_path "$file"
      ;;
  esac
}

case_many_motifs() {
  setup "$IN"
  local type="5'MOTIF"
  [ $program = VantorP ] && type=PMOTIF
  seq 1 10001 | awk -v t="$type" '{ printf "M%d = %s\n", $1, t }' >>"${INPUT[-noa]}"
  run 1 "${ARGS[@]}"
  names_path "${INPUT[-noa]}"
}

case_jaspar_wide_row() {
  setup "$IN"
  local file=${INPUT[-reffile]}
  {
    printf '>WIDE wide\n'
    local b
    for b in A C G T; do
      printf '%s [' $b
      seq 1 10000 | tr '\n' ' '
      printf ']\n'
    done
  } >>"$file"
  run 0 "${ARGS[@]}"
  has_line "3 known motifs were read."
  has_line "Job finished successfully."
}

# Columns of huge, nearly equal counts are uniform but for rounding: they must
# score like uniform columns (no match), never as an infinite similarity.
case_jaspar_huge_counts() {
  setup "$IN"
  printf '>HUGE huge\n' >"${INPUT[-reffile]}"
  local b
  for b in A C G T; do
    printf '%s [1 1 1 1 1 1 %s 1 1]\n' $b "$([ $b = C ] && echo 2147483647 || echo 2147483645)"
  done >>"${INPUT[-reffile]}"
  run 0 "${ARGS[@]}"
  has_line "0 known motifs were found."
  if grep -Eqi 'inf|nan' "$OUT/report.txt"; then fail "the report holds a score that is not a number in [0, 1]"; fi
}

case_ace_long_site() {
  setup "$IN"
  mkdir -p "$IN/ace"
  printf 'title\nACGTGACCT\nACGTGACCT\nACGTGACCA\n*\n' >"$IN/ace/short.ace"
  { printf 'title\n'; awk 'BEGIN { for (i = 0; i < 5000; i++) printf "%s", substr("ACGT", i % 4 + 1, 1); printf "\n" }'; printf 'ACGT\n'; } >"$IN/ace/long.ace"
  with -reffolder "$IN/ace"
  run 0 "${RUN_ARGS[@]}"
  has_line "2 motifs were in the indicated folder and were read..."
  has_line "Job finished successfully."
}

# ---------------------------------------------------------------------------
if ! declare -F "case_$case_name" >/dev/null; then
  echo "unknown case $case_name"
  exit 2
fi
"case_$case_name"
if [ $failures -gt 0 ]; then
  echo "$program $case_name: $failures failure(s)"
  exit 1
fi
echo "$program $case_name: passed"
rm -rf "$work"
