CREATE PROCEDURE [dbo].[spTransfereMrpAfd] @Pidrep char(17)
AS
BEGIN
  -- Moves the complete AFD lines of the device's pages not yet converted into
  -- tbafd (see the MySQL form); here every page taken is marked converted.
  SET NOCOUNT ON;
  SET XACT_ABORT ON;
  DECLARE @mrp varchar(8), @conteudo varchar(max), @anterior varchar(8), @linha varchar(max), @inverso varchar(max);
  DECLARE @pos int, @cr int, @lf int, @primeira bit, @agora datetime;
  SET @linha = '';
  SET @primeira = 1;
  SET @agora = GETDATE();
  BEGIN TRANSACTION;
  DECLARE cpaginas CURSOR LOCAL FAST_FORWARD FOR
    SELECT mrp, CONVERT(varchar(max), conteudo) FROM tbmemoriarep
     WHERE idrep = @Pidrep AND afdconvertido = 'N'
     ORDER BY mrp;
  OPEN cpaginas;
  FETCH NEXT FROM cpaginas INTO @mrp, @conteudo;
  WHILE @@FETCH_STATUS = 0
  BEGIN
    SET @conteudo = ISNULL(@conteudo, '');
    IF @primeira = 1
    BEGIN
      SET @primeira = 0;
      IF @mrp > '00000000'
      BEGIN
        SET @anterior = NULL;
        SELECT @anterior = MAX(mrp) FROM tbmemoriarep WHERE idrep = @Pidrep AND mrp < @mrp;
        IF @anterior IS NOT NULL
        BEGIN
          SELECT @linha = ISNULL(CONVERT(varchar(max), conteudo), '') FROM tbmemoriarep
           WHERE idrep = @Pidrep AND mrp = @anterior;
          SET @inverso = REVERSE(@linha);
          SET @cr = CHARINDEX(CHAR(13), @inverso);
          SET @lf = CHARINDEX(CHAR(10), @inverso);
          IF @cr = 0 OR (@lf > 0 AND @lf < @cr) SET @cr = @lf;
          IF @cr > 0 SET @linha = RIGHT(@linha, @cr - 1);
        END
      END
    END
    SET @pos = 1;
    WHILE 1 = 1
    BEGIN
      SET @cr = CHARINDEX(CHAR(13), @conteudo, @pos);
      IF @cr = 0
      BEGIN
        SET @linha = @linha + SUBSTRING(@conteudo, @pos, DATALENGTH(@conteudo) + 1);
        BREAK;
      END
      SET @linha = REPLACE(@linha + SUBSTRING(@conteudo, @pos, @cr - @pos), CHAR(10), '');
      IF DATALENGTH(@linha) > 0
        AND NOT EXISTS (SELECT 1 FROM tbafd WHERE nsr = LEFT(@linha, 9) AND idrep = @Pidrep)
        INSERT INTO tbafd (nsr, idrep, conteudo, datahoracoleta)
        VALUES (LEFT(@linha, 9), @Pidrep, LEFT(@linha, 512), @agora);
      SET @linha = '';
      SET @pos = @cr + 1;
    END
    UPDATE tbmemoriarep SET afdconvertido = 'S' WHERE idrep = @Pidrep AND mrp = @mrp;
    FETCH NEXT FROM cpaginas INTO @mrp, @conteudo;
  END
  CLOSE cpaginas;
  DEALLOCATE cpaginas;
  COMMIT TRANSACTION;
END
