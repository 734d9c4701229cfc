#!/usr/bin/env python3
"""Runs Python cells one after the other in one session, as a notebook does.

Reads a JSON list of cells (each a string of Python source) on standard
input and prints a JSON list of their outputs: what each cell printed on
standard output and standard error, in the order printed, followed, when the
cell ends with an expression, by the representation of its value (None shows
nothing), as a notebook displays it. A cell that raises stops the run with
status 1 and the traceback on standard error. scripts/update-docs.py runs the
walkthrough of docs/python.md with it.

usage: run-python-cells.py <cells.json >outputs.json
"""
import ast
import contextlib
import io
import json
import sys


def run_cell(source, namespace):
    """The output of one cell, run in namespace."""
    tree = ast.parse(source)
    last = tree.body.pop() if tree.body and isinstance(tree.body[-1], ast.Expr) else None
    output = io.StringIO()
    with contextlib.redirect_stdout(output), contextlib.redirect_stderr(output):
        exec(compile(tree, "<cell>", "exec"), namespace)
        if last is not None:
            value = eval(compile(ast.Expression(last.value), "<cell>", "eval"), namespace)
            if value is not None:
                print(repr(value))
    return output.getvalue()


def main():
    cells = json.load(sys.stdin)
    namespace = {"__name__": "__main__"}
    outputs = [run_cell(cell, namespace) for cell in cells]
    json.dump(outputs, sys.stdout)


if __name__ == "__main__":
    main()
