-- A new SQL Server database: every table in its final layout, the
-- administrator user and tbversao (without a row: the upgrade does not run on
-- SQL Server).
CREATE TABLE tbafd (
  nsr char(9) NOT NULL,
  idrep char(17) NOT NULL,
  conteudo varchar(512) NOT NULL,
  datahoracoleta datetime NOT NULL,
  CONSTRAINT PK_tbafd PRIMARY KEY (nsr, idrep)
);
CREATE TABLE tbbackupafd (
  IdBackupAFD int IDENTITY(1,1) NOT NULL,
  datahora datetime NOT NULL,
  IdPermisso int NOT NULL,
  Arquivo text NOT NULL,
  idrep varchar(20) NULL,
  CONSTRAINT PK_tbbackupafd PRIMARY KEY (IdBackupAFD)
);
CREATE TABLE tbcolaborador (
  idcolaborador int IDENTITY(1,1) NOT NULL,
  matricula char(20) NULL,
  codigo char(6) NULL,
  nome char(50) NULL,
  pis varchar(12) NULL,
  idempresa int NULL,
  iddepto int NULL,
  demitido char(1) NULL,
  proximidade varchar(8) NULL,
  ibutton12 varchar(12) NULL,
  CONSTRAINT PK_tbcolaborador PRIMARY KEY (idcolaborador)
);
CREATE TABLE tbcolabrep (
  pis varchar(12) NOT NULL,
  codigocoletor varchar(20) NOT NULL DEFAULT ' ',
  CONSTRAINT PK_tbcolabrep PRIMARY KEY (pis, codigocoletor)
);
CREATE TABLE tbcoletor (
  idcoletor int IDENTITY(1,1) NOT NULL,
  descricao char(50) NULL,
  senha char(4) NULL,
  ultimacoleta datetime NULL,
  dadosultimacoleta char(30) NULL,
  cpfcnpj varchar(14) NULL,
  codigocoletor varchar(20) NULL,
  idempresa int NULL,
  portaserial int NULL,
  modelocoletor varchar(10) NULL,
  tipocomunicacao varchar(1) NULL,
  ip varchar(20) NULL,
  url varchar(200) NULL,
  portaip int NULL,
  urldinamica varchar(1) NULL,
  CONSTRAINT PK_tbcoletor PRIMARY KEY (idcoletor)
);
CREATE TABLE tbdepto (
  iddepto int IDENTITY(1,1) NOT NULL,
  nomedepto varchar(50) NULL,
  codigoexporta varchar(20) NULL,
  CONSTRAINT PK_tbdepto PRIMARY KEY (iddepto)
);
CREATE TABLE tbempresa (
  idempresa int IDENTITY(1,1) NOT NULL,
  razaosocial varchar(150) NULL,
  tipopessoafj char(1) NULL,
  cpfcnpj varchar(14) NULL,
  cei varchar(12) NULL,
  localtrabalho varchar(100) NULL,
  codigoempresa varchar(20) NULL,
  CONSTRAINT PK_tbempresa PRIMARY KEY (idempresa)
);
CREATE TABLE tbimportacolab (
  PosNome int NULL,
  PosMatricula int NULL,
  PosPIS int NULL,
  PosIButton int NULL,
  QtdNome int NULL,
  QtdMatricula int NULL,
  QtdPIS int NULL,
  QtdIbutton int NULL
);
CREATE TABLE tblogcoleta (
  idlogcoleta int IDENTITY(1,1) NOT NULL,
  datahorainicio datetime NULL,
  datahorafim datetime NULL,
  idcoletor int NULL,
  sucesso char(1) NULL,
  filtro datetime NULL,
  CONSTRAINT PK_tblogcoleta PRIMARY KEY (idlogcoleta)
);
CREATE TABLE tblogsistema (
  idevento int IDENTITY(1,1) NOT NULL,
  datahora datetime NULL,
  idpermisso int NULL,
  formulario varchar(100) NULL,
  mensagem varchar(256) NULL,
  CONSTRAINT PK_tblogsistema PRIMARY KEY (idevento)
);
CREATE TABLE tbpermisso (
  IDPERMISSO int IDENTITY(1,1) NOT NULL,
  login char(20) NULL,
  senha char(20) NULL,
  usuario char(50) NULL,
  m1 char(1) NULL,
  m2 char(1) NULL,
  m3 char(1) NULL,
  m4 char(1) NULL,
  m5 char(1) NULL,
  m6 char(1) NULL,
  m7 char(1) NULL,
  CONSTRAINT PK_tbpermisso PRIMARY KEY (IDPERMISSO)
);
CREATE TABLE tbmemoriarep (
  idrep varchar(17) NOT NULL,
  mrp varchar(8) NOT NULL,
  conteudo text NULL,
  dthcoleta datetime NOT NULL,
  afdconvertido char(1) NULL,
  CONSTRAINT PK_tbmemoriarep PRIMARY KEY (idrep, mrp)
);
CREATE TABLE tbdigital (
  idcolaborador int NOT NULL,
  dedo int NOT NULL,
  digital text NULL,
  CONSTRAINT PK_tbdigital PRIMARY KEY (idcolaborador, dedo)
);
CREATE TABLE tbusuario (
  login varchar(20) NOT NULL,
  senha varchar(41) NOT NULL,
  nomeusuario varchar(45) NOT NULL,
  CONSTRAINT PK_tbusuario PRIMARY KEY (login)
);
INSERT INTO tbusuario (login, senha, nomeusuario)
VALUES ('ADMINISTRADOR', convert(varchar(41), HashBytes('MD5', 'BRAVELUX')), 'ADMINISTRADOR');
CREATE TABLE tbversao (
  nome varchar(20) NOT NULL,
  versao int NULL,
  CONSTRAINT PK_tbversao PRIMARY KEY (nome)
);
