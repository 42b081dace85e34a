#!/usr/bin/python3
"""A window for the saver to draw into, as xscreensaver would make one.

Prints its id (0x hex) once it is mapped, then takes commands on stdin, one a
line, answering "ok" to each once the X server has done it:
  resize W H   gives the window a new size
  destroy      destroys the window (the saver must then end by itself)
The window is filled with white, so anything the saver leaves undrawn shows.
Usage: saver_host_window.py WIDTH HEIGHT
"""
import sys

from Xlib import X, display


def main():
    width, height = int(sys.argv[1]), int(sys.argv[2])
    screen_display = display.Display()
    screen = screen_display.screen()
    window = screen.root.create_window(
        0, 0, width, height, 0, screen.root_depth,
        background_pixel=screen.white_pixel,
        override_redirect=True,
        event_mask=X.StructureNotifyMask)
    window.map()
    screen_display.sync()
    print(hex(window.id), flush=True)
    for line in sys.stdin:
        words = line.split()
        if not words:
            continue
        if words[0] == "resize":
            window.configure(width=int(words[1]), height=int(words[2]))
        elif words[0] == "destroy":
            window.destroy()
        screen_display.sync()
        print("ok", flush=True)


if __name__ == "__main__":
    main()
