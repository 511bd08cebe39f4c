#!/usr/bin/python3
"""Sets KEY=VALUE in SECTION of an INI file, matching names without regard to
case, the way the program reads sistema.INI.  With --if-missing an existing
key is left alone.

usage: ini-set.py [--if-missing] FILE SECTION KEY VALUE
"""
import os
import sys


def main(argv):
    so_se_faltar = False
    if argv and argv[0] == "--if-missing":
        so_se_faltar = True
        argv = argv[1:]
    if len(argv) != 4:
        print(__doc__, file=sys.stderr)
        return 2
    caminho, secao, chave, valor = argv
    linhas = []
    if os.path.exists(caminho):
        with open(caminho, encoding="utf-8", errors="replace") as f:
            linhas = f.read().splitlines()
    atual = None
    inicio_secao = None
    fim_secao = None
    for i, l in enumerate(linhas):
        s = l.strip()
        if s.startswith("[") and s.endswith("]"):
            if atual is not None and atual.lower() == secao.lower():
                fim_secao = i
            atual = s[1:-1].strip()
            if atual.lower() == secao.lower():
                inicio_secao = i
                fim_secao = len(linhas)
            continue
        if atual is not None and atual.lower() == secao.lower() and "=" in s and not s.startswith(";"):
            k = s.split("=", 1)[0].strip()
            if k.lower() == chave.lower():
                if not so_se_faltar:
                    linhas[i] = f"{k}={valor}"
                break
    else:
        if inicio_secao is None:
            if linhas and linhas[-1].strip():
                linhas.append("")
            linhas += [f"[{secao}]", f"{chave}={valor}"]
        else:
            pos = fim_secao if fim_secao is not None else len(linhas)
            while pos > inicio_secao + 1 and not linhas[pos - 1].strip():
                pos -= 1
            linhas.insert(pos, f"{chave}={valor}")
    with open(caminho, "w", encoding="utf-8") as f:
        f.write("\n".join(linhas) + "\n")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
