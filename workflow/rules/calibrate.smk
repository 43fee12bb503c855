# Step 6: an empirical false discovery rate for every real pair.


rule calibration:
    input:
        sif="{ds}/real/net.sif",
        scores="{ds}/real/net.1.eda",
        null=lambda wc: ["{}/{}/net.1.eda".format(wc.ds, run) for run in null_runs(wc.ds)],
    output:
        table="{ds}/calibration.tsv",
        summary="{ds}/calibration_summary.txt",
    log:
        "logs/{ds}/calibration.log",
    benchmark:
        "benchmarks/{ds}/calibration.tsv"
    params:
        python=PYTHON,
        script=os.path.join(SCRIPTS, "calibrate.py"),
    conda:
        "../envs/tools.yaml"
    shell:
        "{params.python:q} {params.script:q} {input.sif:q} {input.scores:q} {output.table:q}"
        " {output.summary:q} {input.null:q} > {log:q} 2>&1"
