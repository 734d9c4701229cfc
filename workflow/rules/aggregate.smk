# zelkova-aggregate over every sample: results/summary.tsv and results/index.html.


rule aggregate:
    input:
        expand(f"{OUTPUT}/samples/{{sample}}", sample=SAMPLES),
    output:
        summary=f"{OUTPUT}/summary.tsv",
        html=f"{OUTPUT}/index.html",
    log:
        f"{OUTPUT}/logs/aggregate.log",
    params:
        program=shlex.quote(program("zelkova-aggregate")),
        top=config["top"],
    shell:
        "{params.program} --top {params.top} --summary {output.summary:q} --html {output.html:q} "
        "{input:q} 2> {log:q}"
