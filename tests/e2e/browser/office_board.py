#!/usr/bin/python3
"""A whole office's board: 150 members (the most the server keeps), as the
server writes its data file, on standard output.

Most are in; a third are out, to places short and long, back at a
clock time (some of them past, so overdue after 8:30am and more in the
afternoon), a day or nothing. Bob Baker is in.
"""
import sys

FIRST = ["Alice", "Bob", "Carol", "Dan", "Eve", "Frank", "Grace", "Hugo", "Iris", "Jack",
         "Kate", "Liam", "Maya", "Noah", "Olga"]
LAST = ["Archer", "Baker", "Chen", "Diaz", "Evans", "Ford", "Garcia", "Hughes", "Ito",
        "Montgomery"]
PLACES = ["Lunch", "Client visit", "Head office", "Dentist", "Working from home",
          "Training course in Leeds", "Bank", "Site survey"]
BACK = ["1:00pm", "Friday", "2:30pm", "tomorrow", "8:30am", "4pm", " ", "11:00am"]


def records():
    out = []
    for f, first in enumerate(FIRST):
        for l, last in enumerate(LAST):
            i = f * len(LAST) + l
            # A name is at most 19 characters on the board.
            name = (first + " " + last)[:19]
            if (i % 4 == 3 or i % 11 == 5) and name != "Bob Baker":
                place, back = PLACES[i % len(PLACES)], BACK[(i // 3) % len(BACK)]
                out.append("%s-0-%s-7:%02dam-%s-" % (name, place, i % 60, back))
            else:
                out.append("%s-1- -%d:%02dam- -" % (name, 8 + i % 2, (i * 7) % 60))
    return out


if __name__ == "__main__":
    sys.stdout.buffer.write("".join(r + "\r\n" for r in records()).encode("ascii"))
