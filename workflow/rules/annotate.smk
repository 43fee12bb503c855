# Steps 3-4: known matrices and conservation of the real network's motifs.


rule known_motifs:
    input:
        noa="{ds}/real/net.1.noa",
        jaspar=lambda wc: row(wc).get("jaspar", []),
    output:
        "{ds}/known_motifs.tsv",
    log:
        "logs/{ds}/known_motifs.log",
    benchmark:
        "benchmarks/{ds}/known_motifs.tsv"
    threads: config["threads"]["Simvale"]
    params:
        python=PYTHON,
        runner=RUNNER,
        program=program("Simvale"),
        args=simvale_args,
    conda:
        "../envs/tools.yaml"
    shell:
        "{params.python:q} {params.runner:q} --log {log:q} --threads {threads} --outputs {output:q}"
        " -- {params.program:q} {params.args:q}"


rule conservation:
    input:
        noa="{ds}/real/net.1.noa",
        fasta1=lambda wc: fasta_of(wc.ds),
        fasta2=lambda wc: row(wc)["fasta2"],
        orthologs=lambda wc: row(wc)["orthologs"],
    output:
        "{ds}/conservation.noa",
    log:
        "logs/{ds}/conservation.log",
    benchmark:
        "benchmarks/{ds}/conservation.tsv"
    threads: config["threads"]["Vantor"]
    params:
        python=PYTHON,
        runner=RUNNER,
        program=lambda wc: program(vantor_program(wc.ds)),
        args=vantor_args,
    conda:
        "../envs/tools.yaml"
    shell:
        "{params.python:q} {params.runner:q} --log {log:q} --threads {threads} --outputs {output:q}"
        " -- {params.program:q} {params.args:q}"
