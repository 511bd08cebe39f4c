-- The administrator of the earlier user table (kept for the system-log report).
INSERT INTO tbpermisso (login, senha, usuario, m1, m2, m3, m4, m5, m6, m7)
VALUES ('ADMINISTRADOR', 'BRAVELUX', 'ADMINISTRADOR', 'S', 'S', 'S', 'S', 'S', 'S', 'S');
