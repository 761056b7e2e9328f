#!/usr/bin/env python3
"""Draws the toy's pixel art and writes it as XPM files into src/assets/.

The XPM files are the pictures the program compiles in; this script is how
they were drawn, kept so a picture can be redrawn or changed by rule.
"""
import math
import os
import subprocess

OUT = os.path.join(os.path.dirname(__file__), '..', 'src', 'assets')
BLACK, BLUE, RED, WHITE = (0, 0, 0), (0, 0, 255), (255, 0, 0), (255, 255, 255)
OUTLINE, ROD, BANK = (0, 192, 255), (160, 0, 0), (0, 160, 0)
FISH_KEY, HOOK_KEY = (255, 0, 180), (255, 0, 255)
CODES = '.#abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789+@$%&*=-;:>,<'


def canvas(w, h, colour):
    return [[colour] * w for _ in range(h)]


def write(name, img, folder=None):
    colours = sorted({c for row in img for c in row})
    code = {c: CODES[i] for i, c in enumerate(colours)}
    h, w = len(img), len(img[0])
    lines = [f'"{w} {h} {len(colours)} 1",']
    lines += [f'"{code[c]} c #{c[0]:02X}{c[1]:02X}{c[2]:02X}",' for c in colours]
    lines += ['"' + ''.join(code[c] for c in row) + '",' for row in img]
    lines[-1] = lines[-1].rstrip(',')
    with open(os.path.join(folder or OUT, name + '.xpm'), 'w') as f:
        f.write('/* XPM */\nstatic const char* const ' + name + '_xpm[] = {\n')
        f.write('\n'.join(lines) + '\n};\n')


