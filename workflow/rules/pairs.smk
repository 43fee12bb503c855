# Steps 1-2 for the real network ("real") and for each null replicate
# ("null/K": interactions randomised with seed K).

rule motif_pairs:
    input:
        fasta=lambda wc: fasta_of(wc.ds),
        interactions=lambda wc: interactions_of(wc.ds),
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
        interactions=lambda wc: interactions_of(wc.ds),
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
        interactions=lambda wc: interactions_of(wc.ds),
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
