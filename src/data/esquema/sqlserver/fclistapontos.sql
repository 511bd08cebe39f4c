CREATE FUNCTION [dbo].[fclistapontos] (@Panomesdia varchar(10), @Ppis varchar(12))
RETURNS varchar(max)
AS
BEGIN
  -- " - hh:nn" for each distinct punch time (type 3 records of every device)
  -- of the employee on the day "yyyymmdd", in ascending order.
  DECLARE @hora varchar(5), @pontos varchar(max);
  SET @pontos = '';
  DECLARE cpontos CURSOR LOCAL FAST_FORWARD FOR
    SELECT DISTINCT SUBSTRING(conteudo, 19, 2) + ':' + SUBSTRING(conteudo, 21, 2) AS hora
      FROM tbafd
     WHERE SUBSTRING(conteudo, 10, 1) = '3'
       AND SUBSTRING(conteudo, 15, 4) + SUBSTRING(conteudo, 13, 2) + SUBSTRING(conteudo, 11, 2)
           = SUBSTRING(@Panomesdia, 1, 4) + SUBSTRING(@Panomesdia, 5, 2) + SUBSTRING(@Panomesdia, 7, 2)
       AND SUBSTRING(conteudo, 23, 12) = @Ppis
     ORDER BY hora;
  OPEN cpontos;
  FETCH NEXT FROM cpontos INTO @hora;
  WHILE @@FETCH_STATUS = 0
  BEGIN
    SET @pontos = @pontos + ' - ' + @hora;
    FETCH NEXT FROM cpontos INTO @hora;
  END
  CLOSE cpontos;
  DEALLOCATE cpontos;
  RETURN @pontos;
END
