"""The truth rule of the calibration study.

A motif is like a planted word when, at some alignment of the word (or its
reverse complement) against the motif, at least 5 aligned positions each
allow the word's letter there. A pair is true when one motif is like the
first word and the other like the second; one-sided when only one of its
motifs is like a planted word; false when neither is. In a set without a
planted pair every pair is false.
"""
import re

MIN_ALIGNED = 5
LETTERS = {"A": "A", "C": "C", "G": "G", "T": "T", "U": "T", "N": "ACGT"}
COMPLEMENT = str.maketrans("ACGT", "TGCA")


def positions(motif):
    """The allowed letters of each motif position; a type mark (@, %, ~) in
    front is not a position."""
    text = motif.lstrip("@%~")
    out = []
    for group, single in re.findall(r"\[([^\]]*)\]|(.)", text):
        allowed = set()
        for letter in (group if group else single).upper():
            allowed |= set(LETTERS.get(letter, ""))
        out.append(allowed)
    return out


def aligned_matches(allowed, word):
    """The most positions that allow the word's letter at one alignment."""
    best = 0
    for offset in range(-len(word) + 1, len(allowed)):
        hits = sum(1 for i, letter in enumerate(word)
                   if 0 <= offset + i < len(allowed) and letter in allowed[offset + i])
        best = max(best, hits)
    return best


def is_like(motif, word):
    allowed = positions(motif)
    reverse = word.translate(COMPLEMENT)[::-1]
    return max(aligned_matches(allowed, word), aligned_matches(allowed, reverse)) >= MIN_ALIGNED


def classify(a, b, words):
    """'true', 'one-sided' or 'false' for the pair (a, b); words empty when
    nothing was planted."""
    if not words:
        return "false"
    first, second = words
    if (is_like(a, first) and is_like(b, second)) or (is_like(a, second) and is_like(b, first)):
        return "true"
    if any(is_like(m, w) for m in (a, b) for w in words):
        return "one-sided"
    return "false"
