#!/usr/bin/env python3
"""Draws frame time against triangles, as tools/compare_peers.sh measures it, as an SVG picture.

usage: plot_frame_time.py TABLE.csv PICTURE.svg

TABLE has the columns triangles,rigwright_ms,irrlicht_ms (irrlicht_ms may be empty). Each program
gets its points and the straight line fitted to them by least squares; the fit (milliseconds per
100,000 triangles, the line's value at none, and R squared) is printed and written in the legend.
Only the standard library: the picture is written by hand.
"""
import csv
import sys

WIDTH, HEIGHT = 720, 450
LEFT, RIGHT, TOP, BOTTOM = 70, 20, 40, 60
SERIES = (("rigwright_ms", "Rigwright", "#c0392b"), ("irrlicht_ms", "Irrlicht", "#2c6fbb"))


def read_table(path):
    with open(path, newline="") as table:
        rows = list(csv.DictReader(table))
    series = {}
    for column, _, _ in SERIES:
        points = [(float(row["triangles"]), float(row[column])) for row in rows if row.get(column)]
        if points:
            series[column] = points
    return series


def fit(points):
    """Slope, intercept and R squared of the least-squares line through the points."""
    n = len(points)
    mean_x = sum(x for x, _ in points) / n
    mean_y = sum(y for _, y in points) / n
    sxx = sum((x - mean_x) ** 2 for x, _ in points)
    sxy = sum((x - mean_x) * (y - mean_y) for x, y in points)
    slope = sxy / sxx if sxx > 0 else 0.0
    intercept = mean_y - slope * mean_x
    total = sum((y - mean_y) ** 2 for _, y in points)
    residual = sum((y - (intercept + slope * x)) ** 2 for x, y in points)
    return slope, intercept, (1.0 - residual / total) if total > 0 else 1.0


def nice_step(span, ticks=5):
    raw = span / ticks
    magnitude = 10 ** len(str(int(raw))) / 10 if raw >= 1 else 10 ** -len(str(int(1 / raw)))
    for factor in (1, 2, 2.5, 5, 10):
        if raw <= factor * magnitude:
            return factor * magnitude
    return 10 * magnitude


def draw(series, fits, path):
    max_x = max(x for points in series.values() for x, _ in points)
    max_y = max(y for points in series.values() for _, y in points)
    step_x, step_y = nice_step(max_x), nice_step(max_y)
    top_x = step_x * -(-max_x // step_x)
    top_y = step_y * -(-max_y // step_y)
    plot_w, plot_h = WIDTH - LEFT - RIGHT, HEIGHT - TOP - BOTTOM

    def sx(x):
        return LEFT + plot_w * x / top_x

    def sy(y):
        return TOP + plot_h * (1 - y / top_y)

    out = [f'<svg xmlns="http://www.w3.org/2000/svg" width="{WIDTH}" height="{HEIGHT}" font-family="sans-serif" font-size="12">',
           f'<rect width="{WIDTH}" height="{HEIGHT}" fill="white"/>',
           f'<text x="{WIDTH / 2}" y="22" text-anchor="middle" font-size="14">Frame time against triangles (torus knots, 800 x 600, llvmpipe)</text>']
    tick = 0.0
    while tick <= top_x + 1e-9:
        out.append(f'<line x1="{sx(tick):.1f}" y1="{TOP}" x2="{sx(tick):.1f}" y2="{TOP + plot_h}" stroke="#ddd"/>')
        out.append(f'<text x="{sx(tick):.1f}" y="{TOP + plot_h + 18}" text-anchor="middle">{int(tick / 1000)}k</text>')
        tick += step_x
    tick = 0.0
    while tick <= top_y + 1e-9:
        out.append(f'<line x1="{LEFT}" y1="{sy(tick):.1f}" x2="{LEFT + plot_w}" y2="{sy(tick):.1f}" stroke="#ddd"/>')
        out.append(f'<text x="{LEFT - 8}" y="{sy(tick) + 4:.1f}" text-anchor="end">{tick:g}</text>')
        tick += step_y
    out.append(f'<text x="{LEFT + plot_w / 2}" y="{HEIGHT - 15}" text-anchor="middle">triangles in the model</text>')
    out.append(f'<text x="18" y="{TOP + plot_h / 2}" text-anchor="middle" transform="rotate(-90 18 {TOP + plot_h / 2})">ms per frame</text>')
    legend_y = TOP + 16
    for column, label, colour in SERIES:
        if column not in series:
            continue
        slope, intercept, r2 = fits[column]
        out.append(f'<line x1="{sx(0):.1f}" y1="{sy(intercept):.1f}" x2="{sx(top_x):.1f}" y2="{sy(intercept + slope * top_x):.1f}" stroke="{colour}" stroke-dasharray="5,4"/>')
        for x, y in series[column]:
            out.append(f'<circle cx="{sx(x):.1f}" cy="{sy(y):.1f}" r="4" fill="{colour}"/>')
        out.append(f'<text x="{LEFT + 12}" y="{legend_y}" fill="{colour}">{label}: {slope * 1e5:.2f} ms per 100k triangles + {intercept:.2f} ms, R\u00b2 = {r2:.3f}</text>')
        legend_y += 18
    out.append(f'<rect x="{LEFT}" y="{TOP}" width="{plot_w}" height="{plot_h}" fill="none" stroke="#444"/>')
    out.append("</svg>")
    with open(path, "w") as picture:
        picture.write("\n".join(out) + "\n")


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    series = read_table(sys.argv[1])
    if not series:
        sys.exit(f"{sys.argv[1]}: no measurements")
    fits = {column: fit(points) for column, points in series.items()}
    for column, label, _ in SERIES:
        if column in fits:
            slope, intercept, r2 = fits[column]
            print(f"{label}: {slope * 1e5:.2f} ms per 100k triangles + {intercept:.2f} ms, R^2 = {r2:.3f}")
    draw(series, fits, sys.argv[2])
    print(f"picture: {sys.argv[2]}")


if __name__ == "__main__":
    main()
