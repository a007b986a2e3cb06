#!/usr/bin/env python3
"""Cases for the runtime's Decimal with their answers from Python's decimal module.

Writes one case per line: an operation, its operands and, after "=", the expected result.

  add|sub|mul|div M1 S1 M2 S2 = M S | overflow | divzero
  cmp M1 S1 M2 S2 = -1 | 0 | 1
  round M S DIGITS even|away = M S
  parse TEXT = M S TEXT | overflow

An operand M S is the value M / 10^S. Every result follows the runtime's rule: the exact
result, rounded once half to even to the largest scale (at most 28) whose mantissa fits 96 bits;
an exact result that fits keeps its own scale (the larger scale for + and -, the sum for *, the
fewest decimals at or above the difference of the scales for /, the written ones for a text).
Usage: decimal_oracle.py SEED COUNT_PER_OPERATION
"""

import decimal
import random
import sys
from decimal import Decimal

MAX_MANTISSA = 2**96 - 1
MAX_SCALE = 28

EXACT = decimal.Context(prec=400, Emax=decimal.MAX_EMAX, Emin=decimal.MIN_EMIN,
                        traps=[decimal.InvalidOperation, decimal.DivisionByZero])
decimal.setcontext(EXACT)


def value(mantissa, scale):
    sign = 1 if mantissa < 0 else 0
    return Decimal((sign, tuple(int(d) for d in str(abs(mantissa))), -scale))


def fit(x, natural_scale):
    """(mantissa, scale) of x under the rule, or None for an overflow."""
    if x != 0 and x.adjusted() > 40:
        return None
    top = min(max(natural_scale, 0), MAX_SCALE)
    if x == 0 or x.adjusted() < -40:
        return 0, top
    for scale in range(top, -1, -1):
        m = int(x.scaleb(scale).to_integral_value(rounding=decimal.ROUND_HALF_EVEN))
        if abs(m) <= MAX_MANTISSA:
            return m, scale
    return None


def answer(result):
    return "overflow" if result is None else "%d %d" % result


def divide(a, sa, b, sb):
    x, y = value(a, sa), value(b, sb)
    least = max(sa - sb, 0)
    # Round to odd at many more digits than any answer keeps: the later rounding half to even
    # is then the same as one rounding of the exact quotient.
    with decimal.localcontext(EXACT) as ctx:
        ctx.prec = 120
        ctx.rounding = decimal.ROUND_05UP
        ctx.clear_flags()
        q = x / y
        exact = not ctx.flags[decimal.Inexact]
    if not exact:
        return fit(q, MAX_SCALE)
    exponent = q.normalize().as_tuple().exponent if q != 0 else 0
    return fit(q, max(least, -exponent))


def mantissa(rng):
    kind = rng.random()
    if kind < 0.1:
        m = MAX_MANTISSA - rng.getrandbits(rng.randint(0, 40))
    elif kind < 0.25:
        m = rng.randint(0, 1000)
    elif kind < 0.45:
        # Digits ending in 5 make the halves that only exact rounding gets right.
        m = int(str(rng.randint(1, 10**rng.randint(1, 27))) + "5")
    else:
        m = rng.getrandbits(rng.randint(1, 96))
    m = min(m, MAX_MANTISSA)
    return -m if rng.random() < 0.4 else m


def scale(rng):
    return rng.choice([0, 28, rng.randint(0, 28), rng.randint(0, 28), rng.randint(20, 28)])


def operand(rng):
    return mantissa(rng), scale(rng)


def number_text(rng):
    digits = "0123456789"
    whole = "".join(rng.choice(digits) for _ in range(rng.choice([0, 1, 3, 12, 29, 30, 45])))
    if rng.random() < 0.3:
        whole = "0" * rng.randint(1, 5) + whole
    fraction = ""
    if rng.random() < 0.7 or not whole:
        fraction = "".join(rng.choice(digits) for _ in range(rng.choice([1, 2, 10, 28, 29, 35, 60])))
        if rng.random() < 0.3:
            # A half exactly at the first digit that does not fit.
            fraction = fraction[:29].ljust(28, "0")[:28] + "5"
    text = rng.choice(["", "", "-", "+"]) + whole
    if fraction:
        text += "." + fraction
    elif rng.random() < 0.2:
        text += "."
    if rng.random() < 0.3:
        size = rng.choice([rng.randint(0, 40), rng.randint(0, 500), 99999999999999999999])
        text += rng.choice("eE") + rng.choice(["", "-", "+"]) + str(size)
    return text


def parse(text):
    digits, _, exponent = text.replace("E", "e").partition("e")
    if exponent and abs(int(exponent)) > 10**6:
        # Beyond what the module's own texts allow: far too large, or far below 10^-28.
        if Decimal(digits) != 0 and int(exponent) > 0:
            return None
        return 0, 0 if int(exponent) > 0 else MAX_SCALE
    parsed = Decimal(text)
    return fit(parsed, -parsed.as_tuple().exponent)


def canonical(m, s):
    if m == 0:
        return "0"
    text = "{:f}".format(value(m, s))
    if "." in text:
        text = text.rstrip("0").rstrip(".")
    return text


def main():
    seed, count = int(sys.argv[1]), int(sys.argv[2])
    rng = random.Random(seed)
    out = []
    for _ in range(count):
        (a, sa), (b, sb) = operand(rng), operand(rng)
        x, y = value(a, sa), value(b, sb)
        natural = max(sa, sb)
        out.append("add %d %d %d %d = %s" % (a, sa, b, sb, answer(fit(x + y, natural))))
        out.append("sub %d %d %d %d = %s" % (a, sa, b, sb, answer(fit(x - y, natural))))
        out.append("mul %d %d %d %d = %s" % (a, sa, b, sb, answer(fit(x * y, sa + sb))))
        if rng.random() < 0.02:
            b = 0
        quotient = "divzero" if b == 0 else answer(divide(a, sa, b, sb))
        out.append("div %d %d %d %d = %s" % (a, sa, b, sb, quotient))
        if rng.random() < 0.3:
            b, sb = a * 10**3, sa + 3  # equal values at different scales
            if abs(b) > MAX_MANTISSA or sb > MAX_SCALE:
                b, sb = a, sa
        order = (value(a, sa) > value(b, sb)) - (value(a, sa) < value(b, sb))
        out.append("cmp %d %d %d %d = %d" % (a, sa, b, sb, order))
        digits = rng.randint(0, MAX_SCALE)
        mode = rng.choice(["even", "away"])
        if digits >= sa:
            rounded = (a, sa)
        else:
            rule = decimal.ROUND_HALF_EVEN if mode == "even" else decimal.ROUND_HALF_UP
            q = value(a, sa).quantize(Decimal(1).scaleb(-digits), rounding=rule)
            rounded = (int(q.scaleb(digits)), digits)
        out.append("round %d %d %d %s = %d %d" % (a, sa, digits, mode, *rounded))
        text = number_text(rng)
        result = parse(text)
        out.append("parse %s = %s" % (text, "overflow" if result is None else
                                      "%d %d %s" % (*result, canonical(*result))))
    sys.stdout.write("\n".join(out) + "\n")


if __name__ == "__main__":
    main()
