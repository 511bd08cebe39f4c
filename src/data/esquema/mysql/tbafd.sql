CREATE TABLE tbafd (
  nsr char(9) NOT NULL,
  idrep char(17) NOT NULL,
  conteudo varchar(512) DEFAULT NULL,
  datahoracoleta datetime DEFAULT NULL,
  importado char(1) DEFAULT NULL,
  PRIMARY KEY (nsr, idrep)
)
