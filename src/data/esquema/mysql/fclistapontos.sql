CREATE FUNCTION fclistapontos(Panomesdia varchar(10), Ppis varchar(12)) RETURNS varchar(11520)
READS SQL DATA
BEGIN
  -- " - hh:nn" for each distinct punch time (type 3 records of every device)
  -- of the employee on the day "yyyymmdd", in ascending order.  Wide enough
  -- for every minute of a day.
  DECLARE EOFIM boolean DEFAULT false;
  DECLARE vhora varchar(5);
  DECLARE vpontos varchar(11520) DEFAULT '';
  DECLARE cpontos CURSOR FOR
    SELECT DISTINCT CONCAT(SUBSTRING(conteudo, 19, 2), ':', SUBSTRING(conteudo, 21, 2)) AS hora
      FROM tbafd
     WHERE SUBSTRING(conteudo, 10, 1) = '3'
       AND CONCAT(SUBSTRING(conteudo, 15, 4), SUBSTRING(conteudo, 13, 2), SUBSTRING(conteudo, 11, 2))
           = CONCAT(SUBSTRING(Panomesdia, 1, 4), SUBSTRING(Panomesdia, 5, 2), SUBSTRING(Panomesdia, 7, 2))
       AND SUBSTRING(conteudo, 23, 12) = Ppis
     ORDER BY hora;
  DECLARE CONTINUE HANDLER FOR NOT FOUND SET EOFIM = true;
  OPEN cpontos;
  leitura: LOOP
    FETCH cpontos INTO vhora;
    IF EOFIM THEN
      LEAVE leitura;
    END IF;
    SET vpontos = CONCAT(vpontos, ' - ', vhora);
  END LOOP;
  CLOSE cpontos;
  RETURN vpontos;
END
