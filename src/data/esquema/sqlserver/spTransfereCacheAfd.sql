CREATE PROCEDURE [dbo].[spTransfereCacheAfd] @Pidrep char(17), @Vconteudo varchar(2048)
AS
BEGIN
  -- Converts the pending pages first, then stores the lines of the cache with
  -- the tail of the last page in front.  A trailing line without carriage
  -- return is stored only when it is a complete record for its type (2: 299,
  -- 3 and 4: 34, 5: 87 characters).
  SET NOCOUNT ON;
  SET XACT_ABORT ON;
  DECLARE @mrp varchar(8), @texto varchar(max), @linha varchar(max), @inverso varchar(max);
  DECLARE @pos int, @cr int, @lf int, @agora datetime;
  EXEC [dbo].[spTransfereMrpAfd] @Pidrep;
  SET @linha = '';
  SET @agora = GETDATE();
  SELECT @mrp = MAX(mrp) FROM tbmemoriarep WHERE idrep = @Pidrep;
  IF @mrp IS NOT NULL
  BEGIN
    SELECT @linha = ISNULL(CONVERT(varchar(max), conteudo), '') FROM tbmemoriarep
     WHERE idrep = @Pidrep AND mrp = @mrp;
    SET @inverso = REVERSE(@linha);
    SET @cr = CHARINDEX(CHAR(13), @inverso);
    SET @lf = CHARINDEX(CHAR(10), @inverso);
    IF @cr = 0 OR (@lf > 0 AND @lf < @cr) SET @cr = @lf;
    IF @cr > 0 SET @linha = RIGHT(@linha, @cr - 1);
  END
  SET @texto = @linha + ISNULL(@Vconteudo, '');
  SET @linha = '';
  BEGIN TRANSACTION;
  SET @pos = 1;
  WHILE 1 = 1
  BEGIN
    SET @cr = CHARINDEX(CHAR(13), @texto, @pos);
    IF @cr = 0
    BEGIN
      SET @linha = REPLACE(SUBSTRING(@texto, @pos, DATALENGTH(@texto) + 1), CHAR(10), '');
      BREAK;
    END
    SET @linha = REPLACE(SUBSTRING(@texto, @pos, @cr - @pos), CHAR(10), '');
    IF DATALENGTH(@linha) > 0
      AND NOT EXISTS (SELECT 1 FROM tbafd WHERE nsr = LEFT(@linha, 9) AND idrep = @Pidrep)
      INSERT INTO tbafd (nsr, idrep, conteudo, datahoracoleta)
      VALUES (LEFT(@linha, 9), @Pidrep, LEFT(@linha, 512), @agora);
    SET @linha = '';
    SET @pos = @cr + 1;
  END
  IF DATALENGTH(@linha) > 0
    AND DATALENGTH(@linha) = CASE SUBSTRING(@linha, 10, 1)
                               WHEN '2' THEN 299 WHEN '3' THEN 34 WHEN '4' THEN 34 WHEN '5' THEN 87
                               ELSE -1 END
    AND NOT EXISTS (SELECT 1 FROM tbafd WHERE nsr = LEFT(@linha, 9) AND idrep = @Pidrep)
    INSERT INTO tbafd (nsr, idrep, conteudo, datahoracoleta)
    VALUES (LEFT(@linha, 9), @Pidrep, @linha, @agora);
  COMMIT TRANSACTION;
END
