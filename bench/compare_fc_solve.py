#!/usr/bin/env python3
"""Runs cardwright-cli solve and Freecell Solver (fc-solve) side by side on the
same deal numbers of several games (by default FreeCell, Baker's Game and Eight
Off) and prints, per deal, both verdicts and processor times; then, per game,
the median time per deal of ours divided by theirs, and any deal we call
unwinnable that fc-solve solves.

Both times are processor time: ours is the searching thread's (solve --cpu),
theirs the fc-solve process's, as the operating system accounts it to its
parent. Since theirs includes starting the program and reading the board, the
summary also gives the ratio of whole processes: cardwright-cli's processor
time, loading its game database included, over fc-solve's.

    bench/compare_fc_solve.py build/tools/cli/cardwright-cli 1 20 --seconds 10
    bench/compare_fc_solve.py build/tools/cli/cardwright-cli 1 20 --games "Sea Towers" ForeCell
    bench/compare_fc_solve.py build/tools/cli/cardwright-cli 1 20 --shuffled
"""
import argparse
import json
import resource
import statistics
import subprocess
import sys
import tempfile

# Our piles as fc-solve sees them: columns, cells, its options, and whether
# the game moves runs of any length in one move. A game that moves one card at
# a time (or runs no longer than free places allow, which single moves can
# make as well) may be asked again with fc-solve's complete move order when
# its default one gives up; a game with longer run moves may not, since
# fc-solve would then model other rules.
GAMES = {
    "FreeCell": (range(0, 8), range(8, 12), ["-g", "freecell"], False),
    "Baker's Game": (range(0, 8), range(8, 12), ["-g", "bakers_game"], False),
    "Eight Off": (range(4, 12), range(12, 20), ["-g", "eight_off"], False),
    "Sea Towers": (range(0, 10), range(10, 14), ["-g", "seahaven"], False),
    "ForeCell": (range(0, 8), range(8, 12), ["-g", "forecell"], False),
}
COMPLETE_ORDER = ["-to", "01ABCDE"]


def table(cli, game, number, dealing):
    out = subprocess.run([cli, "deal", game, str(number), *dealing], check=True,
                         capture_output=True, text=True).stdout
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


def children_cpu_seconds():
    usage = resource.getrusage(resource.RUSAGE_CHILDREN)
    return usage.ru_utime + usage.ru_stime


def fc_solve(options, board_file, seconds):
    """Whether fc-solve solves the board, and the processor seconds it took."""
    before = children_cpu_seconds()
    try:
        out = subprocess.run(["fc-solve", *options, board_file], capture_output=True, text=True,
                             timeout=seconds).stdout
    except subprocess.TimeoutExpired:
        out = ""
    return "This game is solveable" in out, children_cpu_seconds() - before


def ours(cli, game, number, seconds, dealing):
    """Our verdict, the searching thread's processor seconds and the whole
    process's."""
    before = children_cpu_seconds()
    answer = json.loads(subprocess.run(
        [cli, "solve", game, str(number), "--seconds", str(seconds), "--cpu", "--json", *dealing],
        check=True, capture_output=True, text=True).stdout)
    return answer["verdict"], answer["milliseconds"] / 1000, children_cpu_seconds() - before


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("cli")
    parser.add_argument("first", type=int)
    parser.add_argument("last", type=int)
    parser.add_argument("--games", nargs="+", choices=sorted(GAMES),
                        default=["FreeCell", "Baker's Game", "Eight Off"])
    parser.add_argument("--seconds", type=float, default=10)
    parser.add_argument("--shuffled", action="store_true",
                        help="deal decks shuffled uniformly from the numbers")
    args = parser.parse_args()
    dealing = ["--shuffled"] if args.shuffled else []
    summaries = []
    contradictions = []
    print("game\tdeal\tours\tseconds\tfc-solve\tseconds")
    for game in args.games:
        columns, cells, options, runs_of_any_length = GAMES[game]
        ours_times, ours_process_times, theirs_times = [], [], []
        for number in range(args.first, args.last + 1):
            verdict, ours_time, ours_process_time = ours(args.cli, game, number, args.seconds,
                                                         dealing)
            with tempfile.NamedTemporaryFile("w", suffix=".board") as handle:
                handle.write(board(table(args.cli, game, number, dealing), columns, cells))
                handle.flush()
                solved, theirs_time = fc_solve(options, handle.name, args.seconds)
                # Asked only to check our proof: its time is no part of the
                # comparison.
                if not solved and verdict == "unwinnable" and not runs_of_any_length:
                    solved, _ = fc_solve(options + COMPLETE_ORDER, handle.name, args.seconds)
            if verdict == "unwinnable" and solved:
                contradictions.append(f"{game} {number}")
            ours_times.append(ours_time)
            ours_process_times.append(ours_process_time)
            theirs_times.append(theirs_time)
            print(f"{game}\t{number}\t{verdict}\t{ours_time:.3f}\t"
                  f"{'solved' if solved else 'not solved'}\t{theirs_time:.3f}")
            sys.stdout.flush()
        median_ours = statistics.median(ours_times)
        median_process = statistics.median(ours_process_times)
        median_theirs = statistics.median(theirs_times)

        def ratio(mine):
            return mine / median_theirs if median_theirs > 0 else float("inf")
        summaries.append(f"# {game}: median processor seconds per deal: ours {median_ours:.3f} "
                         f"(whole process {median_process:.3f}), fc-solve {median_theirs:.3f}; "
                         f"ours / theirs {ratio(median_ours):.1f} "
                         f"(whole processes {ratio(median_process):.1f})")
    print("\n".join(summaries))
    print(f"# unwinnable where fc-solve solves: {', '.join(contradictions) or 'none'}")
    return 1 if contradictions else 0


if __name__ == "__main__":
    sys.exit(main())
