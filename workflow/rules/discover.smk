# zelkova-discover on one sample: every output of it in results/samples/NAME.


rule discover:
    input:
        unpack(discover_inputs),
    output:
        directory(f"{OUTPUT}/samples/{{sample}}"),
    log:
        f"{OUTPUT}/logs/discover/{{sample}}.log",
    threads: config["threads"]
    resources:
        mem_mb=discover_mem_mb,
    params:
        program=shlex.quote(program("zelkova-discover")),
        arguments=discover_arguments,
    shell:
        "{params.program} -o {output:q} -p {threads} {params.arguments} 2> {log:q}"
