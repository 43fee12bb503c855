# Step 0: the inputs as users hold them, turned into what the programs read.


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
    conda:
        "../envs/tools.yaml"
    script:
        "../scripts/prepare_promoters.py"


rule interactions:
    input:
        source=lambda wc: [r for c, r in row(wc).items() if c in INTERACTION_SOURCES],
        aliases=lambda wc: row(wc).get("aliases", []),
    output:
        "{ds}/input/interactions.tab",
    log:
        "logs/{ds}/interactions.log",
    benchmark:
        "benchmarks/{ds}/interactions.tsv"
    params:
        format=lambda wc: next(c for c in INTERACTION_SOURCES if c in row(wc)),
        settings=lambda wc: row(wc)["options"]["interactions"],
    conda:
        "../envs/tools.yaml"
    script:
        "../scripts/prepare_interactions.py"
