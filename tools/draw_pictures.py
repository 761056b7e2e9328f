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


FISH = [  # rcBound (left, top, right, bottom) of each fish: back, belly, mark colours
    ((3, 2, 32, 35), (120, 110, 80), (200, 190, 150), (70, 60, 40)),     # かわはぎ
    ((5, 1, 23, 35), (220, 30, 40), (250, 120, 110), (255, 210, 0)),     # きんめだい
    ((6, 2, 25, 35), (170, 50, 30), (230, 140, 100), (110, 20, 10)),     # かさご
    ((6, 2, 25, 35), (120, 90, 60), (220, 200, 170), (230, 120, 40)),    # おびあなはぜ
    ((4, 0, 31, 35), (130, 95, 60), (240, 235, 220), (80, 55, 30)),      # かれい
    ((6, 2, 29, 35), (190, 160, 70), (245, 245, 240), (60, 50, 30)),     # ふぐ
    ((11, 2, 26, 35), (30, 110, 120), (220, 225, 235), (10, 50, 60)),    # さば
    ((8, 1, 30, 35), (235, 235, 225), (250, 250, 245), (25, 25, 30)),    # いしだい
    ((8, 1, 31, 35), (50, 60, 80), (110, 120, 140), (20, 25, 35)),       # めじな
    ((8, 1, 31, 35), (235, 100, 110), (255, 190, 190), (60, 140, 255)),  # たい
    ((6, 0, 29, 34), (240, 230, 210), (255, 250, 240), (200, 120, 90)),  # いか
    ((2, 2, 37, 36), (200, 40, 40), (240, 120, 110), (120, 10, 10)),     # たこ
    ((0, 2, 35, 35), (220, 60, 30), (250, 150, 90), (120, 20, 10)),      # かに
]


