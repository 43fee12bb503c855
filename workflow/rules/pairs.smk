# Steps 1-2 for the real network ("real") and for each null replicate
# ("null/K"). A null replicate's network is written once and read by every
# program of that replicate: the real network with its node labels permuted
# with seed K (null: relabel), or, with null: repair, the real file re-paired
# by the programs themselves (-random 1 -srand K).


rule relabelled_network:
    input:
        interactions="{ds}/input/interactions.tab",
        fasta=lambda wc: fasta_of(wc.ds),
    output:
        "{ds}/null/{k}/interactions.tab",
    log:
        "logs/{ds}/null/{k}/relabelled_network.log",
    benchmark:
        "benchmarks/{ds}/null/{k}/relabelled_network.tsv"
    params:
        python=PYTHON,
        script=os.path.join(SCRIPTS, "relabel_network.py"),
    conda:
        "../envs/tools.yaml"
    shell:
        "{params.python:q} {params.script:q} --interactions {input.interactions:q}"
        " --fasta {input.fasta:q} --seed {wildcards.k} --out {output:q} > {log:q} 2>&1"

rule motif_pairs:
    input:
        fasta=lambda wc: fasta_of(wc.ds),
        interactions=lambda wc: interactions_of(wc.ds, wc.run),
    output:
        "{ds}/{run}/motifs.se",
    log:
        "logs/{ds}/{run}/motif_pairs.log",
    benchmark:
        "benchmarks/{ds}/{run}/motif_pairs.tsv"
    threads: config["threads"]["Tavrin-N"]
    params:
        python=PYTHON,
        runner=RUNNER,
        program=program("Tavrin-N"),
        args=lambda wc, output: finder_args(wc, "Tavrin-N", output[0]),
    conda:
        "../envs/tools.yaml"
    shell:
        "{params.python:q} {params.runner:q} --log {log:q} --threads {threads}"
        " -- {params.program:q} {params.args:q}"


rule self_motif_pairs:
    input:
        fasta=lambda wc: fasta_of(wc.ds),
        interactions=lambda wc: interactions_of(wc.ds, wc.run),
    output:
        "{ds}/{run}/self_motifs.se",
    log:
        "logs/{ds}/{run}/self_motif_pairs.log",
    benchmark:
        "benchmarks/{ds}/{run}/self_motif_pairs.tsv"
    threads: config["threads"]["Tavrin-N.HV"]
    params:
        python=PYTHON,
        runner=RUNNER,
        program=program("Tavrin-N.HV"),
        args=lambda wc, output: finder_args(wc, "Tavrin-N.HV", output[0]),
    conda:
        "../envs/tools.yaml"
    shell:
        "{params.python:q} {params.runner:q} --log {log:q} --threads {threads}"
        " -- {params.program:q} {params.args:q}"


rule element_file:
    input:
        "{ds}/{run}/motifs.se",
        "{ds}/{run}/self_motifs.se",
    output:
        "{ds}/{run}/elements.se",
    log:
        "logs/{ds}/{run}/element_file.log",
    benchmark:
        "benchmarks/{ds}/{run}/element_file.tsv"
    conda:
        "../envs/tools.yaml"
    shell:
        "cat {input:q} > {output:q} 2> {log:q}"


rule element_pairs:
    input:
        fasta=lambda wc: fasta_of(wc.ds),
        se=lambda wc: se_of(wc.ds, wc.run),
        interactions=lambda wc: interactions_of(wc.ds, wc.run),
    output:
        sif="{ds}/{run}/net.sif",
        noa="{ds}/{run}/net.1.noa",
        scores="{ds}/{run}/net.1.eda",
        robustness="{ds}/{run}/net.2.eda",
        zscores="{ds}/{run}/net.3.eda",
    log:
        "logs/{ds}/{run}/element_pairs.log",
    benchmark:
        "benchmarks/{ds}/{run}/element_pairs.tsv"
    threads: config["threads"]["Tavrin"]
    params:
        python=PYTHON,
        runner=RUNNER,
        program=program("Tavrin"),
        args=pair_args,
        out="{ds}/{run}/net",
        jnum=lambda wc: DATASETS[wc.ds]["options"]["Tavrin"]["jnum"],
    conda:
        "../envs/tools.yaml"
    shell:
        "{params.python:q} {params.runner:q} --log {log:q} --threads {threads}"
        " --pairs {input.se:q} {params.out:q} {params.jnum}"
        " -- {params.program:q} {params.args:q}"
