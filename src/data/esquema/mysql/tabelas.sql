-- Base tables of a new database, in their latest layout.  Runs after the
-- upgrade has created tbversao, tbafd, tbusuario and the routines.
DROP TABLE IF EXISTS tbbackupafd;
CREATE TABLE tbbackupafd (
  IdBackupAFD int(11) NOT NULL AUTO_INCREMENT,
  datahora datetime NOT NULL,
  IdPermisso int(11) NOT NULL,
  idrep varchar(20) DEFAULT NULL,
  Arquivo longblob NOT NULL,
  PRIMARY KEY (IdBackupAFD)
);
DROP TABLE IF EXISTS tbcolaborador;
CREATE TABLE tbcolaborador (
  idcolaborador int(11) NOT NULL AUTO_INCREMENT,
  matricula char(20) DEFAULT NULL,
  codigo char(6) DEFAULT NULL,
  nome char(50) DEFAULT NULL,
  pis varchar(12) DEFAULT NULL,
  idempresa int(11) DEFAULT NULL,
  iddepto int(11) DEFAULT NULL,
  demitido char(1) DEFAULT NULL,
  proximidade varchar(8) DEFAULT NULL,
  ibutton12 varchar(12) DEFAULT NULL,
  PRIMARY KEY (idcolaborador)
);
DROP TABLE IF EXISTS tbcolabrep;
CREATE TABLE tbcolabrep (
  pis varchar(12) NOT NULL,
  codigocoletor varchar(20) NOT NULL DEFAULT ' ',
  PRIMARY KEY (pis, codigocoletor)
);
DROP TABLE IF EXISTS tbcoletor;
CREATE TABLE tbcoletor (
  idcoletor int(11) NOT NULL AUTO_INCREMENT,
  descricao char(50) DEFAULT NULL,
  senha char(4) DEFAULT NULL,
  ultimacoleta datetime DEFAULT NULL,
  dadosultimacoleta char(30) DEFAULT NULL,
  cpfcnpj varchar(14) DEFAULT NULL,
  codigocoletor varchar(20) DEFAULT NULL,
  idempresa int(11) DEFAULT NULL,
  portaserial int(11) DEFAULT NULL,
  modelocoletor varchar(10) DEFAULT NULL,
  tipocomunicacao varchar(1) DEFAULT NULL,
  ip varchar(20) DEFAULT NULL,
  url varchar(200) DEFAULT NULL,
  portaip int(11) DEFAULT NULL,
  urldinamica varchar(1) DEFAULT NULL,
  PRIMARY KEY (idcoletor)
);
DROP TABLE IF EXISTS tbdepto;
CREATE TABLE tbdepto (
  iddepto int(11) NOT NULL AUTO_INCREMENT,
  nomedepto varchar(50) DEFAULT NULL,
  codigoexporta varchar(20) DEFAULT NULL,
  PRIMARY KEY (iddepto)
);
DROP TABLE IF EXISTS tbempresa;
CREATE TABLE tbempresa (
  idempresa int(11) NOT NULL AUTO_INCREMENT,
  razaosocial varchar(150) DEFAULT NULL,
  tipopessoafj enum('F','J') DEFAULT NULL,
  cpfcnpj varchar(14) DEFAULT NULL,
  cei varchar(12) DEFAULT NULL,
  localtrabalho varchar(100) DEFAULT NULL,
  codigoempresa varchar(20) DEFAULT NULL,
  PRIMARY KEY (idempresa)
) ENGINE=InnoDB DEFAULT CHARSET=latin1;
DROP TABLE IF EXISTS tbimportacolab;
CREATE TABLE tbimportacolab (
  PosNome int(11) DEFAULT NULL,
  PosMatricula int(11) DEFAULT NULL,
  PosPIS int(11) DEFAULT NULL,
  PosIButton int(11) DEFAULT NULL,
  QtdNome int(11) DEFAULT NULL,
  QtdMatricula int(11) DEFAULT NULL,
  QtdPIS int(11) DEFAULT NULL,
  QtdIbutton int(11) DEFAULT NULL
);
DROP TABLE IF EXISTS tblogcoleta;
CREATE TABLE tblogcoleta (
  idlogcoleta int(11) NOT NULL AUTO_INCREMENT,
  datahorainicio datetime DEFAULT NULL,
  datahorafim datetime DEFAULT NULL,
  idcoletor int(11) DEFAULT NULL,
  sucesso enum('S','N') DEFAULT NULL,
  filtro datetime DEFAULT NULL,
  PRIMARY KEY (idlogcoleta)
);
DROP TABLE IF EXISTS tblogsistema;
CREATE TABLE tblogsistema (
  idevento int(11) NOT NULL AUTO_INCREMENT,
  datahora datetime DEFAULT NULL,
  idpermisso int(11) DEFAULT NULL,
  formulario varchar(100) DEFAULT NULL,
  mensagem varchar(256) DEFAULT NULL,
  PRIMARY KEY (idevento)
);
DROP TABLE IF EXISTS tbpermisso;
CREATE TABLE tbpermisso (
  IDPERMISSO int(11) NOT NULL AUTO_INCREMENT,
  login char(20) DEFAULT NULL,
  senha char(20) DEFAULT NULL,
  usuario char(50) DEFAULT NULL,
  m1 char(1) DEFAULT NULL,
  m2 char(1) DEFAULT NULL,
  m3 char(1) DEFAULT NULL,
  m4 char(1) DEFAULT NULL,
  m5 char(1) DEFAULT NULL,
  m6 char(1) DEFAULT NULL,
  m7 char(1) DEFAULT NULL,
  PRIMARY KEY (IDPERMISSO)
);
DROP TABLE IF EXISTS tbmemoriarep;
CREATE TABLE tbmemoriarep (
  idrep varchar(17) NOT NULL,
  mrp varchar(8) NOT NULL,
  conteudo text,
  dthcoleta datetime NOT NULL,
  afdconvertido char(1) DEFAULT NULL,
  PRIMARY KEY (idrep, mrp)
);
DROP TABLE IF EXISTS tbdigital;
CREATE TABLE tbdigital (
  idcolaborador int(11) NOT NULL,
  dedo int(11) NOT NULL,
  digital text,
  PRIMARY KEY (idcolaborador, dedo)
);
