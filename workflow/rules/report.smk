# Step 7: the report page; left out when `bin` holds an older suite without it.


rule report:
    input:
        net=lambda wc: net_files("{}/real/net".format(wc.ds)),
        se=lambda wc: se_of(wc.ds, "real"),
        fasta=lambda wc: fasta_of(wc.ds),
        known=lambda wc: "{}/known_motifs.tsv".format(wc.ds) if wants_simvale(wc.ds) else [],
        conservation=lambda wc: (
            "{}/conservation.noa".format(wc.ds) if wants_conservation(wc.ds) else []
        ),
        calibration="{ds}/calibration.tsv",
        names=lambda wc: DATASETS[wc.ds].get("names", []),
    output:
        "{ds}/report.html",
    log:
        "logs/{ds}/report.log",
    benchmark:
        "benchmarks/{ds}/report.tsv"
    params:
        python=PYTHON,
        runner=RUNNER,
        program=program("Tavrin-report"),
        args=report_args,
        date=report_date,
    conda:
        "../envs/tools.yaml"
    shell:
        "SOURCE_DATE_EPOCH={params.date} {params.python:q} {params.runner:q} --log {log:q} --threads {threads}"
        " -- {params.program:q} {params.args:q}"
