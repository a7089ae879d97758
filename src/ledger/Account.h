#pragma once
// The open account's files, shared by every window (the files an account keeps
// open while it is the current one), and the creation of a new account.
#include "core/RecordFile.h"
#include "ledger/Engine.h"
#include "ledger/PostingFile.h"

#include <QString>

namespace fyn::ledger {

struct OpenAccount {
    RecordFile transakt;   // names of the main transactions
    PostingFile kontoData; // the postings
    BudgetTemplate bmall;  // the budget template (budget accounts)
    void closeAll();
};

// The one set of open account files.
OpenAccount& account();

// Kind from the register's KontoSlag; false for anything but "Ek" and "Bg".
bool kindOf(const QString& kontoSlag, Kind& kind);

struct NewAccount {
    QString name;     // trimmed, a safe folder name
    QString number;   // trimmed
    QString slag;     // "Bg" or "Ek"
    QString workDate; // the date of the first posting
    QString anvNamn;  // for KontoIni
};

// Creates the account's folder with KontoData, Transakt and Kategori, registers
// it in the first free slot of KontoFil and writes KontoIni, all as one commit.
// Returns the new account's number. Throws a RuntimeError when it cannot; then
// nothing is left behind.
int createAccount(const NewAccount& a);

// Registers an account whose folder the data folder already holds, its files
// as they are, in the first free slot of KontoFil, and writes KontoIni, as one
// commit (workDate is not used). Returns the account's number. Throws a
// RuntimeError when it cannot; then nothing has changed.
int registerAccount(const NewAccount& a);

// Moves the accounts of the old layout (register and settings in the start
// folder, account folders wherever Sökväg says) into the data folder: the
// register records are copied, each account's files copied into
// FynData/<name>, and Sökväg rewritten. One commit.
void migrateOldLayout(const QString& oldKontoFil);

} // namespace fyn::ledger
