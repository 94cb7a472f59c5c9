#!/usr/bin/python3
"""Distortion and frequency of a recorded tone.

Usage: analyse_tone.py [--header] FILE RATE FREQUENCY [FILE RATE FREQUENCY ...]

Each FILE is raw float32 mono (native byte order), as bench_soak writes
it: a whole number of seconds starting at the table's sample 0. For each one
prints a line with

  f fit         frequency from a four-parameter least-squares sine fit
                (IEEE 1057: amplitude, phase, offset and frequency), in the
                sink's own samples, so it is the digital frequency; what a
                listener hears also depends on the sound card's clock
  error         f fit - FREQUENCY, in hertz and relative to FREQUENCY
  THD+N fit     RMS of the fit's residual against the RMS of the fitted sine
  THD+N FFT     the same from a rectangular-window FFT: the recording holds a
                whole number of cycles, so the fundamental sits in one bin
                with no leakage, and everything outside that bin and DC is
                distortion and noise
  THD           harmonics 2 to 10 only (folded about Nyquist; a harmonic that
                folds onto the fundamental or DC cannot be told apart and is
                left out)
  float floor   what rounding an exact sine to float32 costs, predicted from
                each sample's own float spacing: RMS(spacing / sqrt(12))
  16-bit        THD+N (FFT) of the same samples rounded to 16-bit integers,
                as a 16-bit path would deliver them

All levels are in dB relative to the fundamental.
"""

import sys

import numpy as np

HARMONICS = range(2, 11)


def db(ratio):
    return 10.0 * np.log10(ratio) if ratio > 0 else float("-inf")


def sine_fit(x, rate, f0):
    """Four-parameter least-squares sine fit, started from the nominal frequency."""
    n = np.arange(len(x), dtype=np.float64)
    # Centring time keeps the frequency column well conditioned.
    t = (n - n.mean()) / rate

    def three_parameter(w):
        m = np.column_stack([np.cos(w * t), np.sin(w * t), np.ones_like(t)])
        return m, np.linalg.lstsq(m, x, rcond=None)[0]

    w = 2.0 * np.pi * f0
    for _ in range(20):
        m, (a, b, _) = three_parameter(w)
        deriv = t * (-a * m[:, 1] + b * m[:, 0])
        dw = np.linalg.lstsq(np.column_stack([m, deriv]), x, rcond=None)[0][3]
        w += dw
        if abs(dw) < 1e-15 * w:
            break
    m, (a, b, dc) = three_parameter(w)
    return w / (2.0 * np.pi), a * m[:, 0] + b * m[:, 1] + dc


def fft_figures(x, rate, f):
    """THD+N and THD from a coherent FFT: the record holds whole cycles of f."""
    n = len(x)
    # One-sided power, every bin standing for two but DC and (n even) Nyquist;
    # only ratios are taken, never with DC.
    p = np.abs(np.fft.rfft(x)) ** 2
    if n % 2 == 0:
        p[-1] /= 2.0
    k0 = int(round(f * n / rate))
    fundamental = p[k0]
    # Summed around the fundamental, never as total minus fundamental: at
    # -150 dB that difference is lost to double rounding.
    rest = p[1:k0].sum() + p[k0 + 1 :].sum()
    harm = 0.0
    for h in HARMONICS:
        k = (h * k0) % n
        k = min(k, n - k)
        if k not in (0, k0):
            harm += p[k]
    return db(rest / fundamental), db(harm / fundamental)


def float_floor(x):
    spacing = np.spacing(np.abs(x.astype(np.float32))).astype(np.float64)
    noise = np.sqrt(np.mean(spacing**2) / 12.0)
    return db(noise**2 / np.mean(x.astype(np.float64) ** 2))


HEADER = (
    f"{'rate':>6} {'f Hz':>6} {'f fit Hz':>18} {'error Hz':>10} {'relative':>9} "
    f"{'THD+N fit':>10} {'THD+N FFT':>10} {'THD':>8} {'floor':>8} {'16-bit':>8}"
)


def analyse(path, rate, f):
    x32 = np.fromfile(path, dtype=np.float32)
    x = x32.astype(np.float64)
    if len(x) < rate:
        raise SystemExit(f"{path}: less than one second of samples")
    f_fit, model = sine_fit(x, rate, f)
    thdn_fit = db(np.mean((x - model) ** 2) / np.mean((model - model.mean()) ** 2))
    thdn_fft, thd = fft_figures(x, rate, f)
    q16 = np.clip(np.round(x * 32767.0), -32768, 32767) / 32767.0
    thdn_16, _ = fft_figures(q16, rate, f)
    err = f_fit - f
    return (
        f"{rate:>6} {f:>6} {f_fit:>18.10f} {err:>10.1e} {err / f:>9.1e} "
        f"{thdn_fit:>10.1f} {thdn_fft:>10.1f} {thd:>8.1f} {float_floor(x32):>8.1f} {thdn_16:>8.1f}"
    )


def main(argv):
    args = argv[1:]
    if args and args[0] == "--header":
        print(HEADER)
        args = args[1:]
    if not args or len(args) % 3 != 0:
        print(__doc__, file=sys.stderr)
        return 2
    for i in range(0, len(args), 3):
        print(analyse(args[i], int(args[i + 1]), int(args[i + 2])), flush=True)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
