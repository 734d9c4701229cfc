# The index of each genome of the sample sheet, built once for all the
# samples on it: results/genomes/KEY/ holds a link to the genome and its
# index (.fai, and .gzi for bgzip) beside the link. An index already beside
# the genome is linked too, and used when it is up to date.


rule genome_index:
    input:
        lambda wildcards: GENOMES[wildcards.genome],
    output:
        directory(f"{OUTPUT}/genomes/{{genome}}"),
    log:
        f"{OUTPUT}/logs/genome_index/{{genome}}.log",
    # Indexing streams the genome once and keeps one line per chromosome:
    # whatever the genome's size, 1000 MB hold that and the two Snakemake
    # processes that run each job on a cluster.
    threads: 1
    resources:
        mem_mb=1000,
    params:
        program=shlex.quote(program("zelkova-discover")),
        genome=lambda wildcards: GENOMES[wildcards.genome],
        link=lambda wildcards: indexed_genome(wildcards.genome),
    shell:
        "mkdir -p {output:q} && ln -s {params.genome:q} {params.link:q} && "
        "for end in .fai .gzi; do if [ -e {params.genome:q}$end ]; then ln -s {params.genome:q}$end {params.link:q}$end; fi; done && "
        "{params.program} --index-genome --genome {params.link:q} > {log:q} 2>&1"
