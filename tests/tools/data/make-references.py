#!/usr/bin/env python3
"""Writes references.index and references.dict (dictd, uncompressed) beside this script from
the hand-written articles below: every form of reference the importer follows, a chain, a
chain too long, a loop and references to entries that are not there."""
import os

ARTICLES = [
    ("go", "go\n   [gəʊ]\n   1. _v. (went - gone)\n      1) идти; ходить\n      2) ехать\n   2. _n. ходьба\n"),
    ("went", "went\n   [went] _p. от go 1\n"),
    ("mouse", "mouse\n   1. _n. (_pl. mice) мышь\n   2. _v. ловить мышей\n"),
    ("mice", "mice\n   [maɪs] _pl. от mouse 1\n"),
    ("see", "see\n   _I  [si:] _v. видеть; смотреть\n   _II [si:] _n. епархия\n"),
    ("seen", "seen\n   [si:n] _p-p. от see I\n"),
    ("hallo", "hallo\n   1. _interj. привет!\n   2. _v. окликать\n"),
    ("hello", "hello\n   [hɛ↗ləʊ] = hallo(a)\n"),
    ("hullo", "hullo\n   = hello\n"),
    ("have", "have\n   1. _v. иметь; обладать\n"),
    ("has", "has\n   [hæz] (полная форма); [həz], [z] (редуцированные формы) 3-е л. ед. ч.\n"
            "настоящего времени гл. to have\n"),
    ("ping", "ping\n   = pong\n"),
    ("pong", "pong\n   = ping\n"),
    ("spake", "spake\n   _уст. _p. от speak\n"),
    ("colour", "colour\n   _ам. = color\n"),
    ("annex", "annex\n   _n. пристройка\n"),
    ("annexe", "annexe\n   = annex i:\n"),
    ("spurt", "spurt\n   1. _n.\n      1) струя\n      2) рывок\n   2. _v. бить струёй\n"),
    ("spirt", "spirt\n   _n. = spurt 1, 2\n"),
    ("run", "run\n   _v. бежать; бегать\n"),
    ("running", "running\n   1. _pres-p. от run\n   2. _n.\n      1) бег\n"
                "      2) ход (машины) to be in the running иметь шансы\n"),
    # Homonyms kept as separate entries of one headword: the reference picks one by its number.
    ("bow", "bow\n   [bəʊ] _n. лук (оружие)\n"),
    ("bow", "bow\n   [baʊ] _v. кланяться\n"),
    ("bowed", "bowed\n   _p. от bow II\n"),
    # Two entries of the same letters; only the one without numbered parts has a part 1.
    ("ha-ha", "ha-ha\n   [hɑ:↗hɑ:]\n   1. int. ха-ха-ха!\n   2. _n. смех, хохот\n   3. _v. смеяться, хохотать\n"),
    ("haha", "haha\n   [hɑ:↗hɑ:] _n. низкий заборчик (вокруг сада, поля); канава с опорной стенкой\n"),
    ("haw-haw", "haw-haw\n   _I  [↗hɘ:↗hɘ:] = ha ha 1\n   _II [↗hɘ:hɘ:] = ha-ha\n"),
    ("c1", "c1\n   = c2\n"),
    ("c2", "c2\n   = c3\n"),
    ("c3", "c3\n   = c4\n"),
    ("c4", "c4\n   = c5\n"),
    ("c5", "c5\n   = c6\n"),
    ("c6", "c6\n   _v. делать\n"),
]

DIGITS = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/"


def b64(n):
    out = ""
    while True:
        out = DIGITS[n % 64] + out
        n //= 64
        if n == 0:
            return out


here = os.path.dirname(os.path.abspath(__file__))
data = b""
index = ""
for word, article in ARTICLES:
    body = article.encode()
    index += f"{word}\t{b64(len(data))}\t{b64(len(body))}\n"
    data += body
with open(os.path.join(here, "references.dict"), "wb") as f:
    f.write(data)
with open(os.path.join(here, "references.index"), "w", encoding="utf-8") as f:
    f.write(index)
