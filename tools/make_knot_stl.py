#!/usr/bin/env python3
"""Writes a smooth (2, 3) torus knot tube as a binary STL file, for measuring large parts.

    tools/make_knot_stl.py OUT SEGMENTS SIDES [SIZE]

The tube has 2 x SEGMENTS x SIDES triangles (1000 x 100 gives 200,000) and is about SIZE units
across (default 300, like a CAD part in millimetres). Every triangle carries its own three
corners, as STL files do, so the reader has to join them again.
"""
import math
import struct
import sys


def knot_point(t, size):
    # The (2, 3) torus knot on a torus of radii 2 and 1, scaled to about `size` across.
    r = math.cos(3 * t) + 2
    scale = size / 6.5
    return (r * math.cos(2 * t) * scale, r * math.sin(2 * t) * scale, -math.sin(3 * t) * scale)


def normalised(v):
    length = math.sqrt(sum(c * c for c in v)) or 1.0
    return tuple(c / length for c in v)


def cross(a, b):
    return (a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0])


def tube(segments, sides, size):
    tube_radius = size * 0.06
    rings = []
    for i in range(segments):
        t = 2 * math.pi * i / segments
        centre = knot_point(t, size)
        ahead = knot_point(t + 1e-4, size)
        tangent = normalised(tuple(a - c for a, c in zip(ahead, centre)))
        side = normalised(cross(tangent, (0.0, 0.0, 1.0)))
        up = cross(side, tangent)
        ring = []
        for j in range(sides):
            a = 2 * math.pi * j / sides
            ring.append(tuple(c + tube_radius * (math.cos(a) * s + math.sin(a) * u)
                              for c, s, u in zip(centre, side, up)))
        rings.append(ring)
    for i in range(segments):
        this, after = rings[i], rings[(i + 1) % segments]
        for j in range(sides):
            k = (j + 1) % sides
            yield this[j], after[j], after[k]
            yield this[j], after[k], this[k]


def main():
    if len(sys.argv) < 4:
        sys.exit(__doc__)
    out, segments, sides = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
    size = float(sys.argv[4]) if len(sys.argv) > 4 else 300.0
    triangles = list(tube(segments, sides, size))
    with open(out, "wb") as f:
        f.write(b"torus knot".ljust(80, b" "))
        f.write(struct.pack("<I", len(triangles)))
        for a, b, c in triangles:
            n = normalised(cross(tuple(q - p for p, q in zip(a, b)), tuple(q - p for p, q in zip(a, c))))
            f.write(struct.pack("<12fH", *n, *a, *b, *c, 0))
    print(f"{out}: {len(triangles)} triangles")


if __name__ == "__main__":
    main()
