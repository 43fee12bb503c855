# Step 0: the inputs as users hold them, turned into what the programs read.
# Each input is checked here, where it enters: an annotation or a network
# that would give an empty or meaningless result stops its step with what
# was seen, before any program runs.


rule promoters:
    input:
        genome=lambda wc: row(wc)["genome"],
        annotation=lambda wc: row(wc)["annotation"],
        aliases=lambda wc: row(wc).get("aliases", []),
    output:
        "{ds}/input/promoters.fa",
    log:
        "logs/{ds}/promoters.log",
    benchmark:
        "benchmarks/{ds}/promoters.tsv"
    params:
        settings=lambda wc: row(wc)["options"]["promoters"],
        alias_sources=lambda wc: row(wc)["options"]["interactions"]["alias_sources"],
    conda:
        "../envs/tools.yaml"
    script:
        "../scripts/prepare_promoters.py"


rule interactions:
    input:
        source=lambda wc: [r for c, r in row(wc).items() if c in INTERACTION_SOURCES],
        aliases=lambda wc: row(wc).get("aliases", []),
        # The names are checked against the sequences the programs will read.
        fasta=lambda wc: fasta_of(wc.ds),
    output:
        "{ds}/input/interactions.tab",
    log:
        "logs/{ds}/interactions.log",
    benchmark:
        "benchmarks/{ds}/interactions.tsv"
    params:
        format=lambda wc: next(c for c in INTERACTION_SOURCES if c in row(wc)),
        annotated=lambda wc: "annotation" in row(wc),
        settings=lambda wc: row(wc)["options"]["interactions"],
    conda:
        "../envs/tools.yaml"
    script:
        "../scripts/prepare_interactions.py"
