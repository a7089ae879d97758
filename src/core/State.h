#pragma once
// The program-wide state that every window reads and writes.
#include <QString>

namespace fyn {

struct SharedState {
    // Folders, taken at start-up. BaseFolder ends in "/".
    QString BaseFolder;
    QString StartFolder;
    QString StartDrive;

    // Dates as "yyyy-mm-dd".
    QString DagensDatum; // today, taken once at start-up
    QString WorkDate;    // where new and moved postings go
    QString InstallDatum;

    QString AnvNamn; // user name

    // The current account: its KontoFil record number (0 = none), name, number and kind.
    int KontoNum = 0;
    QString KontoNamn;
    QString KontoNummer;
    QString KontoSlag; // "Bg" or "Ek"

    long AntalPoster = 0; // postings of the current account
    long PostNr = 0;      // the current posting

    // The current main transaction and subtransaction.
    long TransNr = 0;
    QString HuvudTrans;
    QString TransTecken; // "+", "-" or " "
    long SubTransNr = 0;
    QString SubTrans;

    long MallAntal = 0; // records of the open B-mall

    // Work modes of the main window and the name dialogs.
    QString Avb;         // what the cancel button undoes; empty when idle
    QString EditMode;    // "inl", "rem", "chg", "flt"
    QString CancelFlag;  // "1" while a cancel press is to run the dispatcher
    QString trfo;        // main transaction dialog: "ny" or "chg"
    QString subtrfo;     // subtransaction dialog: "ny" or "chg"
    QString TransCaller; // "head" or "budg"

    int RedDayNum = 0; // used records of RedDayFil, counted by the holiday register

    // What the transaction lists of the main window show: "1" or "0".
    QString HOptEnk, SOptEnk, HOptBudg, SOptBudg;
    int BelEditFlag = 0;  // 1 while an amount box is being edited
    int ScrollBusy = 0;   // 1 while the grid window is being placed in code
    QString FondInfoFlag; // "0": do not offer the fund-account information

    // The last failure.
    QString FelText;
    QString FelDump;
    QString FelSep;
    QString SysFel;
    QString FelPath; // the file or folder the system refused, when known
    QString FelRapportPath;

    // The input box's answer.
    QString InsetText;
};

// The one instance, named after the module that held it.
extern SharedState Module1;

} // namespace fyn
