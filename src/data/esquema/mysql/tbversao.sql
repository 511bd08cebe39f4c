CREATE TABLE tbversao (
  nome varchar(20) NOT NULL,
  versao int(11) DEFAULT NULL,
  PRIMARY KEY (nome)
)
