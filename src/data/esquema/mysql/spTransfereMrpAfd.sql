CREATE PROCEDURE spTransfereMrpAfd(Pidrep char(17))
MODIFIES SQL DATA
BEGIN
  -- Moves the complete AFD lines of the device's pages not yet converted into
  -- tbafd.  A carriage return ends a line, a line feed is skipped, a line is
  -- stored only when its NSR (first 9 characters) is new for the device, and
  -- a page is marked converted when a non-empty line ends in it.  The line
  -- left unfinished at the end of the last page is dropped: it is recovered
  -- from that page's tail once the next page has been collected.
  DECLARE EOFIM boolean DEFAULT false;
  DECLARE vmrp varchar(8);
  DECLARE vconteudo text;
  DECLARE vanterior varchar(8);
  DECLARE vlinha text DEFAULT '';
  DECLARE vinverso text;
  DECLARE vpos int;
  DECLARE vcr int;
  DECLARE vlf int;
  DECLARE vmarca boolean;
  DECLARE vprimeira boolean DEFAULT true;
  DECLARE vagora datetime;
  DECLARE cpaginas CURSOR FOR
    SELECT mrp, conteudo FROM tbmemoriarep
     WHERE idrep = Pidrep AND {PAGINAS}
     ORDER BY mrp;
  DECLARE CONTINUE HANDLER FOR NOT FOUND SET EOFIM = true;
  DECLARE EXIT HANDLER FOR SQLEXCEPTION
  BEGIN
    ROLLBACK;
    RESIGNAL;
  END;

  SET vagora = now();
  START TRANSACTION;
  OPEN cpaginas;
  leitura: LOOP
    FETCH cpaginas INTO vmrp, vconteudo;
    IF EOFIM THEN
      LEAVE leitura;
    END IF;
    SET vconteudo = IFNULL(vconteudo, '');
    IF vprimeira THEN
      SET vprimeira = false;
      IF vmrp > '00000000' THEN
        -- a line that began on the page before the first one taken
        SET vanterior = NULL;
        SELECT MAX(mrp) INTO vanterior FROM tbmemoriarep WHERE idrep = Pidrep AND mrp < vmrp;
        IF vanterior IS NOT NULL THEN
          SELECT IFNULL(conteudo, '') INTO vlinha FROM tbmemoriarep WHERE idrep = Pidrep AND mrp = vanterior;
          SET vinverso = REVERSE(vlinha);
          SET vcr = LOCATE(CHAR(13), vinverso);
          SET vlf = LOCATE(CHAR(10), vinverso);
          IF vcr = 0 OR (vlf > 0 AND vlf < vcr) THEN
            SET vcr = vlf;
          END IF;
          IF vcr > 0 THEN
            SET vlinha = RIGHT(vlinha, vcr - 1);
          END IF;
        END IF;
        SET EOFIM = false;
      END IF;
    END IF;
    SET vmarca = false;
    SET vpos = 1;
    varredura: LOOP
      SET vcr = LOCATE(CHAR(13), vconteudo, vpos);
      IF vcr = 0 THEN
        SET vlinha = CONCAT(vlinha, SUBSTRING(vconteudo, vpos));
        LEAVE varredura;
      END IF;
      SET vlinha = REPLACE(CONCAT(vlinha, SUBSTRING(vconteudo, vpos, vcr - vpos)), CHAR(10), ''), vpos = vcr + 1;
      IF CHAR_LENGTH(vlinha) > 0 THEN
        -- a NSR already stored for the device keeps its row
        INSERT INTO tbafd (nsr, idrep, conteudo, datahoracoleta)
        VALUES (LEFT(vlinha, 9), Pidrep, LEFT(vlinha, 512), vagora)
        ON DUPLICATE KEY UPDATE nsr = nsr;
        SET vmarca = true;
      END IF;
      SET vlinha = '';
    END LOOP;
    IF vmarca THEN
      UPDATE tbmemoriarep SET afdconvertido = 'S' WHERE idrep = Pidrep AND mrp = vmrp;
    END IF;
  END LOOP;
  CLOSE cpaginas;
  COMMIT;
END