def fish(i):
    """Species i hanging from the line, head up: 36 x 36 on the key colour,
    its drawn pixels filling exactly the rcBound of its outline."""
    (l, t, r, b), back, belly, mark = FISH[i]
    right, bottom = min(r, 36) - 1, b - 1
    w, h = right - l + 1, bottom - t + 1
    cx = (l + right) / 2
    img = canvas(36, 36, FISH_KEY)

    def put(x, y, c):
        if l <= x <= right and t <= y <= bottom:
            img[y][x] = c

    def body(top, bot, half_width, pointed=0.0):
        cy, ry = (top + bot) / 2, (bot - top) / 2 + 0.5
        for y in range(top, bot + 1):
            dy = (y - cy) / ry
            span = half_width * math.sqrt(max(0.0, 1 - dy * dy)) * (1 - pointed * max(0.0, -dy))
            for x in range(l, right + 1):
                dx = x - cx
                if abs(dx) <= span:
                    put(x, y, belly if dx > span * 0.25 else back)

    def tail(top, fork=True):
        for y in range(top, bottom + 1):
            k = (y - top + 1) / (bottom - top + 1)
            half = max(1.0, k * (w / 2 - 0.5) * 0.7)
            for x in range(l, right + 1):
                dx = abs(x - cx)
                if dx <= half and not (fork and y > top + (bottom - top) * 0.6 and dx < half * 0.45):
                    put(x, y, back)

    def eye(y, big=False):
        ex = int(cx) + max(1, w // 6)
        if big:
            for dx, dy in ((0, 0), (1, 0), (0, 1), (1, 1)):
                put(ex + dx, y + dy, mark)
            put(ex, y, BLACK)
        else:
            put(ex, y, BLACK)

    if i == 10:  # squid: pointed mantle with fins at the top, arms below
        mantle = t + int(h * 0.62)
        body(t, mantle, w / 2 * 0.55, pointed=0.9)
        for y in range(t + 2, t + h // 3):
            k = (y - t - 2) / (h / 3)
            for x in range(l, right + 1):
                if abs(x - cx) <= (w / 2) * (1 - abs(2 * k - 1)):
                    put(x, y, back)
        for n, x in enumerate(range(int(cx) - 4, int(cx) + 5, 2)):
            for y in range(mantle, bottom + 1 - (n % 2) * 2):
                put(x + (y // 3) % 2, y, mark)
        put(int(cx), bottom, mark)
        eye(mantle - 3)
    elif i == 11:  # octopus: round head, eight curling arms
        head = t + int(h * 0.5)
        body(t, head, w / 2 * 0.6)
        for n in range(8):
            x0 = l + 1 + n * (w - 3) / 7
            for y in range(head - 2, bottom + 1):
                x = int(x0 + math.sin((y - head) / 3 + n) * 1.5)
                put(x, y, back)
                put(x + 1, y, back)
        for x in (l, right):
            put(x, bottom - 2, back)
        eye(t + int(h * 0.35))
        eye(t + int(h * 0.35) - 0)
    elif i == 12:  # crab: wide shell, claws up, legs at the sides
        shell_top, shell_bot = t + int(h * 0.35), t + int(h * 0.8)
        cy = (shell_top + shell_bot) / 2
        for y in range(shell_top, shell_bot + 1):
            dy = (y - cy) / ((shell_bot - shell_top) / 2 + 0.5)
            half = (w / 2 - 5) * math.sqrt(max(0.0, 1 - dy * dy))
            for x in range(l, right + 1):
                if abs(x - cx) <= half:
                    put(x, y, back if y < cy + 2 else belly)
        for side in (-1, 1):
            claw = int(cx + side * (w / 2 - 6))
            for y in range(t, shell_top + 1):
                put(claw, y, mark if y < t + 4 else back)
                put(claw + side, y, back)
            put(claw - side, t + 1, mark)
            for n in range(3):
                y0 = shell_top + 3 + n * 4
                for k in range(6):
                    put(int(cx + side * (w / 2 - 5 + k * 0.9)), y0 + k // 2, back)
                    put(int(cx + side * (w / 2 - 1)), min(bottom, y0 + 3 + k), back)
        for side in (-1, 1):
            put(int(cx) + side * 3, shell_top - 1, BLACK)
    else:
        round_body = i in (4, 5)
        tail_len = 0.14 if round_body else 0.22
        body_bot = t + int(h * (1 - tail_len))
        body(t, body_bot, w / 2 - (0 if round_body else 0.5), pointed=0.35 if i != 5 else 0)
        tail(body_bot - 1, fork=i in (1, 6, 8, 9))
        if i == 7:  # black bands across
            for y in range(t, bottom + 1):
                if (y - t) // 4 % 2 == 1:
                    for x in range(l, right + 1):
                        if img[y][x] != FISH_KEY:
                            img[y][x] = mark
        elif i == 6:  # wavy stripes on the back
            for y in range(t + 4, body_bot):
                x = int(cx - 2 + math.sin(y / 2) * 2)
                if img[y][x] == back:
                    img[y][x] = mark
        elif i in (0, 2, 4, 5, 9):  # spots
            for n in range(0, 40, 7):
                x, y = l + (n * 5) % w, t + 5 + (n * 3) % max(1, body_bot - t - 6)
                if 0 <= x < 36 and img[y][x] in (back, belly):
                    img[y][x] = mark
        elif i == 3:  # bands of orange
            for y in range(t + 6, body_bot, 6):
                for x in range(l, right + 1):
                    if img[y][x] != FISH_KEY:
                        img[y][x] = mark
        if i == 2:  # spiny dorsal fin along one side
            for y in range(t + 6, body_bot - 4, 2):
                put(l, y, mark)
        eye(t + max(3, h // 8), big=i == 1)
        put(int(cx), t, back)  # the mouth on the hook
    # Every edge of the bounding box is touched, so the outline keeps it.
    for x, y in ((int(cx), t), (int(cx), bottom), (l, (t + bottom) // 2), (right, (t + bottom) // 2)):
        if img[y][x] == FISH_KEY:
            img[y][x] = back
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
    """Species i side-on, head to the right, on water that darkens downwards."""
    upright = fish(i)
    img = canvas(36, 36, BLACK)
    for y in range(36):
        for x in range(36):
            c = upright[35 - x][y] if i not in (10, 11, 12) else upright[y][x]
            img[y][x] = (0, 40, max(70, 235 - y * 4)) if c == FISH_KEY else c
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
