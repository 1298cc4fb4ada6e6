// tarvon-batch --verify: the PDFs of printed sheets checked page by page
// (SheetCheck) against an index table, and what was found said in Thai on
// standard output: for one file every page, whether it holds (the sheet
// computes anew to what it prints, the table still holds the indices it
// used, the program that printed it); for a folder (its PDFs, subfolders
// included) only the sheets that do not hold, those whose months' indices
// the table now holds otherwise with the difference in compensation the
// correction makes, and the totals. What stops a file from being checked
// goes to standard error.
#pragma once

#include <QString>

// Exit status: 0 every page checked holds, 1 one does not, 2 nothing to
// verify (not a PDF, or a PDF that carries no sheet's facts, or a folder
// with none), 3 a file or the table cannot be read. `command` names the
// program in messages.
int verifyPdfs(const char* command, const QString& path, const QString& tablePath);
