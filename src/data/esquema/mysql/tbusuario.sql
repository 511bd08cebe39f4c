CREATE TABLE tbusuario (
  login varchar(20) NOT NULL,
  senha varchar(41) NOT NULL,
  nomeusuario varchar(45) NOT NULL,
  PRIMARY KEY (login)
)
