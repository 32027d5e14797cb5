#!/usr/bin/python3
"""Renders the sample depth map as carved round the cylinder, seen from the side, to show the
idea in the README: python3 scripts/render-sample.py samples/rosette.bmp docs/sample-relief.png
Uses numpy and ImageMagick's convert (PPM to PNG). The wrapping matches the sample command:
length 125 mm, work surface 10 mm, depth 1.5 mm, a full turn."""
import struct
import subprocess
import sys

import numpy as np

LENGTH, WORK_SURFACE, DEPTH = 125.0, 10.0, 1.5
SCALE = 16  # pixels per millimetre, halved at the end to smooth the edges


def read_bmp(path):
    data = open(path, "rb").read()
    offset = struct.unpack_from("<I", data, 10)[0]
    width, height = struct.unpack_from("<ii", data, 18)
    row = (width * 3 + 3) // 4 * 4
    pixels = np.frombuffer(data, np.uint8, row * height, offset).reshape(height, row)
    bgr = pixels[:, : width * 3].reshape(height, width, 3).astype(np.int32)
    return bgr.sum(axis=2)[::-1]  # top row first; brightness R + G + B


def main(picture, out):
    brightness = read_bmp(picture)
    h, w = brightness.shape
    depth = brightness * (DEPTH / brightness.max())

    # Screen: x along the axis, up = +Z, seen from -Y; solve for the visible angle.
    xs = np.linspace(0, LENGTH, int(LENGTH * SCALE))
    zs = np.linspace(WORK_SURFACE, -WORK_SURFACE, int(2 * WORK_SURFACE * SCALE))
    X, Zs = np.meshgrid(xs, zs)
    def depth_at(rows, cols):  # bilinear between pixel centres, rows wrapping round
        r0, c0 = np.floor(rows).astype(int), np.floor(cols).astype(int)
        fr, fc = rows - r0, cols - c0
        r1, c1 = (r0 + 1) % h, np.minimum(c0 + 1, w - 1)
        r0 %= h
        top = depth[r0, c0] * (1 - fc) + depth[r0, c1] * fc
        bottom = depth[r1, c0] * (1 - fc) + depth[r1, c1] * fc
        return top * (1 - fr) + bottom * fr

    cols = X / LENGTH * (w - 1)
    radius = np.full(X.shape, WORK_SURFACE)
    for _ in range(6):
        theta = np.pi - np.arcsin(np.clip(Zs / radius, -1, 1))
        radius = WORK_SURFACE - depth_at(theta / (2 * np.pi) * h, cols)
    inside = np.abs(Zs) < radius
    Y, Z = np.cos(theta) * radius, np.sin(theta) * radius

    # Normals from neighbouring screen points; light from the front, above and left.
    P = np.stack([X, Y, Z], axis=-1)
    du, dv = np.gradient(P, axis=1), np.gradient(P, axis=0)
    n = np.cross(dv, du)
    n /= np.linalg.norm(n, axis=-1, keepdims=True) + 1e-12
    light = np.array([-0.4, -0.8, 0.45])
    light /= np.linalg.norm(light)
    shade = np.clip((n * light).sum(axis=-1), 0, 1) * 0.85 + 0.15
    brass = np.array([226, 196, 140]) / 255.0
    image = np.where(inside[..., None], shade[..., None] * brass, np.array([1.0, 1.0, 1.0]))
    rgb = (image * 255).astype(np.uint8)

    ppm = b"P6 %d %d 255\n" % (rgb.shape[1], rgb.shape[0]) + rgb.tobytes()
    subprocess.run(["convert", "ppm:-", "-resize", "50%", out], input=ppm, check=True)


if __name__ == "__main__":
    main(*(sys.argv[1:3] if len(sys.argv) > 2 else ("samples/rosette.bmp", "docs/sample-relief.png")))
