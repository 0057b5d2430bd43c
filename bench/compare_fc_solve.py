#!/usr/bin/env python3
"""Runs cardwright-cli solve and Freecell Solver (fc-solve) side by side on
the same deals of FreeCell, Baker's Game, Eight Off, Sea Towers or ForeCell and
prints, per deal, both verdicts and times, then the median time per deal of
ours divided by theirs and any deal we call unwinnable that fc-solve solves.

    bench/compare_fc_solve.py build/tools/cli/cardwright-cli FreeCell 1 20 --seconds 10
"""
import argparse
import json
import statistics
import subprocess
import sys
import tempfile
import time

# Our piles as fc-solve sees them: columns, cells, and its options.
GAMES = {
    "FreeCell": (range(0, 8), range(8, 12), ["-g", "freecell"]),
    "Baker's Game": (range(0, 8), range(8, 12), ["-g", "bakers_game"]),
    "Eight Off": (range(4, 12), range(12, 20), ["-g", "eight_off"]),
    "Sea Towers": (range(0, 10), range(10, 14), ["-g", "seahaven"]),
    "ForeCell": (range(0, 8), range(8, 12), ["-g", "forecell"]),
}


def table(cli, game, number):
    out = subprocess.run([cli, "deal", game, str(number)], check=True, capture_output=True,
                         text=True).stdout
    piles = {}
    for line in out.splitlines():
        head, _, cards = line.partition(":")
        piles[int(head.split()[1])] = [c.replace("10", "T") for c in cards.split()]
    return piles


def board(piles, columns, cells):
    held = [piles[c][-1] if piles[c] else "-" for c in cells]
    lines = ["Freecells: " + " ".join(held)] if any(h != "-" for h in held) else []
    lines += [": " + " ".join(piles[c]) for c in columns]
    return "\n".join(lines) + "\n"


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("cli")
    parser.add_argument("game", choices=sorted(GAMES))
    parser.add_argument("first", type=int)
    parser.add_argument("last", type=int)
    parser.add_argument("--seconds", default="10")
    args = parser.parse_args()
    columns, cells, options = GAMES[args.game]
    ratios, ours_times, theirs_times, contradictions = [], [], [], []
    for number in range(args.first, args.last + 1):
        start = time.monotonic()
        ours = json.loads(subprocess.run(
            [args.cli, "solve", args.game, str(number), "--seconds", args.seconds, "--json"],
            check=True, capture_output=True, text=True).stdout)
        ours_time = time.monotonic() - start
        with tempfile.NamedTemporaryFile("w", suffix=".board") as handle:
            handle.write(board(table(args.cli, args.game, number), columns, cells))
            handle.flush()
            start = time.monotonic()
            theirs = subprocess.run(["fc-solve", *options, handle.name], capture_output=True,
                                    text=True).stdout
            theirs_time = time.monotonic() - start
        solved = "This game is solveable" in theirs
        if ours["verdict"] == "unwinnable" and solved:
            contradictions.append(number)
        ours_times.append(ours_time)
        theirs_times.append(theirs_time)
        print(f"{number}\t{ours['verdict']}\t{ours_time:.3f}\t"
              f"{'solved' if solved else 'not solved'}\t{theirs_time:.3f}")
        sys.stdout.flush()
    median_ours = statistics.median(ours_times)
    median_theirs = statistics.median(theirs_times)
    print(f"# median seconds per deal: ours {median_ours:.3f}, fc-solve {median_theirs:.3f}, "
          f"ratio {median_ours / median_theirs:.1f}; unwinnable where fc-solve solves: "
          f"{contradictions or 'none'}")
    return 1 if contradictions else 0


if __name__ == "__main__":
    sys.exit(main())
