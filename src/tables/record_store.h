// The record store: tables with a cursor, one database with one transaction.
//
// The Database (database.h) is one SQLite connection with the table files
// attached and the program's one transaction; a Table (table.h) is a cursor
// over one of them. Their definitions are in table_def.h.
#pragma once

#include "tables/database.h"
#include "tables/table.h"
#include "tables/table_def.h"
