#!/usr/bin/python3
"""Writes the state files of the two demonstration REPs started by scripts/run.

Each device holds an employer and about three weeks of punch memory: the
employer record, the inclusion of each employee, four punches a working day for
a few dozen employees (with the odd missing punch), and one clock change.  The
text is long enough to fill well over a hundred 512-byte pages plus a partly
filled cache.  The output is deterministic for a given start date.

usage: gera-estado-demo.py PASTA [AAAA-MM-DD]
"""
import datetime
import os
import random
import sys

NOMES = [
    "Ana Paula Souza", "Bruno Henrique Lima", "Carla Ferreira", "Daniel Oliveira", "Eduarda Santos",
    "Fábio Rodrigues", "Gabriela Almeida", "Hugo Pereira", "Isabela Costa", "João Victor Ribeiro",
    "Karina Martins", "Lucas Gonçalves", "Mariana Carvalho", "Nelson Araújo", "Otávio Melo",
    "Patrícia Barbosa", "Rafael Rocha", "Sabrina Dias", "Thiago Nunes", "Úrsula Teixeira",
    "Vinícius Moreira", "Wagner Cardoso", "Yasmin Correia", "Zilda Monteiro", "André Cavalcanti",
    "Beatriz Pinto", "César Azevedo", "Débora Freitas", "Emerson Castro", "Fernanda Ramos",
    "Gustavo Mendes", "Helena Vieira", "Igor Farias", "Juliana Lopes", "Leandro Batista",
    "Márcia Campos",
]


def digito_pis(base10):
    pesos = [3, 2, 9, 8, 7, 6, 5, 4, 3, 2]
    r = sum(int(d) * p for d, p in zip(base10, pesos)) % 11
    return 0 if r < 2 else 11 - r


def digitos_cnpj(base12):
    def dig(s, pesos):
        r = sum(int(d) * p for d, p in zip(s, pesos)) % 11
        return 0 if r < 2 else 11 - r
    d1 = dig(base12, [5, 4, 3, 2, 9, 8, 7, 6, 5, 4, 3, 2])
    d2 = dig(base12 + str(d1), [6, 5, 4, 3, 2, 9, 8, 7, 6, 5, 4, 3, 2])
    return f"{d1}{d2}"


def registros(serie, inicio, semente):
    rnd = random.Random(semente)
    cnpj_base = "112223330001"
    cnpj = cnpj_base + digitos_cnpj(cnpj_base)
    empregador = {
        "tipo": "1",
        "cpfcnpj": cnpj,
        "cei": "000000000000",
        "nome": "Padaria Pão Dourado Ltda",
        "local": "Rua das Flores, 100 - Centro - São Paulo/SP",
    }
    funcionarios = []
    for i, nome in enumerate(NOMES):
        base = f"{1200000000 + semente * 1000 + i * 37:010d}"[-10:]
        pis = base + str(digito_pis(base))
        funcionarios.append({
            "codigo": f"{i + 1:03d}",
            "matricula": f"{1000 + i}",
            "pis": "0" + pis,
            "nome": nome,
        })

    nsr = 0
    linhas = []

    def proximo():
        nonlocal nsr
        nsr += 1
        return f"{nsr:09d}"

    t0 = datetime.datetime.combine(inicio, datetime.time(7, 30))
    quando = t0.strftime("%d%m%Y%H%M")
    linhas.append(proximo() + "2" + quando + empregador["tipo"] + empregador["cpfcnpj"] + empregador["cei"]
                  + empregador["nome"].ljust(150) + empregador["local"].ljust(100))
    for k, f in enumerate(funcionarios):
        q = (t0 + datetime.timedelta(minutes=k)).strftime("%d%m%Y%H%M")
        linhas.append(proximo() + "5" + q + "I" + f["pis"] + f["nome"].ljust(52)[:52])

    dias = [inicio + datetime.timedelta(days=d) for d in range(1, 22)]
    ajuste_feito = False
    for dia in dias:
        if dia.weekday() >= 5:
            continue
        if not ajuste_feito and dia.weekday() == 2 and dia > inicio + datetime.timedelta(days=7):
            # The clock was seven minutes late and is set right before the shift.
            antes = datetime.datetime.combine(dia, datetime.time(6, 53))
            depois = datetime.datetime.combine(dia, datetime.time(7, 0))
            linhas.append(proximo() + "4" + antes.strftime("%d%m%Y%H%M") + depois.strftime("%d%m%Y%H%M"))
            ajuste_feito = True
        marcas = []
        for f in funcionarios:
            for hora, minuto in ((8, 0), (12, 0), (13, 0), (17, 0)):
                if rnd.random() < 0.03:
                    continue  # a forgotten punch
                t = datetime.datetime.combine(dia, datetime.time(hora, minuto)) + datetime.timedelta(
                    minutes=rnd.randint(-9, 9))
                marcas.append((t, f["pis"]))
        marcas.sort()
        for t, pis in marcas:
            linhas.append(proximo() + "3" + t.strftime("%d%m%Y%H%M") + pis)
    return empregador, funcionarios, linhas, nsr


def main():
    if len(sys.argv) < 2:
        print(__doc__, file=sys.stderr)
        return 2
    pasta = sys.argv[1]
    inicio = (datetime.date.fromisoformat(sys.argv[2]) if len(sys.argv) > 2
              else datetime.date.today() - datetime.timedelta(days=22))
    os.makedirs(pasta, exist_ok=True)

    e, fs, linhas, nsr = registros("00004000000000101", inicio, 1)
    with open(os.path.join(pasta, "demo-rep.txt"), "w", encoding="utf-8") as out:
        out.write("# REP de demonstração (primeira geração, TCP/IP)\n")
        out.write("serial=00004000000000101\n")
        for k in ("tipo", "nome", "cpfcnpj", "cei", "local"):
            out.write(f"empregador.{k}={e[k]}\n")
        for f in fs:
            out.write(f"funcionario={f['codigo']};{f['matricula']};{f['pis']};{f['nome']}\n")
        for l in linhas:
            out.write(f"registro={l}\n")
        out.write(f"nsr={nsr}\n")

    e, fs, linhas, nsr = registros("00004000000000202", inicio, 2)
    with open(os.path.join(pasta, "demo-rep2.txt"), "w", encoding="utf-8") as out:
        out.write("# REP de demonstração (nova geração, serial)\n")
        out.write("serial=00004000000000202\n")
        out.write(f"empregador-tipo={e['tipo']}\nempregador-nome={e['nome']}\n")
        out.write(f"empregador-cpfcnpj={e['cpfcnpj']}\nempregador-cei={e['cei']}\n")
        out.write(f"empregador-local={e['local']}\n")
        for f in fs:
            out.write(f"funcionario={f['codigo']};{f['matricula']};{f['pis']};{f['nome']}\n")
        for l in linhas:
            out.write(f"registro={l}\n")
        out.write(f"nsr={nsr}\n")
    return 0


if __name__ == "__main__":
    sys.exit(main())
