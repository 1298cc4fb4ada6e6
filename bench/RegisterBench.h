// The contract register's figures, each beside its lower bound: opening a
// register of 300 contracts and 6,000 installments and showing the first
// contract, and the budget summary of one month over it, beside reading the
// same rows with SQLite's own API into plain structs and computing their K
// with the core's functions; the same two on a PostgreSQL server of the
// benchmark's own beside reading the rows with libpq's own API; and
// recomputing one row after an edit, against one frame (16 ms).
#pragma once

void printRegisterRatios(const char* sampleCsv);
