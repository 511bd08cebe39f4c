CREATE PROCEDURE spTransfereCacheAfd(Pidrep char(17), Pconteudo varchar(2048))
MODIFIES SQL DATA
BEGIN
  -- Stores the lines of the cache (the records that follow the last stored
  -- page).  The tail of that page comes first, so a record split between the
  -- page and the cache is whole again.  A trailing line without carriage
  -- return is stored only when it is a complete record for its type (2: 299,
  -- 3 and 4: 34, 5: 87 characters); otherwise the next collection stores it.
  DECLARE vmrp varchar(8);
  DECLARE vtexto mediumtext DEFAULT '';
  DECLARE vlinha text DEFAULT '';
  DECLARE vinverso text;
  DECLARE vpos int;
  DECLARE vcr int;
  DECLARE vlf int;
  DECLARE vagora datetime;
  DECLARE EXIT HANDLER FOR SQLEXCEPTION
  BEGIN
    ROLLBACK;
    RESIGNAL;
  END;

  SET vagora = now();
  SELECT MAX(mrp) INTO vmrp FROM tbmemoriarep WHERE idrep = Pidrep;
  IF vmrp IS NOT NULL THEN
    SELECT IFNULL(conteudo, '') INTO vlinha FROM tbmemoriarep WHERE idrep = Pidrep AND mrp = vmrp;
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
  SET vtexto = CONCAT(vlinha, IFNULL(Pconteudo, ''));
  SET vlinha = '';

  START TRANSACTION;
  SET vpos = 1;
  varredura: LOOP
    SET vcr = LOCATE(CHAR(13), vtexto, vpos);
    IF vcr = 0 THEN
      SET vlinha = REPLACE(SUBSTRING(vtexto, vpos), CHAR(10), '');
      LEAVE varredura;
    END IF;
    SET vlinha = REPLACE(SUBSTRING(vtexto, vpos, vcr - vpos), CHAR(10), '');
    IF CHAR_LENGTH(vlinha) > 0 THEN
      INSERT INTO tbafd (nsr, idrep, conteudo, datahoracoleta)
      VALUES (LEFT(vlinha, 9), Pidrep, LEFT(vlinha, 512), vagora)
      ON DUPLICATE KEY UPDATE nsr = nsr;
    END IF;
    SET vlinha = '';
    SET vpos = vcr + 1;
  END LOOP;
  IF CHAR_LENGTH(vlinha) > 0
     AND CHAR_LENGTH(vlinha) = CASE SUBSTRING(vlinha, 10, 1)
                                 WHEN '2' THEN 299 WHEN '3' THEN 34 WHEN '4' THEN 34 WHEN '5' THEN 87
                                 ELSE -1 END THEN
    INSERT INTO tbafd (nsr, idrep, conteudo, datahoracoleta)
    VALUES (LEFT(vlinha, 9), Pidrep, vlinha, vagora)
    ON DUPLICATE KEY UPDATE nsr = nsr;
  END IF;
  COMMIT;
END
