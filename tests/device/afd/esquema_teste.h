#pragma once
// The page table as the program's database creates it (MySQL), for the page
// store tests that need no other table.

#include <QString>

namespace kelvo::teste {

inline QString criaTbMemoriaRep()
{
    return QStringLiteral("CREATE TABLE tbmemoriarep ("
                          "  idrep varchar(17) NOT NULL,"
                          "  mrp varchar(8) NOT NULL,"
                          "  conteudo text,"
                          "  dthcoleta datetime NOT NULL,"
                          "  afdconvertido char(1) DEFAULT NULL,"
                          "  PRIMARY KEY (idrep, mrp)"
                          ")");
}

} // namespace kelvo::teste