def angler(frame):
    img = canvas(50, 48, BLACK)
    for r in range(38, 45):
        for c in range(25):
            img[r][c] = BANK
    for r in range(45, 48):
        for c in range(50):
            img[r][c] = BLUE
    # Seated angler: head, body, arm; outlined in light blue.
    for r in range(24, 29):
        for c in range(13, 18):
            img[r][c] = OUTLINE if r in (24, 28) or c in (13, 17) else (255, 208, 160)
    for r in range(29, 38):
        for c in range(12, 18):
            img[r][c] = OUTLINE if c in (12, 17) or r == 37 else (0, 96, 176)
    for c in range(18, 21):
        img[30][c] = OUTLINE
    rod = []
    if frame == 0:    # swung back over the shoulder
        rod = [(12 - (23 - r) // 2, r) for r in range(10, 24)]
    elif frame == 1:  # raised steeply backwards
        rod = [(12 - (23 - r) // 4, r) for r in range(4, 24)]
    elif frame == 2:  # vertical
        rod = [(18, r) for r in range(0, 24)]
    elif frame == 3:  # steeply forward
        rod = [(18 + (23 - r) // 4, r) for r in range(2, 24)]
    elif frame == 4:  # forward, shallow
        for r in range(8, 24):
            for c in range(18 + (23 - r) * 2, 20 + (23 - r) * 2):
                rod.append((min(c, 49), r))
    else:             # bent in an arc, the tip pulled down
        peak, width, last = (31, 10.0, 44) if frame == 5 else (28, 6.0, 46)
        for c in range(20, last + 1):
            rod.append((c, min(37, int(6 + (c - peak) ** 2 / width))))
    for c, r in rod:
        img[r][c] = ROD
    return img


def float_frames():
    stripes = [RED, (255, 0, 255), (255, 255, 0), (0, 200, 0)]
    up = canvas(5, 21, BLACK)
    for r in range(21):
        for c in range(5):
            if r < 12:
                up[r][c] = stripes[(r // 3) % 4] if 1 <= c <= 3 else (255, 255, 255) if r < 1 else up[r][c]
            else:
                up[r][c] = RED if 0 < c < 4 or 14 <= r <= 19 else up[r][c]
    for r in range(21):
        up[r][0] = up[r][0] if up[r][0] != BLACK else (200, 0, 0)
        up[r][4] = up[r][4] if up[r][4] != BLACK else (200, 0, 0)
    tilt = canvas(17, 12, BLACK)
    for i in range(15):
        r = 10 - (i * 9) // 14
        for d in (0, 1):
            tilt[min(10, r + d)][1 + i] = RED if i < 7 else stripes[i % 4]
    flat = canvas(21, 5, BLACK)
    for r in range(5):
        for c in range(21):
            flat[r][c] = RED if c < 9 else stripes[(c // 3) % 4]
    other = [row[::-1] for row in tilt]
    spray = []
    for seed in (0, 1):
        s = canvas(31, 14, BLACK)
        for r in range(14):
            for c in range(31):
                edge = r in (0, 13) or c in (0, 30)
                if (c * 7 + r * 5 + seed * 3) % 4 != 0 or edge and (c + r + seed) % 2 == 0:
                    s[r][c] = WHITE if (c + r + seed) % 3 else (160, 210, 255)
        for c in range(31):
            s[13][c] = (160, 210, 255)
        for r in range(14):
            s[r][0] = s[r][30] = WHITE
        s[0] = [WHITE] * 31
        spray.append(s)
    return [up, tilt, flat, other] + spray


FISH = [  # rcBound (left, top, right, bottom) of each fish, and its colours
    ((3, 2, 32, 35), (150, 100, 50)), ((5, 1, 23, 35), (230, 40, 40)),
    ((6, 2, 25, 35), (210, 50, 40)), ((6, 2, 25, 35), (140, 20, 30)),
    ((4, 0, 31, 35), (140, 100, 60)), ((6, 2, 29, 35), (230, 230, 240)),
    ((11, 2, 26, 35), (40, 140, 130)), ((8, 1, 30, 35), (230, 230, 230)),
    ((8, 1, 31, 35), (80, 80, 90)), ((8, 1, 31, 35), (240, 90, 90)),
    ((6, 0, 29, 34), (245, 235, 200)), ((2, 2, 37, 36), (210, 40, 40)),
    ((0, 2, 35, 35), (220, 50, 30)),
]


def fish(i):
    (l, t, r, b), colour = FISH[i]
    img = canvas(36, 36, FISH_KEY)
    right = min(r, 36) - 1
    cx, cy = (l + right) / 2, (t + b - 1) / 2
    rx, ry = (right - l) / 2 + 0.5, (b - 1 - t) / 2 + 0.5
    for y in range(36):
        for x in range(36):
            if ((x - cx) / rx) ** 2 + ((y - cy) / ry) ** 2 <= 1.0:
                band = i == 7 and (y // 4) % 2 == 1
                img[y][x] = (20, 20, 20) if band else colour
                if i == 5 and y > cy:
                    img[y][x] = (60, 90, 220)
    for x in range(l, right + 1):  # the extreme pixels keep the bounds exact
        pass
    ey = int(cy - ry / 2)
    ex = int(cx)
    img[ey][ex] = BLACK
    img[ey][ex + 1] = WHITE if i == 1 else BLACK
    # Make sure each edge of the bounding box is touched.
    img[t][int(cx)] = colour
    img[b - 1][int(cx)] = colour
    img[int(cy)][l] = colour
    img[int(cy)][right] = colour
    return img


def hook():
    img = canvas(36, 36, HOOK_KEY)
    steel = (170, 170, 180)
    for r in range(5, 21):
        img[r][17] = steel
    img[5][16] = img[5][18] = steel
    for c in range(12, 23):
        img[24][c] = steel
    for r in range(20, 25):
        img[r][12] = img[r][22] = steel
    img[21][21] = img[22][21] = (120, 120, 130)
    return img


def caps():
    inset = [3, 2, 1] + [0] * 10 + [1, 2, 3]

    def end(width):  # a right-hand end, rows 0..15, width px wide
        img = canvas(width, 18, RED)
        for r in range(16):
            last = width - 1 - inset[r]
            for c in range(last + 1):
                img[r][c] = BLACK if r in (0, 15) or c == last else WHITE
        return img

    right = end(7)
    left = [row[::-1] for row in right]
    tail_left = [row[::-1] for row in end(8)]
    for r, cols in ((15, range(0, 8)), (16, range(0, 3)), (17, range(0, 1))):
        for c in cols:
            tail_left[r][c] = BLACK
    for c in range(3, 8):
        tail_left[15][c] = BLACK
    tail_right = [row[::-1] for row in tail_left]
    return [tail_left, right, left, tail_right]


def power_bar():
    return [[c] * 60 for c in (RED, WHITE, RED, (128, 0, 0))]


def history(i):
    img = fish(i)
    for y in range(36):
        for x in range(36):
            if img[y][x] == FISH_KEY:
                img[y][x] = (0, 0, max(60, 230 - y * 4))
    return img


def icon():
    img = canvas(32, 32, (0, 0, 128))
    for y in range(32):
        for x in range(32):
            if ((x - 14) / 10) ** 2 + ((y - 18) / 6) ** 2 <= 1:
                img[y][x] = (0, 128, 255)
            if abs(y - 18) <= (x - 23) and x > 23 and x < 31:
                img[y][x] = (0, 128, 255)
    img[16][9] = WHITE
    for bx, by in ((6, 6), (10, 3), (5, 1)):
        img[by][bx] = WHITE
    return img


def certificate():
    cream, beige, ink = (255, 250, 230), (200, 170, 120), (60, 40, 20)
    img = canvas(200, 135, cream)
    for y in range(135):
        for x in range(200):
            d = min(x, y, 199 - x, 134 - y)
            if d < 6 and (d in (0, 5) or (x + y) % 3 == 0):
                img[y][x] = beige
    for bx in (14, 180):  # birds in the top corners
        for dx in range(-4, 5):
            img[12 - abs(dx) // 2][bx + dx] = ink
    return img


def main():
    os.makedirs(OUT, exist_ok=True)
    for k in range(7):
        write(f'angler{k}', angler(k))
    for k, img in enumerate(float_frames()):
        write(f'float{k}', img)
    for i in range(13):
        write(f'fish{i}', fish(i))
        write(f'history{i}', history(i))
    write('hook', hook())
    for k, img in enumerate(caps()):
        write(f'cap{k}', img)
    write('powerbar', power_bar())
    write('icon', icon())
    # The sheet only; draw_certificate.sh writes its text with a real font.
    here = os.path.dirname(os.path.abspath(__file__))
    write('certificate_blank', certificate(), here)
    subprocess.run([os.path.join(here, 'draw_certificate.sh')], check=True)


if __name__ == '__main__':
    main()
